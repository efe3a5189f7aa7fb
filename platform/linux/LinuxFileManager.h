#pragma once

#include "platform/Log.h"
#include "platform/Services.h"
#include "platform/linux/Move.h"

namespace orv::lnx {

// The file manager on Linux. The group container is the folder named by the group identifier
// inside $ORVANE_GROUP_CONTAINERS (default: <data home>/orvane/group-containers), made 0700
// on first lookup; one another user owns or may write into is refused (and logged to
// `logSink`). A path holding NUL is refused by every call.
class LinuxFileManager final : public FileManager {
  public:
    // Without `withContainer` there is no group container, for a run that only shows
    // something and must not touch the requests or moves of a running host.
    explicit LinuxFileManager(LogSink* logSink = nullptr, std::string subsystem = {},
                              bool withContainer = true);

    std::optional<Path> containerURL(std::string_view groupIdentifier) override;
    using FileManager::readUTF8;
    Expected<std::string> readUTF8(const Path& path, const ReadOptions& options) override;
    Status writeUTF8(const Path& path, std::string_view text, WriteMode mode) override;
    std::optional<bool> isDirectory(const Path& path) override;
    Path homeDirectory() override;
    bool fileExists(const Path& path) override;
    // A temporary file beside the target, renamed into place with RENAME_NOREPLACE (or linked,
    // on file systems without it), so the name is taken whole or not at all.
    Status createFileExclusively(const Path& path, std::string_view bytes) override;
    Status moveItem(const Path& source, const Path& destination, MoveObserver* observer,
                    MoveProgress* progress) override;
    std::int64_t bytesToCopy(const Path& source, const Path& destinationFolder) override;
    Interrupted recoverInterruptedMove(const CopyRecord& record) override;
    // The freedesktop.org trash of the item's own file system, which it is renamed into.
    Expected<Path> trashItem(const Path& path) override;
    Expected<std::vector<std::string>> contentsOfDirectory(const Path& folder) override;
    Status removeItem(const Path& path) override;

  private:
    LinuxMoveSystem moves_;
    LogSink* logSink_;
    std::string subsystem_;
    bool withContainer_;
};

// Writes `data` to a new temporary file beside `path` and renames it over `path`, so a reader
// sees the old content or the new, never part of it. A file it replaces keeps its mode.
Status writeAtomically(const Path& path, std::string_view data);

} // namespace orv::lnx
