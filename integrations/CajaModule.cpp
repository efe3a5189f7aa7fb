// The Caja (1.26) module: its types and calls for the shared menu provider, and the three entry
// points Caja looks up. Caja passes its window as well; the menu does not depend on it.

#include <gio/gio.h>
extern "C" {
#include <libcaja-extension/caja-menu-provider.h>
}

#include "integrations/MenuModule.h"

namespace {

struct Caja : orv::fm::TypeModuleApi {
    using FileInfo = CajaFileInfo;
    using Menu = CajaMenu;
    static constexpr const char* kTypeName = "OrvanePlusCajaMenuProvider";

    static GType providerType() { return CAJA_TYPE_MENU_PROVIDER; }
    static gchar* uri(FileInfo* info) { return caja_file_info_get_uri(info); }
    // Caja shows the tip in its status bar.
    static CajaMenuItem* newItem(const char* name, const char* label) {
        return caja_menu_item_new(name, label, label, nullptr);
    }
    static Menu* newMenu() { return caja_menu_new(); }
    static void append(Menu* menu, CajaMenuItem* item) { caja_menu_append_item(menu, item); }
    // The item keeps its own reference to the submenu.
    static void setSubmenu(CajaMenuItem* item, Menu* menu) {
        caja_menu_item_set_submenu(item, menu);
        g_object_unref(menu);
    }
    static void itemsUpdated(gpointer provider) {
        caja_menu_provider_emit_items_updated_signal(CAJA_MENU_PROVIDER(provider));
    }
    static void setProviderCalls(gpointer iface) {
        auto* calls = static_cast<CajaMenuProviderIface*>(iface);
        calls->get_file_items = [](CajaMenuProvider* provider, GtkWidget*, GList* files) {
            return orv::fm::MenuModule<Caja>::fileItems(G_OBJECT(provider), files);
        };
        calls->get_background_items = [](CajaMenuProvider* provider, GtkWidget*, FileInfo* folder) {
            return orv::fm::MenuModule<Caja>::backgroundItems(G_OBJECT(provider), folder);
        };
    }
};

} // namespace

ORVANE_MODULE_ENTRY_POINTS(caja, Caja)
