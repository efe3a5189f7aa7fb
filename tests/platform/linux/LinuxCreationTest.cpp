// The Linux services behind file creation: exclusive creation, application lookup, the script
// runner; and the AppleScript string helpers they rely on.

#include "platform/AppleScript.h"
#include "platform/Text.h"
#include "platform/linux/LinuxFileManager.h"
#include "platform/linux/LinuxServices.h"
#include "platform/linux/Process.h"

#include "tests/support/TempDir.h"

#include <atomic>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace orv::lnx {
namespace {

using test::readFile;
using test::writeFile;

class LinuxCreationTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::ScopedEnv env;
    LinuxFileManager files;
};

TEST_F(LinuxCreationTest, ExclusiveCreateWritesWholeFilesAndNeverReplaces) {
    ASSERT_TRUE(files.createFileExclusively(dir / "B.rtf", "{\\rtf1}"));
    EXPECT_EQ(readFile(dir / "B.rtf"), "{\\rtf1}");
    const auto again = files.createFileExclusively(dir / "B.rtf", "other");
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().kind, Error::Kind::alreadyExists);
    EXPECT_EQ(readFile(dir / "B.rtf"), "{\\rtf1}");
    std::filesystem::create_directory((dir / "B.md").str());
    EXPECT_EQ(files.createFileExclusively(dir / "B.md", "").error().kind,
              Error::Kind::alreadyExists);
    std::filesystem::create_symlink("/nonexistent", (dir / "dangling").str());
    EXPECT_EQ(files.createFileExclusively(dir / "dangling", "").error().kind,
              Error::Kind::alreadyExists)
        << "a dangling link is a name taken too";
    EXPECT_EQ(test::countEntries(dir.path()), 3u) << "no temporary file is left behind";
}

TEST_F(LinuxCreationTest, ExclusiveCreateReportsAMissingOrLockedFolder) {
    const auto missing = files.createFileExclusively(dir / "nope/B.txt", "");
    EXPECT_EQ(missing.error().kind, Error::Kind::notFound);
    if (geteuid() != 0) { // root writes anywhere
        std::filesystem::create_directory((dir / "locked").str());
        chmod((dir / "locked").str().c_str(), 0500);
        EXPECT_FALSE(files.createFileExclusively(dir / "locked/B.txt", ""));
    }
}

TEST_F(LinuxCreationTest, ExactlyOneOfManyRacingCreatorsGetsTheName) {
    std::atomic<int> winners{0};
    std::vector<std::thread> racers;
    for (int i = 0; i < 8; ++i) {
        racers.emplace_back([&, i] {
            if (files.createFileExclusively(dir / "B.txt", "racer " + std::to_string(i))) {
                ++winners;
            }
        });
    }
    for (auto& t : racers) {
        t.join();
    }
    EXPECT_EQ(winners, 1);
    EXPECT_THAT(readFile(dir / "B.txt"), ::testing::StartsWith("racer "));
    EXPECT_EQ(test::countEntries(dir.path()), 1u);
}

TEST_F(LinuxCreationTest, ApplicationsAreFoundByTheirDesktopEntry) {
    std::filesystem::create_directories((dir / "share/applications").str());
    writeFile(dir / "share/applications/com.apple.iWork.Pages.desktop", "[Desktop Entry]\n");
    env.set("XDG_DATA_DIRS", (dir / "share").str() + ":/nonexistent");
    env.set("XDG_DATA_HOME", (dir / "home-data").str());
    LinuxProcessLauncher launcher;
    LinuxWorkspace workspace(launcher);
    EXPECT_EQ(workspace.urlForApplication("com.apple.iWork.Pages"),
              dir / "share/applications/com.apple.iWork.Pages.desktop");
    EXPECT_EQ(workspace.urlForApplication("com.apple.iWork.Numbers"), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication("../../etc/passwd"), std::nullopt);
}

TEST_F(LinuxCreationTest, ScriptRunnerShowsTheFileThroughTheSessionBus) {
    writeFile(dir / "My, \"file\".txt", "");
    const Path record = dir / "dbus-args";
    std::filesystem::create_directories((dir / "bin").str());
    writeFile(dir / "bin/dbus-send", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record.str() + "'\n");
    chmod((dir / "bin/dbus-send").str().c_str(), 0755);
    env.set("PATH", (dir / "bin").str() + ":/usr/bin:/bin");
    env.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    LinuxScriptRunner runner;
    const std::string path = (dir / "My, \"file\".txt").str();
    const std::string select = "tell application \"Finder\"\n    set theFile to POSIX file \"" +
                               appleScriptEscaped(path) +
                               "\" as alias\n    select theFile\n    activate\nend tell";
    EXPECT_EQ(runner.run(select), std::nullopt);
    const std::string args = readFile(record);
    EXPECT_THAT(args, ::testing::HasSubstr("org.freedesktop.FileManager1.ShowItems\n"));
    EXPECT_THAT(args, ::testing::HasSubstr("array:string:" + fileURI(Path(path)) + "\n"));
    EXPECT_THAT(fileURI(Path(path)), ::testing::EndsWith("/My%2C%20%22file%22.txt"))
        << "a comma would split dbus-send's array";
}

TEST_F(LinuxCreationTest, ScriptRunnerSaysWhyWhatLinuxCannotDo) {
    env.unset("DBUS_SESSION_BUS_ADDRESS");
    LinuxScriptRunner runner;
    writeFile(dir / "x.txt", "");
    const auto noBus = runner.run("tell application \"Finder\"\n    set theFile to POSIX file \"" +
                                  (dir / "x.txt").str() +
                                  "\" as alias\n    select theFile\n    activate\nend tell");
    ASSERT_TRUE(noBus);
    EXPECT_EQ(noBus->number, -600);
    EXPECT_EQ(runner.run("tell application \"System Events\"\n    key code 36\nend tell")->number,
              -1743);
    EXPECT_EQ(runner.run("do shell script \"rm -rf x\" with administrator privileges")->number,
              -60005)
        << "nothing is run with administrator rights";
}

TEST(AppleScriptTest, EscapedTextReadsBackExactly) {
    for (const std::string text :
         {"plain", "say \"hi\"", "back\\slash", "\\\"", "\"\\\"\\\\", "ends\\", "line\nfeed", ""}) {
        const std::string literal = concat({"\"", appleScriptEscaped(text), "\""});
        std::size_t at = 0;
        EXPECT_EQ(readAppleScriptString(literal, at), text) << literal;
        EXPECT_EQ(at, literal.size());
    }
    std::size_t at = 0;
    EXPECT_EQ(readAppleScriptString("\"unterminated", at), std::nullopt);
    EXPECT_EQ(readAppleScriptString("no quote", at), std::nullopt);
}

TEST(AppleScriptTest, ErrorDictionariesPrintAsTheLogShowsThem) {
    EXPECT_EQ(describeScriptError(std::nullopt), "nil");
    EXPECT_EQ(describeScriptError(ScriptError{-43, "File \"x\" wasn’t found."}),
              "Optional({\n    NSAppleScriptErrorMessage = \"File \\\"x\\\" wasn’t found.\";\n"
              "    NSAppleScriptErrorNumber = -43;\n})");
}

} // namespace
} // namespace orv::lnx
