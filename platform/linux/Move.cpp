#include "platform/linux/Move.h"

#include "platform/posix/Posix.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace orv::lnx {

namespace {

using posix::Fd;
using posix::identityOf;
using posix::moveError;
using posix::moveResult;

bool copyExtendedAttributes(int from, int to) {
    const ssize_t size = flistxattr(from, nullptr, 0);
    if (size <= 0) {
        return size == 0 || errno == ENOTSUP;
    }
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = flistxattr(from, names.data(), names.size());
    for (ssize_t i = 0; i < got;) {
        const char* name = names.data() + i;
        i += static_cast<ssize_t>(std::strlen(name)) + 1;
        const ssize_t valueSize = fgetxattr(from, name, nullptr, 0);
        if (valueSize < 0) {
            continue;
        }
        std::vector<char> value(static_cast<std::size_t>(valueSize));
        if (fgetxattr(from, name, value.data(), value.size()) < 0) {
            continue;
        }
        // Attributes of namespaces we may not write (trusted.*, security.* as a user) are
        // left behind, as mv leaves them.
        if (fsetxattr(to, name, value.data(), value.size(), 0) != 0 && errno != EPERM &&
            errno != ENOTSUP && errno != EACCES) {
            return false;
        }
    }
    return true;
}

// Copies `length` bytes at `offset`, the same offset in both files, telling `progress` of
// each piece; its refusal fails the copy with ECANCELED.
bool copyRange(int from, int to, off_t offset, off_t length, MoveProgress* progress) {
    off_t in = offset, out = offset;
    bool kernelCopy = true;
    while (length > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<off_t>(length, kCopyPiece));
        ssize_t n = -1;
        if (kernelCopy) {
            n = copy_file_range(from, &in, to, &out, chunk, 0);
            if (n < 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                kernelCopy = false; // sendfile below
                continue;
            }
        } else {
            if (lseek(to, out, SEEK_SET) < 0) {
                return false;
            }
            n = sendfile(to, from, &in, chunk);
            out = in;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n == 0; // the file got shorter meanwhile: what is there is copied
        }
        length -= n;
        if (progress != nullptr && !progress->proceed(n)) {
            errno = ECANCELED;
            return false;
        }
    }
    return true;
}

// The data of a regular file, holes kept as holes.
bool copyData(int from, int to, const struct stat& st, MoveProgress* progress) {
    if (st.st_blocks * 512 >= st.st_size) {
        return copyRange(from, to, 0, st.st_size, progress); // no holes worth looking for
    }
    // A hole is told as copied when it is passed over, so the progress ends at the file's size.
    const auto pass = [progress](off_t bytes) {
        const bool go = progress == nullptr || bytes == 0 || progress->proceed(bytes);
        errno = go ? errno : ECANCELED;
        return go;
    };
    off_t data = 0, done = 0;
    while ((data = lseek(from, data, SEEK_DATA)) >= 0) {
        const off_t hole = lseek(from, data, SEEK_HOLE);
        if (hole < 0 || !pass(data - done) || !copyRange(from, to, data, hole - data, progress)) {
            return false;
        }
        data = done = hole;
    }
    return (errno == ENXIO || data >= 0) && pass(st.st_size - done) &&
           ftruncate(to, st.st_size) == 0;
}

// Owner (when we may), mode and times, as mv keeps them. Times last: setting the others
// would not touch them, but the folder's contents being made would.
bool applyMetadata(const std::string& path, const struct stat& st, bool isLink) {
    if (lchown(path.c_str(), st.st_uid, st.st_gid) != 0 && errno != EPERM) {
        return false;
    }
    if (!isLink && chmod(path.c_str(), st.st_mode & 07777) != 0) {
        return false;
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    return utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool copyFile(const std::string& from, const std::string& to, const struct stat& st,
              const std::function<void(FileIdentity)>& created, MoveProgress* progress) {
    const Fd in(open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.fd < 0) {
        return false;
    }
    const Fd out(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    struct stat made {};
    if (out.fd < 0 || fstat(out.fd, &made) != 0) {
        return false;
    }
    created(identityOf(made));
    return copyData(in.fd, out.fd, st, progress) && copyExtendedAttributes(in.fd, out.fd);
}

} // namespace

Status LinuxMoveSystem::renameNoReplace(const Path& from, const Path& to) {
    return moveResult(
        renameat2(AT_FDCWD, from.str().c_str(), AT_FDCWD, to.str().c_str(), RENAME_NOREPLACE),
        "Couldn’t move", from);
}

Status LinuxMoveSystem::copyItem(const Path& from, const Path& to,
                                 const std::function<void(FileIdentity)>& created,
                                 MoveProgress* progress) {
    const std::string& source = from.str();
    const std::string& target = to.str();
    struct stat st {};
    if (lstat(source.c_str(), &st) != 0) {
        return moveError(errno, "Couldn’t look at", from);
    }
    bool copied = false;
    if (S_ISREG(st.st_mode)) {
        copied = copyFile(source, target, st, created, progress);
    } else if (S_ISLNK(st.st_mode)) {
        std::vector<char> link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) +
                               1);
        const ssize_t n = readlink(source.c_str(), link.data(), link.size() - 1);
        copied = n >= 0 && symlink(std::string(link.data(), static_cast<std::size_t>(n)).c_str(),
                                   target.c_str()) == 0;
    } else {
        // FIFOs, sockets and devices are made anew, as mv makes them.
        copied = mknod(target.c_str(), st.st_mode, st.st_rdev) == 0;
    }
    if (struct stat made{}; copied && !S_ISREG(st.st_mode)) {
        copied = lstat(target.c_str(), &made) == 0;
        if (copied) {
            created(identityOf(made));
        }
    }
    if (!copied || !applyMetadata(target, st, S_ISLNK(st.st_mode))) {
        return moveError(errno, "Couldn’t copy", from);
    }
    return ok();
}

Status LinuxMoveSystem::finishFolder(const Path& from, const Path& to) {
    struct stat st {};
    const Fd in(open(from.str().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const Fd out(open(to.str().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (in.fd < 0 || out.fd < 0 || fstat(in.fd, &st) != 0 ||
        !copyExtendedAttributes(in.fd, out.fd) || !applyMetadata(to.str(), st, false)) {
        return moveError(errno, "Couldn’t copy", from);
    }
    return ok();
}

} // namespace orv::lnx
