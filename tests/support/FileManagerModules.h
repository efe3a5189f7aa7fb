#pragma once
// The GNOME Files, Nemo, Caja and Thunar modules loaded as the file managers load them, and file
// objects of our own behind their file-info interface, for tests and benchmarks.

#include <gio/gio.h>
extern "C" {
#include <libcaja-extension/caja-menu-provider.h>
#include <libnemo-extension/nemo-menu-provider.h>
#include <nautilus-extension.h>
#include <thunarx/thunarx.h>
}

#include <cstdio>
#include <dlfcn.h>
#include <string>
#include <type_traits>

namespace orv::test {

template <class Interface> void answerUri(gpointer iface, gpointer) {
    static_cast<Interface*>(iface)->get_uri = [](auto* info) {
        return g_strdup(static_cast<const char*>(g_object_get_data(G_OBJECT(info), "uri")));
    };
}

// One file object for all the file managers: it answers get_uri with the URI it was made with.
inline GObject* fileInfo(const std::string& uri) {
    static const GType type = [] {
        const GType t =
            g_type_register_static_simple(G_TYPE_OBJECT, "OrvaneTestFileInfo", sizeof(GObjectClass),
                                          nullptr, sizeof(GObject), nullptr, GTypeFlags(0));
        const GInterfaceInfo nautilus = {answerUri<NautilusFileInfoInterface>, nullptr, nullptr};
        const GInterfaceInfo nemo = {answerUri<NemoFileInfoInterface>, nullptr, nullptr};
        const GInterfaceInfo caja = {answerUri<CajaFileInfoIface>, nullptr, nullptr};
        const GInterfaceInfo thunar = {answerUri<ThunarxFileInfoIface>, nullptr, nullptr};
        g_type_add_interface_static(t, NAUTILUS_TYPE_FILE_INFO, &nautilus);
        g_type_add_interface_static(t, NEMO_TYPE_FILE_INFO, &nemo);
        g_type_add_interface_static(t, CAJA_TYPE_FILE_INFO, &caja);
        g_type_add_interface_static(t, THUNARX_TYPE_FILE_INFO, &thunar);
        return t;
    }();
    auto* info = G_OBJECT(g_object_new(type, nullptr));
    g_object_set_data_full(info, "uri", g_strdup(uri.c_str()), g_free);
    return info;
}

struct Nautilus {
    static constexpr const char* kModule = ORVANE_NAUTILUS_MODULE;
    static constexpr const char* kEntry = "nautilus_module";
    static constexpr bool kUpdates = true; // tells the file manager when its menus change
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
    static constexpr const char* kEntry = "nemo_module";
    static constexpr bool kUpdates = true;
    static GList* files(GObject* p, GList* files) {
        return nemo_menu_provider_get_file_items(NEMO_MENU_PROVIDER(p), nullptr, files);
    }
    static GList* background(GObject* p, GObject* folder) {
        return nemo_menu_provider_get_background_items(NEMO_MENU_PROVIDER(p), nullptr,
                                                       NEMO_FILE_INFO(folder));
    }
    static GList* items(GObject* menu) { return nemo_menu_get_items(NEMO_MENU(menu)); }
};
struct Caja {
    static constexpr const char* kModule = ORVANE_CAJA_MODULE;
    static constexpr const char* kEntry = "caja_module";
    static constexpr bool kUpdates = true;
    static GList* files(GObject* p, GList* files) {
        return caja_menu_provider_get_file_items(CAJA_MENU_PROVIDER(p), nullptr, files);
    }
    static GList* background(GObject* p, GObject* folder) {
        return caja_menu_provider_get_background_items(CAJA_MENU_PROVIDER(p), nullptr,
                                                       CAJA_FILE_INFO(folder));
    }
    static GList* items(GObject* menu) { return caja_menu_get_items(CAJA_MENU(menu)); }
};
// Thunar asks on every right-click, with a window, which the module does not use: its calls are
// made without the wrapper that insists on one.
struct Thunar {
    static constexpr const char* kModule = ORVANE_THUNAR_MODULE;
    static constexpr const char* kEntry = "thunar_extension";
    static constexpr bool kUpdates = false;
    static GList* files(GObject* p, GList* files) {
        return calls(p)->get_file_menu_items(THUNARX_MENU_PROVIDER(p), nullptr, files);
    }
    static GList* background(GObject* p, GObject* folder) {
        return calls(p)->get_folder_menu_items(THUNARX_MENU_PROVIDER(p), nullptr,
                                               THUNARX_FILE_INFO(folder));
    }
    static GList* items(GObject* menu) { return thunarx_menu_get_items(THUNARX_MENU(menu)); }
    static ThunarxMenuProviderIface* calls(GObject* p) {
        return THUNARX_MENU_PROVIDER_GET_IFACE(p);
    }
};

// What the module's initialize takes: Thunar's plugin interface, else the type module.
template <class Api>
using PluginOf =
    std::conditional_t<std::is_same_v<Api, Thunar>, ThunarxProviderPlugin, GTypeModule>;
template <class Api> inline void (*gInitialize)(PluginOf<Api>*) = nullptr;

// Thunar's modules register their types through its plugin interface, which its type module
// implements with the GTypeModule calls; the others are given the GTypeModule itself.
inline void thunarPluginInit(gpointer iface, gpointer) {
    auto* calls = static_cast<ThunarxProviderPluginIface*>(iface);
    calls->set_resident = [](ThunarxProviderPlugin*, gboolean) {};
    calls->register_type = [](ThunarxProviderPlugin* p, GType parent, const gchar* name,
                              const GTypeInfo* info, GTypeFlags flags) {
        return g_type_module_register_type(G_TYPE_MODULE(p), parent, name, info, flags);
    };
    calls->add_interface = [](ThunarxProviderPlugin* p, GType type, GType iface,
                              const GInterfaceInfo* info) {
        g_type_module_add_interface(G_TYPE_MODULE(p), type, iface, info);
    };
}

// The module's provider, none when it cannot be loaded. Loads the module as the file manager
// does, once: dlopen, initialize from the type module's load, then one provider of the type.
template <class Api> GObject* loadedProvider() {
    static GObject* provider = [] {
        void* handle = dlopen(Api::kModule, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            std::fprintf(stderr, "%s\n", dlerror());
            return static_cast<GObject*>(nullptr);
        }
        const std::string prefix = Api::kEntry;
        gInitialize<Api> = reinterpret_cast<void (*)(PluginOf<Api>*)>(
            dlsym(handle, (prefix + "_initialize").c_str()));
        auto* list = reinterpret_cast<void (*)(const GType**, int*)>(
            dlsym(handle, (prefix + "_list_types").c_str()));
        const GType moduleType = g_type_register_static_simple(
            G_TYPE_TYPE_MODULE, (prefix + "TestTypeModule").c_str(), sizeof(GTypeModuleClass),
            [](gpointer c, gpointer) {
                G_TYPE_MODULE_CLASS(c)->load = [](GTypeModule* m) -> gboolean {
                    gInitialize<Api>(reinterpret_cast<PluginOf<Api>*>(m));
                    return TRUE;
                };
                G_TYPE_MODULE_CLASS(c)->unload = [](GTypeModule*) {};
                // The plugin interface's property, which a module may set and nothing reads.
                G_OBJECT_CLASS(c)->set_property = [](GObject*, guint, const GValue*, GParamSpec*) {
                };
                G_OBJECT_CLASS(c)->get_property = [](GObject*, guint, GValue*, GParamSpec*) {};
                g_object_class_override_property(G_OBJECT_CLASS(c), 1, "resident");
            },
            sizeof(GTypeModule), nullptr, GTypeFlags(0));
        static const GInterfaceInfo plugin = {thunarPluginInit, nullptr, nullptr};
        g_type_add_interface_static(moduleType, THUNARX_TYPE_PROVIDER_PLUGIN, &plugin);
        g_type_module_use(G_TYPE_MODULE(g_object_new(moduleType, nullptr)));
        const GType* types = nullptr;
        int count = 0;
        list(&types, &count);
        return count == 1 ? G_OBJECT(g_object_new(types[0], nullptr)) : nullptr;
    }();
    return provider;
}

} // namespace orv::test
