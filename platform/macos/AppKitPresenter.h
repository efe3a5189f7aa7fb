#pragma once
// Presents the retained windows, views and status items with AppKit, and keeps them in step
// with the models: sync() runs before the main run loop waits, so whatever the portable code
// changed in a turn is on screen at the end of that turn.

#include "platform/Application.h"

#include <cstdint>
#include <memory>
#include <vector>

#ifdef __OBJC__
@class NSWindow;
@class NSView;
@class NSStatusItem;
@class NSMenu;

namespace orv::mac {

class AppKitPresenter {
  public:
    explicit AppKitPresenter(Application& application) : application_(application) {}
    void present(const WindowPtr& window);
    void present(const StatusItemPtr& item, NSStatusItem* _Nonnull native);
    void sync();

  private:
    struct ShownView {
        std::weak_ptr<View> model;
        NSView* _Nonnull native;
        ImagePtr image;    // the image the native view shows
        id _Nullable keep; // a button's target, which the button holds only weakly
    };
    struct ShownWindow {
        std::weak_ptr<Window> model;
        NSWindow* _Nullable native;
        std::vector<std::uint64_t> shape; // the views and constraints it was built from
        std::vector<ShownView> views;
        int centerCount = 0;
        int frontCount = 0;
        id _Nullable closeObserver; // hears the user close the window
    };
    struct ShownStatusItem {
        std::weak_ptr<StatusItem> model;
        NSStatusItem* _Nonnull native;
        ImagePtr image;
        MenuPtr menu;
        std::vector<std::uint64_t> menuShape;
    };
    void syncWindow(ShownWindow& shown);
    void build(ShownWindow& shown, Window& window);
    NSView* _Nonnull buildView(const ViewPtr& view, std::vector<ShownView>& views);
    void syncStatusItem(ShownStatusItem& shown);

    Application& application_;
    std::vector<ShownWindow> windows_;
    std::vector<ShownStatusItem> statusItems_;
};

} // namespace orv::mac
#endif
