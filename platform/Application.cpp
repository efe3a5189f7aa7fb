#include "platform/Application.h"

namespace orv {

bool sendAction(const MenuItem& item, Application& application) {
    if (item.action.empty() || !item.enabled) {
        return false;
    }
    Responder* receiver = item.target != nullptr ? item.target : &application;
    return receiver->performAction(item.action, &item);
}

} // namespace orv
