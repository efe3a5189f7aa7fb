// The real file managers under Xvfb, one row each, with our modules (Dolphin: service menus): menus
// are opened with a right-click and walked with the keys, and windows are waited for by polling.

#include "platform/Text.h"
#include "tests/support/RunProgram.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>

namespace orv::test {
namespace {

// Key walks: Copy Path and Cut on a file; on the background, New File › Markdown with a cut
// waiting, then Paste. A GTK 4 submenu opens behind a Back item; GTK 3 and Qt select its first.
struct Walks {
    const char *copy, *cut, *markdown, *paste;
};
const Walks kGtk4{"Up Up Return Down Return", "Up Up Return Down Down Return",
                  "Up Up Return Down Down Return Down Down Return", "Up Up Return Down Return"};
const Walks kGtk3{"Up Up Right Return", "Up Up Right Down Return",
                  "Down Down Down Right Down Right Down Return", "Down Down Down Right Return"};
const Walks kQt{"Up Up Right Return", "Up Up Right Down Return", "Up Up Up Right Down Return",
                "Up Up Right Down Down Return"};

// Where the icons are in the window: the folder "archive" first, then the file "report one.txt".
struct FileManager {
    const char *name, *command, *windowClass, *folder, *file;
    Walks walks;
    friend void PrintTo(const FileManager& row, std::ostream* os) { *os << row.name; }
};
// clang-format off
const FileManager kFileManagers[] = {
    {"nautilus", "nautilus --new-window", "org.gnome.Nautilus", "336 125", "488 125", kGtk4},
    {"nemo", "nemo", "nemo", "238 120", "362 120", kGtk3},
    {"caja", "caja --no-desktop", "caja", "235 145", "396 145", kGtk3},
    {"thunar", "thunar", "thunar", "226 110", "331 110", kGtk3},
    {"dolphin", "dolphin", "dolphin", "324 118", "443 118", kQt},
};
// clang-format on
const char* const kBackground = "400 350"; // empty in every window

// As the namespace's root: the build tree where the user reaches it, its library folder over the
// system's (Nemo's and Caja's extension folders need not exist). As the user (Caja and Thunar warn
// root): Xvfb, kept from resetting when the test's last xdotool leaves, which would hang up on a
// file manager connecting then; the file manager with a D-Bus session of its own.
constexpr const char* kSession = R"sh(set -e
dir=$2
mkdir -p "$dir/build" "$dir/work/folder/archive" "$dir/home/.local/share/kio"
cp -r "$1/servicemenus" "$dir/home/.local/share/kio/"
printf moved >"$dir/work/folder/report one.txt"
[ -z "$5" ] || chown -R "$5:" "$dir"
mount --bind "$1" "$dir/build"
mount -t overlay overlay -o "lowerdir=$dir/build/$3:$4" "$4"
as=${5:+setpriv --reuid=$5 --regid=$(id -g "$5") --clear-groups}
mkfifo "$dir/display.fifo" # Xvfb names its display there once it serves
$as Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$dir/display.fifo" &
read -r number <"$dir/display.fifo"
echo "$number" >"$dir/display"
# Our modules are told where orvane-finder is; the service menus run it from PATH.
export DISPLAY=":$number" ORVANE_FINDER_PROGRAM="$dir/build/bin/orvane-finder" \
  PATH="$dir/build/bin:$PATH" GSK_RENDERER=cairo GSETTINGS_BACKEND=memory QT_QPA_PLATFORM=xcb
exec $as dbus-run-session -- $6 "$7"
)sh";

constexpr auto npos = std::string::npos;
std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}

class FileManagersTest : public ::testing::TestWithParam<FileManager> {
  protected:
    void SetUp() override {
        for (const char* program :
             {"Xvfb", "xdotool", "xwd", "xclip", "dbus-run-session", row.name}) {
            ORVANE_REQUIRE_PROGRAM(program);
        }
        onboardingDone(dir);
        const bool root = geteuid() == 0;
        session.emplace(Path("/usr/bin/unshare"),
                        std::vector<std::string>{
                            root ? "-m" : "-rm", "--propagation", "private", "/bin/sh", "-c",
                            kSession, "session", ORVANE_BUILD_DIR, dir.path().str(), ORVANE_LIB_DIR,
                            ORVANE_SYSTEM_LIB_DIR, root ? "nobody" : "", row.command, folder.str()},
                        env, dir.path(), dir.path());
        ASSERT_TRUE(eventually([&] { return readFile(dir / "display").find('\n') != npos; }))
            << session->err();
        env["DISPLAY"] = ":" + words(readFile(dir / "display"))[0];
        ASSERT_TRUE(eventually([&] { return !(shown = windows()).empty(); }, 60)) << session->err();
    }
    void TearDown() override {
        // Xvfb is let go of its display before another one may take it.
        if (const int group = session ? session->pid() : 0; group > 0) {
            ::kill(-group, SIGTERM);
            session->wait(10);
            if (!eventually([&] { return ::kill(-group, 0) != 0; }, 10)) {
                ::kill(-group, SIGKILL);
            }
        }
        endRecordedHost(dir); // the host the menu started runs on its own
    }

    std::string tool(const std::string& line, const char* program = "/usr/bin/xdotool") {
        return runProgram(Path(program), words(line), env, dir.path()).out;
    }
    // The file manager's visible windows, menus included; the last one not in `before`, or "".
    std::vector<std::string> windows() {
        return words(tool(concat({"search --onlyvisible --class ", row.windowClass})));
    }
    std::string newWindow(const std::vector<std::string>& before) {
        auto all = windows();
        std::erase_if(all,
                      [&](const auto& id) { return std::count(before.begin(), before.end(), id); });
        return all.empty() ? "" : all.back();
    }
    // The window's picture in the build folder, an X window dump.
    std::string picture(const std::string& window, std::string_view what) {
        const std::string out = concat({ORVANE_BUILD_DIR "/", row.name, "-", what, ".xwd"});
        runProgram(Path("/usr/bin/xwd"), {"-id", window, "-out", out}, env, dir.path());
        return readFile(Path(out));
    }
    // Whether a dump (32-bit pixels, header fields below 64 Ki) shows more than one colour across
    // the spot, or anywhere: an icon or a name once the folder is read; a menu once painted, by
    // when it has the keyboard.
    static bool drawn(const std::string& image, const char* spot = "0 0") {
        const auto field = [&](int i) {
            return std::uint8_t(image[4 * i + 2]) * 256u + std::uint8_t(image[4 * i + 3]);
        };
        const auto xy = words(spot);
        const auto at = field(0) + field(19) * 12 + std::stoul(xy[1]) * field(12) +
                        std::stoul(xy[0]) * 4 - (xy[0] == "0" ? 0 : 240);
        const auto line =
            image.size() > at + 480 ? image.substr(at, xy[0] == "0" ? npos : 480) : "";
        return !line.empty() && !std::equal(line.begin() + 4, line.end(), line.begin());
    }
    // Right-clicks the spot until a menu opens, and again while it opens without our items (on a
    // loaded machine orvane-finder can miss the module's deadline); walks it with `keys`, kept as
    // a picture before the last one, and waits for it to close. Whether a menu opened.
    bool openMenu(const char* spot, const std::string& keys) {
        const auto before = windows();
        std::string menu;
        eventually(
            [&] {
                const auto logged = readFile(dir / "log").size();
                tool(concat({"windowraise ", shown[0], " mousemove --window ", shown[0], " ", spot,
                             " click 3"}));
                if (!eventually([&] { return !(menu = newWindow(before)).empty(); }, 2) ||
                    readFile(dir / "log").find(kMissed, logged) == npos) {
                    return !menu.empty();
                }
                tool("key Escape");
                eventually([&] { return newWindow(before).empty(); }, 5);
                return false;
            },
            30);
        if (menu.empty()) {
            return false;
        }
        const auto name = concat({"menu", std::to_string(++menus)});
        eventually([&] { return drawn(picture(menu, name)); }, 10);
        tool("key --delay 150 " + keys.substr(0, keys.rfind(' ')));
        picture(newWindow(before), name);
        tool("key " + keys.substr(keys.rfind(' ') + 1));
        eventually([&] { return newWindow(before) != menu; }, 10);
        return true;
    }

    const FileManager& row = GetParam();
    const std::string kMissed = "FileManager ERROR asking for the menu: No answer";
    TempDir dir;
    Environment env = sessionEnvironment(dir);
    const Path folder = dir / "work/folder", file = folder.appending("report one.txt");
    std::vector<std::string> shown; // the windows at the start
    int menus = 0;
    std::optional<RunningProgram> session;
};

TEST_P(FileManagersTest, CopyPathCutThenNewMarkdownAndPasteInAFolder) {
    const std::string see = concat({"; see ", ORVANE_BUILD_DIR "/", row.name, "-"});
    ASSERT_TRUE(eventually([&] { return drawn(picture(shown[0], "window"), row.file); }, 30) &&
                openMenu(row.file, row.walks.copy))
        << "no folder or no menu" << see << "window.xwd\n"
        << session->err();
    const auto copied = [&] { return tool("-o -selection clipboard", "/usr/bin/xclip"); };
    ASSERT_TRUE(eventually([&] { return copied() == file.str(); }))
        << "our menu as walked" << see << "menu1.xwd\n"
        << copied() << readFile(dir / "log") << session->err();

    openMenu(row.file, row.walks.cut);
    const Path cut = dir / "groups/K4W7P2Z9QD.tamsel.Orvane/cut.txt";
    EXPECT_TRUE(eventually([&] { return readFile(cut) == file.str(); }));

    // Into the folder. The host asks the window to show a new file (which takes a GTK 4 menu's
    // keys away): Paste waits for that.
    tool(concat({"mousemove --window ", shown[0], " ", row.folder, " click --repeat 2 1"}));
    ASSERT_TRUE(eventually([&] { return tool("getwindowname " + shown[0]).find("archive") == 0; }));
    openMenu(kBackground, row.walks.markdown);
    const Path archive = folder.appending("archive");
    EXPECT_TRUE(eventually([&] {
        return std::filesystem::exists(archive.appending("Untitled.md").str()) &&
               readFile(dir / "log").find("select err=") != npos;
    }));
    openMenu(kBackground, row.walks.paste);
    EXPECT_TRUE(eventually([&] {
        return readFile(archive.appending("report one.txt")) == "moved" &&
               !std::filesystem::exists(file.str()) &&
               readFile(dir / "log").find("Reveal of the moved items: ") != npos;
    }));
    EXPECT_EQ(windows(), shown) << "a window more after New File or Paste";
    EXPECT_EQ(std::regex_replace(readFile(dir / "log"), std::regex(kMissed), "")
                  .find("FileManager ERROR"),
              npos);
}

INSTANTIATE_TEST_SUITE_P(Desktop, FileManagersTest, ::testing::ValuesIn(kFileManagers),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orv::test
