#include "platform/linux/LinuxFileManager.h"

#include "platform/Text.h"
#include "platform/linux/Environment.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::lnx {

using posix::holdsNul;
using posix::nulError;

namespace {

// Opens a new temporary file beside `path`, named ".<name>.<random>". Created with mode 0666
// so the kernel applies the process's umask, as for any new file.
int openTemporaryBeside(const Path& path, std::string& temp) {
    static std::atomic<std::uint64_t> counter{std::random_device{}()};
    const Path dir = path.deletingLastComponent();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::uint64_t n =
            counter.fetch_add(0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(getpid());
        temp =
            dir.appending(concat({".", path.lastComponent(), ".", std::to_string(n % 100000000)}))
                .str();
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool validComponent(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

} // namespace

LinuxFileManager::LinuxFileManager(LogSink* logSink, std::string subsystem, bool withContainer)
    : logSink_(logSink), subsystem_(std::move(subsystem)), withContainer_(withContainer) {}

std::optional<Path> LinuxFileManager::containerURL(std::string_view groupIdentifier) {
    if (!withContainer_ || !validComponent(groupIdentifier)) {
        return std::nullopt;
    }
    const auto configured = environment("ORVANE_GROUP_CONTAINERS");
    const Path root =
        configured ? Path(*configured) : dataHome().appending("orvane/group-containers");
    const Path container = root.appending(groupIdentifier);
    // Looked up on every right-click: one lstat when the container is there.
    struct stat st {};
    if (!container.isAbsolute() ||
        (lstat(container.str().c_str(), &st) != 0 &&
         (!makeDirectories(container, 0700) || lstat(container.str().c_str(), &st) != 0))) {
        return std::nullopt;
    }
    // Another user who owns or may write into the container could plant requests that move
    // this user's files: such a container is not ours.
    if (const auto why = whyNotPrivate(st, 0022)) {
        if (logSink_ != nullptr) {
            logSink_->write(subsystem_, "FileManager",
                            "Refused the group container " + container.str() + ": " + *why);
        }
        return std::nullopt;
    }
    return container;
}

Expected<std::string> LinuxFileManager::readUTF8(const Path& path, const ReadOptions& options) {
    return posix::readUTF8File(path, options);
}

Status writeAtomically(const Path& path, std::string_view data) {
    std::string temp;
    const int fd = openTemporaryBeside(path, temp);
    if (fd < 0) {
        return posixError(errno, "Couldn’t save", path);
    }
    int error = 0;
    // A file that is replaced keeps its mode; a new one has the umask's.
    struct stat existing {};
    if (stat(path.str().c_str(), &existing) == 0 && fchmod(fd, existing.st_mode & 07777) != 0) {
        error = errno;
    }
    if (error == 0 && !writeAll(fd, data)) {
        error = errno;
    }
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && rename(temp.c_str(), path.str().c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        unlink(temp.c_str());
        return posixError(error, "Couldn’t save", path);
    }
    return ok();
}

Status LinuxFileManager::writeUTF8(const Path& path, std::string_view text, WriteMode mode) {
    if (holdsNul(path)) {
        return nulError(path);
    }
    if (mode == WriteMode::atomic) {
        return writeAtomically(path, text);
    }
    const int fd = open(path.str().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return posixError(errno, "Couldn’t save", path);
    }
    int error = writeAll(fd, text) ? 0 : errno;
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    return error == 0 ? ok() : Status(posixError(error, "Couldn’t save", path));
}

std::optional<bool> LinuxFileManager::isDirectory(const Path& path) {
    // Like the URL resource value, a symbolic link is not followed: it is a link, not a folder.
    struct stat st {};
    if (holdsNul(path) || lstat(path.str().c_str(), &st) != 0) {
        return std::nullopt;
    }
    return S_ISDIR(st.st_mode);
}

Path LinuxFileManager::homeDirectory() {
    return lnx::homeDirectory();
}

bool LinuxFileManager::fileExists(const Path& path) {
    struct stat st {};
    return !holdsNul(path) && lstat(path.str().c_str(), &st) == 0;
}

namespace {

// Gives the finished temporary file the name, unless something has it already.
int linkIntoPlace(const std::string& temp, const Path& path) {
    if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.str().c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // The file system cannot rename without replacing; a hard link never replaces either.
    const int linked = link(temp.c_str(), path.str().c_str()) == 0 ? 0 : errno;
    unlink(temp.c_str());
    return linked;
}

} // namespace

Status LinuxFileManager::createFileExclusively(const Path& path, std::string_view bytes) {
    if (holdsNul(path)) {
        return nulError(path);
    }
    std::string temp;
    const int fd = openTemporaryBeside(path, temp);
    if (fd < 0) {
        return posixError(errno, "Couldn’t create", path);
    }
    int error = writeAll(fd, bytes) ? 0 : errno;
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0) {
        error = linkIntoPlace(temp, path);
    }
    if (error == EPERM || error == EOPNOTSUPP) {
        // No hard links either (FAT, some network shares): an exclusive create is all that is
        // left; a reader may then see the file before its bytes are in.
        unlink(temp.c_str());
        const int direct = open(path.str().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (direct < 0) {
            return posixError(errno, "Couldn’t create", path);
        }
        error = writeAll(direct, bytes) ? 0 : errno;
        if (close(direct) != 0 && error == 0) {
            error = errno;
        }
        if (error != 0) {
            unlink(path.str().c_str());
        }
        return error == 0 ? ok() : Status(posixError(error, "Couldn’t create", path));
    }
    if (error != 0) {
        unlink(temp.c_str());
        return posixError(error, "Couldn’t create", path);
    }
    return ok();
}

Status LinuxFileManager::moveItem(const Path& source, const Path& destination,
                                  MoveObserver* observer, MoveProgress* progress) {
    if (holdsNul(source) || holdsNul(destination)) {
        return nulError(holdsNul(source) ? source : destination);
    }
    return orv::moveItem(moves_, source, destination, observer, progress);
}

std::int64_t LinuxFileManager::bytesToCopy(const Path& source, const Path& destinationFolder) {
    return holdsNul(source) || holdsNul(destinationFolder)
               ? 0
               : orv::bytesToCopy(moves_, source, destinationFolder);
}

Interrupted LinuxFileManager::recoverInterruptedMove(const CopyRecord& record) {
    for (const Path* path : {&record.source, &record.destination, &record.copy}) {
        if (holdsNul(*path)) {
            return Interrupted::notOurs;
        }
    }
    return orv::recoverInterruptedMove(moves_, record);
}

Expected<std::vector<std::string>> LinuxFileManager::contentsOfDirectory(const Path& folder) {
    return holdsNul(folder) ? Expected<std::vector<std::string>>(nulError(folder))
                            : moves_.list(folder);
}

namespace {

// The freedesktop.org trash that takes items of the file system `device` by a rename: the
// user's own where it lies on that file system, else the one at the top of that file system
// (".Trash/<uid>" in a shared sticky ".Trash", or ".Trash-<uid>").
std::optional<Path> trashFor(const Path& item, dev_t device) {
    struct stat st {};
    const Path home = dataHome().appending("Trash");
    if (makeDirectories(home, 0700) && stat(home.str().c_str(), &st) == 0 && st.st_dev == device) {
        return home;
    }
    Path top = item.deletingLastComponent();
    while (top.str() != "/" && stat(top.deletingLastComponent().str().c_str(), &st) == 0 &&
           st.st_dev == device) {
        top = top.deletingLastComponent();
    }
    const std::string uid = std::to_string(getuid());
    const Path shared = top.appending(".Trash");
    if (lstat(shared.str().c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const Path own = shared.appending(uid);
        if (makeDirectories(own, 0700)) {
            return own;
        }
    }
    const Path own = top.appending(".Trash-" + uid);
    return makeDirectories(own, 0700) && lstat(own.str().c_str(), &st) == 0 && S_ISDIR(st.st_mode)
               ? std::optional(own)
               : std::nullopt;
}

std::string percentEncoded(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : path) {
        if (std::isalnum(c) != 0 ||
            std::string_view("/-_.~").find(static_cast<char>(c)) != std::string_view::npos) {
            out += static_cast<char>(c);
        } else {
            out += {'%', kHex[c >> 4], kHex[c & 0xF]};
        }
    }
    return out;
}

} // namespace

Expected<Path> LinuxFileManager::trashItem(const Path& path) {
    struct stat st {};
    if (holdsNul(path) || lstat(path.str().c_str(), &st) != 0) {
        return holdsNul(path) ? nulError(path) : posixError(errno, "Couldn’t look at", path);
    }
    const auto trash = trashFor(path, st.st_dev);
    if (!trash || !makeDirectories(trash->appending("files"), 0700) ||
        !makeDirectories(trash->appending("info"), 0700)) {
        return Error{EXDEV, "There is no Trash on the file system of “" + path.str() + "”."};
    }
    const std::time_t now = std::time(nullptr);
    char date[32] = {};
    std::tm local{};
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", localtime_r(&now, &local));
    const std::string info =
        concat({"[Trash Info]\nPath=", percentEncoded(path.str()), "\nDeletionDate=", date, "\n"});
    // The info file reserves the name, as the trash's readers expect.
    for (int n = 1; n < 1000; ++n) {
        const std::string name =
            path.lastComponent() + (n == 1 ? std::string() : "." + std::to_string(n));
        const Path infoFile = trash->appending("info/" + name + ".trashinfo");
        if (auto reserved = createFileExclusively(infoFile, info); !reserved) {
            if (reserved.error().kind == Error::Kind::alreadyExists) {
                continue;
            }
            return reserved.error();
        }
        const Path target = trash->appending("files/" + name);
        if (auto moved = moves_.renameNoReplace(path, target); !moved) {
            unlink(infoFile.str().c_str());
            if (moved.error().kind == Error::Kind::alreadyExists) {
                continue;
            }
            return moved.error();
        }
        return target;
    }
    return posixError(EEXIST, "Couldn’t find a free name in the Trash for", path);
}

Status LinuxFileManager::removeItem(const Path& path) {
    if (holdsNul(path)) {
        return nulError(path);
    }
    return orv::removeItem(moves_, path);
}

} // namespace orv::lnx
