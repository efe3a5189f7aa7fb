#pragma once
// The host application's system on Linux: a headless application object whose panels and
// alerts are printed, the status bar, login items as an XDG autostart entry, and the pieces
// macOS has and Linux does not (accessibility trust, the extension switch, Sparkle), each
// answering as a person on this machine would expect.

#include "platform/Application.h"
#include "platform/Notifications.h"
#include "platform/Progress.h"
#include "platform/Services.h"
#include "platform/linux/LinuxRunLoop.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace orv::lnx {

// Where the headless user interface speaks: standard output unless told otherwise.
class LinuxScreen {
  public:
    using Output = std::function<void(std::string_view)>;
    LinuxScreen();
    explicit LinuxScreen(Output output) : output_(std::move(output)) {}
    void show(std::string_view text) const { output_(text); }

  private:
    Output output_;
};

class LinuxApplication final : public Application {
  public:
    // `background`: the global queue, whose work is done before run() returns, while the
    // delegate it may use still lives (AppKit's terminate: ends the process at once).
    LinuxApplication(LinuxRunLoop& runLoop, LinuxWorkQueue& background,
                     NotificationCenter& notifications, Bundle& bundle, const LinuxScreen& screen);

    void setDelegate(ApplicationDelegate* delegate) override;
    bool setActivationPolicy(ActivationPolicy policy) override;
    ActivationPolicy activationPolicy() const override { return policy_; }
    // Becoming active posts the did-become-active notification, once per activation.
    void activateIgnoringOtherApps(bool flag) override;
    void orderFrontStandardAboutPanel(Sender sender) override;
    void terminate(Sender sender) override;
    ImagePtr applicationIconImage() override;
    WindowPtr makeWindow(Rect contentRect, std::uint64_t styleMask, int backing,
                         bool defer) override;
    int run() override;

    // URLs handed to the application when it was started, delivered once it has launched.
    void openAtLaunch(std::vector<std::string> urls) { launchURLs_ = std::move(urls); }
    // URLs that reach the running application, on any thread: the delegate hears at once
    // that they arrived, and application:openURLs: follows on the main thread.
    void receiveURLs(std::vector<std::string> urls);
    // application:openURLs:, on the main thread.
    void deliverURLs(const std::vector<std::string>& urls);
    // The user went to another application; the next activation posts the notification.
    void resignActive() { active_ = false; }
    bool isActive() const { return active_; }

  private:
    LinuxRunLoop& runLoop_;
    LinuxWorkQueue& background_;
    NotificationCenter& notifications_;
    Bundle& bundle_;
    const LinuxScreen& screen_;
    std::mutex delegateMutex_; // the delegate is also told of URLs on the socket's thread
    ApplicationDelegate* delegate_ = nullptr;
    ActivationPolicy policy_ = ActivationPolicy::regular;
    bool active_ = false;
    std::vector<std::string> launchURLs_;
    ImagePtr icon_;
};

class LinuxStatusBar final : public StatusBar {
  public:
    StatusItemPtr statusItem(double length) override;
    const std::vector<StatusItemPtr>& items() const { return items_; }

  private:
    std::vector<StatusItemPtr> items_;
};

// Alerts are printed; with no one to answer, the last button (the safe choice, such as Cancel)
// is taken, or the default button when the alert has none.
// Where an alert or a long move's progress reaches the user beyond the host's own output.
class AlertNotifier : public ProgressPresenter {
  public:
    // The index of the button that answers, or nullopt when the alert could not be shown.
    virtual std::optional<std::size_t> show(const Alert& alert) = 0;
    using ProgressPresenter::show;
};

class LinuxAlertPresenter final : public AlertPresenter, public ProgressPresenter {
  public:
    explicit LinuxAlertPresenter(const LinuxScreen& screen) : screen_(screen) {}
    // The alert is printed, and shown by `notifier` when there is one, which then answers;
    // else the last button answers.
    int runModal(const Alert& alert) override;
    // A long move's progress, shown by `notifier` alone: printing it would only repeat the
    // log's lines.
    std::unique_ptr<ProgressDisplay> show(const MoveProgressReport& report,
                                          std::function<void()> cancel) override;
    void setNotifier(AlertNotifier* notifier) { notifier_ = notifier; }

  private:
    const LinuxScreen& screen_;
    AlertNotifier* notifier_ = nullptr;
};

// The login item: an XDG autostart entry, <config home>/autostart/orvane-host.desktop, that
// starts this program at login. An entry the user turned off (Hidden=true or
// X-GNOME-Autostart-enabled=false) stays off: registering then fails, as SMAppService's does
// for a login item the user disabled. Without `changesAllowed` nothing is written or removed.
class LinuxLoginItems final : public LoginItemService {
  public:
    explicit LinuxLoginItems(bool changesAllowed = true) : changesAllowed_(changesAllowed) {}
    Status registerMainApp() override;
    Status unregisterMainApp() override;
    static Path entryPath();
    // `program` as one argument of an Exec key: quoted, with % doubled and control characters
    // escaped; nullopt for a control character a desktop entry cannot carry.
    static std::optional<std::string> execArgument(std::string_view program);

  private:
    bool changesAllowed_;
};

// Linux has no accessibility permission to grant: the process is trusted.
class LinuxAccessibility final : public AccessibilityTrust {
  public:
    bool isProcessTrusted() override { return true; }
    bool isProcessTrustedWithOptions(bool) override { return true; }
};

// The extension is hosted by orvane-finder and cannot be switched off: it is enabled, and its
// "settings" say so.
class LinuxFinderExtensionSettings final : public FinderExtensionSettings {
  public:
    explicit LinuxFinderExtensionSettings(const LinuxScreen& screen) : screen_(screen) {}
    bool isExtensionEnabled() override { return true; }
    void showExtensionManagementInterface() override;

  private:
    const LinuxScreen& screen_;
};

// Updates come with the package that installed the program; checking for updates says so.
class LinuxSoftwareUpdater final : public SoftwareUpdater {
  public:
    LinuxSoftwareUpdater(AlertPresenter& alerts, Bundle& bundle)
        : alerts_(alerts), bundle_(bundle) {}
    std::shared_ptr<UpdaterController> makeStandardController(bool startingUpdater) override;

  private:
    AlertPresenter& alerts_;
    Bundle& bundle_;
};

} // namespace orv::lnx
