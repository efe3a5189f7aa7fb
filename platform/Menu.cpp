#include "platform/Menu.h"

namespace orv {

MenuItem::MenuItem(std::string title, std::string action, std::string keyEquivalent)
    : title(std::move(title)), action(std::move(action)), keyEquivalent(std::move(keyEquivalent)) {}

MenuItemPtr MenuItem::separator() {
    auto item = std::make_shared<MenuItem>("", "", "");
    item->isSeparator = true;
    item->enabled = false;
    return item;
}

} // namespace orv
