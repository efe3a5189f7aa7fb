#pragma once
// The Linux platform as a program entry builds it: every service, owned in one place.

#include "platform/Platform.h"
#include "platform/linux/LinuxBundle.h"
#include "platform/linux/LinuxFileManager.h"
#include "platform/linux/LinuxServices.h"
#include "platform/linux/LinuxUserDefaults.h"
#include "platform/linux/Process.h"

#include <optional>

namespace orv::lnx {

class LinuxPlatform {
  public:
    // `bundleName` names the deliverable's resources ("OrvaneExtension");
    // `bundleIdentifier` is the subsystem of the platform's own log lines.
    LinuxPlatform(std::string_view bundleName, std::string_view bundleIdentifier);

    Platform platform();

    FinderStandInController& finder() { return finder_; }
    LinuxBundle& bundle() { return *bundle_; }

  private:
    LinuxFileManager files_;
    LinuxPasteboard pasteboard_;
    LinuxProcessLauncher processes_;
    LinuxWorkspace workspace_{processes_};
    LinuxUserDefaultsSuites suites_;
    LinuxLogSink logSink_;
    FinderStandInController finder_;
    LinuxSymbolCatalog symbols_;
    std::optional<LinuxBundle> bundle_;
};

} // namespace orv::lnx
