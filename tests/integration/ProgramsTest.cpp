// The two real programs, run as a person's session runs them, each test with its own HOME,
// XDG folders, group container and log: orvane-finder plays Finder, its orvaneplus: URLs start
// or reach orvane-host, and files are created and moved in real folders.

#include "app/templates/OfficeTemplates.h"
#include "tests/support/RunProgram.h"

#include <csignal>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;
using namespace std::string_literals;

const Path kFinder(ORVANE_FINDER_PROGRAM);
const Path kHost(ORVANE_HOST_PROGRAM);

struct ProgramsTest : ::testing::Test {
    ProgramsTest() {
        fs::create_directories((dir / "work/a/c").str());
        writeFile(dir / "work/a/b.txt", "");
    }
    ~ProgramsTest() override {
        host.reset();
        endRecordedHost(dir);
    }

    static bool exists(const Path& path) { return fs::exists(fs::symlink_status(path.str())); }
    Path work(std::string_view sub) const { return (dir / "work").appending(sub); }
    Path request(std::string_view name) const {
        return (dir / "groups/K4W7P2Z9QD.tamsel.Orvane").appending(name);
    }
    void startHost() {
        host = std::make_unique<RunningProgram>(kHost, std::vector<std::string>{}, env, dir.path(),
                                                dir.path());
        ASSERT_TRUE(eventually([&] { return exists(dir / "run/orvane/host.sock"); }))
            << host->err();
    }
    RunResult run(const Path& program, const std::vector<std::string>& arguments) {
        return runProgram(program, arguments, env, work(""));
    }
    RunResult finder(const std::vector<std::string>& arguments) { return run(kFinder, arguments); }
    // The next URL a stand-in host was started with, and the create request it found.
    std::string recordedURL() {
        eventually([&] { return exists(dir / "url"); });
        const std::string url = readFile(dir / "url") + readFile(request("pending.txt"));
        fs::remove((dir / "url").str());
        return url;
    }
    std::string log() const { return readFile(dir / "log"); }
    // The notification server of a session bus of its own, which the host is then to use.
    std::unique_ptr<RunningProgram> notificationServer(const char* choice) {
        auto bus = std::make_unique<RunningProgram>(
            Path("/usr/bin/dbus-run-session"),
            std::vector<std::string>{"--", "python3", ORVANE_NOTIFICATION_SERVER, "actions",
                                     choice},
            Environment{}, dir.path(), dir / "home");
        EXPECT_TRUE(eventually([&] { return bus->out().find('\n') != std::string::npos; }));
        env["DBUS_SESSION_BUS_ADDRESS"] = bus->out().substr(6, bus->out().find('\n') - 6);
        return bus;
    }

    TempDir dir;
    Environment env = sessionEnvironment(dir);
    std::unique_ptr<RunningProgram> host;
};

TEST_F(ProgramsTest, TheFinderHandsItsRequestsOverAsTheExtensionDoes) {
    finder({"run", "cutItems:", "--select", "/x/1", "--select", "/x/2/", "--select",
            "rel/../rel/./3"});
    EXPECT_EQ(readFile(request("paste.txt")), "");
    EXPECT_EQ(readFile(request("cut.txt")), "/x/1\n/x/2\n" + work("rel/3").str());
    EXPECT_EQ(log(), "tamsel.Orvane-.OrvaneExtension FinderSync Cut 3 items\n");

    // As file managers pass them: a plain list, and after "--" a path may look like an option.
    finder({"run", "copyPath:", "--target", "/t", "/a/b.txt", "--", "--select", "/a/c"});
    EXPECT_EQ(readFile(dir / "run/orvane/pasteboard.txt"),
              "/a/b.txt\n" + work("--select").str() + "\n/a/c");
    env["ORVANE_HOST_PROGRAM"] = recorderScript(dir / "host", dir / "url").str();
    finder({"run", "createMd:", "--select", "a/b.txt", "--target", "/t"});
    EXPECT_EQ(recordedURL(), "orvaneplus://create|" + work("a").str() + "\nmd");
    finder({"run", "pasteItems:", "--select", "a/c/", "--target", "/t"});
    EXPECT_THAT(recordedURL(), ::testing::StartsWith("orvaneplus://paste|"));
    EXPECT_EQ(readFile(request("paste.txt")), work("a/c").str());
    finder({"run", "pasteItems:", "--select", "a/b.txt"}); // no folder chosen: the file's own
    EXPECT_EQ(readFile(request("paste.txt")), work("a").str());
}

TEST_F(ProgramsTest, BadArgumentsAreAUsageErrorAndTheHostShowsWhatItIsAskedAndChangesNothing) {
    EXPECT_THAT(finder({"run", "copyPath"}).err, HasSubstr("usage: orvane-finder"));
    EXPECT_THAT(run(kHost, {"--bogus"}).err, HasSubstr("usage: orvane-host"));

    const auto ui = run(kHost, {"--print-ui"});
    EXPECT_THAT(ui.out, HasSubstr("\"About Orvane+\" action showAbout target AppDelegate"));
    EXPECT_THAT(ui.out, HasSubstr("\"Welcome to Orvane+\"")) << "a first launch shows onboarding";
    EXPECT_EQ(run(kHost, {"--status-icon", (dir / "icon.png").str()}).exitCode, 0);
    EXPECT_EQ(readFile(dir / "icon.png").substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_FALSE(exists(dir / "config/autostart")) << "showing changes nothing";
}

TEST_F(ProgramsTest, AURLStartsTheHostWhichLaunchesAndCreatesEachKind) {
    onboardingDone(dir);
    fs::create_directories(work("new").str());
    for (const auto& [selector, name] : {std::pair{"createTxt:", "Untitled.txt"},
                                         {"createPptx:", "Untitled.pptx"},
                                         {"createRtf:", "Untitled.rtf"},
                                         {"createTxt:", "Untitled 1.txt"}}) {
        finder({"run", selector, "--target", "new"});
        const Path made = work("new").appending(name);
        ASSERT_TRUE(eventually([&] { return exists(made); })) << log();
    }
    EXPECT_TRUE(exists(dir / "config/autostart/orvane-host.desktop")) << "the whole launch ran";
    EXPECT_EQ(readFile(work("new/Untitled.pptx")), templates::emptyPptxPackage());
    EXPECT_EQ(readFile(work("new/Untitled.rtf")), templates::kRtfTemplateText);
    EXPECT_THAT(log(), Not(HasSubstr("ERROR")));
    EXPECT_TRUE(eventually([&] { return log().find("rename err=") != std::string::npos; }))
        << "the reveal ran on the work queue";
    const pid_t started = std::stoi(readFile(dir / "run/orvane/host.lock"));
    ::kill(started, SIGTERM);
    EXPECT_TRUE(eventually([&] { return ::kill(started, 0) != 0; })) << "it ends on SIGTERM";

    // Each a host of its own, which keeps the language it started in; LANGUAGE last, over LANG.
    // clang-format off
    for (const auto& [variable, value, newFile, untitled] : {
             std::tuple{"LANG", "de_DE.UTF-8", "Neue Datei", "Ohne Titel"}, {"LANG", "pt_BR.UTF-8", "Novo Arquivo", "Sem Título"},
             {"LANG", "zh_TW.UTF-8", "新增檔案", "未命名"}, {"LANGUAGE", "ja", "新規ファイル", "名称未設定"}}) {
        // clang-format on
        env[variable] = value;
        EXPECT_THAT(finder({"menu", "--kind", "container"}).out, HasSubstr(newFile)) << value;
        finder({"run", "createTxt:", "--target", "new"});
        const Path made = work("new").appending(untitled + ".txt"s);
        EXPECT_TRUE(eventually([&] { return exists(made); })) << value;
        endRecordedHost(dir);
    }
}

// Then a folder named to read as two lines: cut, it would come back as a victim's real path.
TEST_F(ProgramsTest, CutAndPasteMovesWithoutReplacingAnythingAndACraftedNameMovesNothing) {
    onboardingDone(dir);
    startHost();
    const std::string victim = work("victim").str();
    for (const auto& folder : {"src/folder/inner"s, "dest"s, "victim"s, "src/x\n" + victim}) {
        fs::create_directories(work(folder).str());
    }
    writeFile(work("src/a.txt"), "a");
    writeFile(work("src/b.txt"), "b from src");
    writeFile(work("src/folder/inner/deep.txt"), "deep");
    writeFile(work("dest/b.txt"), "b already in dest");
    writeFile(work("victim/precious.txt"), "mine");
    finder({"run", "cutItems:", "--", "src/a.txt", "src/b.txt", "src/folder"});
    finder({"run", "pasteItems:", "--select", "dest"});
    ASSERT_TRUE(eventually([&] {
        return exists(work("dest/folder")) &&
               host->out().find("b.txt: “b.txt” couldn’t be moved") != std::string::npos;
    })) << log()
        << host->out();
    EXPECT_EQ(readFile(work("dest/folder/inner/deep.txt")), "deep");
    EXPECT_EQ(readFile(work("dest/b.txt")), "b already in dest") << "never replaced";
    EXPECT_EQ(readFile(work("src/b.txt")), "b from src") << "the item that could not move stays";
    EXPECT_FALSE(exists(work("src/a.txt")));
    EXPECT_THAT(finder({"menu", "--kind", "container"}).out, Not(HasSubstr("pasteItems:")))
        << "the cut is consumed";

    finder({"run", "cutItems:", "--", "src/x\n" + victim});
    finder({"run", "pasteItems:", "--", "dest"});
    EXPECT_THAT(log(), HasSubstr("ERROR cutting: “" + work("src/x").str() + "\\n" + victim +
                                 "” holds a line break; nothing was handed over"));
    EXPECT_TRUE(eventually([&] { return log().find("Nothing to paste") != std::string::npos; }))
        << "the host took the paste and found no cut";
    EXPECT_EQ(readFile(work("victim/precious.txt")), "mine");
    EXPECT_EQ(countEntries(work("dest")), 3u) << "a.txt, b.txt and folder";
}

TEST_F(ProgramsTest, AHostWaitingForTheNotifierToAnswerServesRequestsAndEndsOnSigterm) {
    ORVANE_REQUIRE_PROGRAM("dbus-run-session");
    const auto bus = notificationServer("never");
    startHost();
    finder({"run", "createPages:", "--target", "a"});
    ASSERT_TRUE(eventually([&] { return bus->out().find("Pages") != std::string::npos; }));
    finder({"run", "createTxt:", "--target", "a"}); // made while the question waits
    EXPECT_TRUE(eventually([&] { return exists(work("a/Untitled.txt")); })) << host->out();
    ::kill(host->pid(), SIGTERM);
    EXPECT_EQ(host->wait(10), 0);
    EXPECT_THAT(host->out(), HasSubstr("-> Cancel"));
}

// 20,000 files on tmpfs between two small items, pasted onto the disk: one notification shows
// the move, and its Cancel, or SIGTERM, stops it with every item whole in one place.
TEST_F(ProgramsTest, ALongPasteStoppedByItsNotificationOrBySigtermLosesNothing) {
    ORVANE_REQUIRE_PROGRAM("dbus-run-session");
    for (const bool sigterm : {false, true}) {
        TempDir shm("/dev/shm");
        const Path many = shm.path().appending("many"), dest = work(sigterm ? "d2" : "d1");
        fs::create_directories(many.str());
        fs::create_directories(dest.str());
        for (int i = 0; i < 20000; ++i) {
            writeFile(many.appending(std::to_string(i)), std::string(4096, 'x'));
        }
        writeFile(shm.path().appending("a.txt"), "a");
        writeFile(shm.path().appending("c.txt"), "c");
        const auto bus = notificationServer(sigterm ? "never" : "cancel");
        const auto shown = [&](const std::string& text) {
            return eventually([&] { return bus->out().find(text) != std::string::npos; });
        };
        startHost();
        finder({"run", "cutItems:", "--", shm.path().str() + "/a.txt", many.str(),
                shm.path().str() + "/c.txt"});
        finder({"run", "pasteItems:", "--select", dest.str()});
        ASSERT_TRUE(shown("Moving to “" + dest.lastComponent() + "”|“many”: item 2 of 3, "))
            << bus->out() << log();
        EXPECT_TRUE(shown("|cancel Cancel"));
        if (sigterm) {
            ::kill(host->pid(), SIGTERM);
            EXPECT_EQ(host->wait(20), 0) << "ended before the move would have";
        }
        const auto stopped = "ERROR moving: “many” couldn’t be moved to “" + dest.str() +
                             "” because the move was stopped.";
        ASSERT_TRUE(eventually([&] { return log().find(stopped) != std::string::npos; })) << log();
        EXPECT_EQ(readFile(dest.appending("a.txt")), "a");
        EXPECT_EQ(countEntries(dest), 1u) << "neither the folder nor its hidden copy";
        EXPECT_EQ(countEntries(many), 20000u);
        EXPECT_EQ(readFile(shm.path().appending("c.txt")), "c");
        if (!sigterm) { // its last report replaces the one before
            EXPECT_TRUE(shown("Moved 1 of 3 items to “d1”|Left where they were: many, c.txt||7"));
            ::kill(host->pid(), SIGTERM);
            EXPECT_EQ(host->wait(20), 0);
        }
    }
}

} // namespace
} // namespace orv::test
