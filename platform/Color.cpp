#include "platform/Color.h"

namespace orv {

Color Color::label() {
    return {"labelColor", 0, 0, 0, 0.85};
}
Color Color::secondaryLabel() {
    return {"secondaryLabelColor", 0, 0, 0, 0.5};
}
Color Color::black() {
    return {"blackColor", 0, 0, 0, 1};
}
Color Color::white() {
    return {"whiteColor", 1, 1, 1, 1};
}
Color Color::systemGreen() {
    return {"systemGreenColor", 52 / 255.0, 199 / 255.0, 89 / 255.0, 1};
}
Color Color::controlAccent() {
    return {"controlAccentColor", 0, 122 / 255.0, 1, 1};
}
Color Color::windowBackground() {
    return {"windowBackgroundColor", 236 / 255.0, 236 / 255.0, 236 / 255.0, 1};
}

Color Color::withAlpha(double a) const {
    Color c = *this;
    c.alpha = a;
    return c;
}

} // namespace orv
