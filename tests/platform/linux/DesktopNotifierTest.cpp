// Alerts as desktop notifications, on a private session bus of the test's own with a small
// notification server that prints what it is sent and answers as a user would.

#include "platform/linux/DesktopNotifier.h"

#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>

namespace orv::lnx {
namespace {

struct DesktopNotifierTest : ::testing::Test {
    void SetUp() override {
        ORVANE_REQUIRE_PROGRAM("dbus-run-session");
        ORVANE_REQUIRE(std::system("/usr/bin/python3 -c 'import gi'") == 0, "python3-gi");
    }
    // The answer to `alert` from a server with or without actions ("silent": answering no call)
    // whose user picks `choice`, on a session bus of its own.
    int answer(const Alert& alert, const char* offers = "actions", const char* choice = "0") {
        server.emplace(Path("/usr/bin/dbus-run-session"),
                       std::vector<std::string>{"--", "/usr/bin/python3",
                                                ORVANE_NOTIFICATION_SERVER, offers, choice},
                       test::Environment{}, dir.path(), dir.path());
        EXPECT_TRUE(test::eventually([&] { return server->out().ends_with('\n'); }, 10))
            << server->err();
        const std::string ready = server->out(); // "ready" and the bus's address
        env.set("DBUS_SESSION_BUS_ADDRESS", ready.substr(6, ready.find('\n') - 6));
        LinuxAlertPresenter presenter(screen);
        presenter.setNotifier(&notifier);
        return presenter.runModal(alert);
    }
    std::string shown() const { return server->out().substr(server->out().find('\n') + 1); }

    test::TempDir dir;
    test::ScopedEnv env;
    std::optional<test::RunningProgram> server;
    LinuxScreen screen{[](std::string_view) {}};
    LinuxRunLoop mainLoop;
    DesktopNotifier notifier{mainLoop, std::chrono::seconds(2)};
    const Alert question{
        "Uninstall?", "Really?", AlertStyle::warning, {"Uninstall", "Keep", "Cancel"}};
};

TEST_F(DesktopNotifierTest, ButtonsBecomeActionsAndTheChosenOneAnswers) {
    EXPECT_EQ(answer(question, "actions", "1"), kAlertFirstButtonReturn + 1) << "neither end";
    EXPECT_EQ(shown(), "Uninstall?|Really?|0 Uninstall 1 Keep 2 Cancel\n");
}

TEST_F(DesktopNotifierTest, WithoutActionsTheAlertOnlyInformsAndTheLastButtonAnswers) {
    EXPECT_EQ(answer(question, "plain"), kAlertFirstButtonReturn + 2);
    EXPECT_EQ(shown(), "Uninstall?|Really?|\n");
}

TEST_F(DesktopNotifierTest, ANoticeOffersNoActionEvenWhereTheServerTakesThem) {
    EXPECT_EQ(answer({"Moved", "Done", AlertStyle::informational, {"OK"}}),
              kAlertFirstButtonReturn);
    EXPECT_EQ(shown(), "Moved|Done|\n");
}

TEST_F(DesktopNotifierTest, AQuestionNoOneButAnotherProgramAnswersEndsInTimeWithTheLastButton) {
    EXPECT_EQ(answer(question, "actions", "never"), kAlertFirstButtonReturn + 2);
    EXPECT_TRUE(test::eventually([&] { return shown().ends_with("CloseNotification 7\n"); }));
}

TEST_F(DesktopNotifierTest, AServerThatLeftACallUnansweredIsNotAskedAgain) {
    EXPECT_EQ(answer(question, "silent"), kAlertFirstButtonReturn + 2);
    EXPECT_EQ(notifier.show(question), std::nullopt);
    EXPECT_TRUE(test::eventually([&] { return shown() == "GetCapabilities\n"; }));
}

} // namespace
} // namespace orv::lnx
