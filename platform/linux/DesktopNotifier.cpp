#include "platform/linux/DesktopNotifier.h"

#include "platform/linux/Environment.h"

#include <algorithm>
#include <atomic>
#include <gio/gio.h>
#include <memory>
#include <mutex>
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

// The percentage a bar shows: of the bytes, or of the items where nothing is copied.
std::int32_t percentDone(const MoveProgressReport& report) {
    const auto [done, total] =
        report.bytesTotal > 0
            ? std::pair{report.bytesDone, report.bytesTotal}
            : std::pair{static_cast<std::int64_t>(report.itemsDone),
                        static_cast<std::int64_t>(std::max<std::size_t>(report.itemsTotal, 1))};
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(done * 100 / total, 0, 100));
}

class ProgressNotification final : public ProgressDisplay {
  public:
    ProgressNotification(GDBusConnection* bus, std::string silent, const MoveProgressReport& first,
                         std::function<void()> cancel)
        : bus_(bus), silent_(std::move(silent)), pending_(first), onCancel_(std::move(cancel)),
          thread_([this] { run(); }) {}

    // The last report is sent before the thread ends.
    ~ProgressNotification() override {
        {
            const std::lock_guard lock(mutex_);
            ending_ = true;
        }
        g_main_context_wakeup(context_);
        thread_.join();
        g_main_context_unref(context_);
    }

    void update(const MoveProgressReport& report) override {
        {
            const std::lock_guard lock(mutex_);
            pending_ = report;
        }
        g_main_context_wakeup(context_);
    }

  private:
    void run() {
        g_main_context_push_thread_default(context_);
        Server server{bus_, nullptr, serviceOwner(bus_, nullptr)};
        const bool usable = !server.name.empty() && server.name != silent_;
        const bool actions = usable && offersActions(server);
        const guint subscription =
            !usable ? 0
                    : g_dbus_connection_signal_subscribe(
                          bus_, server.name.c_str(), kName, "ActionInvoked", kPath, nullptr,
                          G_DBUS_SIGNAL_FLAGS_NONE,
                          [](GDBusConnection*, const gchar*, const gchar*, const gchar*,
                             const gchar*, GVariant* parameters, gpointer data) {
                              auto* self = static_cast<ProgressNotification*>(data);
                              guint32 id = 0;
                              const gchar* action = nullptr;
                              g_variant_get(parameters, "(u&s)", &id, &action);
                              if (id != 0 && id == self->id_ && g_strcmp0(action, "cancel") == 0) {
                                  self->onCancel_();
                              }
                          },
                          this, nullptr);
        for (;;) {
            std::optional<MoveProgressReport> report;
            bool ending = false;
            {
                const std::lock_guard lock(mutex_);
                report.swap(pending_);
                ending = ending_;
            }
            if (report && usable && !server.silent) {
                notify(server, *report, actions);
            } else if (ending) {
                break;
            } else {
                g_main_context_iteration(context_, TRUE); // a report, a signal, or the end
            }
        }
        if (subscription != 0) {
            g_dbus_connection_signal_unsubscribe(bus_, subscription);
        }
        g_main_context_pop_thread_default(context_);
    }

    void notify(Server& server, const MoveProgressReport& report, bool actions) {
        GVariantBuilder actionList;
        g_variant_builder_init(&actionList, G_VARIANT_TYPE("as"));
        if (actions && !report.finished) {
            g_variant_builder_add(&actionList, "s", "cancel");
            g_variant_builder_add(&actionList, "s", valid(report.cancelTitle).c_str());
        }
        GVariantBuilder hints;
        g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&hints, "{sv}", "value", g_variant_new_int32(percentDone(report)));
        // A move under way stays on screen; its last report goes as the server's others do.
        GVariant* reply =
            server.call("Notify",
                        g_variant_new("(susssasa{sv}i)", "Orvane+", id_.load(), "",
                                      valid(report.title).c_str(), valid(report.detail).c_str(),
                                      &actionList, &hints, report.finished ? -1 : 0),
                        G_VARIANT_TYPE("(u)"));
        if (reply != nullptr) {
            guint32 id = 0;
            g_variant_get(reply, "(u)", &id);
            id_ = id;
            g_variant_unref(reply);
        }
    }

    GDBusConnection* bus_;
    const std::string silent_;
    GMainContext* context_ = g_main_context_new();
    std::mutex mutex_;
    std::optional<MoveProgressReport> pending_;
    bool ending_ = false;
    std::atomic<guint32> id_{0};
    std::function<void()> onCancel_;
    std::thread thread_; // last: it starts once everything above is in place
};

} // namespace

std::unique_ptr<ProgressDisplay> DesktopNotifier::show(const MoveProgressReport& report,
                                                       std::function<void()> cancel) {
    GDBusConnection* connection = bus();
    if (connection == nullptr) {
        return nullptr;
    }
    return std::make_unique<ProgressNotification>(connection, silentServer_, report,
                                                  std::move(cancel));
}

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
