#pragma once
// The macOS platform as a program entry builds it: every service, owned in one place. Both
// deliverables build the same one; the extension never runs the application object.

#include "platform/Platform.h"
#include "platform/macos/MacFiles.h"
#include "platform/macos/MacRunLoop.h"
#include "platform/macos/MacServices.h"
#include "platform/macos/MacSystem.h"

#ifdef __OBJC__
#include "platform/macos/MacApplication.h"
#include "platform/macos/MacImages.h"
#include "platform/macos/MacProgress.h"

namespace orv::mac {

class MacPlatform {
  public:
    MacPlatform();
    Platform platform();
    MacApplication& application() { return application_; }

  private:
    MacLogSink logSink_;
    MacFileManager files_;
    MacPasteboard pasteboard_;
    MacWorkspace workspace_;
    MacUserDefaultsSuites suites_;
    MacProcessLauncher processes_;
    MacBundle bundle_;
    MacFinderSyncController finderSync_;
    MacSymbolCatalog symbols_;
    MacUserDefaults standardDefaults_;
    MacMainQueue mainQueue_;
    MacUserInitiatedQueue userInitiatedQueue_;
    NotificationCenter notifications_;
    MacApplication application_{notifications_};
    MacStatusBar statusBar_{application_.presenter()};
    MacGraphics graphics_;
    MacAlertPresenter alerts_;
    MacProgressPresenter progress_;
    MacLoginItems loginItems_;
    MacAccessibility accessibility_;
    MacFinderExtensionSettings finderExtension_;
    MacSoftwareUpdater updater_{alerts_, bundle_};
    MacScriptRunner scripts_;
    MacSleeper sleeper_;
    MacProcessInfo processInfo_;
};

} // namespace orv::mac
#endif
