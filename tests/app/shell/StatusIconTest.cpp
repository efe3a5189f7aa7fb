#include "app/shell/AppDelegate.h"

#include "tests/support/TestPlatform.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

// A raster of `width` × `height` pixels whose alpha is `alpha(x, y)` (x from the left, y from
// the top), in an arbitrary colour.
Image::Raster raster(int width, int height, double scale, float (*alpha)(int, int)) {
    Image::Raster r{width, height, scale,
                    std::vector<float>(static_cast<std::size_t>(width * height * 4))};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float a = alpha(x, y);
            float* p = &r.rgba[static_cast<std::size_t>((y * width + x) * 4)];
            p[0] = 0.2f * a, p[1] = 0.9f * a, p[2] = 0.4f * a, p[3] = a;
        }
    }
    return r;
}

// Alpha of the pixel at (x, y) in points from the lower left.
float alphaAt(const Image& image, double x, double y) {
    const auto& r = *image.raster;
    const int px = static_cast<int>(x * r.scale);
    const int py = r.height - 1 - static_cast<int>(y * r.scale);
    return r.rgba[static_cast<std::size_t>((py * r.width + px) * 4 + 3)];
}

const float* pixelAt(const Image& image, double x, double y) {
    const auto& r = *image.raster;
    const int px = static_cast<int>(x * r.scale);
    const int py = r.height - 1 - static_cast<int>(y * r.scale);
    return &r.rgba[static_cast<std::size_t>((py * r.width + px) * 4)];
}

class StatusIconTest : public ::testing::Test {
  protected:
    StatusIconTest() {
        system.symbols.size = Size{13, 26}; // at 13 points; 16 / 13 larger in the icon
        // Outline: only the left column of pixels is covered. Filled: everything, opaque.
        system.symbols.rasters["computermouse"] =
            raster(13, 26, 1, [](int x, int) { return x == 0 ? 1.0f : 0.0f; });
        system.symbols.rasters["computermouse.fill"] =
            raster(13, 26, 1, [](int, int) { return 1.0f; });
    }
    test::TestPlatform system;
    AppDelegate delegate{system.platform()};
};

TEST_F(StatusIconTest, IconIsTheOutlineWithTheRightButtonFilled) {
    const auto icon = delegate.makeStatusIcon();
    ASSERT_TRUE(icon->raster);
    EXPECT_EQ(icon->size(), (Size{16, 32})) << "the outline's size at 16 points";
    EXPECT_TRUE(icon->isTemplate);
    const double w = 16, h = 32;
    // Inside the clip (x ≥ w/2, y ≥ 0.55 h): the filled silhouette, opaque black.
    for (const auto& [x, y] : {std::pair{w * 0.5 + 0.3, h * 0.55 + 0.3},
                               std::pair{w - 0.3, h - 0.3}, std::pair{w * 0.75, h * 0.8}}) {
        EXPECT_FLOAT_EQ(alphaAt(*icon, x, y), 1.0f) << x << "," << y;
        const float* p = pixelAt(*icon, x, y);
        EXPECT_FLOAT_EQ(p[0] + p[1] + p[2], 0.0f) << "black";
    }
    // Outside it: the outline only (covered at the left edge, empty elsewhere).
    for (const auto& [x, y] :
         {std::pair{w * 0.5 - 0.3, h * 0.8}, std::pair{w * 0.75, h * 0.55 - 0.3},
          std::pair{w - 0.3, 0.3}, std::pair{w * 0.25, h * 0.25}}) {
        EXPECT_FLOAT_EQ(alphaAt(*icon, x, y), 0.0f) << x << "," << y;
    }
    EXPECT_FLOAT_EQ(alphaAt(*icon, 0.3, h * 0.25), 1.0f) << "the outline's own coverage";
    EXPECT_FLOAT_EQ(alphaAt(*icon, 0.3, h * 0.9), 1.0f);
}

TEST_F(StatusIconTest, SilhouetteIsBlackWithTheSourcesAlpha) {
    Image source(Size{4, 4});
    source.raster = raster(8, 8, 2, [](int x, int) { return x < 4 ? 0.5f : 0.0f; });
    const auto silhouette = delegate.blackSilhouette(source, Size{4, 4});
    EXPECT_FALSE(silhouette->isTemplate);
    EXPECT_EQ(silhouette->size(), (Size{4, 4}));
    EXPECT_FLOAT_EQ(alphaAt(*silhouette, 1, 1), 0.5f);
    EXPECT_FLOAT_EQ(pixelAt(*silhouette, 1, 1)[1], 0.0f) << "no green left: black";
    EXPECT_FLOAT_EQ(alphaAt(*silhouette, 3, 3), 0.0f);
}

TEST_F(StatusIconTest, MissingSymbolsGiveAnEmptyImage) {
    for (const char* missing : {"computermouse", "computermouse.fill"}) {
        system.symbols.missing = {missing};
        const auto icon = delegate.makeStatusIcon();
        EXPECT_EQ(icon->size(), (Size{0, 0})) << missing;
        EXPECT_FALSE(icon->isTemplate);
        EXPECT_FALSE(icon->raster);
    }
}

TEST_F(StatusIconTest, StandInGlyphsDrawARecognisableMouse) {
    system.symbols.rasters.clear(); // the Linux glyphs
    const auto icon = delegate.makeStatusIcon();
    ASSERT_TRUE(icon->raster);
    const double w = icon->size().width, h = icon->size().height;
    EXPECT_GT(alphaAt(*icon, w * 0.75, h * 0.75), 0.9f) << "right button filled";
    EXPECT_LT(alphaAt(*icon, w * 0.35, h * 0.7), 0.1f) << "left button hollow";
    EXPECT_LT(alphaAt(*icon, w * 0.5, h * 0.3), 0.1f) << "body hollow";
}

} // namespace
} // namespace orv
