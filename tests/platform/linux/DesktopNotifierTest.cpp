// Alerts as desktop notifications, on a private session bus of the test's own with a small
// notification server that prints what it is sent and answers as a user would.

#include "platform/linux/DesktopNotifier.h"

#include "tests/support/RunProgram.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv::lnx {
namespace {

using ::testing::HasSubstr;

class DesktopNotifierTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* program : {"dbus-daemon", "python3"}) {
            ORVANE_REQUIRE_PROGRAM(program);
        }
        std::filesystem::create_directories((dir / "bus").str());
        std::filesystem::create_directories((dir / "server").str());
        daemon.emplace(Path("/usr/bin/dbus-daemon"),
                       std::vector<std::string>{"--session", "--nofork", "--print-address"},
                       test::Environment{}, dir.path(), dir / "bus");
        ASSERT_TRUE(
            test::eventually([&] { return daemon->out().find('\n') != std::string::npos; }));
        env.set("DBUS_SESSION_BUS_ADDRESS", daemon->out().substr(0, daemon->out().find('\n')));
    }
    // The answer to `alert` from a server with or without actions whose user picks `choice`.
    int answer(const Alert& alert, const char* offers = "actions", const char* choice = "0") {
        server.emplace(
            Path("/usr/bin/python3"),
            std::vector<std::string>{ORVANE_NOTIFICATION_SERVER, offers, choice},
            test::Environment{{"DBUS_SESSION_BUS_ADDRESS", getenv("DBUS_SESSION_BUS_ADDRESS")}},
            dir.path(), dir / "server");
        EXPECT_TRUE(test::eventually([&] { return server->out().find("ready\n") == 0; }, 10))
            << server->err();
        LinuxAlertPresenter presenter(screen);
        presenter.setNotifier(&notifier);
        return presenter.runModal(alert);
    }
    std::string shown() const { return server->out().substr(6); }

    test::TempDir dir;
    test::ScopedEnv env;
    std::optional<test::RunningProgram> daemon, server;
    std::string printed;
    LinuxScreen screen{[this](std::string_view text) { printed += text; }};
    DesktopNotifier notifier;
};

TEST_F(DesktopNotifierTest, AFailedPastesAlertArrivesWithItsTitleAndLines) {
    EXPECT_EQ(answer({"Error al mover", "a.txt: gone\nb.txt: taken", AlertStyle::warning, {}}),
              kAlertFirstButtonReturn);
    EXPECT_EQ(shown(), "Error al mover|a.txt: gone\nb.txt: taken|\n");
    EXPECT_THAT(printed, HasSubstr("a.txt: gone")) << "the output still has it";
}

TEST_F(DesktopNotifierTest, ButtonsBecomeActionsAndTheChosenOneAnswers) {
    const Alert alert{
        "Uninstall Orvane+?", "Really?", AlertStyle::warning, {"Uninstall", "Cancel"}};
    EXPECT_EQ(answer(alert, "actions", "1"), kAlertFirstButtonReturn + 1);
    EXPECT_EQ(shown(), "Uninstall Orvane+?|Really?|0 Uninstall 1 Cancel\n");
}

TEST_F(DesktopNotifierTest, WithoutActionsTheAlertOnlyInformsAndTheLastButtonAnswers) {
    EXPECT_EQ(
        answer({"Uninstall Orvane+?", "", AlertStyle::warning, {"Uninstall", "Cancel"}}, "plain"),
        kAlertFirstButtonReturn + 1);
    EXPECT_EQ(shown(), "Uninstall Orvane+?||\n");
}

TEST(DesktopNotifierNoBusTest, WithoutASessionBusNothingIsShown) {
    test::ScopedEnv env;
    env.unset("DBUS_SESSION_BUS_ADDRESS");
    env.set("XDG_RUNTIME_DIR", "/nonexistent");
    EXPECT_EQ(DesktopNotifier().show({"t", "b", AlertStyle::warning, {}}), std::nullopt);
}

} // namespace
} // namespace orv::lnx
