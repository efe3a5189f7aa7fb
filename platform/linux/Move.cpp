#include "platform/linux/Move.h"

#include "platform/linux/Environment.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace orv::lnx {

namespace {

std::string quotedName(const Path& path) {
    return "“" + path.lastComponent() + "”";
}

Error moveError(int code, const Path& source, const Path& destination, std::string_view why = "") {
    std::string text = quotedName(source) + " couldn’t be moved to “" +
                       destination.deletingLastComponent().str() + "”";
    Error::Kind kind = code == EEXIST || code == ENOTEMPTY ? Error::Kind::alreadyExists
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
    default:
        text += ": " + std::string(std::strerror(code)) + ".";
    }
    return Error{code, text, kind};
}

// ---- Copying a tree across file systems ----

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

bool copyData(int from, int to, off_t size) {
    off_t left = size;
    while (left > 0) {
        const ssize_t n =
            sendfile(to, from, nullptr, static_cast<std::size_t>(std::min<off_t>(left, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EINVAL || errno == ENOSYS) {
                break; // fall back to read and write below
            }
            return false;
        }
        if (n == 0) {
            break;
        }
        left -= n;
    }
    std::vector<char> buffer(1 << 17);
    while (true) {
        const ssize_t n = read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!writeAll(to, std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
            return false;
        }
    }
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

// Copies the item at `from` to the new name `to`; errno tells why when it fails.
bool copyTree(const std::string& from, const std::string& to) {
    struct stat st {};
    if (lstat(from.c_str(), &st) != 0) {
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) +
                                 1);
        const ssize_t n = readlink(from.c_str(), target.data(), target.size() - 1);
        if (n < 0) {
            return false;
        }
        target[static_cast<std::size_t>(n)] = '\0';
        return symlink(target.data(), to.c_str()) == 0 && applyMetadata(to, st, true);
    }
    if (S_ISDIR(st.st_mode)) {
        if (mkdir(to.c_str(), 0700) != 0) {
            return false;
        }
        std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(from.c_str()), closedir);
        if (!dir) {
            return false;
        }
        errno = 0;
        while (const dirent* entry = readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && !copyTree(from + "/" + name, to + "/" + name)) {
                return false;
            }
            errno = 0;
        }
        if (errno != 0) {
            return false;
        }
        const int fromFd = open(from.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int toFd = open(to.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool attributes = fromFd >= 0 && toFd >= 0 && copyExtendedAttributes(fromFd, toFd);
        const int saved = errno;
        if (fromFd >= 0) {
            close(fromFd);
        }
        if (toFd >= 0) {
            close(toFd);
        }
        errno = saved;
        return attributes && applyMetadata(to, st, false);
    }
    if (S_ISREG(st.st_mode)) {
        const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            return false;
        }
        const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (out < 0) {
            const int saved = errno;
            close(in);
            errno = saved;
            return false;
        }
        bool copied = copyData(in, out, st.st_size) && copyExtendedAttributes(in, out);
        int saved = errno;
        close(in);
        if (close(out) != 0 && copied) {
            copied = false;
            saved = errno;
        }
        errno = saved;
        return copied && applyMetadata(to, st, false);
    }
    if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
        return mknod(to.c_str(), st.st_mode, st.st_rdev) == 0 && applyMetadata(to, st, false);
    }
    errno = ENOTSUP; // a socket cannot be copied
    return false;
}

// Whether `inner` is `outer` or lies inside it, by their real paths.
bool isWithin(const Path& inner, const Path& outer) {
    std::unique_ptr<char, void (*)(void*)> realOuter(realpath(outer.str().c_str(), nullptr),
                                                     std::free);
    std::unique_ptr<char, void (*)(void*)> realInner(realpath(inner.str().c_str(), nullptr),
                                                     std::free);
    if (!realOuter || !realInner) {
        return false;
    }
    const std::string o = realOuter.get(), i = realInner.get();
    return i == o || (i.size() > o.size() && i.compare(0, o.size(), o) == 0 &&
                      (o == "/" || i[o.size()] == '/'));
}

std::string temporaryBeside(const Path& destination) {
    static std::atomic<unsigned> counter{0};
    return destination.deletingLastComponent()
        .appending(".orvane-move-" + std::to_string(getpid()) + "-" + std::to_string(counter++) +
                   "-" + destination.lastComponent())
        .str();
}

} // namespace

Status removeItem(const Path& path) {
    struct stat st {};
    if (lstat(path.str().c_str(), &st) != 0) {
        return posixError(errno, "Couldn’t remove", path);
    }
    if (S_ISDIR(st.st_mode)) {
        std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path.str().c_str()), closedir);
        if (!dir) {
            return posixError(errno, "Couldn’t remove", path);
        }
        std::vector<std::string> names;
        while (const dirent* entry = readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        dir.reset();
        for (const auto& name : names) {
            if (auto removed = removeItem(path.appending(name)); !removed) {
                return removed;
            }
        }
        if (rmdir(path.str().c_str()) != 0) {
            return posixError(errno, "Couldn’t remove", path);
        }
        return ok();
    }
    if (unlink(path.str().c_str()) != 0) {
        return posixError(errno, "Couldn’t remove", path);
    }
    return ok();
}

// Why a rename that failed with `code` failed, in words a user can act on.
Error explainFailedMove(int code, const Path& source, const Path& destination) {
    struct stat st {};
    if (lstat(source.str().c_str(), &st) != 0) {
        return moveError(errno, source, destination);
    }
    struct stat folder {};
    if (stat(destination.deletingLastComponent().str().c_str(), &folder) != 0 ||
        !S_ISDIR(folder.st_mode)) {
        return moveError(ENOENT, source, destination, " because that folder doesn’t exist.");
    }
    if (S_ISDIR(st.st_mode) && isWithin(destination.deletingLastComponent(), source)) {
        return moveError(EINVAL, source, destination, " because it can’t go inside itself.");
    }
    return moveError(code, source, destination);
}

Status moveItem(const Path& source, const Path& destination) {
    // The rename is tried first: on one file system it is the whole move, and the checks that
    // explain a failure are only needed when there is one.
    if (renameat2(AT_FDCWD, source.str().c_str(), AT_FDCWD, destination.str().c_str(),
                  RENAME_NOREPLACE) == 0) {
        return ok();
    }
    if (errno != EXDEV) {
        return explainFailedMove(errno, source, destination);
    }
    struct stat st {};
    if (lstat(source.str().c_str(), &st) != 0) {
        return moveError(errno, source, destination);
    }
    if (S_ISDIR(st.st_mode) && isWithin(destination.deletingLastComponent(), source)) {
        return moveError(EINVAL, source, destination, " because it can’t go inside itself.");
    }
    // Another file system: copy under a temporary name, take the name without replacing, then
    // let go of the source.
    struct stat taken {};
    if (lstat(destination.str().c_str(), &taken) == 0) {
        return moveError(EEXIST, source, destination);
    }
    const std::string temp = temporaryBeside(destination);
    if (!copyTree(source.str(), temp)) {
        const int error = errno;
        (void)removeItem(Path(temp));
        return moveError(error, source, destination);
    }
    if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, destination.str().c_str(), RENAME_NOREPLACE) !=
        0) {
        const int error = errno;
        (void)removeItem(Path(temp));
        return moveError(error, source, destination);
    }
    if (auto removed = removeItem(source); !removed) {
        return moveError(removed.error().code, source, destination,
                         " completely: it was copied, but the original couldn’t be removed.");
    }
    return ok();
}

} // namespace orv::lnx
