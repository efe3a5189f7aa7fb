#include "app/requests/MoveJournal.h"

#include "platform/Text.h"
#include "shared/RequestHandoff.h"

#include <charconv>
#include <random>

namespace orv {

namespace {

constexpr std::string_view kPrefix = "moves-";
constexpr std::string_view kSuffix = ".txt";

std::optional<std::uint64_t> number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// A new name each time, also in a process forked from another.
Path journalIn(const Path& container) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device random;
    std::string name(kPrefix);
    for (std::uint64_t n = (std::uint64_t{random()} << 32) | random(), i = 0; i < 16;
         ++i, n >>= 4) {
        name += kHex[n & 0xF];
    }
    return container.appending(name + std::string(kSuffix));
}

std::string identityText(std::optional<FileIdentity> id) {
    return id ? concat({std::to_string(id->device), " ", std::to_string(id->inode)}) : "- -";
}

// The record's lines: "owner MACHINE BOOT PID START", "source TYPE DEVICE INODE SIZE MTIME
// PATH", "destination PATH", "copy DEVICE INODE PATH" ("- -" before the copy exists).
std::string recordText(const ProcessIdentity& owner, const CopyRecord& record) {
    const ItemInfo& item = record.item;
    return concat({"owner ",
                   owner.machine,
                   " ",
                   owner.boot,
                   " ",
                   std::to_string(owner.pid),
                   " ",
                   std::to_string(owner.started),
                   "\nsource ",
                   std::to_string(static_cast<int>(item.type)),
                   " ",
                   identityText(item.identity),
                   " ",
                   std::to_string(item.size),
                   " ",
                   std::to_string(item.modified),
                   " ",
                   record.source.str(),
                   "\ndestination ",
                   record.destination.str(),
                   "\ncopy ",
                   identityText(record.copyIdentity),
                   " ",
                   record.copy.str(),
                   "\n"});
}

struct Recorded {
    ProcessIdentity owner;
    CopyRecord move;
};

// The record, or nullopt for a text that is not a whole record of ours.
std::optional<Recorded> parseRecord(std::string_view text) {
    std::vector<std::string_view> fields[4];
    constexpr std::string_view kKeys[4] = {"owner", "source", "destination", "copy"};
    constexpr std::size_t kCounts[4] = {5, 7, 2, 4}; // the last field is the rest of the line
    for (int i = 0; i < 4; ++i) {
        const auto lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        for (std::size_t f = 1; f < kCounts[i]; ++f) {
            const auto blank = line.find(' ');
            fields[i].push_back(line.substr(0, blank));
            line.remove_prefix(blank == std::string_view::npos ? line.size() : blank + 1);
        }
        fields[i].push_back(line);
        if (fields[i][0] != kKeys[i]) {
            return std::nullopt;
        }
    }
    const auto& o = fields[0];
    const auto& s = fields[1];
    const auto& c = fields[3];
    const auto pid = number(o[3]), started = number(o[4]), type = number(s[1]),
               device = number(s[2]), inode = number(s[3]), size = number(s[4]),
               modified = number(s[5]), copyDevice = number(c[1]), copyInode = number(c[2]);
    const bool copyKnown = copyDevice && copyInode;
    if (!pid || !started || !type || *type > 3 || !device || !inode || !size || !modified ||
        (!copyKnown && (c[1] != "-" || c[2] != "-"))) {
        return std::nullopt;
    }
    Recorded r;
    r.owner = {std::string(o[1]), std::string(o[2]), static_cast<std::int64_t>(*pid), *started};
    r.move.source = Path(s[6]);
    r.move.item.type = static_cast<ItemInfo::Type>(*type);
    r.move.item.identity = {*device, *inode};
    r.move.item.size = static_cast<std::int64_t>(*size);
    r.move.item.modified = static_cast<std::int64_t>(*modified);
    r.move.destination = Path(fields[2][1]);
    r.move.copy = Path(c[3]);
    if (copyKnown) {
        r.move.copyIdentity = FileIdentity{*copyDevice, *copyInode};
    }
    const bool absolute =
        r.move.source.isAbsolute() && r.move.destination.isAbsolute() && r.move.copy.isAbsolute();
    return absolute ? std::optional(std::move(r)) : std::nullopt;
}

} // namespace

MoveJournal::MoveJournal(FileManager& files, const Path& container, ProcessIdentity owner,
                         const Log& log)
    : files_(files), file_(journalIn(container)), owner_(std::move(owner)), log_(log) {}

void MoveJournal::copyBegins(const CopyRecord& record) {
    for (const Path* path : {&record.source, &record.destination}) {
        if (path->str().find('\n') != std::string::npos) {
            log_("ERROR recording a move: “%{public}@” cannot stand on one line", path->str());
            return;
        }
    }
    if (auto written =
            files_.writeUTF8(file_, recordText(owner_, record), FileManager::WriteMode::atomic);
        !written) {
        log_("ERROR recording a move: %{public}@", written.error().localizedDescription);
        return;
    }
    written_ = true;
}

void MoveJournal::copyEnds() {
    if (std::exchange(written_, false)) {
        (void)files_.removeItem(file_);
    }
}

std::vector<std::string> MoveJournal::recoverInterruptedMoves(FileManager& files,
                                                              ProcessInfo& processes,
                                                              const Path& container,
                                                              const Log& log) {
    std::vector<std::string> inBothPlaces;
    const auto names = files.contentsOfDirectory(container);
    for (const auto& name : names ? *names : std::vector<std::string>{}) {
        if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) {
            continue;
        }
        const Path file = container.appending(name);
        const auto text = files.readUTF8(file, {handoff::kMaxRequestBytes, false});
        const auto recorded = text ? parseRecord(*text) : std::nullopt;
        if (!recorded) {
            log("Left a move record that cannot be read: %{public}@", file.str());
            continue;
        }
        // A host that may still be moving is left to finish; of two hosts launching at once,
        // only the one whose rename claims the record acts on it.
        const Path claimed = journalIn(container);
        if (processes.mayBeRunning(recorded->owner) ||
            !files.moveItem(file, claimed, nullptr, nullptr)) {
            continue;
        }
        const CopyRecord& move = recorded->move;
        switch (files.recoverInterruptedMove(move)) {
        case Interrupted::nothing:
            break;
        case Interrupted::notOurs:
            log("Left alone what a move record names, not a copy of ours: %{public}@",
                move.copy.str());
            break;
        case Interrupted::copyRemoved:
            log("Removed the empty copy of an interrupted move: %{public}@", move.copy.str());
            break;
        case Interrupted::copyLeft:
            if (const auto trashed = files.trashItem(move.copy)) {
                log("Put the partial copy of an interrupted move in the Trash: %{public}@ -> "
                    "%{public}@",
                    move.copy.str(), trashed->str());
            } else {
                log("Left the partial copy of an interrupted move at %{public}@: %{public}@",
                    move.copy.str(), trashed.error().localizedDescription);
            }
            break;
        case Interrupted::finished:
            log("Finished an interrupted move: %{public}@ -> %{public}@", move.source.str(),
                move.destination.str());
            break;
        case Interrupted::inBothPlaces:
            log("An interrupted move left %{public}@ in both places: %{public}@",
                move.destination.str(), move.source.str());
            inBothPlaces.push_back(
                concat({"“", move.destination.lastComponent(), "” is in both places: “",
                        move.source.str(), "” and “", move.destination.str(), "”."}));
            break;
        }
        (void)files.removeItem(claimed);
    }
    return inBothPlaces;
}

} // namespace orv
