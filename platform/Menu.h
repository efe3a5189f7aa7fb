#pragma once
// NSMenu and NSMenuItem as retained objects that record every property set on them.

#include "platform/Image.h"
#include "platform/UIObject.h"

#include <memory>
#include <string>
#include <vector>

namespace orv {

class Menu;
using MenuPtr = std::shared_ptr<Menu>;
class MenuItem;
using MenuItemPtr = std::shared_ptr<MenuItem>;

// NSMenuItem
class MenuItem : public UIObject {
  public:
    // initWithTitle:action:keyEquivalent: (an empty action means none)
    MenuItem(std::string title, std::string action, std::string keyEquivalent);
    // NSMenuItem separatorItem
    static MenuItemPtr separator();

    std::string title;
    std::string action;        // selector text, "" for none
    std::string keyEquivalent; // "" for none; the Command modifier is implied, as in AppKit
    ImagePtr image;
    Responder* target = nullptr; // not owned: AppKit does not retain a menu item's target
    MenuPtr submenu;
    bool enabled = true;
    bool isSeparator = false;
};

// NSMenu
class Menu {
  public:
    explicit Menu(std::string title) : title(std::move(title)) {}

    std::string title;
    bool autoenablesItems = true;

    void addItem(MenuItemPtr item) { items_.push_back(std::move(item)); }
    void removeAllItems() { items_.clear(); }
    const std::vector<MenuItemPtr>& items() const { return items_; }

  private:
    std::vector<MenuItemPtr> items_;
};

} // namespace orv
