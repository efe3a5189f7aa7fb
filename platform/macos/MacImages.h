#pragma once
// Images on macOS: the retained Image model as an NSImage (SF Symbols with their symbol
// configurations, named images, drawn pixels).

#include "platform/Image.h"

#ifdef __OBJC__
#import <Foundation/Foundation.h>

@class NSImage;
#endif

namespace orv::mac {

#ifdef __OBJC__
NS_ASSUME_NONNULL_BEGIN

// nil for an image with nothing to show.
NSImage* _Nullable nativeImage(const Image& image);

NS_ASSUME_NONNULL_END
#endif

} // namespace orv::mac
