// The two real programs, run as a person's session runs them, each test with its own HOME,
// XDG folders, group container and log: orvane-finder plays Finder, its orvaneplus: URLs start
// or reach orvane-host, and files are created and moved in real folders.

#include "app/templates/OfficeTemplates.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace orv::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

const Path kFinder(ORVANE_FINDER_PROGRAM);
const Path kHost(ORVANE_HOST_PROGRAM);
const std::string kGroup = "K4W7P2Z9QD.tamsel.Orvane";

bool exists(const Path& path) {
    return fs::exists(fs::symlink_status(path.str()));
}

class ProgramsTest : public ::testing::Test {
  protected:
    ProgramsTest() {
        for (const char* sub :
             {"home/Desktop", "run", "config/orvane", "data", "out", "work/a/c"}) {
            fs::create_directories((dir / sub).str());
        }
        writeFile(dir / "work/a/b.txt", "");
        env = {{"HOME", (dir / "home").str()},
               {"XDG_RUNTIME_DIR", (dir / "run").str()},
               {"XDG_CONFIG_HOME", (dir / "config").str()},
               {"XDG_DATA_HOME", (dir / "data").str()},
               {"ORVANE_GROUP_CONTAINERS", (dir / "groups").str()},
               {"ORVANE_LOG_FILE", (dir / "log").str()},
               {"LANG", "C.UTF-8"}};
    }
    ~ProgramsTest() override {
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
    Path autostart() const { return dir / "config/autostart/orvane-host.desktop"; }
    // Onboarding done: the host runs as the everyday agent.
    void onboardingDone() {
        writeFile(dir / "config/orvane/tamsel.Orvane-.defaults",
                  "onboardingComplete\tbool\ttrue\n");
    }
    void startHost() {
        host = std::make_unique<RunningProgram>(kHost, std::vector<std::string>{}, env, dir.path(),
                                                dir / "out");
        ASSERT_TRUE(eventually([&] { return exists(dir / "run/orvane/host.sock"); }))
            << host->err();
    }
    RunResult finder(const std::vector<std::string>& arguments) {
        return runProgram(kFinder, arguments, env, work(""));
    }
    // A stand-in host that records the URL it is started with and the create request it found.
    void recordURLs() {
        const Path recorder = dir / "host";
        writeFile(recorder, "#!/bin/sh\n{ printf '%s ' \"$1\"; cat '" +
                                request("pending.txt").str() + "'; } > '" +
                                (dir / "url.tmp").str() + "'\nmv '" + (dir / "url.tmp").str() +
                                "' '" + (dir / "url").str() + "'\n");
        chmod(recorder.str().c_str(), 0755);
        env["ORVANE_HOST_PROGRAM"] = recorder.str();
    }
    std::string recordedURL() {
        eventually([&] { return exists(dir / "url"); });
        const std::string url = readFile(dir / "url");
        fs::remove((dir / "url").str());
        return url;
    }
    std::string log() const { return readFile(dir / "log"); }
    std::string hostOutput() const { return host ? host->out() : ""; }

    TempDir dir;
    std::map<std::string, std::string> env;
    std::unique_ptr<RunningProgram> host;
};

// ---- orvane-finder on its own ----

TEST_F(ProgramsTest, CutWritesTheListAndEmptiesThePasteDestination) {
    finder({"run", "cutItems:", "--select", "/x/1", "--select", "/x/2/", "--select",
            "rel/../rel/./3"});
    EXPECT_EQ(readFile(request("paste.txt")), "");
    EXPECT_EQ(readFile(request("cut.txt")), "/x/1\n/x/2\n" + (dir / "work/rel/3").str());
    EXPECT_EQ(readFile(dir / "log"), "tamsel.Orvane-.OrvaneExtension FinderSync Cut 3 items\n");
    // Only the two request files: the atomic writes leave no temporary file behind.
    EXPECT_EQ(countEntries((dir / "groups").appending(kGroup)), 2u);
}

TEST_F(ProgramsTest, CopyPathNewFileAndPasteHandTheirPathsOver) {
    // As file managers pass them: a plain list, and after "--" a path may look like an option.
    finder({"run", "copyPath:", "--target", "/t", "/a/b.txt", "--", "--select", "/a/c"});
    EXPECT_EQ(readFile(dir / "run/orvane/pasteboard.txt"),
              "/a/b.txt\n" + work("--select").str() + "\n/a/c");
    recordURLs();
    finder({"run", "createMd:", "--select", "a/b.txt", "--target", "/t"});
    EXPECT_EQ(recordedURL(), "orvaneplus://create " + (dir / "work/a").str() + "\nmd")
        << "the request is written before the host starts";
    finder({"run", "pasteItems:", "--select", "a/c/", "--target", "/t"});
    EXPECT_THAT(recordedURL(), ::testing::StartsWith("orvaneplus://paste"));
    EXPECT_EQ(readFile(request("paste.txt")), (dir / "work/a/c").str());
}

TEST_F(ProgramsTest, BadArgumentsAreAUsageError) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"open"},
        {"run", "copyPath"},
        {"menu", "--kind", "-1"},
        {"run", "copyPath:", "--kind", "items"},
    };
    for (const auto& arguments : bad) {
        const auto result = finder(arguments);
        EXPECT_EQ(result.exitCode, 2) << ::testing::PrintToString(arguments);
        EXPECT_THAT(result.err, HasSubstr("usage: orvane-finder"));
        EXPECT_EQ(result.out, "");
    }
}

// ---- orvane-host on its own ----

TEST_F(ProgramsTest, PrintsItsInterfaceAndDrawsItsIconOnRequest) {
    const auto ui = runProgram(kHost, {"--print-ui"}, env, dir.path());
    EXPECT_EQ(ui.exitCode, 0) << ui.err;
    EXPECT_THAT(ui.out, HasSubstr("\"About Orvane+\" action showAbout target AppDelegate"));
    EXPECT_THAT(ui.out, HasSubstr("\"Welcome to Orvane+\"")) << "a first launch shows onboarding";

    const auto icon =
        runProgram(kHost, {"--status-icon", (dir / "icon.png").str()}, env, dir.path());
    EXPECT_EQ(icon.exitCode, 0) << icon.err;
    EXPECT_EQ(test::readFile(dir / "icon.png").substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

    EXPECT_FALSE(fs::exists(autostart().str())) << "showing changes nothing";

    const auto bad = runProgram(kHost, {"--bogus"}, env, dir.path());
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_THAT(bad.err, HasSubstr("usage: orvane-host"));
}

// ---- The whole road ----

TEST_F(ProgramsTest, AURLStartsTheHostWhichLaunchesAndCreatesEachKind) {
    onboardingDone();
    fs::create_directories(work("new").str());
    finder({"run", "createTxt:", "--target", "new"});
    ASSERT_TRUE(eventually([&] { return exists(work("new/Untitled.txt")); })) << log();
    EXPECT_TRUE(exists(dir / "config/autostart/orvane-host.desktop")) << "the whole launch ran";
    for (const auto& kind : {std::pair{"createPptx:", "Untitled.pptx"},
                             {"createRtf:", "Untitled.rtf"},
                             {"createTxt:", "Untitled 1.txt"}}) {
        finder({"run", kind.first, "--target", "new"});
        ASSERT_TRUE(eventually([&] { return exists(work("new").appending(kind.second)); }))
            << log();
    }
    EXPECT_EQ(readFile(work("new/Untitled.pptx")), templates::emptyPptxPackage());
    EXPECT_EQ(readFile(work("new/Untitled.rtf")), templates::kRtfTemplateText);
    EXPECT_THAT(log(), ::testing::Not(HasSubstr("ERROR")));
    const pid_t started = std::stoi(readFile(dir / "run/orvane/host.lock"));
    ::kill(started, SIGTERM);
    EXPECT_TRUE(eventually([&] { return ::kill(started, 0) != 0; })) << "it ends on SIGTERM";
    writeFile(dir / "run/orvane/host.lock", "");
}

TEST_F(ProgramsTest, CutAndPasteMovesFilesAndAFolderWithoutReplacingAnything) {
    onboardingDone();
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
    EXPECT_THAT(finder({"menu", "--kind", "container"}).out, Not(HasSubstr("pasteItems:")))
        << "the cut is consumed";
}

// A folder named to read as two lines: cut, it would come back as the victim's real path.
TEST_F(ProgramsTest, ACraftedNameMovesNothingNobodyChoseAndTheLogSaysWhy) {
    onboardingDone();
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

} // namespace
} // namespace orv::test
