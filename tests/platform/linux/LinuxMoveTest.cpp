// The move on Linux, for real: one file system, and tmpfs to the test's folder for moves
// across file systems. Hooks in the system calls make races, crashes and unsupported
// renames happen at an exact step.

#include "app/requests/MoveJournal.h"
#include "platform/linux/LinuxFileManager.h"
#include "platform/linux/LinuxProcessInfo.h"
#include "platform/linux/Move.h"

#include "tests/support/TempDir.h"
#include "tests/support/TestPlatform.h"

#include <array>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace orv::lnx {
namespace {

using test::readFile;
using test::writeFile;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

struct stat statOf(const Path& path) {
    struct stat st {};
    lstat(path.str().c_str(), &st);
    return st;
}

// Every name in `folder`, hidden ones included.
std::set<std::string> namesIn(const Path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder.str())) {
        names.insert(e.path().filename());
    }
    return names;
}

// The real system calls, with a hook at each step: "copy" (before an item is copied), "mkdir"
// and "made" (around a folder's making), "place" and "placed" (around the copy taking its name).
struct HookedSystem : LinuxMoveSystem {
    std::function<void(std::string_view step, const Path&)> hook = [](auto, auto&) {};
    bool renameUnsupported = false;
    bool failPlacing = false; // the copy cannot take its name
    std::string failCopyOf;   // the item of this name cannot be copied

    Status copyItem(const Path& from, const Path& to,
                    const std::function<void(FileIdentity)>& created,
                    MoveProgress* progress) override {
        hook("copy", from);
        return from.lastComponent() == failCopyOf
                   ? Status(Error{EIO, "Input/output error"})
                   : LinuxMoveSystem::copyItem(from, to, created, progress);
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

struct Progress final : MoveProgress {
    std::function<bool(std::int64_t)> decide;
    explicit Progress(std::function<bool(std::int64_t)> decide) : decide(std::move(decide)) {}
    bool proceed(std::int64_t bytes) override { return decide(bytes); }
};

// Hooks `step` of the item called `name` (any item when empty) to run `then`.
auto at(std::string_view step, std::string name, std::function<void()> then) {
    return [step, name, then](std::string_view s, const Path& p) {
        if (s == step && (name.empty() || p.lastComponent() == name)) {
            then();
        }
    };
}

struct LinuxMoveTest : ::testing::Test {
    LinuxMoveTest() { makeTree(tree); }
    ~LinuxMoveTest() override { fs::remove_all(shm.str()); }
    static void makeTree(const Path& at) {
        fs::create_directories(at.appending("sub").str());
        writeFile(at.appending("a.txt"), "a");
        writeFile(at.appending("sub/b.txt"), std::string(100000, 'b'));
        fs::create_symlink("sub/b.txt", at.appending("link").str());
    }
    static void expectTree(const Path& at) {
        EXPECT_EQ(readFile(at.appending("a.txt")) + readFile(at.appending("link")),
                  "a" + std::string(100000, 'b'));
        EXPECT_EQ(fs::read_symlink(at.appending("link").str()), "sub/b.txt");
    }
    static int inChild(const std::function<int()>& move) {
        const pid_t child = fork();
        if (child == 0) {
            _exit(move());
        }
        int status = -1;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    test::TempDir dir;
    const Path shm = [] {
        std::string pattern = "/dev/shm/orvane-move-XXXXXX"; // tmpfs: another file system
        return Path(mkdtemp(pattern.data()) ? pattern : "/nonexistent");
    }();
    const Path tree = shm.appending("tree");
    HookedSystem system;
};

TEST_F(LinuxMoveTest, OnOneFileSystemNothingIsReplacedEvenWhereRenamesMightReplace) {
    for (const bool unsupported : {false, true}) { // as on NFS, CephFS and some FUSE file systems
        system.renameUnsupported = unsupported;
        const Path at = dir / (unsupported ? "fallback" : "rename");
        makeTree(at.appending("src"));
        fs::create_directories(at.appending("taken").str());
        writeFile(at.appending("a.txt"), "already here");
        const std::string taken = "” because an item with the same name already exists there.";
        for (const auto& [from, to, why] : std::vector<std::array<std::string, 3>>{
                 {"src/a.txt", "a.txt", "moved to “" + at.str() + taken},
                 {"src", "taken", "moved to “" + at.str() + taken},
                 {"src/gone", "gone", "because it no longer exists."},
                 {"src", "missing/src", "because that folder doesn’t exist."},
                 {"src/sub", "src/a.txt/sub", "because that folder doesn’t exist."},
                 {"src", "src/sub/src", "because it can’t go inside itself."}}) {
            EXPECT_THAT(
                moveItem(system, at.appending(from), at.appending(to)).error().localizedDescription,
                ::testing::EndsWith(why))
                << unsupported;
        }
        EXPECT_EQ(readFile(at.appending("a.txt")), "already here");
        EXPECT_THAT(namesIn(at.appending("taken")), IsEmpty());
        ASSERT_TRUE(moveItem(system, at.appending("src"), at.appending("moved")));
        ASSERT_TRUE(moveItem(system, at.appending("a.txt"), at.appending("moved/sub/a.txt")));
        EXPECT_FALSE(fs::exists(at.appending("a.txt").str())) << "a file moves, not gains a name";
        expectTree(at.appending("moved"));
    }
}

TEST_F(LinuxMoveTest, AcrossFileSystemsEverythingIsKeptAsMvKeepsIt) {
    const auto file = [&](const char* name) { return tree.appending(name).str(); };
    chmod(file("sub").c_str(), 0510);
    const timespec times[2] = {{1400000000, 987654321}, {1500000000, 123456789}};
    utimensat(AT_FDCWD, file("a.txt").c_str(), times, 0);
    const bool xattrs = setxattr(file("a.txt").c_str(), "user.orvane", "kept", 4, 0) == 0;
    fs::create_hard_link(file("a.txt"), file("hard"));
    std::ofstream(file("sparse")).seekp(64 << 20) << "end";
    fs::resize_file(file("sparse"), 128 << 20); // and it ends in a hole
    ASSERT_EQ(mkfifo(file("fifo").c_str(), 0640), 0);
    ASSERT_EQ(mknod(file("sock").c_str(), S_IFSOCK | 0600, 0), 0);
    const std::string longName(255, 'n'); // as long as a name can be
    writeFile(shm.appending(longName), "long");

    // Its progress ends at what was measured: the data once per file, holes included.
    const std::int64_t data = 1 + 100000 + (128 << 20);
    EXPECT_EQ(bytesToCopy(system, tree, dir.path()), data);
    EXPECT_EQ(bytesToCopy(system, tree, shm), 0) << "a rename copies nothing";
    std::int64_t told = 0;
    Progress progress([&](std::int64_t bytes) { return (told += bytes) <= data + 4; });
    for (const auto& name : {std::string("tree"), longName}) {
        const auto moved = moveItem(system, shm.appending(name), dir / name, nullptr, &progress);
        ASSERT_TRUE(moved) << moved.error().localizedDescription;
    }
    EXPECT_EQ(told, data + 4);
    EXPECT_THAT(namesIn(shm), IsEmpty()) << "the sources are gone";
    EXPECT_THAT(namesIn(dir.path()), ElementsAre(longName, "tree")) << "no hidden copy is left";
    const Path copy = dir / "tree";
    const auto copied = statOf(copy.appending("a.txt")); // before reading can touch its atime
    EXPECT_EQ(std::pair(copied.st_atim.tv_nsec, copied.st_mtim.tv_nsec),
              std::pair(987654321L, 123456789L));
    expectTree(copy);
    EXPECT_EQ(statOf(copy.appending("sub")).st_mode & 07777, 0510u);
    EXPECT_EQ(statOf(copy.appending("hard")).st_ino, statOf(copy.appending("a.txt")).st_ino)
        << "hard links stay hard links";
    EXPECT_EQ(statOf(copy.appending("sparse")).st_size, 128 << 20);
    EXPECT_LT(statOf(copy.appending("sparse")).st_blocks * 512, 1 << 20) << "holes stay holes";
    EXPECT_TRUE(S_ISFIFO(statOf(copy.appending("fifo")).st_mode));
    EXPECT_TRUE(S_ISSOCK(statOf(copy.appending("sock")).st_mode));
    char value[8] = {};
    EXPECT_TRUE(!xattrs ||
                getxattr(copy.appending("a.txt").str().c_str(), "user.orvane", value, 8) == 4);
}

TEST_F(LinuxMoveTest, AMoveStoppedBetweenEntriesOrInsideAFileLeavesTheSourceWholeAndNoCopy) {
    writeFile(tree.appending("sub/big"), std::string(20 << 20, 'g'));
    for (const bool insideAFile : {false, true}) {
        int entries = 0;
        Progress progress([&](std::int64_t bytes) {
            return insideAFile ? bytes != kCopyPiece : bytes != 0 || ++entries < 3;
        });
        EXPECT_THAT(
            moveItem(system, tree, dir / "tree", nullptr, &progress).error().localizedDescription,
            ::testing::EndsWith("” because the move was stopped."));
        EXPECT_THAT(namesIn(dir.path()), IsEmpty());
        expectTree(tree);
        EXPECT_EQ(fs::file_size(tree.appending("sub/big").str()), 20u << 20);
    }
}

TEST_F(LinuxMoveTest, WhatAppearsInTheSourceDuringTheCopyStaysThereAndIsReported) {
    const timespec before[2] = {{1500000000, 0}, {1500000000, 0}};
    utimensat(AT_FDCWD, tree.appending("a.txt").str().c_str(), before, 0);
    system.hook = at("copy", "b.txt", [&] { // the copy is half done
        writeFile(tree.appending("sub/new.txt"), "written meanwhile");
        writeFile(tree.appending("a.txt"), "z"); // as long as before: only its time tells
    });
    EXPECT_THAT(moveItem(system, tree, dir / "tree").error().localizedDescription,
                ::testing::EndsWith(" stayed behind in “" + tree.str() + "”."));
    EXPECT_EQ(readFile(tree.appending("sub/new.txt")), "written meanwhile");
    EXPECT_EQ(readFile(tree.appending("a.txt")), "z");
    EXPECT_EQ(readFile(dir / "tree/sub/b.txt"), std::string(100000, 'b'));
    EXPECT_FALSE(fs::exists(tree.appending("sub/b.txt").str())) << "what was copied goes";
}

TEST_F(LinuxMoveTest, AFailedCopyIsRemovedEvenWithReadOnlyFoldersAndTheSourceStaysWhole) {
    chmod(tree.appending("sub").str().c_str(), 0555);
    fs::create_directories((dir / "dest").str());
    // Permissions bind root in nothing: then the move runs as another user.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(chown((dir / "dest").str().c_str(), 65534, 65534), 0);
        chmod(dir.path().str().c_str(), 0755);
        chmod(shm.str().c_str(), 0755);
    }
    for (const bool placing : {true, false}) {
        EXPECT_EQ(inChild([&] {
                      if (asRoot && (setgid(65534) != 0 || setuid(65534) != 0)) {
                          return 2;
                      }
                      // The whole tree is copied, read-only folder and all, or a file in it
                      // cannot be.
                      system.failPlacing = placing;
                      system.failCopyOf = placing ? "" : "b.txt";
                      return moveItem(system, tree, dir / "dest/tree") ? 1
                             : test::countEntries(dir / "dest") == 0   ? 0
                                                                       : 3;
                  }),
                  0)
            << "1: moved, 2: no user to run as, 3: copy left behind";
    }
    chmod(tree.appending("sub").str().c_str(), 0755);
    expectTree(tree);
}

// A host in a child process moves with a journal; the test, a later host, recovers.
struct LinuxRecoveryTest : LinuxMoveTest {
    std::vector<std::string> recover() {
        return MoveJournal::recoverInterruptedMoves(files, processes, container, log);
    }
    // A record as a host of `machine` that has ended would have left it.
    void plant(const std::string& machine, const Path& copy, const char* identity = "- -") {
        writeFile(container.appending("moves-planted" + copy.lastComponent() + ".txt"),
                  concat({"owner ", machine, " ", processes.boot(), " 1073741824 1\nsource 1 1 1 ",
                          "0 0 ", tree.str(), "\ndestination ", (dir / "moved").str(), "\ncopy ",
                          identity, " ", copy.str(), "\n"}));
    }
    std::set<std::string> trashed() {
        const Path trash = dir / "data/Trash/files";
        return fs::exists(trash.str()) ? namesIn(trash) : std::set<std::string>{};
    }

    test::ScopedEnv env;
    const bool inTestFolder = [this] {
        env.set("ORVANE_GROUP_CONTAINERS", (dir / "groups").str());
        env.set("XDG_DATA_HOME", (dir / "data").str());
        return true;
    }();
    LinuxFileManager files;
    LinuxProcessInfo processes;
    const Path container = *files.containerURL("G");
    test::RecordingLogSink sink;
    const Log log{sink, "tamsel.Orvane-", "AppDelegate"};
};

TEST_F(LinuxRecoveryTest, ACrashAtAnyStepLosesNothingAndLeavesNoHiddenCopy) {
    const auto crash = [] { _exit(0); };
    const Path file = shm.appending("file.txt");
    struct Step {
        std::string when;
        std::function<void(std::string_view, const Path&)> hook;
        std::string log; // what the recovery says
        bool moved;      // the item is then in its destination only
    };
    for (const auto& step : std::vector<Step>{
             {"before the copy exists", at("mkdir", "", crash), "", false},
             {"before the copy is on record", at("made", "", crash), "Removed the empty", false},
             {"in the middle of the copy", at("copy", "b.txt", crash), "Put the partial", false},
             {"before the copy takes its name", at("place", "", crash), "Put the partial", false},
             {"once the copy took its name", at("placed", "", crash), "An interrupted", false},
             {"once a file took its name", at("placed", "", crash), "Finished", true}}) {
        const Path item = step.moved ? file : tree;
        writeFile(file, "the file");
        const Path dest = dir / ("dest " + step.when);
        fs::create_directories(dest.str());
        ASSERT_EQ(inChild([&] {
                      MoveJournal journal(files, container, processes.current(), log);
                      system.hook = step.hook;
                      return moveItem(system, item, dest.appending("item"), &journal) ? 1 : 2;
                  }),
                  0)
            << step.when << ": it did not crash";
        sink.lines.clear();
        EXPECT_EQ(recover().size(), step.log == "An interrupted" ? 1u : 0u) << step.when;
        EXPECT_EQ(sink.lines.size(), step.log.empty() ? 0u : 1u) << step.when;
        EXPECT_THAT(joined(sink.lines, ""), ::testing::StartsWith(step.log)) << step.when;
        EXPECT_THAT(namesIn(dest), ::testing::IsSubsetOf({"item"})) << step.when << ": copy left";
        EXPECT_EQ(fs::exists(item.str()), !step.moved) << step.when;
        if (step.moved) {
            EXPECT_EQ(readFile(dest.appending("item")), "the file");
        } else {
            expectTree(tree);
        }
        EXPECT_THAT(namesIn(container), IsEmpty()) << step.when << ": the record stays";
    }
    EXPECT_EQ(trashed().size(), 2u) << "the partial copies went to the Trash, not away";
}

TEST_F(LinuxRecoveryTest, WhatIsNotProvablyAnAbandonedCopyOfOursIsLeftAlone) {
    // Another host on this machine recovers while the copy is in flight: its owner runs.
    system.hook = at("copy", "b.txt", [&] { EXPECT_THAT(recover(), IsEmpty()); });
    MoveJournal journal(files, container, processes.current(), log);
    ASSERT_TRUE(moveItem(system, tree, dir / "moved", &journal));
    EXPECT_THAT(namesIn(container), IsEmpty()) << "a finished move leaves no record";
    expectTree(dir / "moved");
    EXPECT_THAT(sink.lines, IsEmpty());

    const Path copy = dir / ".orvane-move-0123456789abcdef";
    const Path planted[] = {copy, dir / "Documents", dir / ".orvane-move-0123456789ABCDEF",
                            dir / ".orvane-move-00000000000000ff"};
    for (const Path& p : planted) {
        fs::create_directories(p.str());
        writeFile(p.appending("mine.txt"), "the user's");
        // The first one's host may still run on another machine; the others are not our copies:
        // the last is not the item the record names.
        plant(p == copy ? "another-machine" : processes.machine(), p,
              p == planted[3] ? "1 1" : "- -");
    }
    recover();
    EXPECT_THAT(trashed(), IsEmpty());
    for (const Path& p : planted) {
        EXPECT_EQ(readFile(p.appending("mine.txt")), "the user's") << p.str();
    }
    EXPECT_EQ(sink.lines.size(), 3u) << "each forged record is logged";

    // A file system mounted inside an abandoned copy goes along to the Trash, untouched.
    fs::create_directories(copy.appending("m").str());
    if (geteuid() != 0 ||
        mount("none", copy.appending("m").str().c_str(), "tmpfs", 0, nullptr) != 0) {
        GTEST_SKIP() << "mounting needs root";
    }
    writeFile(copy.appending("m/mounted.txt"), "on another file system");
    plant(processes.machine(), copy);
    recover();
    const Path inTrash = (dir / "data/Trash/files").appending(copy.lastComponent());
    EXPECT_EQ(readFile(inTrash.appending("m/mounted.txt")), "on another file system");
    umount(inTrash.appending("m").str().c_str());
}

} // namespace
} // namespace orv::lnx
