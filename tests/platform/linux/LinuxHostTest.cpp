#include "platform/linux/LinuxHost.h"
#include "platform/linux/LinuxRunLoop.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPlatform.h"

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace orv::lnx {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class LinuxHostTest : public ::testing::Test {
  protected:
    LinuxHostTest() {
        bundle.info = {{"CFBundleName", "Orvane+"}, {"CFBundleShortVersionString", "3.1"}};
    }

    std::string shown;
    LinuxScreen screen{[this](std::string_view text) { shown += text; }};
    LinuxRunLoop loop{LinuxRunLoop::Clock::real};
    NotificationCenter notifications;
    test::FakeBundle bundle;
    LinuxApplication application{loop, notifications, bundle, screen};
};

struct RecordingDelegate : ApplicationDelegate {
    explicit RecordingDelegate(LinuxApplication& app) : app(app) {}
    void applicationDidFinishLaunching() override {
        calls.push_back("launched");
        app.terminate(nullptr);
    }
    void applicationOpenURLs(const std::vector<std::string>& urls) override {
        calls.push_back("open " + urls.at(0));
    }
    LinuxApplication& app;
    std::vector<std::string> calls;
};

TEST_F(LinuxHostTest, RunLaunchesThenDeliversTheStartingURLsThenLoopsUntilTerminate) {
    RecordingDelegate delegate(application);
    application.setDelegate(&delegate);
    application.openAtLaunch({"orvaneplus://create"});
    EXPECT_EQ(application.run(), 0);
    EXPECT_THAT(delegate.calls, ElementsAre("launched", "open orvaneplus://create"));
}

TEST(LinuxLoginItemsTest, RegisteringWritesAnAutostartEntryAndUnregisteringRemovesIt) {
    test::TempDir dir;
    test::ScopedEnv env;
    env.set("XDG_CONFIG_HOME", dir.path().str());
    LinuxLoginItems items;
    ASSERT_TRUE(items.registerMainApp());
    ASSERT_TRUE(items.registerMainApp()) << "every launch registers again";
    const std::string entry = test::readFile(dir / "autostart/orvane-host.desktop");
    EXPECT_THAT(entry, ::testing::StartsWith("[Desktop Entry]\nType=Application\n"));
    EXPECT_THAT(entry, HasSubstr("/orvane-host\"\n"));
    ASSERT_TRUE(items.unregisterMainApp());
    EXPECT_FALSE(std::filesystem::exists((dir / "autostart/orvane-host.desktop").str()));
    EXPECT_EQ(items.unregisterMainApp().error().code, ENOENT);

    // The user's choice stands: a disabled entry is left disabled.
    for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        const std::string disabled =
            "[Desktop Entry]\nType=Application\nExec=x\n" + std::string(off) + "\n";
        test::writeFile(dir / "autostart/orvane-host.desktop", disabled);
        EXPECT_FALSE(items.registerMainApp()) << off;
        EXPECT_EQ(test::readFile(dir / "autostart/orvane-host.desktop"), disabled);
    }
    // Nothing changes for a run that only shows something.
    std::filesystem::remove((dir / "autostart/orvane-host.desktop").str());
    EXPECT_TRUE(LinuxLoginItems(false).registerMainApp());
    EXPECT_FALSE(std::filesystem::exists((dir / "autostart/orvane-host.desktop").str()));
}

TEST(LinuxLoginItemsTest, TheExecLineCarriesAnyProgramPathAsOneArgument) {
    EXPECT_EQ(LinuxLoginItems::execArgument("/opt/100% \"$x\"\tand\\"),
              R"("/opt/100%% \\"\\$x\\"\tand\\\\")");
    EXPECT_EQ(LinuxLoginItems::execArgument("/opt/\x01"), std::nullopt);
}

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
