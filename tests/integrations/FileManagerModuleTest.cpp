// The GNOME Files and Nemo modules, loaded with dlopen and driven as the file managers drive
// them, with file objects of the test's own behind the file-info interface and the real
// orvane-finder behind the module.

#include "tests/support/FileManagerModules.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

namespace orv::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// The menu as text, one label a line, submenus indented; `picked` gets the item labelled
// `pick`. Takes the list and its items.
template <class Api>
std::string tree(GList* items, const std::string& pick = "", GObject** picked = nullptr,
                 const std::string& indent = "") {
    std::string text;
    for (GList* i = items; i != nullptr; i = i->next) {
        gchar* label = nullptr;
        GObject* submenu = nullptr;
        g_object_get(i->data, "label", &label, "menu", &submenu, nullptr);
        text += indent + label + "\n";
        if (picked != nullptr && pick == label) {
            *picked = G_OBJECT(g_object_ref(i->data));
        }
        g_free(label);
        if (submenu != nullptr) {
            text += tree<Api>(Api::items(submenu), pick, picked, indent + "  ");
            g_object_unref(submenu);
        }
    }
    g_list_free_full(items, g_object_unref);
    return text;
}

// One environment for the whole process: a file manager loads a module once and keeps it.
const TempDir& home() {
    static const TempDir* dir = [] {
        auto* d = new TempDir;
        std::filesystem::create_directories((*d / "run").str());
        for (const auto& [name, value] :
             std::map<std::string, std::string>{{"ORVANE_HOST_PROGRAM", "/bin/true"},
                                                {"ORVANE_GROUP_CONTAINERS", (*d / "groups").str()},
                                                {"ORVANE_LOG_FILE", (*d / "log").str()},
                                                {"XDG_RUNTIME_DIR", (*d / "run").str()},
                                                {"LANG", "C.UTF-8"}}) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        return d;
    }();
    return *dir;
}

template <class Api> class FileManagerModuleTest : public ::testing::Test {
  protected:
    FileManagerModuleTest() {
        std::filesystem::create_directories(folder.str());
        std::filesystem::remove(request("cut.txt").str());
        env.unset("ORVANE_FINDER_PROGRAM"); // the module finds the one built beside it
    }
    GList* filesMenu(GObject* provider, const std::vector<Path>& paths) {
        GList* files = nullptr;
        for (const auto& path : paths) {
            gchar* uri = g_filename_to_uri(path.str().c_str(), nullptr, nullptr);
            files = g_list_append(files, fileInfo(uri != nullptr ? uri : path.str()));
            g_free(uri);
        }
        GList* items = Api::files(provider, files);
        g_list_free_full(files, g_object_unref);
        return items;
    }
    GList* backgroundMenu(GObject* provider, const std::string& uri) {
        GObject* info = fileInfo(uri);
        GList* items = Api::background(provider, info);
        g_object_unref(info);
        return items;
    }
    Path request(std::string_view name) const {
        return (dir / "groups/K4W7P2Z9QD.tamsel.Orvane").appending(name);
    }

    const TempDir& dir = home();
    ScopedEnv env;
    const Path folder = dir / "work/a b";
};

using Managers = ::testing::Types<Nautilus, Nemo>;
TYPED_TEST_SUITE(FileManagerModuleTest, Managers);

TYPED_TEST(FileManagerModuleTest, ExportsItsThreeEntryPointsAndNothingElse) {
    const auto symbols = runProgram(
        Path("/usr/bin/nm"), {"-D", "--defined-only", TypeParam::kModule}, {}, this->dir.path());
    std::string names;
    std::istringstream lines(symbols.out);
    for (std::string address, kind, name; lines >> address >> kind >> name;) {
        names += name + " ";
    }
    const std::string p = TypeParam::kPrefix;
    EXPECT_EQ(names,
              p + "_module_initialize " + p + "_module_list_types " + p + "_module_shutdown ");
}

TYPED_TEST(FileManagerModuleTest, TheMenuForFilesAndBackgroundWithPasteOnlyWhileACutWaits) {
    GObject* provider = (home(), loadedProvider<TypeParam>());
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(this->filesMenu(provider, {}), nullptr) << "nothing selected: no items";
    const std::string uri = "file://" + this->folder.str();
    for (const std::string elsewhere : {"sftp://host/x", "trash:///x", "recent:///"}) {
        EXPECT_EQ(this->filesMenu(provider, {this->folder, Path(elsewhere)}), nullptr);
        EXPECT_EQ(this->backgroundMenu(provider, elsewhere), nullptr);
    }
    const std::string files = tree<TypeParam>(this->filesMenu(provider, {this->folder}));
    EXPECT_THAT(files, StartsWith("Orvane+\n  Copy Path\n  Cut\n  New File\n    Text File\n"));
    EXPECT_THAT(files, HasSubstr("PowerPoint")) << files;
    EXPECT_THAT(files, Not(HasSubstr("Pages"))) << "no Linux application makes it";
    EXPECT_THAT(files, Not(HasSubstr("Numbers")));

    // The module asks for the menu again when a cut is written, so Paste shows at once.
    int updates = 0;
    g_signal_connect_swapped(provider, "items-updated", G_CALLBACK(+[](int* n) { ++*n; }),
                             &updates);
    writeFile(this->request("cut.txt"), "/elsewhere/x");
    ASSERT_TRUE(eventually(
        [&] {
            g_main_context_iteration(nullptr, FALSE);
            return updates > 0;
        },
        10));
    EXPECT_THAT(tree<TypeParam>(this->filesMenu(provider, {this->folder})),
                StartsWith("Orvane+\n  Copy Path\n  Cut\n  Paste\n  New File\n"));
    EXPECT_THAT(tree<TypeParam>(this->backgroundMenu(provider, uri)),
                StartsWith("Orvane+\n  Paste\n  New File\n"));
}

TYPED_TEST(FileManagerModuleTest, ActionsGetTheSelectionInOrderAndTheFolderIntact) {
    GObject* provider = (home(), loadedProvider<TypeParam>());
    ASSERT_NE(provider, nullptr);
    const std::vector<Path> hostile = {this->folder.appending("two  blanks"),
                                       this->folder.appending("line\nfeed"),
                                       this->folder.appending("-rf")};
    GObject* copy = nullptr;
    tree<TypeParam>(this->filesMenu(provider, hostile), "Copy Path", &copy);
    ASSERT_NE(copy, nullptr);
    g_signal_emit_by_name(copy, "activate");
    g_object_unref(copy);
    const Path pasteboard = this->dir / "run/orvane/pasteboard.txt";
    // Copy Path clears the pasteboard before it fills it: wait for the paths, not the file.
    const std::string paths =
        hostile[0].str() + "\n" + hostile[1].str() + "\n" + hostile[2].str();
    EXPECT_TRUE(eventually([&] { return readFile(pasteboard) == paths; }, 10))
        << readFile(pasteboard);

    GObject* markdown = nullptr;
    tree<TypeParam>(this->backgroundMenu(provider, "file://" + this->folder.str()), "Markdown",
                    &markdown);
    ASSERT_NE(markdown, nullptr);
    g_signal_emit_by_name(markdown, "activate");
    g_object_unref(markdown);
    EXPECT_TRUE(eventually(
        [&] { return readFile(this->request("pending.txt")) == this->folder.str() + "\nmd"; }, 10))
        << readFile(this->request("pending.txt"));
}

TYPED_TEST(FileManagerModuleTest, AMissingOrHangingExtensionGivesNoItemsSoonAndALogLine) {
    // One that never answers, and one that closes its output and then never ends.
    const Path hanging = this->dir / "hanging", silent = this->dir / "silent";
    writeFile(hanging, "#!/bin/sh\nexec sleep 10\n");
    writeFile(silent, "#!/bin/sh\nexec sleep 10 >&-\n");
    for (const Path& script : {hanging, silent}) {
        std::filesystem::permissions(script.str(), std::filesystem::perms::owner_all);
    }
    GObject* provider = (home(), loadedProvider<TypeParam>());
    ASSERT_NE(provider, nullptr);
    for (const Path& finder : {this->dir / "missing", hanging, silent}) {
        this->env.set("ORVANE_FINDER_PROGRAM", finder.str());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(this->filesMenu(provider, {this->folder}), nullptr);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    }
    const std::string log = readFile(this->dir / "log");
    EXPECT_THAT(log, HasSubstr("FileManager ERROR asking for the menu: Couldn’t start “" +
                               (this->dir / "missing").str()));
    for (const Path& script : {hanging, silent}) {
        EXPECT_THAT(log, HasSubstr("FileManager ERROR asking for the menu: No answer from “" +
                                   script.str()));
    }
}

} // namespace
} // namespace orv::test
