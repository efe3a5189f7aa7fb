#pragma once
// The host's system services on macOS: login item (ServiceManagement), accessibility trust,
// the Finder extension (FinderSync), alerts (NSAlert) and the software updater (Sparkle 2
// when the build carries it).

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

class MacFinderSyncController final : public FinderSyncController {
  public:
    void setDirectoryURLs(std::set<Path> urls) override;
    std::optional<std::vector<Path>> selectedItemURLs() override;
    std::optional<Path> targetedURL() override;
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
