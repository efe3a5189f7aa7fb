#include "platform/Application.h"

namespace orv {

bool Application::performAction(std::string_view selector, Sender sender) {
    if (selector == "terminate:") {
        terminate(sender);
        return true;
    }
    if (selector == "orderFrontStandardAboutPanel:") {
        orderFrontStandardAboutPanel(sender);
        return true;
    }
    return false;
}

bool NoticeUpdaterController::performAction(std::string_view selector, Sender) {
    if (selector != "checkForUpdates:") {
        return false;
    }
    alerts_.runModal(notice_);
    return true;
}

std::vector<WindowPtr> Application::windows() const {
    std::vector<WindowPtr> alive;
    for (const auto& window : windows_) {
        if (auto held = window.lock()) {
            alive.push_back(std::move(held));
        }
    }
    return alive;
}

WindowPtr Application::remember(WindowPtr window) {
    std::erase_if(windows_, [](const auto& w) { return w.expired(); });
    windows_.push_back(window);
    return window;
}

bool sendAction(const MenuItem& item, Application& application) {
    if (item.action.empty() || !item.enabled) {
        return false;
    }
    Responder* receiver = item.target != nullptr ? item.target : &application;
    return receiver->performAction(item.action, &item);
}

} // namespace orv
