// The Nemo (5.6) module: its types and calls for the shared menu provider, and the three entry
// points Nemo looks up. Nemo passes its window as well; the menu does not depend on it.

#include <gio/gio.h>
extern "C" {
#include <libnemo-extension/nemo-menu-provider.h>
}

#include "integrations/MenuModule.h"

namespace {

struct Nemo : orv::fm::TypeModuleApi {
    using FileInfo = NemoFileInfo;
    using Menu = NemoMenu;
    static constexpr const char* kTypeName = "OrvanePlusNemoMenuProvider";

    static GType providerType() { return NEMO_TYPE_MENU_PROVIDER; }
    static gchar* uri(FileInfo* info) { return nemo_file_info_get_uri(info); }
    // Nemo refuses an item without a tip (it shows it in the status bar).
    static NemoMenuItem* newItem(const char* name, const char* label) {
        return nemo_menu_item_new(name, label, label, nullptr);
    }
    static Menu* newMenu() { return nemo_menu_new(); }
    static void append(Menu* menu, NemoMenuItem* item) { nemo_menu_append_item(menu, item); }
    // The item keeps its own reference to the submenu.
    static void setSubmenu(NemoMenuItem* item, Menu* menu) {
        nemo_menu_item_set_submenu(item, menu);
        g_object_unref(menu);
    }
    static void itemsUpdated(gpointer provider) {
        nemo_menu_provider_emit_items_updated_signal(NEMO_MENU_PROVIDER(provider));
    }
    static void setProviderCalls(gpointer iface) {
        auto* calls = static_cast<NemoMenuProviderIface*>(iface);
        calls->get_file_items = [](NemoMenuProvider* provider, GtkWidget*, GList* files) {
            return orv::fm::MenuModule<Nemo>::fileItems(G_OBJECT(provider), files);
        };
        calls->get_background_items = [](NemoMenuProvider* provider, GtkWidget*, FileInfo* folder) {
            return orv::fm::MenuModule<Nemo>::backgroundItems(G_OBJECT(provider), folder);
        };
    }
};

} // namespace

ORVANE_MODULE_ENTRY_POINTS(nemo, Nemo)
