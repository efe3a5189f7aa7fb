#include "app/shell/AppDelegate.h"

#include "app/templates/OfficeTemplates.h"
#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Path kFolder("/Users/a/Documents");

class FileCreationTest : public ::testing::Test {
  protected:
    FileCreationTest() {
        system.bundle.strings = {{"file.untitled", "B"}};
        system.files.directories = {kFolder};
    }
    void exists(std::string_view name) { system.files.files[kFolder.appending(name)] = "keep"; }
    // The name of the file the last creation made.
    std::string created() const {
        for (auto it = system.events.rbegin(); it != system.events.rend(); ++it) {
            if (it->rfind("create ", 0) == 0) {
                return it->substr(7);
            }
        }
        return "";
    }
    std::string contentOf(std::string_view name) {
        return system.files.files[kFolder.appending(name)];
    }

    test::TestPlatform system;
    AppDelegate delegate{system.platform()};
};

TEST_F(FileCreationTest, TheFirstFreeNameFillsGapsFromTheBottom) {
    struct Case {
        std::vector<std::string> present;
        std::string ext, expected;
    };
    const std::vector<Case> cases = {
        {{}, "txt", "B.txt"},
        {{"B.txt", "B 1.txt"}, "txt", "B 2.txt"},
        {{"B.txt", "B 2.txt"}, "txt", "B 1.txt"},
        {{"B 1.txt"}, "txt", "B.txt"},
        {{"B.md"}, "md", "B 2.md"},
        {{"B.TXT"}, "txt", "B.txt"},
        {{"B."}, "", "B 1."},
    };
    for (const auto& c : cases) {
        system.files.files.clear();
        system.files.directories = {kFolder, kFolder.appending("B 1.md")}; // a folder blocks too
        for (const auto& name : c.present) {
            exists(name);
        }
        delegate.createFile(kFolder, c.ext);
        EXPECT_EQ(created(), c.expected) << ::testing::PrintToString(c.present) << " " << c.ext;
    }
}

TEST_F(FileCreationTest, EachKindGetsItsBytes) {
    const std::vector<std::pair<std::string, std::string_view>> kinds = {
        {"docx", templates::emptyDocxPackage()},
        {"xlsx", templates::emptyXlsxPackage()},
        {"pptx", templates::emptyPptxPackage()},
        {"rtf", templates::kRtfTemplateText},
        {"txt", ""},
        {"json", ""},
        {"sh", ""},
        {"Docx", ""},
        {"zip", ""}};
    for (const auto& [ext, bytes] : kinds) {
        delegate.createFile(kFolder, ext);
        EXPECT_EQ(contentOf("B." + ext), bytes) << ext;
    }
    EXPECT_EQ(templates::kRtfTemplateText,
              R"({\rtf1\ansi\deff0 {\fonttbl {\f0 Helvetica;}} \pard\f0\fs24 })");
}

TEST_F(FileCreationTest, SuccessLogsThenRevealsOnTheGlobalQueueAndFailureOnlyLogs) {
    delegate.createFile(kFolder, "txt");
    delegate.createFile(Path("/locked"), "txt");
    EXPECT_THAT(system.log.messages(),
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
        system.log.messages(),
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
        EXPECT_THAT(system.log.lines[0].message, ::testing::StartsWith("ERROR creating: "));
    }
    EXPECT_THAT(system.events, IsEmpty());
}

TEST_F(FileCreationTest, IWorkKindsGetAFreeNameAndGoToTheirApplication) {
    exists("B.key");
    system.workspace.installedApplications = {"com.apple.iWork.Keynote"};
    delegate.createFile(kFolder, "key");
    EXPECT_THAT(system.log.lines, IsEmpty()) << "nothing is written or logged here";
    system.userInitiatedQueue.runAll();
    ASSERT_EQ(system.scripts.scripts.size(), 1u);
    EXPECT_THAT(system.scripts.scripts[0], ::testing::HasSubstr("com.apple.iWork.Keynote"));
    EXPECT_THAT(system.scripts.scripts[0], ::testing::HasSubstr("\"/Users/a/Documents/B 1.key\""));
    EXPECT_EQ(system.files.files.count(kFolder.appending("B 1.key")), 0u);
}

} // namespace
} // namespace orv
