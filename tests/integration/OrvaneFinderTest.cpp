// orvane-finder run as Finder would run the extension, against a temporary container,
// pasteboard, log and home folder.

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace orv::test {
namespace {

using ::testing::HasSubstr;

const Path kFinder(ORVANE_FINDER_PROGRAM);
const std::string kGroup = "K4W7P2Z9QD.tamsel.Orvane";

class OrvaneFinderTest : public ::testing::Test {
  protected:
    OrvaneFinderTest() {
        for (const char* sub : {"home/Desktop", "run", "config", "work/a/c"}) {
            std::filesystem::create_directories((dir / sub).str());
        }
        writeFile(dir / "work/a/b.txt", "");
        env = {
            {"HOME", (dir / "home").str()},
            {"XDG_RUNTIME_DIR", (dir / "run").str()},
            {"XDG_CONFIG_HOME", (dir / "config").str()},
            {"ORVANE_GROUP_CONTAINERS", (dir / "groups").str()},
            {"ORVANE_LOG_FILE", (dir / "log").str()},
            {"ORVANE_HOST_PROGRAM", "/nonexistent/orvane-host"},
            {"LANG", "C.UTF-8"},
        };
    }

    RunResult finder(const std::vector<std::string>& arguments) {
        return runProgram(kFinder, arguments, env, dir / "work");
    }
    Path request(std::string_view name) const {
        return (dir / "groups").appending(kGroup).appending(name);
    }

    // A stand-in host that records each URL it is started with, together with the create
    // request it found in the container at that moment.
    Path recordingHost() {
        const Path host = dir / "host";
        writeFile(host, "#!/bin/sh\n{ printf '%s ' \"$1\"; cat '" + request("pending.txt").str() +
                            "'; } > '" + (dir / "url.tmp").str() + "'\nmv '" +
                            (dir / "url.tmp").str() + "' '" + (dir / "url").str() + "'\n");
        chmod(host.str().c_str(), 0755);
        return host;
    }

    std::string waitForURL() {
        eventually([&] { return std::filesystem::exists((dir / "url").str()); });
        return readFile(dir / "url");
    }

    TempDir dir;
    std::map<std::string, std::string> env;
};

TEST_F(OrvaneFinderTest, MenusForEachKindWithAWaitingCutInTheUsersLanguage) {
    ASSERT_EQ(finder({"run", "cutItems:", "--select", "a/b.txt"}).exitCode, 0);
    const auto items = finder({"menu", "--kind", "items", "--select", "a/b.txt"});
    ASSERT_EQ(items.exitCode, 0) << items.err;
    EXPECT_THAT(items.out, ::testing::StartsWith("Copy Path\tcopyPath:\tdoc.on.clipboard\n"
                                                 "Cut\tcutItems:\tscissors\n"
                                                 "Paste\tpasteItems:\tdoc.on.clipboard\n"
                                                 "New File\t-\tdocument.badge.plus\n"
                                                 "  Text File\tcreateTxt:\tdoc.text\n"));
    EXPECT_THAT(items.out, ::testing::EndsWith("  Rich Text (RTF)\tcreateRtf:\tdoc.richtext\n"));
    const auto container = finder({"menu", "--kind", "container", "--select", "a/b.txt"});
    EXPECT_THAT(container.out, ::testing::StartsWith("Paste\tpasteItems:\tdoc.on.clipboard\n"
                                                     "New File\t-\tdocument.badge.plus\n"));
    for (const char* kind : {"sidebar", "toolbar", "18446744073709551615"}) {
        EXPECT_EQ(finder({"menu", "--kind", kind, "--select", "a/b.txt"}).out, container.out)
            << kind;
    }
    env["LANG"] = "es_ES.UTF-8";
    EXPECT_THAT(finder({"menu", "--kind", "container"}).out, HasSubstr("Nuevo archivo\t-\t"));
}

TEST_F(OrvaneFinderTest, CutWritesTheListAndEmptiesThePasteDestination) {
    const auto result = finder({"run", "cutItems:", "--select", "/x/1", "--select", "/x/2/",
                                "--select", "rel/../rel/./3"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readFile(request("paste.txt")), "");
    EXPECT_EQ(readFile(request("cut.txt")), "/x/1\n/x/2\n" + (dir / "work/rel/3").str());
    EXPECT_EQ(readFile(dir / "log"), "tamsel.Orvane-.OrvaneExtension FinderSync Cut 3 items\n");
    // Only the two request files: the atomic writes leave no temporary file behind.
    EXPECT_EQ(countEntries((dir / "groups").appending(kGroup)), 2u);
}

TEST_F(OrvaneFinderTest, CopyPathPutsExactlyThePathsOnThePasteboard) {
    const auto result = finder({"run", "copyPath:", "--select", "/a/b.txt", "--select", "/a/c"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readFile(dir / "run/orvane/pasteboard.txt"), "/a/b.txt\n/a/c");
}

TEST_F(OrvaneFinderTest, NewFileWritesTheRequestBeforeStartingTheHost) {
    env["ORVANE_HOST_PROGRAM"] = recordingHost().str();
    const auto result = finder({"run", "createMd:", "--select", "a/b.txt", "--target", "/t"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(waitForURL(), "orvaneplus://create " + (dir / "work/a").str() + "\nmd");
}

TEST_F(OrvaneFinderTest, PasteNamesTheSelectedFolder) {
    env["ORVANE_HOST_PROGRAM"] = recordingHost().str();
    ASSERT_EQ(finder({"run", "pasteItems:", "--select", "a/c/", "--target", "/t"}).exitCode, 0);
    EXPECT_THAT(waitForURL(), ::testing::StartsWith("orvaneplus://paste"));
    EXPECT_EQ(readFile(request("paste.txt")), (dir / "work/a/c").str());
}

TEST_F(OrvaneFinderTest, BadArgumentsAreAUsageError) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"open"},
        {"run"},
        {"run", "deleteEverything:"},
        {"run", "copyPath"},
        {"menu", "--kind", "-1"},
        {"menu", "--kind", "items", "--select"},
        {"menu", "--kind", "items", "--bogus", "x"},
        {"run", "copyPath:", "--kind", "items"},
    };
    for (const auto& arguments : bad) {
        const auto result = finder(arguments);
        EXPECT_EQ(result.exitCode, 2) << ::testing::PrintToString(arguments);
        EXPECT_THAT(result.err, HasSubstr("usage: orvane-finder"));
        EXPECT_EQ(result.out, "");
    }
}

} // namespace
} // namespace orv::test
