#pragma once
// The record of a move's hidden copy, kept in the group container from before the copy is
// made until it has its final name or is gone, so that a copy a crash left behind is removed
// at the next launch. One line per copy: "<device> <inode> <path>", with "-" for an identity
// not yet known.

#include "platform/Log.h"
#include "platform/Services.h"

namespace orv {

class MoveJournal final : public MoveObserver {
  public:
    static constexpr std::string_view kFileName = "moves.txt";

    // Records in `container`; a record that cannot be written is logged and the move goes on.
    MoveJournal(FileManager& files, const Path& container, const Log& log);

    void copyBegins(const Path& temporary, std::optional<FileIdentity> identity) override;
    void copyEnds() override;

    // Removes the copies the journal names, while they are still ours, logs each one, and
    // clears the journal.
    static void removeAbandonedCopies(FileManager& files, const Path& container, const Log& log);

  private:
    void write(const std::string& text);

    FileManager& files_;
    Path file_;
    const Log& log_;
};

} // namespace orv
