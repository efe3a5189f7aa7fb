#pragma once
// A paste's moves, one after another on the main thread, and what the user sees of them and
// can do while they run: the progress of a paste that takes long, a stop that loses nothing,
// and the account of what moved and what stayed.

#include "app/requests/MoveJournal.h"
#include "platform/Platform.h"

#include <atomic>
#include <optional>

namespace orv {

class PasteMover final : private MoveProgress {
  public:
    // How long a paste runs before its progress shows (a quick one never flickers), and the
    // least time between two updates of it, in seconds.
    static constexpr double kShowAfter = 1.0;

    struct Outcome {
        std::vector<Path> movedURLs;           // where the moved items are now, in list order
        std::vector<std::string> failureLines; // "name: why" for each item that stayed
    };

    PasteMover(const Platform& platform, const Log& log) : platform_(platform), log_(log) {}

    // Moves each item into `destination` under its own name, never replacing anything; the
    // copies across file systems are on record in `journal` when there is one.
    Outcome move(const std::vector<std::string>& items, const std::string& destination,
                 MoveJournal* journal);

    // From any thread: the paste stops at its next safe point. The item being copied goes
    // back to how it was, those moved stay moved, those not reached stay where they are.
    void cancel() { cancelled_ = true; }

  private:
    bool proceed(std::int64_t bytes) override;
    bool stopped() const { return cancelled_ || platform_.application.terminationRequested(); }
    // What the items from the current one on copy, measured only once a paste has run long
    // enough to show: a quick one never pays for it.
    void measure();
    // Shows the state now; with the number of items moved, as the paste's last report.
    void show(std::optional<std::size_t> finishedWithMoved);
    std::string localized(std::string_view key, const std::vector<FormatArgument>& args) const;

    Platform platform_;
    const Log& log_;
    std::atomic<bool> cancelled_{false};
    const std::vector<std::string>* items_ = nullptr; // of the paste under way
    std::size_t current_ = 0;
    std::vector<std::int64_t> sizes_; // bytes each item copies, once measured
    Path destination_;
    MoveProgressReport state_;
    std::int64_t itemStart_ = 0; // bytesDone when the current item began
    std::vector<std::string> stayed_;
    bool showing_ = false; // shown, or tried to: a platform that cannot is not asked again
    double started_ = 0, shown_ = 0; // uptimes
    std::unique_ptr<ProgressDisplay> display_;
};

} // namespace orv
