#pragma once
// Graphics on macOS, for the host: drawing into bitmaps through NSGraphicsContext.

#include "platform/Application.h"

#include <vector>

#ifdef __OBJC__
#import <Foundation/Foundation.h>

@class NSBitmapImageRep;
@class NSGraphicsContext;

namespace orv::mac {

NS_ASSUME_NONNULL_BEGIN

// Each image is drawn at twice its size in points, for Retina displays; the pixels go back
// into the model's raster at unlockFocus, so the model stays the one truth.
class MacGraphics final : public Graphics {
  public:
    void lockFocus(Image& image) override;
    void unlockFocus(Image& image) override;
    bool hasCurrentContext() const override;
    CompositingOperation compositingOperation() const override;
    void setColor(const Color& color) override;
    void fillRect(Rect rect, CompositingOperation operation) override;
    void drawImage(const Image& image, Rect rect, CompositingOperation operation,
                   double fraction) override;
    void saveGraphicsState() override;
    void restoreGraphicsState() override;
    void addClip(Rect rect) override;

  private:
    struct Focus {
        Image* image;
        NSBitmapImageRep* bitmap;
        NSGraphicsContext* _Nullable previous; // current again at unlockFocus
    };
    std::vector<Focus> focus_;
};

NS_ASSUME_NONNULL_END

} // namespace orv::mac
#endif
