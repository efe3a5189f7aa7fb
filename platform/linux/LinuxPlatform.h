#pragma once
// The Linux platform as a program entry builds it: every service, owned in one place.

#include "platform/Platform.h"
#include "platform/linux/LinuxBundle.h"
#include "platform/linux/LinuxFileManager.h"
#include "platform/linux/LinuxGraphics.h"
#include "platform/linux/LinuxHost.h"
#include "platform/linux/LinuxProcessInfo.h"
#include "platform/linux/LinuxRunLoop.h"
#include "platform/linux/LinuxServices.h"
#include "platform/linux/LinuxUserDefaults.h"
#include "platform/linux/Process.h"

#include <map>
#include <optional>

namespace orv::lnx {

// What a deliverable's bundle says of itself.
struct BundleInfo {
    std::string resourcesName; // folder of its resources ("OrvaneExtension", "Orvane+")
    std::string identifier;    // also the domain of its standard user defaults
    std::map<std::string, std::string, std::less<>> info; // information dictionary
};

class LinuxPlatform {
  public:
    // `diagnostic`: for a run that only shows something (orvane-host --print-ui): the launch
    // then leaves the login item as it is and has no group container, so it touches neither
    // the requests nor the moves of a running host.
    explicit LinuxPlatform(BundleInfo bundle, bool diagnostic = false);

    Platform platform();

    FinderStandInController& finder() { return finder_; }
    LinuxRunLoop& runLoop() { return runLoop_; }
    LinuxApplication& application() { return *application_; }
    LinuxStatusBar& statusBar() { return statusBar_; }
    LinuxAlertPresenter& alerts() { return alerts_; }

  private:
    LinuxLogSink logSink_;
    LinuxFileManager files_;
    LinuxPasteboard pasteboard_;
    LinuxProcessLauncher processes_;
    LinuxWorkspace workspace_{processes_, &logSink_};
    LinuxUserDefaultsSuites suites_;
    FinderStandInController finder_;
    LinuxSymbolCatalog symbols_;
    std::optional<LinuxBundle> bundle_;
    std::optional<LinuxUserDefaults> standardDefaults_;
    LinuxRunLoop runLoop_;
    LinuxWorkQueue userInitiatedQueue_;
    NotificationCenter notifications_;
    LinuxScreen screen_;
    std::optional<LinuxApplication> application_;
    LinuxStatusBar statusBar_;
    LinuxGraphics graphics_;
    LinuxAlertPresenter alerts_{screen_};
    std::optional<LinuxLoginItems> loginItems_;
    LinuxAccessibility accessibility_;
    LinuxFinderExtensionSettings finderExtension_{screen_};
    std::optional<LinuxSoftwareUpdater> updater_;
    LinuxScriptRunner scripts_;
    LinuxSleeper sleeper_;
    LinuxProcessInfo processInfo_;
};

} // namespace orv::lnx
