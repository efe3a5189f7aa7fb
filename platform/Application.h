#pragma once
// The host application's system: the application object and its delegate, the status bar,
// drawing into images, alerts, login items, accessibility trust, the Finder extension's
// settings and the software updater.

#include "platform/Expected.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Menu.h"
#include "platform/View.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace orv {

// NSApplicationActivationPolicy
enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

// NSApplicationDelegate
class ApplicationDelegate {
  public:
    virtual ~ApplicationDelegate() = default;
    // applicationDidFinishLaunching:
    virtual void applicationDidFinishLaunching() {}
    // application:openURLs:
    virtual void applicationOpenURLs(const std::vector<std::string>& urls) { (void)urls; }
    // Where URLs can reach the process while the main thread is busy (Linux: the socket's
    // thread), told of them at once, before application:openURLs: runs with them. Called on
    // any thread; on macOS never (Apple events wait for the main thread).
    virtual void applicationURLsArrived(const std::vector<std::string>& urls) { (void)urls; }
};

// NSApplication sharedApplication. As a responder it answers "terminate:", the end of the
// responder chain for menu items without a target.
class Application : public Responder {
  public:
    // delegate =
    virtual void setDelegate(ApplicationDelegate* delegate) = 0;
    // setActivationPolicy:
    virtual bool setActivationPolicy(ActivationPolicy policy) = 0;
    virtual ActivationPolicy activationPolicy() const = 0;
    // activateIgnoringOtherApps:
    virtual void activateIgnoringOtherApps(bool flag) = 0;
    // orderFrontStandardAboutPanel:
    virtual void orderFrontStandardAboutPanel(Sender sender) = 0;
    // terminate:
    virtual void terminate(Sender sender) = 0;
    // applicationIconImage
    virtual ImagePtr applicationIconImage() = 0;
    // [[NSWindow alloc] initWithContentRect:styleMask:backing:defer:], kept in windows()
    virtual WindowPtr makeWindow(Rect contentRect, std::uint64_t styleMask, int backing,
                                 bool defer) = 0;
    // windows: every window made and not yet released
    std::vector<WindowPtr> windows() const;
    // run: finishes launching (the delegate's applicationDidFinishLaunching:), then handles
    // events until terminate:. Returns the process's exit status.
    virtual int run() = 0;
    // "terminate:" and "orderFrontStandardAboutPanel:", as NSApplication answers them.
    bool performAction(std::string_view selector, Sender sender) override;
    // Set from any thread when the session ends the process (SIGTERM at logout), before
    // terminate: is queued: work that holds the main thread stops at its next safe point.
    void requestTermination() { terminationRequested_ = true; }
    bool terminationRequested() const { return terminationRequested_; }

  protected:
    // A window makeWindow made: listed by windows() for as long as someone holds it.
    WindowPtr remember(WindowPtr window);

  private:
    std::vector<std::weak_ptr<Window>> windows_;
    std::atomic<bool> terminationRequested_{false};
};

// Sends a menu item's action as AppKit does: to its target, or else up the responder chain,
// which ends at the application.
bool sendAction(const MenuItem& item, Application& application);

// NSStatusBar square and variable lengths.
inline constexpr double kSquareStatusItemLength = -2;
inline constexpr double kVariableStatusItemLength = -1;

// NSStatusBarButton
class StatusBarButton : public UIObject {
  public:
    ImagePtr image;
};

// NSStatusItem
class StatusItem {
  public:
    explicit StatusItem(double length, std::shared_ptr<StatusBarButton> button)
        : length(length), button(std::move(button)) {}
    double length;
    std::shared_ptr<StatusBarButton> button; // may be absent
    MenuPtr menu;
};
using StatusItemPtr = std::shared_ptr<StatusItem>;

// NSStatusBar systemStatusBar
class StatusBar {
  public:
    virtual ~StatusBar() = default;
    // statusItemWithLength:
    virtual StatusItemPtr statusItem(double length) = 0;
};

// NSCompositingOperation, with AppKit's values.
enum class CompositingOperation {
    clear = 0,
    copy = 1,
    sourceOver = 2,
    sourceIn = 3,
    sourceOut = 4,
    sourceAtop = 5,
    destinationOver = 6,
    destinationIn = 7,
    destinationOut = 8,
    destinationAtop = 9,
};

// Drawing into images: NSImage lockFocus/unlockFocus, NSGraphicsContext, NSColor set,
// NSRectFillUsingOperation, NSBezierPath addClip, NSImage drawInRect:fromRect:operation:fraction:.
class Graphics {
  public:
    virtual ~Graphics() = default;
    // lockFocus: the image becomes the current drawing destination.
    virtual void lockFocus(Image& image) = 0;
    // unlockFocus: the previous destination, if any, is current again.
    virtual void unlockFocus(Image& image) = 0;
    // [NSGraphicsContext currentContext] != nil
    virtual bool hasCurrentContext() const = 0;
    // currentContext.compositingOperation
    virtual CompositingOperation compositingOperation() const = 0;
    // [color set]
    virtual void setColor(const Color& color) = 0;
    // NSRectFillUsingOperation with the current colour.
    virtual void fillRect(Rect rect, CompositingOperation operation) = 0;
    // drawInRect:fromRect:NSZeroRect operation:fraction: (the whole source image)
    virtual void drawImage(const Image& image, Rect rect, CompositingOperation operation,
                           double fraction) = 0;
    // saveGraphicsState / restoreGraphicsState
    virtual void saveGraphicsState() = 0;
    virtual void restoreGraphicsState() = 0;
    // [[NSBezierPath bezierPathWithRect:rect] addClip]
    virtual void addClip(Rect rect) = 0;
};

// NSAlertStyle
enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

// NSAlert
struct Alert {
    std::string messageText;
    std::string informativeText;
    AlertStyle style = AlertStyle::warning;
    std::vector<std::string> buttons; // addButtonWithTitle:, in order
};

// NSAlertFirstButtonReturn; the n-th button answers 1000 + n - 1.
inline constexpr int kAlertFirstButtonReturn = 1000;

class AlertPresenter {
  public:
    virtual ~AlertPresenter() = default;
    // runModal: the response of the button chosen (the first when there are no buttons).
    virtual int runModal(const Alert& alert) = 0;
};

// SMAppService mainAppService
class LoginItemService {
  public:
    virtual ~LoginItemService() = default;
    // registerAndReturnError:
    virtual Status registerMainApp() = 0;
    // unregisterAndReturnError:
    virtual Status unregisterMainApp() = 0;
};

// The Accessibility trust API.
class AccessibilityTrust {
  public:
    virtual ~AccessibilityTrust() = default;
    // AXIsProcessTrusted
    virtual bool isProcessTrusted() = 0;
    // AXIsProcessTrustedWithOptions(@{kAXTrustedCheckOptionPrompt: @(prompt)})
    virtual bool isProcessTrustedWithOptions(bool prompt) = 0;
};

// FIFinderSyncController's class methods, as the host application sees them.
class FinderExtensionSettings {
  public:
    virtual ~FinderExtensionSettings() = default;
    // isExtensionEnabled
    virtual bool isExtensionEnabled() = 0;
    // showExtensionManagementInterface
    virtual void showExtensionManagementInterface() = 0;
};

// SPUStandardUpdaterController: a responder for "checkForUpdates:".
class UpdaterController : public Responder {};

// For a build without an update framework: "checkForUpdates:" shows `notice`, which says
// where updates come from.
class NoticeUpdaterController final : public UpdaterController {
  public:
    NoticeUpdaterController(AlertPresenter& alerts, Alert notice)
        : alerts_(alerts), notice_(std::move(notice)) {}
    bool performAction(std::string_view selector, Sender sender) override;

  private:
    AlertPresenter& alerts_;
    Alert notice_;
};

class SoftwareUpdater {
  public:
    virtual ~SoftwareUpdater() = default;
    // initWithStartingUpdater:updaterDelegate:nil userDriverDelegate:nil
    virtual std::shared_ptr<UpdaterController> makeStandardController(bool startingUpdater) = 0;
};

} // namespace orv
