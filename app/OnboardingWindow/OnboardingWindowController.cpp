#include "app/OnboardingWindow/OnboardingWindowController.h"

#include <memory>

namespace orv {

namespace {

constexpr double kWidth = 480;
constexpr double kHeight = 580;
constexpr std::uint64_t kStyle =
    WindowStyle::titled | WindowStyle::closable | WindowStyle::fullSizeContentView;
constexpr int kBackingStoreBuffered = 2;
constexpr int kTitleHidden = 1;

WindowPtr makeWindow(const Platform& platform) {
    auto window = platform.application.makeWindow(makeRect(0, 0, kWidth, kHeight), kStyle,
                                                  kBackingStoreBuffered, false);
    window->titlebarAppearsTransparent = true;
    window->titleVisibility = kTitleHidden;
    window->movableByWindowBackground = true;
    window->center();
    window->frameAutosaveName = "Onboarding";
    return window;
}

std::unique_ptr<OnboardingWindowController>& sharedSlot() {
    static std::unique_ptr<OnboardingWindowController> slot;
    return slot;
}

} // namespace

OnboardingWindowController::OnboardingWindowController(const Platform& platform)
    : WindowController(makeWindow(platform)) {
    view_ = OnboardingView::make(Rect{}, platform);
    window()->setContentView(view_);
}

OnboardingWindowController& OnboardingWindowController::shared(const Platform& platform) {
    auto& slot = sharedSlot();
    if (!slot) {
        slot = std::make_unique<OnboardingWindowController>(platform);
    }
    return *slot;
}

void OnboardingWindowController::resetSharedForTesting() {
    sharedSlot().reset();
}

} // namespace orv
