#include "platform/macos/MacSystem.h"

#include "platform/macos/Cocoa.h"

#import <ApplicationServices/ApplicationServices.h>
#import <FinderSync/FinderSync.h>
#import <ServiceManagement/ServiceManagement.h>
#if ORVANE_HAS_SPARKLE
#import <Sparkle/Sparkle.h>
#endif

namespace orv::mac {

Status MacLoginItems::registerMainApp() {
    NSError* error = nil;
    return statusOf([SMAppService.mainAppService registerAndReturnError:&error], error);
}

Status MacLoginItems::unregisterMainApp() {
    NSError* error = nil;
    return statusOf([SMAppService.mainAppService unregisterAndReturnError:&error], error);
}

bool MacAccessibility::isProcessTrusted() {
    return AXIsProcessTrusted();
}

bool MacAccessibility::isProcessTrustedWithOptions(bool prompt) {
    NSDictionary* options = @{(__bridge NSString*)kAXTrustedCheckOptionPrompt : @(prompt)};
    return AXIsProcessTrustedWithOptions((__bridge CFDictionaryRef)options);
}

void MacFinderSyncController::setDirectoryURLs(std::set<Path> urls) {
    NSMutableSet<NSURL*>* set = [NSMutableSet setWithCapacity:urls.size()];
    for (const Path& url : urls) {
        [set addObject:fileURL(url)];
    }
    FIFinderSyncController.defaultController.directoryURLs = set;
}

std::optional<std::vector<Path>> MacFinderSyncController::selectedItemURLs() {
    NSArray<NSURL*>* selected = FIFinderSyncController.defaultController.selectedItemURLs;
    return selected != nil ? std::optional(pathsOf(selected)) : std::nullopt;
}

std::optional<Path> MacFinderSyncController::targetedURL() {
    return pathOf(FIFinderSyncController.defaultController.targetedURL);
}

bool MacFinderExtensionSettings::isExtensionEnabled() {
    return FIFinderSyncController.isExtensionEnabled;
}

void MacFinderExtensionSettings::showExtensionManagementInterface() {
    [FIFinderSyncController showExtensionManagementInterface];
}

int MacAlertPresenter::runModal(const Alert& alert) {
    NSAlert* panel = [[NSAlert alloc] init];
    panel.messageText = toNS(alert.messageText);
    panel.informativeText = toNS(alert.informativeText);
    panel.alertStyle = static_cast<NSAlertStyle>(alert.style);
    for (const std::string& title : alert.buttons) {
        [panel addButtonWithTitle:toNS(title)];
    }
    return static_cast<int>([panel runModal]);
}

#if ORVANE_HAS_SPARKLE
namespace {

class SparkleController final : public UpdaterController {
  public:
    explicit SparkleController(bool startingUpdater)
        : controller_([[SPUStandardUpdaterController alloc] initWithStartingUpdater:startingUpdater
                                                                    updaterDelegate:nil
                                                                 userDriverDelegate:nil]) {}
    bool performAction(std::string_view selector, Sender) override {
        if (selector != "checkForUpdates:") {
            return false;
        }
        [controller_ checkForUpdates:nil];
        return true;
    }

  private:
    SPUStandardUpdaterController* controller_;
};
} // namespace
#endif

std::shared_ptr<UpdaterController>
MacSoftwareUpdater::makeStandardController(bool startingUpdater) {
#if ORVANE_HAS_SPARKLE
    (void)alerts_;
    (void)bundle_;
    return std::make_shared<SparkleController>(startingUpdater);
#else
    (void)startingUpdater;
    const std::string name = bundle_.infoString("CFBundleName").value_or("Orvane+");
    return std::make_shared<NoticeUpdaterController>(
        alerts_, Alert{"Updates come with new releases",
                       name + " was built without its update framework: install a newer "
                              "release to update it.",
                       AlertStyle::informational,
                       {}});
#endif
}

} // namespace orv::mac
