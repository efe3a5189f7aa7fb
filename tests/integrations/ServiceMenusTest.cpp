// Dolphin's service menus as written by the build: every action runs a selector of the menu
// orvane-finder prints, in its order, with the selected paths last.

#include "integrations/FinderBridge.h"
#include "tests/support/RunProgram.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <tuple>

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
                                    "Exec=\"orvane-finder\" run (\\S+) --from-kio -- %F\n");
            ASSERT_TRUE(std::regex_search(menu, exec, action)) << ids.back();
            found.push_back(exec[1]);
        }
        EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end())) << actions[1];
        // Each command named for Dolphin in every language but English (the first is in all).
        EXPECT_TRUE(
            std::regex_search(menu, std::regex("\\]\nName=[^\n]+\n(Name\\[(de|es|fr|it|ja|ko|nl|pl|"
                                               "pt_BR|ru|tr|zh_CN|zh_TW)\\]=[^\n]+\n){13}Exec")));
        EXPECT_THAT(menu, ::testing::HasSubstr("\nMimeType=all/all;\n")) << "files and folders";
    }
    EXPECT_EQ(found, expected);
}

// KIO writes U+FFFD for each byte of a name that is not UTF-8: a path that may so stand for
// another item is refused whole, with a log line. Such bytes are escaped in the log.
TEST(ServiceMenusTest, APathThatMayStandForAnotherNameIsRefused) {
    TempDir dir;
    auto env = sessionEnvironment(dir);
    env["ORVANE_HOST_PROGRAM"] = "/bin/true";
    const std::string home = env["HOME"] + "/", fffd = "\xEF\xBF\xBD";
    const std::string f = home + "f" + fffd, d = home + "d" + fffd;
    for (const auto& name : std::vector<std::string>{"d\xFF", "f\xFF", "f" + fffd, "ok/e" + fffd}) {
        std::filesystem::create_directories(home + name);
    }
    // The arguments, what the action leaves, what the log says.
    const std::tuple<std::vector<std::string>, std::string, std::string> rows[] = {
        {{"run", "copyPath:", "--from-kio", f}, "", f + "” may"},
        {{"run", "createTxt:", "--from-kio", d}, "", d + "” may"},
        {{"run", "createTxt:", "--from-kio", "--target", d}, "", "d" + fffd + "” may"},
        {{"run", "createTxt:", "--from-kio", home + "ok/g" + fffd}, "", "” may stand"},
        {{"run", "cutItems:", "--from-kio", home + "ok", f}, "", "” may stand"},
        {{"run", "copyPath:", "--from-kio", home + "ok/e" + fffd}, home + "ok/e" + fffd, ""},
        {{"run", "cutItems:", "--from-kio", home + "f\xFF"}, "", "f\\xff” is not valid UTF-8"}};
    for (const auto& [arguments, done, expectedLog] : rows) {
        runProgram(Path(ORVANE_FINDER_PROGRAM), arguments, env, dir.path());
        std::string left;
        for (const char* file :
             {"run/orvane/pasteboard.txt", "groups/K4W7P2Z9QD.tamsel.Orvane/cut.txt",
              "groups/K4W7P2Z9QD.tamsel.Orvane/pending.txt"}) {
            left += readFile(dir / file);
            std::filesystem::remove((dir / file).str());
        }
        EXPECT_EQ(left, done) << arguments.back();
        EXPECT_THAT(readFile(dir / "log"), ::testing::HasSubstr(expectedLog));
        std::filesystem::remove((dir / "log").str());
    }
}

} // namespace
} // namespace orv::test
