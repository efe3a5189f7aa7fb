#include "platform/linux/Environment.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::lnx {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

Path homeDirectory() {
    if (auto home = environment("HOME")) {
        return Path(*home);
    }
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return Path(pw->pw_dir);
    }
    return Path("/");
}

Path configHome() {
    if (auto dir = environment("XDG_CONFIG_HOME")) {
        return Path(*dir);
    }
    return homeDirectory().appending(".config");
}

Path dataHome() {
    if (auto dir = environment("XDG_DATA_HOME")) {
        return Path(*dir);
    }
    return homeDirectory().appending(".local/share");
}

std::optional<Path> runtimeDirectory() {
    Path dir;
    if (auto runtime = environment("XDG_RUNTIME_DIR")) {
        dir = Path(*runtime).appending("orvane");
    } else {
        dir = Path("/tmp/orvane-runtime-" + std::to_string(getuid()));
    }
    // Only a folder of this user's own that nobody else can enter will do.
    if (!makeDirectories(dir, 0700) || whyNotPrivate(dir, 0077)) {
        return std::nullopt;
    }
    return dir;
}

std::optional<std::string> whyNotPrivate(const Path& dir, unsigned forbidden) {
    struct stat st {};
    if (lstat(dir.str().c_str(), &st) != 0) {
        return std::string(std::strerror(errno));
    }
    return whyNotPrivate(st, forbidden);
}

std::optional<std::string> whyNotPrivate(const struct stat& st, unsigned forbidden) {
    if (!S_ISDIR(st.st_mode)) {
        return std::string("not a folder of its own");
    }
    if (st.st_uid != getuid()) {
        return "owned by user " + std::to_string(st.st_uid);
    }
    if ((st.st_mode & forbidden) != 0) {
        return std::string((st.st_mode & forbidden & 0022) != 0 ? "writable by others"
                                                                : "open to others");
    }
    return std::nullopt;
}

Path executableDirectory() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return Path(".");
    }
    return Path(std::string_view(buffer, static_cast<std::size_t>(n))).deletingLastComponent();
}

std::optional<Path> findProgram(std::string_view name, bool besideProgramFirst) {
    if (besideProgramFirst) {
        const Path beside = executableDirectory().appending(name);
        if (access(beside.str().c_str(), X_OK) == 0) {
            return beside;
        }
    }
    const auto path = environment("PATH").value_or("/usr/local/bin:/usr/bin:/bin");
    std::string_view rest = path;
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const auto dir = rest.substr(0, colon);
        if (!dir.empty() && dir.front() == '/') {
            const Path candidate = Path(dir).appending(name);
            if (access(candidate.str().c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

Status makeDirectories(const Path& path, unsigned mode) {
    struct stat st {};
    if (stat(path.str().c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode) ? ok() : Status(posixError(ENOTDIR, "Not a folder", path));
    }
    const Path parent = path.deletingLastComponent();
    if (!parent.empty() && parent != path) {
        if (auto made = makeDirectories(parent, 0755); !made) {
            return made;
        }
    }
    if (mkdir(path.str().c_str(), mode) != 0 && errno != EEXIST) {
        return posixError(errno, "Couldn’t create the folder", path);
    }
    return ok();
}

} // namespace orv::lnx
