#include "app/shell/AppDelegate.h"

#include "app/OnboardingWindow/OnboardingWindowController.h"
#include "app/shell/Orvane_App.h"
#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class AppDelegateTest : public ::testing::Test {
  protected:
    ~AppDelegateTest() override { OnboardingWindowController::resetSharedForTesting(); }

    void launch() { delegate.applicationDidFinishLaunching(); }
    const Menu& statusMenu() const { return *delegate.statusItem->menu; }

    test::TestPlatform system;
    AppDelegate delegate{system.platform()};
};

TEST_F(AppDelegateTest, FirstLaunchRunsEveryStepInOrderAndShowsOnboarding) {
    EXPECT_THAT(system.events, IsEmpty()) << "the initializer does nothing";
    launch();
    EXPECT_THAT(system.events,
                ElementsAre("updater starting=true", "login item register", "status item",
                            "policy regular", "activate", "window made"));
    EXPECT_EQ(delegate.updaterController, system.updater.made.at(0));
    const auto windows = system.application.windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(windows[0]->visible);
    EXPECT_TRUE(windows[0]->key);
}

TEST_F(AppDelegateTest, CompletedOnboardingLaunchesAsAnAgentWithoutWindow) {
    system.standardStore["onboardingComplete"] = true;
    launch();
    EXPECT_THAT(system.events, ElementsAre("updater starting=true", "login item register",
                                           "status item", "policy accessory"));
    EXPECT_THAT(system.application.windows(), IsEmpty());
}

TEST_F(AppDelegateTest, NeitherAFailedLoginItemNorAMissingButtonStopsTheMenu) {
    system.loginItems.fail = true;
    system.statusBar.withButton = false;
    launch();
    EXPECT_EQ(system.loginItems.registrations, 1);
    EXPECT_EQ(statusMenu().items().size(), 6u);
    EXPECT_THAT(system.alerts.shown, IsEmpty());
    EXPECT_THAT(system.log.lines, IsEmpty());
}

TEST_F(AppDelegateTest, StatusMenuRowsAndTheirReceivers) {
    system.standardStore["onboardingComplete"] = true;
    system.bundle.strings = {{"menu.about", "About Orvane+"}, {"menu.version", "Version %@"}};
    system.bundle.info = {{"CFBundleShortVersionString", "2.3.1"}};
    launch();
    const auto& items = statusMenu().items();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0]->title, "About Orvane+");
    EXPECT_EQ(items[1]->title, "Version 2.3.1");
    EXPECT_FALSE(items[1]->enabled);
    EXPECT_TRUE(items[2]->isSeparator && items[4]->isSeparator);
    EXPECT_EQ(items[3]->title, "menu.checkForUpdates") << "a missing key shows as the key";
    EXPECT_EQ(items[5]->keyEquivalent, "q");

    EXPECT_TRUE(sendAction(*items[3], system.application));
    EXPECT_EQ(system.updater.made[0]->checks, 1);
    EXPECT_FALSE(sendAction(*items[1], system.application)) << "the version line does nothing";
    system.events.clear();
    EXPECT_TRUE(sendAction(*items[0], system.application));
    EXPECT_THAT(system.events, ElementsAre("policy regular", "activate", "about panel"));
    EXPECT_TRUE(sendAction(*items[5], system.application));
    EXPECT_EQ(system.application.terminations, 1) << "Quit goes up the chain to the application";
}

TEST_F(AppDelegateTest, VersionFallsBackTo1Point0AndRebuildingReplacesTheItems) {
    system.bundle.strings = {{"menu.version", "v%@"}};
    Menu menu("");
    delegate.buildMenu(menu);
    delegate.buildMenu(menu);
    EXPECT_EQ(menu.items()[1]->title, "v1.0");
    EXPECT_EQ(menu.items().size(), 6u);
}

TEST_F(AppDelegateTest, EntryTypeInstallsTheDelegateAndRunsTheLaunch) {
    {
        Orvane_App app(system.platform());
        EXPECT_EQ(system.application.delegate, &app._appDelegate.wrappedValue());
    }
    EXPECT_EQ(Orvane_App::main(system.platform()), 0);
    EXPECT_EQ(system.events.front(), "updater starting=true");
}

} // namespace
} // namespace orv
