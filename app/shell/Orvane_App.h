#pragma once
// The host program's entry type: its delegate adaptor creates the one AppDelegate, and its
// only scene is an empty settings scene, so no window opens at launch and closing the last
// window does not end the program.

#include "app/shell/AppDelegate.h"
#include "platform/App.h"

namespace orv {

class Orvane_App {
  public:
    explicit Orvane_App(const Platform& platform) : _appDelegate(platform) {}

    ApplicationDelegateAdaptor<AppDelegate> _appDelegate;

    SettingsScene body() const { return SettingsScene{std::make_shared<View>()}; }

    // Creates the application with its delegate and runs the event loop until it terminates.
    static int main(const Platform& platform) {
        Orvane_App app(platform);
        return platform.application.run();
    }
};

} // namespace orv
