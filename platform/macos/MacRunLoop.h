#pragma once
// Dispatch and the main run loop on macOS: the main queue, NSTimer, and the global queue of
// user-initiated quality of service.

#include "platform/RunLoop.h"

namespace orv::mac {

class MacMainQueue final : public MainQueue {
  public:
    void async(Task task) override;
    void asyncAfter(double seconds, Task task) override;
    TimerPtr scheduledTimer(double interval, bool repeats,
                            std::function<void(Timer&)> block) override;
};

class MacUserInitiatedQueue final : public BackgroundQueue {
  public:
    void async(std::function<void()> task) override;
};

} // namespace orv::mac
