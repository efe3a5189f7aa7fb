#include "app/OnboardingWindow/OnboardingWindowController.h"

#include "platform/linux/StringsFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPlatform.h"

#include <filesystem>
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

// Every language's texts fit in every state, measured by the system font's advances on the
// generous side (an em for CJK, kana and Hangul, whose UTF-8 lead bytes are E3 to EF; 0.3 em
// for a space, 0.6 for anything else): a single line within the 16-point margins of the window
// (448 points) or of a card (416), a detail within three lines, which the 580-point window
// holds with room to spare (the stack is 490 points high with one line each).
TEST_F(OnboardingTest, EveryLanguagesTextsFitTheWindowInEveryState) {
    const auto fits = [](const View& view, double width, const auto& inside) -> void {
        for (const auto& sub : view.subviews()) {
            const auto* label = dynamic_cast<const TextField*>(sub.get());
            const auto* button = dynamic_cast<const Button*>(sub.get());
            const std::string text = label ? label->stringValue : button ? button->title : "";
            double ems = 0;
            for (const char c : text) {
                const auto byte = static_cast<unsigned char>(c);
                ems += (byte & 0xC0) == 0x80 ? 0 : byte >= 0xE3 ? 1 : byte == ' ' ? 0.3 : 0.6;
            }
            const auto font = label ? label->font : button ? button->font : std::nullopt;
            EXPECT_LE(ems * font.value_or(Font{}).pointSize / width, label && label->wraps ? 3 : 1)
                << text;
            inside(*sub, width - 2 * 16, inside);
        }
    };
    for (const auto& lproj : std::filesystem::directory_iterator(ORVANE_APP_RESOURCES_DIR)) {
        const Path table(lproj.path().string() + "/Localizable.strings");
        system.bundle.strings = lnx::parseStrings(test::readFile(table)).entries;
        const auto shown = OnboardingWindowController(system.platform()).view();
        for (const int state : {0, 1, 2, 3}) {
            shown->step1Done = state & 1;
            shown->step2Done = state & 2;
            shown->refresh();
            fits(*shown, shown->frame.size.width - 2 * 16, fits);
        }
    }
}

} // namespace
} // namespace orv
