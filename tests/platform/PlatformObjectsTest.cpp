#include "platform/Format.h"
#include "platform/Image.h"
#include "platform/Path.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(PathTest, KeepsTheFileURLPathShape) {
    EXPECT_EQ(Path("/a/c/").str(), "/a/c");
    EXPECT_EQ(Path("/a/c///").str(), "/a/c");
    EXPECT_EQ(Path("/").str(), "/");
    EXPECT_EQ(Path("/a/b.txt").deletingLastComponent(), Path("/a"));
    EXPECT_EQ(Path("/top.txt").deletingLastComponent(), Path("/"));
    EXPECT_EQ(Path("/").appending("x"), Path("/x"));
    EXPECT_FALSE(Path("relative").isAbsolute());
}

TEST(TextTest, ValidatesUTF8) {
    EXPECT_TRUE(isValidUTF8(""));
    EXPECT_TRUE(isValidUTF8("caf\xC3\xA9 \xF0\x9F\x93\x81"));
    EXPECT_FALSE(isValidUTF8("\xC3"));             // truncated
    EXPECT_FALSE(isValidUTF8("\xC0\xAF"));         // overlong slash
    EXPECT_FALSE(isValidUTF8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUTF8("\xF4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(isValidUTF8("\xFF"));
    EXPECT_FALSE(isValidUTF8("ok\x80"));
}

TEST(TextTest, TrimsUnicodeWhitespaceAndNewlines) {
    EXPECT_EQ(trimmingWhitespaceAndNewlines(" \t\r\n/a b\n\x0B\x0C"), "/a b");
    EXPECT_EQ(trimmingWhitespaceAndNewlines("\xC2\x85\xC2\xA0/x\xE2\x80\xA9\xE3\x80\x80"), "/x");
    EXPECT_EQ(trimmingWhitespaceAndNewlines(" \n "), "");
    EXPECT_EQ(trimmingWhitespaceAndNewlines("\xE2\x80\x8B/x"), "\xE2\x80\x8B/x")
        << "zero-width space is not white space";
    EXPECT_EQ(trimmingWhitespaceAndNewlines(" caf\xC3\xA9 "), "caf\xC3\xA9");
    EXPECT_EQ(trimmingWhitespaceAndNewlines("\x80 x \xA0"), "\x80 x \xA0")
        << "stray bytes are not blanks";
}

TEST(FormatTest, FillsOsLogConversions) {
    EXPECT_EQ(formatString("Cut %d items", {std::int64_t{3}}), "Cut 3 items");
    EXPECT_EQ(
        formatString("Moved: %{public}@ -> %{public}@", {std::string("/a"), std::string("/b")}),
        "Moved: /a -> /b");
    EXPECT_EQ(formatString("100%% %@ %ld", {std::string("x"), std::int64_t{-2}}), "100% x -2");
    EXPECT_EQ(formatString("a %{public}@ b", {}), "a <missing> b");
    EXPECT_EQ(formatString("x %{public}@", {std::string("%d %@")}), "x %d %@")
        << "arguments are not formats";
    EXPECT_EQ(formatString("trailing %", {}), "trailing %");
}

TEST(ImageTest, ASymbolGrowsWithItsPointSize) {
    Image symbol(Size{10, 16});
    symbol.symbolName = "computermouse";
    const auto big =
        symbol.withSymbolConfiguration(SymbolConfiguration::withPointSize(26, FontWeight::regular));
    ASSERT_TRUE(big);
    EXPECT_EQ(big->size(), (Size{20, 32}));
    const auto back =
        big->withSymbolConfiguration(SymbolConfiguration::withPointSize(13, FontWeight::bold));
    EXPECT_EQ(back->size(), (Size{10, 16}));
    EXPECT_EQ(back->symbolConfiguration->weight, FontWeight::bold);
    EXPECT_EQ(Image(Size{4, 4}).withSymbolConfiguration(SymbolConfiguration{}), nullptr);
}

} // namespace
} // namespace orv
