#include "app/shell/AppDelegate.h"

#include "platform/AppleScript.h"
#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The path inside the first string literal after `marker`, read back as AppleScript would.
std::string literalAfter(const std::string& script, std::string_view marker) {
    std::size_t at = script.find(marker);
    EXPECT_NE(at, std::string::npos) << script;
    at += marker.size();
    return readAppleScriptString(script, at).value_or("<unreadable>");
}

const std::vector<std::string> kHostilePaths = {
    "/Users/a/My \"quoted\" folder/Untitled.txt",
    "/Users/a/back\\slash\\\"mixed\\/Untitled 1.txt",
    "/Users/a/Café — 日本/Untitled.txt",
    "/Users/a/ends with backslash\\",
    "/Users/a/line\nfeed",
};

class RevealTest : public ::testing::Test {
  protected:
    test::TestPlatform system;
    AppDelegate delegate{system.platform()};
};

// Whatever a path holds, AppleScript reads back exactly that path.
TEST_F(RevealTest, HostilePathsReadBackExactly) {
    for (const auto& path : kHostilePaths) {
        EXPECT_EQ(literalAfter(AppDelegate::finderSelectionScript(path), "POSIX file "), path);
        EXPECT_EQ(literalAfter(AppDelegate::iWorkCreationScript("id", path), "POSIX file "), path);
    }
}

TEST_F(RevealTest, SelectThenPauseThenRenameEachLoggedEvenWhenTheSelectionFails) {
    system.scripts.results = {ScriptError{-1743, "Not authorized."}, std::nullopt};
    delegate.revealAndRename(Path("/a/B.txt"));
    EXPECT_THAT(system.events, IsEmpty()) << "returns at once";
    system.userInitiatedQueue.runAll();
    EXPECT_THAT(system.events, ElementsAre("script tell application \"Finder\"", "sleep 0.4",
                                           "script tell application \"System Events\""));
    EXPECT_THAT(system.log.messages(),
                ElementsAre("select err=Optional({\n    NSAppleScriptErrorMessage = \"Not "
                            "authorized.\";\n    NSAppleScriptErrorNumber = -1743;\n})",
                            "rename err=nil"));
}

class IWorkTest : public RevealTest {
  protected:
    const Path file{"/Users/a/B 1.numbers"};
};

TEST_F(IWorkTest, AMissingApplicationOffersItsAppStorePage) {
    system.alerts.responses = {kAlertFirstButtonReturn, kAlertFirstButtonReturn + 1};
    delegate.createIWorkDocument(file, "pages");
    delegate.createIWorkDocument(file, "numbers");
    system.mainQueue.runUntilIdle();
    ASSERT_EQ(system.alerts.shown.size(), 2u);
    const Alert& alert = system.alerts.shown[0];
    EXPECT_EQ(alert.messageText, "Pages is not installed");
    EXPECT_EQ(alert.informativeText,
              "Pages is required to create .pages files. Download it for free from the App Store.");
    EXPECT_THAT(alert.buttons, ElementsAre("Open App Store", "Cancel"));
    EXPECT_EQ(system.alerts.shown[1].messageText, "Numbers is not installed");
    EXPECT_THAT(system.workspace.opened,
                ElementsAre("macappstore://apps.apple.com/app/id409201541"))
        << "Cancel opens nothing";
    EXPECT_THAT(system.scripts.scripts, IsEmpty());
}

TEST_F(IWorkTest, ASavedDocumentIsLoggedAndRevealedAndAFailureIsLoggedOnly) {
    system.workspace.installedApplications = {"com.apple.iWork.Numbers"};
    system.scripts.onRun = [&](std::string_view script) {
        if (script.find("make new document") != std::string_view::npos) {
            system.files.files[file] = "a numbers document";
        }
    };
    delegate.createIWorkDocument(file, "numbers");
    system.userInitiatedQueue.runAll(); // the script
    EXPECT_THAT(system.log.lines, IsEmpty()) << "the result comes back through the main queue";
    system.mainQueue.runUntilIdle();
    system.userInitiatedQueue.runAll(); // the reveal
    system.files.files.clear();
    system.scripts.onRun = {};
    system.scripts.results = {ScriptError{-1743, "Not authorized."}};
    delegate.createIWorkDocument(file, "numbers");
    system.userInitiatedQueue.runAll();
    system.mainQueue.runUntilIdle();
    delegate.createIWorkDocument(file, "numbers"); // no error, but no file either
    system.userInitiatedQueue.runAll();
    system.mainQueue.runUntilIdle();
    EXPECT_THAT(system.log.messages(),
                ElementsAre("IWork created: /Users/a/B 1.numbers", "select err=nil",
                            "rename err=nil",
                            "IWork error: Optional({\n    NSAppleScriptErrorMessage = \"Not "
                            "authorized.\";\n    NSAppleScriptErrorNumber = -1743;\n})",
                            "IWork error: nil"));
    EXPECT_THAT(system.userInitiatedQueue.tasks, IsEmpty());
}

} // namespace
} // namespace orv
