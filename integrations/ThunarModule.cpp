// The Thunar (4.18) module: its types and calls for the shared menu provider, and the three
// entry points Thunar looks up. Thunar asks its providers again on every right-click, so Paste
// comes and goes without telling it; it passes its window as well, which the menu does not need.

#include <gio/gio.h>
// Not all of its headers declare C linkage themselves.
extern "C" {
#include <thunarx/thunarx.h>
}

#include "integrations/MenuModule.h"

namespace {

struct Thunar {
    using FileInfo = ThunarxFileInfo;
    using Menu = ThunarxMenu;
    static constexpr const char* kTypeName = "OrvanePlusThunarMenuProvider";
    static constexpr bool kCachesMenus = false;

    static GType registerType(ThunarxProviderPlugin* plugin, GType parent, const char* name,
                              const GTypeInfo* info, GTypeFlags flags) {
        return thunarx_provider_plugin_register_type(plugin, parent, name, info, flags);
    }
    static void addInterface(ThunarxProviderPlugin* plugin, GType type, GType iface,
                             const GInterfaceInfo* info) {
        thunarx_provider_plugin_add_interface(plugin, type, iface, info);
    }
    static GType providerType() { return THUNARX_TYPE_MENU_PROVIDER; }
    static gchar* uri(FileInfo* info) { return thunarx_file_info_get_uri(info); }
    static ThunarxMenuItem* newItem(const char* name, const char* label) {
        return thunarx_menu_item_new(name, label, nullptr, nullptr);
    }
    static Menu* newMenu() { return thunarx_menu_new(); }
    static void append(Menu* menu, ThunarxMenuItem* item) { thunarx_menu_append_item(menu, item); }
    // The item keeps its own reference to the submenu.
    static void setSubmenu(ThunarxMenuItem* item, Menu* menu) {
        thunarx_menu_item_set_menu(item, menu);
        g_object_unref(menu);
    }
    static void setProviderCalls(gpointer iface) {
        auto* calls = static_cast<ThunarxMenuProviderIface*>(iface);
        calls->get_file_menu_items = [](ThunarxMenuProvider* provider, GtkWidget*, GList* files) {
            return orv::fm::MenuModule<Thunar>::fileItems(G_OBJECT(provider), files);
        };
        calls->get_folder_menu_items = [](ThunarxMenuProvider* provider, GtkWidget*,
                                          FileInfo* folder) {
            return orv::fm::MenuModule<Thunar>::backgroundItems(G_OBJECT(provider), folder);
        };
    }
};

} // namespace

extern "C" {

void thunar_extension_initialize(ThunarxProviderPlugin* plugin) {
    if (const gchar* mismatch = thunarx_check_version(THUNARX_MAJOR_VERSION, THUNARX_MINOR_VERSION,
                                                      THUNARX_MICRO_VERSION)) {
        g_warning("Orvane+ was built for another thunarx: %s", mismatch);
        return;
    }
    // Our types and the menu's signal handlers live in this file: it must never be unloaded.
    thunarx_provider_plugin_set_resident(plugin, TRUE);
    orv::fm::MenuModule<Thunar>::registerType(plugin);
}

void thunar_extension_shutdown() {}

void thunar_extension_list_types(const GType** types, int* count) {
    *types = orv::fm::MenuModule<Thunar>::types();
    *count = 1;
}
}
