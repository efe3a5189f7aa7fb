#include "platform/linux/LinuxServices.h"

#include "platform/linux/Environment.h"
#include "platform/linux/LinuxFileManager.h"
#include "platform/linux/Process.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fcntl.h>
#include <syslog.h>
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

std::string lowercased(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
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
    const std::string scheme = lowercased(url.substr(0, colon));
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

LinuxLogSink::LinuxLogSink() : logFile_(environment("ORVANE_LOG_FILE").value_or("")) {}

void LinuxLogSink::write(std::string_view subsystem, std::string_view category,
                         std::string_view message) {
    std::string line;
    line.reserve(subsystem.size() + category.size() + message.size() + 4);
    line.append(subsystem).append(" ").append(category).append(" ");
    for (const char c : message) {
        if (c == '\n') {
            line += "\\n";
        } else {
            line += c;
        }
    }
    syslog(LOG_NOTICE, "%s", line.c_str());
    line += '\n';
    // One write per line, so lines from several threads or processes never interleave.
    (void)!::write(STDERR_FILENO, line.data(), line.size());
    if (!logFile_.empty()) {
        const int fd = open(logFile_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) {
            (void)!::write(fd, line.data(), line.size());
            close(fd);
        }
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
