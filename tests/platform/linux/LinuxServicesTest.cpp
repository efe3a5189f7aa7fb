#include "platform/linux/LinuxServices.h"
#include "platform/linux/LinuxBundle.h"
#include "platform/linux/LinuxUserDefaults.h"
#include "platform/linux/Process.h"

#include "tests/support/TempDir.h"
#include "tests/support/TestPlatform.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace orv::lnx {
namespace {

using test::readFile;
using test::writeFile;

// Waits for a detached program to leave its mark.
bool waitForFile(const Path& path, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (std::filesystem::exists(path.str())) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

Path makeScript(const test::TempDir& dir, std::string_view name, std::string_view body) {
    const Path script = dir / name;
    writeFile(script, "#!/bin/sh\n" + std::string(body));
    chmod(script.str().c_str(), 0755);
    return script;
}

class LinuxServicesTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::ScopedEnv env;
};

TEST_F(LinuxServicesTest, LaunchStartsTheProgramWithExactlyItsArguments) {
    const Path out = dir / "args";
    const Path script = makeScript(
        dir, "record", "printf '%s|' \"$@\" > \"$0.tmp\"; mv \"$0.tmp\" " + out.str() + "\n");
    LinuxProcessLauncher launcher;
    ASSERT_TRUE(launcher.launch(script, {"Finder", "two words", ""}));
    ASSERT_TRUE(waitForFile(out));
    EXPECT_EQ(readFile(out), "Finder|two words||");
}

TEST_F(LinuxServicesTest, LaunchReportsAProgramThatCannotRun) {
    LinuxProcessLauncher launcher;
    const auto missing = launcher.launch(dir / "missing", {});
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ENOENT);
    writeFile(dir / "plain", "not executable");
    EXPECT_FALSE(launcher.launch(dir / "plain", {}));
}

TEST_F(LinuxServicesTest, RunWithInputFeedsStandardInputAndReportsTheExitStatus) {
    const Path out = dir / "in";
    const Path cat = makeScript(dir, "cat", "cat > " + out.str() + "\n");
    std::string big(1 << 20, 'x');
    ASSERT_TRUE(runWithInput(cat, {}, big));
    EXPECT_EQ(readFile(out).size(), big.size());
    const Path failing = makeScript(dir, "fail", "exit 3\n");
    EXPECT_FALSE(runWithInput(failing, {}, "x"));
    const Path early = makeScript(dir, "early", "exit 0\n");
    EXPECT_FALSE(runWithInput(early, {}, big))
        << "a reader that leaves before taking its input is a failure, not a SIGPIPE";
}

TEST_F(LinuxServicesTest, PasteboardWithoutDisplayIsAFileHoldingTheLastString) {
    env.unset("DISPLAY");
    env.unset("WAYLAND_DISPLAY");
    env.set("XDG_RUNTIME_DIR", dir.path().str());
    LinuxPasteboard pasteboard;
    ASSERT_TRUE(pasteboard.setString("first", kPasteboardTypeString));
    pasteboard.clearContents();
    EXPECT_EQ(readFile(dir / "orvane/pasteboard.txt"), "");
    ASSERT_TRUE(pasteboard.setString("/a/b.txt\n/a/c", kPasteboardTypeString));
    EXPECT_EQ(readFile(dir / "orvane/pasteboard.txt"), "/a/b.txt\n/a/c");
    EXPECT_FALSE(pasteboard.setString("x", "public.file-url"));
    EXPECT_EQ(readFile(dir / "orvane/pasteboard.txt"), "/a/b.txt\n/a/c");
}

TEST_F(LinuxServicesTest, RuntimeFolderMustBeThisUsersOwnAndPrivate) {
    env.set("XDG_RUNTIME_DIR", dir.path().str());
    std::filesystem::create_directory((dir / "orvane").str());
    chmod((dir / "orvane").str().c_str(), 0777);
    env.unset("DISPLAY");
    env.unset("WAYLAND_DISPLAY");
    LinuxPasteboard pasteboard;
    EXPECT_FALSE(pasteboard.setString("secret", kPasteboardTypeString));
    EXPECT_FALSE(std::filesystem::exists((dir / "orvane/pasteboard.txt").str()));
}

TEST_F(LinuxServicesTest, HostURLsStartTheHostProgramWithTheURL) {
    const Path out = dir / "url";
    const Path host = makeScript(dir, "host",
                                 "printf '%s' \"$1\" > " + out.str() + ".tmp; mv " + out.str() +
                                     ".tmp " + out.str() + "\n");
    env.set("ORVANE_HOST_PROGRAM", host.str());
    LinuxProcessLauncher launcher;
    LinuxWorkspace workspace(launcher);
    ASSERT_TRUE(workspace.openURL("orvaneplus://create"));
    ASSERT_TRUE(waitForFile(out));
    EXPECT_EQ(readFile(out), "orvaneplus://create");
    EXPECT_FALSE(workspace.openURL("no scheme"));
}

TEST_F(LinuxServicesTest, LogLinesGoToTheLogFileOneLineEach) {
    env.set("ORVANE_LOG_FILE", (dir / "log").str());
    LinuxLogSink sink;
    const Log log(sink, "tamsel.Orvane-.OrvaneExtension", "FinderSync");
    log("Cut %d items", 3);
    log("Created: %{public}@", std::string("/a/line\nbreak"));
    EXPECT_EQ(readFile(dir / "log"), "tamsel.Orvane-.OrvaneExtension FinderSync Cut 3 items\n"
                                     "tamsel.Orvane-.OrvaneExtension FinderSync Created: "
                                     "/a/line\\nbreak\n");
}

TEST_F(LinuxServicesTest, UserDefaultsPersistPerDomain) {
    env.set("XDG_CONFIG_HOME", (dir / "config").str());
    LinuxUserDefaultsSuites suites;
    {
        auto finder = suites.suite("com.apple.finder");
        ASSERT_TRUE(finder);
        EXPECT_FALSE(finder->boolForKey("AppleShowAllFiles"));
        finder->setBool(true, "AppleShowAllFiles");
        finder->setBool(false, "Other\tkey");
        EXPECT_TRUE(finder->synchronize());
    }
    auto again = suites.suite("com.apple.finder");
    EXPECT_TRUE(again->boolForKey("AppleShowAllFiles"));
    EXPECT_FALSE(again->boolForKey("Other\tkey"));
    EXPECT_FALSE(suites.suite("other.domain")->boolForKey("AppleShowAllFiles"));
    EXPECT_TRUE(std::filesystem::exists((dir / "config/orvane/com.apple.finder.defaults").str()));
    EXPECT_EQ(suites.suite("../evil"), nullptr);
    EXPECT_EQ(suites.suite(""), nullptr);
}

TEST_F(LinuxServicesTest, UserDefaultsSeeOtherWritersAfterSynchronize) {
    env.set("XDG_CONFIG_HOME", (dir / "config").str());
    LinuxUserDefaultsSuites suites;
    auto reader = suites.suite("d");
    suites.suite("d")->setBool(true, "k");
    EXPECT_FALSE(reader->boolForKey("k"));
    reader->synchronize();
    EXPECT_TRUE(reader->boolForKey("k"));
    writeFile(dir / "config/orvane/d.defaults", "garbage line\nk\tstring\ttrue\n");
    reader->synchronize();
    EXPECT_FALSE(reader->boolForKey("k")) << "a string is not a Boolean";
}

TEST_F(LinuxServicesTest, BundlePicksTheLanguageFromTheEnvironment) {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        env.unset(name);
    }
    EXPECT_EQ(LinuxBundle::preferredLanguage(), "en");
    env.set("LANG", "es_ES.UTF-8");
    EXPECT_EQ(LinuxBundle::preferredLanguage(), "es");
    env.set("LC_ALL", "C.UTF-8");
    EXPECT_EQ(LinuxBundle::preferredLanguage(), "en");
    env.set("LANGUAGE", "de_DE:es");
    EXPECT_EQ(LinuxBundle::preferredLanguage(), "de");
}

TEST_F(LinuxServicesTest, BundleShowsKeysItHasNoTextFor) {
    std::filesystem::create_directories((dir / "en.lproj").str());
    std::filesystem::create_directories((dir / "es.lproj").str());
    writeFile(dir / "en.lproj/Localizable.strings", "\"menu.cut\" = \"Cut\";");
    writeFile(dir / "es.lproj/Localizable.strings", "\"menu.cut\" = \"Cortar\";\n\"broken\" =");
    test::RecordingLogSink sink;
    const Log log(sink, "s", "Bundle");
    LinuxBundle spanish(dir.path(), "es", log);
    EXPECT_EQ(spanish.localizedString("menu.cut"), "Cortar");
    EXPECT_EQ(spanish.localizedString("menu.paste"), "menu.paste");
    ASSERT_EQ(sink.lines.size(), 1u) << "the broken table is reported";
    LinuxBundle german(dir.path(), "de", log);
    EXPECT_EQ(german.language(), "en");
    EXPECT_EQ(german.localizedString("menu.cut"), "Cut");
    LinuxBundle none(dir / "missing", "en", log);
    EXPECT_EQ(none.localizedString("menu.cut"), "menu.cut");
    EXPECT_EQ(sink.lines.size(), 2u);
}

TEST_F(LinuxServicesTest, SymbolCatalogKnowsTheProductsSymbolsOnly) {
    LinuxSymbolCatalog symbols;
    const auto scissors = symbols.systemSymbol("scissors");
    ASSERT_TRUE(scissors);
    EXPECT_EQ(scissors->symbolName, "scissors");
    EXPECT_GT(scissors->size().width, 0);
    EXPECT_EQ(symbols.systemSymbol("no.such.symbol"), nullptr);
}

} // namespace
} // namespace orv::lnx
