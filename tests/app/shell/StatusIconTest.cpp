#include "app/shell/AppDelegate.h"

#include "tests/support/TestPlatform.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

// Alpha of the pixel at (x, y) in points from the lower left.
float alphaAt(const Image& image, double x, double y) {
    const auto& r = *image.raster;
    const int px = static_cast<int>(x * r.scale);
    const int py = r.height - 1 - static_cast<int>(y * r.scale);
    return r.rgba[static_cast<std::size_t>((py * r.width + px) * 4 + 3)];
}

class StatusIconTest : public ::testing::Test {
  protected:
    test::TestPlatform system;
    AppDelegate delegate{system.platform()};
};

// The Linux glyphs stand in for the SF Symbols: a hollow mouse and a filled one, clipped to the
// right button and composited as a black silhouette.
TEST_F(StatusIconTest, IconIsTheOutlineWithTheRightButtonFilled) {
    const auto icon = delegate.makeStatusIcon();
    ASSERT_TRUE(icon->raster);
    EXPECT_TRUE(icon->isTemplate);
    const double w = icon->size().width, h = icon->size().height;
    EXPECT_GT(alphaAt(*icon, w * 0.75, h * 0.75), 0.9f) << "right button filled";
    EXPECT_LT(alphaAt(*icon, w * 0.35, h * 0.7), 0.1f) << "left button hollow";
    EXPECT_LT(alphaAt(*icon, w * 0.5, h * 0.3), 0.1f) << "body hollow";
    const auto& px = icon->raster->rgba;
    for (std::size_t i = 0; i < px.size(); i += 4) {
        ASSERT_FLOAT_EQ(px[i] + px[i + 1] + px[i + 2], 0.0f) << "black, only alpha varies";
    }
}

TEST_F(StatusIconTest, MissingSymbolsGiveAnEmptyImage) {
    for (const char* missing : {"computermouse", "computermouse.fill"}) {
        system.symbols.missing = {missing};
        const auto icon = delegate.makeStatusIcon();
        EXPECT_EQ(icon->size(), (Size{0, 0})) << missing;
        EXPECT_FALSE(icon->raster);
    }
}

} // namespace
} // namespace orv
