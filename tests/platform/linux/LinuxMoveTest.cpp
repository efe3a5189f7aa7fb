#include "platform/linux/Move.h"

#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace orv::lnx {
namespace {

using test::readFile;
using test::writeFile;
namespace fs = std::filesystem;

struct stat statOf(const Path& path) {
    struct stat st {};
    lstat(path.str().c_str(), &st);
    return st;
}

void setTimes(const Path& path, long seconds, long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    utimensat(AT_FDCWD, path.str().c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// A folder on another file system than the test's temporary folders: tmpfs.
class ShmDir {
  public:
    ShmDir() {
        std::string pattern = "/dev/shm/orvane-move-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = Path(pattern);
        }
    }
    ~ShmDir() {
        std::error_code ignored;
        fs::remove_all(path_.str(), ignored);
    }
    const Path& path() const { return path_; }
    Path operator/(std::string_view name) const { return path_.appending(name); }

  private:
    Path path_;
};

class LinuxMoveTest : public ::testing::Test {
  protected:
    test::TempDir dir;
};

TEST_F(LinuxMoveTest, RenamesOnOneFileSystemWithoutReplacing) {
    fs::create_directories((dir / "src").str());
    fs::create_directories((dir / "dest").str());
    writeFile(dir / "src/a.txt", "a");
    writeFile(dir / "src/b.txt", "b");
    writeFile(dir / "dest/b.txt", "already here");
    ASSERT_TRUE(moveItem(dir / "src/a.txt", dir / "dest/a.txt"));
    EXPECT_EQ(readFile(dir / "dest/a.txt"), "a");
    EXPECT_FALSE(fs::exists((dir / "src/a.txt").str()));
    const auto taken = moveItem(dir / "src/b.txt", dir / "dest/b.txt");
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.error().kind, Error::Kind::alreadyExists);
    EXPECT_EQ(taken.error().localizedDescription,
              "“b.txt” couldn’t be moved to “" + (dir / "dest").str() +
                  "” because an item with the same name already exists there.");
    EXPECT_EQ(readFile(dir / "dest/b.txt"), "already here");
    EXPECT_EQ(readFile(dir / "src/b.txt"), "b");
}

TEST_F(LinuxMoveTest, SaysWhyAMoveCannotHappen) {
    fs::create_directories((dir / "src/folder/inner").str());
    const auto gone = moveItem(dir / "src/gone", dir / "gone");
    EXPECT_EQ(gone.error().kind, Error::Kind::notFound);
    EXPECT_NE(gone.error().localizedDescription.find("no longer exists"), std::string::npos);
    const auto noFolder = moveItem(dir / "src/folder", dir / "missing/folder");
    EXPECT_NE(noFolder.error().localizedDescription.find("that folder doesn’t exist"),
              std::string::npos);
    const auto inside = moveItem(dir / "src/folder", dir / "src/folder/inner/folder");
    ASSERT_FALSE(inside);
    EXPECT_NE(inside.error().localizedDescription.find("inside itself"), std::string::npos);
    EXPECT_TRUE(fs::exists((dir / "src/folder/inner").str()));
}

TEST_F(LinuxMoveTest, AcrossFileSystemsContentModesTimesLinksAndAttributesAreKept) {
    ShmDir shm;
    ASSERT_FALSE(shm.path().empty());
    fs::create_directories((shm / "tree/sub").str());
    writeFile(shm / "tree/data.bin", std::string(3 << 20, 'x') + "end");
    writeFile(shm / "tree/sub/script.sh", "#!/bin/sh\n");
    chmod((shm / "tree/sub/script.sh").str().c_str(), 0751);
    chmod((shm / "tree/sub").str().c_str(), 0710);
    fs::create_symlink("sub/script.sh", (shm / "tree/link").str());
    const bool xattrs =
        setxattr((shm / "tree/data.bin").str().c_str(), "user.orvane", "kept", 4, 0) == 0;
    setTimes(shm / "tree/sub/script.sh", 1500000000, 123456789);
    setTimes(shm / "tree/sub", 1400000000, 5);
    setTimes(shm / "tree", 1300000000, 7);

    ASSERT_TRUE(moveItem(shm / "tree", dir / "tree"));
    EXPECT_FALSE(fs::exists((shm / "tree").str())) << "the source goes once the copy is in place";
    EXPECT_EQ(readFile(dir / "tree/data.bin").size(), (3u << 20) + 3);
    EXPECT_EQ(readFile(dir / "tree/sub/script.sh"), "#!/bin/sh\n");
    EXPECT_EQ(statOf(dir / "tree/sub/script.sh").st_mode & 07777, 0751u);
    EXPECT_EQ(statOf(dir / "tree/sub").st_mode & 07777, 0710u);
    EXPECT_EQ(statOf(dir / "tree/sub/script.sh").st_mtim.tv_sec, 1500000000);
    EXPECT_EQ(statOf(dir / "tree/sub/script.sh").st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(statOf(dir / "tree/sub").st_mtim.tv_sec, 1400000000);
    EXPECT_EQ(statOf(dir / "tree").st_mtim.tv_sec, 1300000000);
    EXPECT_TRUE(fs::is_symlink((dir / "tree/link").str()));
    EXPECT_EQ(fs::read_symlink((dir / "tree/link").str()), "sub/script.sh");
    if (xattrs) {
        char value[16] = {};
        EXPECT_EQ(
            getxattr((dir / "tree/data.bin").str().c_str(), "user.orvane", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }
    for (const auto& entry : fs::directory_iterator(dir.path().str())) {
        EXPECT_EQ(entry.path().filename().string().rfind(".orvane-move", 0), std::string::npos)
            << "no temporary copy is left";
    }
}

TEST_F(LinuxMoveTest, AcrossFileSystemsATakenNameIsNotReplaced) {
    ShmDir shm;
    writeFile(shm / "a.txt", "new");
    writeFile(dir / "a.txt", "old");
    const auto moved = moveItem(shm / "a.txt", dir / "a.txt");
    EXPECT_EQ(moved.error().kind, Error::Kind::alreadyExists);
    EXPECT_EQ(readFile(dir / "a.txt"), "old");
    EXPECT_EQ(readFile(shm / "a.txt"), "new");
}

TEST_F(LinuxMoveTest, AFailureMidwayRemovesThePartialCopyAndKeepsTheSource) {
    ShmDir shm;
    fs::create_directories((shm / "folder").str());
    writeFile(shm / "folder/a.txt", "a");
    // A socket cannot be copied: the copy stops there.
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (shm / "folder/z.sock").str();
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const auto moved = moveItem(shm / "folder", dir / "folder");
    close(s);
    ASSERT_FALSE(moved);
    EXPECT_FALSE(fs::exists((dir / "folder").str()));
    EXPECT_EQ(test::countEntries(dir.path()), 0u) << "no partial copy";
    EXPECT_EQ(readFile(shm / "folder/a.txt"), "a") << "the source is whole";
}

TEST_F(LinuxMoveTest, RemoveItemTakesFoldersWithTheirContentsButNotWhatLinksPointTo) {
    fs::create_directories((dir / "keep").str());
    writeFile(dir / "keep/precious", "p");
    fs::create_directories((dir / "gone/deep/er").str());
    writeFile(dir / "gone/deep/er/f", "f");
    fs::create_directory_symlink((dir / "keep").str(), (dir / "gone/link").str());
    ASSERT_TRUE(removeItem(dir / "gone"));
    EXPECT_FALSE(fs::exists((dir / "gone").str()));
    EXPECT_EQ(readFile(dir / "keep/precious"), "p");
    EXPECT_EQ(removeItem(dir / "gone").error().kind, Error::Kind::notFound);
}

} // namespace
} // namespace orv::lnx
