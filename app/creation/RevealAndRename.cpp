// Shows a new file selected in Finder and opens its name for editing: Finder selects it, and a
// moment later System Events presses Return in Finder.

#include "app/shell/AppDelegate.h"
#include "platform/AppleScript.h"

namespace orv {

namespace {

constexpr std::string_view kSelectStart = "tell application \"Finder\"\n"
                                          "    set theFile to POSIX file \"";
constexpr std::string_view kSelectEnd = "\" as alias\n"
                                        "    select theFile\n"
                                        "    activate\n"
                                        "end tell";
// Key code 36 is Return, which starts Finder's inline rename of the selection.
constexpr std::string_view kRenameScript = "tell application \"System Events\"\n"
                                           "    tell process \"Finder\"\n"
                                           "        set frontmost to true\n"
                                           "        key code 36\n"
                                           "    end tell\n"
                                           "end tell";
// Finder needs the selection in place before the key press.
constexpr double kPauseBeforeRename = 0.4;

} // namespace

std::string AppDelegate::finderSelectionScript(std::string_view path) {
    // Escaped as for any string literal, so quotes and backslashes in names reach Finder.
    std::string script(kSelectStart);
    script += appleScriptEscaped(path);
    script += kSelectEnd;
    return script;
}

std::string_view AppDelegate::renameScript() {
    return kRenameScript;
}

void AppDelegate::revealAndRename(const Path& fileURL) {
    platform_.userInitiatedQueue.async(
        [this, path = fileURL.str()] { selectAndRenameInFinder(path); });
}

void AppDelegate::selectAndRenameInFinder(const std::string& path) {
    const auto selectError = platform_.scripts.run(finderSelectionScript(path));
    log("select err=%{public}@", platform_.scripts.describe(selectError));
    platform_.sleeper.sleepFor(kPauseBeforeRename);
    const auto renameError = platform_.scripts.run(kRenameScript);
    log("rename err=%{public}@", platform_.scripts.describe(renameError));
}

} // namespace orv
