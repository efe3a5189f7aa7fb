// What only Linux's file manager does (the private container, modes, the observer of a move
// across file systems; the rest is in the platform contract), the script runner, and the
// AppleScript string helpers they rely on.

#include "platform/linux/LinuxFileManager.h"
#include "app/shell/AppDelegate.h"
#include "platform/AppleScript.h"
#include "platform/Text.h"
#include "platform/linux/LinuxServices.h"
#include "platform/linux/Process.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestPlatform.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv::lnx {
namespace {

using test::readFile;
using test::writeFile;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
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
    test::RecordingLogSink sink;
    LinuxFileManager files(&sink, "s");
    env.set("XDG_DATA_HOME", (dir / "data").str());
    EXPECT_EQ(files.containerURL("G"), dir / "data/orvane/group-containers/G");
    env.set("ORVANE_GROUP_CONTAINERS", (dir / "groups").str());
    const Path container = *files.containerURL("G");
    EXPECT_EQ(modeOf(container), 0700u);
    EXPECT_EQ(files.containerURL("../escape"), std::nullopt);
    // Pre-made by someone else, or open to others' writes: another user could plant requests.
    chmod(container.str().c_str(), 0777);
    EXPECT_EQ(files.containerURL("G"), std::nullopt);
    EXPECT_THAT(sink.messages(), ElementsAre(EndsWith(": writable by others")));
    chmod(container.str().c_str(), 0700);
    if (geteuid() == 0) { // only root can give a folder away
        ASSERT_EQ(chown(container.str().c_str(), 65534, 65534), 0);
        EXPECT_EQ(files.containerURL("G"), std::nullopt);
        EXPECT_THAT(sink.messages().back(), EndsWith(": owned by user 65534"));
    }
    writeFile(dir / "file", "");
    env.set("ORVANE_GROUP_CONTAINERS", (dir / "file").str());
    EXPECT_EQ(files.containerURL("G"), std::nullopt) << "a file is in the way";
}

TEST_F(LinuxFileManagerTest, AReplacedFileKeepsItsModeANewOneFollowsTheUmask) {
    writeFile(dir / "cut.txt", "old");
    chmod((dir / "cut.txt").str().c_str(), 0640);
    ASSERT_TRUE(files.writeUTF8(dir / "cut.txt", "/a", WriteMode::atomic));
    EXPECT_EQ(modeOf(dir / "cut.txt"), 0640u);
    const mode_t old = umask(027);
    const auto written = files.writeUTF8(dir / "new.txt", "", WriteMode::atomic);
    umask(old);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(dir / "new.txt"), 0640u);
    env.set("HOME", (dir / "home/").str());
    EXPECT_EQ(files.homeDirectory(), dir / "home");
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

TEST_F(LinuxFileManagerTest, ScriptRunnerShowsTheFileThroughTheSessionBusAndSaysWhyElse) {
    const std::string path = (dir / "My, \"file\".txt").str();
    writeFile(Path(path), "");
    std::filesystem::create_directories((dir / "bin").str());
    test::recorderScript(dir / "bin/dbus-send", dir / "args");
    env.set("PATH", (dir / "bin").str() + ":/usr/bin:/bin");
    env.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    LinuxScriptRunner runner;
    // The host's own script: the runner must recognise exactly what the host sends.
    const std::string select = AppDelegate::finderSelectionScript(path);
    EXPECT_EQ(runner.run(select), std::nullopt);
    // A comma would split dbus-send's array.
    EXPECT_THAT(readFile(dir / "args"),
                HasSubstr("|array:string:file://" + dir.path().str() + "/My%2C%20%22file%22.txt|"));
    env.unset("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(runner.run(select)->number, -600);
    EXPECT_EQ(runner.run("do shell script \"rm -rf x\" with administrator privileges")->number,
              -60005)
        << "nothing is run with administrator rights";
}

} // namespace
} // namespace orv::lnx
