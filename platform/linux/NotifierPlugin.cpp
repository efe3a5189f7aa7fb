// The plugin that holds the desktop notifier, loaded by the host at its first alert.

#include "platform/linux/DesktopNotifier.h"
#include "platform/linux/LoadedNotifier.h"

extern "C" orv::lnx::AlertNotifier* orvane_new_desktop_notifier(orv::lnx::LinuxRunLoop* mainLoop) {
    return new orv::lnx::DesktopNotifier(*mainLoop);
}
