// The real GNOME Files under Xvfb, with our module bind-mounted into its extension folder in a
// private mount namespace and a D-Bus session of its own: the menu is opened with a right-click
// and walked with the keys, as a person would, and windows are waited for by polling.

#include "platform/Text.h"
#include "tests/support/RunProgram.h"

#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace orv::test {
namespace {

namespace fs = std::filesystem;

// GNOME Files with our module in its extension folder, on a display of its own: Xvfb picks a
// free one and names it once it serves, so no run races another for it.
constexpr const char* kSession = R"sh(set -e
mount --bind "$1" "$2"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$3" &
while [ ! -s "$3" ]; do sleep 0.05; done
export DISPLAY=":$(cat "$3")"
exec dbus-run-session -- nautilus --new-window "$4"
)sh";

class NautilusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* program :
             {"nautilus", "Xvfb", "xdotool", "xwd", "unshare", "dbus-run-session"}) {
            ORVANE_REQUIRE_PROGRAM(program);
        }
        env = sessionEnvironment(dir);
        onboardingDone(dir);
        fs::create_directories(folder().str());
        writeFile(folder().appending("report one.txt"), "");
        const std::string display = (dir / "display").str();
        // The module is not where it was built: it is told where orvane-finder is.
        env.insert({{"ORVANE_FINDER_PROGRAM", ORVANE_FINDER_PROGRAM},
                    {"GSK_RENDERER", "cairo"},
                    {"GSETTINGS_BACKEND", "memory"}});
        session.emplace(Path("/usr/bin/unshare"),
                        std::vector<std::string>{geteuid() == 0 ? "-m" : "-rm", "--propagation",
                                                 "private", "/bin/sh", "-c", kSession, "session",
                                                 ORVANE_NAUTILUS_MODULE_DIR, ORVANE_NAUTILUS_DIR,
                                                 display, folder().str()},
                        env, dir.path(), dir.path());
        std::string number;
        ASSERT_TRUE(eventually([&] {
            return (number = readFile(Path(display))).find('\n') != std::string::npos;
        })) << session->err();
        env["DISPLAY"] = concat({":", std::string_view(number).substr(0, number.find('\n'))});
        ASSERT_TRUE(eventually([&] { return !(mainWindow = firstWindow()).empty(); }, 60))
            << session->err() << readFile(dir / "log");
    }
    void TearDown() override {
        // Asked to end first, so that Xvfb takes its socket and lock away.
        if (session) {
            ::kill(-session->pid(), SIGTERM);
            session->wait(10);
        }
        endRecordedHost(dir); // the host the menu started runs on its own
    }

    Path folder() const { return dir / "work/folder"; }
    std::string tool(const std::vector<std::string>& arguments,
                     const char* program = "/usr/bin/xdotool") {
        return runProgram(Path(program), arguments, env, dir.path()).out;
    }
    // The first visible window of GNOME Files but `other`, or "".
    std::string firstWindow(const std::string& other = "") {
        std::istringstream ids(tool({"search", "--onlyvisible", "--class", "org.gnome.Nautilus"}));
        std::string id;
        while (ids >> id && id == other) {
        }
        return id == other ? "" : id;
    }
    void keys(std::vector<std::string> names) {
        names.insert(names.begin(), {"key", "--delay", "150"});
        tool(names);
    }
    // Right-clicks the spot (in window coordinates) until a menu opens, as the window may answer
    // only some time after it shows, and again while it opens without our items (on a loaded
    // machine orvane-finder can miss the module's deadline); then walks to Orvane+ (second from
    // the end) and into it. The menu's window, or "".
    std::string openOurMenu(const char* x, const char* y) {
        std::string menu;
        eventually(
            [&] {
                const auto logged = readFile(dir / "log").size();
                tool({"mousemove", "--window", mainWindow, x, y, "click", "3"});
                const bool opened =
                    eventually([&] { return !(menu = firstWindow(mainWindow)).empty(); }, 2);
                if (!opened || readFile(dir / "log").find(kMissed, logged) == std::string::npos) {
                    return opened;
                }
                keys({"Escape"});
                eventually([&] { return firstWindow(mainWindow).empty(); }, 5);
                return false;
            },
            30);
        keys({"Up", "Up", "Return"});
        return menu;
    }

    const std::string kMissed = "FileManager ERROR asking for the menu: No answer";
    TempDir dir;
    std::string mainWindow;
    Environment env;
    std::optional<RunningProgram> session;
};

TEST_F(NautilusTest, CopyPathAndCutFromAFileThenNewMarkdownBesidePaste) {
    const std::string menu = openOurMenu("336", "125"); // the one file, first in the grid
    if (menu.empty()) {
        tool({"-id", mainWindow, "-out", ORVANE_SCREENSHOT_DIR "/nautilus-window.xwd"},
             "/usr/bin/xwd");
    }
    ASSERT_FALSE(menu.empty()) << "no context menu; the window is in nautilus-window.xwd\n"
                               << session->err();
    // The submenu: Copy Path, Cut, New File; kept as a picture in the build folder.
    tool({"-id", menu, "-out", ORVANE_SCREENSHOT_DIR "/nautilus-menu.xwd"}, "/usr/bin/xwd");
    keys({"Down", "Return"});
    const bool xclip = access("/usr/bin/xclip", X_OK) == 0;
    const auto copied = [&] {
        return xclip ? tool({"-o", "-selection", "clipboard"}, "/usr/bin/xclip")
                     : readFile(dir / "run/orvane/pasteboard.txt");
    };
    EXPECT_TRUE(eventually([&] { return copied() == folder().str() + "/report one.txt"; }, 20))
        << copied() << readFile(dir / "log");

    keys({"Escape"});
    openOurMenu("336", "125");
    keys({"Down", "Down", "Return"}); // Cut
    const Path cut = dir / "groups/K4W7P2Z9QD.tamsel.Orvane/cut.txt";
    EXPECT_TRUE(eventually([&] { return readFile(cut) == folder().str() + "/report one.txt"; }));

    keys({"Escape"});
    openOurMenu("600", "450");        // an empty spot
    keys({"Down", "Down", "Return"}); // Paste is offered now, then New File
    keys({"Down", "Down", "Return"}); // Text File, Markdown
    EXPECT_TRUE(eventually([&] { return fs::exists(folder().appending("Untitled.md").str()); }, 20))
        << readFile(dir / "log");
    EXPECT_THAT(std::regex_replace(readFile(dir / "log"), std::regex(kMissed), ""),
                ::testing::Not(::testing::HasSubstr("FileManager ERROR")));
}

} // namespace
} // namespace orv::test
