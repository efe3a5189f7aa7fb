#include "platform/linux/DesktopNotifier.h"

#include "platform/linux/Environment.h"

#include <gio/gio.h>
#include <memory>
#include <sys/stat.h>
#include <thread>

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

// The notification server as one alert's thread speaks to it: by the unique name of its
// connection, so that it alone answers, and remembering whether a call went unanswered.
struct Server {
    GDBusConnection* bus;
    GCancellable* cancel;
    std::string name;
    bool silent = false;

    GVariant* call(const char* method, GVariant* parameters, const GVariantType* reply) {
        GError* error = nullptr;
        GVariant* result = g_dbus_connection_call_sync(
            bus, name.c_str(), kPath, kName, method, parameters, reply,
            G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, cancel, &error);
        if (error != nullptr) {
            silent = silent || g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT);
            g_error_free(error);
        }
        return result;
    }
};

// The unique name of the connection that owns the notification service; empty without one.
std::string serviceOwner(GDBusConnection* bus, GCancellable* cancel) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetNameOwner", g_variant_new("(s)", kName), G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE,
        kCallTimeoutMs, cancel, nullptr);
    if (reply == nullptr) {
        return "";
    }
    const gchar* owner = nullptr;
    g_variant_get(reply, "(&s)", &owner);
    std::string name(owner);
    g_variant_unref(reply);
    return name;
}

bool offersActions(Server& server) {
    GVariant* reply = server.call("GetCapabilities", nullptr, G_VARIANT_TYPE("(as)"));
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

// Shows the alert and, for a question, waits on this thread for the server's answer, at most
// `patience`, and no longer than `server.cancel` allows.
std::optional<std::size_t> converse(Server& server, const Alert& alert,
                                    std::chrono::milliseconds patience) {
    const bool asks = alert.buttons.size() > 1 && offersActions(server);
    if (server.silent) {
        return std::nullopt;
    }
    // The answer arrives as signals, dispatched in this thread's own context while it waits.
    Outcome outcome;
    std::vector<guint> subscriptions;
    for (const char* signal : {"ActionInvoked", "NotificationClosed"}) {
        subscriptions.push_back(g_dbus_connection_signal_subscribe(
            server.bus, server.name.c_str(), kName, signal, kPath, nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, onSignal, &outcome, nullptr));
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
    GVariant* reply = server.call(
        "Notify",
        g_variant_new("(susssasa{sv}i)", "Orvane+", 0u, "", valid(alert.messageText).c_str(),
                      valid(alert.informativeText).c_str(), &actions, &hints, asks ? 0 : -1),
        G_VARIANT_TYPE("(u)"));
    std::optional<std::size_t> answer;
    if (reply != nullptr) {
        g_variant_get(reply, "(u)", &outcome.id);
        g_variant_unref(reply);
        // Woken now and then to notice the time, or a bus that went away meanwhile.
        GMainContext* context = g_main_context_get_thread_default();
        GSource* tick = g_timeout_source_new(250);
        g_source_set_callback(
            tick, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
        g_source_attach(tick, context);
        const gint64 deadline =
            g_get_monotonic_time() + std::chrono::microseconds(patience).count();
        while (asks && !outcome.action && !outcome.closed && g_get_monotonic_time() < deadline &&
               !g_cancellable_is_cancelled(server.cancel) &&
               !g_dbus_connection_is_closed(server.bus)) {
            g_main_context_iteration(context, TRUE);
        }
        g_source_destroy(tick);
        g_source_unref(tick);
        if (asks && !outcome.action && !outcome.closed) {
            // Withdrawn, so that no button outlives the question; not waited for.
            g_dbus_connection_call(server.bus, server.name.c_str(), kPath, kName,
                                   "CloseNotification", g_variant_new("(u)", outcome.id), nullptr,
                                   G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, nullptr, nullptr, nullptr);
        }
        answer = outcome.action.value_or(alert.buttons.empty() ? 0 : alert.buttons.size() - 1);
    }
    for (const guint subscription : subscriptions) {
        g_dbus_connection_signal_unsubscribe(server.bus, subscription);
    }
    return answer;
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
    // The server is spoken to on a thread of its own while the main loop runs here, nested, so
    // neither a slow server nor a user who never answers holds the host.
    GMainContext* context = g_main_context_new();
    GCancellable* cancel = g_cancellable_new();
    const auto finished = std::make_shared<bool>(false);
    std::optional<std::size_t> answer;
    std::string silenced;
    std::thread speaker([&, silent = silentServer_] {
        g_main_context_push_thread_default(context);
        Server server{connection, cancel, serviceOwner(connection, cancel)};
        if (!server.name.empty() && server.name != silent) {
            answer = converse(server, alert, patience_);
            silenced = server.silent ? server.name : "";
        }
        g_main_context_pop_thread_default(context);
        mainLoop_.async([finished] { *finished = true; });
    });
    mainLoop_.runUntil([&finished] { return *finished; });
    // Stopped meanwhile (SIGTERM, Quit), the alert stops waiting and the last button answers.
    g_cancellable_cancel(cancel);
    g_main_context_wakeup(context);
    speaker.join();
    g_object_unref(cancel);
    g_main_context_unref(context);
    if (!silenced.empty()) {
        silentServer_ = silenced;
    }
    return answer;
}

} // namespace orv::lnx
