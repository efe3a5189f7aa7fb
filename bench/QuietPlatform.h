#pragma once
// The Linux platform for benchmarks, with what follows an operation (log lines, the reveal's
// scripts, main-queue follow-ups) dropped, so only the operation itself is timed.

#include "platform/Platform.h"

namespace orv::bench {

class NullLog final : public LogSink {
  public:
    void write(std::string_view, std::string_view, std::string_view) override {}
};

class DiscardQueue final : public BackgroundQueue {
  public:
    void async(std::function<void()>) override {}
};

class DiscardMainQueue final : public MainQueue {
  public:
    void async(Task) override {}
    void asyncAfter(double, Task) override {}
    TimerPtr scheduledTimer(double, bool, std::function<void(Timer&)>) override { return nullptr; }
};

// A long move's progress asked for and updated as on a desktop, each report kept and dropped.
class KeptProgress final : public ProgressPresenter {
  public:
    struct Display final : ProgressDisplay {
        MoveProgressReport last;
        void update(const MoveProgressReport& report) override { last = report; }
    };
    std::unique_ptr<ProgressDisplay> show(const MoveProgressReport& report,
                                          std::function<void()>) override {
        auto display = std::make_unique<Display>();
        display->update(report);
        return display;
    }
};

// `p` with its log, main queue and global queue replaced by the ones that drop everything, and
// its progress kept.
struct QuietPlatform {
    NullLog log;
    DiscardMainQueue mainQueue;
    DiscardQueue queue;
    KeptProgress progress;

    Platform over(const Platform& p) {
        // clang-format off
        return Platform{{p.files, p.pasteboard, p.workspace, p.defaultsSuites, p.processes, log,
                         p.bundle, p.finderSync, p.symbols},
                        p.standardDefaults, mainQueue, queue, p.notifications, p.application,
                        p.statusBar, p.graphics, p.alerts, progress, p.loginItems, p.accessibility,
                        p.finderExtension, p.updater, p.scripts, p.sleeper, p.processInfo};
        // clang-format on
    }
};

} // namespace orv::bench
