#include "app/requests/MoveJournal.h"

#include "shared/RequestHandoff.h"

#include <charconv>

namespace orv {

namespace {

std::optional<std::uint64_t> number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

MoveJournal::MoveJournal(FileManager& files, const Path& container, const Log& log)
    : files_(files), file_(container.appending(kFileName)), log_(log) {}

void MoveJournal::copyBegins(const Path& temporary, std::optional<FileIdentity> identity) {
    if (temporary.str().find('\n') != std::string::npos) {
        log_("ERROR recording a move: “%{public}@” cannot stand on one line", temporary.str());
        return;
    }
    write((identity ? std::to_string(identity->device) + " " + std::to_string(identity->inode)
                    : std::string("- -")) +
          " " + temporary.str() + "\n");
}

void MoveJournal::copyEnds() {
    write("");
}

void MoveJournal::write(const std::string& text) {
    if (auto written = files_.writeUTF8(file_, text, FileManager::WriteMode::atomic); !written) {
        log_("ERROR recording a move: %{public}@", written.error().localizedDescription);
    }
}

void MoveJournal::removeAbandonedCopies(FileManager& files, const Path& container, const Log& log) {
    const Path file = container.appending(kFileName);
    const auto text = files.readUTF8(file, {handoff::kMaxRequestBytes, false});
    if (!text || text->empty()) {
        return;
    }
    std::string_view rest = *text;
    while (!rest.empty()) {
        const auto lf = rest.find('\n');
        const std::string_view line = rest.substr(0, lf);
        rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
        const auto first = line.find(' ');
        const auto second = first == std::string_view::npos ? first : line.find(' ', first + 1);
        if (second == std::string_view::npos || line.substr(second + 1, 1) != "/") {
            continue;
        }
        const auto device = number(line.substr(0, first));
        const auto inode = number(line.substr(first + 1, second - first - 1));
        const std::optional<FileIdentity> identity =
            device && inode ? std::optional<FileIdentity>(FileIdentity{*device, *inode})
                            : std::nullopt;
        const Path copy(line.substr(second + 1));
        if (files.removeAbandonedCopy(copy, identity)) {
            log("Removed the partial copy of an interrupted move: %{public}@", copy.str());
        }
    }
    (void)files.writeUTF8(file, "", FileManager::WriteMode::atomic);
}

} // namespace orv
