#pragma once
// The system calls of a move that POSIX gives alike on Linux and macOS. Each platform adds
// the three it does its own way: renaming without replacing, copying an item, and giving a
// copied folder its attributes.

#include "platform/Move.h"

#include <sys/stat.h>

namespace orv::posix {

class PosixMoveSystem : public MoveSystem {
  public:
    Status renameOverEmptyFolder(const Path& from, const Path& to) override;
    Status link(const Path& existing, const Path& newName) override;
    Expected<ItemInfo> info(const Path& path) override;
    Expected<std::vector<std::string>> list(const Path& folder) override;
    std::optional<Path> realPath(const Path& path) override;
    Status makeFolder(const Path& path) override;
    Status removeEntry(const Path& path, ItemInfo::Type type) override;
    Status makeRemovable(const Path& folder) override;
};

// A move's error for errno `code`: EXDEV is crossDevice; EINVAL and ENOSYS, from a file
// system that cannot do what was asked, are unsupported.
Error moveError(int code, std::string_view what, const Path& path);
// ok() when a system call returned 0, else moveError(errno, ...).
Status moveResult(int returned, std::string_view what, const Path& path);

FileIdentity identityOf(const struct stat& st);

} // namespace orv::posix
