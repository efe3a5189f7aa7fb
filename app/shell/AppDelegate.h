#pragma once
// The host application's one delegate: it owns the host's log, status item and update
// controller, runs the launch sequence, and carries every host operation.

#include "platform/Platform.h"

#include <memory>
#include <string_view>

namespace orv {

class AppDelegate final : public ApplicationDelegate, public Responder {
  public:
    static constexpr std::string_view kBundleIdentifier = "tamsel.Orvane-";
    static constexpr std::string_view kLogCategory = "AppDelegate";
    static constexpr std::string_view kOnboardingCompleteKey = "onboardingComplete";

    // Sets the fields only; nothing of the launch happens here.
    explicit AppDelegate(const Platform& platform);

    Log log;
    StatusItemPtr statusItem;
    std::shared_ptr<UpdaterController> updaterController;

    // The launch sequence: update controller, login item, status item, onboarding.
    void applicationDidFinishLaunching() override;

    // Status item.
    void setupStatusItem();
    // The mouse outline with its right button filled, as a template image; an empty image
    // when a symbol is missing.
    ImagePtr makeStatusIcon();
    // A black image of `size` with the source's coverage.
    ImagePtr blackSilhouette(const Image& source, Size size);
    void buildMenu(Menu& menu);
    // About item: a Dock icon, the application in front, the standard About panel.
    void showAbout();

    bool performAction(std::string_view selector, Sender sender) override;

  private:
    void registerLoginItem();
    void showOnboardingIfNeeded();

    Platform platform_;
};

} // namespace orv
