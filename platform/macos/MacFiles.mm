#include "platform/macos/MacFiles.h"

#include "platform/macos/Cocoa.h"
#include "platform/posix/Posix.h"

#include <copyfile.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::mac {

using posix::holdsNul;
using posix::moveError;
using posix::moveResult;
using posix::nulError;

Status MacMoveSystem::renameNoReplace(const Path& from, const Path& to) {
    if (renamex_np(from.str().c_str(), to.str().c_str(), RENAME_EXCL) == 0) {
        return ok();
    }
    Error error = moveError(errno, "Couldn’t move", from);
    if (error.code == ENOTSUP) {
        error.kind = Error::Kind::unsupported;
    }
    return error;
}

namespace {

// What the copy's status callback needs: whom to tell, and how much it had been told.
struct CopyWatch {
    MoveProgress* progress;
    off_t told = 0;
};

// Called by copyfile as the data goes: each new piece is told, and a refusal quits the copy
// (copyfile then fails with ECANCELED).
int copyStatus(int what, int stage, copyfile_state_t state, const char*, const char*, void* ctx) {
    if (what != COPYFILE_COPY_DATA || stage != COPYFILE_PROGRESS) {
        return COPYFILE_CONTINUE;
    }
    auto* watch = static_cast<CopyWatch*>(ctx);
    off_t copied = 0;
    if (copyfile_state_get(state, COPYFILE_STATE_COPIED, &copied) != 0 || copied <= watch->told) {
        return COPYFILE_CONTINUE;
    }
    const off_t piece = copied - watch->told;
    watch->told = copied;
    return watch->progress->proceed(piece) ? COPYFILE_CONTINUE : COPYFILE_QUIT;
}

} // namespace

Status MacMoveSystem::copyItem(const Path& from, const Path& to,
                               const std::function<void(FileIdentity)>& created,
                               MoveProgress* progress) {
    struct stat st {};
    if (lstat(from.str().c_str(), &st) != 0) {
        return moveError(errno, "Couldn’t look at", from);
    }
    struct stat made {};
    if (S_ISREG(st.st_mode)) {
        const posix::Fd in(open(from.str().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        const posix::Fd out(open(to.str().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (in.fd < 0 || out.fd < 0 || fstat(out.fd, &made) != 0) {
            return moveError(errno, "Couldn’t copy", from);
        }
        created(posix::identityOf(made));
        copyfile_state_t state = nullptr;
        CopyWatch watch{progress};
        if (progress != nullptr) {
            state = copyfile_state_alloc();
            copyfile_state_set(state, COPYFILE_STATE_STATUS_CB,
                               reinterpret_cast<const void*>(&copyStatus));
            copyfile_state_set(state, COPYFILE_STATE_STATUS_CTX, &watch);
        }
        const int copied = fcopyfile(in.fd, out.fd, state, COPYFILE_ALL | COPYFILE_DATA_SPARSE);
        const int error = errno;
        if (state != nullptr) {
            copyfile_state_free(state);
        }
        errno = error;
        return moveResult(copied, "Couldn’t copy", from);
    }
    const int copied =
        S_ISLNK(st.st_mode)
            ? copyfile(from.str().c_str(), to.str().c_str(), nullptr,
                       COPYFILE_ALL | COPYFILE_NOFOLLOW | COPYFILE_EXCL)
            : mknod(to.str().c_str(), st.st_mode, st.st_rdev); // as mv makes them anew
    if (copied != 0 || lstat(to.str().c_str(), &made) != 0) {
        return moveError(errno, "Couldn’t copy", from);
    }
    created(posix::identityOf(made));
    return ok();
}

Status MacMoveSystem::finishFolder(const Path& from, const Path& to) {
    return moveResult(copyfile(from.str().c_str(), to.str().c_str(), nullptr,
                               COPYFILE_STAT | COPYFILE_METADATA | COPYFILE_NOFOLLOW),
                      "Couldn’t copy", from);
}

std::optional<Path> MacFileManager::containerURL(std::string_view groupIdentifier) {
    return pathOf([NSFileManager.defaultManager
        containerURLForSecurityApplicationGroupIdentifier:toNS(groupIdentifier)]);
}

Expected<std::string> MacFileManager::readUTF8(const Path& path, const ReadOptions& options) {
    return posix::readUTF8File(path, options);
}

Status MacFileManager::writeUTF8(const Path& path, std::string_view text, WriteMode mode) {
    if (holdsNul(path)) {
        return nulError(path);
    }
    NSData* data = [NSData dataWithBytes:text.data() length:text.size()];
    NSError* error = nil;
    const BOOL written =
        [data writeToURL:fileURL(path)
                 options:mode == WriteMode::atomic ? NSDataWritingAtomic : NSDataWritingOptions(0)
                   error:&error];
    return statusOf(written, error);
}

std::optional<bool> MacFileManager::isDirectory(const Path& path) {
    NSNumber* value = nil;
    if (holdsNul(path) ||
        ![fileURL(path) getResourceValue:&value forKey:NSURLIsDirectoryKey error:nil] ||
        value == nil) {
        return std::nullopt;
    }
    return value.boolValue;
}

Path MacFileManager::homeDirectory() {
    const struct passwd* user = getpwuid(getuid());
    return Path(user != nullptr && user->pw_dir != nullptr ? std::string(user->pw_dir)
                                                           : toStd(NSHomeDirectory()));
}

bool MacFileManager::fileExists(const Path& path) {
    // attributesOfItemAtPath: does not follow a link; fileExistsAtPath: would.
    return !holdsNul(path) && [NSFileManager.defaultManager attributesOfItemAtPath:toNS(path.str())
                                                                             error:nil] != nil;
}

Status MacFileManager::createFileExclusively(const Path& path, std::string_view bytes) {
    if (holdsNul(path)) {
        return nulError(path);
    }
    const Path temp = path.deletingLastComponent().appending(
        "." + path.lastComponent() + "." + std::to_string(arc4random_uniform(100000000)));
    NSData* data = [NSData dataWithBytes:bytes.data() length:bytes.size()];
    NSError* error = nil;
    if (![data writeToURL:fileURL(temp) options:NSDataWritingWithoutOverwriting error:&error]) {
        return errorOf(error);
    }
    Status placed = moves_.renameNoReplace(temp, path);
    if (!placed && placed.error().kind == Error::Kind::unsupported) {
        placed = moves_.link(temp, path); // a hard link never replaces either
    }
    unlink(temp.str().c_str()); // gone after a rename; the second name after a link
    return placed;
}

Status MacFileManager::moveItem(const Path& source, const Path& destination, MoveObserver* observer,
                                MoveProgress* progress) {
    if (holdsNul(source) || holdsNul(destination)) {
        return nulError(holdsNul(source) ? source : destination);
    }
    return orv::moveItem(moves_, source, destination, observer, progress);
}

std::int64_t MacFileManager::bytesToCopy(const Path& source, const Path& destinationFolder) {
    return holdsNul(source) || holdsNul(destinationFolder)
               ? 0
               : orv::bytesToCopy(moves_, source, destinationFolder);
}

Interrupted MacFileManager::recoverInterruptedMove(const CopyRecord& record) {
    for (const Path* path : {&record.source, &record.destination, &record.copy}) {
        if (holdsNul(*path)) {
            return Interrupted::notOurs;
        }
    }
    return orv::recoverInterruptedMove(moves_, record);
}

Expected<Path> MacFileManager::trashItem(const Path& path) {
    if (holdsNul(path)) {
        return nulError(path);
    }
    NSURL* trashed = nil;
    NSError* error = nil;
    if (![NSFileManager.defaultManager trashItemAtURL:fileURL(path)
                                     resultingItemURL:&trashed
                                                error:&error]) {
        return errorOf(error);
    }
    return pathOf(trashed).value_or(path);
}

Expected<std::vector<std::string>> MacFileManager::contentsOfDirectory(const Path& folder) {
    if (holdsNul(folder)) {
        return nulError(folder);
    }
    NSError* error = nil;
    NSArray<NSString*>* names =
        [NSFileManager.defaultManager contentsOfDirectoryAtPath:toNS(folder.str()) error:&error];
    if (names == nil) {
        return errorOf(error);
    }
    std::vector<std::string> result;
    for (NSString* name in names) {
        result.push_back(toStd(name));
    }
    return result;
}

Status MacFileManager::removeItem(const Path& path) {
    if (holdsNul(path)) {
        return nulError(path);
    }
    NSError* error = nil;
    return statusOf([NSFileManager.defaultManager removeItemAtURL:fileURL(path) error:&error],
                    error);
}

} // namespace orv::mac
