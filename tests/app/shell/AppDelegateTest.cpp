#include "app/shell/AppDelegate.h"
#include "app/OnboardingWindow/OnboardingWindowController.h"
#include "platform/AppleScript.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

using ::testing::ElementsAre;

struct AppDelegateTest : ::testing::Test {
    ~AppDelegateTest() override { OnboardingWindowController::resetSharedForTesting(); }

    test::TestPlatform system;
    AppDelegate delegate{system.platform()};
};

TEST_F(AppDelegateTest, LaunchRunsEveryStepInOrderAndShowsOnboardingUntilItIsDone) {
    delegate.applicationDidFinishLaunching();
    EXPECT_THAT(system.events,
                ElementsAre("updater starting=true", "login item register", "status item",
                            "policy regular", "activate", "window made"));
    ASSERT_EQ(system.application.windows().size(), 1u);
    EXPECT_TRUE(system.application.windows()[0]->visible && system.application.windows()[0]->key);

    test::TestPlatform done;
    done.standardStore["onboardingComplete"] = true;
    AppDelegate(done.platform()).applicationDidFinishLaunching();
    EXPECT_THAT(done.events, ElementsAre("updater starting=true", "login item register",
                                         "status item", "policy accessory"));
    EXPECT_THAT(done.application.windows(), ::testing::IsEmpty());
}

TEST_F(AppDelegateTest, LaunchRecoversOnlyMovesOfEndedHostsAndTellsOfItemsInBothPlaces) {
    system.files.directories.insert(Path("/group"));
    for (const auto& [name, pid] :
         {std::pair("moves-running.txt", "100"), {"moves-ended.txt", "200"}}) {
        system.files.setRequest(
            name, concat({"owner machine boot ", pid, " 7\nsource 1 1 2 0 0 /a/Photos\n",
                          "destination /b/Photos\ncopy 3 4 /b/.orvane-move-0123456789abcdef\n"}));
    }
    system.files.interrupted = Interrupted::inBothPlaces;
    delegate.applicationDidFinishLaunching();
    system.mainQueue.advance(1);
    EXPECT_THAT(system.eventsAfter("recover "), ElementsAre("/a/Photos -> /b/Photos"));
    ASSERT_EQ(system.alerts.shown.size(), 1u);
    EXPECT_EQ(system.alerts.shown[0].messageText, "alert.interruptedMove");
    EXPECT_EQ(system.alerts.shown[0].informativeText,
              "“Photos” is in both places: “/a/Photos” and “/b/Photos”.");
    EXPECT_TRUE(system.files.request("moves-running.txt")) << "a running host's record stays";
}

TEST_F(AppDelegateTest, StatusMenuItemsReachTheirReceivers) {
    system.standardStore["onboardingComplete"] = true;
    system.bundle.strings = {{"menu.version", "Version %@"}};
    system.bundle.info = {{"CFBundleShortVersionString", "2.3.1"}};
    delegate.applicationDidFinishLaunching();
    const auto& items = delegate.statusItem->menu->items();
    ASSERT_EQ(items.size(), 6u); // About, version, -, updates, -, Quit
    EXPECT_TRUE(delegate.statusItem->button->image->isTemplate) << "drawn for either menu bar";
    EXPECT_EQ(items[1]->title, "Version 2.3.1");
    EXPECT_FALSE(sendAction(*items[1], system.application)) << "the version line does nothing";
    EXPECT_TRUE(sendAction(*items[3], system.application));
    EXPECT_EQ(system.updater.made[0]->checks, 1);
    system.events.clear();
    EXPECT_TRUE(sendAction(*items[0], system.application));
    EXPECT_TRUE(sendAction(*items[5], system.application)) << "up the chain to the application";
    EXPECT_THAT(system.events,
                ElementsAre("policy regular", "activate", "about panel", "terminate"));
}

// The uninstall's administrator script, read back from its AppleScript string literal and run by
// a real /bin/sh with rm, tccutil and killall as recording functions: whatever the home folder
// holds, each command receives exactly the words it receives for a plain one.
TEST(UninstallShellTest, EveryCommandGetsExactlyItsWordsUnderHostileHomes) {
    test::TempDir dir;
    const std::string recorders = "r() { printf '%s|' \"$@\" >> record; echo >> record; }; "
                                  "rm() { r rm \"$@\"; }; tccutil() { r tccutil \"$@\"; }; "
                                  "killall() { r killall \"$@\"; }; ";
    // What the commands receive for `home`, one line each.
    const auto record = [&](const std::string& home) {
        std::filesystem::remove((dir / "record").str());
        const std::string script =
            AppDelegate::administratorScript(AppDelegate::uninstallCommands(home));
        std::size_t at = 16;
        const auto text = readAppleScriptString(script, at);
        EXPECT_EQ(script.substr(0, 16) + script.substr(at),
                  "do shell script  with administrator privileges")
            << home;
        const auto run = test::runProgram(Path("/bin/sh"), {"-c", recorders + text.value_or("")},
                                          {}, dir.path());
        EXPECT_EQ(run.exitCode, 0) << home << "\n" << run.err;
        return test::readFile(dir / "record");
    };
    const std::string plain = record("/Users/plain");
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 12) << plain;
    EXPECT_THAT(plain, ::testing::HasSubstr("|/Users/plain/Library/Application Support/"));
    for (const std::string home :
         {"/Users/Ana María", "/Users/line\nfeed", "/Users/it's mine", "/Users/$(touch PWNED)",
          "/Users/`touch PWNED`", "/Users/x; touch PWNED; y", "/Users/back\\slash \\\"quoted\\\"",
          "/Users/\"double\" 'single' $HOME *", "/Users/-rf"}) {
        std::string expected = plain;
        for (std::size_t at = 0; (at = expected.find("/Users/plain", at)) != std::string::npos;
             at += home.size()) {
            expected.replace(at, 12, home);
        }
        EXPECT_EQ(record(home), expected) << home;
        EXPECT_FALSE(std::filesystem::exists((dir / "PWNED").str())) << home << " ran a command";
    }
}

} // namespace
} // namespace orv
