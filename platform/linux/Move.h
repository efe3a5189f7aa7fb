#pragma once
// The system calls of a move on Linux (see platform/Move.h for what a move decides).

#include "platform/Move.h"

namespace orv::lnx {

class LinuxMoveSystem : public MoveSystem {
  public:
    // renameat2 with RENAME_NOREPLACE: EXDEV is crossDevice; EINVAL (or ENOSYS) from a file
    // system that cannot promise not to replace is unsupported.
    Status renameNoReplace(const Path& from, const Path& to) override;
    Status renameOverEmptyFolder(const Path& from, const Path& to) override;
    Status link(const Path& existing, const Path& newName) override;
    Expected<ItemInfo> info(const Path& path) override;
    Expected<std::vector<std::string>> list(const Path& folder) override;
    std::optional<Path> realPath(const Path& path) override;
    Status makeFolder(const Path& path) override;
    // Data with copy_file_range (sendfile, then read and write, where that cannot), holes
    // kept by SEEK_DATA and SEEK_HOLE; FIFOs, sockets and devices with mknod.
    Status copyItem(const Path& from, const Path& to,
                    const std::function<void(FileIdentity)>& created) override;
    Status finishFolder(const Path& from, const Path& to) override;
    Status removeEntry(const Path& path, ItemInfo::Type type) override;
    Status makeRemovable(const Path& folder) override;
};

} // namespace orv::lnx
