#pragma once
// POSIX pieces both platforms' file services are made of: errors from errno, whole writes,
// bounded reads that never wait on a FIFO, and paths that would be cut short at a NUL.

#include "platform/Expected.h"
#include "platform/Path.h"
#include "platform/Services.h"

#include <string>
#include <string_view>

namespace orv::posix {

// An error for errno `code`: "<what> “<path>”: <strerror>".
Error posixError(int code, std::string_view what, const Path& path);

// Writes all of `data`, going on after short writes and interrupted calls.
bool writeAll(int fd, std::string_view data);

// A path holding NUL would be cut short by every system call, naming another item: such a
// path is refused before it reaches one, with this error.
bool holdsNul(const Path& path);
Error nulError(const Path& path);

// The text of a regular file, as FileManager::readUTF8 promises it: opened without waiting
// (a FIFO cannot hold us in open()), refused when it is not a regular file, longer than
// `options.maxBytes` or not UTF-8; a byte-order mark is dropped, as NSString drops it.
Expected<std::string> readUTF8File(const Path& path, const FileManager::ReadOptions& options);

// Closes a descriptor when it goes.
struct Fd {
    int fd;
    explicit Fd(int f) : fd(f) {}
    ~Fd();
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

} // namespace orv::posix
