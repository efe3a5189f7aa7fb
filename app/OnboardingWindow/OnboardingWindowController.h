#pragma once
// The first-run window: one card per step (enable the Finder extension, grant Accessibility),
// a large action button that follows the progress, and a small Skip button.

#include "app/OnboardingWindow/OnboardingView.h"
#include "platform/Platform.h"

namespace orv {

class OnboardingWindowController final : public WindowController {
  public:
    // Builds the window and its content view.
    explicit OnboardingWindowController(const Platform& platform);

    // The one controller of the process, made on first use and kept.
    static OnboardingWindowController& shared(const Platform& platform);
    // Drops the shared controller, so that each test starts as a new process would.
    static void resetSharedForTesting();

    std::shared_ptr<OnboardingView> view() const { return view_; }

  private:
    std::shared_ptr<OnboardingView> view_;
};

} // namespace orv
