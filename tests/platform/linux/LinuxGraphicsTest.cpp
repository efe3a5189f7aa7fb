#include "platform/linux/LinuxGraphics.h"
#include "platform/linux/Png.h"

#include <gtest/gtest.h>

namespace orv::lnx {
namespace {

std::array<float, 4> pixel(const Image& image, int px, int py) {
    const auto& r = *image.raster;
    const float* p = &r.rgba[static_cast<std::size_t>((py * r.width + px) * 4)];
    return {p[0], p[1], p[2], p[3]};
}

TEST(LinuxGraphicsTest, FillsCompositeWithAppKitsOperations) {
    LinuxGraphics g;
    Image image(Size{2, 1}); // 4 × 2 pixels
    g.lockFocus(image);
    g.setColor(Color{"", 1, 0, 0, 0.5});
    g.fillRect(makeRect(0, 0, 2, 1), CompositingOperation::sourceOver);
    EXPECT_FLOAT_EQ(pixel(image, 0, 0)[0], 0.5f);
    EXPECT_FLOAT_EQ(pixel(image, 0, 0)[3], 0.5f);
    g.setColor(Color{"", 0, 0, 1, 0.5});
    g.fillRect(makeRect(0, 0, 1, 1), CompositingOperation::sourceOver);
    EXPECT_FLOAT_EQ(pixel(image, 0, 0)[3], 0.75f);
    EXPECT_FLOAT_EQ(pixel(image, 0, 0)[0], 0.25f);
    g.fillRect(makeRect(1, 0, 1, 1), CompositingOperation::destinationIn);
    EXPECT_FLOAT_EQ(pixel(image, 3, 0)[3], 0.25f) << "destination kept by the source's alpha";
    EXPECT_FLOAT_EQ(pixel(image, 3, 0)[2], 0.0f) << "destination-in adds none of the source";
    g.fillRect(makeRect(0, 0, 1, 1), CompositingOperation::clear);
    EXPECT_FLOAT_EQ(pixel(image, 0, 0)[3], 0.0f);
    g.unlockFocus(image);
    EXPECT_FALSE(g.hasCurrentContext());
    EXPECT_EQ(g.compositingOperation(), CompositingOperation::sourceOver);
}

TEST(PngTest, EncodesAValidFileWithStoredBlocks) {
    Image::Raster r{200, 100, 1, std::vector<float>(200 * 100 * 4, 0.0f)};
    r.rgba[3] = 1.0f; // first pixel opaque black
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u) << "the standard check value";
    const std::string png = encodePng(r);
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    // Walk the chunks and check each one's CRC.
    std::size_t at = 8;
    std::vector<std::string> types;
    const auto u32 = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(png[i])) << 24 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(png[i + 1])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(png[i + 2])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(png[i + 3]));
    };
    while (at < png.size()) {
        const std::uint32_t length = u32(at);
        types.push_back(png.substr(at + 4, 4));
        EXPECT_EQ(u32(at + 8 + length), crc32(std::string_view(png).substr(at + 4, 4 + length)))
            << types.back();
        if (types.back() == "IHDR") {
            EXPECT_EQ(u32(at + 8), 200u);
            EXPECT_EQ(u32(at + 12), 100u);
        }
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    // 100 rows of 801 bytes need two stored blocks.
    EXPECT_GT(png.size(), 100u * 801u);
}

} // namespace
} // namespace orv::lnx
