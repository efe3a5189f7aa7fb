// Removes the application from the machine after a confirmation: login item, preferences,
// group container, then, with administrator rights, the bundle, caches, saved state and
// privacy permissions of both deliverables; then the application quits.

#include "app/shell/AppDelegate.h"
#include "platform/AppleScript.h"
#include "shared/RequestHandoff.h"

namespace orv {

namespace {

constexpr std::string_view kAppIdentifier = "tamsel.Orvane-";
constexpr std::string_view kExtensionIdentifier = "tamsel.Orvane-.OrvaneExtension";

} // namespace

std::string AppDelegate::shellQuoted(std::string_view text) {
    // Single quotes keep every character as it is; a single quote itself is closed, escaped
    // and reopened. Line feeds, "$", backticks and ";" are all inert inside.
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

std::vector<std::string> AppDelegate::uninstallCommands(std::string_view home) {
    const std::string h = shellQuoted(home);
    const std::string app(kAppIdentifier), ext(kExtensionIdentifier);
    return {
        "rm -rf /Applications/Orvane+.app",
        "rm -f " + h + "/Library/Preferences/" + app + ".plist",
        "rm -f " + h + "/Library/Preferences/" + ext + ".plist",
        "rm -rf " + h + "/Library/Caches/" + app,
        "rm -rf " + h + "/Library/Caches/" + ext,
        "rm -rf " + h + "/Library/Saved\\ Application\\ State/" + app + ".savedState",
        "rm -rf " + h + "/Library/Application\\ Support/" + app,
        "tccutil reset Accessibility " + app,
        "tccutil reset Accessibility " + ext,
        "tccutil reset All " + app,
        "tccutil reset All " + ext,
        "killall cfprefsd",
    };
}

std::string AppDelegate::administratorScript(const std::vector<std::string>& commands) {
    std::string joined;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        joined += (i > 0 ? "; " : "") + commands[i];
    }
    // Backslashes are escaped before quotes, so the shell receives each command exactly.
    return "do shell script \"" + appleScriptEscaped(joined) + "\" with administrator privileges";
}

void AppDelegate::uninstallApp() {
    Alert alert;
    alert.messageText = "Uninstall Orvane+?";
    alert.informativeText =
        "This will completely remove the app, all data, permissions, and login item registration.";
    alert.style = AlertStyle::warning;
    alert.buttons = {"Uninstall", "Cancel"};
    platform_.application.setActivationPolicy(ActivationPolicy::regular);
    platform_.application.activateIgnoringOtherApps(true);
    if (platform_.alerts.runModal(alert) != kAlertFirstButtonReturn) {
        platform_.application.setActivationPolicy(ActivationPolicy::accessory);
        return;
    }
    (void)platform_.loginItems.unregisterMainApp();
    platform_.standardDefaults.removePersistentDomain(
        platform_.bundle.infoString("CFBundleIdentifier").value_or(""));
    if (auto group = platform_.defaultsSuites.suite(handoff::kAppGroupIdentifier)) {
        group->removePersistentDomain(handoff::kAppGroupIdentifier);
    }
    if (const auto container = platform_.files.containerURL(handoff::kAppGroupIdentifier)) {
        (void)platform_.files.removeItem(*container);
    }
    // The system asks for an administrator's password; whatever the answer, the app quits.
    (void)platform_.scripts.run(
        administratorScript(uninstallCommands(platform_.files.homeDirectory().str())));
    platform_.application.terminate(nullptr);
}

} // namespace orv
