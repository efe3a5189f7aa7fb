#pragma once
// Alerts as desktop notifications, for a user who works in a file manager and never sees the
// host's output: org.freedesktop.Notifications on the session bus, through GIO's D-Bus client
// (a small, well-kept library; the wire protocol by hand would be neither).

#include "platform/linux/LinuxHost.h"

#include <chrono>

typedef struct _GDBusConnection GDBusConnection;

namespace orv::lnx {

class DesktopNotifier final : public AlertNotifier {
  public:
    // How long a question waits for its answer before the last button answers: long enough to
    // come back to the desk, short enough that nothing stays undecided for good.
    static constexpr std::chrono::milliseconds kPatience = std::chrono::minutes(5);

    // `mainLoop` goes on running while an alert waits, as the main queue does during AppKit's
    // runModal, so file work and signals are served meanwhile.
    explicit DesktopNotifier(LinuxRunLoop& mainLoop, std::chrono::milliseconds patience = kPatience)
        : mainLoop_(mainLoop), patience_(patience) {}
    ~DesktopNotifier() override;
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    // Shows the alert. With buttons, where the server offers actions, they become its actions
    // and the user's choice is awaited, from the server's own connection only (a notification
    // closed or left unanswered for `patience`, or a stop of the main loop, answers with the
    // last button); where it does not, the notification only informs and the last button
    // answers, which in every alert with a choice is the one that changes nothing. Nullopt
    // without a session bus or a notification server, or with one that once left a call
    // unanswered: it is not waited for again.
    std::optional<std::size_t> show(const Alert& alert) override;
    // One notification for the whole move, spoken to on a thread of its own so the moving main
    // thread never waits for the bus: each report replaces the one before (replaces_id), with
    // the "value" hint for servers that draw a bar and a Cancel action where the server offers
    // actions; the last report stays for the server's usual time. Nullptr without a session bus.
    std::unique_ptr<ProgressDisplay> show(const MoveProgressReport& report,
                                          std::function<void()> cancel) override;

  private:
    GDBusConnection* bus();

    LinuxRunLoop& mainLoop_;
    const std::chrono::milliseconds patience_;
    GDBusConnection* bus_ = nullptr;
    bool connected_ = false;
    std::string silentServer_; // the unique bus name of a server that did not reply
};

} // namespace orv::lnx
