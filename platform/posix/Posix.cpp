#include "platform/posix/Posix.h"

#include "platform/Text.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::posix {

Error posixError(int code, std::string_view what, const Path& path) {
    std::string description(what);
    description += " “";
    description += path.str();
    description += "”: ";
    description += std::strerror(code);
    const auto kind = code == EEXIST   ? Error::Kind::alreadyExists
                      : code == ENOENT ? Error::Kind::notFound
                                       : Error::Kind::other;
    return Error{code, description, kind};
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool holdsNul(const Path& path) {
    return path.str().find('\0') != std::string::npos;
}

Error nulError(const Path& path) {
    return Error{EINVAL, "The path “" + path.str().substr(0, path.str().find('\0')) +
                             "\\x00…” holds a NUL byte."};
}

Fd::~Fd() {
    if (fd >= 0) {
        close(fd);
    }
}

Expected<std::string> readUTF8File(const Path& path, const FileManager::ReadOptions& options) {
    if (holdsNul(path)) {
        return nulError(path);
    }
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (options.followLinks ? 0 : O_NOFOLLOW);
    const Fd file(open(path.str().c_str(), flags));
    if (file.fd < 0 && errno == ELOOP && !options.followLinks) {
        return Error{ELOOP, "“" + path.str() + "” is a symbolic link, not a file."};
    }
    if (file.fd < 0) {
        return posixError(errno, "Couldn’t open", path);
    }
    constexpr int kNotRegular = -1;
    struct stat st {};
    int error = fstat(file.fd, &st) != 0 ? errno : !S_ISREG(st.st_mode) ? kNotRegular : 0;
    if (error == 0 && static_cast<std::uint64_t>(st.st_size) > options.maxBytes) {
        error = EFBIG;
    }
    std::string content;
    char buffer[16384];
    while (error == 0) {
        const ssize_t n = read(file.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        content.append(buffer, static_cast<std::size_t>(n));
        if (content.size() > options.maxBytes) {
            error = EFBIG; // it grew while we read
        }
    }
    if (error == kNotRegular) {
        return Error{EINVAL, "“" + path.str() + "” is not a regular file."};
    }
    if (error != 0) {
        return posixError(error, "Couldn’t read", path);
    }
    if (!isValidUTF8(content)) {
        return posixError(EILSEQ, "Not UTF-8 text", path);
    }
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (std::string_view(content).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        content.erase(0, kByteOrderMark.size());
    }
    return content;
}

} // namespace orv::posix
