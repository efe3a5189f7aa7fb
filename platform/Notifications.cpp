#include "platform/Notifications.h"

#include <algorithm>

namespace orv {

NotificationCenter::ObserverToken NotificationCenter::addObserver(std::string_view name,
                                                                  std::function<void()> block) {
    auto token = std::make_shared<Observer>(Observer{std::string(name), std::move(block)});
    observers_.push_back(token);
    return token;
}

void NotificationCenter::removeObserver(const ObserverToken& token) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), token), observers_.end());
}

void NotificationCenter::post(std::string_view name) {
    // Blocks may add or remove observers: deliver to those registered now that are still
    // registered when their turn comes.
    const auto snapshot = observers_;
    for (const auto& observer : snapshot) {
        const bool registered =
            std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
        if (registered && observer->name == name) {
            observer->block();
        }
    }
}

std::size_t NotificationCenter::observerCount(std::string_view name) const {
    return static_cast<std::size_t>(std::count_if(observers_.begin(), observers_.end(),
                                                  [&](const auto& o) { return o->name == name; }));
}

} // namespace orv
