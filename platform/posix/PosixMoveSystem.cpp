#include "platform/posix/PosixMoveSystem.h"

#include "platform/posix/Posix.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace orv::posix {

Error moveError(int code, std::string_view what, const Path& path) {
    auto error = posixError(code, what, path);
    if (code == EXDEV) {
        error.kind = Error::Kind::crossDevice;
    } else if (code == EINVAL || code == ENOSYS) {
        error.kind = Error::Kind::unsupported;
    }
    return error;
}

Status moveResult(int returned, std::string_view what, const Path& path) {
    return returned == 0 ? ok() : Status(moveError(errno, what, path));
}

FileIdentity identityOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

Status PosixMoveSystem::renameOverEmptyFolder(const Path& from, const Path& to) {
    return moveResult(rename(from.str().c_str(), to.str().c_str()), "Couldn’t move", from);
}

Status PosixMoveSystem::link(const Path& existing, const Path& newName) {
    return moveResult(::link(existing.str().c_str(), newName.str().c_str()), "Couldn’t link",
                      existing);
}

Expected<ItemInfo> PosixMoveSystem::info(const Path& path) {
    struct stat st {};
    if (lstat(path.str().c_str(), &st) != 0) {
        return moveError(errno, "Couldn’t look at", path);
    }
    ItemInfo info;
    info.type = S_ISDIR(st.st_mode)   ? ItemInfo::Type::folder
                : S_ISREG(st.st_mode) ? ItemInfo::Type::file
                : S_ISLNK(st.st_mode) ? ItemInfo::Type::link
                                      : ItemInfo::Type::other;
    info.identity = identityOf(st);
    info.links = st.st_nlink;
    info.size = st.st_size;
#ifdef __APPLE__
    const timespec& modified = st.st_mtimespec;
#else
    const timespec& modified = st.st_mtim;
#endif
    info.modified = modified.tv_sec * 1000000000LL + modified.tv_nsec;
    return info;
}

Expected<std::vector<std::string>> PosixMoveSystem::list(const Path& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.str().c_str()), closedir);
    if (!dir) {
        return moveError(errno, "Couldn’t read the folder", folder);
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
        return moveError(errno, "Couldn’t read the folder", folder);
    }
    return names;
}

std::optional<Path> PosixMoveSystem::realPath(const Path& path) {
    std::unique_ptr<char, void (*)(void*)> real(realpath(path.str().c_str(), nullptr), std::free);
    return real ? std::optional<Path>(Path(real.get())) : std::nullopt;
}

Status PosixMoveSystem::makeFolder(const Path& path) {
    return moveResult(mkdir(path.str().c_str(), 0700), "Couldn’t create the folder", path);
}

Status PosixMoveSystem::removeEntry(const Path& path, ItemInfo::Type type) {
    const int removed =
        type == ItemInfo::Type::folder ? rmdir(path.str().c_str()) : unlink(path.str().c_str());
    return moveResult(removed, "Couldn’t remove", path);
}

Status PosixMoveSystem::makeRemovable(const Path& folder) {
    struct stat st {};
    if (lstat(folder.str().c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return moveError(S_ISDIR(st.st_mode) ? errno : ENOTDIR, "Couldn’t open up", folder);
    }
    return moveResult(chmod(folder.str().c_str(), (st.st_mode & 07777) | S_IRWXU),
                      "Couldn’t open up", folder);
}

} // namespace orv::posix
