// Paste: the cut items are moved into the destination under their own names, never replacing
// anything; the moved items are then selected in Finder and the failures listed in one alert.

#include "app/requests/PasteMover.h"

#include "app/shell/AppDelegate.h"
#include "platform/Text.h"
#include "shared/RequestHandoff.h"

#include <algorithm>

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

// A size as Finder writes it: decimal units, one decimal place below 100 of a unit.
std::string byteCount(std::int64_t bytes) {
    if (bytes < 1000) {
        return std::to_string(bytes) + " bytes";
    }
    double value = static_cast<double>(bytes);
    const char* unit = "KB";
    for (const char* next : {"KB", "MB", "GB", "TB"}) {
        unit = next;
        value /= 1000;
        if (value < 1000) {
            break;
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, value < 100 ? "%.1f %s" : "%.0f %s", value, unit);
    return text;
}

} // namespace

PasteMover::Outcome PasteMover::move(const std::vector<std::string>& items,
                                     const std::string& destinationPath, MoveJournal* journal) {
    Outcome outcome;
    const Path destination(destinationPath);
    const bool nul = destinationPath.find('\0') != std::string::npos;
    if (nul || !destination.isAbsolute()) {
        // Never resolved against the host's own working folder, never cut short at a NUL.
        const std::string why =
            "“" + destinationPath +
            (nul ? "” names no folder: it holds a NUL byte." : "” is not an absolute folder path.");
        log_("ERROR moving: %{public}@", why);
        outcome.failureLines.push_back(why);
        return outcome;
    }
    cancelled_ = false;
    items_ = &items;
    destination_ = destination;
    sizes_.clear();
    state_ = {};
    state_.itemsTotal = items.size();
    stayed_.clear();
    showing_ = false;
    started_ = platform_.processInfo.systemUptime();
    for (current_ = 0; current_ < items.size(); ++current_) {
        const auto& item = items[current_];
        const Path source(item);
        const std::string name = source.lastComponent();
        const Path target = destination.appending(name);
        state_.target = target;
        state_.itemBytes = sizes_.empty() ? 0 : sizes_[current_];
        state_.itemCopied = 0;
        itemStart_ = state_.bytesDone;
        if (const auto why = whyNotAnItem(item)) {
            const std::string line = "“" + item + "” " + *why + ".";
            log_("ERROR moving: %{public}@", line);
            outcome.failureLines.push_back(item + ": " + line);
        } else {
            const auto moved = proceed(0) ? platform_.files.moveItem(source, target, journal, this)
                                          : Status(stoppedMoveError(source, target));
            // Partly: the item is in place, but what appeared in it meanwhile stayed behind.
            if (moved || moved.error().kind == Error::Kind::partial) {
                outcome.movedURLs.push_back(target);
                log_("Moved: %{public}@ -> %{public}@", item, target.str());
            } else {
                stayed_.push_back(name);
            }
            if (!moved) {
                outcome.failureLines.push_back(name + ": " + moved.error().localizedDescription);
                log_("ERROR moving: %{public}@", moved.error().localizedDescription);
            }
        }
        state_.bytesDone = itemStart_ + (sizes_.empty() ? state_.itemCopied : state_.itemBytes);
        state_.itemsDone = current_ + 1;
    }
    if (display_) {
        show(outcome.movedURLs.size());
        display_.reset();
    }
    return outcome;
}

bool PasteMover::proceed(std::int64_t bytes) {
    state_.itemCopied += bytes;
    if (!sizes_.empty()) {
        // Held to the measured size whatever the files do meanwhile, so it only ever grows.
        state_.itemCopied = std::min(state_.itemCopied, state_.itemBytes);
    }
    state_.bytesDone = itemStart_ + state_.itemCopied;
    if (platform_.processInfo.systemUptime() - (showing_ ? shown_ : started_) >= kShowAfter) {
        show(std::nullopt);
    }
    return !stopped();
}

void PasteMover::measure() {
    sizes_.assign(items_->size(), 0);
    state_.bytesTotal = itemStart_; // what the items before copied
    for (std::size_t i = current_; i < items_->size(); ++i) {
        const auto& item = (*items_)[i];
        sizes_[i] = whyNotAnItem(item) ? 0 : platform_.files.bytesToCopy(Path(item), destination_);
        state_.bytesTotal += sizes_[i];
    }
    // Its source is still whole: only a copy that outgrew it has copied more.
    state_.itemBytes = std::max(sizes_[current_], state_.itemCopied);
    state_.bytesTotal += state_.itemBytes - sizes_[current_];
    sizes_[current_] = state_.itemBytes;
}

void PasteMover::show(std::optional<std::size_t> finishedWithMoved) {
    if (!showing_) {
        measure();
    }
    shown_ = platform_.processInfo.systemUptime();
    state_.finished = finishedWithMoved.has_value();
    const std::string folder = destination_.lastComponent();
    if (finishedWithMoved) {
        state_.title = localized("progress.done", {std::to_string(*finishedWithMoved),
                                                   std::to_string(state_.itemsTotal), folder});
        state_.detail =
            stayed_.empty() ? "" : localized("progress.stayed", {joined(stayed_, ", ")});
    } else {
        state_.title = localized("progress.title", {folder});
        state_.detail = localized(
            "progress.item", {state_.target.lastComponent(),
                              std::to_string(std::min(state_.itemsDone + 1, state_.itemsTotal)),
                              std::to_string(state_.itemsTotal)});
        if (state_.bytesTotal > 0) {
            state_.detail += ", " + localized("progress.bytes", {byteCount(state_.bytesDone),
                                                                 byteCount(state_.bytesTotal)});
        }
    }
    state_.cancelTitle = localized("progress.cancel", {});
    if (!showing_) {
        showing_ = true;
        display_ = platform_.progress.show(state_, [this] { cancel(); });
    } else if (display_) {
        display_->update(state_);
    }
}

std::string PasteMover::localized(std::string_view key,
                                  const std::vector<FormatArgument>& args) const {
    return formatString(platform_.bundle.localizedString(key), args);
}

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
    // A move across file systems is on record until it is done, for a later launch to put
    // right should the host die meanwhile.
    const auto container = platform_.files.containerURL(handoff::kAppGroupIdentifier);
    std::optional<MoveJournal> journal;
    if (container) {
        journal.emplace(platform_.files, *container, platform_.processInfo.current(), log);
    }
    const auto outcome =
        pasteMover_.move(request->items, request->destination, journal ? &*journal : nullptr);
    if (!outcome.movedURLs.empty()) {
        platform_.mainQueue.asyncAfter(
            kRevealDelay, [this, urls = outcome.movedURLs] { revealMovedItems(urls); });
    }
    if (!outcome.failureLines.empty()) {
        platform_.mainQueue.async(
            [this, lines = outcome.failureLines] { showMoveErrorAlert(lines); });
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
