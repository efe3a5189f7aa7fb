// The GNOME Files and Nemo modules, loaded with dlopen and driven as the file managers drive
// them, with file objects of the test's own behind the file-info interface and the real
// orvane-finder behind the module.

#include <gio/gio.h>
extern "C" {
#include <libnemo-extension/nemo-menu-provider.h>
#include <nautilus-extension.h>
}

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <dlfcn.h>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

namespace orv::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

template <class Info>
char* storedUri(Info* info) {
    return g_strdup(static_cast<const char*>(g_object_get_data(G_OBJECT(info), "uri")));
}

// One file object for both file managers: it answers get_uri with the URI it was made with.
GObject* fileInfo(const std::string& uri) {
    static const GType type = [] {
        const GType t = g_type_register_static_simple(G_TYPE_OBJECT, "OrvaneTestFileInfo",
                                                      sizeof(GObjectClass), nullptr,
                                                      sizeof(GObject), nullptr, GTypeFlags(0));
        const GInterfaceInfo nautilus = {[](gpointer iface, gpointer) {
            static_cast<NautilusFileInfoInterface*>(iface)->get_uri = storedUri;
        }, nullptr, nullptr};
        const GInterfaceInfo nemo = {[](gpointer iface, gpointer) {
            static_cast<NemoFileInfoInterface*>(iface)->get_uri = storedUri;
        }, nullptr, nullptr};
        g_type_add_interface_static(t, NAUTILUS_TYPE_FILE_INFO, &nautilus);
        g_type_add_interface_static(t, NEMO_TYPE_FILE_INFO, &nemo);
        return t;
    }();
    auto* info = G_OBJECT(g_object_new(type, nullptr));
    g_object_set_data_full(info, "uri", g_strdup(uri.c_str()), g_free);
    return info;
}

struct Nautilus {
    static constexpr const char* kModule = ORVANE_NAUTILUS_MODULE;
    static constexpr const char* kPrefix = "nautilus";
    static GList* files(GObject* p, GList* files) {
        return nautilus_menu_provider_get_file_items(NAUTILUS_MENU_PROVIDER(p), files);
    }
    static GList* background(GObject* p, GObject* folder) {
        return nautilus_menu_provider_get_background_items(NAUTILUS_MENU_PROVIDER(p),
                                                           NAUTILUS_FILE_INFO(folder));
    }
    static GList* items(GObject* menu) { return nautilus_menu_get_items(NAUTILUS_MENU(menu)); }
};
struct Nemo {
    static constexpr const char* kModule = ORVANE_NEMO_MODULE;
    static constexpr const char* kPrefix = "nemo";
    static GList* files(GObject* p, GList* files) {
        return nemo_menu_provider_get_file_items(NEMO_MENU_PROVIDER(p), nullptr, files);
    }
    static GList* background(GObject* p, GObject* folder) {
        return nemo_menu_provider_get_background_items(NEMO_MENU_PROVIDER(p), nullptr,
                                                       NEMO_FILE_INFO(folder));
    }
    static GList* items(GObject* menu) { return nemo_menu_get_items(NEMO_MENU(menu)); }
};

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

template <class Api>
void (*gInitialize)(GTypeModule*) = nullptr;

// Loads the module as the file manager does, once: dlopen, initialize from the type module's
// load, then one provider of the listed type.
template <class Api>
GObject* loadedProvider() {
    static GObject* provider = [] {
        home();
        void* handle = dlopen(Api::kModule, RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(handle, nullptr) << dlerror();
        const std::string prefix = Api::kPrefix;
        gInitialize<Api> = reinterpret_cast<void (*)(GTypeModule*)>(
            dlsym(handle, (prefix + "_module_initialize").c_str()));
        auto* list = reinterpret_cast<void (*)(const GType**, int*)>(
            dlsym(handle, (prefix + "_module_list_types").c_str()));
        const GType moduleType = g_type_register_static_simple(
            G_TYPE_TYPE_MODULE, (prefix + "TestTypeModule").c_str(), sizeof(GTypeModuleClass),
            [](gpointer c, gpointer) {
                G_TYPE_MODULE_CLASS(c)->load = [](GTypeModule* m) -> gboolean {
                    gInitialize<Api>(m);
                    return TRUE;
                };
                G_TYPE_MODULE_CLASS(c)->unload = [](GTypeModule*) {};
            },
            sizeof(GTypeModule), nullptr, GTypeFlags(0));
        g_type_module_use(G_TYPE_MODULE(g_object_new(moduleType, nullptr)));
        const GType* types = nullptr;
        int count = 0;
        list(&types, &count);
        EXPECT_EQ(count, 1);
        return G_OBJECT(g_object_new(types[0], nullptr));
    }();
    return provider;
}

template <class Api>
class FileManagerModuleTest : public ::testing::Test {
  protected:
    FileManagerModuleTest() {
        std::filesystem::create_directories(folder.str());
        std::filesystem::remove(request("cut.txt").str());
        env.set("ORVANE_FINDER_PROGRAM", ORVANE_FINDER_PROGRAM);
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
    const auto symbols = runProgram(Path("/usr/bin/nm"), {"-D", "--defined-only", TypeParam::kModule},
                                    {}, this->dir.path());
    std::string names;
    std::istringstream lines(symbols.out);
    for (std::string address, kind, name; lines >> address >> kind >> name;) {
        names += name + " ";
    }
    const std::string p = TypeParam::kPrefix;
    EXPECT_EQ(names, p + "_module_initialize " + p + "_module_list_types " + p +
                         "_module_shutdown ");
}

TYPED_TEST(FileManagerModuleTest, TheMenuForFilesAndBackgroundWithPasteOnlyWhileACutWaits) {
    GObject* provider = loadedProvider<TypeParam>();
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
    ASSERT_TRUE(eventually([&] {
        g_main_context_iteration(nullptr, FALSE);
        return updates > 0;
    }, 10));
    EXPECT_THAT(tree<TypeParam>(this->filesMenu(provider, {this->folder})),
                StartsWith("Orvane+\n  Copy Path\n  Cut\n  Paste\n  New File\n"));
    EXPECT_THAT(tree<TypeParam>(this->backgroundMenu(provider, uri)),
                StartsWith("Orvane+\n  Paste\n  New File\n"));
}

TYPED_TEST(FileManagerModuleTest, ActionsGetTheSelectionInOrderAndTheFolderIntact) {
    GObject* provider = loadedProvider<TypeParam>();
    const std::vector<Path> hostile = {this->folder.appending("two  blanks"),
                                       this->folder.appending("line\nfeed"),
                                       this->folder.appending("-rf")};
    GObject* copy = nullptr;
    tree<TypeParam>(this->filesMenu(provider, hostile), "Copy Path", &copy);
    ASSERT_NE(copy, nullptr);
    g_signal_emit_by_name(copy, "activate");
    g_object_unref(copy);
    const Path pasteboard = this->dir / "run/orvane/pasteboard.txt";
    EXPECT_TRUE(eventually([&] { return std::filesystem::exists(pasteboard.str()); }, 10));
    EXPECT_EQ(readFile(pasteboard), hostile[0].str() + "\n" + hostile[1].str() + "\n" +
                                        hostile[2].str());

    GObject* markdown = nullptr;
    tree<TypeParam>(this->backgroundMenu(provider, "file://" + this->folder.str()), "Markdown",
                    &markdown);
    ASSERT_NE(markdown, nullptr);
    g_signal_emit_by_name(markdown, "activate");
    g_object_unref(markdown);
    EXPECT_TRUE(eventually([&] { return readFile(this->request("pending.txt")) ==
                                        this->folder.str() + "\nmd"; }, 10))
        << readFile(this->request("pending.txt"));
}

TYPED_TEST(FileManagerModuleTest, AMissingOrHangingExtensionGivesNoItemsSoonAndALogLine) {
    const Path hanging = this->dir / "hanging";
    writeFile(hanging, "#!/bin/sh\nexec sleep 10\n");
    std::filesystem::permissions(hanging.str(), std::filesystem::perms::owner_all);
    GObject* provider = loadedProvider<TypeParam>();
    for (const Path& finder : {this->dir / "missing", hanging}) {
        this->env.set("ORVANE_FINDER_PROGRAM", finder.str());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(this->filesMenu(provider, {this->folder}), nullptr);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    }
    const std::string log = readFile(this->dir / "log");
    EXPECT_THAT(log, HasSubstr("FileManager ERROR asking for the menu: Couldn’t start “" +
                               (this->dir / "missing").str()));
    EXPECT_THAT(log, HasSubstr("FileManager ERROR asking for the menu: No answer from “" +
                               hanging.str()));
}

} // namespace
} // namespace orv::test
