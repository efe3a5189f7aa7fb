#pragma once
// The request handoff between the Finder extension and the host: three text files in the
// application group's shared container and two URLs of the host's scheme. The extension writes
// a request file whole and only then opens the URL; the host reads it and empties it.

#include "platform/Log.h"
#include "platform/Services.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::handoff {

inline constexpr std::string_view kAppGroupIdentifier = "K4W7P2Z9QD.tamsel.Orvane";

inline constexpr std::string_view kCutFile = "cut.txt";         // cut list, one path per line
inline constexpr std::string_view kPasteFile = "paste.txt";     // paste destination
inline constexpr std::string_view kPendingFile = "pending.txt"; // create request

inline constexpr std::string_view kURLScheme = "orvaneplus";
inline constexpr std::string_view kCreateHost = "create";
inline constexpr std::string_view kPasteHost = "paste";
inline constexpr std::string_view kCreateURL = "orvaneplus://create";
inline constexpr std::string_view kPasteURL = "orvaneplus://paste";

// The kind a create request names when its file holds only the folder.
inline constexpr std::string_view kDefaultExtension = "txt";

// A request file longer than this is planted, not written by the extension: it is not read.
// Far above any selection (a cut of 100,000 items of 200-byte paths is 20 MB); the extension
// refuses a longer cut when it is made.
inline constexpr std::size_t kMaxRequestBytes = 64 << 20;

// Splits at every line feed, trims white space and line ends from each piece and drops the
// pieces left empty, keeping the order. Carriage returns and stray blanks are thus tolerated.
std::vector<std::string> parseLines(std::string_view content);

// Why `path` would not come back unchanged from parseLines, so that a request holding it
// would name another item (a line break inside, white space at an end, NUL, bytes that are
// not UTF-8); nullopt when it travels intact.
std::optional<std::string> whyNotCarried(std::string_view path);

// ---- Extension side. Each asks for the container first and does nothing without one. ----

// "paste.txt" emptied, then "cut.txt" = the paths joined by line feeds. Opens no URL.
// False when there is no container (nothing was written); a failed write still counts as done.
bool writeCutList(FileManager& files, const std::vector<Path>& items);
// "paste.txt" = the folder's path, then "orvaneplus://paste" is opened.
void requestPaste(FileManager& files, Workspace& workspace, const Path& folder);
// "pending.txt" = folder path, line feed, extension; then "orvaneplus://create" is opened.
void requestCreate(FileManager& files, Workspace& workspace, const Path& folder,
                   std::string_view ext);
// Whether "cut.txt" holds anything but white space and line ends.
bool hasPendingCut(FileManager& files);

// ---- Host side. ----

struct CreateRequest {
    std::string folder;
    std::string ext;
    friend bool operator==(const CreateRequest&, const CreateRequest&) = default;
};

struct PasteRequest {
    std::vector<std::string> items;
    std::string destination;
    friend bool operator==(const PasteRequest&, const PasteRequest&) = default;
};

// Reads "pending.txt"; when it holds anything, empties it and returns the request it names.
// A request file that is there but cannot be read (not a regular file, a link, too long, not
// UTF-8) is left as it is, and `log` says why.
std::optional<CreateRequest> takeCreateRequest(FileManager& files, const Log& log);
// Reads "cut.txt" and "paste.txt"; when both hold something, empties both (cut first) and
// returns the items and the destination. Unreadable files as for a create request.
std::optional<PasteRequest> takePasteRequest(FileManager& files, const Log& log);

} // namespace orv::handoff
