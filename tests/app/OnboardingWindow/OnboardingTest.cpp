#include "app/OnboardingWindow/OnboardingWindowController.h"

#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

struct OnboardingTest : ::testing::Test {
    OnboardingTest() { controller.showWindow(nullptr); }
    ~OnboardingTest() override { OnboardingWindowController::resetSharedForTesting(); }

    std::size_t observers() const {
        return system.notifications.observerCount(kApplicationDidBecomeActiveNotification);
    }

    test::TestPlatform system;
    OnboardingWindowController controller{system.platform()};
    std::shared_ptr<OnboardingView> view = controller.view();
};

TEST_F(OnboardingTest, PollingFollowsTheConditionsAndStopsWhenBothAreDone) {
    system.finderExtension.enabled = true;
    system.mainQueue.advance(0.5);
    EXPECT_FALSE(view->step1Done) << "only on the next tick";
    system.mainQueue.advance(0.5);
    EXPECT_TRUE(view->step1Done);
    EXPECT_EQ(view->actionBtn->title, "onboarding.btn.step2");
    system.finderExtension.enabled = false;
    system.accessibility.trusted = true;
    system.mainQueue.advance(1);
    EXPECT_TRUE(view->step1Done && view->step2Done) << "a step never goes back";
    EXPECT_EQ(system.mainQueue.pendingCount(), 0u) << "nothing polls any more";
}

TEST_F(OnboardingTest, EachStepsButtonOpensItsSettingsAndComingBackCountsOnce) {
    const auto firstTimer = view->timer;
    system.events.clear();
    view->actionBtn->performClick();
    EXPECT_THAT(system.events,
                ::testing::ElementsAre("policy regular", "activate", "extension settings"));
    EXPECT_FALSE(firstTimer->isValid()) << "polling restarts";
    system.application.userLeavesAndReturns(); // to System Settings and back
    EXPECT_TRUE(view->step1Done) << "coming back counts, even with the extension still off";
    EXPECT_EQ(observers(), 0u) << "the observer fires once";

    view->actionBtn->performClick(); // step 2 now; each press adds an observer, all go at once
    view->actionBtn->performClick();
    EXPECT_EQ(system.accessibility.prompts, 2);
    EXPECT_THAT(system.eventsAfter("open "),
                ::testing::Each("x-apple.systempreferences:com.apple.preference.security?"
                                "Privacy_Accessibility"));
    EXPECT_EQ(observers(), 2u);
    system.application.userLeavesAndReturns(); // to System Settings and back
    EXPECT_EQ(observers(), 0u);
    EXPECT_TRUE(view->step2Done);
    EXPECT_EQ(view->actionBtn->title, "onboarding.btn.done");
    view->actionBtn->performClick();
    EXPECT_TRUE(system.standardStore["onboardingComplete"]) << "finishing is remembered";
    EXPECT_FALSE(controller.window()->visible);
    EXPECT_EQ(system.application.policy, ActivationPolicy::accessory);
}

} // namespace
} // namespace orv
