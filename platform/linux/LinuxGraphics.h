#pragma once
// Drawing into images on Linux, for real: each image drawn into gets an RGBA raster at twice
// its point size (premultiplied floats, row 0 at the top). Fills and image draws composite
// with AppKit's operations, inside the current clip. System symbols are drawn from stand-in
// glyphs: a computer mouse for "computermouse" and "computermouse.fill", a rounded square for
// any other name.

#include "platform/Application.h"

#include <vector>

namespace orv::lnx {

class LinuxGraphics final : public Graphics {
  public:
    static constexpr double kBackingScale = 2;

    void lockFocus(Image& image) override;
    void unlockFocus(Image& image) override;
    bool hasCurrentContext() const override { return !contexts_.empty(); }
    CompositingOperation compositingOperation() const override;
    void setColor(const Color& color) override;
    void fillRect(Rect rect, CompositingOperation operation) override;
    void drawImage(const Image& image, Rect rect, CompositingOperation operation,
                   double fraction) override;
    void saveGraphicsState() override;
    void restoreGraphicsState() override;
    void addClip(Rect rect) override;

  private:
    struct State {
        Color color = Color::black();
        Rect clip; // in the image's points
        CompositingOperation operation = CompositingOperation::sourceOver;
    };
    struct Context {
        Image* image;
        State state;
        std::vector<State> saved;
    };
    std::vector<Context> contexts_;
};

// The coverage (0 to 1) of a stand-in symbol glyph at (u, v) in its box, u rightwards and v
// upwards, both from 0 to 1.
float symbolCoverage(std::string_view symbolName, double u, double v);

} // namespace orv::lnx
