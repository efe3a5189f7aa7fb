#pragma once
// AppKit views, windows and layout constraints as retained objects that record every property
// the product sets, so tests can read them back and a backend can present them.

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/UIObject.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orv {

class View;
class Window;
struct LayoutConstraint;
using ViewPtr = std::shared_ptr<View>;
using WindowPtr = std::shared_ptr<Window>;
using LayoutConstraintPtr = std::shared_ptr<LayoutConstraint>;

// NSFont systemFontOfSize:weight:
struct Font {
    double pointSize = 13;
    FontWeight weight = FontWeight::regular;
    friend bool operator==(const Font&, const Font&) = default;
};

// NSTextAlignment
enum class TextAlignment { left, center, right, natural };

// NSLayoutAttribute
enum class LayoutAttribute { leading, trailing, top, bottom, width, height, centerX, centerY };
// NSLayoutRelation
enum class LayoutRelation { lessThanOrEqual = -1, equal = 0, greaterThanOrEqual = 1 };

// NSLayoutAnchor: makes constraints between two views' attributes, or to a constant.
struct LayoutAnchor {
    std::weak_ptr<View> view;
    LayoutAttribute attribute;

    // constraintEqualToAnchor:constant:
    LayoutConstraintPtr constraintEqualTo(const LayoutAnchor& other, double constant = 0) const;
    // constraintGreaterThanOrEqualToAnchor:constant:
    LayoutConstraintPtr constraintGreaterThanOrEqualTo(const LayoutAnchor& other,
                                                       double constant = 0) const;
    // constraintEqualToConstant:
    LayoutConstraintPtr constraintEqualToConstant(double constant) const;
    // constraintGreaterThanOrEqualToConstant:
    LayoutConstraintPtr constraintGreaterThanOrEqualToConstant(double constant) const;
};

// NSLayoutConstraint: first.attribute relation second.attribute × multiplier + constant.
struct LayoutConstraint {
    std::weak_ptr<View> firstItem;
    LayoutAttribute firstAttribute;
    LayoutRelation relation = LayoutRelation::equal;
    std::weak_ptr<View> secondItem; // empty for a constant
    std::optional<LayoutAttribute> secondAttribute;
    double multiplier = 1;
    double constant = 0;
    bool active = false;

    // activateConstraints: each goes to the closest common ancestor of its items (the item
    // itself for a constant), where constraints() lists it.
    static void activate(const std::vector<LayoutConstraintPtr>& constraints);
};

// NSView
class View : public UIObject, public std::enable_shared_from_this<View> {
  public:
    explicit View(Rect frame = {}) : frame(frame) {}
    // The AppKit class the object stands for, for printing.
    virtual std::string className() const { return "NSView"; }

    Rect frame;
    bool translatesAutoresizingMaskIntoConstraints = true;
    bool wantsLayer = false;
    // The backing layer's properties (CALayer backgroundColor, cornerRadius).
    std::optional<Color> layerBackgroundColor;
    double layerCornerRadius = 0;
    float horizontalContentHuggingPriority = 250;

    void addSubview(const ViewPtr& view);
    const std::vector<ViewPtr>& subviews() const { return subviews_; }
    View* superview() const { return superview_; }
    // The window this view is in, through its superviews.
    Window* window() const;
    const std::vector<LayoutConstraintPtr>& constraints() const { return constraints_; }

    LayoutAnchor leadingAnchor() { return {weak_from_this(), LayoutAttribute::leading}; }
    LayoutAnchor trailingAnchor() { return {weak_from_this(), LayoutAttribute::trailing}; }
    LayoutAnchor topAnchor() { return {weak_from_this(), LayoutAttribute::top}; }
    LayoutAnchor bottomAnchor() { return {weak_from_this(), LayoutAttribute::bottom}; }
    LayoutAnchor widthAnchor() { return {weak_from_this(), LayoutAttribute::width}; }
    LayoutAnchor heightAnchor() { return {weak_from_this(), LayoutAttribute::height}; }
    LayoutAnchor centerXAnchor() { return {weak_from_this(), LayoutAttribute::centerX}; }
    LayoutAnchor centerYAnchor() { return {weak_from_this(), LayoutAttribute::centerY}; }

  private:
    friend class Window;
    friend struct LayoutConstraint;
    std::vector<ViewPtr> subviews_;
    View* superview_ = nullptr;
    Window* window_ = nullptr; // set on a window's content view
    std::vector<LayoutConstraintPtr> constraints_;
};

// NSTextField used as a label.
class TextField : public View {
  public:
    // labelWithString: one line, not editable, not selectable
    static std::shared_ptr<TextField> labelWithString(std::string text);
    // wrappingLabelWithString: wraps to as many lines as it needs
    static std::shared_ptr<TextField> wrappingLabelWithString(std::string text);
    std::string className() const override { return "NSTextField"; }

    std::string stringValue;
    std::optional<Font> font;
    Color textColor = Color::label();
    TextAlignment alignment = TextAlignment::natural;
    bool wraps = false;
    bool editable = false;
};

// NSButton
class Button : public View {
  public:
    // buttonWithTitle:target:action:
    static std::shared_ptr<Button> withTitle(std::string title, Responder* target,
                                             std::string action);
    std::string className() const override { return "NSButton"; }

    std::string title;
    int bezelStyle = 1; // NSBezelStyle: push = 1, inline = 15
    bool bordered = true;
    std::optional<Font> font;
    std::optional<Color> contentTintColor;
    Responder* target = nullptr; // not owned, as in AppKit
    std::string action;

    // performClick: sends the action to the target.
    void performClick();
};

// NSBox
class Box : public View {
  public:
    std::string className() const override { return "NSBox"; }
    int boxType = 0; // NSBoxType: primary = 0, separator = 2
};

// NSImageView
class ImageView : public View {
  public:
    std::string className() const override { return "NSImageView"; }
    ImagePtr image;
};

// NSWindowStyleMask
namespace WindowStyle {
inline constexpr std::uint64_t titled = 1, closable = 2, miniaturizable = 4, resizable = 8,
                               fullSizeContentView = 1u << 15;
}

// NSWindow
class Window : public UIObject, public std::enable_shared_from_this<Window> {
  public:
    // initWithContentRect:styleMask:backing:defer:
    Window(Rect contentRect, std::uint64_t styleMask, int backing, bool defer);

    Rect contentRect;
    std::uint64_t styleMask;
    int backing; // NSBackingStoreBuffered = 2
    bool defer;
    bool titlebarAppearsTransparent = false;
    int titleVisibility = 0; // NSWindowTitleVisible = 0, hidden = 1
    bool movableByWindowBackground = false;
    std::string title;
    std::string frameAutosaveName;
    bool visible = false;
    bool key = false;
    int centerCount = 0; // how often center was asked for
    int frontCount = 0;  // how often it was ordered to the front

    void setContentView(const ViewPtr& view);
    const ViewPtr& contentView() const { return contentView_; }
    // center
    void center() { ++centerCount; }
    // makeKeyAndOrderFront:
    void makeKeyAndOrderFront(Sender sender);
    // orderFront:
    void orderFront(Sender sender);
    // close: hides the window; it is not released while someone holds it.
    void close();

  private:
    ViewPtr contentView_;
};

// NSWindowController
class WindowController : public UIObject {
  public:
    explicit WindowController(WindowPtr window) : window_(std::move(window)) {}
    const WindowPtr& window() const { return window_; }
    // showWindow: brings the window to the front.
    void showWindow(Sender sender);

  private:
    WindowPtr window_;
};

} // namespace orv
