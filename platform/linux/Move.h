#pragma once
// The system calls of a move on Linux (see platform/Move.h for what a move decides).

#include "platform/posix/PosixMoveSystem.h"

namespace orv::lnx {

class LinuxMoveSystem : public posix::PosixMoveSystem {
  public:
    // renameat2 with RENAME_NOREPLACE: EXDEV is crossDevice; EINVAL (or ENOSYS) from a file
    // system that cannot promise not to replace is unsupported.
    Status renameNoReplace(const Path& from, const Path& to) override;
    // Data with copy_file_range (sendfile, then read and write, where that cannot), holes
    // kept by SEEK_DATA and SEEK_HOLE, in pieces of kCopyPiece; FIFOs, sockets and devices
    // with mknod.
    Status copyItem(const Path& from, const Path& to,
                    const std::function<void(FileIdentity)>& created,
                    MoveProgress* progress) override;
    Status finishFolder(const Path& from, const Path& to) override;
};

} // namespace orv::lnx
