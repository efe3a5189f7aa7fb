#include "app/shell/AppDelegate.h"

#include "app/templates/OfficeTemplates.h"
#include "platform/AppleScript.h"
#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Path kFolder("/Users/a/Documents");

struct FileCreationTest : ::testing::Test {
    FileCreationTest() {
        system.bundle.strings = {{"file.untitled", "B"}};
        system.files.directories = {kFolder};
    }
    void exists(std::string_view name) { system.files.files[kFolder.appending(name)] = "keep"; }
    std::string created() const {
        const auto made = system.eventsAfter("create ");
        return made.empty() ? "" : made.back();
    }
    std::string contentOf(std::string_view name) {
        return system.files.files[kFolder.appending(name)];
    }

    test::TestPlatform system;
    AppDelegate delegate{system.platform()};
    const Path file = kFolder.appending("B 1.numbers");
};

TEST_F(FileCreationTest, TheFirstFreeNameFillsGapsFromTheBottomAndEachKindGetsItsBytes) {
    for (const auto& [present, ext, expected] :
         std::vector<std::tuple<std::vector<std::string>, std::string, std::string>>{
             {{}, "txt", "B.txt"},
             {{"B.txt", "B 1.txt"}, "txt", "B 2.txt"},
             {{"B.txt", "B 2.txt"}, "txt", "B 1.txt"},
             {{"B 1.txt"}, "txt", "B.txt"},
             {{"B.md"}, "md", "B 2.md"}, // a folder "B 1.md" blocks too
             {{"B.TXT"}, "txt", "B.txt"},
             {{"B."}, "", "B 1."}}) {
        system.files.files.clear();
        system.files.directories = {kFolder, kFolder.appending("B 1.md")};
        for (const auto& name : present) {
            exists(name);
        }
        delegate.createFile(kFolder, ext);
        EXPECT_EQ(created(), expected) << ::testing::PrintToString(present) << " " << ext;
    }
    for (const auto& [ext, bytes] : std::vector<std::pair<std::string, std::string_view>>{
             {"docx", templates::emptyDocxPackage()},
             {"xlsx", templates::emptyXlsxPackage()},
             {"pptx", templates::emptyPptxPackage()},
             {"rtf", templates::kRtfTemplateText},
             {"json", ""},
             {"sh", ""},
             {"Docx", ""},
             {"zip", ""}}) {
        delegate.createFile(kFolder, ext);
        EXPECT_EQ(contentOf("B." + ext), bytes) << ext;
    }
    delegate.createFile(kFolder, "key");
    EXPECT_FALSE(system.files.fileExists(kFolder.appending("B.key"))) << "Keynote makes its own";
}

TEST_F(FileCreationTest, SuccessLogsThenRevealsOnTheGlobalQueueAndFailureOnlyLogs) {
    delegate.createFile(kFolder, "txt");
    delegate.createFile(Path("/locked"), "txt");
    EXPECT_THAT(system.log.lines,
                ElementsAre("Created: /Users/a/Documents/B.txt",
                            "ERROR creating: You don’t have permission to save “B.txt”."));
    EXPECT_THAT(system.scripts.scripts, IsEmpty()) << "nothing runs on the main thread";
    ASSERT_EQ(system.userInitiatedQueue.tasks.size(), 1u) << "a failure reveals nothing";
    system.userInitiatedQueue.runAll();
    ASSERT_EQ(system.scripts.scripts.size(), 2u);
    EXPECT_THAT(system.scripts.scripts[0], ::testing::HasSubstr("\"/Users/a/Documents/B.txt\""));
}

// Another process takes names just before we do: the first `taken` of them, or all.
TEST_F(FileCreationTest, ANameTakenMeanwhileIsLeftAloneAndTheSearchEndsWhenAllAre) {
    int tries = 0, taken = 2;
    system.files.beforeCreate = [&](const Path& path) {
        if (tries++ < taken) {
            system.files.files[path] = "another's";
        }
    };
    delegate.createFile(kFolder, "txt");
    EXPECT_EQ(created(), "B 2.txt");
    EXPECT_EQ(contentOf("B.txt") + contentOf("B 1.txt"), "another'sanother's");
    tries = 0;
    taken = 1000000;
    system.log.lines.clear();
    delegate.createFile(kFolder, "md");
    EXPECT_EQ(tries, 100000);
    EXPECT_THAT(
        system.log.lines,
        ElementsAre("ERROR creating: “/Users/a/Documents” has no free name for a new file."));
}

TEST_F(FileCreationTest, UnsafeRequestsAreRefusedBeforeAnythingIsWritten) {
    for (const auto& [folder, ext] : std::vector<std::pair<std::string, std::string>>{
             {"relative/folder", "txt"},
             {"", "txt"},
             {kFolder.str(), "../../etc/x"},
             {kFolder.str(), "a/b"},
             {kFolder.str(), std::string("t\0xt", 4)}}) {
        system.log.lines.clear();
        delegate.createFile(Path(folder), ext);
        ASSERT_EQ(system.log.lines.size(), 1u) << folder << " " << ext;
        EXPECT_THAT(system.log.lines[0], ::testing::StartsWith("ERROR creating: "));
    }
    EXPECT_THAT(system.events, IsEmpty());
}

// Whatever a path holds, AppleScript reads back exactly that path.
TEST_F(FileCreationTest, HostilePathsReadBackExactly) {
    for (const std::string path :
         {"/Users/a/My \"quoted\" folder/Untitled.txt", "/Users/a/back\\slash\\\"mixed\\/U 1.txt",
          "/Users/a/Café — 日本/Untitled.txt", "/Users/a/ends with backslash\\",
          "/Users/a/line\nfeed"}) {
        for (const auto& script : {AppDelegate::finderSelectionScript(path),
                                   AppDelegate::iWorkCreationScript("id", path)}) {
            std::size_t at = script.find("POSIX file ") + 11;
            EXPECT_EQ(readAppleScriptString(script, at), path) << script;
        }
    }
}

// iWork kinds get a free name and go to their application, which saves the document.
TEST_F(FileCreationTest, IWorkASavedDocumentIsLoggedAndRevealedAndAFailureIsLoggedOnly) {
    system.workspace.installedApplications = {"com.apple.iWork.Numbers"};
    exists("B.numbers");
    system.scripts.onRun = [&](std::string_view script) {
        if (script.find("make new document") != std::string_view::npos) {
            system.files.files[file] = "a numbers document";
        }
    };
    const auto settle = [&] { // the script, its result on the main queue, then the reveal
        system.userInitiatedQueue.runAll();
        system.mainQueue.runUntilIdle();
        system.userInitiatedQueue.runAll();
    };
    delegate.createFile(kFolder, "numbers");
    EXPECT_THAT(system.events, IsEmpty()) << "nothing is written here";
    settle();
    EXPECT_THAT(system.scripts.scripts[0], ::testing::HasSubstr("com.apple.iWork.Numbers"));
    system.files.files.clear();
    system.scripts.onRun = [](std::string_view) {};
    system.scripts.results = {ScriptError{-1743, "Not authorized."}};
    delegate.createIWorkDocument(file, "numbers");
    settle();
    delegate.createIWorkDocument(file, "numbers"); // no error, but no file either
    settle();
    EXPECT_THAT(system.log.lines,
                ElementsAre("IWork created: /Users/a/Documents/B 1.numbers", "select err=nil",
                            "rename err=nil",
                            "IWork error: Optional({\n    NSAppleScriptErrorMessage = \"Not "
                            "authorized.\";\n    NSAppleScriptErrorNumber = -1743;\n})",
                            "IWork error: nil"));
}

} // namespace
} // namespace orv
