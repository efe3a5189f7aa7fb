#include "platform/macos/MacImages.h"

#include "platform/macos/Cocoa.h"

#include <algorithm>

namespace orv::mac {

namespace {

NSImageSymbolConfiguration* symbolConfiguration(const SymbolConfiguration& model) {
    NSImageSymbolConfiguration* configuration = nil;
    if (model.pointSize) {
        configuration = [NSImageSymbolConfiguration
            configurationWithPointSize:*model.pointSize
                                weight:fontWeight(model.weight.value_or(FontWeight::regular))];
    }
    if (!model.paletteColors.empty()) {
        NSMutableArray<NSColor*>* colors = [NSMutableArray array];
        for (const Color& color : model.paletteColors) {
            [colors addObject:toNS(color)];
        }
        NSImageSymbolConfiguration* palette =
            [NSImageSymbolConfiguration configurationWithPaletteColors:colors];
        configuration = configuration != nil
                            ? [configuration configurationByApplyingConfiguration:palette]
                            : palette;
    }
    return configuration;
}

NSImage* fromRaster(const Image::Raster& raster, Size size) {
    NSBitmapImageRep* bitmap =
        [[NSBitmapImageRep alloc] initWithBitmapDataPlanes:nullptr
                                                pixelsWide:raster.width
                                                pixelsHigh:raster.height
                                             bitsPerSample:8
                                           samplesPerPixel:4
                                                  hasAlpha:YES
                                                  isPlanar:NO
                                            colorSpaceName:NSDeviceRGBColorSpace
                                               bytesPerRow:raster.width * 4
                                              bitsPerPixel:32];
    unsigned char* pixels = bitmap.bitmapData;
    for (std::size_t i = 0; i < raster.rgba.size(); ++i) {
        pixels[i] = static_cast<unsigned char>(std::clamp(raster.rgba[i], 0.0f, 1.0f) * 255 + 0.5f);
    }
    bitmap.size = NSMakeSize(size.width, size.height);
    NSImage* image = [[NSImage alloc] initWithSize:bitmap.size];
    [image addRepresentation:bitmap];
    return image;
}

} // namespace

NSImage* nativeImage(const Image& model) {
    NSImage* image = nil;
    if (!model.symbolName.empty()) {
        image = [NSImage imageWithSystemSymbolName:toNS(model.symbolName)
                          accessibilityDescription:nil];
        if (image != nil && model.symbolConfiguration) {
            image = [image
                imageWithSymbolConfiguration:symbolConfiguration(*model.symbolConfiguration)];
        }
    } else if (model.raster) {
        image = fromRaster(*model.raster, model.size());
    } else if (!model.name.empty()) {
        image = [NSImage imageNamed:toNS(model.name)];
    }
    if (image != nil && model.isTemplate) {
        image = [image copy];
        [image setTemplate:YES];
    }
    return image;
}

} // namespace orv::mac
