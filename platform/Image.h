#pragma once
// NSImage and NSImageSymbolConfiguration, as retained objects that record what was asked of them.

#include "platform/Color.h"
#include "platform/Geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orv {

// NSFontWeight
enum class FontWeight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };

// NSImageSymbolConfiguration
struct SymbolConfiguration {
    std::optional<double> pointSize;
    std::optional<FontWeight> weight;
    std::vector<Color> paletteColors;

    // configurationWithPointSize:weight:
    static SymbolConfiguration withPointSize(double size, FontWeight weight);
    // configurationWithPaletteColors:
    static SymbolConfiguration withPalette(std::vector<Color> colors);
    // configurationByApplyingConfiguration: what `other` sets wins.
    SymbolConfiguration applying(const SymbolConfiguration& other) const;

    friend bool operator==(const SymbolConfiguration&, const SymbolConfiguration&) = default;
};

class Image;
using ImagePtr = std::shared_ptr<Image>;

// NSImage
class Image {
  public:
    // The point size at which a system symbol comes before any configuration is applied.
    static constexpr double kNominalSymbolPointSize = 13.0;

    Image() = default;
    explicit Image(Size size) : size_(size) {}

    // NSImage name, for named images such as the application icon ("NSApplicationIcon").
    std::string name;
    // For a system symbol image: its SF Symbols name, and the configuration applied to it.
    std::string symbolName;
    std::optional<SymbolConfiguration> symbolConfiguration;
    bool isTemplate = false; // NSImage template

    Size size() const { return size_; }
    void setSize(Size size) { size_ = size; }

    // The pixels drawn into the image (lockFocus), when anything was; a symbol image has none
    // until the platform renders it. Premultiplied RGBA, row 0 at the top.
    struct Raster {
        int width = 0, height = 0;
        double scale = 1; // pixels per point
        std::vector<float> rgba;
    };
    std::optional<Raster> raster;

    // imageWithSymbolConfiguration: a new image; nothing when this is not a symbol image.
    ImagePtr withSymbolConfiguration(const SymbolConfiguration& configuration) const;

  private:
    Size size_;
};

} // namespace orv
