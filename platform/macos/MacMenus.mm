#include "platform/macos/MacMenus.h"

#include "platform/macos/Cocoa.h"
#include "platform/macos/MacImages.h"

@implementation ORVAction {
    std::function<void()> _function;
}

- (instancetype)initWithFunction:(std::function<void()>)function {
    if ((self = [super init])) {
        _function = std::move(function);
    }
    return self;
}

- (void)invoke:(id)sender {
    (void)sender;
    _function();
}

@end

namespace orv::mac {

NSMenu* nativeMenu(const Menu& menu, const BindItem& bind) {
    NSMenu* native = [[NSMenu alloc] initWithTitle:toNS(menu.title)];
    native.autoenablesItems = menu.autoenablesItems;
    for (const MenuItemPtr& item : menu.items()) {
        if (item->isSeparator) {
            [native addItem:[NSMenuItem separatorItem]];
            continue;
        }
        NSMenuItem* nativeItem = [[NSMenuItem alloc] initWithTitle:toNS(item->title)
                                                            action:nil
                                                     keyEquivalent:toNS(item->keyEquivalent)];
        nativeItem.enabled = item->enabled;
        if (item->image) {
            nativeItem.image = nativeImage(*item->image);
        }
        if (item->submenu) {
            nativeItem.submenu = nativeMenu(*item->submenu, bind);
        }
        bind(nativeItem, item);
        [native addItem:nativeItem];
    }
    return native;
}

} // namespace orv::mac
