#include "platform/linux/UiPrinter.h"

#include "platform/Text.h"

#include <cstdio>
#include <cxxabi.h>
#include <map>
#include <memory>
#include <typeinfo>

namespace orv::lnx {

namespace {

std::string number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else {
            if (c == '"' || c == '\\') {
                out += '\\';
            }
            out += c;
        }
    }
    return out + "\"";
}

// The target's class name, as AppKit's debugging output names it.
std::string className(const Responder& responder) {
    const char* mangled = typeid(responder).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    const auto colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

const char* weightName(FontWeight weight) {
    switch (weight) {
    case FontWeight::ultraLight:
        return "ultraLight";
    case FontWeight::thin:
        return "thin";
    case FontWeight::light:
        return "light";
    case FontWeight::regular:
        return "regular";
    case FontWeight::medium:
        return "medium";
    case FontWeight::semibold:
        return "semibold";
    case FontWeight::bold:
        return "bold";
    case FontWeight::heavy:
        return "heavy";
    case FontWeight::black:
        return "black";
    }
    return "?";
}

const char* attributeName(LayoutAttribute attribute) {
    switch (attribute) {
    case LayoutAttribute::leading:
        return "leading";
    case LayoutAttribute::trailing:
        return "trailing";
    case LayoutAttribute::top:
        return "top";
    case LayoutAttribute::bottom:
        return "bottom";
    case LayoutAttribute::width:
        return "width";
    case LayoutAttribute::height:
        return "height";
    case LayoutAttribute::centerX:
        return "centerX";
    case LayoutAttribute::centerY:
        return "centerY";
    }
    return "?";
}

std::string describeImage(const ImagePtr& image) {
    if (!image) {
        return "none";
    }
    std::string text = image->symbolName.empty() ? (image->name.empty() ? "image" : image->name)
                                                 : "symbol " + image->symbolName;
    text += concat({" ", number(image->size().width), "x", number(image->size().height), "pt"});
    if (image->isTemplate) {
        text += " template";
    }
    return text;
}

class WindowPrinter {
  public:
    std::string print(const Window& window) {
        std::string out = "window " + quoted(window.frameAutosaveName) + " " +
                          lnx::number(window.contentRect.size.width) + "x" +
                          lnx::number(window.contentRect.size.height) + " style " +
                          std::to_string(window.styleMask) +
                          (window.visible ? " visible" : " hidden") + (window.key ? " key" : "") +
                          (window.titlebarAppearsTransparent ? " transparent-titlebar" : "") +
                          (window.titleVisibility == 1 ? " title-hidden" : "") +
                          (window.movableByWindowBackground ? " movable-by-background" : "") + "\n";
        if (window.contentView()) {
            assignNames(*window.contentView());
            out += views(*window.contentView(), "  ");
            out += "  constraints:\n";
            constraints(*window.contentView(), out);
        }
        return out;
    }

  private:
    void assignNames(const View& view) {
        names_[&view] = concat({"#", std::to_string(names_.size() + 1), " ", view.className()});
        for (const auto& sub : view.subviews()) {
            assignNames(*sub);
        }
    }

    std::string name(const std::weak_ptr<View>& view) const {
        const auto v = view.lock();
        const auto found = v ? names_.find(v.get()) : names_.end();
        return found == names_.end() ? "?" : found->second;
    }

    std::string views(const View& view, const std::string& indent) {
        std::string line = indent + names_[&view];
        if (const auto* label = dynamic_cast<const TextField*>(&view)) {
            line += concat({" ", quoted(label->stringValue), label->wraps ? " wrapping" : "",
                            " color ", describeColor(label->textColor)});
            if (label->font) {
                line += " font " + lnx::number(label->font->pointSize) + " " +
                        weightName(label->font->weight);
            }
            line += label->alignment == TextAlignment::center ? " centred" : "";
        } else if (const auto* button = dynamic_cast<const Button*>(&view)) {
            line +=
                concat({" ", quoted(button->title), " bezel ", std::to_string(button->bezelStyle),
                        button->bordered ? " bordered" : " borderless", " action ",
                        button->action.empty() ? "-" : button->action});
            if (button->font) {
                line += " font " + lnx::number(button->font->pointSize) + " " +
                        weightName(button->font->weight);
            }
            if (button->contentTintColor) {
                line += " tint " + describeColor(*button->contentTintColor);
            }
        } else if (const auto* box = dynamic_cast<const Box*>(&view)) {
            line += " type " + std::to_string(box->boxType);
        } else if (const auto* imageView = dynamic_cast<const ImageView*>(&view)) {
            line += " " + describeImage(imageView->image);
        }
        if (view.layerBackgroundColor) {
            line += " background " + describeColor(*view.layerBackgroundColor);
        }
        if (view.layerCornerRadius != 0) {
            line += " radius " + lnx::number(view.layerCornerRadius);
        }
        line += "\n";
        for (const auto& sub : view.subviews()) {
            line += views(*sub, indent + "  ");
        }
        return line;
    }

    void constraints(const View& view, std::string& out) {
        for (const auto& c : view.constraints()) {
            out += "    " + name(c->firstItem) + "." + attributeName(c->firstAttribute) +
                   (c->relation == LayoutRelation::equal                ? " = "
                    : c->relation == LayoutRelation::greaterThanOrEqual ? " >= "
                                                                        : " <= ");
            if (c->secondAttribute) {
                out += name(c->secondItem) + "." + attributeName(*c->secondAttribute);
                if (c->constant != 0) {
                    out += (c->constant > 0 ? " + " : " - ") +
                           lnx::number(c->constant > 0 ? c->constant : -c->constant);
                }
            } else {
                out += lnx::number(c->constant);
            }
            out += "\n";
        }
        for (const auto& sub : view.subviews()) {
            constraints(*sub, out);
        }
    }

    std::map<const View*, std::string> names_;
};

} // namespace

std::string describeColor(const Color& color) {
    std::string name = color.name.empty() ? "rgb(" + number(color.red) + "," + number(color.green) +
                                                "," + number(color.blue) + ")"
                                          : color.name;
    if (color.alpha != 1) {
        name += concat({"@", number(color.alpha)});
    }
    return name;
}

std::string describeMenu(const Menu& menu, const std::string& indent) {
    std::string out;
    for (const auto& item : menu.items()) {
        if (item->isSeparator) {
            out += indent + "----\n";
            continue;
        }
        out += indent + quoted(item->title) + " action " +
               (item->action.empty() ? "-" : item->action) + " target " +
               (item->target != nullptr ? className(*item->target) : "-") + " key " +
               (item->keyEquivalent.empty() ? "-" : "cmd-" + item->keyEquivalent) +
               (item->enabled ? " enabled" : " disabled") + "\n";
        if (item->submenu) {
            out += describeMenu(*item->submenu, indent + "  ");
        }
    }
    return out;
}

std::string describeUserInterface(const Application& application,
                                  const std::vector<StatusItemPtr>& statusItems) {
    const auto policy = application.activationPolicy();
    std::string out = std::string("activation policy ") +
                      (policy == ActivationPolicy::regular     ? "regular (Dock icon)"
                       : policy == ActivationPolicy::accessory ? "accessory (status item only)"
                                                               : "prohibited") +
                      "\n";
    for (const auto& item : statusItems) {
        out += "status item length " + number(item->length) + " icon " +
               (item->button ? describeImage(item->button->image) : "no button") + "\n";
        if (item->menu) {
            out += std::string("  menu autoenables ") +
                   (item->menu->autoenablesItems ? "yes" : "no") + "\n" +
                   describeMenu(*item->menu, "    ");
        }
    }
    for (const auto& window : application.windows()) {
        if (window->visible) {
            out += WindowPrinter().print(*window);
        }
    }
    return out;
}

} // namespace orv::lnx
