// The real GNOME Files under Xvfb, with our module bind-mounted into its extension folder in a
// private mount namespace and a D-Bus session of its own: the menu is opened with a right-click
// and walked with the keys, as a person would, and windows are waited for by polling.

#include "platform/Text.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace orv::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNeeded[] = {"/usr/bin/nautilus", "/usr/bin/Xvfb",
                                   "/usr/bin/xdotool",  "/usr/bin/xwd",
                                   "/usr/bin/unshare",  "/usr/bin/dbus-run-session"};

class NautilusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* program : kNeeded) {
            if (access(program, X_OK) != 0) {
                if (std::getenv("CI") != nullptr) {
                    FAIL() << program << " is not installed";
                }
                GTEST_SKIP() << program << " is not installed";
            }
        }
        for (const char* sub : {"home", "config/orvane", "work/folder"}) {
            fs::create_directories((dir / sub).str());
        }
        fs::create_directory((dir / "run").str());
        fs::permissions((dir / "run").str(), fs::perms::owner_all);
        writeFile(dir / "work/folder/report one.txt", "");
        writeFile(dir / "config/orvane/tamsel.Orvane-.defaults",
                  "onboardingComplete\tbool\ttrue\n");
        // Xvfb picks a free display and names it once it serves: no race with another one.
        const Path display = dir / "display";
        writeFile(dir / "session.sh",
                  concat({"set -e\nmount --bind '" ORVANE_NAUTILUS_MODULE_DIR
                          "' '" ORVANE_NAUTILUS_DIR "'\n"
                          "Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>'",
                          display.str(), "' &\nwhile [ ! -s '", display.str(),
                          "' ]; do sleep 0.05; done\nexport DISPLAY=\":$(cat '", display.str(),
                          "')\"\nexec dbus-run-session -- nautilus --new-window '", folder().str(),
                          "'\n"}));
        env = {{"PATH", "/usr/local/bin:/usr/bin:/bin"},
               {"HOME", (dir / "home").str()},
               {"XDG_RUNTIME_DIR", (dir / "run").str()},
               {"XDG_CONFIG_HOME", (dir / "config").str()},
               {"ORVANE_GROUP_CONTAINERS", (dir / "groups").str()},
               {"ORVANE_LOG_FILE", (dir / "log").str()},
               // The module is not where it was built: it is told where orvane-finder is.
               {"ORVANE_FINDER_PROGRAM", ORVANE_FINDER_PROGRAM},
               {"GSK_RENDERER", "cairo"},
               {"GSETTINGS_BACKEND", "memory"},
               {"LANG", "C.UTF-8"}};
        const std::vector<std::string> unshare =
            geteuid() == 0 ? std::vector<std::string>{"-m", "--propagation", "private"}
                           : std::vector<std::string>{"-rm", "--propagation", "private"};
        auto arguments = unshare;
        arguments.insert(arguments.end(), {"/bin/sh", (dir / "session.sh").str()});
        session.emplace(Path("/usr/bin/unshare"), arguments, env, dir.path(), dir.path());
        ASSERT_TRUE(eventually([&] { return readFile(display).find('\n') != std::string::npos; }))
            << session->err();
        env["DISPLAY"] = concat({":", readFile(display).substr(0, readFile(display).find('\n'))});
        const auto windows = visibleWindows(1, 60);
        ASSERT_FALSE(windows.empty()) << session->err() << readFile(dir / "log");
        mainWindow = windows.front();
    }
    void TearDown() override {
        // Asked to end first, so that Xvfb takes its socket and lock away.
        if (session) {
            ::kill(-session->pid(), SIGTERM);
            session->wait(10);
        }
        // The host the menu started runs on its own: end it through the pid it recorded.
        const std::string pid = readFile(dir / "run/orvane/host.lock");
        if (!pid.empty() && std::stoi(pid) > 0) {
            ::kill(std::stoi(pid), SIGTERM);
        }
    }

    Path folder() const { return dir / "work/folder"; }
    std::string tool(const std::vector<std::string>& arguments,
                     const char* program = "/usr/bin/xdotool") {
        return runProgram(Path(program), arguments, env, dir.path()).out;
    }
    // The visible windows of GNOME Files once there are at least `count`, else none.
    std::vector<std::string> visibleWindows(std::size_t count, double seconds) {
        std::vector<std::string> all;
        eventually(
            [&] {
                all.clear();
                std::istringstream ids(
                    tool({"search", "--onlyvisible", "--class", "org.gnome.Nautilus"}));
                for (std::string id; ids >> id;) {
                    all.push_back(id);
                }
                return all.size() >= count;
            },
            seconds);
        return all.size() >= count ? all : std::vector<std::string>{};
    }
    // The open menu's window, or "".
    std::string popup(double seconds) {
        for (const auto& id : visibleWindows(2, seconds)) {
            if (id != mainWindow) {
                return id;
            }
        }
        return "";
    }
    void keys(const std::vector<std::string>& names) {
        std::vector<std::string> arguments{"key", "--delay", "150"};
        arguments.insert(arguments.end(), names.begin(), names.end());
        tool(arguments);
    }
    // Right-clicks the spot (in window coordinates), then walks to Orvane+ (second from the
    // end) and into it; the open menu takes the keys. The window may answer only some time
    // after it shows: tried until the menu opens.
    std::string openOurMenu(const char* x, const char* y) {
        std::string menu;
        eventually(
            [&] {
                tool({"mousemove", "--window", mainWindow, x, y, "click", "3"});
                menu = popup(2);
                return !menu.empty();
            },
            30);
        keys({"Up", "Up", "Return"});
        return menu;
    }

    TempDir dir;
    std::string mainWindow;
    std::map<std::string, std::string> env;
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
    const Path pasteboard = dir / "run/orvane/pasteboard.txt";
    const bool xclip = access("/usr/bin/xclip", X_OK) == 0;
    const auto copied = [&] {
        return xclip ? tool({"-o", "-selection", "clipboard"}, "/usr/bin/xclip")
                     : readFile(pasteboard);
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
    EXPECT_THAT(readFile(dir / "log"), ::testing::Not(::testing::HasSubstr("FileManager ERROR")));
}

} // namespace
} // namespace orv::test
