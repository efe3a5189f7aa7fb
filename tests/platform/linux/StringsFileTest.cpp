#include "platform/linux/StringsFile.h"

#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace orv::lnx {
namespace {

TEST(StringsFileTest, ReadsEntriesCommentsAndEscapes) {
    const auto table = parseStrings("\xEF\xBB\xBF/* header */\n"
                                    "\"menu.cut\" = \"Cut\"; // trailing\n"
                                    "\"q\" = \"say \\\"hi\\\"\\n\\\\ \\U00e9\\UD83D\\uDCC1\";\n"
                                    "bare.key = \"v\";\n"
                                    "\"same\";\n");
    EXPECT_EQ(table.error, "");
    EXPECT_EQ(table.entries.at("menu.cut"), "Cut");
    EXPECT_EQ(table.entries.at("q"), "say \"hi\"\n\\ \xC3\xA9\xF0\x9F\x93\x81");
    EXPECT_EQ(table.entries.at("bare.key"), "v");
    EXPECT_EQ(table.entries.at("same"), "same");
}

TEST(StringsFileTest, AFaultKeepsWhatCameBeforeAndSaysWhere) {
    const auto table = parseStrings("\"a\" = \"1\";\n\"b\" = \"2\"\n\"c\" = \"3\";");
    EXPECT_EQ(table.entries.size(), 1u);
    EXPECT_EQ(table.error, "expected ';' at line 3");
    EXPECT_NE(parseStrings("\"a\" = \"unterminated;").error, "");
    EXPECT_NE(parseStrings("/* open comment").error, "");
    EXPECT_EQ(parseStrings("").error, "");
}

// The tables the extension ships: each parses cleanly, and every language has the same keys,
// so no title falls back to its key in one language only.
TEST(StringsFileTest, ShippedTablesAreCompleteInEveryLanguage) {
    const std::filesystem::path resources = ORVANE_EXTENSION_RESOURCES_DIR;
    std::optional<std::set<std::string>> keys;
    int languages = 0;
    for (const auto& lproj : std::filesystem::directory_iterator(resources)) {
        const auto text = test::readFile(Path((lproj.path() / "Localizable.strings").string()));
        const auto table = parseStrings(text);
        EXPECT_EQ(table.error, "") << lproj.path();
        std::set<std::string> these;
        for (const auto& [key, value] : table.entries) {
            these.insert(key);
            EXPECT_FALSE(value.empty()) << key;
        }
        if (keys) {
            EXPECT_EQ(these, *keys) << lproj.path();
        } else {
            keys = these;
        }
        ++languages;
    }
    EXPECT_GE(languages, 2);
}

} // namespace
} // namespace orv::lnx
