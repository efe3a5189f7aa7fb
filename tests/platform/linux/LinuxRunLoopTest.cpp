#include "platform/linux/LinuxRunLoop.h"

#include <atomic>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace orv::lnx {
namespace {

using ::testing::ElementsAre;

TEST(LinuxRunLoopTest, ManualClockRunsTasksInTheOrderTheyFallDue) {
    LinuxRunLoop loop(LinuxRunLoop::Clock::manual);
    std::vector<std::string> ran;
    loop.asyncAfter(0.3, [&] { ran.push_back("reveal"); });
    loop.async([&] { ran.push_back("alert"); });
    loop.async([&] { ran.push_back("second"); });
    loop.asyncAfter(0.3, [&] { ran.push_back("same time, later"); });
    loop.runUntilIdle();
    EXPECT_THAT(ran, ElementsAre("alert", "second"));
    loop.advance(0.29);
    EXPECT_EQ(ran.size(), 2u);
    loop.advance(0.01);
    EXPECT_THAT(ran, ElementsAre("alert", "second", "reveal", "same time, later"));
    EXPECT_DOUBLE_EQ(loop.now(), 0.3);
}

TEST(LinuxRunLoopTest, TasksSeeTheTimeTheyWereDueAt) {
    LinuxRunLoop loop(LinuxRunLoop::Clock::manual);
    double seen = -1;
    loop.asyncAfter(0.4, [&] {
        seen = loop.now();
        loop.asyncAfter(0.4, [&] { seen = loop.now(); });
    });
    loop.advance(0.5);
    EXPECT_DOUBLE_EQ(seen, 0.4);
    loop.advance(0.3);
    EXPECT_DOUBLE_EQ(seen, 0.8);
}

TEST(LinuxRunLoopTest, RepeatingTimersFireEveryIntervalUntilInvalidated) {
    LinuxRunLoop loop(LinuxRunLoop::Clock::manual);
    int fired = 0;
    const auto timer = loop.scheduledTimer(1.0, true, [&](Timer& t) {
        if (++fired == 3) {
            t.invalidate();
        }
    });
    loop.advance(0.999);
    EXPECT_EQ(fired, 0);
    loop.advance(10);
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST(LinuxRunLoopTest, OneShotTimersFireOnceAndInvalidatedOnesNever) {
    LinuxRunLoop loop(LinuxRunLoop::Clock::manual);
    int once = 0, never = 0;
    const auto oneShot = loop.scheduledTimer(0.5, false, [&](Timer&) { ++once; });
    const auto cancelled = loop.scheduledTimer(0.5, true, [&](Timer&) { ++never; });
    cancelled->invalidate();
    loop.advance(5);
    EXPECT_EQ(once, 1);
    EXPECT_EQ(never, 0);
    EXPECT_FALSE(oneShot->isValid());
}

TEST(LinuxRunLoopTest, RealClockRunsTasksFromOtherThreadsOnItsOwnThreadUntilStopped) {
    LinuxRunLoop loop;
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> onMain{false};
    std::thread other([&] {
        loop.async([&] { onMain = std::this_thread::get_id() == mainThread; });
        loop.asyncAfter(0.05, [&] { loop.stop(); });
    });
    loop.run();
    other.join();
    EXPECT_TRUE(onMain);
}

TEST(LinuxRunLoopTest, WatchedDescriptorsAreServedOnTheLoop) {
    LinuxRunLoop loop;
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
    std::string got;
    loop.watchReadable(fds[0], [&] {
        char buffer[16];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        got.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        loop.unwatch(fds[0]);
        loop.stop();
    });
    std::thread writer([&] { (void)!write(fds[1], "hi", 2); });
    loop.run();
    writer.join();
    close(fds[0]);
    close(fds[1]);
    EXPECT_EQ(got, "hi");
}

TEST(LinuxWorkQueueTest, RunsTasksOffTheCallingThreadAndFinishesThemAllBeforeGoing) {
    std::atomic<int> done{0};
    std::atomic<bool> offThread{true};
    const auto caller = std::this_thread::get_id();
    {
        LinuxWorkQueue queue(2);
        for (int i = 0; i < 50; ++i) {
            queue.async([&] {
                offThread = offThread && std::this_thread::get_id() != caller;
                ++done;
            });
        }
    }
    EXPECT_EQ(done, 50);
    EXPECT_TRUE(offThread);
}

} // namespace
} // namespace orv::lnx
