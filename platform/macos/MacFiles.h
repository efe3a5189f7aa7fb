#pragma once
// Files on macOS: NSFileManager and NSData for the file manager, and the move's system calls
// (renamex_np with RENAME_EXCL, copyfile) under the shared mover.

#include "platform/Services.h"
#include "platform/posix/PosixMoveSystem.h"

namespace orv::mac {

class MacMoveSystem final : public posix::PosixMoveSystem {
  public:
    // renamex_np(RENAME_EXCL); ENOTSUP from a file system that cannot is unsupported.
    Status renameNoReplace(const Path& from, const Path& to) override;
    // A file: made here, then fcopyfile (data with its holes, mode, times, extended
    // attributes, ACL), its progress heard through the copy's status callback; a link:
    // copyfile with COPYFILE_NOFOLLOW; a FIFO or device: mknod.
    Status copyItem(const Path& from, const Path& to,
                    const std::function<void(FileIdentity)>& created,
                    MoveProgress* progress) override;
    // copyfile of the folder's own attributes (COPYFILE_STAT and COPYFILE_METADATA).
    Status finishFolder(const Path& from, const Path& to) override;
};

// NSFileManager defaultManager. A path holding NUL is refused by every call.
class MacFileManager final : public FileManager {
  public:
    // containerURLForSecurityApplicationGroupIdentifier:, which the system creates.
    std::optional<Path> containerURL(std::string_view groupIdentifier) override;
    using FileManager::readUTF8;
    Expected<std::string> readUTF8(const Path& path, const ReadOptions& options) override;
    // NSData writeToURL:options:error: with the bytes as given (atomic: NSDataWritingAtomic).
    Status writeUTF8(const Path& path, std::string_view text, WriteMode mode) override;
    std::optional<bool> isDirectory(const Path& path) override;
    // The user's own home folder, also inside the sandbox (where NSHomeDirectory names the
    // container).
    Path homeDirectory() override;
    bool fileExists(const Path& path) override;
    // NSDataWritingWithoutOverwriting into a hidden name beside, then renamex_np(RENAME_EXCL)
    // (a hard link where the file system cannot): the name is taken whole or not at all.
    Status createFileExclusively(const Path& path, std::string_view bytes) override;
    Status moveItem(const Path& source, const Path& destination, MoveObserver* observer,
                    MoveProgress* progress) override;
    std::int64_t bytesToCopy(const Path& source, const Path& destinationFolder) override;
    Interrupted recoverInterruptedMove(const CopyRecord& record) override;
    Expected<Path> trashItem(const Path& path) override;
    Expected<std::vector<std::string>> contentsOfDirectory(const Path& folder) override;
    Status removeItem(const Path& path) override;

  private:
    MacMoveSystem moves_;
};

} // namespace orv::mac
