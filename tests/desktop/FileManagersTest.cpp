// The real file managers under Xvfb, one row each, with our modules (Dolphin: our service menus)
// where they look for them, in a private mount namespace with a D-Bus session of its own, run by
// an ordinary user: menus are opened with a right-click and walked with the keys, as a person
// would, and windows are waited for by polling.

#include "platform/Text.h"
#include "tests/support/RunProgram.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace orv::test {
namespace {

// Key walks in an opened menu: Copy Path and Cut on a file; on the background, New File ›
// Markdown with a cut waiting, then Paste. A GTK 4 submenu opens in place behind a Back item;
// GTK 3 and Qt select a submenu's first item. Dolphin's service menus are fixed.
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

// As the namespace's root: the folders, the build tree where the user can reach it, and its
// library folder laid over the system's, so our modules are in the extension folders (Nemo's and
// Caja's need not exist). Then, as the user, Xvfb on a display it picks and names once it serves,
// and the file manager in a D-Bus session of its own. Caja and Thunar warn root in a bar.
constexpr const char* kSession = R"sh(set -e
dir=$2
mkdir -p "$dir/build" "$dir/work/folder/archive" "$dir/home/.local/share/kio"
cp -r "$1/servicemenus" "$dir/home/.local/share/kio/"
: > "$dir/work/folder/report one.txt"
[ -z "$5" ] || chown -R "$5:" "$dir"
mount --bind "$1" "$dir/build"
mount -t overlay overlay -o "lowerdir=$dir/build/$3:$4" "$4"
as=${5:+setpriv --reuid=$5 --regid=$(id -g "$5") --clear-groups}
shift 5
$as Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$dir/display" &
while [ ! -s "$dir/display" ]; do sleep 0.05; done
export DISPLAY=":$(cat "$dir/display")"
exec $as dbus-run-session -- "$@"
)sh";

constexpr auto npos = std::string::npos;
bool exists(const Path& path) {
    return std::filesystem::exists(path.str());
}
std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}

class FileManagersTest : public ::testing::TestWithParam<FileManager> {
  protected:
    void SetUp() override {
        for (const char* program : {"Xvfb", "xdotool", "xwd", "xclip", "unshare", "setpriv",
                                    "dbus-run-session", row.name}) {
            ORVANE_REQUIRE_PROGRAM(program);
        }
        env = sessionEnvironment(dir);
        onboardingDone(dir);
        env.insert({{"ORVANE_FINDER_PROGRAM", build + "/bin/orvane-finder"},
                    {"PATH", build + "/bin:/usr/bin:/bin"}, // the service menus run it from there
                    {"GSK_RENDERER", "cairo"},
                    {"GSETTINGS_BACKEND", "memory"},
                    {"QT_QPA_PLATFORM", "xcb"}});
        const bool root = geteuid() == 0;
        auto arguments = words(concat({root ? "-m" : "-rm", " --propagation private /bin/sh -c"}));
        arguments.insert(arguments.end(),
                         {kSession, "session", ORVANE_BUILD_DIR, dir.path().str(), ORVANE_LIB_DIR,
                          ORVANE_SYSTEM_LIB_DIR, root ? "nobody" : ""});
        for (const auto& word : words(row.command)) {
            arguments.push_back(word);
        }
        arguments.push_back(folder.str());
        session.emplace(Path("/usr/bin/unshare"), arguments, env, dir.path(), dir.path());
        std::string number;
        ASSERT_TRUE(eventually([&] {
            return (number = readFile(dir / "display")).find('\n') != npos;
        })) << session->err();
        env["DISPLAY"] = concat({":", std::string_view(number).substr(0, number.find('\n'))});
        ASSERT_TRUE(eventually([&] { return !(shown = windows()).empty(); }, 60))
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

    std::string tool(const std::string& line, const char* program = "/usr/bin/xdotool") {
        return runProgram(Path(program), words(line), env, dir.path()).out;
    }
    // The file manager's visible windows, menus included; the last one not in `before`, or "".
    std::vector<std::string> windows() {
        return words(tool(concat({"search --onlyvisible --class ", row.windowClass})));
    }
    std::string newWindow(const std::vector<std::string>& before) {
        std::string found;
        for (const auto& id : windows()) {
            found = std::count(before.begin(), before.end(), id) ? found : id;
        }
        return found;
    }
    // A picture of the window in the build folder, as an X window dump.
    std::string picture(const std::string& window, const char* what) {
        const std::string out = concat({ORVANE_BUILD_DIR "/", row.name, "-", what, ".xwd"});
        runProgram(Path("/usr/bin/xwd"), {"-id", window, "-out", out}, env, dir.path());
        return readFile(Path(out));
    }
    // Whether the dump shows something across the spot that the empty background does not: the
    // icons and names, once the folder is read.
    static bool drawn(const std::string& image, const char* spot) {
        const auto field = [&](int i) {
            const auto* at = reinterpret_cast<const unsigned char*>(image.data()) + 4 * i;
            return std::size_t(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
        };
        const auto across = [&](const char* place) {
            const auto xy = words(place);
            return image.substr(field(0) + field(19) * 12 + std::stoul(xy[1]) * field(12) +
                                    (std::stoul(xy[0]) - 30) * field(11) / 8,
                                60 * field(11) / 8);
        };
        return image.size() > 100 && across(spot) != across(kBackground);
    }
    // Right-clicks the spot until a menu opens, as the window may answer only some time after it
    // shows, and again while it opens without our items (on a loaded machine orvane-finder can
    // miss the module's deadline); then walks it with `keys`, kept as a picture before the last
    // one when `keep`, and waits for it to close. Whether a menu opened.
    bool openMenu(const char* spot, const std::string& keys, bool keep = false) {
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
        const auto last = keys.rfind(' ');
        tool("key --delay 150 " + keys.substr(0, last));
        if (keep) {
            picture(newWindow(before), "menu");
        }
        tool("key " + keys.substr(last + 1));
        eventually([&] { return newWindow(before) != menu; }, 10);
        return true;
    }

    const FileManager& row = GetParam();
    const std::string kMissed = "FileManager ERROR asking for the menu: No answer";
    TempDir dir;
    const std::string build = (dir / "build").str();
    const Path folder = dir / "work/folder", file = folder.appending("report one.txt");
    std::vector<std::string> shown; // the windows at the start
    Environment env;
    std::optional<RunningProgram> session;
};

TEST_P(FileManagersTest, CopyPathCutThenNewMarkdownAndPasteInAFolder) {
    ASSERT_TRUE(eventually([&] { return drawn(picture(shown[0], "window"), row.file); }, 30))
        << "the file is not shown: see " << row.name << "-window.xwd\n"
        << session->err();
    ASSERT_TRUE(openMenu(row.file, row.walks.copy, true))
        << "no menu: see " << row.name << "-window.xwd\n"
        << session->err();
    const auto copied = [&] { return tool("-o -selection clipboard", "/usr/bin/xclip"); };
    EXPECT_TRUE(eventually([&] { return copied() == file.str(); }))
        << "our menu, as the walk left it, is in " << row.name << "-menu.xwd\n"
        << copied() << readFile(dir / "log") << session->err();

    openMenu(row.file, row.walks.cut);
    const Path cut = dir / "groups/K4W7P2Z9QD.tamsel.Orvane/cut.txt";
    EXPECT_TRUE(eventually([&] { return readFile(cut) == file.str(); }));

    // Into the folder. The host asks the window to show a new file: no menu may be open then.
    tool(concat({"mousemove --window ", shown[0], " ", row.folder, " click --repeat 2 1"}));
    ASSERT_TRUE(eventually([&] { return tool("getwindowname " + shown[0]).find("archive") == 0; }));
    openMenu(kBackground, row.walks.markdown);
    const Path archive = folder.appending("archive");
    EXPECT_TRUE(eventually([&] { return exists(archive.appending("Untitled.md")); }));
    EXPECT_TRUE(eventually([&] { return readFile(dir / "log").find("select err=") != npos; }))
        << readFile(dir / "log");
    openMenu(kBackground, row.walks.paste);
    EXPECT_TRUE(eventually([&] {
        return exists(archive.appending("report one.txt")) && !exists(file);
    })) << readFile(dir / "log");
    // The host logs no end of a paste's reveal: a window opened for it is there within its delay.
    EXPECT_FALSE(eventually([&] { return windows().size() > shown.size(); }, 2))
        << "a window more after New File or Paste";
    EXPECT_THAT(std::regex_replace(readFile(dir / "log"), std::regex(kMissed), ""),
                ::testing::Not(::testing::HasSubstr("FileManager ERROR")));
}

INSTANTIATE_TEST_SUITE_P(Desktop, FileManagersTest, ::testing::ValuesIn(kFileManagers),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace orv::test
