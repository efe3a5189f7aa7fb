#pragma once
// Dispatch and the main run loop: the main queue (tasks now or after a delay, and repeating
// timers) and the global queue of user-initiated quality of service.

#include <functional>
#include <memory>

namespace orv {

// NSTimer
class Timer {
  public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
    virtual double timeInterval() const = 0;
};
using TimerPtr = std::shared_ptr<Timer>;

// dispatch_get_main_queue() and [NSRunLoop mainRunLoop]. Tasks run on the main thread, one at
// a time, in the order they fall due.
class MainQueue {
  public:
    using Task = std::function<void()>;
    virtual ~MainQueue() = default;
    // dispatch_async; from any thread
    virtual void async(Task task) = 0;
    // dispatch_after; from any thread
    virtual void asyncAfter(double seconds, Task task) = 0;
    // scheduledTimerWithTimeInterval:repeats:block:, on the main thread. The run loop keeps
    // the timer until it is invalidated (or, when it does not repeat, has fired).
    virtual TimerPtr scheduledTimer(double interval, bool repeats,
                                    std::function<void(Timer&)> block) = 0;
};

// dispatch_get_global_queue(QOS_CLASS_USER_INITIATED, 0): tasks run on other threads, maybe
// side by side.
class BackgroundQueue {
  public:
    virtual ~BackgroundQueue() = default;
    virtual void async(std::function<void()> task) = 0;
};

} // namespace orv
