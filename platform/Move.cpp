#include "platform/Move.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <set>

namespace orv {

namespace {

using Type = ItemInfo::Type;

constexpr std::string_view kCopyPrefix = ".orvane-move-";

std::string quotedName(const Path& path) {
    return "“" + path.lastComponent() + "”";
}

Error moveError(int code, const Path& source, const Path& destination, std::string_view why = "") {
    std::string text = quotedName(source) + " couldn’t be moved to “" +
                       destination.deletingLastComponent().str() + "”";
    const Error::Kind kind = code == EEXIST || code == ENOTEMPTY ? Error::Kind::alreadyExists
                             : code == ENOENT                    ? Error::Kind::notFound
                                                                 : Error::Kind::other;
    if (!why.empty()) {
        return Error{code, text + std::string(why), kind};
    }
    switch (code) {
    case EEXIST:
    case ENOTEMPTY:
        text += " because an item with the same name already exists there.";
        break;
    case ENOENT:
        text += " because it no longer exists.";
        break;
    case EACCES:
    case EPERM:
        text += " because you don’t have permission to access it or the folder.";
        break;
    case ENOSPC:
        text += " because there isn’t enough space.";
        break;
    case ECANCELED:
        text += " because the move was stopped.";
        break;
    default:
        text += ": " + std::string(std::strerror(code)) + ".";
    }
    return Error{code, text, kind};
}

Error moveError(const Error& error, const Path& source, const Path& destination) {
    return moveError(error.code, source, destination);
}

// A short name of our own beside the destination: it always fits where the item's own name
// fits, however long that is.
Path temporaryBeside(const Path& destination) {
    static std::atomic<std::uint64_t> counter{
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    static constexpr char kHex[] = "0123456789abcdef";
    std::uint64_t n = counter.fetch_add(0x9E3779B97F4A7C15ull);
    std::string name(kCopyPrefix);
    for (int i = 0; i < 16; ++i, n >>= 4) {
        name += kHex[n & 0xF];
    }
    return destination.deletingLastComponent().appending(name);
}

// Whether `inner` is `outer` or lies inside it, by their real paths.
bool isWithin(MoveSystem& system, const Path& inner, const Path& outer) {
    const auto o = system.realPath(outer);
    const auto i = system.realPath(inner);
    if (!o || !i) {
        return false;
    }
    const std::string& os = o->str();
    const std::string& is = i->str();
    return is == os || (is.size() > os.size() && is.compare(0, os.size(), os) == 0 &&
                        (os == "/" || is[os.size()] == '/'));
}

// Gives `from` the name `to` without replacing anything, also where the file system cannot
// rename without replacing: a file gets a second name and loses the first; a folder takes
// the place of an empty folder of ours made under the name (mkdir never replaces, and the
// rename fails if anything appeared in it meanwhile).
Status placeWithoutReplacing(MoveSystem& system, const Path& from, const Path& to, Type type) {
    auto renamed = system.renameNoReplace(from, to);
    if (renamed || renamed.error().kind != Error::Kind::unsupported) {
        return renamed;
    }
    if (type != Type::folder) {
        if (auto linked = system.link(from, to); !linked) {
            return linked;
        }
        return system.removeEntry(from, type);
    }
    if (auto made = system.makeFolder(to); !made) {
        return made;
    }
    auto moved = system.renameOverEmptyFolder(from, to);
    if (!moved) {
        (void)system.removeEntry(to, Type::folder); // ours, unless someone filled it meanwhile
    }
    return moved;
}

// Whether the item is still the one looked at: a folder by its identity, anything else also
// by its size and modification time.
bool unchangedSince(const ItemInfo& now, const ItemInfo& was) {
    return now.identity == was.identity && now.type == was.type &&
           (now.type == Type::folder || (now.size == was.size && now.modified == was.modified));
}

// What the copy took from the source, so that only that is removed afterwards.
struct Copied {
    Path source;
    ItemInfo info;
};

class TreeCopy {
  public:
    // Copies under `record.copy`, telling `observer` of the copy once it exists.
    TreeCopy(MoveSystem& system, MoveObserver* observer, MoveProgress* progress, CopyRecord record)
        : record(std::move(record)), system_(system), observer_(observer), progress_(progress) {}

    CopyRecord record;

    Status copy(const Path& from, const Path& to, const ItemInfo& info, bool top) {
        if (progress_ != nullptr && !progress_->proceed(0)) {
            return Error{ECANCELED, "stopped"};
        }
        if (info.type == Type::folder) {
            if (auto made = system_.makeFolder(to); !made) {
                return made;
            }
            copied_.push_back({from, info}); // before its contents: removed after them
            if (top) {
                if (auto made = system_.info(to)) {
                    created(made->identity);
                }
            }
            auto names = system_.list(from);
            if (!names) {
                return names.error();
            }
            for (const auto& name : *names) {
                const Path child = from.appending(name);
                const auto childInfo = system_.info(child);
                if (!childInfo) {
                    return childInfo.error();
                }
                if (auto copied = copy(child, to.appending(name), *childInfo, false); !copied) {
                    return copied;
                }
            }
            if (auto finished = system_.finishFolder(from, to); !finished) {
                return finished;
            }
        } else if (const auto first = links_.find(info.identity);
                   info.type == Type::file && info.links > 1 && first != links_.end()) {
            // Another name of a file already copied: a second name of the copy, as mv keeps it.
            if (auto linked = system_.link(first->second, to); !linked) {
                return linked;
            }
        } else {
            const auto onCreated = [this, top](FileIdentity id) {
                if (top) {
                    created(id);
                }
            };
            if (auto copied = system_.copyItem(from, to, onCreated, progress_); !copied) {
                return copied;
            }
            if (info.type == Type::file && info.links > 1) {
                links_.emplace(info.identity, to);
            }
        }
        if (info.type != Type::folder) {
            copied_.push_back({from, info});
        }
        return ok();
    }

    // Removes from the source what was copied and nothing else, deepest first. Returns whether
    // anything stayed because it appeared or changed during the copy.
    bool removeCopiedSource() {
        bool stayed = false;
        for (auto it = copied_.rbegin(); it != copied_.rend(); ++it) {
            const auto now = system_.info(it->source);
            if (!now) {
                continue; // gone already
            }
            const bool same = unchangedSince(*now, it->info);
            // A folder that holds something new cannot be removed, and so it stays too.
            if (!same || !system_.removeEntry(it->source, now->type)) {
                stayed = true;
            }
        }
        return stayed;
    }

  private:
    void created(FileIdentity identity) {
        record.copyIdentity = identity;
        if (observer_ != nullptr) {
            observer_->copyBegins(record);
        }
    }

    MoveSystem& system_;
    MoveObserver* observer_;
    MoveProgress* progress_;
    std::map<FileIdentity, Path> links_;
    std::vector<Copied> copied_;
};

// The item to move, or why it cannot go: it is gone, or it is a folder that would go inside
// itself.
Expected<ItemInfo> itemToMove(MoveSystem& system, const Path& source, const Path& destination) {
    const auto item = system.info(source);
    if (!item) {
        return moveError(item.error(), source, destination);
    }
    if (item->type == Type::folder &&
        isWithin(system, destination.deletingLastComponent(), source)) {
        return moveError(EINVAL, source, destination, " because it can’t go inside itself.");
    }
    return item;
}

// Why a rename that failed failed, in words a user can act on.
Error explainFailedMove(MoveSystem& system, const Error& error, const Path& source,
                        const Path& destination) {
    if (!system.info(source)) {
        return itemToMove(system, source, destination).error();
    }
    const auto folder = system.info(destination.deletingLastComponent());
    if (!folder || folder->type != Type::folder) {
        return moveError(ENOENT, source, destination, " because that folder doesn’t exist.");
    }
    const auto item = itemToMove(system, source, destination);
    return item ? moveError(error, source, destination) : item.error();
}

Status copyAcross(MoveSystem& system, const Path& source, const Path& destination,
                  MoveObserver* observer, MoveProgress* progress) {
    const auto item = itemToMove(system, source, destination);
    if (!item) {
        return item.error();
    }
    if (system.info(destination)) {
        return moveError(EEXIST, source, destination);
    }
    TreeCopy tree(system, observer, progress,
                  {source, *item, destination, temporaryBeside(destination), std::nullopt});
    // On record before the copy exists, so a crash at any moment leaves a trace to recover.
    if (observer != nullptr) {
        observer->copyBegins(tree.record);
    }
    auto copied = tree.copy(source, tree.record.copy, *item, true);
    if (copied) {
        copied = placeWithoutReplacing(system, tree.record.copy, destination, item->type);
    }
    if (!copied) {
        (void)removeItem(system, tree.record.copy, true);
        if (observer != nullptr) {
            observer->copyEnds();
        }
        return moveError(copied.error(), source, destination);
    }
    // Still on record while the source is emptied: a crash now leaves the item in both places.
    const bool stayed = tree.removeCopiedSource();
    if (observer != nullptr) {
        observer->copyEnds();
    }
    if (stayed) {
        return Error{EAGAIN,
                     quotedName(source) +
                         " was moved, but what appeared or changed in it during the move stayed "
                         "behind in “" +
                         source.str() + "”.",
                     Error::Kind::partial};
    }
    return ok();
}

} // namespace

Status moveItem(MoveSystem& system, const Path& source, const Path& destination,
                MoveObserver* observer, MoveProgress* progress) {
    // The rename is tried first: on one file system it is the whole move, and the checks that
    // explain a failure are only needed when there is one.
    auto renamed = system.renameNoReplace(source, destination);
    if (renamed) {
        return ok();
    }
    switch (renamed.error().kind) {
    case Error::Kind::crossDevice:
        return copyAcross(system, source, destination, observer, progress);
    case Error::Kind::unsupported: {
        const auto item = itemToMove(system, source, destination);
        if (!item) {
            return item.error();
        }
        if (auto placed = placeWithoutReplacing(system, source, destination, item->type); !placed) {
            return explainFailedMove(system, placed.error(), source, destination);
        }
        return ok();
    }
    default:
        return explainFailedMove(system, renamed.error(), source, destination);
    }
}

namespace {

Status removeWithin(MoveSystem& system, const Path& path, bool ours, std::uint64_t device) {
    const auto item = system.info(path);
    if (!item) {
        return item.error();
    }
    if (item->identity.device != device) {
        return moveError(EXDEV, path, path, " because another file system is mounted there.");
    }
    if (item->type == Type::folder) {
        // Our own copy may hold read-only folders, copied as they were: open them up.
        if (ours) {
            (void)system.makeRemovable(path);
        }
        const auto names = system.list(path);
        if (!names) {
            return names.error();
        }
        for (const auto& name : *names) {
            if (auto removed = removeWithin(system, path.appending(name), ours, device); !removed) {
                return removed;
            }
        }
    }
    return system.removeEntry(path, item->type);
}

bool isEmpty(MoveSystem& system, const Path& path, const ItemInfo& item) {
    if (item.type == Type::folder) {
        const auto names = system.list(path);
        return names && names->empty();
    }
    return item.type != Type::file || item.size == 0;
}

// The sizes of the files in the tree at `path`, links not followed, each file once however
// many names it has here (its other names are copied as links, without data).
std::int64_t bytesWithin(MoveSystem& system, const Path& path, const ItemInfo& item,
                         std::set<FileIdentity>& linked) {
    if (item.type != Type::folder) {
        const bool again = item.links > 1 && !linked.insert(item.identity).second;
        return item.type == Type::file && !again ? item.size : 0;
    }
    std::int64_t bytes = 0;
    if (const auto names = system.list(path)) {
        for (const auto& name : *names) {
            const Path child = path.appending(name);
            if (const auto info = system.info(child)) {
                bytes += bytesWithin(system, child, *info, linked);
            }
        }
    }
    return bytes;
}

} // namespace

Error stoppedMoveError(const Path& source, const Path& destination) {
    return moveError(ECANCELED, source, destination);
}

std::int64_t bytesToCopy(MoveSystem& system, const Path& source, const Path& destinationFolder) {
    const auto item = system.info(source);
    const auto folder = system.info(destinationFolder);
    if (!item || !folder || item->identity.device == folder->identity.device) {
        return 0;
    }
    std::set<FileIdentity> linked;
    return bytesWithin(system, source, *item, linked);
}

Status removeItem(MoveSystem& system, const Path& path, bool ours) {
    const auto item = system.info(path);
    return item ? removeWithin(system, path, ours, item->identity.device) : item.error();
}

Interrupted recoverInterruptedMove(MoveSystem& system, const CopyRecord& record) {
    if (!isMoveCopyName(record.copy.lastComponent()) ||
        record.copy.deletingLastComponent() != record.destination.deletingLastComponent()) {
        return Interrupted::notOurs;
    }
    if (const auto copy = system.info(record.copy)) {
        if (record.copyIdentity && copy->identity != *record.copyIdentity) {
            return Interrupted::notOurs;
        }
        // Empty, it holds nothing anybody could miss; otherwise it is not destroyed here,
        // whatever was saved into it since.
        return isEmpty(system, record.copy, *copy) && system.removeEntry(record.copy, copy->type)
                   ? Interrupted::copyRemoved
                   : Interrupted::copyLeft;
    }
    const auto placed = system.info(record.destination);
    const auto source = system.info(record.source);
    if (!placed || !record.copyIdentity || placed->identity != *record.copyIdentity || !source) {
        return Interrupted::nothing;
    }
    const bool unchanged = source->type == Type::file && unchangedSince(*source, record.item);
    return unchanged && system.removeEntry(record.source, Type::file) ? Interrupted::finished
                                                                      : Interrupted::inBothPlaces;
}

bool isMoveCopyName(std::string_view name) {
    constexpr std::string_view kHexDigits = "0123456789abcdef";
    return name.size() == kCopyPrefix.size() + 16 &&
           name.substr(0, kCopyPrefix.size()) == kCopyPrefix &&
           name.find_first_not_of(kHexDigits, kCopyPrefix.size()) == std::string_view::npos;
}

} // namespace orv
