#pragma once
// The GNOME Files and Nemo modules loaded as the file managers load them, and file objects of
// our own behind their file-info interface, for tests and benchmarks.

#include <gio/gio.h>
extern "C" {
#include <libnemo-extension/nemo-menu-provider.h>
#include <nautilus-extension.h>
}

#include <cstdio>
#include <dlfcn.h>
#include <string>

namespace orv::test {

template <class Interface> void answerUri(gpointer iface, gpointer) {
    static_cast<Interface*>(iface)->get_uri = [](auto* info) {
        return g_strdup(static_cast<const char*>(g_object_get_data(G_OBJECT(info), "uri")));
    };
}

// One file object for both file managers: it answers get_uri with the URI it was made with.
inline GObject* fileInfo(const std::string& uri) {
    static const GType type = [] {
        const GType t =
            g_type_register_static_simple(G_TYPE_OBJECT, "OrvaneTestFileInfo", sizeof(GObjectClass),
                                          nullptr, sizeof(GObject), nullptr, GTypeFlags(0));
        const GInterfaceInfo nautilus = {answerUri<NautilusFileInfoInterface>, nullptr, nullptr};
        const GInterfaceInfo nemo = {answerUri<NemoFileInfoInterface>, nullptr, nullptr};
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

template <class Api> inline void (*gInitialize)(GTypeModule*) = nullptr;

// The module's provider, none when it cannot be loaded. Loads the module as the file manager
// does, once: dlopen, initialize from the type module's load, then one provider of the type.
template <class Api> GObject* loadedProvider() {
    static GObject* provider = [] {
        void* handle = dlopen(Api::kModule, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            std::fprintf(stderr, "%s\n", dlerror());
            return static_cast<GObject*>(nullptr);
        }
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
        return count == 1 ? G_OBJECT(g_object_new(types[0], nullptr)) : nullptr;
    }();
    return provider;
}

} // namespace orv::test
