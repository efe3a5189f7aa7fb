#pragma once
// The record of a move across file systems, kept in the group container while the move has
// a hidden copy or a source still to empty, so that a later launch can put right what a crash
// left. Each move has a file of its own, "moves-<random>.txt", naming the host that moves:
// another host sharing the container, on this machine or another, never acts on the record
// of a host that may still be running.

#include "platform/Log.h"
#include "platform/Services.h"

namespace orv {

class MoveJournal final : public MoveObserver {
  public:
    // Records in `container` as `owner`; a record that cannot be written is logged and the
    // move goes on.
    MoveJournal(FileManager& files, const Path& container, ProcessIdentity owner, const Log& log);

    void copyBegins(const CopyRecord& record) override;
    void copyEnds() override;

    // Recovers the moves whose hosts have provably ended, logs each, and returns a line for
    // each item a crash left in both places, for the user to hear of.
    static std::vector<std::string> recoverInterruptedMoves(FileManager& files,
                                                            ProcessInfo& processes,
                                                            const Path& container, const Log& log);

  private:
    FileManager& files_;
    Path file_;
    ProcessIdentity owner_;
    const Log& log_;
    bool written_ = false;
};

} // namespace orv
