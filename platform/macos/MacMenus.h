#pragma once
// The retained Menu model as an NSMenu. How a chosen item reaches its action is the caller's:
// the Finder extension leaves the selector to Finder, the host sends the item's action.

#include "platform/Menu.h"

#include <functional>

#ifdef __OBJC__
#import <Foundation/Foundation.h>

@class NSMenu;
@class NSMenuItem;

namespace orv::mac {

using BindItem = std::function<void(NSMenuItem* _Nonnull, const MenuItemPtr&)>;
NSMenu* _Nonnull nativeMenu(const Menu& menu, const BindItem& bind);

} // namespace orv::mac

// Calls a C++ function when its action, invoke:, is sent.
@interface ORVAction : NSObject
- (nonnull instancetype)initWithFunction:(std::function<void()>)function;
- (void)invoke:(nullable id)sender;
@end
#endif
