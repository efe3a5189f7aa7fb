#pragma once
// NSColor: a named system colour or a plain RGBA colour. The name keeps the semantic colour
// readable in tests and in the printed interface; the components are its light-appearance value.

#include <string>

namespace orv {

struct Color {
    std::string name; // "labelColor", "systemGreenColor", ... or "" for a plain colour
    double red = 0, green = 0, blue = 0, alpha = 1;

    static Color label();            // NSColor labelColor
    static Color secondaryLabel();   // NSColor secondaryLabelColor
    static Color black();            // NSColor blackColor
    static Color white();            // NSColor whiteColor
    static Color systemGreen();      // NSColor systemGreenColor
    static Color controlAccent();    // NSColor controlAccentColor
    static Color windowBackground(); // NSColor windowBackgroundColor

    // NSColor colorWithAlphaComponent:
    Color withAlpha(double a) const;

    friend bool operator==(const Color&, const Color&) = default;
};

} // namespace orv
