#pragma once
// The host's system services on macOS: login item (ServiceManagement), accessibility trust,
// the Finder extension's settings (FinderSync), alerts (NSAlert), NSAppleScript, sleeping,
// process information and the software updater (Sparkle 2 when the build carries it). The
// extension links none of them.

#include "platform/Application.h"
#include "platform/Services.h"

namespace orv::mac {

class MacLoginItems final : public LoginItemService {
  public:
    Status registerMainApp() override;
    Status unregisterMainApp() override;
};

class MacAccessibility final : public AccessibilityTrust {
  public:
    bool isProcessTrusted() override;
    bool isProcessTrustedWithOptions(bool prompt) override;
};

class MacFinderExtensionSettings final : public FinderExtensionSettings {
  public:
    bool isExtensionEnabled() override;
    void showExtensionManagementInterface() override;
};

class MacAlertPresenter final : public AlertPresenter {
  public:
    int runModal(const Alert& alert) override;
};

class MacScriptRunner final : public ScriptRunner {
  public:
    std::optional<ScriptError> run(std::string_view source) override;
};

class MacSleeper final : public Sleeper {
  public:
    void sleepFor(double seconds) override;
};

// gethostuuid, kern.boottime and kern.proc.pid (a start in microseconds).
class MacProcessInfo final : public ProcessInfo {
  public:
    std::int64_t processIdentifier() override;
    double systemUptime() override;
    std::string machine() override;
    std::string boot() override;
    std::optional<std::uint64_t> startOf(std::int64_t pid) override;
};

// Sparkle's standard controller when the build has the framework; without it, checking for
// updates says where new releases come from.
class MacSoftwareUpdater final : public SoftwareUpdater {
  public:
    MacSoftwareUpdater(AlertPresenter& alerts, Bundle& bundle) : alerts_(alerts), bundle_(bundle) {}
    std::shared_ptr<UpdaterController> makeStandardController(bool startingUpdater) override;

  private:
    AlertPresenter& alerts_;
    Bundle& bundle_;
};

} // namespace orv::mac
