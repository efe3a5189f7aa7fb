#include "platform/linux/LinuxHost.h"
#include "platform/linux/LinuxRunLoop.h"
#include "tests/support/TempDir.h"

#include <atomic>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

namespace orv::lnx {
namespace {

TEST(LinuxLoginItemsTest, RegisteringWritesAnAutostartEntryThatTheUsersChoiceOverrides) {
    test::TempDir dir;
    test::ScopedEnv env;
    env.set("XDG_CONFIG_HOME", dir.path().str());
    const Path entry = dir / "autostart/orvane-host.desktop";
    EXPECT_TRUE(LinuxLoginItems(false).registerMainApp());
    EXPECT_FALSE(std::filesystem::exists(entry.str())) << "a run that only shows changes nothing";
    LinuxLoginItems items;
    ASSERT_TRUE(items.registerMainApp());
    ASSERT_TRUE(items.registerMainApp()) << "every launch registers again";
    EXPECT_THAT(test::readFile(entry),
                ::testing::MatchesRegex("\\[Desktop Entry\\]\nType=Application\n"
                                        "(.|\n)*/orvane-host\"\n(.|\n)*"));
    ASSERT_TRUE(items.unregisterMainApp());
    EXPECT_EQ(items.unregisterMainApp().error().code, ENOENT);
    for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        const std::string disabled =
            "[Desktop Entry]\nType=Application\nExec=x\n" + std::string(off);
        test::writeFile(entry, disabled);
        EXPECT_FALSE(items.registerMainApp()) << off;
        EXPECT_EQ(test::readFile(entry), disabled);
    }
    // The Exec line carries any program path as one argument.
    EXPECT_EQ(LinuxLoginItems::execArgument("/opt/100% \"$x\"\tand\\"),
              R"("/opt/100%% \\"\\$x\\"\tand\\\\")");
    EXPECT_EQ(LinuxLoginItems::execArgument("/opt/\x01"), std::nullopt);
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
