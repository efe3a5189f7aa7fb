#include "platform/Image.h"

namespace orv {

SymbolConfiguration SymbolConfiguration::withPointSize(double size, FontWeight weight) {
    SymbolConfiguration c;
    c.pointSize = size;
    c.weight = weight;
    return c;
}

SymbolConfiguration SymbolConfiguration::withPalette(std::vector<Color> colors) {
    SymbolConfiguration c;
    c.paletteColors = std::move(colors);
    return c;
}

SymbolConfiguration SymbolConfiguration::applying(const SymbolConfiguration& other) const {
    SymbolConfiguration c = *this;
    if (other.pointSize) {
        c.pointSize = other.pointSize;
    }
    if (other.weight) {
        c.weight = other.weight;
    }
    if (!other.paletteColors.empty()) {
        c.paletteColors = other.paletteColors;
    }
    return c;
}

ImagePtr Image::withSymbolConfiguration(const SymbolConfiguration& configuration) const {
    if (symbolName.empty()) {
        return nullptr;
    }
    auto copy = std::make_shared<Image>(*this);
    const double before = symbolConfiguration && symbolConfiguration->pointSize
                              ? *symbolConfiguration->pointSize
                              : kNominalSymbolPointSize;
    copy->symbolConfiguration =
        symbolConfiguration ? symbolConfiguration->applying(configuration) : configuration;
    // A symbol image grows with its point size.
    if (const auto after = copy->symbolConfiguration->pointSize; after && before > 0) {
        copy->size_ = {size_.width * *after / before, size_.height * *after / before};
    }
    return copy;
}

} // namespace orv
