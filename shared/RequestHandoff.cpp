#include "shared/RequestHandoff.h"

#include "platform/Text.h"

namespace orv::handoff {

namespace {

using WriteMode = FileManager::WriteMode;

std::optional<Path> container(FileManager& files) {
    return files.containerURL(kAppGroupIdentifier);
}

// The extension's writes replace the file atomically, so a host reading at the same moment
// sees the old request or the new one, never part of one. A failed write is not reported:
// the host then finds the file as it was and does nothing.
void writeRequest(FileManager& files, const Path& dir, std::string_view name,
                  std::string_view content) {
    (void)files.writeUTF8(dir.appending(name), content, WriteMode::atomic);
}

// The host empties what it took; a failure to do so does not stop the request.
void clearRequest(FileManager& files, const Path& dir, std::string_view name) {
    (void)files.writeUTF8(dir.appending(name), "", WriteMode::atomic);
}

// A request file as the extension writes it: a regular file of bounded size, not a link
// (which might lead anywhere) or a FIFO (which would block the reader).
Expected<std::string> readRequest(FileManager& files, const Path& dir, std::string_view name) {
    return files.readUTF8(dir.appending(name), {kMaxRequestBytes, false});
}

// The request's text, or nullopt when there is none; a file that is there but unreadable is
// worth a line in the log, a missing one is not.
std::optional<std::string> takeText(FileManager& files, const Path& dir, std::string_view name,
                                    const Log& log) {
    auto text = readRequest(files, dir, name);
    if (!text) {
        if (text.error().kind != Error::Kind::notFound) {
            log("Ignored a request: %{public}@", text.error().localizedDescription);
        }
        return std::nullopt;
    }
    if (text->empty()) {
        return std::nullopt;
    }
    return std::move(text.value());
}

} // namespace

std::vector<std::string> parseLines(std::string_view content) {
    std::vector<std::string> lines;
    while (true) {
        const auto lf = content.find('\n');
        const auto piece = trimmingWhitespaceAndNewlines(content.substr(0, lf));
        if (!piece.empty()) {
            lines.emplace_back(piece);
        }
        if (lf == std::string_view::npos) {
            return lines;
        }
        content.remove_prefix(lf + 1);
    }
}

std::optional<std::string> whyNotCarried(std::string_view path) {
    if (path.find('\0') != std::string_view::npos) {
        return "holds a NUL byte";
    }
    if (!isValidUTF8(path)) {
        return "is not valid UTF-8";
    }
    if (path.find_first_of("\n\r") != std::string_view::npos) {
        return "holds a line break";
    }
    const auto lines = parseLines(path);
    if (lines.size() != 1 || lines[0] != path) {
        return "begins or ends with white space";
    }
    return std::nullopt;
}

bool writeCutList(FileManager& files, const std::vector<Path>& items) {
    const auto dir = container(files);
    if (!dir) {
        return false;
    }
    std::string list;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            list += '\n';
        }
        list += items[i].str();
    }
    writeRequest(files, *dir, kPasteFile, "");
    writeRequest(files, *dir, kCutFile, list);
    return true;
}

void requestPaste(FileManager& files, Workspace& workspace, const Path& folder) {
    const auto dir = container(files);
    if (!dir) {
        return;
    }
    writeRequest(files, *dir, kPasteFile, folder.str());
    workspace.openURL(kPasteURL);
}

void requestCreate(FileManager& files, Workspace& workspace, const Path& folder,
                   std::string_view ext) {
    const auto dir = container(files);
    if (!dir) {
        return;
    }
    std::string request = folder.str();
    request += '\n';
    request += ext;
    writeRequest(files, *dir, kPendingFile, request);
    workspace.openURL(kCreateURL);
}

bool hasPendingCut(FileManager& files) {
    const auto dir = container(files);
    if (!dir) {
        return false;
    }
    const auto content = readRequest(files, *dir, kCutFile);
    return content && !trimmingWhitespaceAndNewlines(*content).empty();
}

std::optional<CreateRequest> takeCreateRequest(FileManager& files, const Log& log) {
    const auto dir = container(files);
    if (!dir) {
        return std::nullopt;
    }
    const auto content = takeText(files, *dir, kPendingFile, log);
    if (!content) {
        return std::nullopt;
    }
    clearRequest(files, *dir, kPendingFile);
    auto lines = parseLines(*content);
    if (lines.empty()) {
        return std::nullopt;
    }
    CreateRequest request{std::move(lines[0]), std::string(kDefaultExtension)};
    if (lines.size() > 1) {
        request.ext = std::move(lines[1]);
    }
    return request;
}

std::optional<PasteRequest> takePasteRequest(FileManager& files, const Log& log) {
    const auto dir = container(files);
    if (!dir) {
        return std::nullopt;
    }
    const auto cut = takeText(files, *dir, kCutFile, log);
    if (!cut) {
        return std::nullopt;
    }
    const auto paste = takeText(files, *dir, kPasteFile, log);
    if (!paste) {
        return std::nullopt;
    }
    clearRequest(files, *dir, kCutFile);
    clearRequest(files, *dir, kPasteFile);
    return PasteRequest{parseLines(*cut), std::string(trimmingWhitespaceAndNewlines(*paste))};
}

} // namespace orv::handoff
