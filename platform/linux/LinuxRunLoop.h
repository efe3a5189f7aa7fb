#pragma once
// The main run loop and the global queue on Linux. The run loop keeps one list of tasks ordered
// by when they fall due; timers are tasks that put themselves back. On the real clock it
// sleeps in poll(2) on a wake-up eventfd and any watched descriptors (signals, sockets); on the
// manual clock nothing runs until a test says so, and time moves only when a test moves it.

#include "platform/RunLoop.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace orv::lnx {

class LinuxRunLoop final : public MainQueue {
  public:
    enum class Clock { real, manual };
    explicit LinuxRunLoop(Clock clock = Clock::real);
    ~LinuxRunLoop() override;
    LinuxRunLoop(const LinuxRunLoop&) = delete;
    LinuxRunLoop& operator=(const LinuxRunLoop&) = delete;

    void async(Task task) override;
    void asyncAfter(double seconds, Task task) override;
    TimerPtr scheduledTimer(double interval, bool repeats,
                            std::function<void(Timer&)> block) override;

    // Real clock: runs tasks and watches until stop(), on the calling (main) thread. A stop
    // asked for before run() makes it return at once.
    void run();
    // Real clock: runs tasks and watches as run() does, nested in it, until `done` holds or a
    // stop is asked for. The stop stays asked for, so the run() around this one ends as well.
    void runUntil(const std::function<bool()>& done);
    // From any thread or a signal handler's deferred work: run() returns soon after.
    void stop();
    // Calls `onReadable` on the main thread whenever `fd` has something to read.
    void watchReadable(int fd, std::function<void()> onReadable);
    void unwatch(int fd);

    // Manual clock: runs every task that is due now, including those they add for now.
    void runUntilIdle();
    // Manual clock: moves time on by `seconds`, running what falls due on the way, in order.
    void advance(double seconds);

    // Seconds since the run loop was made.
    double now() const;
    // Tasks waiting (timers included).
    std::size_t pendingCount() const;

  private:
    class RunLoopTimer;
    struct Entry {
        double due;
        std::uint64_t sequence;
        Task task;
    };
    struct Later {
        bool operator()(const Entry& a, const Entry& b) const {
            return a.due != b.due ? a.due > b.due : a.sequence > b.sequence;
        }
    };

    void schedule(double due, Task task);
    void scheduleTimer(const std::shared_ptr<RunLoopTimer>& timer, double due);
    // Takes the earliest task due at or before `limit`, if any.
    bool takeDue(double limit, Entry& out);
    void wake();

    const Clock clock_;
    const std::chrono::steady_clock::time_point start_;
    double manualNow_ = 0;
    mutable std::mutex mutex_;
    std::vector<Entry> heap_; // ordered by Later
    std::uint64_t nextSequence_ = 0;
    int wakeFd_ = -1;
    std::atomic<bool> stopRequested_{false};
    std::map<int, std::function<void()>> watches_;
};

// The global queue of user-initiated quality of service: up to `maxThreads` worker threads,
// started when work first arrives. Destruction waits for the tasks already queued.
class LinuxWorkQueue final : public BackgroundQueue {
  public:
    explicit LinuxWorkQueue(std::size_t maxThreads = 4) : maxThreads_(maxThreads) {}
    ~LinuxWorkQueue() override;
    LinuxWorkQueue(const LinuxWorkQueue&) = delete;
    LinuxWorkQueue& operator=(const LinuxWorkQueue&) = delete;

    void async(std::function<void()> task) override;
    // Returns once every task given so far has run.
    void waitUntilDone();

  private:
    void work();

    const std::size_t maxThreads_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable idleChanged_;
    std::deque<std::function<void()>> tasks_;
    std::vector<std::thread> threads_;
    std::size_t idle_ = 0;
    bool stopping_ = false;
};

} // namespace orv::lnx
