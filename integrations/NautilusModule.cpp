// The GNOME Files (Nautilus 43) module: its types and calls for the shared menu provider, and
// the three entry points Nautilus looks up.

#include <gio/gio.h>
extern "C" {
#include <nautilus-extension.h>
}

#include "integrations/MenuModule.h"

namespace {

struct Nautilus : orv::fm::TypeModuleApi {
    using FileInfo = NautilusFileInfo;
    using Menu = NautilusMenu;
    static constexpr const char* kTypeName = "OrvanePlusNautilusMenuProvider";

    static GType providerType() { return NAUTILUS_TYPE_MENU_PROVIDER; }
    static gchar* uri(FileInfo* info) { return nautilus_file_info_get_uri(info); }
    static NautilusMenuItem* newItem(const char* name, const char* label) {
        return nautilus_menu_item_new(name, label, nullptr, nullptr);
    }
    static Menu* newMenu() { return nautilus_menu_new(); }
    static void append(Menu* menu, NautilusMenuItem* item) {
        nautilus_menu_append_item(menu, item);
    }
    // The item keeps its own reference to the submenu.
    static void setSubmenu(NautilusMenuItem* item, Menu* menu) {
        nautilus_menu_item_set_submenu(item, menu);
        g_object_unref(menu);
    }
    static void itemsUpdated(gpointer provider) {
        nautilus_menu_provider_emit_items_updated_signal(NAUTILUS_MENU_PROVIDER(provider));
    }
    static void setProviderCalls(gpointer iface) {
        auto* calls = static_cast<NautilusMenuProviderInterface*>(iface);
        calls->get_file_items = [](NautilusMenuProvider* provider, GList* files) {
            return orv::fm::MenuModule<Nautilus>::fileItems(G_OBJECT(provider), files);
        };
        calls->get_background_items = [](NautilusMenuProvider* provider, FileInfo* folder) {
            return orv::fm::MenuModule<Nautilus>::backgroundItems(G_OBJECT(provider), folder);
        };
    }
};

} // namespace

ORVANE_MODULE_ENTRY_POINTS(nautilus, Nautilus)
