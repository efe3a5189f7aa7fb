#include "platform/macos/MacGraphics.h"

#include "platform/macos/Cocoa.h"
#include "platform/macos/MacImages.h"

namespace orv::mac {

namespace {

constexpr double kScale = 2;

} // namespace

void MacGraphics::lockFocus(Image& image) {
    const auto width = static_cast<NSInteger>(image.size().width * kScale + 0.5);
    const auto height = static_cast<NSInteger>(image.size().height * kScale + 0.5);
    NSBitmapImageRep* bitmap =
        [[NSBitmapImageRep alloc] initWithBitmapDataPlanes:nullptr
                                                pixelsWide:width
                                                pixelsHigh:height
                                             bitsPerSample:8
                                           samplesPerPixel:4
                                                  hasAlpha:YES
                                                  isPlanar:NO
                                            colorSpaceName:NSDeviceRGBColorSpace
                                               bytesPerRow:width * 4
                                              bitsPerPixel:32];
    bitmap.size = NSMakeSize(image.size().width, image.size().height);
    focus_.push_back({&image, bitmap, NSGraphicsContext.currentContext});
    NSGraphicsContext.currentContext = [NSGraphicsContext graphicsContextWithBitmapImageRep:bitmap];
}

void MacGraphics::unlockFocus(Image& image) {
    if (focus_.empty() || focus_.back().image != &image) {
        return; // not the image being drawn into
    }
    NSBitmapImageRep* bitmap = focus_.back().bitmap;
    [NSGraphicsContext.currentContext flushGraphics];
    NSGraphicsContext.currentContext = focus_.back().previous;
    focus_.pop_back();
    Image::Raster raster{
        static_cast<int>(bitmap.pixelsWide), static_cast<int>(bitmap.pixelsHigh), kScale, {}};
    const unsigned char* pixels = bitmap.bitmapData;
    raster.rgba.resize(static_cast<std::size_t>(raster.width) * raster.height * 4);
    for (std::size_t i = 0; i < raster.rgba.size(); ++i) {
        raster.rgba[i] = pixels[i] / 255.0f;
    }
    image.raster = std::move(raster);
}

bool MacGraphics::hasCurrentContext() const {
    return NSGraphicsContext.currentContext != nil;
}

CompositingOperation MacGraphics::compositingOperation() const {
    return static_cast<CompositingOperation>(NSGraphicsContext.currentContext.compositingOperation);
}

void MacGraphics::setColor(const Color& color) {
    [toNS(color) set];
}

void MacGraphics::fillRect(Rect rect, CompositingOperation operation) {
    NSRectFillUsingOperation(toNS(rect), static_cast<NSCompositingOperation>(operation));
}

void MacGraphics::drawImage(const Image& image, Rect rect, CompositingOperation operation,
                            double fraction) {
    [nativeImage(image) drawInRect:toNS(rect)
                          fromRect:NSZeroRect
                         operation:static_cast<NSCompositingOperation>(operation)
                          fraction:fraction];
}

void MacGraphics::saveGraphicsState() {
    [NSGraphicsContext saveGraphicsState];
}

void MacGraphics::restoreGraphicsState() {
    [NSGraphicsContext restoreGraphicsState];
}

void MacGraphics::addClip(Rect rect) {
    [[NSBezierPath bezierPathWithRect:toNS(rect)] addClip];
}

} // namespace orv::mac
