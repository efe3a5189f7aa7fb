#include "platform/linux/Move.h"

#include "platform/linux/Environment.h"

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

Error systemError(int code, std::string_view what, const Path& path) {
    auto error = posixError(code, what, path);
    if (code == EXDEV) {
        error.kind = Error::Kind::crossDevice;
    } else if (code == EINVAL || code == ENOSYS) {
        error.kind = Error::Kind::unsupported;
    }
    return error;
}

Status result(int returned, std::string_view what, const Path& path) {
    return returned == 0 ? ok() : Status(systemError(errno, what, path));
}

// Closes a descriptor when it goes.
struct Fd {
    int fd;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) {
            close(fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

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

// Copies `length` bytes at `offset`, the same offset in both files.
bool copyRange(int from, int to, off_t offset, off_t length) {
    off_t in = offset, out = offset;
    bool kernelCopy = true;
    while (length > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<off_t>(length, 1 << 30));
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
    }
    return true;
}

// The data of a regular file, holes kept as holes.
bool copyData(int from, int to, const struct stat& st) {
    if (st.st_blocks * 512 >= st.st_size) {
        return copyRange(from, to, 0, st.st_size); // no holes worth looking for
    }
    off_t data = 0;
    while ((data = lseek(from, data, SEEK_DATA)) >= 0) {
        const off_t hole = lseek(from, data, SEEK_HOLE);
        if (hole < 0 || !copyRange(from, to, data, hole - data)) {
            return false;
        }
        data = hole;
    }
    return (errno == ENXIO || data >= 0) && ftruncate(to, st.st_size) == 0;
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

FileIdentity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool copyFile(const std::string& from, const std::string& to, const struct stat& st,
              const std::function<void(FileIdentity)>& created) {
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
    return copyData(in.fd, out.fd, st) && copyExtendedAttributes(in.fd, out.fd);
}

} // namespace

Status LinuxMoveSystem::renameNoReplace(const Path& from, const Path& to) {
    return result(
        renameat2(AT_FDCWD, from.str().c_str(), AT_FDCWD, to.str().c_str(), RENAME_NOREPLACE),
        "Couldn’t move", from);
}

Status LinuxMoveSystem::renameOverEmptyFolder(const Path& from, const Path& to) {
    return result(rename(from.str().c_str(), to.str().c_str()), "Couldn’t move", from);
}

Status LinuxMoveSystem::link(const Path& existing, const Path& newName) {
    return result(::link(existing.str().c_str(), newName.str().c_str()), "Couldn’t link", existing);
}

Expected<ItemInfo> LinuxMoveSystem::info(const Path& path) {
    struct stat st {};
    if (lstat(path.str().c_str(), &st) != 0) {
        return systemError(errno, "Couldn’t look at", path);
    }
    ItemInfo info;
    info.type = S_ISDIR(st.st_mode)   ? ItemInfo::Type::folder
                : S_ISREG(st.st_mode) ? ItemInfo::Type::file
                : S_ISLNK(st.st_mode) ? ItemInfo::Type::link
                                      : ItemInfo::Type::other;
    info.identity = identityOf(st);
    info.links = st.st_nlink;
    info.size = st.st_size;
    info.modified = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
    return info;
}

Expected<std::vector<std::string>> LinuxMoveSystem::list(const Path& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.str().c_str()), closedir);
    if (!dir) {
        return systemError(errno, "Couldn’t read the folder", folder);
    }
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
        errno = 0;
    }
    if (errno != 0) {
        return systemError(errno, "Couldn’t read the folder", folder);
    }
    return names;
}

std::optional<Path> LinuxMoveSystem::realPath(const Path& path) {
    std::unique_ptr<char, void (*)(void*)> real(realpath(path.str().c_str(), nullptr), std::free);
    return real ? std::optional<Path>(Path(real.get())) : std::nullopt;
}

Status LinuxMoveSystem::makeFolder(const Path& path) {
    return result(mkdir(path.str().c_str(), 0700), "Couldn’t create the folder", path);
}

Status LinuxMoveSystem::copyItem(const Path& from, const Path& to,
                                 const std::function<void(FileIdentity)>& created) {
    const std::string& source = from.str();
    const std::string& target = to.str();
    struct stat st {};
    if (lstat(source.c_str(), &st) != 0) {
        return systemError(errno, "Couldn’t look at", from);
    }
    bool copied = false;
    if (S_ISREG(st.st_mode)) {
        copied = copyFile(source, target, st, created);
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
        return systemError(errno, "Couldn’t copy", from);
    }
    return ok();
}

Status LinuxMoveSystem::finishFolder(const Path& from, const Path& to) {
    struct stat st {};
    const Fd in(open(from.str().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const Fd out(open(to.str().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (in.fd < 0 || out.fd < 0 || fstat(in.fd, &st) != 0 ||
        !copyExtendedAttributes(in.fd, out.fd) || !applyMetadata(to.str(), st, false)) {
        return systemError(errno, "Couldn’t copy", from);
    }
    return ok();
}

Status LinuxMoveSystem::removeEntry(const Path& path, ItemInfo::Type type) {
    const int removed =
        type == ItemInfo::Type::folder ? rmdir(path.str().c_str()) : unlink(path.str().c_str());
    return result(removed, "Couldn’t remove", path);
}

Status LinuxMoveSystem::makeRemovable(const Path& folder) {
    struct stat st {};
    if (lstat(folder.str().c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return systemError(errno == 0 ? ENOTDIR : errno, "Couldn’t open up", folder);
    }
    return result(chmod(folder.str().c_str(), (st.st_mode & 07777) | S_IRWXU), "Couldn’t open up",
                  folder);
}

} // namespace orv::lnx
