#include "platform/linux/LinuxRunLoop.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

namespace orv::lnx {

class LinuxRunLoop::RunLoopTimer final : public Timer,
                                         public std::enable_shared_from_this<RunLoopTimer> {
  public:
    RunLoopTimer(double interval, bool repeats, std::function<void(Timer&)> block)
        : interval_(interval), repeats_(repeats), block_(std::move(block)) {}

    void invalidate() override { valid_ = false; }
    bool isValid() const override { return valid_; }
    double timeInterval() const override { return interval_; }

    // Runs the block; answers whether the timer wants to fire again.
    bool fire() {
        if (!valid_) {
            return false;
        }
        block_(*this);
        if (!repeats_) {
            valid_ = false;
        }
        return valid_;
    }

  private:
    double interval_;
    bool repeats_;
    std::function<void(Timer&)> block_;
    bool valid_ = true; // main thread only
};

LinuxRunLoop::LinuxRunLoop(Clock clock) : clock_(clock), start_(std::chrono::steady_clock::now()) {
    if (clock_ == Clock::real) {
        wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd_ < 0) {
            throw std::runtime_error("eventfd failed");
        }
    }
}

LinuxRunLoop::~LinuxRunLoop() {
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
}

double LinuxRunLoop::now() const {
    if (clock_ == Clock::manual) {
        std::lock_guard lock(mutex_);
        return manualNow_;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

std::size_t LinuxRunLoop::pendingCount() const {
    std::lock_guard lock(mutex_);
    return heap_.size();
}

void LinuxRunLoop::schedule(double due, Task task) {
    {
        std::lock_guard lock(mutex_);
        heap_.push_back(Entry{due, nextSequence_++, std::move(task)});
        std::push_heap(heap_.begin(), heap_.end(), Later{});
    }
    wake();
}

void LinuxRunLoop::wake() {
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        (void)!write(wakeFd_, &one, sizeof one);
    }
}

void LinuxRunLoop::async(Task task) {
    schedule(now(), std::move(task));
}

void LinuxRunLoop::asyncAfter(double seconds, Task task) {
    schedule(now() + std::max(0.0, seconds), std::move(task));
}

void LinuxRunLoop::scheduleTimer(const std::shared_ptr<RunLoopTimer>& timer, double due) {
    schedule(due, [this, timer, due] {
        if (timer->fire()) {
            // The next firing keeps to the timer's own schedule; missed firings are skipped.
            double next = due + timer->timeInterval();
            const double current = now();
            if (next <= current) {
                next = current + timer->timeInterval();
            }
            scheduleTimer(timer, next);
        }
    });
}

TimerPtr LinuxRunLoop::scheduledTimer(double interval, bool repeats,
                                      std::function<void(Timer&)> block) {
    // As NSTimer does, a non-positive interval is taken as 0.1 ms.
    auto timer =
        std::make_shared<RunLoopTimer>(interval > 0 ? interval : 0.0001, repeats, std::move(block));
    scheduleTimer(timer, now() + timer->timeInterval());
    return timer;
}

bool LinuxRunLoop::takeDue(double limit, Entry& out) {
    std::lock_guard lock(mutex_);
    if (heap_.empty() || heap_.front().due > limit) {
        return false;
    }
    std::pop_heap(heap_.begin(), heap_.end(), Later{});
    out = std::move(heap_.back());
    heap_.pop_back();
    if (clock_ == Clock::manual) {
        manualNow_ = std::max(manualNow_, out.due);
    }
    return true;
}

void LinuxRunLoop::runUntilIdle() {
    Entry entry;
    while (takeDue(now(), entry)) {
        entry.task();
    }
}

void LinuxRunLoop::advance(double seconds) {
    const double target = now() + seconds;
    Entry entry;
    while (takeDue(target, entry)) {
        entry.task();
    }
    std::lock_guard lock(mutex_);
    manualNow_ = std::max(manualNow_, target);
}

void LinuxRunLoop::watchReadable(int fd, std::function<void()> onReadable) {
    watches_[fd] = std::move(onReadable);
}

void LinuxRunLoop::unwatch(int fd) {
    watches_.erase(fd);
}

void LinuxRunLoop::stop() {
    stopRequested_ = true;
    wake();
}

void LinuxRunLoop::run() {
    // A stop asked for before run() (say, during launch) ends it at once.
    runUntil([] { return false; });
    stopRequested_ = false;
}

void LinuxRunLoop::runUntil(const std::function<bool()>& done) {
    while (!stopRequested_ && !done()) {
        Entry entry;
        // Only what is due when this round starts, so a task that keeps queueing new ones
        // cannot starve the watched descriptors.
        const double limit = now();
        while (!stopRequested_ && !done() && takeDue(limit, entry)) {
            entry.task();
        }
        if (stopRequested_ || done()) {
            break;
        }
        int timeoutMs = -1;
        {
            std::lock_guard lock(mutex_);
            if (!heap_.empty()) {
                const double wait = heap_.front().due - now();
                timeoutMs = wait <= 0 ? 0 : static_cast<int>(std::ceil(wait * 1000));
            }
        }
        std::vector<pollfd> fds{{wakeFd_, POLLIN, 0}};
        for (const auto& [fd, callback] : watches_) {
            fds.push_back({fd, POLLIN, 0});
        }
        if (poll(fds.data(), fds.size(), timeoutMs) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error("poll failed");
        }
        if (fds[0].revents != 0) {
            std::uint64_t drained;
            (void)!read(wakeFd_, &drained, sizeof drained);
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents != 0) {
                const auto found = watches_.find(fds[i].fd);
                if (found != watches_.end()) {
                    auto callback = found->second; // it may unwatch itself
                    callback();
                }
            }
        }
    }
}

LinuxWorkQueue::~LinuxWorkQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_all();
    for (auto& thread : threads_) {
        thread.join();
    }
}

void LinuxWorkQueue::async(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (idle_ == 0 && threads_.size() < maxThreads_) {
        threads_.emplace_back([this] { work(); });
    } else {
        ready_.notify_one();
    }
}

void LinuxWorkQueue::waitUntilDone() {
    std::unique_lock lock(mutex_);
    idleChanged_.wait(lock, [this] { return tasks_.empty() && idle_ == threads_.size(); });
}

void LinuxWorkQueue::work() {
    std::unique_lock lock(mutex_);
    while (true) {
        ++idle_;
        idleChanged_.notify_all();
        ready_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        --idle_;
        if (tasks_.empty()) {
            return; // stopping, and nothing left to do
        }
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}

} // namespace orv::lnx
