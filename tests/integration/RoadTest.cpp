// The whole road with the two real programs: orvane-finder plays Finder, its orvaneplus: URLs
// start or reach orvane-host, and files are created and moved in real folders.

#include "app/templates/OfficeTemplates.h"
#include "platform/Text.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

namespace orv::test {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

const Path kFinder(ORVANE_FINDER_PROGRAM);
const Path kHost(ORVANE_HOST_PROGRAM);
const std::string kGroup = "K4W7P2Z9QD.tamsel.Orvane";

bool exists(const Path& path) {
    return fs::exists(fs::symlink_status(path.str()));
}

class RoadTest : public ::testing::Test {
  protected:
    RoadTest() {
        for (const char* sub : {"home", "run", "config/orvane", "data", "host-out", "work"}) {
            fs::create_directories((dir / sub).str());
        }
        // Onboarding done: the host runs as the everyday agent.
        writeFile(dir / "config/orvane/tamsel.Orvane-.defaults",
                  "onboardingComplete\tbool\ttrue\n");
        env = {{"HOME", (dir / "home").str()},
               {"XDG_RUNTIME_DIR", (dir / "run").str()},
               {"XDG_CONFIG_HOME", (dir / "config").str()},
               {"XDG_DATA_HOME", (dir / "data").str()},
               {"ORVANE_GROUP_CONTAINERS", (dir / "groups").str()},
               {"ORVANE_LOG_FILE", (dir / "log").str()},
               {"LANG", "C.UTF-8"}};
    }
    ~RoadTest() override {
        if (host) {
            host->signal(SIGTERM);
            host->wait();
        }
        // A host started by a URL is no child of ours: end it through the pid it recorded.
        const std::string pid = readFile(dir / "run/orvane/host.lock");
        if (!pid.empty() && std::stoi(pid) > 0 && ::kill(std::stoi(pid), SIGTERM) == 0) {
            eventually([&] { return ::kill(std::stoi(pid), 0) != 0; }, 5);
        }
    }

    Path work(std::string_view sub) const { return (dir / "work").appending(sub); }
    Path request(std::string_view name) const {
        return (dir / "groups").appending(kGroup).appending(name);
    }

    void startHost() {
        host = std::make_unique<RunningProgram>(kHost, std::vector<std::string>{}, env, dir.path(),
                                                dir / "host-out");
        ASSERT_TRUE(eventually([&] { return exists(dir / "run/orvane/host.sock"); }))
            << host->err();
    }

    void finder(const std::vector<std::string>& arguments) {
        const auto result = runProgram(kFinder, arguments, env, work(""));
        ASSERT_EQ(result.exitCode, 0) << result.err;
    }

    std::string log() const { return readFile(dir / "log"); }
    std::string hostOutput() const { return host ? host->out() : ""; }

    TempDir dir;
    std::map<std::string, std::string> env;
    std::unique_ptr<RunningProgram> host;
};

TEST_F(RoadTest, AURLStartsTheHostWhichLaunchesAndCreatesTheFile) {
    fs::create_directories(work("docs").str());
    finder({"run", "createTxt:", "--target", "docs"});
    ASSERT_TRUE(eventually([&] { return exists(work("docs/Untitled.txt")); })) << log();
    EXPECT_TRUE(exists(dir / "config/autostart/orvane-host.desktop")) << "the whole launch ran";
    // The log line follows the file by a moment.
    EXPECT_TRUE(eventually([&] {
        return log().find("Created: " + work("docs/Untitled.txt").str()) != std::string::npos;
    })) << log();
    const std::string pid = readFile(dir / "run/orvane/host.lock");
    ASSERT_FALSE(pid.empty());
    const pid_t started = std::stoi(pid);
    ::kill(started, SIGTERM);
    EXPECT_TRUE(eventually([&] { return ::kill(started, 0) != 0; })) << "it ends on SIGTERM";
    writeFile(dir / "run/orvane/host.lock", "");
}

TEST_F(RoadTest, EveryKindIsCreatedWithItsContents) {
    startHost();
    fs::create_directories(work("new").str());
    const std::vector<std::pair<std::string, std::string>> kinds = {
        {"createTxt:", "txt"},   {"createMd:", "md"},       {"createJson:", "json"},
        {"createCsv:", "csv"},   {"createHtml:", "html"},   {"createPy:", "py"},
        {"createJs:", "js"},     {"createSwift:", "swift"}, {"createSh:", "sh"},
        {"createDocx:", "docx"}, {"createXlsx:", "xlsx"},   {"createPptx:", "pptx"},
        {"createRtf:", "rtf"}};
    for (const auto& kind : kinds) {
        const std::string ext = kind.second;
        finder({"run", kind.first, "--target", "new"});
        ASSERT_TRUE(eventually([&] { return exists(work("new/Untitled." + ext)); })) << ext << "\n"
                                                                                     << log();
    }
    EXPECT_EQ(readFile(work("new/Untitled.pptx")), templates::emptyPptxPackage());
    EXPECT_EQ(readFile(work("new/Untitled.rtf")), templates::kRtfTemplateText);
    // No iWork application on Linux: the alert that offers it is what a user sees.
    finder({"run", "createPages:", "--target", "new"});
    ASSERT_TRUE(eventually([&] {
        return hostOutput().find("Pages is not installed") != std::string::npos;
    })) << hostOutput();
    EXPECT_EQ(countEntries(work("new")), kinds.size())
        << "one file each, nothing for the iWork kinds";
    EXPECT_THAT(log(), ::testing::Not(HasSubstr("ERROR")));
}

TEST_F(RoadTest, CutAndPasteMovesFilesAndAFolderWithoutReplacingAnything) {
    startHost();
    fs::create_directories(work("src/folder/inner").str());
    fs::create_directories(work("dest").str());
    writeFile(work("src/a.txt"), "a");
    writeFile(work("src/b.txt"), "b from src");
    writeFile(work("src/folder/inner/deep.txt"), "deep");
    writeFile(work("dest/b.txt"), "b already in dest");
    finder({"run", "cutItems:", "--select", "src/a.txt", "--select", "src/b.txt", "--select",
            "src/folder"});
    finder({"run", "pasteItems:", "--select", "dest"});
    ASSERT_TRUE(eventually([&] {
        return exists(work("dest/a.txt")) && exists(work("dest/folder")) &&
               hostOutput().find("Error al mover") != std::string::npos;
    })) << log()
        << hostOutput();
    EXPECT_EQ(readFile(work("dest/folder/inner/deep.txt")), "deep");
    EXPECT_EQ(readFile(work("dest/b.txt")), "b already in dest") << "never replaced";
    EXPECT_EQ(readFile(work("src/b.txt")), "b from src") << "the item that could not move stays";
    EXPECT_FALSE(exists(work("src/a.txt")));
    EXPECT_THAT(hostOutput(), HasSubstr("b.txt: “b.txt” couldn’t be moved"));
    EXPECT_THAT(log(),
                HasSubstr("Moved: " + work("src/a.txt").str() + " -> " + work("dest/a.txt").str()));
    EXPECT_EQ(readFile(request("cut.txt")), "");
    EXPECT_EQ(readFile(request("paste.txt")), "");
    const auto menu = runProgram(kFinder, {"menu", "--kind", "container"}, env, work(""));
    EXPECT_THAT(menu.out, ::testing::Not(HasSubstr("pasteItems:"))) << "the cut is consumed";
}

// The host killed in the middle of a long move across file systems: a second hand-over is
// still answered at once, and the next launch leaves the source whole and nothing hidden.
TEST_F(RoadTest, AHostKilledInTheMiddleOfAMoveLeavesNothingBehindAfterTheNextLaunch) {
    std::string pattern = "/dev/shm/orvane-road-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const Path shm(pattern);
    const std::string block(1 << 16, 'x');
    for (int folder = 0; folder < 16; ++folder) { // 256 MiB in 4,096 files
        const Path sub = shm.appending("photos").appending(std::to_string(folder));
        fs::create_directories(sub.str());
        for (int file = 0; file < 256; ++file) {
            writeFile(sub.appending(std::to_string(file)), block);
        }
    }
    fs::create_directories(work("archive").str());
    startHost();
    finder({"run", "cutItems:", "--select", shm.appending("photos").str()});
    finder({"run", "pasteItems:", "--target", work("archive").str()});
    const auto hidden = [&] {
        for (const auto& e : fs::directory_iterator(work("archive").str())) {
            if (e.path().filename().string().rfind(".orvane-move-", 0) == 0) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(eventually(hidden, 20)) << log();
    const auto start = std::chrono::steady_clock::now();
    const auto second = runProgram(kHost, {"orvaneplus://create"}, env, work(""));
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ASSERT_TRUE(hidden()) << "the move should still be running";
    host->signal(SIGKILL);
    host->wait();
    host.reset();

    startHost();
    EXPECT_TRUE(eventually([&] { return !hidden(); })) << log();
    EXPECT_THAT(log(), HasSubstr("Removed the partial copy of an interrupted move: " +
                                 work("archive").str() + "/.orvane-move-"));
    std::size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(shm.appending("photos").str())) {
        files += e.is_regular_file() && e.file_size() == block.size() ? 1 : 0;
    }
    EXPECT_EQ(files, 4096u) << "the source is whole";
    EXPECT_EQ(countEntries(work("archive")), 0u);
    fs::remove_all(shm.str());
}

// A folder named to read as two lines: cut, it would come back as the victim's real path.
TEST_F(RoadTest, ACraftedNameMovesNothingNobodyChoseAndTheLogSaysWhy) {
    startHost();
    const std::string victim = work("victim").str();
    fs::create_directories(victim);
    writeFile(work("victim/precious.txt"), "mine");
    const std::string crafted = "x\n" + victim;
    fs::create_directories(work("src/" + crafted).str());
    writeFile(work("src/" + crafted + "/precious.txt"), "bait");
    fs::create_directories(work("dest").str());
    finder({"run", "cutItems:", "--select", "src/" + crafted});
    finder({"run", "pasteItems:", "--select", "dest"});
    EXPECT_THAT(log(), HasSubstr("ERROR cutting: “" + work("src/x").str() + "\\n" + victim +
                                 "” holds a line break; nothing was handed over"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // a paste would be done by now
    EXPECT_EQ(readFile(work("victim/precious.txt")), "mine");
    EXPECT_EQ(countEntries(work("dest")), 0u);
    EXPECT_THAT(log(), ::testing::Not(HasSubstr("Moved")));
}

TEST_F(RoadTest, ABurstOfCreateRequestsIsServedByOneHostWithNothingReadHalfWritten) {
    startHost();
    constexpr int kBurst = 50;
    std::vector<std::unique_ptr<RunningProgram>> finders;
    for (int i = 0; i < kBurst; ++i) {
        const std::string folder = concat({"f", std::to_string(i)});
        fs::create_directories(work(folder).str());
        fs::create_directories((dir / ("finder-out/" + folder)).str());
        finders.push_back(std::make_unique<RunningProgram>(
            kFinder, std::vector<std::string>{"run", "createTxt:", "--target", folder}, env,
            work(""), dir / ("finder-out/" + folder)));
    }
    for (auto& f : finders) {
        EXPECT_EQ(f->wait(), 0);
    }
    // Every handed-over URL has been handled once the log stops growing.
    std::string last;
    eventually([&] {
        const std::string now = log();
        const bool still = now == last && !now.empty();
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return still;
    });
    int created = 0;
    for (int i = 0; i < kBurst; ++i) {
        const Path folder = work(concat({"f", std::to_string(i)}));
        std::size_t files = 0;
        for (const auto& e : fs::directory_iterator(folder.str())) {
            EXPECT_EQ(e.path().filename(), "Untitled.txt") << "created once, in its own folder";
            ++files;
        }
        created += static_cast<int>(files);
    }
    EXPECT_GE(created, 1);
    EXPECT_LE(created, kBurst);
    EXPECT_THAT(log(), ::testing::Not(HasSubstr("ERROR"))) << "no request was read half-written";
    EXPECT_EQ(readFile(request("pending.txt")), "") << "the last request was taken";
    EXPECT_EQ(countEntries(work("")), static_cast<std::size_t>(kBurst))
        << "nothing made outside the folders";
}

} // namespace
} // namespace orv::test
