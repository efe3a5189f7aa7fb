#include "platform/linux/DesktopNotifier.h"

#include "platform/linux/Environment.h"

#include <gio/gio.h>
#include <sys/stat.h>

namespace orv::lnx {

namespace {

constexpr const char* kName = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr int kCallTimeoutMs = 2000;

// The session bus's address, only where a session has one: never an address that would start
// a bus of its own (X11 autolaunch).
std::optional<std::string> sessionBusAddress() {
    if (auto address = environment("DBUS_SESSION_BUS_ADDRESS")) {
        return address;
    }
    const auto runtime = environment("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime && stat((*runtime + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) {
        return "unix:path=" + *runtime + "/bus";
    }
    return std::nullopt;
}

GVariant* call(GDBusConnection* bus, const char* method, GVariant* parameters,
               const GVariantType* reply) {
    return g_dbus_connection_call_sync(bus, kName, kPath, kName, method, parameters, reply,
                                       G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr,
                                       nullptr);
}

bool offersActions(GDBusConnection* bus) {
    GVariant* reply = call(bus, "GetCapabilities", nullptr, G_VARIANT_TYPE("(as)"));
    if (reply == nullptr) {
        return false;
    }
    GVariantIter* capabilities = nullptr;
    g_variant_get(reply, "(as)", &capabilities);
    bool actions = false;
    for (const gchar* capability; g_variant_iter_next(capabilities, "&s", &capability);) {
        actions = actions || g_strcmp0(capability, "actions") == 0;
    }
    g_variant_iter_free(capabilities);
    g_variant_unref(reply);
    return actions;
}

// What the server said of our notification: the action chosen, or that it closed.
struct Outcome {
    guint32 id = 0;
    std::optional<std::size_t> action;
    bool closed = false;

    // `key` is the action's, empty for the notification closing. Signals are dispatched only
    // while we wait, after Notify gave our id.
    void heard(guint32 of, const std::string& key) {
        if (of == id && key.empty()) {
            closed = true;
        } else if (of == id && !action) {
            action = std::strtoul(key.c_str(), nullptr, 10);
        }
    }
};

void onSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* signal,
              GVariant* parameters, gpointer data) {
    guint32 id = 0;
    if (g_strcmp0(signal, "ActionInvoked") == 0) {
        const gchar* action = nullptr;
        g_variant_get(parameters, "(u&s)", &id, &action);
        static_cast<Outcome*>(data)->heard(id, action);
    } else {
        guint32 reason = 0;
        g_variant_get(parameters, "(uu)", &id, &reason);
        static_cast<Outcome*>(data)->heard(id, "");
    }
}

// Text a D-Bus string can carry: file names need not be valid UTF-8.
std::string valid(const std::string& text) {
    gchar* made = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
    std::string result(made);
    g_free(made);
    return result;
}

} // namespace

DesktopNotifier::~DesktopNotifier() {
    if (bus_ != nullptr) {
        g_object_unref(bus_);
    }
}

GDBusConnection* DesktopNotifier::bus() {
    if (!connected_) {
        connected_ = true;
        if (const auto address = sessionBusAddress()) {
            bus_ = g_dbus_connection_new_for_address_sync(
                address->c_str(),
                GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                     G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, nullptr);
        }
    }
    return bus_;
}

std::optional<std::size_t> DesktopNotifier::show(const Alert& alert) {
    GDBusConnection* connection = bus();
    if (connection == nullptr) {
        return std::nullopt;
    }
    const bool asks = alert.buttons.size() > 1 && offersActions(connection);
    // The answer arrives as signals, dispatched in a context of our own while we wait for it.
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    Outcome outcome;
    std::vector<guint> subscriptions;
    for (const char* signal : {"ActionInvoked", "NotificationClosed"}) {
        subscriptions.push_back(g_dbus_connection_signal_subscribe(
            connection, nullptr, kName, signal, kPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onSignal,
            &outcome, nullptr));
    }
    GVariantBuilder actions;
    g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
    for (std::size_t i = 0; asks && i < alert.buttons.size(); ++i) {
        g_variant_builder_add(&actions, "s", std::to_string(i).c_str());
        g_variant_builder_add(&actions, "s", valid(alert.buttons[i]).c_str());
    }
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    // A question stays until it is answered.
    g_variant_builder_add(&hints, "{sv}", "urgency", g_variant_new_byte(asks ? 2 : 1));
    GVariant* reply =
        call(connection, "Notify",
             g_variant_new("(susssasa{sv}i)", "Orvane+", 0u, "", valid(alert.messageText).c_str(),
                           valid(alert.informativeText).c_str(), &actions, &hints, asks ? 0 : -1),
             G_VARIANT_TYPE("(u)"));
    std::optional<std::size_t> answer;
    if (reply != nullptr) {
        g_variant_get(reply, "(u)", &outcome.id);
        g_variant_unref(reply);
        // Woken now and then to notice a bus that went away meanwhile.
        GSource* tick = g_timeout_source_new(500);
        g_source_set_callback(
            tick, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
        g_source_attach(tick, context);
        while (asks && !outcome.action && !outcome.closed &&
               !g_dbus_connection_is_closed(connection)) {
            g_main_context_iteration(context, TRUE);
        }
        g_source_destroy(tick);
        g_source_unref(tick);
        answer = outcome.action.value_or(alert.buttons.empty() ? 0 : alert.buttons.size() - 1);
    }
    for (const guint subscription : subscriptions) {
        g_dbus_connection_signal_unsubscribe(connection, subscription);
    }
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    return answer;
}

} // namespace orv::lnx
