#include "platform/macos/MacServices.h"

#include "platform/macos/Cocoa.h"

#import <FinderSync/FinderSync.h>

#include <os/log.h>

namespace orv::mac {

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

void MacPasteboard::clearContents() {
    [NSPasteboard.generalPasteboard clearContents];
}

bool MacPasteboard::setString(std::string_view text, std::string_view type) {
    return [NSPasteboard.generalPasteboard setString:toNS(text) forType:toNS(type)];
}

bool MacWorkspace::openURL(std::string_view url) {
    NSURL* parsed = [NSURL URLWithString:toNS(url)];
    return parsed != nil && [NSWorkspace.sharedWorkspace openURL:parsed];
}

std::optional<Path> MacWorkspace::urlForApplication(std::string_view bundleIdentifier) {
    return pathOf(
        [NSWorkspace.sharedWorkspace URLForApplicationWithBundleIdentifier:toNS(bundleIdentifier)]);
}

void MacWorkspace::activateFileViewerSelecting(const std::vector<Path>& items) {
    [NSWorkspace.sharedWorkspace activateFileViewerSelectingURLs:fileURLs(items)];
}

Status MacProcessLauncher::launch(const Path& executable,
                                  const std::vector<std::string>& arguments) {
    NSMutableArray<NSString*>* args = [NSMutableArray arrayWithCapacity:arguments.size()];
    for (const std::string& argument : arguments) {
        [args addObject:toNS(argument)];
    }
    NSTask* task = [[NSTask alloc] init];
    task.executableURL = fileURL(executable);
    task.arguments = args;
    NSError* error = nil;
    return statusOf([task launchAndReturnError:&error], error);
}

std::string MacBundle::localizedString(std::string_view key) {
    return toStd([bundle_ localizedStringForKey:toNS(key) value:@"" table:nil]);
}

std::optional<std::string> MacBundle::infoString(std::string_view key) {
    id value = [bundle_ objectForInfoDictionaryKey:toNS(key)];
    if (![value isKindOfClass:NSString.class]) {
        return std::nullopt;
    }
    return toStd(static_cast<NSString*>(value));
}

ImagePtr MacSymbolCatalog::systemSymbol(std::string_view name) {
    NSImage* symbol = [NSImage imageWithSystemSymbolName:toNS(name) accessibilityDescription:nil];
    if (symbol == nil) {
        return nullptr;
    }
    auto image = std::make_shared<Image>(Size{symbol.size.width, symbol.size.height});
    image->symbolName = std::string(name);
    return image;
}

bool MacUserDefaults::boolForKey(std::string_view key) {
    return [defaults_ boolForKey:toNS(key)];
}

void MacUserDefaults::setBool(bool value, std::string_view key) {
    [defaults_ setBool:value forKey:toNS(key)];
}

bool MacUserDefaults::synchronize() {
    return [defaults_ synchronize];
}

void MacUserDefaults::removePersistentDomain(std::string_view name) {
    [defaults_ removePersistentDomainForName:toNS(name)];
}

std::unique_ptr<UserDefaults> MacUserDefaultsSuites::suite(std::string_view name) {
    NSUserDefaults* defaults = [[NSUserDefaults alloc] initWithSuiteName:toNS(name)];
    return defaults != nil ? std::make_unique<MacUserDefaults>(defaults) : nullptr;
}

void MacLogSink::write(std::string_view subsystem, std::string_view category,
                       std::string_view message) {
    os_log_t log = nil;
    {
        const std::lock_guard lock(mutex_);
        void*& kept = logs_[{std::string(subsystem), std::string(category)}];
        if (kept == nullptr) {
            kept = (__bridge_retained void*)os_log_create(std::string(subsystem).c_str(),
                                                          std::string(category).c_str());
        }
        log = (__bridge os_log_t)kept;
    }
    const std::string text(message);
    os_log_with_type(log, OS_LOG_TYPE_DEFAULT, "%{public}s", text.c_str());
}

} // namespace orv::mac
