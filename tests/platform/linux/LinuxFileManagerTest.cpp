#include "platform/linux/LinuxFileManager.h"

#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

} // namespace
} // namespace orv::lnx
