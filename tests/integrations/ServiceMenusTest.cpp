// Dolphin's service menus as written by the build: every action runs a real selector of the
// extension, in the menu's order, with the selected paths last.

#include "extension/FinderSync.h"
#include "integrations/FinderBridge.h"
#include "tests/support/RunProgram.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace orv::test {
namespace {

TEST(ServiceMenusTest, EveryActionRunsARealSelectorInTheMenusOrderWithThePathsLast) {
    TempDir dir; // with a cut waiting, so that Paste is in the menu
    std::filesystem::create_directories((dir / "K4W7P2Z9QD.tamsel.Orvane").str());
    writeFile(dir / "K4W7P2Z9QD.tamsel.Orvane/cut.txt", "/x");
    const auto printed =
        runProgram(Path(ORVANE_FINDER_PROGRAM), {"menu", "--kind", "items", "/"},
                   {{"ORVANE_GROUP_CONTAINERS", dir.path().str()}, {"LANG", "C"}}, dir.path());
    std::vector<std::string> expected, found;
    for (const auto& entry : fm::forFileManagers(fm::parseMenu(printed.out))) {
        for (const auto& item : entry.children.empty() ? std::vector{entry} : entry.children) {
            expected.push_back(item.selector);
        }
    }
    ASSERT_EQ(expected.size(), 16u) << printed.out; // 3 commands and 13 kinds

    const auto selectors = FinderSync::actionSelectors();
    for (const char* file : {"orvane-plus.desktop", "orvane-plus-new-file.desktop"}) {
        const std::string menu = readFile(Path(ORVANE_SERVICE_MENUS_DIR).appending(file));
        std::smatch actions;
        ASSERT_TRUE(std::regex_search(menu, actions, std::regex("\nActions=([^\n]*)\n"))) << file;
        // Dolphin shows a file's actions sorted by id: the ids must sort in the menu's order.
        std::vector<std::string> ids;
        std::istringstream list(actions[1].str());
        for (std::string id; std::getline(list, id, ';');) {
            ids.push_back(id);
            std::smatch exec;
            const std::regex action("\\[Desktop Action " + ids.back() +
                                    "\\]\nName=[^\n]+\n(?:Name\\[\\w+\\]=[^\n]+\n)*"
                                    "Exec=\"orvane-finder\" run (\\S+) -- %F\n");
            ASSERT_TRUE(std::regex_search(menu, exec, action)) << ids.back();
            EXPECT_THAT(selectors, ::testing::Contains(exec[1].str()));
            found.push_back(exec[1]);
        }
        EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end())) << actions[1];
    }
    EXPECT_EQ(found, expected);
}

} // namespace
} // namespace orv::test
