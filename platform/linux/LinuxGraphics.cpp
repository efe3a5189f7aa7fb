#include "platform/linux/LinuxGraphics.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orv::lnx {

namespace {

using Pixel = std::array<float, 4>; // premultiplied RGBA

Pixel premultiplied(const Color& c, double alpha) {
    const auto a = static_cast<float>(c.alpha * alpha);
    return {static_cast<float>(c.red) * a, static_cast<float>(c.green) * a,
            static_cast<float>(c.blue) * a, a};
}

Pixel composite(const Pixel& s, const Pixel& d, CompositingOperation op) {
    const float sa = s[3], da = d[3];
    float fs = 0, fd = 0; // D' = S·fs + D·fd (Porter–Duff)
    switch (op) {
    case CompositingOperation::clear:
        fs = 0, fd = 0;
        break;
    case CompositingOperation::copy:
        fs = 1, fd = 0;
        break;
    case CompositingOperation::sourceOver:
        fs = 1, fd = 1 - sa;
        break;
    case CompositingOperation::sourceIn:
        fs = da, fd = 0;
        break;
    case CompositingOperation::sourceOut:
        fs = 1 - da, fd = 0;
        break;
    case CompositingOperation::sourceAtop:
        fs = da, fd = 1 - sa;
        break;
    case CompositingOperation::destinationOver:
        fs = 1 - da, fd = 1;
        break;
    case CompositingOperation::destinationIn:
        fs = 0, fd = sa;
        break;
    case CompositingOperation::destinationOut:
        fs = 0, fd = 1 - sa;
        break;
    case CompositingOperation::destinationAtop:
        fs = 1 - da, fd = sa;
        break;
    }
    Pixel out;
    for (int i = 0; i < 4; ++i) {
        out[i] = std::clamp(s[i] * fs + d[i] * fd, 0.0f, 1.0f);
    }
    return out;
}

Rect intersect(Rect a, Rect b) {
    const double x0 = std::max(a.origin.x, b.origin.x);
    const double y0 = std::max(a.origin.y, b.origin.y);
    const double x1 = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width);
    const double y1 = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height);
    return makeRect(x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0));
}

bool contains(Rect r, double x, double y) {
    return x >= r.origin.x && x < r.origin.x + r.size.width && y >= r.origin.y &&
           y < r.origin.y + r.size.height;
}

// Signed distance to a rounded rectangle centred at the origin (negative inside).
double roundedBoxDistance(double x, double y, double halfWidth, double halfHeight, double radius) {
    const double qx = std::abs(x) - halfWidth + radius;
    const double qy = std::abs(y) - halfHeight + radius;
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// The computer mouse: a tall rounded body whose upper part is split into two buttons.
bool mouseGlyph(bool filled, double u, double v) {
    const double x = u - 0.5, y = v - 0.5;
    const double halfWidth = 0.42, halfHeight = 0.46, radius = 0.40;
    const double stroke = 0.13;
    const double d = roundedBoxDistance(x, y, halfWidth, halfHeight, radius);
    if (d > 0) {
        return false;
    }
    const double buttonLine = 0.08; // the line under the buttons, at 55 % of the height
    const bool onButtonLine = std::abs(v - 0.55) < stroke / 2 && d < 0;
    const bool onDivider = std::abs(u - 0.5) < stroke / 2 && v > 0.55;
    if (filled) {
        // Solid, with thin gaps between the buttons and the body.
        return !(std::abs(v - 0.55) < buttonLine / 2 ||
                 (std::abs(u - 0.5) < buttonLine / 2 && v > 0.55));
    }
    return d > -stroke || onButtonLine || onDivider;
}

bool roundedSquareGlyph(double u, double v) {
    const double d = roundedBoxDistance(u - 0.5, v - 0.5, 0.42, 0.42, 0.12);
    return d <= 0 && d > -0.12;
}

} // namespace

float symbolCoverage(std::string_view symbolName, double u, double v) {
    if (u < 0 || u > 1 || v < 0 || v > 1) {
        return 0;
    }
    if (symbolName == "computermouse") {
        return mouseGlyph(false, u, v) ? 1.0f : 0.0f;
    }
    if (symbolName == "computermouse.fill") {
        return mouseGlyph(true, u, v) ? 1.0f : 0.0f;
    }
    return roundedSquareGlyph(u, v) ? 1.0f : 0.0f;
}

void LinuxGraphics::lockFocus(Image& image) {
    const Size size = image.size();
    const int width = static_cast<int>(std::ceil(size.width * kBackingScale));
    const int height = static_cast<int>(std::ceil(size.height * kBackingScale));
    if (!image.raster || image.raster->width != width || image.raster->height != height) {
        image.raster = Image::Raster{width, height, kBackingScale,
                                     std::vector<float>(static_cast<std::size_t>(width) *
                                                            static_cast<std::size_t>(height) * 4,
                                                        0.0f)};
    }
    Context context{&image, State{}, {}};
    context.state.clip = Rect{{0, 0}, size};
    contexts_.push_back(std::move(context));
}

void LinuxGraphics::unlockFocus(Image& image) {
    if (!contexts_.empty() && contexts_.back().image == &image) {
        contexts_.pop_back();
    }
}

CompositingOperation LinuxGraphics::compositingOperation() const {
    return contexts_.empty() ? CompositingOperation::sourceOver : contexts_.back().state.operation;
}

void LinuxGraphics::setColor(const Color& color) {
    if (!contexts_.empty()) {
        contexts_.back().state.color = color;
    }
}

void LinuxGraphics::saveGraphicsState() {
    if (!contexts_.empty()) {
        contexts_.back().saved.push_back(contexts_.back().state);
    }
}

void LinuxGraphics::restoreGraphicsState() {
    if (!contexts_.empty() && !contexts_.back().saved.empty()) {
        contexts_.back().state = contexts_.back().saved.back();
        contexts_.back().saved.pop_back();
    }
}

void LinuxGraphics::addClip(Rect rect) {
    if (!contexts_.empty()) {
        auto& state = contexts_.back().state;
        state.clip = intersect(state.clip, rect);
    }
}

namespace {

// Calls `paint(x, y, px, py)` for every pixel of the raster whose centre lies in `area`
// (points), with (x, y) the centre in points (y upwards) and (px, py) the pixel (row 0 at top).
template <class Paint> void forEachPixel(const Image::Raster& raster, Rect area, Paint paint) {
    const double s = raster.scale;
    const int x0 = std::max(0, static_cast<int>(std::floor(area.origin.x * s)));
    const int x1 =
        std::min(raster.width, static_cast<int>(std::ceil((area.origin.x + area.size.width) * s)));
    const int y0 = std::max(0, static_cast<int>(std::floor(area.origin.y * s)));
    const int y1 = std::min(raster.height,
                            static_cast<int>(std::ceil((area.origin.y + area.size.height) * s)));
    for (int by = y0; by < y1; ++by) { // rows counted from the bottom
        for (int bx = x0; bx < x1; ++bx) {
            const double x = (bx + 0.5) / s, y = (by + 0.5) / s;
            if (contains(area, x, y)) {
                paint(x, y, bx, raster.height - 1 - by);
            }
        }
    }
}

// Composites `source` onto the raster's pixel (px, py).
void compositeAt(Image::Raster& raster, int px, int py, const Pixel& source,
                 CompositingOperation operation) {
    float* p = &raster.rgba[(static_cast<std::size_t>(py) * static_cast<std::size_t>(raster.width) +
                             static_cast<std::size_t>(px)) *
                            4];
    const Pixel out = composite(source, {p[0], p[1], p[2], p[3]}, operation);
    std::copy(out.begin(), out.end(), p);
}

// The source image's colour at (u, v) of its box: its raster, or its symbol glyph averaged
// over `samples` × `samples` points across one destination pixel (du, dv wide).
Pixel sample(const Image& image, double u, double v, double du, double dv, const Color& ink) {
    if (image.raster && image.raster->width > 0 && image.raster->height > 0) {
        const auto& r = *image.raster;
        const int px = std::clamp(static_cast<int>(u * r.width), 0, r.width - 1);
        const int py = std::clamp(static_cast<int>((1 - v) * r.height), 0, r.height - 1);
        const float* p = &r.rgba[(static_cast<std::size_t>(py) * static_cast<std::size_t>(r.width) +
                                  static_cast<std::size_t>(px)) *
                                 4];
        return {p[0], p[1], p[2], p[3]};
    }
    if (image.symbolName.empty()) {
        return {0, 0, 0, 0};
    }
    constexpr int samples = 4;
    float coverage = 0;
    for (int i = 0; i < samples; ++i) {
        for (int j = 0; j < samples; ++j) {
            coverage +=
                symbolCoverage(image.symbolName, u + (i + 0.5 - samples / 2.0) * du / samples,
                               v + (j + 0.5 - samples / 2.0) * dv / samples);
        }
    }
    return premultiplied(ink, coverage / (samples * samples));
}

} // namespace

void LinuxGraphics::fillRect(Rect rect, CompositingOperation operation) {
    if (contexts_.empty()) {
        return;
    }
    auto& context = contexts_.back();
    auto& raster = *context.image->raster;
    const Pixel source = premultiplied(context.state.color, 1);
    forEachPixel(raster, intersect(rect, context.state.clip), [&](double, double, int px, int py) {
        compositeAt(raster, px, py, source, operation);
    });
}

void LinuxGraphics::drawImage(const Image& image, Rect rect, CompositingOperation operation,
                              double fraction) {
    if (contexts_.empty() || rect.size.width <= 0 || rect.size.height <= 0) {
        return;
    }
    auto& context = contexts_.back();
    auto& raster = *context.image->raster;
    const Color ink = image.symbolConfiguration && !image.symbolConfiguration->paletteColors.empty()
                          ? image.symbolConfiguration->paletteColors.front()
                          : Color::black();
    const double du = 1 / (rect.size.width * raster.scale);
    const double dv = 1 / (rect.size.height * raster.scale);
    forEachPixel(raster, intersect(rect, context.state.clip),
                 [&](double x, double y, int px, int py) {
                     const double u = (x - rect.origin.x) / rect.size.width;
                     const double v = (y - rect.origin.y) / rect.size.height;
                     Pixel s = sample(image, u, v, du, dv, ink);
                     for (auto& channel : s) {
                         channel *= static_cast<float>(fraction);
                     }
                     compositeAt(raster, px, py, s, operation);
                 });
}

} // namespace orv::lnx
