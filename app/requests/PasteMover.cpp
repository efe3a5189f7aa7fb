// Paste: the cut items are moved into the destination under their own names, never replacing
// anything; the moved items are then selected in Finder and the failures listed in one alert.

#include "app/requests/MoveJournal.h"
#include "app/shell/AppDelegate.h"
#include "platform/Text.h"
#include "shared/RequestHandoff.h"

namespace orv {

namespace {

constexpr double kRevealDelay = 0.3;
constexpr std::string_view kMoveErrorTitle = "Error al mover";

// Why the cut line does not name one item by an absolute path with a real last name, or
// nullopt when it does. A NUL would cut the path short, "." or ".." would resolve elsewhere.
std::optional<std::string> whyNotAnItem(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        return "holds a NUL byte";
    }
    if (path.empty() || path.front() != '/') {
        return "is not an absolute path";
    }
    if (path == "/") {
        return "is the root folder, not an item in it";
    }
    std::size_t start = 1;
    while (start <= path.size()) {
        const auto slash = path.find('/', start);
        const auto part = std::string_view(path).substr(
            start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part == "." || part == "..") {
            return "holds a “.” or “..” part";
        }
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }
    return std::nullopt;
}

} // namespace

void AppDelegate::handlePasteRequest() {
    const auto request = handoff::takePasteRequest(platform_.files, log);
    if (!request) {
        // A file manager whose menu cannot hide Paste offers it with nothing cut: say so.
        if (!handoff::hasPendingCut(platform_.files)) {
            log("Nothing to paste: no items are waiting to be moved");
        }
        return;
    }
    // From here on the cut is consumed, whatever becomes of the moves.
    if (request->items.empty()) {
        return; // a cut list of blank lines: nothing to move or report
    }
    std::vector<Path> movedURLs;
    std::vector<std::string> failureLines;
    // A move across file systems is on record until it is done, for a later launch to put
    // right should the host die meanwhile.
    const auto container = platform_.files.containerURL(handoff::kAppGroupIdentifier);
    std::optional<MoveJournal> journal;
    if (container) {
        journal.emplace(platform_.files, *container, platform_.processInfo.current(), log);
    }
    const Path destination(request->destination);
    const bool nul = request->destination.find('\0') != std::string::npos;
    if (nul || !destination.isAbsolute()) {
        // Never resolved against the host's own working folder, never cut short at a NUL.
        const std::string why =
            "“" + request->destination +
            (nul ? "” names no folder: it holds a NUL byte." : "” is not an absolute folder path.");
        log("ERROR moving: %{public}@", why);
        failureLines.push_back(why);
    } else {
        for (const auto& item : request->items) {
            const Path source(item);
            const std::string name = source.lastComponent();
            if (const auto why = whyNotAnItem(item)) {
                const std::string line = "“" + item + "” " + *why + ".";
                log("ERROR moving: %{public}@", line);
                failureLines.push_back(item + ": " + line);
                continue;
            }
            const Path target = destination.appending(name);
            const auto moved =
                platform_.files.moveItem(source, target, journal ? &*journal : nullptr);
            // Partly: the item is in place, but what appeared in it meanwhile stayed behind.
            if (moved || moved.error().kind == Error::Kind::partial) {
                movedURLs.push_back(target);
                log("Moved: %{public}@ -> %{public}@", item, target.str());
            }
            if (!moved) {
                failureLines.push_back(name + ": " + moved.error().localizedDescription);
                log("ERROR moving: %{public}@", moved.error().localizedDescription);
            }
        }
    }
    if (!movedURLs.empty()) {
        platform_.mainQueue.asyncAfter(kRevealDelay,
                                       [this, movedURLs] { revealMovedItems(movedURLs); });
    }
    if (!failureLines.empty()) {
        platform_.mainQueue.async([this, failureLines] { showMoveErrorAlert(failureLines); });
    }
}

void AppDelegate::revealMovedItems(const std::vector<Path>& urls) {
    platform_.workspace.activateFileViewerSelecting(urls);
}

void AppDelegate::showMoveErrorAlert(const std::vector<std::string>& lines) {
    Alert alert;
    alert.messageText = std::string(kMoveErrorTitle);
    alert.informativeText = joined(lines, "\n");
    alert.style = AlertStyle::warning;
    platform_.alerts.runModal(alert);
}

} // namespace orv
