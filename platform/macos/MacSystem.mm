#include "platform/macos/MacSystem.h"

#include "platform/macos/Cocoa.h"

#import <ApplicationServices/ApplicationServices.h>
#import <FinderSync/FinderSync.h>
#import <ServiceManagement/ServiceManagement.h>
#if ORVANE_HAS_SPARKLE
#import <Sparkle/Sparkle.h>
#endif

#include <sys/sysctl.h>
#include <unistd.h>

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

bool MacFinderExtensionSettings::isExtensionEnabled() {
    return FIFinderSyncController.isExtensionEnabled;
}

void MacFinderExtensionSettings::showExtensionManagementInterface() {
    [FIFinderSyncController showExtensionManagementInterface];
}

std::optional<ScriptError> MacScriptRunner::run(std::string_view source) {
    NSAppleScript* script = [[NSAppleScript alloc] initWithSource:toNS(source)];
    NSDictionary<NSString*, id>* error = nil;
    [script executeAndReturnError:&error];
    if (error == nil) {
        return std::nullopt;
    }
    NSNumber* number = error[NSAppleScriptErrorNumber];
    NSString* message = error[NSAppleScriptErrorMessage];
    return ScriptError{number.intValue, toStd(message)};
}

void MacSleeper::sleepFor(double seconds) {
    [NSThread sleepForTimeInterval:seconds];
}

std::int64_t MacProcessInfo::processIdentifier() {
    return NSProcessInfo.processInfo.processIdentifier;
}

double MacProcessInfo::systemUptime() {
    return NSProcessInfo.processInfo.systemUptime;
}

std::string MacProcessInfo::machine() {
    uuid_t id = {};
    const timespec wait = {1, 0};
    if (gethostuuid(id, &wait) != 0) {
        return {};
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : id) {
        text += {kHex[byte >> 4], kHex[byte & 0xF]};
    }
    return text;
}

std::string MacProcessInfo::boot() {
    int name[] = {CTL_KERN, KERN_BOOTTIME};
    timeval booted = {};
    size_t size = sizeof booted;
    return sysctl(name, 2, &booted, &size, nullptr, 0) == 0
               ? std::to_string(booted.tv_sec) + "." + std::to_string(booted.tv_usec)
               : std::string();
}

std::optional<std::uint64_t> MacProcessInfo::startOf(std::int64_t pid) {
    int name[] = {CTL_KERN, KERN_PROC, KERN_PROC_PID, static_cast<int>(pid)};
    kinfo_proc info = {};
    size_t size = sizeof info;
    if (sysctl(name, 4, &info, &size, nullptr, 0) != 0 || size == 0) {
        return std::nullopt;
    }
    const timeval& started = info.kp_proc.p_starttime;
    return static_cast<std::uint64_t>(started.tv_sec) * 1000000 +
           static_cast<std::uint64_t>(started.tv_usec);
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
