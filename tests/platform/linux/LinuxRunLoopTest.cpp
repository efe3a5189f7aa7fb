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
    loop.asyncAfter(0.3, [&] {
        ran.push_back("same time, later");
        loop.asyncAfter(0.4, [&] { ran.push_back("at " + std::to_string(loop.now())); });
    });
    loop.runUntilIdle();
    EXPECT_THAT(ran, ElementsAre("alert", "second"));
    loop.advance(0.29);
    EXPECT_EQ(ran.size(), 2u);
    loop.advance(0.01);
    EXPECT_THAT(ran, ElementsAre("alert", "second", "reveal", "same time, later"));
    loop.advance(0.5);
    EXPECT_EQ(ran.back(), "at 0.700000") << "a task sees the time it was due at";
}

TEST(LinuxRunLoopTest, RepeatingTimersFireEveryIntervalUntilInvalidated) {
    LinuxRunLoop loop(LinuxRunLoop::Clock::manual);
    int fired = 0, never = 0;
    loop.scheduledTimer(0.5, true, [&](Timer&) { ++never; })->invalidate();
    const auto timer = loop.scheduledTimer(1.0, true, [&](Timer& t) {
        if (++fired == 3) {
            t.invalidate();
        }
    });
    loop.advance(0.999);
    EXPECT_EQ(fired, 0);
    loop.advance(10);
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(never, 0);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(loop.pendingCount(), 0u);
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
