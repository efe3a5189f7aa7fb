// Pages, Numbers and Keynote documents, made by their own applications through a script; when
// the application is missing, an alert offers its App Store page.

#include "app/shell/AppDelegate.h"
#include "platform/AppleScript.h"
#include "platform/Url.h"

#include <array>

namespace orv {

namespace {

struct IWorkApp {
    std::string_view ext;
    std::string_view displayName;
    std::string_view bundleIdentifier;
};

constexpr std::array<IWorkApp, 3> kIWorkApps{{
    {"pages", "Pages", "com.apple.iWork.Pages"},
    {"numbers", "Numbers", "com.apple.iWork.Numbers"},
    {"key", "Keynote", "com.apple.iWork.Keynote"},
}};

struct AppStoreLink {
    std::string_view ext;
    std::string_view url;
};

constexpr std::array<AppStoreLink, 3> kAppStoreLinks{{
    {"pages", "macappstore://apps.apple.com/app/id409201541"},
    {"numbers", "macappstore://apps.apple.com/app/id409203825"},
    {"key", "macappstore://apps.apple.com/app/id409183694"},
}};

// Pages for "pages", Numbers for "numbers", Keynote for anything else.
const IWorkApp& appFor(std::string_view ext) {
    if (ext == "pages") {
        return kIWorkApps[0];
    }
    if (ext == "numbers") {
        return kIWorkApps[1];
    }
    return kIWorkApps[2];
}

} // namespace

std::string AppDelegate::iWorkCreationScript(std::string_view bundleIdentifier,
                                             std::string_view path) {
    std::string script = "tell application id \"";
    script += bundleIdentifier;
    script += "\"\n    set d to make new document\n    save d in POSIX file \"";
    script += appleScriptEscaped(path);
    script += "\"\n    close d saving no\nend tell";
    return script;
}

void AppDelegate::createIWorkDocument(const Path& fileURL, std::string_view ext) {
    const IWorkApp& app = appFor(ext);
    if (!platform_.workspace.urlForApplication(app.bundleIdentifier)) {
        platform_.mainQueue.async([this, name = std::string(app.displayName),
                                   ext = std::string(ext)] { showIWorkMissingAlert(name, ext); });
        return;
    }
    platform_.userInitiatedQueue.async(
        [this, script = iWorkCreationScript(app.bundleIdentifier, fileURL.str()), fileURL] {
            runIWorkScript(script, fileURL);
        });
}

void AppDelegate::runIWorkScript(const std::string& script, const Path& fileURL) {
    auto error = platform_.scripts.run(script);
    platform_.mainQueue.async(
        [this, error = std::move(error), fileURL] { finishIWorkCreation(error, fileURL); });
}

void AppDelegate::finishIWorkCreation(const std::optional<ScriptError>& error,
                                      const Path& fileURL) {
    if (!error && platform_.files.fileExists(fileURL)) {
        log("IWork created: %{public}@", fileURL.str());
        revealAndRename(fileURL);
        return;
    }
    log("IWork error: %{public}@", platform_.scripts.describe(error));
}

void AppDelegate::showIWorkMissingAlert(const std::string& appName, const std::string& ext) {
    Alert alert;
    alert.messageText = appName + " is not installed";
    alert.informativeText = appName + " is required to create ." + ext +
                            " files. Download it for free from the App Store.";
    alert.buttons = {"Open App Store", "Cancel"};
    if (platform_.alerts.runModal(alert) != kAlertFirstButtonReturn) {
        return;
    }
    for (const auto& link : kAppStoreLinks) {
        if (link.ext == ext && Url::parse(link.url)) {
            platform_.workspace.openURL(link.url);
        }
    }
}

} // namespace orv
