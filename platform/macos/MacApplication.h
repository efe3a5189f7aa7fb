#pragma once
// NSApplication and NSStatusBar on macOS, with the retained UI presented by AppKit.

#include "platform/Application.h"
#include "platform/Notifications.h"
#include "platform/macos/AppKitPresenter.h"

#include <vector>

#ifdef __OBJC__
#import <Foundation/Foundation.h>
#import <dispatch/dispatch.h>

@class ORVApplicationDelegate;
NS_ASSUME_NONNULL_BEGIN

namespace orv::mac {

class MacApplication final : public Application {
  public:
    explicit MacApplication(NotificationCenter& notifications);

    void setDelegate(ApplicationDelegate* delegate) override { delegate_ = delegate; }
    bool setActivationPolicy(ActivationPolicy policy) override;
    ActivationPolicy activationPolicy() const override;
    void activateIgnoringOtherApps(bool flag) override;
    void orderFrontStandardAboutPanel(Sender sender) override;
    void terminate(Sender sender) override;
    ImagePtr applicationIconImage() override;
    WindowPtr makeWindow(Rect contentRect, std::uint64_t styleMask, int backing,
                         bool defer) override;
    // Installs the delegate adaptor, keeps the screen in step before each wait, runs.
    int run() override;

    ApplicationDelegate* delegate() const { return delegate_; }
    NotificationCenter& notifications() { return notifications_; }
    AppKitPresenter& presenter() { return presenter_; }

  private:
    NotificationCenter& notifications_;
    ApplicationDelegate* delegate_ = nullptr;
    ORVApplicationDelegate* _Nullable adaptor_ = nil;
    dispatch_source_t _Nullable termination_ = nil; // SIGTERM, heard off the main thread
    AppKitPresenter presenter_{*this};
};

class MacStatusBar final : public StatusBar {
  public:
    explicit MacStatusBar(AppKitPresenter& presenter) : presenter_(presenter) {}
    StatusItemPtr statusItem(double length) override;

  private:
    AppKitPresenter& presenter_;
};

} // namespace orv::mac

NS_ASSUME_NONNULL_END
#endif
