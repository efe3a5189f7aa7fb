// The GNOME Files, Nemo, Caja and Thunar modules, loaded with dlopen and driven as the file
// managers drive them, with file objects of the test's own behind the file-info interface and the
// real orvane-finder behind the module.

#include "platform/Text.h"
#include "tests/support/FileManagerModules.h"
#include "tests/support/RunProgram.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tuple>

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

// One session for the whole process: a file manager loads a module once and keeps it.
const TempDir& home() {
    static const TempDir* dir = [] {
        auto* d = new TempDir;
        auto env = sessionEnvironment(*d);
        env["ORVANE_HOST_PROGRAM"] = "/bin/true";
        for (const auto& [name, value] : env) {
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
    void SetUp() override {
        std::filesystem::create_directories(folder.str());
        std::filesystem::remove(request("cut.txt").str());
        env.unset("ORVANE_FINDER_PROGRAM"); // the module finds the one built beside it
        ASSERT_NE(provider, nullptr);
    }
    // The items for a selection of `paths`, or for the background of `folder` when it is given.
    GList* menu(const std::vector<std::string>& paths, const std::string& folder = "") {
        GList* files = nullptr;
        for (const auto& path : paths) {
            files = g_list_append(files, fileInfo(path[0] == '/' ? "file://" + path : path));
        }
        GObject* background = folder.empty() ? nullptr : fileInfo(folder);
        GList* items =
            background ? Api::background(provider, background) : Api::files(provider, files);
        g_list_free_full(files, g_object_unref);
        g_clear_object(&background);
        return items;
    }
    // A menu the module gives, asked again while orvane-finder misses the module's deadline.
    GList* shown(const std::vector<std::string>& paths, const std::string& folder = "") {
        GList* items = nullptr;
        eventually([&] { return (items = menu(paths, folder)) != nullptr; });
        return items;
    }
    void activate(GList* items, const std::string& label) {
        GObject* item = nullptr;
        tree<Api>(items, label, &item);
        ASSERT_NE(item, nullptr) << label;
        g_signal_emit_by_name(item, "activate");
        g_object_unref(item);
    }
    Path request(std::string_view name) const {
        return (dir / "groups/K4W7P2Z9QD.tamsel.Orvane").appending(name);
    }

    const TempDir& dir = home();
    GObject* provider = loadedProvider<Api>();
    ScopedEnv env;
    const Path folder = dir / "work/a b";
    const std::string uri = "file://" + folder.str();
};

using Managers = ::testing::Types<Nautilus, Nemo, Caja, Thunar>;
TYPED_TEST_SUITE(FileManagerModuleTest, Managers);

TYPED_TEST(FileManagerModuleTest, TheMenuForFilesAndBackgroundWithPasteOnlyWhileACutWaits) {
    EXPECT_EQ(this->menu({}), nullptr) << "nothing selected: no items";
    for (const std::string elsewhere : {"sftp://host/x", "trash:///x", "recent:///"}) {
        EXPECT_EQ(this->menu({this->folder.str(), elsewhere}), nullptr);
        EXPECT_EQ(this->menu({}, elsewhere), nullptr);
    }
    const std::string files = tree<TypeParam>(this->shown({this->folder.str()}));
    EXPECT_THAT(files, StartsWith("Orvane+\n  Copy Path\n  Cut\n  New File\n    Text File\n"));
    EXPECT_THAT(files, HasSubstr("PowerPoint")) << files;
    EXPECT_THAT(files, Not(HasSubstr("Pages"))) << "no Linux application makes it";
    EXPECT_THAT(files, Not(HasSubstr("Numbers")));

    // The module asks for the menu again when a cut is written, so Paste shows at once.
    int updates = 0;
    if constexpr (TypeParam::kUpdates) {
        g_signal_connect_swapped(this->provider, "items-updated", G_CALLBACK(+[](int* n) { ++*n; }),
                                 &updates);
    }
    writeFile(this->request("cut.txt"), "/elsewhere/x");
    ASSERT_TRUE(eventually(
        [&] {
            return g_main_context_iteration(nullptr, FALSE), updates > 0 || !TypeParam::kUpdates;
        },
        10));
    EXPECT_THAT(tree<TypeParam>(this->shown({this->folder.str()})),
                StartsWith("Orvane+\n  Copy Path\n  Cut\n  Paste\n  New File\n"));
    EXPECT_THAT(tree<TypeParam>(this->shown({}, this->uri)),
                StartsWith("Orvane+\n  Paste\n  New File\n"));
}

TYPED_TEST(FileManagerModuleTest, ActionsGetTheSelectionInOrderAndTheFolderIntact) {
    std::vector<std::string> hostile = {this->folder.str() + "/two  blanks",
                                        this->folder.str() + "/line\nfeed",
                                        this->folder.str() + "/-rf"};
    // And more than a program's arguments can hold: Linux takes at most 6 MiB of them.
    std::string expected = hostile[0] + "\n" + hostile[1] + "\n" + hostile[2];
    for (long size = 0; size <= std::min(sysconf(_SC_ARG_MAX), 6L << 20); size += 4000) {
        hostile.push_back(this->folder.str() + "/" + std::to_string(size) + std::string(4000, 'x'));
        expected.append(1, '\n').append(hostile.back());
    }
    this->activate(this->shown(hostile), "Copy Path");
    // Copy Path clears the pasteboard before it fills it: wait for the paths, not the file.
    const Path pasteboard = this->dir / "run/orvane/pasteboard.txt";
    EXPECT_TRUE(eventually([&] { return readFile(pasteboard) == expected; }, 10))
        << readFile(pasteboard).size();
    this->activate(this->shown({}, this->uri), "Markdown");
    EXPECT_TRUE(eventually(
        [&] { return readFile(this->request("pending.txt")) == this->folder.str() + "\nmd"; }, 10))
        << readFile(this->request("pending.txt"));
}

TYPED_TEST(FileManagerModuleTest, AMissingHangingOrOversizedExtensionGivesNoItemsSoonAndALogLine) {
    // One that is missing, one that never answers, one that closes its output and then never
    // ends, and two whose menus are beyond what the file manager takes: in bytes, in entries.
    const std::tuple<std::string, std::string, std::string> finders[] = {
        {"missing", "", "Couldn’t start"},
        {"hanging", "exec sleep infinity", "No answer from"},
        {"silent", "exec sleep infinity >&-", "No answer from"},
        {"large", "printf 'Orvane\\t-\\t-\\n  %040000d\\tcopyPath:\\t-\\n' 0",
         "Too much output from"},
        {"crowded", "for i in $(seq 100); do printf 'Cut\\tcutItems:\\t-\\n'; done",
         "more than 64 entries from"}};
    for (const auto& [name, script, why] : finders) {
        const Path finder = this->dir / name;
        if (!script.empty()) {
            writeFile(finder, concat({"#!/bin/sh\n", script, "\n"}));
            std::filesystem::permissions(finder.str(), std::filesystem::perms::owner_all);
        }
        this->env.set("ORVANE_FINDER_PROGRAM", finder.str());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(this->menu({this->folder.str()}), nullptr) << name;
        // Bounded, however loaded the machine: what matters is that it never waits on.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_THAT(readFile(this->dir / "log"),
                    HasSubstr(concat(
                        {"FileManager ERROR asking for the menu: ", why, " “", finder.str()})));
    }
}

} // namespace
} // namespace orv::test
