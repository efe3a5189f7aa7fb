#pragma once
// Moving an item without ever replacing one or losing one. The decisions live here, shared by
// both platforms: when to copy, under which name, what a crash must be able to undo, what to
// remove from the source and what to report. Each platform gives only the system calls, as a
// MoveSystem (renameat2 and copy_file_range on Linux; renamex_np and copyfile on macOS).

#include "platform/Expected.h"
#include "platform/Path.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orv {

// Hears how far a move across file systems has come, and may stop it: asked before every
// entry of the item's tree and after every piece of a file's data. A stop is a failure like
// any other: the copy is removed and the source stays whole.
class MoveProgress {
  public:
    virtual ~MoveProgress() = default;
    // `bytes` more of the item's data are copied (0 between entries). False stops the move.
    virtual bool proceed(std::int64_t bytes) = 0;
};

// The largest piece of a file copied between two questions to MoveProgress: small enough
// that a stop inside a large file is prompt, large enough to cost nothing.
inline constexpr std::int64_t kCopyPiece = 8 << 20;

// Which item a path named when it was looked at (st_dev and st_ino).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
    friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// lstat(2), as far as a move needs it.
struct ItemInfo {
    enum class Type { file, folder, link, other };
    Type type = Type::other;
    FileIdentity identity;
    std::uint64_t links = 1;   // names of a file (hard links)
    std::int64_t size = 0;     // bytes of a file
    std::int64_t modified = 0; // modification time, nanoseconds
};

// The system calls a move is made of. Errors carry errno in `code`; renameNoReplace tells
// the cases the move acts on by `kind`.
class MoveSystem {
  public:
    virtual ~MoveSystem() = default;
    // Renames without replacing: alreadyExists when `to` is taken, crossDevice when the two
    // lie on different file systems, unsupported when the file system cannot rename without
    // replacing (some network and FUSE file systems).
    virtual Status renameNoReplace(const Path& from, const Path& to) = 0;
    // rename(2) of a folder over `to`, an empty folder: it fails when anything is in `to`.
    virtual Status renameOverEmptyFolder(const Path& from, const Path& to) = 0;
    // A second name for a file (link(2)), never replacing.
    virtual Status link(const Path& existing, const Path& newName) = 0;
    virtual Expected<ItemInfo> info(const Path& path) = 0;
    virtual Expected<std::vector<std::string>> list(const Path& folder) = 0;
    // The folder's path with every link resolved (realpath(3)).
    virtual std::optional<Path> realPath(const Path& path) = 0;
    // A new folder, private until finishFolder gives it its own attributes.
    virtual Status makeFolder(const Path& path) = 0;
    // Copies an item that is not a folder to the new name `to`: a file's data with its holes,
    // a link as a link, a FIFO, socket or device as a new one; with owner (where allowed),
    // mode, times and extended attributes. `created` hears the new item's identity before any
    // data goes in; `progress`, when there is one, hears of each piece of data copied, at
    // most kCopyPiece bytes, and a refusal stops the copy there with ECANCELED.
    virtual Status copyItem(const Path& from, const Path& to,
                            const std::function<void(FileIdentity)>& created,
                            MoveProgress* progress) = 0;
    // Gives the copied folder `to` the attributes of `from`, once its contents are in.
    virtual Status finishFolder(const Path& from, const Path& to) = 0;
    // Removes a file, a link or an empty folder (a folder that holds anything stays).
    virtual Status removeEntry(const Path& path, ItemInfo::Type type) = 0;
    // Lets the owner into a folder of our own copy and write in it, so it can be removed.
    virtual Status makeRemovable(const Path& folder) = 0;
};

// A move across file systems as its record must outlive a crash: the item as it was looked
// at, where it goes, and its hidden copy (whose identity is known once the copy exists).
struct CopyRecord {
    Path source;
    ItemInfo item;
    Path destination;
    Path copy;
    std::optional<FileIdentity> copyIdentity;
};

// Told of the hidden copy a move across file systems makes, so a record outlives a crash.
class MoveObserver {
  public:
    virtual ~MoveObserver() = default;
    // Before the copy is made (no identity yet), and again once it exists.
    virtual void copyBegins(const CopyRecord& record) = 0;
    // The copy has its final name and the source is emptied, or the copy is gone.
    virtual void copyEnds() = 0;
};

// moveItemAtURL:toURL:error: that never replaces an existing item (the error's kind is then
// alreadyExists) and never loses one. Across file systems the item is copied under a short
// hidden name beside `destination`, given the name without replacing, and then exactly what
// was copied is removed from the source: an item that appeared or changed there meanwhile
// stays, and the error's kind is then partial (the item did move). A failure removes the
// copy and leaves the source whole. A folder never moves into itself. `progress` hears of
// the data copied and may stop the move (the error's code is then ECANCELED).
Status moveItem(MoveSystem& system, const Path& source, const Path& destination,
                MoveObserver* observer = nullptr, MoveProgress* progress = nullptr);

// The error of an item that a stopped paste never reached, in the words of one it stopped
// midway: "… couldn’t be moved to … because the move was stopped."
Error stoppedMoveError(const Path& source, const Path& destination);

// The bytes of data a move of `source` into `destinationFolder` copies: its files' sizes when
// the folder lies on another file system, 0 when the move is a rename (or the item cannot be
// looked at).
std::int64_t bytesToCopy(MoveSystem& system, const Path& source, const Path& destinationFolder);

// Removes an item, a folder with everything in it (links are not followed), never going into
// another file system mounted below it. `ours`: a copy of our own, whose read-only folders
// may be opened up to remove it.
Status removeItem(MoveSystem& system, const Path& path, bool ours = false);

// What a move that a crash interrupted had left, and what was put right.
enum class Interrupted {
    nothing,      // no trace: the copy was never made, or the move finished or undid itself
    copyRemoved,  // its copy was still empty, and is gone
    copyLeft,     // its copy holds data: whoever recovers puts it away, it is not destroyed
    notOurs,      // the record names nothing the mover makes: nothing was touched
    finished,     // the copy had taken its name and the unchanged source file is removed
    inBothPlaces, // the copy had taken its name; the source may have changed, so it stays
};

// Recovers what `record` describes, destroying nothing but an empty copy of ours and a source
// file proven to be the one copied (same identity, size and modification time).
Interrupted recoverInterruptedMove(MoveSystem& system, const CopyRecord& record);

// Whether `name` is the hidden name of a move's copy, exactly as the mover makes it.
bool isMoveCopyName(std::string_view name);

} // namespace orv
