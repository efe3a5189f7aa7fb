#include "platform/linux/LoadedNotifier.h"

#include "platform/linux/Environment.h"

#include <dlfcn.h>

namespace orv::lnx {

AlertNotifier* LoadedNotifier::notifier() {
    if (!tried_) {
        tried_ = true;
        const std::string path =
            plugin_.starts_with('/') ? plugin_ : executableDirectory().appending(plugin_).str();
        // Never unloaded: the notifier's code must outlive every call into it.
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        auto* make = handle == nullptr ? nullptr
                                       : reinterpret_cast<decltype(&orvane_new_desktop_notifier)>(
                                             dlsym(handle, "orvane_new_desktop_notifier"));
        if (make == nullptr) {
            log_("ERROR loading the desktop notifier: %{public}@", std::string(dlerror()));
        } else {
            notifier_.reset(make(&mainLoop_));
        }
    }
    return notifier_.get();
}

std::optional<std::size_t> LoadedNotifier::show(const Alert& alert) {
    return notifier() != nullptr ? notifier_->show(alert) : std::nullopt;
}

std::unique_ptr<ProgressDisplay> LoadedNotifier::show(const MoveProgressReport& report,
                                                      std::function<void()> cancel) {
    return notifier() != nullptr ? notifier_->show(report, std::move(cancel)) : nullptr;
}

} // namespace orv::lnx
