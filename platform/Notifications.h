#pragma once
// NSNotificationCenter defaultCenter, for block observers delivered on the main queue.
// Posting happens on the main thread, and each observer's block runs before post() returns.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

inline constexpr std::string_view kApplicationDidBecomeActiveNotification =
    "NSApplicationDidBecomeActiveNotification";

class NotificationCenter {
  public:
    struct Observer;
    using ObserverToken = std::shared_ptr<Observer>;

    // addObserverForName:object:nil queue:[NSOperationQueue mainQueue] usingBlock:
    ObserverToken addObserver(std::string_view name, std::function<void()> block);
    // removeObserver:
    void removeObserver(const ObserverToken& token);
    // postNotificationName:object:
    void post(std::string_view name);

    std::size_t observerCount(std::string_view name) const;

  private:
    std::vector<ObserverToken> observers_;
};

struct NotificationCenter::Observer {
    std::string name;
    std::function<void()> block;
};

} // namespace orv
