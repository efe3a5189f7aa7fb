#include "platform/linux/LinuxServices.h"

#include "platform/AppleScript.h"
#include "platform/Text.h"

#include "platform/linux/Environment.h"
#include "platform/linux/LinuxFileManager.h"
#include "platform/linux/Process.h"
#include "platform/posix/Posix.h"

#include <array>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <thread>
#include <unistd.h>

namespace orv::lnx {

namespace {

enum class ClipboardBackend { wayland, x11, file };

struct Clipboard {
    ClipboardBackend backend = ClipboardBackend::file;
    Path tool;
};

Clipboard chooseClipboard() {
    if (environment("WAYLAND_DISPLAY")) {
        if (auto tool = findProgram("wl-copy", false)) {
            return {ClipboardBackend::wayland, *tool};
        }
    }
    if (environment("DISPLAY")) {
        if (auto tool = findProgram("xclip", false)) {
            return {ClipboardBackend::x11, *tool};
        }
    }
    return {};
}

bool setClipboard(std::string_view text, bool clearing) {
    const Clipboard clipboard = chooseClipboard();
    switch (clipboard.backend) {
    case ClipboardBackend::wayland:
        return clearing ? bool(runWithInput(clipboard.tool, {"--clear"}, ""))
                        : bool(runWithInput(clipboard.tool, {"--type", "text/plain;charset=utf-8"},
                                            text));
    case ClipboardBackend::x11:
        return bool(runWithInput(clipboard.tool, {"-selection", "clipboard"}, text));
    case ClipboardBackend::file:
        break;
    }
    const auto dir = runtimeDirectory();
    return dir && bool(writeAtomically(dir->appending("pasteboard.txt"), text));
}

} // namespace

void LinuxPasteboard::clearContents() {
    setClipboard("", true);
}

bool LinuxPasteboard::setString(std::string_view text, std::string_view type) {
    return type == kPasteboardTypeString && setClipboard(text, false);
}

bool LinuxWorkspace::openURL(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return false;
    }
    const std::string scheme = asciiLowercased(url.substr(0, colon));
    std::optional<Path> program;
    if (scheme == "orvaneplus") {
        // The program that claims the scheme; tests and packagers may name another.
        program = environment("ORVANE_HOST_PROGRAM") ? Path(*environment("ORVANE_HOST_PROGRAM"))
                                                     : findProgram("orvane-host", true);
    } else {
        program = findProgram("xdg-open", false);
    }
    return program && bool(processes_.launch(*program, {std::string(url)}));
}

namespace {

// dbus-send and its arguments for ShowItems, when a session bus is there to send them on.
std::optional<std::pair<Path, std::vector<std::string>>>
showItemsCall(const std::vector<Path>& items) {
    const auto dbusSend = findProgram("dbus-send", false);
    if (!dbusSend || !environment("DBUS_SESSION_BUS_ADDRESS")) {
        return std::nullopt;
    }
    std::string uris;
    for (const auto& item : items) {
        uris +=
            concat({uris.empty() ? "" : ",", fileURI(item)}); // commas inside are percent-encoded
    }
    return std::pair{*dbusSend,
                     std::vector<std::string>{"--session", "--print-reply", "--reply-timeout=5000",
                                              "--dest=org.freedesktop.FileManager1",
                                              "--type=method_call", "/org/freedesktop/FileManager1",
                                              "org.freedesktop.FileManager1.ShowItems",
                                              "array:string:" + uris, "string:"}};
}

// Nemo, Caja and Thunar answer ShowItems with a new window on the folder every time, even one
// they show already, where GNOME Files and Dolphin select in the window they have: a user who
// made three files would get three windows. Who answers is asked of the bus: the program behind the
// name, by its process.
bool showItemsOpensAWindow(const Path& dbusSend) {
    const auto reply = captureOutput(dbusSend,
                                     {"--session", "--print-reply", "--reply-timeout=1000",
                                      "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                                      "org.freedesktop.DBus.GetConnectionUnixProcessID",
                                      "string:org.freedesktop.FileManager1"},
                                     2);
    const auto at = reply ? reply->find("uint32 ") : std::string::npos;
    if (at == std::string::npos) {
        return false;
    }
    std::string program;
    std::ifstream("/proc/" + std::to_string(std::strtoul(reply->c_str() + at + 7, nullptr, 10)) +
                  "/comm") >>
        program;
    program = asciiLowercased(program);
    return program == "nemo" || program == "caja" || program == "thunar";
}

} // namespace

std::optional<Path> LinuxWorkspace::urlForApplication(std::string_view bundleIdentifier) {
    if (bundleIdentifier.empty() || bundleIdentifier.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    std::vector<Path> roots{dataHome()};
    const std::string dirList =
        environment("XDG_DATA_DIRS").value_or("/usr/local/share:/usr/share");
    std::string_view dirs = dirList;
    while (!dirs.empty()) {
        const auto colon = dirs.find(':');
        if (const auto dir = dirs.substr(0, colon); !dir.empty() && dir.front() == '/') {
            roots.emplace_back(dir);
        }
        dirs.remove_prefix(colon == std::string_view::npos ? dirs.size() : colon + 1);
    }
    LinuxFileManager files;
    for (const auto& root : roots) {
        const Path entry =
            root.appending("applications").appending(std::string(bundleIdentifier) + ".desktop");
        if (files.fileExists(entry)) {
            return entry;
        }
    }
    return std::nullopt;
}

void LinuxWorkspace::activateFileViewerSelecting(const std::vector<Path>& items) {
    auto call = showItemsCall(items);
    if (!call || items.empty()) {
        return;
    }
    // The moved items are in the folder the user pasted into, in the window that asked. The bus
    // and the file manager take a moment, which the main thread does not wait for.
    std::thread([call = std::move(*call), log = log_] {
        const char* result = showItemsOpensAWindow(call.first) ? "left to the window that asked"
                             : runWithInput(call.first, call.second, "") ? "shown"
                                                                         : "not shown: no answer";
        if (log != nullptr) {
            Log(*log, "tamsel.Orvane-", "Workspace")("Reveal of the moved items: %{public}@",
                                                     std::string(result));
        }
    }).detach();
}

LinuxLogSink::LinuxLogSink(std::string identifier, std::string journal)
    : identifier_(identifier.empty() ? program_invocation_short_name : std::move(identifier)),
      journal_(std::move(journal)), logFile_(environment("ORVANE_LOG_FILE").value_or("")),
      socket_(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)), terminal_(isatty(STDERR_FILENO)) {}

LinuxLogSink::~LinuxLogSink() {
    if (socket_ >= 0) {
        close(socket_);
    }
}

namespace {

// A field of the journal's native protocol: KEY=value, or, for a value that holds a line feed,
// the key, a line feed, the value's length as 64 bits little-endian, and the value.
void addField(std::string& entry, std::string_view key, std::string_view value) {
    entry.append(key);
    if (value.find('\n') == std::string_view::npos) {
        entry.append("=").append(value).append("\n");
        return;
    }
    entry.append("\n");
    for (int byte = 0; byte < 8; ++byte) {
        entry.push_back(static_cast<char>((std::uint64_t(value.size()) >> (8 * byte)) & 0xFF));
    }
    entry.append(value).append("\n");
}

} // namespace

bool LinuxLogSink::sendToJournal(const std::string& entry) const {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket_ < 0 || journal_.size() >= sizeof address.sun_path) {
        return false;
    }
    journal_.copy(address.sun_path, journal_.size());
    const auto* to = reinterpret_cast<const sockaddr*>(&address);
    if (sendto(socket_, entry.data(), entry.size(), MSG_NOSIGNAL, to, sizeof address) >= 0) {
        return true;
    }
    if (errno != EMSGSIZE && errno != ENOBUFS) {
        return false;
    }
    // Too large for one datagram: the journal takes it in a sealed memory file instead.
    const posix::Fd file(memfd_create("orvane-log", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (file.fd < 0 || !posix::writeAll(file.fd, entry) ||
        fcntl(file.fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) !=
            0) {
        return false;
    }
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_name = const_cast<sockaddr*>(to);
    message.msg_namelen = sizeof address;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* rights = CMSG_FIRSTHDR(&message);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(rights), &file.fd, sizeof(int));
    return sendmsg(socket_, &message, MSG_NOSIGNAL) >= 0;
}

void LinuxLogSink::write(std::string_view subsystem, std::string_view category,
                         std::string_view message) {
    std::string line;
    line.reserve(subsystem.size() + category.size() + message.size() + 4);
    line.append(subsystem).append(" ").append(category).append(" ");
    // One event is one line of text: control characters and bytes that are not UTF-8, from
    // file names, are written as escapes, and so is the backslash, so that an escape in the log
    // always means one.
    static constexpr char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < message.size(); ++i) {
        const char ch = message[i];
        const auto c = static_cast<unsigned char>(ch);
        const std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (ch == '\\' || ch == '\n' || ch == '\t' || ch == '\r') {
            line.append(1, '\\').append(1, ch == '\\'   ? '\\'
                                           : ch == '\n' ? 'n'
                                           : ch == '\t' ? 't'
                                                        : 'r');
        } else if (length > 1 && isValidUTF8(message.substr(i, length))) {
            line.append(message.substr(i, length));
            i += length - 1;
        } else if (c < 0x20 || c >= 0x7F) {
            line.append("\\x").append(1, kHex[c >> 4]).append(1, kHex[c & 0xF]);
        } else {
            line += ch;
        }
    }
    std::string entry;
    addField(entry, "MESSAGE", line);
    addField(entry, "PRIORITY", "5"); // notice, as syslog had it
    addField(entry, "SYSLOG_IDENTIFIER", identifier_);
    addField(entry, "ORVANE_SUBSYSTEM", subsystem);
    addField(entry, "ORVANE_CATEGORY", category);
    if (!sendToJournal(entry)) {
        syslog(LOG_NOTICE, "%s", line.c_str());
    }
    line += '\n';
    // One write per line, so lines from several threads or processes never interleave.
    if (terminal_) {
        (void)!::write(STDERR_FILENO, line.data(), line.size());
    }
    if (!logFile_.empty()) {
        const int fd = open(logFile_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) {
            (void)!::write(fd, line.data(), line.size());
            close(fd);
        }
    }
}

std::string fileURI(const Path& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char ch : path.str()) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += ch;
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0xF];
        }
    }
    return uri;
}

namespace {

constexpr std::string_view kFinderSelectStart =
    "tell application \"Finder\"\n    set theFile to POSIX file ";
constexpr std::string_view kFinderSelectEnd =
    " as alias\n    select theFile\n    activate\nend tell";
constexpr std::string_view kSystemEventsStart = "tell application \"System Events\"";
constexpr std::string_view kApplicationIdStart = "tell application id ";
constexpr std::string_view kShellScriptStart = "do shell script ";

// Shows the item selected in the desktop's file manager, when one answers on the session bus.
std::optional<ScriptError> showInFileManager(const Path& path) {
    if (!LinuxFileManager().fileExists(path)) {
        return ScriptError{-43, "File " + path.str() + " wasn’t found."};
    }
    const auto call = showItemsCall({path});
    if (!call) {
        return ScriptError{-600, "No file manager can be asked to show the file: there is no "
                                 "session bus."};
    }
    if (showItemsOpensAWindow(call->first)) {
        return ScriptError{-1, "The file manager shows items only in a window of their own: the "
                               "new file is left unselected in the window it was made from."};
    }
    if (!runWithInput(call->first, call->second, "")) {
        return ScriptError{-600, "No file manager answered org.freedesktop.FileManager1."};
    }
    return std::nullopt;
}

} // namespace

std::optional<ScriptError> LinuxScriptRunner::run(std::string_view source) {
    if (source.substr(0, kFinderSelectStart.size()) == kFinderSelectStart) {
        std::size_t at = kFinderSelectStart.size();
        const auto path = readAppleScriptString(source, at);
        if (path && source.substr(at) == kFinderSelectEnd) {
            return showInFileManager(Path(*path));
        }
    }
    if (source.substr(0, kSystemEventsStart.size()) == kSystemEventsStart) {
        return ScriptError{-1743, "Linux file managers take no keystrokes from other programs: "
                                  "the new file is selected; press F2 to rename it."};
    }
    if (source.substr(0, kApplicationIdStart.size()) == kApplicationIdStart) {
        std::size_t at = kApplicationIdStart.size();
        const auto id = readAppleScriptString(source, at).value_or("The application");
        return ScriptError{-600, id + " cannot be scripted on Linux."};
    }
    if (source.substr(0, kShellScriptStart.size()) == kShellScriptStart) {
        // The uninstall's commands name macOS places (/Applications, ~/Library, tccutil).
        return ScriptError{-60005, "Administrator scripts are not run on Linux: remove the "
                                   "package with the package manager that installed it."};
    }
    return ScriptError{-2741, "This system runs no AppleScript."};
}

std::string LinuxScriptRunner::describe(const std::optional<ScriptError>& error) const {
    return error ? concat({"error ", std::to_string(error->number), ": ", error->message}) : "nil";
}

void LinuxSleeper::sleepFor(double seconds) {
    if (seconds > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
}

ImagePtr LinuxSymbolCatalog::systemSymbol(std::string_view name) {
    struct Known {
        std::string_view name;
        Size size; // at the nominal point size
    };
    static constexpr std::array<Known, 15> kKnown{{
        {"doc.on.clipboard", {15, 16}},
        {"scissors", {15, 14}},
        {"document.badge.plus", {15, 16}},
        {"doc.text", {12, 16}},
        {"text.alignleft", {14, 12}},
        {"curlybraces", {16, 14}},
        {"tablecells", {16, 13}},
        {"chevron.left.forwardslash.chevron.right", {20, 12}},
        {"terminal", {16, 13}},
        {"swift", {16, 14}},
        {"doc.fill", {12, 16}},
        {"rectangle.on.rectangle", {17, 14}},
        {"doc.richtext", {12, 16}},
        {"computermouse", {10, 16}},
        {"computermouse.fill", {10, 16}},
    }};
    for (const auto& known : kKnown) {
        if (known.name == name) {
            auto image = std::make_shared<Image>(known.size);
            image->symbolName = std::string(name);
            return image;
        }
    }
    return nullptr;
}

} // namespace orv::lnx
