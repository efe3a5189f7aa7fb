#include "platform/Text.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

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

} // namespace
} // namespace orv
