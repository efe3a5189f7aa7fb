#pragma once
// NSPoint, NSSize, NSRect: points, with the origin at the lower left and y growing upwards.

namespace orv {

struct Point {
    double x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0, height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect makeRect(double x, double y, double width, double height) {
    return Rect{{x, y}, {width, height}};
}

} // namespace orv
