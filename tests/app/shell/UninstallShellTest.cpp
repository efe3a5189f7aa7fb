// The uninstall's administrator script, read back from its AppleScript string literal and run by
// a real /bin/sh with rm, tccutil and killall replaced by recorders: whatever the home folder
// holds, each command receives exactly the words it receives for a plain one.

#include "app/shell/AppDelegate.h"

#include "platform/AppleScript.h"
#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(UninstallShellTest, EveryCommandGetsExactlyItsWordsUnderHostileHomes) {
    test::TempDir dir;
    std::filesystem::create_directories((dir / "bin").str());
    for (const std::string name : {"rm", "tccutil", "killall"}) {
        test::writeFile(dir / ("bin/" + name),
                        "#!/bin/sh\nprintf '%s|' " + name + " \"$@\" >> record; echo >> record\n");
        std::filesystem::permissions((dir / ("bin/" + name)).str(),
                                     std::filesystem::perms::owner_all);
    }
    // What the commands receive for `home`, one line each.
    const auto record = [&](const std::string& home) {
        std::filesystem::remove((dir / "record").str());
        const std::string script =
            AppDelegate::administratorScript(AppDelegate::uninstallCommands(home));
        const std::string start = "do shell script ";
        std::size_t at = start.size();
        const auto text = readAppleScriptString(script, at);
        EXPECT_EQ(script.rfind(start, 0), 0u) << home;
        EXPECT_EQ(script.substr(at), " with administrator privileges") << home;
        const auto run = test::runProgram(Path("/bin/sh"), {"-c", text.value_or("")},
                                          {{"PATH", (dir / "bin").str()}}, dir.path());
        EXPECT_EQ(run.exitCode, 0) << home << "\n" << run.err;
        return test::readFile(dir / "record");
    };
    const std::string plain = record("/Users/plain");
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 12) << plain;
    for (const std::string home :
         {"/Users/Ana María", "/Users/line\nfeed", "/Users/it's mine", "/Users/$(touch PWNED)",
          "/Users/`touch PWNED`", "/Users/x; touch PWNED; y", "/Users/back\\slash \\\"quoted\\\"",
          "/Users/\"double\" 'single' $HOME *", "/Users/-rf"}) {
        std::string expected = plain;
        for (std::size_t at = 0; (at = expected.find("/Users/plain", at)) != std::string::npos;
             at += home.size()) {
            expected.replace(at, 12, home);
        }
        EXPECT_EQ(record(home), expected) << home;
        EXPECT_FALSE(std::filesystem::exists((dir / "PWNED").str())) << home << " ran a command";
    }
}

} // namespace
} // namespace orv
