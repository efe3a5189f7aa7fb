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

} // namespace
} // namespace orv
