// orvane-host started as a person's session would start it, with its own HOME and XDG folders.

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const Path kHost(ORVANE_HOST_PROGRAM);

class OrvaneHostTest : public ::testing::Test {
  protected:
    OrvaneHostTest() {
        for (const char* sub : {"home", "config", "run", "data", "out1", "out2", "out3"}) {
            std::filesystem::create_directories((dir / sub).str());
        }
        env = {{"HOME", (dir / "home").str()},
               {"XDG_CONFIG_HOME", (dir / "config").str()},
               {"XDG_RUNTIME_DIR", (dir / "run").str()},
               {"XDG_DATA_HOME", (dir / "data").str()},
               {"LANG", "C.UTF-8"}};
    }

    Path autostart() const { return dir / "config/autostart/orvane-host.desktop"; }

    // Starts the host and waits until it has launched (its login item is written then).
    std::unique_ptr<RunningProgram> launch(const char* outputFolder) {
        std::filesystem::remove(autostart().str());
        auto host = std::make_unique<RunningProgram>(kHost, std::vector<std::string>{}, env,
                                                     dir.path(), dir / outputFolder);
        EXPECT_TRUE(eventually([&] { return std::filesystem::exists(autostart().str()); }))
            << host->err();
        return host;
    }

    // Asks the running host for its interface.
    std::string userInterface(RunningProgram& host) {
        const auto before = host.out().size();
        host.signal(SIGUSR1);
        EXPECT_TRUE(eventually([&] {
            const auto out = host.out();
            return out.size() > before && out.find("status item", before) != std::string::npos &&
                   out.back() == '\n';
        }));
        return host.out().substr(before);
    }

    TempDir dir;
    std::map<std::string, std::string> env;
};

TEST_F(OrvaneHostTest, FirstLaunchShowsOnboardingThenLaterLaunchesOnlyTheStatusItem) {
    {
        auto host = launch("out1");
        const auto ui = userInterface(*host);
        EXPECT_THAT(ui, HasSubstr("activation policy regular"));
        EXPECT_THAT(ui, HasSubstr("\"Quit\" action terminate: target - key cmd-q enabled"));
        EXPECT_THAT(ui, HasSubstr("\"Welcome to Orvane+\""));
        EXPECT_THAT(test::readFile(autostart()), HasSubstr("Exec=\"" + kHost.str() + "\""));
        host->signal(SIGTERM);
        EXPECT_EQ(host->wait(), 0);
    }
    // Finishing onboarding leaves this in the host's defaults.
    std::filesystem::create_directories((dir / "config/orvane").str());
    writeFile(dir / "config/orvane/tamsel.Orvane-.defaults", "onboardingComplete\tbool\ttrue\n");
    {
        auto host = launch("out2");
        const auto ui = userInterface(*host);
        EXPECT_THAT(ui, HasSubstr("activation policy accessory"));
        EXPECT_THAT(ui, HasSubstr("\"Version 1.0.0\" action - target - key - disabled"));
        EXPECT_THAT(ui, Not(HasSubstr("window")));
        host->signal(SIGINT);
        EXPECT_EQ(host->wait(), 0);
    }
}

TEST_F(OrvaneHostTest, PrintsItsInterfaceAndDrawsItsIconOnRequest) {
    const auto ui = runProgram(kHost, {"--print-ui"}, env, dir.path());
    EXPECT_EQ(ui.exitCode, 0) << ui.err;
    EXPECT_THAT(ui.out, HasSubstr("\"About Orvane+\" action showAbout target AppDelegate"));

    const auto icon =
        runProgram(kHost, {"--status-icon", (dir / "icon.png").str()}, env, dir.path());
    EXPECT_EQ(icon.exitCode, 0) << icon.err;
    EXPECT_EQ(test::readFile(dir / "icon.png").substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

    EXPECT_FALSE(std::filesystem::exists(autostart().str())) << "showing changes nothing";

    const auto bad = runProgram(kHost, {"--bogus"}, env, dir.path());
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_THAT(bad.err, HasSubstr("usage: orvane-host"));
}

} // namespace
} // namespace orv::test
