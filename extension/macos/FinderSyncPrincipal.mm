// The extension's principal class, which Finder instantiates (NSExtensionPrincipalClass). It
// owns the portable FinderSync and its platform, hands Finder its menus, and forwards each
// menu action, which Finder sends here by selector, to the portable object.

#import <FinderSync/FinderSync.h>

#include "extension/FinderSync.h"
#include "platform/macos/Cocoa.h"
#include "platform/macos/MacExtensionPlatform.h"
#include "platform/macos/MacMenus.h"

#include <memory>

@interface FinderSync : FIFinderSync
@end

@implementation FinderSync {
    std::unique_ptr<orv::mac::MacExtensionPlatform> _platform;
    std::unique_ptr<orv::FinderSync> _finderSync;
}

- (instancetype)init {
    if ((self = [super init])) {
        _platform = std::make_unique<orv::mac::MacExtensionPlatform>();
        _finderSync = std::make_unique<orv::FinderSync>(_platform->platform());
    }
    return self;
}

- (NSMenu*)menuForMenuKind:(FIMenuKind)menuKind {
    // No target: Finder sends each item's action to this object.
    return orv::mac::nativeMenu(*_finderSync->menu(static_cast<std::uint64_t>(menuKind)),
                                [](NSMenuItem* item, const orv::MenuItemPtr& model) {
                                    if (!model->action.empty()) {
                                        item.action =
                                            NSSelectorFromString(orv::mac::toNS(model->action));
                                    }
                                });
}

- (void)forward:(const char*)selector {
    _finderSync->performAction(selector, nullptr);
}

// One line each, in the action table's order.
// clang-format off
- (IBAction)copyPath:(id)sender { [self forward:"copyPath:"]; }
- (IBAction)cutItems:(id)sender { [self forward:"cutItems:"]; }
- (IBAction)pasteItems:(id)sender { [self forward:"pasteItems:"]; }
- (IBAction)createTxt:(id)sender { [self forward:"createTxt:"]; }
- (IBAction)createCsv:(id)sender { [self forward:"createCsv:"]; }
- (IBAction)createHtml:(id)sender { [self forward:"createHtml:"]; }
- (IBAction)createPy:(id)sender { [self forward:"createPy:"]; }
- (IBAction)createJs:(id)sender { [self forward:"createJs:"]; }
- (IBAction)createSwift:(id)sender { [self forward:"createSwift:"]; }
- (IBAction)createSh:(id)sender { [self forward:"createSh:"]; }
- (IBAction)createMd:(id)sender { [self forward:"createMd:"]; }
- (IBAction)createJson:(id)sender { [self forward:"createJson:"]; }
- (IBAction)createRtf:(id)sender { [self forward:"createRtf:"]; }
- (IBAction)createDocx:(id)sender { [self forward:"createDocx:"]; }
- (IBAction)createXlsx:(id)sender { [self forward:"createXlsx:"]; }
- (IBAction)createPptx:(id)sender { [self forward:"createPptx:"]; }
- (IBAction)createPages:(id)sender { [self forward:"createPages:"]; }
- (IBAction)createNumbers:(id)sender { [self forward:"createNumbers:"]; }
- (IBAction)createKey:(id)sender { [self forward:"createKey:"]; }
- (IBAction)toggleHiddenFiles:(id)sender { [self forward:"toggleHiddenFiles:"]; }
// clang-format on

@end
