#include "app/shell/AppDelegate.h"

#include "shared/RequestHandoff.h"
#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::string_literals;

class RequestsTest : public ::testing::Test {
  protected:
    RequestsTest() {
        system.bundle.strings = {{"file.untitled", "B"}};
        system.files.directories = {Path("/f"), Path("/g"), Path("/dest"), Path("/src")};
    }
    void pending(std::string content) {
        system.files.setRequest(handoff::kPendingFile, std::move(content));
    }
    void cut(std::string content) {
        system.files.setRequest(handoff::kCutFile, std::move(content));
    }
    void pasteInto(std::string content) {
        system.files.setRequest(handoff::kPasteFile, std::move(content));
    }
    void file(const std::string& path) { system.files.files[Path(path)] = "content of " + path; }
    std::vector<std::string> createdFiles() const {
        std::vector<std::string> out;
        for (const auto& e : system.events) {
            if (e.rfind("create ", 0) == 0) {
                out.push_back(e.substr(7));
            }
        }
        return out;
    }

    test::TestPlatform system;
    AppDelegate delegate{system.platform()};
};

// ---- Routing ----

TEST_F(RequestsTest, CreateURLsCreateWhatThePendingFileNamesOnce) {
    delegate.handleIncomingURLs({"orvaneplus://create"});
    pending("/f\nmd");
    delegate.handleIncomingURLs({"orvaneplus://Create", "orvaneplus:create", "orvaneplus://",
                                 "not a url", "orvaneplus://created", "https://create"});
    EXPECT_THAT(createdFiles(), ElementsAre("B.md")) << "only https://create has the host create";
    EXPECT_EQ(system.files.request(handoff::kPendingFile), "");
    pending("/f\nTXT");
    delegate.applicationOpenURLs({"orvaneplus://create/anything?x=1#y", "orvaneplus://create"});
    EXPECT_THAT(createdFiles(), ElementsAre("B.md", "B.TXT"));
}

TEST_F(RequestsTest, APasteIsFinishedBeforeTheFollowingCreateIsRead) {
    file("/src/a.txt");
    cut("/src/a.txt");
    pasteInto("/dest");
    pending("/dest\ntxt");
    delegate.handleIncomingURLs({"orvaneplus://paste", "orvaneplus://create"});
    const auto moved =
        std::find(system.events.begin(), system.events.end(), "move /src/a.txt -> /dest/a.txt");
    const auto created = std::find(system.events.begin(), system.events.end(), "create B.txt");
    ASSERT_NE(moved, system.events.end());
    ASSERT_NE(created, system.events.end());
    EXPECT_LT(moved, created);
}

TEST_F(RequestsTest, AFailedCreateIsLoggedAndARelativeFolderAlsoAlerts) {
    pending("/nowhere\ntxt");
    delegate.handleIncomingURLs({"orvaneplus://create"});
    pending("relative/folder\ntxt");
    delegate.handleIncomingURLs({"orvaneplus://create"});
    for (const auto& nul : {"/f\0/etc\ntxt"s, "/f\nt\0xt"s}) {
        pending(nul);
        delegate.handleIncomingURLs({"orvaneplus://create"});
    }
    EXPECT_THAT(createdFiles(), ElementsAre("failed B.txt")) << "the missing folder is still asked";
    system.mainQueue.runUntilIdle();
    EXPECT_EQ(system.alerts.shown.size(), 3u) << "a relative folder or a NUL also alerts";
    ASSERT_EQ(system.log.lines.size(), 4u);
    EXPECT_THAT(system.log.lines[0].message, ::testing::StartsWith("ERROR creating: "));
    EXPECT_EQ(system.log.lines[1].message,
              "ERROR creating: “relative/folder” is not an absolute folder path.");
    EXPECT_EQ(system.alerts.shown[0].messageText, "alert.createRefused");
}

// ---- Paste ----

TEST_F(RequestsTest, OneTakenNameFailsAloneAndTheOthersMove) {
    file("/src/one.txt");
    file("/src/two.txt");
    file("/src/three.txt");
    file("/dest/two.txt");
    cut("/src/one.txt\n/src/two.txt\n/src/three.txt");
    pasteInto("/dest");
    delegate.handleIncomingURLs({"orvaneplus://paste"});
    EXPECT_THAT(system.log.messages(),
                ElementsAre("Moved: /src/one.txt -> /dest/one.txt",
                            "ERROR moving: “two.txt” couldn’t be moved because an item with the "
                            "same name already exists.",
                            "Moved: /src/three.txt -> /dest/three.txt"));
    EXPECT_EQ(system.files.files[Path("/dest/two.txt")], "content of /dest/two.txt")
        << "not replaced";
    EXPECT_EQ(system.files.files[Path("/src/two.txt")], "content of /src/two.txt")
        << "left in place";
    EXPECT_EQ(system.files.request(handoff::kCutFile), "");
    EXPECT_EQ(system.files.request(handoff::kPasteFile), "");
    EXPECT_EQ(system.files.journaledMoves, 3) << "a crash mid-copy must leave a record";

    EXPECT_THAT(system.alerts.shown, IsEmpty()) << "after the handler returns";
    system.mainQueue.runUntilIdle();
    ASSERT_EQ(system.alerts.shown.size(), 1u);
    EXPECT_EQ(system.alerts.shown[0].messageText, "Error al mover");
    EXPECT_EQ(
        system.alerts.shown[0].informativeText,
        "two.txt: “two.txt” couldn’t be moved because an item with the same name already exists.");

    EXPECT_THAT(system.workspace.revealed, IsEmpty());
    system.mainQueue.advance(0.29);
    EXPECT_THAT(system.workspace.revealed, IsEmpty()) << "not before 0.3 s";
    system.mainQueue.advance(0.01);
    EXPECT_THAT(system.workspace.revealed,
                ElementsAre(ElementsAre(Path("/dest/one.txt"), Path("/dest/three.txt"))));
}

TEST_F(RequestsTest, APartlyMovedItemIsRevealedAndItsRestReported) {
    file("/src/tree");
    const std::string why = "“tree” was moved, but what appeared or changed in it during the move "
                            "stayed behind in “/src/tree”.";
    system.files.moveErrors[Path("/src/tree")] = Error{11, why, Error::Kind::partial};
    cut("/src/tree");
    pasteInto("/dest");
    delegate.handlePasteRequest();
    system.mainQueue.advance(1);
    EXPECT_THAT(system.log.messages(),
                ElementsAre("Moved: /src/tree -> /dest/tree", "ERROR moving: " + why));
    EXPECT_THAT(system.workspace.revealed, ElementsAre(ElementsAre(Path("/dest/tree"))));
    ASSERT_EQ(system.alerts.shown.size(), 1u);
    EXPECT_EQ(system.alerts.shown[0].informativeText, "tree: " + why);
}

TEST_F(RequestsTest, EverythingMovedMeansNoAlertAndNothingMovedNoReveal) {
    file("/src//odd name");
    system.files.directories.insert(Path("/src/folder"));
    file("/src/folder/inner.txt");
    cut("  /src//odd name  \n/src/folder");
    pasteInto("/dest\n");
    delegate.handlePasteRequest();
    system.mainQueue.advance(1);
    EXPECT_THAT(system.alerts.shown, IsEmpty());
    EXPECT_THAT(system.log.messages(),
                ElementsAre("Moved: /src//odd name -> /dest/odd name", // the path as written
                            "Moved: /src/folder -> /dest/folder"));
    EXPECT_THAT(system.workspace.revealed,
                ElementsAre(ElementsAre(Path("/dest/odd name"), Path("/dest/folder"))));
    EXPECT_EQ(system.files.files.count(Path("/dest/folder/inner.txt")), 1u) << "moved as a whole";

    cut("/src/gone1\n/src/gone2");
    pasteInto("/dest");
    delegate.handlePasteRequest();
    system.mainQueue.advance(1);
    EXPECT_EQ(system.workspace.revealed.size(), 1u);
    ASSERT_EQ(system.alerts.shown.size(), 1u);
    EXPECT_EQ(system.alerts.shown[0].informativeText,
              "gone1: “gone1” couldn’t be moved because it no longer exists.\n"
              "gone2: “gone2” couldn’t be moved because it no longer exists.");
}

TEST_F(RequestsTest, ABlankCutListIsClearedSilentlyAndNoDestinationLeavesTheCut) {
    pasteInto("/dest");
    delegate.handleIncomingURLs({"orvaneplus://paste"});
    EXPECT_THAT(system.log.messages(),
                ElementsAre("Nothing to paste: no items are waiting to be moved"));
    system.log.lines.clear();
    pasteInto("");
    cut("/src/a");
    delegate.handleIncomingURLs({"orvaneplus://paste"});
    EXPECT_EQ(system.files.request(handoff::kCutFile), "/src/a");
    cut("\n\n\n");
    pasteInto("/dest");
    delegate.handlePasteRequest();
    system.mainQueue.advance(1);
    EXPECT_EQ(system.files.request(handoff::kCutFile), "");
    EXPECT_EQ(system.files.request(handoff::kPasteFile), "");
    EXPECT_THAT(system.files.moves, IsEmpty());
    EXPECT_THAT(system.log.lines, IsEmpty());
    EXPECT_THAT(system.alerts.shown, IsEmpty());
}

TEST_F(RequestsTest, PathsThatNameNoPlaceAreRefusedNotResolved) {
    file("/src/a");
    file("/src/b");
    cut("relative/item\n/src/..\n/\n/src/./a\n/src/b\0/etc/passwd\n/src/a"s);
    pasteInto("/dest");
    delegate.handlePasteRequest();
    system.mainQueue.runUntilIdle();
    EXPECT_THAT(system.files.moves, ElementsAre(std::pair{Path("/src/a"), Path("/dest/a")}));
    ASSERT_EQ(system.alerts.shown.size(), 1u);
    EXPECT_EQ(system.alerts.shown[0].informativeText,
              "relative/item: “relative/item” is not an absolute path.\n"
              "/src/..: “/src/..” holds a “.” or “..” part.\n"
              "/: “/” is the root folder, not an item in it.\n"
              "/src/./a: “/src/./a” holds a “.” or “..” part.\n" +
                  "/src/b\0/etc/passwd: “/src/b\0/etc/passwd” holds a NUL byte."s);

    for (const auto& destination : {"dest"s, "~/dest"s, " \t"s, "/dest\0/x"s}) {
        system.alerts.shown.clear();
        system.log.lines.clear();
        system.files.moves.clear();
        cut("/src/a");
        pasteInto(destination);
        delegate.handlePasteRequest();
        system.mainQueue.runUntilIdle();
        EXPECT_THAT(system.files.moves, IsEmpty()) << destination;
        EXPECT_EQ(system.log.lines.size(), 1u) << destination;
        EXPECT_EQ(system.alerts.shown.size(), 1u) << destination;
    }
}

// ---- Uninstall ----

class UninstallTest : public RequestsTest {
  protected:
    UninstallTest() {
        system.bundle.info = {{"CFBundleIdentifier", "tamsel.Orvane-"}};
        system.files.home = Path("/Users/tester");
    }
};

TEST_F(UninstallTest, CancelChangesNothing) {
    system.alerts.responses = {kAlertFirstButtonReturn + 1};
    system.events.clear();
    delegate.uninstallApp();
    EXPECT_THAT(system.events, ElementsAre("policy regular", "activate", "policy accessory"));
    ASSERT_EQ(system.alerts.shown.size(), 1u);
    EXPECT_THAT(system.alerts.shown[0].buttons, ElementsAre("Uninstall", "Cancel"));
    EXPECT_THAT(system.standard.removedDomains, IsEmpty());
}

TEST_F(UninstallTest, ConfirmedRemovesEverythingThenQuits) {
    system.alerts.responses = {kAlertFirstButtonReturn};
    system.alerts.whileShown = [&] { system.events.push_back("alert"); };
    system.scripts.results = {ScriptError{-128, "User canceled."}};
    system.events.clear();
    EXPECT_TRUE(delegate.performAction("uninstallApp", nullptr));
    ASSERT_EQ(system.events.size(), 7u);
    EXPECT_THAT(
        system.events,
        ::testing::ElementsAreArray<::testing::Matcher<std::string>>(
            {"policy regular", "activate", "alert", "login item unregister", "remove /group",
             ::testing::StartsWith("script do shell script \"rm -rf "), "terminate"}));
    EXPECT_THAT(system.standard.removedDomains, ElementsAre("tamsel.Orvane-"));
    EXPECT_THAT(system.suites.removedDomains, ElementsAre("K4W7P2Z9QD.tamsel.Orvane"));
}

TEST_F(UninstallTest, EachStepIgnoresItsOwnFailure) {
    system.alerts.responses = {kAlertFirstButtonReturn};
    system.loginItems.fail = true;
    system.files.container.reset();
    system.suites.refused = {"K4W7P2Z9QD.tamsel.Orvane"};
    system.bundle.info.clear();
    delegate.uninstallApp();
    EXPECT_THAT(system.standard.removedDomains, ElementsAre("")) << "no bundle identifier: empty";
    EXPECT_EQ(system.scripts.scripts.size(), 1u);
    EXPECT_EQ(system.application.terminations, 1);
}

} // namespace
} // namespace orv
