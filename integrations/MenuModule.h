#pragma once
// The menu provider that GNOME Files, Nemo, Caja and Thunar load, written once over `Api`, which
// names each file manager's types and calls. It answers a right-click with the extension's menu,
// grouped under the product's name so it is never taken for the file manager's own Cut and Paste,
// and asks the file manager to ask again when a cut starts or ends, so Paste comes and goes.
//
// Include <gio/gio.h> and the file manager's header before this one.

#include "integrations/FinderBridge.h"
#include "platform/linux/LinuxFileManager.h"
#include "platform/linux/LinuxServices.h"
#include "shared/RequestHandoff.h"

#include <memory>

namespace orv::fm {

// The registration calls of the file managers whose modules get a GTypeModule.
struct TypeModuleApi {
    static constexpr bool kCachesMenus = true;
    static GType registerType(GTypeModule* module, GType parent, const char* name,
                              const GTypeInfo* info, GTypeFlags flags) {
        return g_type_module_register_type(module, parent, name, info, flags);
    }
    static void addInterface(GTypeModule* module, GType type, GType iface,
                             const GInterfaceInfo* info) {
        g_type_module_add_interface(module, type, iface, info);
    }
};

template <class Api> class MenuModule {
  public:
    // GType registration from the module's initialize entry point, through the file manager's
    // type plugin (a GTypeModule but for Thunar's).
    template <class Plugin> static void registerType(Plugin* module) {
        static const GTypeInfo info = {sizeof(GObjectClass),
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       sizeof(GObject),
                                       0,
                                       &MenuModule::instanceInit,
                                       nullptr};
        type_ = Api::registerType(module, G_TYPE_OBJECT, Api::kTypeName, &info, GTypeFlags(0));
        static const GInterfaceInfo provider = {&MenuModule::providerInit, nullptr, nullptr};
        Api::addInterface(module, type_, Api::providerType(), &provider);
    }
    static const GType* types() { return &type_; }

    // The file manager's questions. Each answer is a new list of new items, or none.
    static GList* fileItems(GObject*, GList* files) {
        std::vector<std::string> items;
        for (GList* file = files; file != nullptr; file = file->next) {
            auto path = localPath(static_cast<typename Api::FileInfo*>(file->data));
            if (!path) {
                return nullptr; // a location that is not a local file: not ours
            }
            items.push_back(std::move(*path));
        }
        if (items.empty()) {
            return nullptr;
        }
        gchar* parent = g_path_get_dirname(items.front().c_str());
        GList* answer = itemsFor(std::make_shared<const Selection>(std::move(items)), parent);
        g_free(parent);
        return answer;
    }
    static GList* backgroundItems(GObject*, typename Api::FileInfo* folder) {
        const auto path = localPath(folder);
        return path ? itemsFor(std::make_shared<const Selection>(), *path) : nullptr;
    }

  private:
    // One selection for all the menu's actions: it may be tens of thousands of paths.
    using Selection = std::vector<std::string>;
    using SharedSelection = std::shared_ptr<const Selection>;
    struct Action {
        std::string selector;
        SharedSelection items;
        std::string folder;
    };

    // Made on first use, in the file manager's main thread, and kept for its lifetime.
    struct State {
        lnx::LinuxLogSink sink{"orvane-module"};
        lnx::LinuxFileManager files{&sink, "tamsel.Orvane-.OrvaneExtension"};
        FinderBridge bridge{sink, ORVANE_FINDER_FROM_MODULE};
    };

    static State& state() {
        static State shared;
        return shared;
    }

    static std::optional<std::string> localPath(typename Api::FileInfo* info) {
        gchar* uri = Api::uri(info);
        gchar* path = uri != nullptr ? g_filename_from_uri(uri, nullptr, nullptr) : nullptr;
        g_free(uri);
        if (path == nullptr) {
            return std::nullopt;
        }
        std::string result(path);
        g_free(path);
        return result;
    }

    static GList* itemsFor(const SharedSelection& items, const std::string& folder) {
        const auto menu = state().bridge.menu(*items, folder);
        if (menu.empty()) {
            return nullptr;
        }
        auto* top = Api::newItem("OrvanePlus::Menu", "Orvane+");
        Api::setSubmenu(top, submenu(menu, items, folder));
        return g_list_append(nullptr, top);
    }

    static typename Api::Menu* submenu(const std::vector<MenuEntry>& entries,
                                       const SharedSelection& items, const std::string& folder) {
        auto* menu = Api::newMenu();
        for (const auto& entry : entries) {
            const std::string name =
                "OrvanePlus::" + (entry.selector.empty() ? entry.title : entry.selector);
            auto* item = Api::newItem(name.c_str(), entry.title.c_str());
            if (!entry.children.empty()) {
                Api::setSubmenu(item, submenu(entry.children, items, folder));
            } else if (!entry.selector.empty()) {
                g_signal_connect_data(item, "activate", G_CALLBACK(&MenuModule::activated),
                                      new Action{entry.selector, items, folder},
                                      &MenuModule::forget, GConnectFlags(0));
            }
            Api::append(menu, item);
            g_object_unref(item);
        }
        return menu;
    }

    static void activated(GObject*, gpointer data) {
        const auto* action = static_cast<const Action*>(data);
        state().bridge.run(action->selector, *action->items, action->folder);
    }
    static void forget(gpointer data, GClosure*) { delete static_cast<Action*>(data); }

    // Each provider watches the group container: a cut written or consumed changes the menu.
    // A file manager that asks for the menu on every right-click needs no telling.
    static void instanceInit(GTypeInstance* instance, gpointer) {
        if constexpr (!Api::kCachesMenus) {
            return;
        }
        const auto container = state().files.containerURL(handoff::kAppGroupIdentifier);
        if (!container) {
            return;
        }
        GFile* folder = g_file_new_for_path(container->str().c_str());
        GFileMonitor* monitor =
            g_file_monitor_directory(folder, G_FILE_MONITOR_NONE, nullptr, nullptr);
        g_object_unref(folder);
        if (monitor == nullptr) {
            return;
        }
        g_signal_connect_object(monitor, "changed", G_CALLBACK(&MenuModule::containerChanged),
                                instance, GConnectFlags(0));
        g_object_set_data_full(G_OBJECT(instance), "orvane-cut-monitor", monitor, g_object_unref);
    }
    static void containerChanged(GFileMonitor*, GFile* file, GFile*, GFileMonitorEvent,
                                 gpointer provider) {
        gchar* name = g_file_get_basename(file);
        const bool cut = name != nullptr && handoff::kCutFile == name;
        g_free(name);
        if constexpr (Api::kCachesMenus) {
            if (cut) {
                Api::itemsUpdated(provider);
            }
        }
    }

    static void providerInit(gpointer iface, gpointer) { Api::setProviderCalls(iface); }

    static inline GType type_ = 0;
};

} // namespace orv::fm

// The three entry points a GTypeModule-based file manager looks up in a module.
#define ORVANE_MODULE_ENTRY_POINTS(prefix, Api)                                                    \
    extern "C" {                                                                                   \
    void prefix##_module_initialize(GTypeModule* module) {                                         \
        orv::fm::MenuModule<Api>::registerType(module);                                            \
    }                                                                                              \
    void prefix##_module_shutdown() {}                                                             \
    void prefix##_module_list_types(const GType** types, int* count) {                             \
        *types = orv::fm::MenuModule<Api>::types();                                                \
        *count = 1;                                                                                \
    }                                                                                              \
    }
