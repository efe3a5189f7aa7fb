#include "platform/macos/AppKitPresenter.h"

#include "platform/macos/Cocoa.h"
#include "platform/macos/MacImages.h"
#include "platform/macos/MacMenus.h"

#include <bit>

namespace orv::mac {

namespace {

NSLayoutAttribute layoutAttribute(LayoutAttribute attribute) {
    switch (attribute) {
    case LayoutAttribute::leading:
        return NSLayoutAttributeLeading;
    case LayoutAttribute::trailing:
        return NSLayoutAttributeTrailing;
    case LayoutAttribute::top:
        return NSLayoutAttributeTop;
    case LayoutAttribute::bottom:
        return NSLayoutAttributeBottom;
    case LayoutAttribute::width:
        return NSLayoutAttributeWidth;
    case LayoutAttribute::height:
        return NSLayoutAttributeHeight;
    case LayoutAttribute::centerX:
        return NSLayoutAttributeCenterX;
    case LayoutAttribute::centerY:
        return NSLayoutAttributeCenterY;
    }
    return NSLayoutAttributeNotAnAttribute;
}

NSTextAlignment textAlignment(TextAlignment alignment) {
    switch (alignment) {
    case TextAlignment::left:
        return NSTextAlignmentLeft;
    case TextAlignment::center:
        return NSTextAlignmentCenter;
    case TextAlignment::right:
        return NSTextAlignmentRight;
    case TextAlignment::natural:
        return NSTextAlignmentNatural;
    }
    return NSTextAlignmentNatural;
}

NSFont* systemFont(const Font& font) {
    return [NSFont systemFontOfSize:font.pointSize weight:fontWeight(font.weight)];
}

void addShape(std::vector<std::uint64_t>& shape, const void* object) {
    shape.push_back(reinterpret_cast<std::uintptr_t>(object));
}

// What a rebuild depends on: which views, in which order, and their constraints.
void shapeOf(const View& view, std::vector<std::uint64_t>& shape) {
    addShape(shape, &view);
    for (const auto& constraint : view.constraints()) {
        addShape(shape, constraint.get());
        shape.push_back(std::bit_cast<std::uint64_t>(constraint->constant));
        shape.push_back(constraint->active ? 1 : 0);
    }
    for (const auto& subview : view.subviews()) {
        shapeOf(*subview, shape);
    }
    shape.push_back(0); // end of this view's children
}

NSView* makeNative(const ViewPtr& view, id __strong& keep) {
    const std::weak_ptr<View> weak = view;
    if (const auto* label = dynamic_cast<const TextField*>(view.get())) {
        return label->wraps ? [NSTextField wrappingLabelWithString:toNS(label->stringValue)]
                            : [NSTextField labelWithString:toNS(label->stringValue)];
    }
    if (const auto* button = dynamic_cast<const Button*>(view.get())) {
        ORVAction* click = [[ORVAction alloc] initWithFunction:[weak] {
            if (const auto held = std::dynamic_pointer_cast<Button>(weak.lock())) {
                held->performClick();
            }
        }];
        NSButton* native = [NSButton buttonWithTitle:toNS(button->title)
                                              target:click
                                              action:@selector(invoke:)];
        keep = click;
        return native;
    }
    if (dynamic_cast<const Box*>(view.get()) != nullptr) {
        return [[NSBox alloc] initWithFrame:NSZeroRect];
    }
    if (dynamic_cast<const ImageView*>(view.get()) != nullptr) {
        return [[NSImageView alloc] initWithFrame:NSZeroRect];
    }
    return [[NSView alloc] initWithFrame:NSZeroRect];
}

// Sets an object-valued property only when the value differs: setting an equal one again would
// still mark the view for display, at every turn of the run loop.
template <class Set> void setIfChanged(id _Nullable current, id _Nullable wanted, Set set) {
    if (current != wanted && ![current isEqual:wanted]) {
        set(wanted);
    }
}

// Properties the portable code may change after the window is shown. The frame is not among
// them: it is set once, so AppKit's layout and the user's resizing are not undone.
void apply(const View& view, NSView* native, ImagePtr& shownImage) {
    native.translatesAutoresizingMaskIntoConstraints =
        view.translatesAutoresizingMaskIntoConstraints;
    native.wantsLayer = view.wantsLayer;
    if (view.wantsLayer && native.layer != nil) {
        native.layer.backgroundColor =
            view.layerBackgroundColor ? toNS(*view.layerBackgroundColor).CGColor : nil;
        native.layer.cornerRadius = view.layerCornerRadius;
    }
    [native setContentHuggingPriority:view.horizontalContentHuggingPriority
                       forOrientation:NSLayoutConstraintOrientationHorizontal];
    if (const auto* label = dynamic_cast<const TextField*>(&view)) {
        NSTextField* field = static_cast<NSTextField*>(native);
        setIfChanged(field.stringValue, toNS(label->stringValue),
                     [&](id v) { field.stringValue = v; });
        setIfChanged(field.textColor, toNS(label->textColor), [&](id v) { field.textColor = v; });
        field.alignment = textAlignment(label->alignment);
        field.editable = label->editable;
        if (label->font) {
            setIfChanged(field.font, systemFont(*label->font), [&](id v) { field.font = v; });
        }
    } else if (const auto* button = dynamic_cast<const Button*>(&view)) {
        NSButton* control = static_cast<NSButton*>(native);
        setIfChanged(control.title, toNS(button->title), [&](id v) { control.title = v; });
        control.bezelStyle = static_cast<NSBezelStyle>(button->bezelStyle);
        control.bordered = button->bordered;
        setIfChanged(control.contentTintColor,
                     button->contentTintColor ? toNS(*button->contentTintColor) : nil,
                     [&](id v) { control.contentTintColor = v; });
        if (button->font) {
            setIfChanged(control.font, systemFont(*button->font), [&](id v) { control.font = v; });
        }
    } else if (const auto* box = dynamic_cast<const Box*>(&view)) {
        static_cast<NSBox*>(native).boxType = static_cast<NSBoxType>(box->boxType);
    } else if (const auto* imageView = dynamic_cast<const ImageView*>(&view)) {
        if (imageView->image != shownImage) {
            shownImage = imageView->image;
            static_cast<NSImageView*>(native).image = shownImage ? nativeImage(*shownImage) : nil;
        }
    }
}

} // namespace

void AppKitPresenter::present(const WindowPtr& window) {
    windows_.push_back({window, nil, {}, {}, 0, 0, nil});
}

void AppKitPresenter::present(const StatusItemPtr& item, NSStatusItem* native) {
    statusItems_.push_back({item, native, nullptr, nullptr, {}});
}

void AppKitPresenter::sync() {
    std::erase_if(windows_, [](ShownWindow& shown) {
        if (!shown.model.expired()) {
            return false;
        }
        [shown.native close];
        if (shown.closeObserver != nil) {
            [NSNotificationCenter.defaultCenter removeObserver:shown.closeObserver];
        }
        return true;
    });
    for (ShownWindow& shown : windows_) {
        syncWindow(shown);
    }
    std::erase_if(statusItems_, [](const ShownStatusItem& shown) { return shown.model.expired(); });
    for (ShownStatusItem& shown : statusItems_) {
        syncStatusItem(shown);
    }
}

void AppKitPresenter::syncWindow(ShownWindow& shown) {
    const auto window = shown.model.lock();
    if (shown.native == nil) {
        if (!window->visible) {
            return; // made on first showing, as AppKit defers a window
        }
        shown.native =
            [[NSWindow alloc] initWithContentRect:toNS(window->contentRect)
                                        styleMask:static_cast<NSWindowStyleMask>(window->styleMask)
                                          backing:NSBackingStoreBuffered
                                            defer:window->defer];
        shown.native.releasedWhenClosed = NO;
        const std::weak_ptr<Window> weak = window;
        shown.closeObserver =
            [NSNotificationCenter.defaultCenter addObserverForName:NSWindowWillCloseNotification
                                                            object:shown.native
                                                             queue:nil
                                                        usingBlock:^(NSNotification*) {
                                                          if (const auto closed = weak.lock()) {
                                                              closed->visible = false;
                                                              closed->key = false;
                                                          }
                                                        }];
        if (!window->frameAutosaveName.empty()) {
            [shown.native setFrameAutosaveName:toNS(window->frameAutosaveName)];
        }
    }
    NSWindow* native = shown.native;
    native.title = toNS(window->title);
    native.styleMask = static_cast<NSWindowStyleMask>(window->styleMask);
    native.titlebarAppearsTransparent = window->titlebarAppearsTransparent;
    native.titleVisibility = static_cast<NSWindowTitleVisibility>(window->titleVisibility);
    native.movableByWindowBackground = window->movableByWindowBackground;

    std::vector<std::uint64_t> shape;
    if (window->contentView()) {
        shapeOf(*window->contentView(), shape);
    }
    if (shape != shown.shape) {
        build(shown, *window);
        shown.shape = std::move(shape);
    }
    for (ShownView& view : shown.views) {
        if (const auto model = view.model.lock()) {
            apply(*model, view.native, view.image);
        }
    }
    if (window->centerCount != shown.centerCount) {
        shown.centerCount = window->centerCount;
        [native center];
    }
    if (window->frontCount != shown.frontCount && window->visible) {
        shown.frontCount = window->frontCount;
        if (window->key) {
            [native makeKeyAndOrderFront:nil];
        } else {
            [native orderFront:nil];
        }
    } else if (!window->visible && native.visible) {
        [native orderOut:nil];
    }
}

void AppKitPresenter::build(ShownWindow& shown, Window& window) {
    shown.views.clear();
    if (!window.contentView()) {
        shown.native.contentView = [[NSView alloc] init];
        return;
    }
    shown.native.contentView = buildView(window.contentView(), shown.views);
    const auto nativeOf = [&shown](const std::weak_ptr<View>& model) -> NSView* {
        const auto held = model.lock();
        for (const ShownView& view : shown.views) {
            if (view.model.lock() == held) {
                return view.native;
            }
        }
        return nil;
    };
    NSMutableArray<NSLayoutConstraint*>* active = [NSMutableArray array];
    for (const ShownView& view : shown.views) {
        for (const auto& constraint : view.model.lock()->constraints()) {
            NSView* first = nativeOf(constraint->firstItem);
            NSView* second = constraint->secondAttribute ? nativeOf(constraint->secondItem) : nil;
            if (first == nil || (constraint->secondAttribute && second == nil)) {
                continue; // an item that is not in this window
            }
            NSLayoutConstraint* native = [NSLayoutConstraint
                constraintWithItem:first
                         attribute:layoutAttribute(constraint->firstAttribute)
                         relatedBy:static_cast<NSLayoutRelation>(constraint->relation)
                            toItem:second
                         attribute:constraint->secondAttribute
                                       ? layoutAttribute(*constraint->secondAttribute)
                                       : NSLayoutAttributeNotAnAttribute
                        multiplier:constraint->multiplier
                          constant:constraint->constant];
            if (constraint->active) {
                [active addObject:native];
            }
        }
    }
    [NSLayoutConstraint activateConstraints:active];
}

NSView* AppKitPresenter::buildView(const ViewPtr& view, std::vector<ShownView>& views) {
    id keep = nil;
    NSView* native = makeNative(view, keep);
    if (view->translatesAutoresizingMaskIntoConstraints) {
        native.frame = toNS(view->frame);
    }
    views.push_back({view, native, nullptr, keep});
    for (const ViewPtr& subview : view->subviews()) {
        [native addSubview:buildView(subview, views)];
    }
    return native;
}

void AppKitPresenter::syncStatusItem(ShownStatusItem& shown) {
    const auto item = shown.model.lock();
    NSStatusItem* native = shown.native;
    native.length = item->length;
    const ImagePtr image = item->button ? item->button->image : nullptr;
    if (image != shown.image && native.button != nil) {
        shown.image = image;
        native.button.image = image ? nativeImage(*image) : nil;
    }
    std::vector<std::uint64_t> shape;
    if (item->menu) {
        for (const auto& entry : item->menu->items()) {
            addShape(shape, entry.get());
            shape.push_back(entry->enabled ? 1 : 0);
            shape.push_back(std::hash<std::string>{}(entry->title));
        }
    }
    if (item->menu != shown.menu || shape != shown.menuShape) {
        shown.menu = item->menu;
        shown.menuShape = std::move(shape);
        Application& application = application_;
        native.menu = !item->menu
                          ? nil
                          : nativeMenu(*item->menu, [&application](NSMenuItem* nativeItem,
                                                                   const MenuItemPtr& entry) {
                                if (entry->action.empty()) {
                                    return;
                                }
                                ORVAction* send =
                                    [[ORVAction alloc] initWithFunction:[&application, entry] {
                                        sendAction(*entry, application);
                                    }];
                                nativeItem.target = send;
                                nativeItem.action = @selector(invoke:);
                                nativeItem.representedObject = send; // the target is weak
                            });
    }
}

} // namespace orv::mac
