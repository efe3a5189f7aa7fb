#include "extension/FinderSync.h"
#include "shared/RequestHandoff.h"
#include "tests/support/TestPlatform.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::string_literals;

// Each item as "title|action|symbol".
std::vector<std::string> rows(const Menu& menu) {
    std::vector<std::string> out;
    for (const auto& item : menu.items()) {
        out.push_back(item->title + "|" + item->action + "|" +
                      (item->image ? item->image->symbolName : "-"));
    }
    return out;
}

const std::string kCopyPath = "menu.copyPath|copyPath:|doc.on.clipboard";
const std::string kCut = "menu.cut|cutItems:|scissors";
const std::string kPaste = "menu.paste|pasteItems:|doc.on.clipboard";
const std::string kNewFile = "menu.new||document.badge.plus";

constexpr std::uint64_t kItems = 0, kContainer = 1;

struct FinderSyncTest : ::testing::Test {
    void select(std::vector<Path> items) { system.finder.selection = std::move(items); }
    void cutWaiting(std::string content = "/a/b.txt\n") {
        system.files.setRequest(handoff::kCutFile, std::move(content));
    }

    test::TestPlatform system;
    FinderSync extension{system.platform()};
};

TEST_F(FinderSyncTest, ItemMenuFollowsTheSelectionAndTheWaitingCut) {
    system.symbols.missing = {"terminal"};
    EXPECT_THAT(rows(*extension.menu(kItems)), ElementsAre(kNewFile));
    system.finder.selection = std::vector<Path>{};
    EXPECT_THAT(rows(*extension.menu(kItems)), ElementsAre(kNewFile));
    select({Path("/a/b.txt"), Path("/a/c.txt")});
    const auto menu = extension.menu(kItems);
    EXPECT_THAT(rows(*menu), ElementsAre(kCopyPath, kCut, kNewFile));
    std::string kinds;
    for (const auto& kind : rows(*menu->items().back()->submenu)) {
        const std::string ext = kind.substr(5, kind.find('|') - 5);
        kinds += ext + " ";
        EXPECT_THAT(kind.substr(kind.find('|') + 1, ext.size() + 7),
                    ::testing::StrCaseEq("create" + ext + ":"))
            << "each kind's item sends its own action";
    }
    EXPECT_EQ(kinds, "txt md json csv html py js swift sh docx xlsx pptx pages numbers rtf ")
        << "every kind but Keynote, in the order the user sees them";
    EXPECT_THAT(rows(*menu->items().back()->submenu), ::testing::Contains("file.py|createPy:|-"))
        << "a missing symbol leaves no image";
    cutWaiting();
    EXPECT_THAT(rows(*extension.menu(kItems)), ElementsAre(kCopyPath, kCut, kPaste, kNewFile));
}

TEST_F(FinderSyncTest, OtherKindsOfferPasteForANonBlankCutOnlyAndNeverAskForTheSelection) {
    select({Path("/a/b.txt")});
    cutWaiting(" \t\n\r\n ");
    EXPECT_THAT(rows(*extension.menu(kContainer)), ElementsAre(kNewFile));
    cutWaiting();
    system.files.containerQueries = 0;
    for (const std::uint64_t kind : {1ul, 2ul, 3ul, 4ul, 1ul << 63}) {
        EXPECT_THAT(rows(*extension.menu(kind)), ElementsAre(kPaste, kNewFile)) << kind;
    }
    EXPECT_EQ(system.files.containerQueries, 5) << "the container is asked for once a menu";
    EXPECT_EQ(system.finder.selectionQueries, 0);
    system.files.unreadable.insert(system.files.container->appending(handoff::kCutFile));
    EXPECT_THAT(rows(*extension.menu(kContainer)), ElementsAre(kNewFile));
    system.files.container.reset();
    EXPECT_THAT(rows(*extension.menu(kContainer)), ElementsAre(kNewFile));
}

TEST_F(FinderSyncTest, CopyPathAndCutNeedASelectionAndCutLogsTheCountEvenWhenTheWriteFails) {
    extension.copyPath(nullptr);
    extension.cutItems(nullptr);
    EXPECT_THAT(system.events, IsEmpty()) << "the pasteboard and an earlier cut are left alone";
    select({Path("/a/b c.txt"), Path("/a/c/")});
    extension.copyPath(nullptr);
    EXPECT_THAT(
        system.events,
        ElementsAre("pasteboard clear", "pasteboard set public.utf8-plain-text=/a/b c.txt\n/a/c"));
    select({Path("/a/1"), Path("/a/2"), Path("/b/3")});
    extension.cutItems(nullptr);
    EXPECT_EQ(system.files.request(handoff::kCutFile), "/a/1\n/a/2\n/b/3");
    system.files.failingWrites.insert(system.files.container->appending(handoff::kCutFile));
    extension.cutItems(nullptr);
    system.files.container.reset();
    extension.cutItems(nullptr); // no container: nothing, not even a log line
    EXPECT_THAT(system.eventsAfter("open "), IsEmpty());
    EXPECT_THAT(system.log.lines, ElementsAre("Cut 3 items", "Cut 3 items"));
}

TEST_F(FinderSyncTest, PathsTheHostWouldReadAsOthersAreRefusedWholeAndLogged) {
    for (const auto& hostile :
         {"/w/photo "s, "/w/x\n/home/u/victim"s, "/w/a\0/etc/passwd"s, "/w/caf\xE9.txt"s}) {
        system.log.lines.clear(); // nothing else is left: nothing is written
        select({Path("/w/good.txt"), Path(hostile)});
        extension.cutItems(nullptr);
        system.finder.selection.reset();
        system.finder.target = Path(hostile);
        extension.createTxt(nullptr);
        extension.pasteItems(nullptr);
        EXPECT_THAT(system.events, IsEmpty()) << "nothing written, no URL opened: " << hostile;
        const auto starts = [&](std::string what) {
            return ::testing::StartsWith("ERROR " + what + ": “" + hostile + "” ");
        };
        EXPECT_THAT(system.log.lines,
                    ElementsAre(starts("cutting"), starts("creating"), starts("pasting")));
    }
}

// New files go beside a selected file; a paste goes into a selected folder, else the target.
TEST_F(FinderSyncTest, NewFileAndPasteFolderResolution) {
    system.files.files[Path("/a/b.txt")] = "";
    system.files.directories = {Path("/a/c"), Path("/Apps/Tool.app")};
    const std::optional<Path> none;
    for (const auto& [selection, target, create, paste] :
         std::vector<std::tuple<std::optional<std::vector<Path>>, std::optional<Path>, std::string,
                                std::string>>{
             {{{Path("/a/b.txt")}}, Path("/t"), "/a", "/t"},
             {{{Path("/a/c"), Path("/a/b.txt")}}, none, "/a/c", "/a/c"},
             {{{Path("/Apps/Tool.app")}}, none, "/Apps/Tool.app", "/Apps/Tool.app"}, // a package
             {{{Path("/gone/x")}}, Path("/t"), "/gone", "/t"}, // failed lookup: not a folder
             {{{Path("/top.txt")}}, none, "/", "nowhere"},
             {std::vector<Path>{}, Path("/a"), "/a", "/a"},
             {std::nullopt, Path("/a"), "/a", "/a"},
             {std::nullopt, none, "/Users/tester/Desktop", "nowhere"}}) {
        system.files.setRequest(handoff::kPasteFile, "nowhere");
        system.finder.selection = selection;
        system.finder.target = target;
        extension.createTxt(nullptr);
        extension.pasteItems(nullptr);
        EXPECT_EQ(system.files.request(handoff::kPendingFile), create + "\ntxt") << create;
        EXPECT_EQ(system.files.request(handoff::kPasteFile), paste) << create;
    }
}

TEST_F(FinderSyncTest, EveryNewFileActionSendsItsExtension) {
    system.finder.target = Path("/f");
    int kinds = 0;
    for (const auto selector : FinderSync::actionSelectors()) {
        if (selector.substr(0, 6) == "create") {
            std::string ext(selector.substr(6, selector.size() - 7));
            std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
            system.events.clear();
            ASSERT_TRUE(extension.performAction(selector, nullptr));
            EXPECT_THAT(system.events,
                        ElementsAre("write pending.txt=/f\n" + ext, "open orvaneplus://create"));
            ++kinds;
        }
    }
    EXPECT_EQ(kinds, 16);
    for (const bool shown : {true, false}) { // Finder's setting flips; Finder restarts to read it
        ASSERT_TRUE(extension.performAction("toggleHiddenFiles:", nullptr));
        EXPECT_EQ(system.suites.domains["com.apple.finder"]["AppleShowAllFiles"], shown);
        EXPECT_EQ(system.events.back(), "launch /usr/bin/killall Finder");
    }
    EXPECT_FALSE(extension.performAction("createKey", nullptr));
    EXPECT_FALSE(extension.performAction("deleteItems:", nullptr));
}

} // namespace
} // namespace orv
