#include "platform/macos/MacRunLoop.h"

#import <Foundation/Foundation.h>

#include <dispatch/dispatch.h>
#include <memory>

namespace orv::mac {

namespace {

// An NSTimer behind the Timer interface. The run loop retains a scheduled NSTimer until it
// is invalidated, and the timer's block retains this object; this object holds the NSTimer
// weakly, so invalidating it frees both.
class MacTimer final : public Timer {
  public:
    explicit MacTimer(double interval) : interval_(interval) {}
    void invalidate() override { [timer invalidate]; }
    bool isValid() const override { return timer.valid; }
    double timeInterval() const override { return interval_; }
    __weak NSTimer* timer = nil;

  private:
    double interval_;
};

} // namespace

void MacMainQueue::async(Task task) {
    dispatch_async(dispatch_get_main_queue(), ^{
      task();
    });
}

void MacMainQueue::asyncAfter(double seconds, Task task) {
    const auto when =
        dispatch_time(DISPATCH_TIME_NOW, static_cast<int64_t>(seconds * NSEC_PER_SEC));
    dispatch_after(when, dispatch_get_main_queue(), ^{
      task();
    });
}

TimerPtr MacMainQueue::scheduledTimer(double interval, bool repeats,
                                      std::function<void(Timer&)> block) {
    auto timer = std::make_shared<MacTimer>(interval);
    timer->timer = [NSTimer scheduledTimerWithTimeInterval:interval
                                                   repeats:repeats
                                                     block:^(NSTimer*) {
                                                       block(*timer);
                                                     }];
    return timer;
}

void MacUserInitiatedQueue::async(std::function<void()> task) {
    dispatch_async(dispatch_get_global_queue(QOS_CLASS_USER_INITIATED, 0), ^{
      task();
    });
}

} // namespace orv::mac
