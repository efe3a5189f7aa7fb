#include "extension/FinderSync.h"

#include "shared/RequestHandoff.h"
#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

struct Row {
    std::string title, action, symbol;
    friend bool operator==(const Row&, const Row&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Row& r) {
        return os << r.title << '|' << r.action << '|' << r.symbol;
    }
};

std::vector<Row> rows(const Menu& menu) {
    std::vector<Row> out;
    for (const auto& item : menu.items()) {
        out.push_back({item->title, item->action, item->image ? item->image->symbolName : "-"});
    }
    return out;
}

const std::vector<Row> kNewFileRows = {
    {"file.txt", "createTxt:", "doc.text"},
    {"file.md", "createMd:", "text.alignleft"},
    {"file.json", "createJson:", "curlybraces"},
    {"file.csv", "createCsv:", "tablecells"},
    {"file.html", "createHtml:", "chevron.left.forwardslash.chevron.right"},
    {"file.py", "createPy:", "terminal"},
    {"file.js", "createJs:", "terminal"},
    {"file.swift", "createSwift:", "swift"},
    {"file.sh", "createSh:", "terminal"},
    {"file.docx", "createDocx:", "doc.fill"},
    {"file.xlsx", "createXlsx:", "tablecells"},
    {"file.pptx", "createPptx:", "rectangle.on.rectangle"},
    {"file.pages", "createPages:", "doc.fill"},
    {"file.numbers", "createNumbers:", "tablecells"},
    {"file.rtf", "createRtf:", "doc.richtext"},
};

const Row kCopyPath{"menu.copyPath", "copyPath:", "doc.on.clipboard"};
const Row kCut{"menu.cut", "cutItems:", "scissors"};
const Row kPaste{"menu.paste", "pasteItems:", "doc.on.clipboard"};
const Row kNewFile{"menu.new", "", "document.badge.plus"};

constexpr std::uint64_t kItems = 0, kContainer = 1, kSidebar = 2, kToolbar = 3;

class FinderSyncMenuTest : public ::testing::Test {
  protected:
    void selectTwoFiles() { system.finder.selection = {{Path("/a/b.txt"), Path("/a/c.txt")}}; }
    void cutWaiting(std::string content = "/a/b.txt\n") {
        system.files.setRequest(handoff::kCutFile, std::move(content));
    }

    test::TestPlatform system;
    FinderSync extension{system.platform()};
};

TEST_F(FinderSyncMenuTest, InitRegistersTheRootFolderOnly) {
    EXPECT_EQ(system.finder.directories, (std::set<Path>{Path("/")}));
}

TEST_F(FinderSyncMenuTest, ItemMenuFollowsTheSelectionAndTheWaitingCut) {
    EXPECT_THAT(rows(*extension.menu(kItems)), ElementsAre(kNewFile));
    system.finder.selection = std::vector<Path>{};
    EXPECT_THAT(rows(*extension.menu(kItems)), ElementsAre(kNewFile));
    selectTwoFiles();
    const auto menu = extension.menu(kItems);
    EXPECT_THAT(rows(*menu), ElementsAre(kCopyPath, kCut, kNewFile));
    ASSERT_TRUE(menu->items().back()->submenu);
    EXPECT_THAT(rows(*menu->items().back()->submenu), ElementsAreArray(kNewFileRows));
    cutWaiting();
    EXPECT_THAT(rows(*extension.menu(kItems)), ElementsAre(kCopyPath, kCut, kPaste, kNewFile));
}

TEST_F(FinderSyncMenuTest, OtherKindsNeverOfferCopyOrCutAndNeverAskForTheSelection) {
    selectTwoFiles();
    cutWaiting();
    for (const std::uint64_t kind :
         {kContainer, kSidebar, kToolbar, std::uint64_t{4}, std::uint64_t{1} << 63}) {
        EXPECT_THAT(rows(*extension.menu(kind)), ElementsAre(kPaste, kNewFile)) << kind;
    }
    EXPECT_EQ(system.finder.selectionQueries, 0);
}

TEST_F(FinderSyncMenuTest, PasteNeedsANonBlankCutListInAContainerReadOncePerMenu) {
    cutWaiting(" \t\n\r\n ");
    EXPECT_THAT(rows(*extension.menu(kContainer)), ElementsAre(kNewFile));
    cutWaiting("/a/b.txt\n");
    system.files.askedGroups.clear();
    EXPECT_THAT(rows(*extension.menu(kContainer)), ElementsAre(kPaste, kNewFile));
    EXPECT_EQ(system.files.askedGroups.size(), 1u);
    system.files.container.reset();
    EXPECT_THAT(rows(*extension.menu(kContainer)), ElementsAre(kNewFile));
}

TEST_F(FinderSyncMenuTest, EveryItemButTheSubmenuActsOnTheExtension) {
    selectTwoFiles();
    cutWaiting();
    const auto menu = extension.menu(kItems);
    const auto& newFile = menu->items().back();
    EXPECT_EQ(newFile->target, nullptr);
    std::vector<MenuItemPtr> all = menu->items();
    all.insert(all.end(), newFile->submenu->items().begin(), newFile->submenu->items().end());
    for (const auto& item : all) {
        EXPECT_TRUE(item->enabled) << item->title;
        if (item != newFile) {
            EXPECT_EQ(item->target, &extension) << item->title;
            EXPECT_TRUE(extension.performAction(item->action, item.get())) << item->action;
        }
    }
}

TEST_F(FinderSyncMenuTest, TitlesComeFromTheTableAndMissingSymbolsLeaveNoImage) {
    system.bundle.strings = {{"menu.new", "New File"}, {"file.txt", "Text File"}};
    system.symbols.missing = {"terminal"};
    const auto menu = extension.menu(kContainer);
    const auto& kinds = menu->items()[0]->submenu->items();
    EXPECT_EQ(menu->items()[0]->title, "New File");
    EXPECT_EQ(kinds[0]->title, "Text File");
    EXPECT_EQ(kinds[1]->title, "file.md") << "missing key shows as key";
    EXPECT_EQ(kinds[5]->image, nullptr); // Python
    EXPECT_EQ(kinds[5]->action, "createPy:");
    const auto icon = extension.menuIcon("scissors");
    ASSERT_TRUE(icon && icon->symbolConfiguration);
    EXPECT_EQ(icon->symbolConfiguration->pointSize, 13.0);
    EXPECT_THAT(icon->symbolConfiguration->paletteColors, ElementsAre(Color::label()));
}

} // namespace
} // namespace orv
