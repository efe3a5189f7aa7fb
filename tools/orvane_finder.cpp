// orvane-finder: plays Finder on Linux. It loads the Finder extension in-process, asks it for
// the contextual menu of a menu kind, selection and targeted folder and prints it, or runs one
// of its actions as Finder does when the user picks a menu item.

#include "extension/FinderSync.h"
#include "platform/Text.h"
#include "platform/linux/LinuxPlatform.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: orvane-finder menu --kind items|container|sidebar|toolbar|N [OPTION]... [--] "
    "[PATH]...\n"
    "       orvane-finder run SELECTOR [OPTION]... [--] [PATH]...\n"
    "options: --select PATH, --target DIR, --stdin-paths (more paths on standard input, each\n"
    "         followed by NUL), --from-kio (the paths come from KIO, which shows each byte of a\n"
    "         name that is not UTF-8 as U+FFFD)\n";

constexpr int kUsageError = 2;

struct Request {
    std::string command;
    std::string selector;
    std::optional<std::uint64_t> kind;
    std::optional<std::vector<orv::Path>> selection;
    std::optional<orv::Path> target;
    bool fromKio = false;
};

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// As Finder hands paths over: absolute and standardized, without "." or ".." components (".."
// resolved lexically, as NSURL's standardizing does), doubled or trailing slashes.
orv::Path absolutePath(std::string_view given) {
    std::string joined;
    if (given.empty() || given.front() != '/') {
        std::string cwd(4096, '\0');
        if (getcwd(cwd.data(), cwd.size()) != nullptr) {
            joined = cwd.c_str();
        }
        joined += '/';
    }
    joined += given;
    std::string clean;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const auto part = rest.substr(0, slash);
        if (part == "..") {
            clean.erase(clean.empty() ? 0 : clean.rfind('/'));
        } else if (!part.empty() && part != ".") {
            clean += '/';
            clean += part;
        }
        rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
    }
    return orv::Path(clean.empty() ? "/" : clean);
}

std::optional<std::uint64_t> parseKind(std::string_view text) {
    if (text == "items") {
        return 0;
    }
    if (text == "container") {
        return 1;
    }
    if (text == "sidebar") {
        return 2;
    }
    if (text == "toolbar") {
        return 3;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// All of standard input; nothing when it cannot be read.
std::optional<std::string> standardInput() {
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            return text;
        } else if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

std::optional<Request> parse(int argc, char** argv) {
    if (argc < 2) {
        return std::nullopt;
    }
    Request request;
    request.command = argv[1];
    int i = 2;
    if (request.command == "run") {
        if (argc < 3) {
            return std::nullopt;
        }
        request.selector = argv[i++];
    } else if (request.command != "menu") {
        return std::nullopt;
    }
    const auto select = [&request](std::string_view path) {
        if (path.empty()) {
            return false;
        }
        if (!request.selection) {
            request.selection.emplace();
        }
        request.selection->push_back(absolutePath(path));
        return true;
    };
    // Selected paths also come as a plain list, as file managers pass them; after "--" every
    // argument is a path, whatever it begins with.
    bool pathsOnly = false;
    for (; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (pathsOnly || option.substr(0, 2) != "--") {
            if (!select(option)) {
                return std::nullopt;
            }
            continue;
        }
        if (option == "--") {
            pathsOnly = true;
            continue;
        }
        if (option == "--from-kio") {
            request.fromKio = true;
            continue;
        }
        // The file managers' modules pass the selection here: it may be more than arguments
        // can hold.
        if (option == "--stdin-paths") {
            const auto list = standardInput();
            if (!list) {
                return std::nullopt;
            }
            for (std::string_view rest = *list; !rest.empty();) {
                const auto nul = rest.find('\0');
                if (!select(rest.substr(0, nul))) {
                    return std::nullopt;
                }
                rest.remove_prefix(nul == std::string_view::npos ? rest.size() : nul + 1);
            }
            continue;
        }
        if (i + 1 >= argc) {
            return std::nullopt;
        }
        const std::string_view value = argv[++i];
        if (option == "--select") {
            if (!select(value)) {
                return std::nullopt;
            }
        } else if (option == "--target" && !value.empty() && !request.target) {
            request.target = absolutePath(value);
        } else if (option == "--kind" && request.command == "menu" && !request.kind) {
            request.kind = parseKind(value);
            if (!request.kind) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    if (request.command == "menu" && !request.kind) {
        return std::nullopt;
    }
    // Selected items lie in the folder Finder shows: without --target, theirs.
    if (!request.target && request.selection && !request.selection->empty()) {
        request.target = request.selection->front().deletingLastComponent();
    }
    return request;
}

// Printed with stdio: file managers start this program on every right-click, and iostreams'
// start-up is a tenth of its instructions.
void printMenu(const orv::Menu& menu, const std::string& indent) {
    for (const auto& item : menu.items()) {
        std::printf("%s%s\t%s\t%s\n", indent.c_str(), item->title.c_str(),
                    item->action.empty() ? "-" : item->action.c_str(),
                    item->image ? item->image->symbolName.c_str() : "-");
        if (item->submenu) {
            printMenu(*item->submenu, indent + "  ");
        }
    }
}

// Whether the folder holds a name that is not UTF-8, or cannot be read to tell.
bool holdsUndecodableName(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return true;
    }
    errno = 0;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        if (!orv::isValidUTF8(entry->d_name)) {
            found = true;
            break;
        }
    }
    found = found || errno != 0;
    closedir(dir);
    return found;
}

// Whether a path from KIO may stand for another item than the one chosen. KIO shows each byte
// of a name that is not UTF-8 as U+FFFD, so only a component holding U+FFFD is in doubt: it is
// trusted when the path exists as given and the folder holding that component has no such name
// it could stand for.
bool mayStandForAnother(const orv::Path& path) {
    const std::string_view text = path.str();
    if (text.find(kReplacementCharacter) == std::string_view::npos) {
        return false;
    }
    struct stat st {};
    if (lstat(path.str().c_str(), &st) != 0) {
        return true;
    }
    for (std::size_t begin = 1; begin < text.size();) {
        const std::size_t end = std::min(text.find('/', begin), text.size());
        if (text.substr(begin, end - begin).find(kReplacementCharacter) != std::string_view::npos &&
            holdsUndecodableName(std::string(text.substr(0, begin)))) {
            return true;
        }
        begin = end + 1;
    }
    return false;
}

bool knownSelector(std::string_view selector) {
    for (const auto known : orv::FinderSync::actionSelectors()) {
        if (known == selector) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const auto request = parse(argc, argv);
    if (!request || (request->command == "run" && !knownSelector(request->selector))) {
        if (request) {
            std::fprintf(stderr, "orvane-finder: unknown selector: %s\n",
                         request->selector.c_str());
        }
        std::fputs(kUsage, stderr);
        return kUsageError;
    }

    orv::lnx::LinuxPlatform system(
        {"OrvaneExtension", std::string(orv::FinderSync::kBundleIdentifier), {}});
    system.finder().setSelection(request->selection);
    system.finder().setTarget(request->target);
    // A path that may name another item is refused with the whole request: a cut, above all,
    // must never move an item nobody chose.
    if (request->fromKio) {
        auto given = request->selection.value_or(std::vector<orv::Path>{});
        if (request->target) {
            given.push_back(*request->target);
        }
        for (const auto& path : given) {
            if (mayStandForAnother(path)) {
                const orv::Log log(system.platform().logSink,
                                   std::string(orv::FinderSync::kBundleIdentifier), "FileManager");
                log("ERROR %{public}@: “%{public}@” may stand for another name, one that is not "
                    "UTF-8; nothing was done",
                    request->command == "run" ? request->selector : request->command, path.str());
                return 1;
            }
        }
    }
    orv::FinderSync extension(system.platform());

    if (request->command == "menu") {
        printMenu(*extension.menu(*request->kind), "");
    } else {
        extension.performAction(request->selector, nullptr);
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
