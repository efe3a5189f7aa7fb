// The Linux services behind file creation: exclusive creation, application lookup, the script
// runner; and the AppleScript string helpers they rely on.

#include "platform/linux/LinuxFileManager.h"
#include "app/shell/AppDelegate.h"
#include "platform/AppleScript.h"
#include "platform/Text.h"
#include "platform/linux/LinuxServices.h"
#include "platform/linux/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPlatform.h"

#include <atomic>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace orv::lnx {
namespace {

using test::readFile;
using test::writeFile;
using WriteMode = FileManager::WriteMode;

mode_t modeOf(const Path& path) {
    struct stat st {};
    stat(path.str().c_str(), &st);
    return st.st_mode & 07777;
}

class LinuxFileManagerTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::ScopedEnv env;
    LinuxFileManager files;
};

TEST_F(LinuxFileManagerTest, ContainerIsMadePrivateOrIsAbsent) {
    env.set("ORVANE_GROUP_CONTAINERS", (dir / "groups").str());
    const auto container = files.containerURL("K4W7P2Z9QD.tamsel.Orvane");
    ASSERT_TRUE(container);
    EXPECT_EQ(*container, dir / "groups/K4W7P2Z9QD.tamsel.Orvane");
    EXPECT_EQ(modeOf(*container), 0700u);
    EXPECT_EQ(files.containerURL("../escape"), std::nullopt);
    writeFile(dir / "file", "x");
    env.set("ORVANE_GROUP_CONTAINERS", (dir / "file").str());
    EXPECT_EQ(files.containerURL("G"), std::nullopt);
    // Pre-made by someone else, or open to others' writes: another user could plant requests.
    test::RecordingLogSink sink;
    LinuxFileManager logged(&sink, "s");
    env.set("ORVANE_GROUP_CONTAINERS", (dir / "groups").str());
    chmod(container->str().c_str(), 0777);
    EXPECT_EQ(logged.containerURL("K4W7P2Z9QD.tamsel.Orvane"), std::nullopt);
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_THAT(sink.lines[0].message, ::testing::EndsWith(": writable by others"));
    chmod(container->str().c_str(), 0700);
    if (geteuid() == 0) { // only root can give a folder away
        ASSERT_EQ(chown(container->str().c_str(), 65534, 65534), 0);
        EXPECT_EQ(logged.containerURL("K4W7P2Z9QD.tamsel.Orvane"), std::nullopt);
        EXPECT_THAT(sink.lines.back().message, ::testing::EndsWith(": owned by user 65534"));
    }

    env.unset("ORVANE_GROUP_CONTAINERS");
    env.set("XDG_DATA_HOME", (dir / "data").str());
    EXPECT_EQ(files.containerURL("G"), dir / "data/orvane/group-containers/G");
}

TEST_F(LinuxFileManagerTest, ReadsUTF8AndRefusesAnythingElse) {
    writeFile(dir / "ok.txt", "/caf\xC3\xA9\n");
    EXPECT_EQ(*files.readUTF8(dir / "ok.txt"), "/caf\xC3\xA9\n");
    writeFile(dir / "bom.txt", "\xEF\xBB\xBF/a");
    EXPECT_EQ(*files.readUTF8(dir / "bom.txt"), "/a");
    writeFile(dir / "latin1.txt", "/caf\xE9");
    EXPECT_FALSE(files.readUTF8(dir / "latin1.txt"));
    EXPECT_EQ(files.readUTF8(dir / "missing.txt").error().code, ENOENT);
    EXPECT_FALSE(files.readUTF8(dir.path())) << "a folder is not a text";
}

TEST_F(LinuxFileManagerTest, WritesReplaceWholeKeepTheModeAndSayWhyTheyFail) {
    writeFile(dir / "cut.txt", "an old and much longer list");
    chmod((dir / "cut.txt").str().c_str(), 0640);
    ASSERT_TRUE(files.writeUTF8(dir / "cut.txt", "/a", WriteMode::atomic));
    EXPECT_EQ(readFile(dir / "cut.txt"), "/a");
    EXPECT_EQ(modeOf(dir / "cut.txt"), 0640u) << "a replaced file keeps its mode";
    ASSERT_TRUE(files.writeUTF8(dir / "cut.txt", "", WriteMode::inPlace));
    EXPECT_EQ(readFile(dir / "cut.txt"), "");
    EXPECT_EQ(test::countEntries(dir.path()), 1u) << "no temporary file is left";
    const mode_t old = umask(027);
    const auto written = files.writeUTF8(dir / "new.txt", "", WriteMode::atomic);
    umask(old);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(dir / "new.txt"), 0640u) << "a new file follows the umask";
    for (const auto mode : {WriteMode::atomic, WriteMode::inPlace}) {
        const auto result = files.writeUTF8(dir / "nope/x.txt", "x", mode);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().code, ENOENT);
        EXPECT_NE(result.error().localizedDescription.find("x.txt"), std::string::npos);
    }
}

TEST_F(LinuxFileManagerTest, APathHoldingNulIsRefusedNeverCutShort) {
    std::filesystem::create_directory((dir / "d").str());
    writeFile(dir / "d/f", "keep");
    const Path nul((dir / "d").str() + std::string("\0/f", 3));
    EXPECT_EQ(files.readUTF8(nul).error().code, EINVAL);
    EXPECT_FALSE(files.writeUTF8(nul, "x", WriteMode::atomic));
    EXPECT_FALSE(files.writeUTF8(nul, "x", WriteMode::inPlace));
    EXPECT_FALSE(files.fileExists(nul));
    EXPECT_EQ(files.isDirectory(nul), std::nullopt);
    EXPECT_FALSE(files.createFileExclusively(nul, "x"));
    EXPECT_FALSE(files.moveItem(nul, dir / "moved", nullptr));
    EXPECT_FALSE(files.moveItem(dir / "d/f", nul, nullptr));
    EXPECT_FALSE(files.removeItem(nul));
    EXPECT_EQ(readFile(dir / "d/f"), "keep");
    EXPECT_EQ(test::countEntries(dir / "d"), 1u);
    EXPECT_EQ(test::countEntries(dir.path()), 1u);
}

// Across file systems the copy is on record from before it exists until it has its name.
TEST_F(LinuxFileManagerTest, AMoveAcrossFileSystemsTellsItsObserverOfItsCopy) {
    std::string shm = "/dev/shm/orvane-fm-XXXXXX"; // tmpfs: another file system
    ASSERT_NE(mkdtemp(shm.data()), nullptr);
    writeFile(Path(shm).appending("f"), "f");
    struct : MoveObserver {
        std::vector<std::string> heard;
        void copyBegins(const Path& copy, std::optional<FileIdentity>) override {
            heard.push_back(copy.deletingLastComponent().str());
        }
        void copyEnds() override { heard.push_back("ends"); }
    } observer;
    const auto moved = files.moveItem(Path(shm).appending("f"), dir / "f", &observer);
    std::filesystem::remove_all(shm);
    ASSERT_TRUE(moved);
    EXPECT_EQ(observer.heard.front(), dir.path().str());
    EXPECT_EQ(observer.heard.back(), "ends");
}

TEST_F(LinuxFileManagerTest, IsDirectoryIsTheItemsOwnKind) {
    std::filesystem::create_directory((dir / "Tool.app").str());
    writeFile(dir / "f", "");
    std::filesystem::create_directory_symlink((dir / "Tool.app").str(), (dir / "link").str());
    EXPECT_EQ(files.isDirectory(dir / "Tool.app"), true);
    EXPECT_EQ(files.isDirectory(dir / "f"), false);
    EXPECT_EQ(files.isDirectory(dir / "link"), false) << "a link is not followed";
    EXPECT_EQ(files.isDirectory(dir / "missing"), std::nullopt);
    env.set("HOME", (dir / "home/").str());
    EXPECT_EQ(files.homeDirectory(), dir / "home");
}

using LinuxCreationTest = LinuxFileManagerTest;

TEST_F(LinuxCreationTest, ExclusiveCreateWritesWholeFilesAndNeverReplacesAnyKindOfItem) {
    ASSERT_TRUE(files.createFileExclusively(dir / "B.rtf", "{\\rtf1}"));
    std::filesystem::create_directory((dir / "B.md").str());
    std::filesystem::create_symlink("/nonexistent", (dir / "dangling").str());
    for (const char* taken : {"B.rtf", "B.md", "dangling"}) {
        EXPECT_EQ(files.createFileExclusively(dir / taken, "other").error().kind,
                  Error::Kind::alreadyExists)
            << taken;
    }
    EXPECT_EQ(readFile(dir / "B.rtf"), "{\\rtf1}");
    EXPECT_EQ(files.createFileExclusively(dir / "nope/B.txt", "").error().kind,
              Error::Kind::notFound);
    EXPECT_EQ(test::countEntries(dir.path()), 3u) << "no temporary file is left behind";
}

TEST_F(LinuxCreationTest, ExactlyOneOfManyRacingCreatorsGetsTheName) {
    std::atomic<int> winners{0};
    std::vector<std::thread> racers;
    for (int i = 0; i < 8; ++i) {
        racers.emplace_back(
            [&] { winners += files.createFileExclusively(dir / "B.txt", "r") ? 1 : 0; });
    }
    for (auto& t : racers) {
        t.join();
    }
    EXPECT_EQ(winners, 1);
    EXPECT_EQ(test::countEntries(dir.path()), 1u);
}

TEST_F(LinuxCreationTest, ScriptRunnerShowsTheFileThroughTheSessionBusAndSaysWhyElse) {
    const std::string path = (dir / "My, \"file\".txt").str();
    writeFile(Path(path), "");
    std::filesystem::create_directories((dir / "bin").str());
    writeFile(dir / "bin/dbus-send",
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + (dir / "args").str() + "'\n");
    chmod((dir / "bin/dbus-send").str().c_str(), 0755);
    env.set("PATH", (dir / "bin").str() + ":/usr/bin:/bin");
    env.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    LinuxScriptRunner runner;
    // The host's own script: the runner must recognise exactly what the host sends.
    const std::string select = AppDelegate::finderSelectionScript(path);
    EXPECT_EQ(runner.run(select), std::nullopt);
    EXPECT_THAT(readFile(dir / "args"),
                ::testing::HasSubstr("array:string:" + fileURI(Path(path)) + "\n"));
    EXPECT_THAT(fileURI(Path(path)), ::testing::EndsWith("/My%2C%20%22file%22.txt"))
        << "a comma would split dbus-send's array";
    env.unset("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(runner.run(select)->number, -600);
    EXPECT_EQ(runner.run("do shell script \"rm -rf x\" with administrator privileges")->number,
              -60005)
        << "nothing is run with administrator rights";
}

TEST(AppleScriptTest, EscapedTextReadsBackExactlyAndErrorsPrintAsTheLogShowsThem) {
    for (const std::string text :
         {"plain", "say \"hi\"", "back\\slash", "\"\\\"\\\\", "ends\\", "line\nfeed", ""}) {
        const std::string literal = concat({"\"", appleScriptEscaped(text), "\""});
        std::size_t at = 0;
        EXPECT_EQ(readAppleScriptString(literal, at), text) << literal;
        EXPECT_EQ(at, literal.size());
    }
    std::size_t at = 0;
    EXPECT_EQ(readAppleScriptString("\"unterminated", at), std::nullopt);
    EXPECT_EQ(describeScriptError(std::nullopt), "nil");
    EXPECT_EQ(describeScriptError(ScriptError{-43, "File \"x\" wasn’t found."}),
              "Optional({\n    NSAppleScriptErrorMessage = \"File \\\"x\\\" wasn’t found.\";\n"
              "    NSAppleScriptErrorNumber = -43;\n})");
}

} // namespace
} // namespace orv::lnx
