#include "app/OnboardingWindow/OnboardingWindowController.h"

#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

using ::testing::ElementsAre;

constexpr const char* kDidBecomeActive = "NSApplicationDidBecomeActiveNotification";

std::vector<std::string> labelTexts(const View& card) {
    std::vector<std::string> texts;
    for (const auto& sub : card.subviews()) {
        if (const auto* label = dynamic_cast<const TextField*>(sub.get())) {
            texts.push_back(label->stringValue);
        }
    }
    return texts;
}

std::size_t constraintCount(const View& view) {
    std::size_t n = view.constraints().size();
    for (const auto& sub : view.subviews()) {
        n += constraintCount(*sub);
    }
    return n;
}

class OnboardingTest : public ::testing::Test {
  protected:
    ~OnboardingTest() override { OnboardingWindowController::resetSharedForTesting(); }

    void open() {
        controller = std::make_unique<OnboardingWindowController>(system.platform());
        controller->showWindow(nullptr);
        view = controller->view();
    }
    void tick(double seconds = 1.0) { system.mainQueue.advance(seconds); }
    std::size_t observers() const { return system.notifications.observerCount(kDidBecomeActive); }
    void userGoesToSettingsAndComesBack() {
        system.application.userLeaves();
        system.application.userReturns();
    }

    test::TestPlatform system;
    std::unique_ptr<OnboardingWindowController> controller;
    std::shared_ptr<OnboardingView> view;
};

TEST_F(OnboardingTest, WindowShape) {
    open();
    const auto& window = *controller->window();
    EXPECT_EQ(window.contentRect, makeRect(0, 0, 480, 580));
    EXPECT_EQ(window.styleMask, 32771u) << "titled, closable, full-size content; no resize";
    EXPECT_EQ(window.backing, 2);
    EXPECT_FALSE(window.defer);
    EXPECT_TRUE(window.titlebarAppearsTransparent);
    EXPECT_EQ(window.titleVisibility, 1);
    EXPECT_TRUE(window.movableByWindowBackground);
    EXPECT_EQ(window.title, "");
    EXPECT_EQ(window.frameAutosaveName, "Onboarding");
    EXPECT_EQ(window.centerCount, 1);
    EXPECT_EQ(window.contentView(), view);
    EXPECT_EQ(view->window(), &window);
}

TEST_F(OnboardingTest, ContentViewsInOrderWithTheirLooks) {
    open();
    const auto& subs = view->subviews();
    ASSERT_EQ(subs.size(), 8u);
    EXPECT_EQ(view->layerBackgroundColor, Color::windowBackground());
    const auto* icon = dynamic_cast<const ImageView*>(subs[0].get());
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->image, system.application.icon);
    const auto* title = dynamic_cast<const TextField*>(subs[1].get());
    ASSERT_TRUE(title);
    EXPECT_EQ(title->stringValue, "onboarding.title");
    EXPECT_EQ(title->font, (Font{22, FontWeight::bold}));
    EXPECT_EQ(title->alignment, TextAlignment::center);
    const auto* subtitle = dynamic_cast<const TextField*>(subs[2].get());
    ASSERT_TRUE(subtitle);
    EXPECT_EQ(subtitle->font, (Font{13, FontWeight::regular}));
    EXPECT_EQ(subtitle->textColor, Color::secondaryLabel());
    const auto* box = dynamic_cast<const Box*>(subs[3].get());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->boxType, 2);
    EXPECT_EQ(subs[4], view->step1Card);
    EXPECT_EQ(subs[5], view->step2Card);
    EXPECT_EQ(subs[6], view->actionBtn);
    EXPECT_EQ(view->actionBtn->bezelStyle, 1);
    EXPECT_EQ(view->actionBtn->font, (Font{14, FontWeight::semibold}));
    EXPECT_EQ(view->actionBtn->contentTintColor, Color::white());
    EXPECT_EQ(view->actionBtn->layerCornerRadius, 8);
    EXPECT_FALSE(view->actionBtn->bordered);
    EXPECT_EQ(view->actionBtn->target, view.get());
    EXPECT_EQ(view->actionBtn->action, "actionTapped");
    const auto* skip = dynamic_cast<const Button*>(subs[7].get());
    ASSERT_TRUE(skip);
    EXPECT_EQ(skip->title, "onboarding.skip");
    EXPECT_EQ(skip->bezelStyle, 15);
    EXPECT_FALSE(skip->bordered);
    EXPECT_EQ(skip->font, (Font{12, FontWeight::regular}));
    EXPECT_EQ(skip->action, "skipTapped");
    for (const auto& sub : subs) {
        EXPECT_FALSE(sub->translatesAutoresizingMaskIntoConstraints);
    }
}

TEST_F(OnboardingTest, TwentyThreeConstraintsAndEightPerCard) {
    open();
    EXPECT_EQ(constraintCount(*view), 23u + 8u + 8u);
    EXPECT_EQ(constraintCount(*view->step1Card), 8u);
    for (const auto& c : view->constraints()) {
        EXPECT_TRUE(c->active);
    }
    // Spot checks: the icon's top, the separator's trailing inset, the button's height, and the
    // card's minimum height.
    const auto has = [](const View& owner, LayoutAttribute attribute, double constant,
                        LayoutRelation relation = LayoutRelation::equal) {
        for (const auto& c : owner.constraints()) {
            if (c->firstAttribute == attribute && c->constant == constant &&
                c->relation == relation) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(has(*view, LayoutAttribute::top, 48));
    EXPECT_TRUE(has(*view, LayoutAttribute::trailing, -32));
    EXPECT_TRUE(has(*view->actionBtn, LayoutAttribute::height, 42));
    EXPECT_TRUE(
        has(*view->step1Card, LayoutAttribute::height, 64, LayoutRelation::greaterThanOrEqual));
}

TEST_F(OnboardingTest, NothingDoneYet) {
    open();
    EXPECT_FALSE(view->step1Done);
    EXPECT_FALSE(view->step2Done);
    EXPECT_EQ(view->step1Card->layerBackgroundColor, Color::controlAccent().withAlpha(0.08));
    EXPECT_THAT(labelTexts(*view->step1Card),
                ElementsAre("onboarding.step1.title", "onboarding.step1.detail"));
    EXPECT_EQ(view->actionBtn->title, "onboarding.btn.step1");
    EXPECT_EQ(view->actionBtn->layerBackgroundColor, Color::controlAccent());
    ASSERT_TRUE(view->timer);
    EXPECT_TRUE(view->timer->isValid());
    EXPECT_EQ(view->timer->timeInterval(), 1.0);
}

TEST_F(OnboardingTest, AlreadyDoneShowsGreenAtOnce) {
    system.finderExtension.enabled = true;
    system.accessibility.trusted = true;
    open();
    EXPECT_EQ(view->step1Card->layerBackgroundColor, Color::systemGreen().withAlpha(0.12));
    EXPECT_EQ(view->step2Card->layerBackgroundColor, Color::systemGreen().withAlpha(0.12));
    EXPECT_THAT(labelTexts(*view->step2Card),
                ElementsAre("onboarding.step2.title", "onboarding.step2.done"));
    EXPECT_EQ(view->actionBtn->title, "onboarding.btn.done");
    EXPECT_EQ(view->actionBtn->layerBackgroundColor, Color::systemGreen());
}

TEST_F(OnboardingTest, PollingFollowsTheConditionsAndStopsWhenBothAreDone) {
    open();
    tick();
    EXPECT_FALSE(view->step1Done);
    system.finderExtension.enabled = true;
    tick(0.5);
    EXPECT_FALSE(view->step1Done) << "only on the next tick";
    tick(0.5);
    EXPECT_TRUE(view->step1Done);
    EXPECT_EQ(view->actionBtn->title, "onboarding.btn.step2");
    system.finderExtension.enabled = false;
    tick();
    EXPECT_TRUE(view->step1Done) << "a step never goes back";
    system.accessibility.trusted = true;
    tick();
    EXPECT_TRUE(view->step2Done);
    EXPECT_FALSE(view->timer->isValid());
    EXPECT_EQ(system.mainQueue.pendingCount(), 0u) << "nothing polls any more";
}

TEST_F(OnboardingTest, StepOneButtonAndTheReturnFromSettings) {
    open();
    const auto firstTimer = view->timer;
    system.events.clear();
    view->actionBtn->performClick();
    EXPECT_THAT(system.events, ElementsAre("policy regular", "activate"));
    EXPECT_EQ(system.finderExtension.managementShown, 1);
    EXPECT_EQ(observers(), 1u);
    EXPECT_FALSE(firstTimer->isValid()) << "polling restarts";
    EXPECT_TRUE(view->timer->isValid());

    userGoesToSettingsAndComesBack();
    EXPECT_TRUE(view->step1Done) << "coming back counts, even with the extension still off";
    EXPECT_EQ(view->actionBtn->title, "onboarding.btn.step2");
    EXPECT_THAT(labelTexts(*view->step1Card),
                ElementsAre("onboarding.step1.title", "onboarding.step1.done"));
    EXPECT_EQ(observers(), 0u) << "the observer fires once";
}

TEST_F(OnboardingTest, SeveralPressesAddSeveralObserversThatAllGoAtTheReturn) {
    open();
    system.application.active = true; // the click itself brought the host forward
    view->actionBtn->performClick();
    view->actionBtn->performClick();
    view->actionBtn->performClick();
    EXPECT_EQ(observers(), 3u);
    EXPECT_FALSE(view->step1Done);
    userGoesToSettingsAndComesBack();
    EXPECT_EQ(observers(), 0u);
    EXPECT_TRUE(view->step1Done);
    EXPECT_FALSE(view->step2Done);
}

TEST_F(OnboardingTest, StepTwoButtonPromptsAndOpensTheAccessibilityList) {
    system.finderExtension.enabled = true;
    open();
    system.application.active = true;
    view->actionBtn->performClick();
    EXPECT_EQ(system.accessibility.prompts, 1);
    EXPECT_THAT(system.workspace.opened,
                ElementsAre("x-apple.systempreferences:com.apple.preference.security?"
                            "Privacy_Accessibility"));
    EXPECT_EQ(observers(), 1u);
    userGoesToSettingsAndComesBack();
    EXPECT_TRUE(view->step2Done);
    EXPECT_EQ(view->actionBtn->title, "onboarding.btn.done");
}

TEST_F(OnboardingTest, StepTwoCanBeDoneFirst) {
    system.accessibility.trusted = true;
    open();
    EXPECT_EQ(view->step2Card->layerBackgroundColor, Color::systemGreen().withAlpha(0.12));
    EXPECT_EQ(view->actionBtn->title, "onboarding.btn.step1");
    EXPECT_EQ(view->actionBtn->layerBackgroundColor, Color::controlAccent());
    view->actionBtn->performClick();
    EXPECT_EQ(system.finderExtension.managementShown, 1) << "still the step-1 action";
    userGoesToSettingsAndComesBack();
    EXPECT_EQ(view->actionBtn->title, "onboarding.btn.done") << "straight to ready";
}

TEST_F(OnboardingTest, FinishingRemembersAndBecomesAnAgent) {
    system.finderExtension.enabled = true;
    system.accessibility.trusted = true;
    open();
    view->actionBtn->performClick();
    EXPECT_TRUE(system.standardStore["onboardingComplete"]);
    EXPECT_FALSE(controller->window()->visible);
    EXPECT_EQ(system.application.policy, ActivationPolicy::accessory);
}

TEST_F(OnboardingTest, SkipClosesWithoutRemembering) {
    open();
    for (const auto& sub : view->subviews()) {
        if (const auto* b = dynamic_cast<Button*>(sub.get()); b && b->action == "skipTapped") {
            const_cast<Button*>(b)->performClick();
        }
    }
    EXPECT_FALSE(controller->window()->visible);
    EXPECT_EQ(system.application.policy, ActivationPolicy::accessory);
    EXPECT_EQ(system.standardStore.count("onboardingComplete"), 0u);
}

TEST_F(OnboardingTest, TheCloseButtonOnlyCloses) {
    open();
    system.application.policy = ActivationPolicy::regular;
    controller->window()->close();
    EXPECT_FALSE(controller->window()->visible);
    EXPECT_THAT(system.application.policyChanges, ::testing::IsEmpty());
    EXPECT_EQ(system.standardStore.count("onboardingComplete"), 0u);
}

TEST_F(OnboardingTest, TimerAndObserversLetTheViewGo) {
    open();
    view->actionBtn->performClick();
    std::weak_ptr<OnboardingView> weak = view;
    view.reset();
    controller.reset();
    EXPECT_TRUE(weak.expired()) << "nothing else holds the view";
    system.finderExtension.enabled = true;
    tick(3);
    userGoesToSettingsAndComesBack();
    EXPECT_EQ(observers(), 0u);
}

TEST_F(OnboardingTest, CardLabelsAreFoundByTheirFontSize) {
    open();
    auto card = std::make_shared<View>();
    auto small = TextField::labelWithString("old detail");
    small->font = Font{12, FontWeight::regular};
    card->addSubview(small);
    view->updateCard(*card, true, "Title", "Detail");
    EXPECT_EQ(small->stringValue, "Detail") << "no label above 12 points: no title is set";
    EXPECT_EQ(card->layerBackgroundColor, Color::systemGreen().withAlpha(0.12));
    auto bare = TextField::labelWithString("no font");
    auto big = TextField::labelWithString("old title");
    big->font = Font{13, FontWeight::semibold};
    auto other = std::make_shared<View>();
    other->addSubview(bare);
    other->addSubview(big);
    view->updateCard(*other, false, "T", "D");
    EXPECT_EQ(bare->stringValue, "D") << "a label without font counts as a detail";
    EXPECT_EQ(big->stringValue, "T");
}

TEST_F(OnboardingTest, SharedIsOneControllerForTheProcess) {
    auto& first = OnboardingWindowController::shared(system.platform());
    auto& second = OnboardingWindowController::shared(system.platform());
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(system.application.windows().size(), 1u);
}

} // namespace
} // namespace orv
