// The move on Linux, for real: one file system, and tmpfs to the test's folder for moves
// across file systems. Hooks in the system calls make races, crashes and unsupported
// renames happen at an exact step.

#include "app/requests/MoveJournal.h"
#include "platform/linux/LinuxFileManager.h"
#include "platform/linux/Move.h"

#include "tests/support/TempDir.h"
#include "tests/support/TestPlatform.h"

#include <algorithm>
#include <array>

#include <fcntl.h>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
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

// Every name in `folder`, hidden ones included.
std::vector<std::string> namesIn(const Path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder.str())) {
        names.push_back(e.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The real system calls, with a hook at each step: "copy" (before an item is copied), "mkdir"
// and "made" (around a folder's making), "place" and "placed" (around the copy taking its name).
class HookedSystem : public LinuxMoveSystem {
  public:
    std::function<void(std::string_view step, const Path&)> hook = [](auto, auto&) {};
    bool renameUnsupported = false;
    bool failPlacing = false; // the copy cannot take its name

    Status copyItem(const Path& from, const Path& to,
                    const std::function<void(FileIdentity)>& created) override {
        hook("copy", from);
        return LinuxMoveSystem::copyItem(from, to, created);
    }
    Status makeFolder(const Path& path) override {
        hook("mkdir", path);
        auto made = LinuxMoveSystem::makeFolder(path);
        hook("made", path);
        return made;
    }
    Status renameNoReplace(const Path& from, const Path& to) override {
        const bool placing = isMoveCopyName(from.lastComponent());
        if (renameUnsupported || (failPlacing && placing)) {
            return Error{EINVAL, "Invalid argument",
                         placing ? Error::Kind::other : Error::Kind::unsupported};
        }
        hook(placing ? "place" : "rename", from);
        auto renamed = LinuxMoveSystem::renameNoReplace(from, to);
        hook(placing ? "placed" : "renamed", from);
        return renamed;
    }
};

// Hooks `step` of the item called `name` (any item when empty) to run `then`.
auto at(std::string_view step, std::string name, std::function<void()> then) {
    return [step, name, then](std::string_view s, const Path& p) {
        if (s == step && (name.empty() || p.lastComponent() == name)) {
            then();
        }
    };
}

class LinuxMoveTest : public ::testing::Test {
  protected:
    LinuxMoveTest() {
        std::string pattern = "/dev/shm/orvane-move-XXXXXX"; // tmpfs: another file system
        shm = Path(mkdtemp(pattern.data()) ? pattern : "/nonexistent");
    }
    ~LinuxMoveTest() override {
        std::error_code ignored;
        fs::remove_all(shm.str(), ignored);
    }
    // A folder with a file, a sub-folder and a link.
    void makeTree(const Path& at) {
        fs::create_directories(at.appending("sub").str());
        writeFile(at.appending("a.txt"), "a");
        writeFile(at.appending("sub/b.txt"), std::string(100000, 'b'));
        fs::create_symlink("sub/b.txt", at.appending("link").str());
    }
    void expectTree(const Path& at) {
        EXPECT_EQ(readFile(at.appending("a.txt")), "a");
        EXPECT_EQ(readFile(at.appending("sub/b.txt")), std::string(100000, 'b'));
        EXPECT_EQ(fs::read_symlink(at.appending("link").str()), "sub/b.txt");
    }

    test::TempDir dir;
    Path shm;
    HookedSystem system;
};

TEST_F(LinuxMoveTest, RenamesOnOneFileSystemWithoutReplacingAndSaysWhyItCannot) {
    fs::create_directories((dir / "src/folder/inner").str());
    writeFile(dir / "src/a.txt", "a");
    writeFile(dir / "src/b.txt", "b");
    writeFile(dir / "b.txt", "already here");
    ASSERT_TRUE(moveItem(system, dir / "src/a.txt", dir / "a.txt"));
    EXPECT_EQ(readFile(dir / "a.txt"), "a");
    for (const auto& [from, to, why] : std::vector<std::array<std::string, 3>>{
             {"src/b.txt", "b.txt",
              "moved to “" + dir.path().str() +
                  "” because an item with the same name already exists there."},
             {"src/gone", "gone", "because it no longer exists."},
             {"src/folder", "missing/folder", "because that folder doesn’t exist."},
             {"src/folder", "src/folder/inner/folder", "because it can’t go inside itself."}}) {
        EXPECT_THAT(moveItem(system, dir / from, dir / to).error().localizedDescription,
                    ::testing::EndsWith(why));
    }
    EXPECT_EQ(readFile(dir / "b.txt"), "already here");
    EXPECT_EQ(readFile(dir / "src/b.txt"), "b");
}

TEST_F(LinuxMoveTest, WhereRenamesMayReplaceTheFallbackStillNeverReplaces) {
    system.renameUnsupported = true; // as on NFS, CephFS and some FUSE file systems
    makeTree(dir / "src/tree");
    writeFile(dir / "src/f", "f");
    fs::create_directories((dir / "dest/tree").str());
    writeFile(dir / "dest/tree/kept", "kept");
    writeFile(dir / "dest/f", "kept");
    EXPECT_EQ(moveItem(system, dir / "src/tree", dir / "dest/tree").error().kind,
              Error::Kind::alreadyExists);
    EXPECT_EQ(moveItem(system, dir / "src/f", dir / "dest/f").error().kind,
              Error::Kind::alreadyExists);
    EXPECT_EQ(readFile(dir / "dest/f"), "kept");
    EXPECT_THAT(namesIn(dir / "dest/tree"), ::testing::ElementsAre("kept"));
    ASSERT_TRUE(moveItem(system, dir / "src/tree", dir / "dest/moved"));
    ASSERT_TRUE(moveItem(system, dir / "src/f", dir / "dest/g"));
    expectTree(dir / "dest/moved");
    EXPECT_EQ(readFile(dir / "dest/g"), "f");
    EXPECT_THAT(namesIn(dir / "src"), ::testing::IsEmpty());
}

TEST_F(LinuxMoveTest, AcrossFileSystemsEverythingIsKeptAsMvKeepsIt) {
    makeTree(shm.appending("tree"));
    const Path tree = shm.appending("tree");
    chmod(tree.appending("sub").str().c_str(), 0510);
    const timespec times[2] = {{1500000000, 123456789}, {1500000000, 123456789}};
    utimensat(AT_FDCWD, tree.appending("a.txt").str().c_str(), times, 0);
    const bool xattrs =
        setxattr(tree.appending("a.txt").str().c_str(), "user.orvane", "kept", 4, 0) == 0;
    fs::create_hard_link(tree.appending("a.txt").str(), tree.appending("hard").str());
    const int sparse = open(tree.appending("sparse").str().c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(pwrite(sparse, "end", 3, 64 << 20), 3);
    close(sparse);
    ASSERT_EQ(mkfifo(tree.appending("fifo").str().c_str(), 0640), 0);
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    tree.appending("sock").str().copy(address.sun_path, tree.appending("sock").str().size());
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string longName(255, 'n'); // as long as a name can be
    writeFile(shm.appending(longName), "long");

    const auto moved = moveItem(system, tree, dir / "tree");
    ASSERT_TRUE(moved) << moved.error().localizedDescription;
    const auto movedLong = moveItem(system, shm.appending(longName), dir / longName);
    ASSERT_TRUE(movedLong) << movedLong.error().localizedDescription;
    close(s);
    EXPECT_THAT(namesIn(shm), ::testing::IsEmpty()) << "the sources are gone";
    EXPECT_EQ(readFile(dir / longName), "long");
    const Path copy = dir / "tree";
    expectTree(copy);
    EXPECT_EQ(statOf(copy.appending("sub")).st_mode & 07777, 0510u);
    EXPECT_EQ(statOf(copy.appending("a.txt")).st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(statOf(copy.appending("hard")).st_ino, statOf(copy.appending("a.txt")).st_ino)
        << "hard links stay hard links";
    EXPECT_EQ(statOf(copy.appending("sparse")).st_size, (64 << 20) + 3);
    EXPECT_LT(statOf(copy.appending("sparse")).st_blocks * 512, 1 << 20) << "holes stay holes";
    EXPECT_TRUE(S_ISFIFO(statOf(copy.appending("fifo")).st_mode));
    EXPECT_TRUE(S_ISSOCK(statOf(copy.appending("sock")).st_mode));
    if (xattrs) {
        char value[8] = {};
        EXPECT_EQ(getxattr(copy.appending("a.txt").str().c_str(), "user.orvane", value, 8), 4);
    }
    EXPECT_THAT(namesIn(dir.path()), ::testing::ElementsAre(longName, "tree"))
        << "no hidden copy is left";
}

TEST_F(LinuxMoveTest, WhatAppearsInTheSourceDuringTheCopyStaysThereAndIsReported) {
    makeTree(shm.appending("tree"));
    system.hook = at("copy", "b.txt", [&] { // the copy is half done
        writeFile(shm.appending("tree/sub/new.txt"), "written meanwhile");
        writeFile(shm.appending("tree/a.txt"), "changed meanwhile");
    });
    const auto moved = moveItem(system, shm.appending("tree"), dir / "tree");
    ASSERT_FALSE(moved);
    EXPECT_EQ(moved.error().kind, Error::Kind::partial);
    EXPECT_EQ(moved.error().localizedDescription,
              "“tree” was moved, but what appeared or changed in it during the move stayed behind "
              "in “" +
                  shm.str() + "/tree”.");
    EXPECT_EQ(readFile(shm.appending("tree/sub/new.txt")), "written meanwhile");
    EXPECT_EQ(readFile(shm.appending("tree/a.txt")), "changed meanwhile");
    EXPECT_EQ(readFile(dir / "tree/sub/b.txt"), std::string(100000, 'b'));
    EXPECT_FALSE(fs::exists(shm.appending("tree/sub/b.txt").str())) << "what was copied goes";
}

TEST_F(LinuxMoveTest, AFailedCopyIsRemovedEvenWithReadOnlyFoldersAndTheSourceStaysWhole) {
    makeTree(shm.appending("tree"));
    chmod(shm.appending("tree/sub").str().c_str(), 0555);
    fs::create_directories((dir / "dest").str());
    // Permissions bind root in nothing: then the move runs as another user.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(chown((dir / "dest").str().c_str(), 65534, 65534), 0);
        chmod(dir.path().str().c_str(), 0755);
        chmod(shm.str().c_str(), 0755);
    }
    const pid_t child = fork();
    if (child == 0) {
        if (asRoot && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(2);
        }
        system.failPlacing = true; // the whole tree is copied, read-only folder and all
        const auto moved = moveItem(system, shm.appending("tree"), dir / "dest/tree");
        _exit(moved ? 1 : test::countEntries(dir / "dest") == 0 ? 0 : 3);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: moved, 2: no user to run as, 3: copy left behind";
    chmod(shm.appending("tree/sub").str().c_str(), 0755);
    expectTree(shm.appending("tree"));
}

// A host killed at each step of a move across file systems, then started again: the source is
// whole and no hidden copy is left, whatever the step.
TEST_F(LinuxMoveTest, ACrashAtAnyStepLeavesTheSourceWholeAndNoHiddenCopyAfterTheNextLaunch) {
    test::ScopedEnv env;
    env.set("ORVANE_GROUP_CONTAINERS", (dir / "groups").str());
    LinuxFileManager files;
    const Path container = *files.containerURL("G");
    test::RecordingLogSink sink;
    const Log log(sink, "tamsel.Orvane-", "AppDelegate");
    const auto crash = [] { _exit(0); };
    const std::vector<std::pair<std::string, std::function<void(std::string_view, const Path&)>>>
        crashes = {
            {"before the copy exists", at("mkdir", "", crash)},
            {"before the copy's identity is on record", at("made", "", crash)},
            {"in the middle of the copy", at("copy", "b.txt", crash)},
            {"before the copy takes its name", at("place", "", crash)},
            {"right after the copy took its name", at("placed", "", crash)},
        };
    for (std::size_t i = 0; i < crashes.size(); ++i) {
        const Path dest = dir / ("dest" + std::to_string(i));
        fs::create_directories(dest.str());
        makeTree(shm.appending("tree"));
        const pid_t host = fork();
        if (host == 0) {
            MoveJournal journal(files, container, log);
            HookedSystem hooked;
            hooked.hook = crashes[i].second;
            (void)moveItem(hooked, shm.appending("tree"), dest.appending("tree"), &journal);
            _exit(1);
        }
        int status = -1;
        waitpid(host, &status, 0);
        ASSERT_EQ(WEXITSTATUS(status), 0) << crashes[i].first << ": it did not crash";
        MoveJournal::removeAbandonedCopies(files, container, log);
        expectTree(shm.appending("tree"));
        for (const auto& name : namesIn(dest)) {
            EXPECT_EQ(name, "tree") << crashes[i].first << ": hidden copy left";
        }
        fs::remove_all(shm.appending("tree").str());
    }
    EXPECT_EQ(sink.lines.size(), 3u) << "each removed copy is logged";
}

} // namespace
} // namespace orv::lnx
