#pragma once
// The desktop notifier, loaded at the first alert from a plugin of its own: GIO and the
// libraries under it would otherwise be mapped, relocated and initialised in every host, which
// mostly sits idle, for the few alerts it shows.

#include "platform/Log.h"
#include "platform/linux/LinuxHost.h"

#include <memory>

namespace orv::lnx {

class LoadedNotifier final : public AlertNotifier {
  public:
    // `plugin`: the file that holds the notifier, relative to the program's folder unless it is
    // absolute. A plugin that cannot be loaded is logged once; then there is no notifier.
    LoadedNotifier(LinuxRunLoop& mainLoop, std::string plugin, const Log& log)
        : mainLoop_(mainLoop), plugin_(std::move(plugin)), log_(log) {}
    std::optional<std::size_t> show(const Alert& alert) override;
    std::unique_ptr<ProgressDisplay> show(const MoveProgressReport& report,
                                          std::function<void()> cancel) override;

  private:
    // The plugin's notifier, loaded at the first call; nullptr when it cannot be.
    AlertNotifier* notifier();

    LinuxRunLoop& mainLoop_;
    std::string plugin_;
    Log log_;
    bool tried_ = false;
    std::unique_ptr<AlertNotifier> notifier_;
};

} // namespace orv::lnx

// The plugin's one entry point: a new notifier that serves `mainLoop` while an alert waits.
extern "C" orv::lnx::AlertNotifier* orvane_new_desktop_notifier(orv::lnx::LinuxRunLoop* mainLoop);
