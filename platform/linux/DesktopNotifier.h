#pragma once
// Alerts as desktop notifications, for a user who works in a file manager and never sees the
// host's output: org.freedesktop.Notifications on the session bus, through GIO's D-Bus client
// (a small, well-kept library; the wire protocol by hand would be neither).

#include "platform/linux/LinuxHost.h"

typedef struct _GDBusConnection GDBusConnection;

namespace orv::lnx {

class DesktopNotifier final : public AlertNotifier {
  public:
    DesktopNotifier() = default;
    ~DesktopNotifier() override;
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    // Shows the alert. With buttons, where the server offers actions, they become its actions
    // and the user's choice is awaited (a notification closed unanswered answers with the last
    // button); where it does not, the notification only informs and the last button answers,
    // which in every alert with a choice is the one that changes nothing. Nullopt without a
    // session bus or a notification server.
    std::optional<std::size_t> show(const Alert& alert) override;

  private:
    GDBusConnection* bus();

    GDBusConnection* bus_ = nullptr;
    bool connected_ = false;
};

} // namespace orv::lnx
