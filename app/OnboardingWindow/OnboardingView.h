#pragma once
// The onboarding window's content: watches both steps (polling every second and whenever the
// host becomes active again) and moves the cards and the action button along.

#include "platform/Platform.h"

#include <memory>
#include <string>

namespace orv {

class OnboardingView final : public View, public Responder {
  public:
    // The frame initializer: builds the whole content, then refreshes and starts polling.
    static std::shared_ptr<OnboardingView> make(Rect frame, const Platform& platform);
    std::string className() const override { return "OnboardingView"; }

    bool step1Done = false; // the Finder extension is enabled
    bool step2Done = false; // the Accessibility permission is granted
    ViewPtr step1Card;
    ViewPtr step2Card;
    std::shared_ptr<Button> actionBtn;
    TimerPtr timer;

    // Re-checks both steps, then updates the cards and the action button.
    void refresh();
    // (Re)starts the one-second polling timer.
    void startPolling();
    void actionTapped();
    void skipTapped();
    ViewPtr makeCard(const std::string& title, const std::string& detail);
    void updateCard(View& card, bool done, const std::string& title, const std::string& detail);

    bool performAction(std::string_view selector, Sender sender) override;

    // Only make() creates views; the tag keeps the constructor out of other hands.
    struct Tag {};
    OnboardingView(Tag, Rect frame, const Platform& platform) : View(frame), platform_(platform) {}

  private:
    void setup();
    // A one-shot observer of the host becoming active that marks `step` done.
    void observeReturnFromSettings(int step);
    std::string text(std::string_view key) { return platform_.bundle.localizedString(key); }
    std::weak_ptr<OnboardingView> weakSelf();

    Platform platform_;
};

} // namespace orv
