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

TEST_F(AppDelegateTest, TheInitializerOnlySetsTheFields) {
    EXPECT_EQ(delegate.log.subsystem(), "tamsel.Orvane-");
    EXPECT_EQ(delegate.log.category(), "AppDelegate");
    EXPECT_EQ(delegate.statusItem, nullptr);
    EXPECT_EQ(delegate.updaterController, nullptr);
    EXPECT_THAT(system.events, IsEmpty());
}

TEST_F(AppDelegateTest, FirstLaunchRunsEveryStepInOrderAndShowsOnboarding) {
    launch();
    EXPECT_THAT(system.events,
                ElementsAre("updater starting=true", "login item register", "status item",
                            "policy regular", "activate", "window made"));
    ASSERT_EQ(system.updater.made.size(), 1u);
    EXPECT_EQ(delegate.updaterController, system.updater.made[0]);
    const auto windows = system.application.windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(windows[0]->visible);
    EXPECT_TRUE(windows[0]->key);
    EXPECT_GE(windows[0]->centerCount, 2) << "centred when made and again when shown";
    EXPECT_EQ(system.application.policy, ActivationPolicy::regular);
    EXPECT_NE(delegate.statusItem, nullptr) << "the status item is there in both states";
}

TEST_F(AppDelegateTest, CompletedOnboardingLaunchesAsAnAgentWithoutWindow) {
    system.standardStore["onboardingComplete"] = true;
    launch();
    EXPECT_THAT(system.events, ElementsAre("updater starting=true", "login item register",
                                           "status item", "policy accessory"));
    EXPECT_THAT(system.application.windows(), IsEmpty());
}

TEST_F(AppDelegateTest, AFailedLoginItemRegistrationChangesNothing) {
    system.loginItems.fail = true;
    launch();
    EXPECT_EQ(system.loginItems.registrations, 1);
    EXPECT_NE(delegate.statusItem, nullptr);
    EXPECT_EQ(statusMenu().items().size(), 6u);
    EXPECT_THAT(system.alerts.shown, IsEmpty());
    EXPECT_THAT(system.log.lines, IsEmpty());
}

TEST_F(AppDelegateTest, StatusItemIsSquareWithItsMenuAttached) {
    launch();
    EXPECT_EQ(delegate.statusItem->length, -2);
    ASSERT_TRUE(delegate.statusItem->button);
    EXPECT_TRUE(delegate.statusItem->button->image->isTemplate);
    EXPECT_FALSE(statusMenu().autoenablesItems);
    EXPECT_EQ(statusMenu().title, "");
}

TEST_F(AppDelegateTest, AnItemWithoutButtonStillGetsItsMenu) {
    system.statusBar.withButton = false;
    launch();
    EXPECT_EQ(delegate.statusItem->button, nullptr);
    EXPECT_EQ(statusMenu().items().size(), 6u);
}

TEST_F(AppDelegateTest, StatusMenuRows) {
    system.bundle.strings = {{"menu.about", "About Orvane+"},
                             {"menu.version", "Version %@"},
                             {"menu.checkForUpdates", "Check for Updates…"}};
    system.bundle.info = {{"CFBundleShortVersionString", "2.3.1"}};
    launch();
    const auto& items = statusMenu().items();
    ASSERT_EQ(items.size(), 6u);

    EXPECT_EQ(items[0]->title, "About Orvane+");
    EXPECT_EQ(items[0]->action, "showAbout");
    EXPECT_EQ(items[0]->target, &delegate);
    EXPECT_TRUE(items[0]->enabled);

    EXPECT_EQ(items[1]->title, "Version 2.3.1");
    EXPECT_EQ(items[1]->action, "");
    EXPECT_EQ(items[1]->target, nullptr);
    EXPECT_FALSE(items[1]->enabled);

    EXPECT_TRUE(items[2]->isSeparator);

    EXPECT_EQ(items[3]->title, "Check for Updates…");
    EXPECT_EQ(items[3]->action, "checkForUpdates:");
    EXPECT_EQ(items[3]->target, delegate.updaterController.get());
    EXPECT_TRUE(items[3]->enabled);

    EXPECT_TRUE(items[4]->isSeparator);

    EXPECT_EQ(items[5]->title, "Quit");
    EXPECT_EQ(items[5]->action, "terminate:");
    EXPECT_EQ(items[5]->target, nullptr);
    EXPECT_EQ(items[5]->keyEquivalent, "q");
    EXPECT_TRUE(items[5]->enabled);

    for (const auto& item : items) {
        EXPECT_EQ(item->image, nullptr);
        EXPECT_EQ(item->submenu, nullptr);
        if (item != items[5]) {
            EXPECT_EQ(item->keyEquivalent, "");
        }
    }
}

TEST_F(AppDelegateTest, VersionFallsBackTo1Point0AndKeysShowAsKeys) {
    launch();
    EXPECT_EQ(statusMenu().items()[0]->title, "menu.about");
    EXPECT_EQ(statusMenu().items()[1]->title, "menu.version") << "a key without %@ stays itself";
    system.bundle.strings = {{"menu.version", "v%@"}};
    Menu menu("");
    delegate.buildMenu(menu);
    EXPECT_EQ(menu.items()[1]->title, "v1.0");
    EXPECT_EQ(menu.items().size(), 6u) << "building again replaces the items";
    delegate.buildMenu(menu);
    EXPECT_EQ(menu.items().size(), 6u);
}

TEST_F(AppDelegateTest, MenuActionsReachTheirReceivers) {
    system.standardStore["onboardingComplete"] = true;
    launch();
    const auto& items = statusMenu().items();
    EXPECT_TRUE(sendAction(*items[3], system.application));
    EXPECT_EQ(system.updater.made[0]->checks, 1);
    EXPECT_TRUE(sendAction(*items[5], system.application));
    EXPECT_EQ(system.application.terminations, 1) << "Quit goes up the chain to the application";
    EXPECT_FALSE(sendAction(*items[1], system.application)) << "the version line does nothing";
}

TEST_F(AppDelegateTest, AboutGivesADockIconThatStaysAfterThePanel) {
    system.standardStore["onboardingComplete"] = true;
    launch();
    system.events.clear();
    EXPECT_TRUE(sendAction(*statusMenu().items()[0], system.application));
    EXPECT_THAT(system.events, ElementsAre("policy regular", "activate", "about panel"));
    EXPECT_EQ(system.application.policy, ActivationPolicy::regular);
    EXPECT_FALSE(delegate.performAction("uninstallEverything", nullptr));
}

TEST_F(AppDelegateTest, EntryTypeInstallsTheDelegateAndRunsTheLaunch) {
    {
        Orvane_App app(system.platform());
        EXPECT_EQ(system.application.delegate, &app._appDelegate.wrappedValue());
        const auto scene = app.body();
        ASSERT_TRUE(scene.content);
        EXPECT_TRUE(scene.content->subviews().empty());
    }
    system.events.clear();
    EXPECT_EQ(Orvane_App::main(system.platform()), 0);
    EXPECT_EQ(system.events.front(), "updater starting=true");
}

TEST_F(AppDelegateTest, OnboardingIsNotMadeWhenComplete) {
    system.standardStore["onboardingComplete"] = true;
    launch();
    launch(); // as a second process would
    EXPECT_THAT(system.application.windows(), IsEmpty());
}

} // namespace
} // namespace orv
