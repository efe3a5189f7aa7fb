// The uninstall's administrator script, read back from its AppleScript string literal and run by
// a real /bin/sh with rm, tccutil and killall replaced by recorders: each command must receive
// exactly the intended words, whatever the home folder holds.

#include "app/shell/AppDelegate.h"

#include "platform/AppleScript.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace orv {
namespace {

using Words = std::vector<std::string>;

// The shell command text inside `do shell script "..." with administrator privileges`.
std::string shellText(const std::string& script) {
    const std::string start = "do shell script ";
    EXPECT_EQ(script.rfind(start, 0), 0u);
    std::size_t at = start.size();
    const auto text = readAppleScriptString(script, at);
    EXPECT_TRUE(text);
    EXPECT_EQ(script.substr(at), " with administrator privileges");
    return text.value_or("");
}

std::vector<Words> expectedWords(const std::string& home) {
    const std::string app = "tamsel.Orvane-", ext = "tamsel.Orvane-.OrvaneExtension";
    return {
        {"rm", "-rf", "/Applications/Orvane+.app"},
        {"rm", "-f", home + "/Library/Preferences/" + app + ".plist"},
        {"rm", "-f", home + "/Library/Preferences/" + ext + ".plist"},
        {"rm", "-rf", home + "/Library/Caches/" + app},
        {"rm", "-rf", home + "/Library/Caches/" + ext},
        {"rm", "-rf", home + "/Library/Saved Application State/" + app + ".savedState"},
        {"rm", "-rf", home + "/Library/Application Support/" + app},
        {"tccutil", "reset", "Accessibility", app},
        {"tccutil", "reset", "Accessibility", ext},
        {"tccutil", "reset", "All", app},
        {"tccutil", "reset", "All", ext},
        {"killall", "cfprefsd"},
    };
}

// The records: one command per record, its words separated by NUL, records by "\x1e".
std::vector<Words> parseRecords(const std::string& log) {
    std::vector<Words> commands;
    std::size_t start = 0;
    while (start < log.size()) {
        const auto end = log.find('\x1e', start);
        const std::string record = log.substr(start, end - start);
        Words words;
        std::size_t s = 0;
        while (s < record.size()) {
            const auto nul = record.find('\0', s);
            words.push_back(record.substr(s, nul - s));
            s = nul == std::string::npos ? record.size() : nul + 1;
        }
        commands.push_back(words);
        start = end == std::string::npos ? log.size() : end + 1;
    }
    return commands;
}

TEST(UninstallShellTest, EveryCommandGetsExactlyItsWordsUnderHostileHomes) {
    test::TempDir dir;
    const Path bin = dir / "bin";
    std::filesystem::create_directories(bin.str());
    const std::string log = (dir / "record").str();
    for (const char* name : {"rm", "tccutil", "killall"}) {
        const Path recorder = bin.appending(name);
        test::writeFile(recorder, "#!/bin/sh\n{ printf '%s' '" + std::string(name) +
                                      "'; for w in \"$@\"; do printf '\\0%s' \"$w\"; done; "
                                      "printf '\\036'; } >> '" +
                                      log + "'\n");
        chmod(recorder.str().c_str(), 0755);
    }
    const std::vector<std::string> homes = {
        "/Users/plain",
        "/Users/Ana María",
        "/Users/it's mine",
        "/Users/$(touch PWNED)",
        "/Users/`touch PWNED`",
        "/Users/x; touch PWNED; y",
        "/Users/line\nfeed",
        "/Users/back\\slash \\\"quoted\\\"",
        "/Users/\"double\" 'single' $HOME *",
        "/Users/-rf",
    };
    for (const auto& home : homes) {
        std::filesystem::remove(log);
        const std::string script =
            AppDelegate::administratorScript(AppDelegate::uninstallCommands(home));
        const auto run =
            test::runProgram(Path("/bin/sh"), {"-c", shellText(script)},
                             {{"PATH", bin.str()}, {"HOME", dir.path().str()}}, dir.path());
        EXPECT_EQ(run.exitCode, 0) << home << "\n" << run.err;
        EXPECT_EQ(parseRecords(test::readFile(Path(log))), expectedWords(home)) << home;
        EXPECT_FALSE(std::filesystem::exists((dir / "PWNED").str())) << home << " ran a command";
    }
}

} // namespace
} // namespace orv
