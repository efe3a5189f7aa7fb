// Dolphin's service menus as written by the build: every action runs a real selector of the
// extension, in the menu's order, with the selected paths last.

#include "extension/FinderSync.h"
#include "integrations/FinderBridge.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>

namespace orv::test {
namespace {

TEST(ServiceMenusTest, EveryActionRunsARealSelectorInTheMenusOrderWithThePathsLast) {
    TempDir dir;
    std::filesystem::create_directories((dir / "K4W7P2Z9QD.tamsel.Orvane").str());
    writeFile(dir / "K4W7P2Z9QD.tamsel.Orvane/cut.txt", "/x");
    const auto printed =
        runProgram(Path(ORVANE_FINDER_PROGRAM), {"menu", "--kind", "items", "/"},
                   {{"ORVANE_GROUP_CONTAINERS", dir.path().str()}, {"LANG", "C"}}, dir.path());
    std::vector<std::string> expected;
    for (const auto& entry : fm::forFileManagers(fm::parseMenu(printed.out))) {
        for (const auto& kind : entry.children) {
            expected.push_back(kind.selector);
        }
        if (entry.children.empty()) {
            expected.push_back(entry.selector);
        }
    }
    ASSERT_EQ(expected.size(), 16u) << printed.out; // 3 commands and 13 kinds

    const auto selectors = FinderSync::actionSelectors();
    const std::regex exec(R"(Exec="orvane-finder" run (\S+) -- %F\n)");
    std::vector<std::string> found;
    for (const char* file : {"orvane-plus.desktop", "orvane-plus-new-file.desktop"}) {
        const std::string menu = readFile(Path(ORVANE_SERVICE_MENUS_DIR).appending(file));
        EXPECT_THAT(menu, ::testing::StartsWith("[Desktop Entry]\nType=Service\n")) << file;
        for (auto m = std::sregex_iterator(menu.begin(), menu.end(), exec);
             m != std::sregex_iterator(); ++m) {
            const std::string selector = (*m)[1];
            EXPECT_NE(std::find(selectors.begin(), selectors.end(), selector), selectors.end())
                << selector;
            found.push_back(selector);
        }
        // Dolphin shows a file's actions sorted by id: the ids must sort in the menu's order.
        std::smatch actions;
        ASSERT_TRUE(std::regex_search(menu, actions, std::regex("\nActions=([^\n]*)\n")));
        std::vector<std::string> ids;
        const std::regex id("[^;]+");
        for (auto i = std::sregex_iterator(actions[1].first, actions[1].second, id);
             i != std::sregex_iterator(); ++i) {
            ids.push_back(i->str());
            EXPECT_THAT(menu, ::testing::HasSubstr("[Desktop Action " + i->str() + "]\nName="));
        }
        EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end())) << actions[1];
    }
    EXPECT_EQ(found, expected);
}

} // namespace
} // namespace orv::test
