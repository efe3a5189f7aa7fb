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

struct RequestsTest : ::testing::Test {
    RequestsTest() {
        system.bundle.strings = {{"file.untitled", "B"}};
        system.files.directories = {Path("/f"), Path("/dest"), Path("/src"), Path("/src/dir")};
        for (const char* file : {"/src/a", "/src/b", "/src/dir/inner", "/dest/b"}) {
            system.files.files[Path(file)] = file;
        }
    }
    void pending(std::string content) { system.files.setRequest(handoff::kPendingFile, content); }
    // A cut of `items` waiting to be pasted into `destination`, then the paste and the 0.3 s
    // until the moved items are revealed.
    void paste(std::string items, std::string destination) {
        system.files.setRequest(handoff::kCutFile, std::move(items));
        system.files.setRequest(handoff::kPasteFile, std::move(destination));
        delegate.handleIncomingURLs({"orvaneplus://paste"});
        system.mainQueue.advance(1);
    }
    std::vector<std::string> createdFiles() const { return system.eventsAfter("create "); }
    std::string alerted() const {
        return system.alerts.shown.empty() ? "" : system.alerts.shown.back().informativeText;
    }

    test::TestPlatform system;
    AppDelegate delegate{system.platform()};
};

TEST_F(RequestsTest, CreateURLsCreateWhatThePendingFileNamesOnceAfterAPasteBeforeThem) {
    delegate.handleIncomingURLs({"orvaneplus://create"});
    pending("/f\nmd");
    delegate.handleIncomingURLs({"orvaneplus://Create", "orvaneplus:create", "orvaneplus://",
                                 "not a url", "orvaneplus://created"});
    EXPECT_THAT(createdFiles(), IsEmpty());
    delegate.handleIncomingURLs({"https://create"});
    EXPECT_THAT(createdFiles(), ElementsAre("B.md")) << "the host part alone routes";
    pending("/dest\nTXT");
    system.files.setRequest(handoff::kCutFile, "/src/a");
    system.files.setRequest(handoff::kPasteFile, "/dest");
    delegate.applicationOpenURLs({"orvaneplus://paste", "orvaneplus://u@create/anything?x=1#y"});
    EXPECT_THAT(createdFiles(), ElementsAre("B.md", "B.TXT"));
    EXPECT_LT(std::find(system.events.begin(), system.events.end(), "move /src/a -> /dest/a"),
              std::find(system.events.begin(), system.events.end(), "create B.TXT"));
}

TEST_F(RequestsTest, NoRequestIsLostToABusyHostOrToItsSize) {
    for (const char* ext : {"md", "json", ""}) { // the last one's request was replaced
        if (*ext != '\0') {
            pending("/f\n"s + ext);
        }
        delegate.applicationURLsArrived({"orvaneplus://create", "orvaneplus://paste"});
    }
    delegate.handleIncomingURLs({"orvaneplus://create", "orvaneplus://create"});
    EXPECT_THAT(createdFiles(), ElementsAre("B.md", "B.json"));
    EXPECT_THAT(system.log.lines,
                ::testing::Contains(::testing::StartsWith("A create URL arrived")));
    // Every item of a big folder, cut.
    paste(joined(std::vector<std::string>(20000, "/src/" + std::string(60, 'n')), "\n"), "/dest");
    EXPECT_EQ(system.eventsAfter("move ").size(), 20000u);
}

TEST_F(RequestsTest, AFailedCreateIsLoggedAndARelativeFolderOrANulAlsoAlerts) {
    for (const auto& request :
         {"/nowhere\ntxt"s, "relative/folder\ntxt"s, "/f\0/etc\ntxt"s, "/f\nt\0xt"s}) {
        pending(request);
        delegate.handleIncomingURLs({"orvaneplus://create"});
    }
    EXPECT_THAT(createdFiles(), ElementsAre("failed B.txt")) << "the missing folder is still asked";
    system.mainQueue.runUntilIdle();
    EXPECT_EQ(system.alerts.shown.size(), 3u);
    EXPECT_EQ(system.log.lines.size(), 4u);
    EXPECT_THAT(system.log.lines, ::testing::Each(::testing::StartsWith("ERROR creating: ")));
}

TEST_F(RequestsTest, OneTakenNameFailsAloneTheOthersMoveAndAreRevealedAfterAPause) {
    system.files.setRequest(handoff::kCutFile, "  /src/a  \n/src/b\n/src/dir");
    system.files.setRequest(handoff::kPasteFile, "/dest\n");
    delegate.handleIncomingURLs({"orvaneplus://paste"});
    EXPECT_THAT(system.eventsAfter("move "),
                ElementsAre("/src/a -> /dest/a", "/src/b -> /dest/b", "/src/dir -> /dest/dir"));
    EXPECT_EQ(system.files.files[Path("/dest/b")], "/dest/b") << "not replaced";
    EXPECT_THAT(system.eventsAfter("write "), ElementsAre("cut.txt=", "paste.txt="))
        << "the cut is cleared first: a crash must not move the items again";
    EXPECT_EQ(system.files.journaledMoves, 3) << "a crash mid-copy must leave a record";

    EXPECT_THAT(system.alerts.shown, IsEmpty()) << "after the handler returns";
    system.mainQueue.advance(0.29);
    EXPECT_THAT(system.eventsAfter("reveal "), IsEmpty()) << "not before 0.3 s";
    ASSERT_EQ(system.alerts.shown.size(), 1u);
    EXPECT_EQ(system.alerts.shown[0].messageText, "Error al mover");
    EXPECT_EQ(alerted(),
              "b: “b” couldn’t be moved because an item with the same name already exists.");
    system.mainQueue.advance(0.01);
    EXPECT_THAT(system.eventsAfter("reveal "), ElementsAre("/dest/a /dest/dir"));
}

TEST_F(RequestsTest, APartlyMovedItemIsRevealedAndNothingMovedRevealsNothing) {
    const std::string why = "“dir” was moved, but what appeared or changed in it during the move "
                            "stayed behind in “/src/dir”.";
    system.files.moveErrors[Path("/src//dir")] = Error{11, why, Error::Kind::partial};
    paste("/src//dir", "/dest");
    EXPECT_THAT(system.log.lines,
                ElementsAre("Moved: /src//dir -> /dest/dir", "ERROR moving: " + why))
        << "the path as written";
    EXPECT_THAT(system.eventsAfter("reveal "), ElementsAre("/dest/dir"));
    EXPECT_EQ(alerted(), "dir: " + why);

    paste("/src/gone1\n/src/gone2", "/dest");
    EXPECT_EQ(system.eventsAfter("reveal ").size(), 1u) << "nothing moved: no reveal";
    EXPECT_EQ(alerted(), "gone1: “gone1” couldn’t be moved because it no longer exists.\n"
                         "gone2: “gone2” couldn’t be moved because it no longer exists.");
}

// /src/a and /src/dir copy 20 and 40 MiB; each look at the clock finds it 0.05 s on (quick),
// or 0.3 s on; the user cancels at the first report, or the session ends before the paste.
TEST_F(RequestsTest, ALongPasteShowsItsProgressOnlyAndAStopLeavesWhatItDidNotMove) {
    system.bundle.strings = {{"progress.done", "Moved %@ of %@ to %@"},
                             {"progress.stayed", "Left: %@"}};
    enum Row { quick, slow, cancelled, terminated };
    for (const Row row : {quick, slow, cancelled, terminated}) {
        system.files.files = {{Path("/src/a"), "a"}, {Path("/src/dir/inner"), "i"}};
        system.files.directories = {Path("/src"), Path("/src/dir"), Path("/dest")};
        system.files.copies = {{Path("/src/a"), 20 << 20}, {Path("/src/dir"), 40 << 20}};
        system.processInfo.tick = row == quick ? 0.05 : 0.3;
        system.progress.reports.clear();
        system.progress.cancels = row == cancelled;
        if (row == terminated) {
            system.application.requestTermination();
        }
        paste("/src/a\n/src/dir", "/dest");
        const auto& reports = system.progress.reports;
        EXPECT_EQ(reports.empty(), row == quick || row == terminated) << row;
        for (std::size_t i = 1; i < reports.size(); ++i) {
            EXPECT_LE(reports[i - 1].bytesDone, reports[i].bytesDone) << row;
        }
        const bool stopped = row == cancelled || row == terminated;
        if (!reports.empty()) {
            EXPECT_EQ(reports.back().bytesDone, reports.back().bytesTotal);
            EXPECT_EQ(reports.back().title,
                      stopped ? "Moved 0 of 2 to dest" : "Moved 2 of 2 to dest");
            EXPECT_EQ(reports.back().detail, stopped ? "Left: a, dir" : "");
        }
        EXPECT_EQ(system.files.fileExists(Path("/src/a")), stopped) << row;
        const std::string why = " couldn’t be moved to “/dest” because the move was stopped.";
        EXPECT_EQ(alerted(), stopped ? "a: “a”" + why + "\ndir: “dir”" + why : "") << row;
    }
}

TEST_F(RequestsTest, ABlankCutListIsClearedSilentlyAndNoDestinationLeavesTheCut) {
    paste("", "/dest");
    EXPECT_THAT(system.log.lines,
                ElementsAre("Nothing to paste: no items are waiting to be moved"));
    system.log.lines.clear();
    paste("/src/a", "");
    EXPECT_EQ(system.files.request(handoff::kCutFile), "/src/a");
    paste("\n\n\n", "/dest");
    EXPECT_EQ(system.files.request(handoff::kCutFile), "");
    EXPECT_EQ(system.files.request(handoff::kPasteFile), "");
    EXPECT_THAT(system.events, ::testing::Each(::testing::StartsWith("write "))) << "no alert";
    EXPECT_THAT(system.log.lines, IsEmpty());
}

TEST_F(RequestsTest, PathsThatNameNoPlaceAreRefusedNotResolved) {
    paste("relative/item\n/src/..\n/\n/src/./a\n/src/b\0/etc/passwd\n/src/a"s, "/dest");
    EXPECT_THAT(system.eventsAfter("move "), ElementsAre("/src/a -> /dest/a"));
    EXPECT_EQ(alerted(), "relative/item: “relative/item” is not an absolute path.\n"
                         "/src/..: “/src/..” holds a “.” or “..” part.\n"
                         "/: “/” is the root folder, not an item in it.\n"
                         "/src/./a: “/src/./a” holds a “.” or “..” part.\n" +
                             "/src/b\0/etc/passwd: “/src/b\0/etc/passwd” holds a NUL byte."s);
    for (const auto& destination : {"dest"s, "~/dest"s, " \t"s, "/dest\0/x"s}) {
        const auto alerts = system.alerts.shown.size(), lines = system.log.lines.size();
        paste("/src/b", destination);
        EXPECT_EQ(system.alerts.shown.size() + system.log.lines.size(), alerts + lines + 2)
            << destination;
    }
    EXPECT_THAT(system.eventsAfter("move "), ElementsAre("/src/a -> /dest/a"));
}

TEST_F(RequestsTest, UninstallCancelledChangesNothingConfirmedRemovesWhatItCanThenQuits) {
    system.bundle.info = {{"CFBundleIdentifier", "tamsel.Orvane-"}};
    system.alerts.responses = {kAlertFirstButtonReturn + 1, kAlertFirstButtonReturn};
    system.scripts.results = {ScriptError{-128, "User canceled."}};
    system.loginItems.fail = true; // each step goes on whatever the one before it did
    system.suites.refused = {"K4W7P2Z9QD.tamsel.Orvane"};
    delegate.uninstallApp();
    EXPECT_THAT(system.events,
                ElementsAre("policy regular", "activate", "alert", "policy accessory"));
    EXPECT_THAT(system.alerts.shown[0].buttons, ElementsAre("Uninstall", "Cancel"));
    system.events.clear();
    EXPECT_TRUE(delegate.performAction("uninstallApp", nullptr));
    EXPECT_THAT(
        system.events,
        ::testing::ElementsAreArray<::testing::Matcher<std::string>>(
            {"policy regular", "activate", "alert", "login item unregister", "remove /group",
             ::testing::StartsWith("script do shell script \"rm -rf "), "terminate"}));
    EXPECT_THAT(system.standard.removedDomains, ElementsAre("tamsel.Orvane-"));
}

} // namespace
} // namespace orv
