#pragma once
// A long move shown the platform's way while it runs, with the platform's own way to stop
// it: on macOS an NSProgress published for each item copied across volumes, whose bar and
// cancel button Finder draws on the item; on Linux one desktop notification for the whole
// paste, updated in place, with a Cancel action where the server offers actions.

#include "platform/Path.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orv {

// How far a paste has come. The texts are the portable code's, in the user's language, for a
// platform that shows words of its own making (Finder makes its own from the numbers).
struct MoveProgressReport {
    Path target;                 // where the item being moved goes
    std::int64_t itemBytes = 0;  // the data it copies in all (0 for a rename)
    std::int64_t itemCopied = 0; // of which copied so far
    std::size_t itemsDone = 0, itemsTotal = 0;
    std::int64_t bytesDone = 0, bytesTotal = 0; // of the whole paste
    std::string title, detail, cancelTitle;
    bool finished = false; // the last report: done, stopped, or with items left in place
};

// One long move on screen, from its first report to its last.
class ProgressDisplay {
  public:
    virtual ~ProgressDisplay() = default;
    // Shows `report` in place of the one before. Cheap: called on the main thread, while it
    // moves, at most once a second; the last report comes with finished set.
    virtual void update(const MoveProgressReport& report) = 0;
};

class ProgressPresenter {
  public:
    virtual ~ProgressPresenter() = default;
    // Starts showing a move; `cancel` is called, on any thread, when the user stops it.
    // Nullptr where nothing can show it.
    virtual std::unique_ptr<ProgressDisplay> show(const MoveProgressReport& report,
                                                  std::function<void()> cancel) = 0;
};

} // namespace orv
