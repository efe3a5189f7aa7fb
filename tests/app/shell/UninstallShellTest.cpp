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

// What the recorders write for these commands: each word, then "|", one command per line.
std::string expectedRecord(const std::string& home) {
    const std::string app = "tamsel.Orvane-", ext = "tamsel.Orvane-.OrvaneExtension";
    std::string record = "rm|-rf|/Applications/Orvane+.app|\n";
    for (const auto& [flag, path] : std::vector<std::pair<std::string, std::string>>{
             {"-f", "/Library/Preferences/" + app + ".plist"},
             {"-f", "/Library/Preferences/" + ext + ".plist"},
             {"-rf", "/Library/Caches/" + app},
             {"-rf", "/Library/Caches/" + ext},
             {"-rf", "/Library/Saved Application State/" + app + ".savedState"},
             {"-rf", "/Library/Application Support/" + app}}) {
        record += "rm|" + flag + "|" + home + path + "|\n";
    }
    for (const char* service : {"Accessibility", "All"}) {
        for (const auto& id : {app, ext}) {
            record += "tccutil|reset|" + std::string(service) + "|" + id + "|\n";
        }
    }
    return record + "killall|cfprefsd|\n";
}

TEST(UninstallShellTest, EveryCommandGetsExactlyItsWordsUnderHostileHomes) {
    test::TempDir dir;
    std::filesystem::create_directories((dir / "bin").str());
    for (const char* name : {"rm", "tccutil", "killall"}) {
        const Path recorder = dir / (std::string("bin/") + name);
        test::writeFile(recorder, "#!/bin/sh\nprintf '%s|' " + std::string(name) +
                                      " \"$@\" >> record; echo >> record\n");
        chmod(recorder.str().c_str(), 0755);
    }
    for (const std::string home :
         {"/Users/Ana María", "/Users/line\nfeed", "/Users/it's mine", "/Users/$(touch PWNED)",
          "/Users/`touch PWNED`", "/Users/x; touch PWNED; y", "/Users/back\\slash \\\"quoted\\\"",
          "/Users/\"double\" 'single' $HOME *", "/Users/-rf"}) {
        std::filesystem::remove((dir / "record").str());
        const std::string script =
            AppDelegate::administratorScript(AppDelegate::uninstallCommands(home));
        const std::string start = "do shell script ";
        ASSERT_EQ(script.rfind(start, 0), 0u);
        std::size_t at = start.size();
        const auto text = readAppleScriptString(script, at);
        ASSERT_TRUE(text);
        EXPECT_EQ(script.substr(at), " with administrator privileges");
        const auto run = test::runProgram(Path("/bin/sh"), {"-c", *text},
                                          {{"PATH", (dir / "bin").str()}}, dir.path());
        EXPECT_EQ(run.exitCode, 0) << home << "\n" << run.err;
        EXPECT_EQ(test::readFile(dir / "record"), expectedRecord(home)) << home;
        EXPECT_FALSE(std::filesystem::exists((dir / "PWNED").str())) << home << " ran a command";
    }
}

} // namespace
} // namespace orv
