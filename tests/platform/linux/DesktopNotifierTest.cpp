// Alerts as desktop notifications, on a private session bus of the test's own with a small
// notification server that records what it is sent and answers as a user would.

#include "platform/linux/DesktopNotifier.h"

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <gio/gio.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

namespace orv::lnx {
namespace {

using ::testing::ElementsAre;

constexpr const char* kInterface = R"(<node><interface name="org.freedesktop.Notifications">
  <method name="GetCapabilities"><arg type="as" direction="out"/></method>
  <method name="Notify"><arg type="s"/><arg type="u"/><arg type="s"/><arg type="s"/>
    <arg type="s"/><arg type="as"/><arg type="a{sv}"/><arg type="i"/>
    <arg type="u" direction="out"/></method>
  <signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
  <signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
</interface></node>)";

// The notification server, on its own thread: it offers actions or not, records each
// notification as "summary|body|action keys and labels", and picks `choice` when asked.
struct NotificationServer {
    bool actions = true;
    std::string choice = "0";
    std::vector<std::string> shown;

    void start(const std::string& address) {
        context = g_main_context_new();
        loop = g_main_loop_new(context, FALSE);
        g_main_context_push_thread_default(context);
        bus = g_dbus_connection_new_for_address_sync(
            address.c_str(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
        static const GDBusInterfaceVTable calls = {
            &NotificationServer::called, nullptr, nullptr, {}};
        g_dbus_connection_register_object(bus, "/org/freedesktop/Notifications",
                                          node->interfaces[0], &calls, this, nullptr, nullptr);
        g_dbus_node_info_unref(node);
        g_variant_unref(g_dbus_connection_call_sync(
            bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", "org.freedesktop.Notifications", 0u), nullptr,
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr));
        g_main_context_pop_thread_default(context);
        thread = std::thread([this] {
            g_main_context_push_thread_default(context);
            g_main_loop_run(loop);
        });
    }
    ~NotificationServer() {
        if (thread.joinable()) {
            g_main_loop_quit(loop);
            thread.join();
            g_object_unref(bus);
            g_main_loop_unref(loop);
            g_main_context_unref(context);
        }
    }

    static void called(GDBusConnection* bus, const gchar*, const gchar*, const gchar*,
                       const gchar* method, GVariant* parameters, GDBusMethodInvocation* call,
                       gpointer data) {
        auto* server = static_cast<NotificationServer*>(data);
        if (g_strcmp0(method, "GetCapabilities") == 0) {
            const gchar* withActions[] = {"body", "actions", nullptr};
            const gchar* without[] = {"body", nullptr};
            g_dbus_method_invocation_return_value(
                call, g_variant_new("(^as)", server->actions ? withActions : without));
            return;
        }
        const gchar *summary = nullptr, *body = nullptr;
        GVariantIter* actions = nullptr;
        g_variant_get(parameters, "(&su&s&s&sas@a{sv}i)", nullptr, nullptr, nullptr, &summary,
                      &body, &actions, nullptr, nullptr);
        std::string record = std::string(summary) + "|" + body + "|";
        for (const gchar* word; g_variant_iter_next(actions, "&s", &word);) {
            record += std::string(word) + " ";
        }
        g_variant_iter_free(actions);
        server->shown.push_back(record);
        g_dbus_method_invocation_return_value(call, g_variant_new("(u)", 7u));
        g_dbus_connection_emit_signal(bus, nullptr, "/org/freedesktop/Notifications",
                                      "org.freedesktop.Notifications", "ActionInvoked",
                                      g_variant_new("(us)", 7u, server->choice.c_str()), nullptr);
    }

    GMainContext* context = nullptr;
    GMainLoop* loop = nullptr;
    GDBusConnection* bus = nullptr;
    std::thread thread;
};

class DesktopNotifierTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (access("/usr/bin/dbus-daemon", X_OK) != 0) {
            GTEST_SKIP() << "dbus-daemon is not installed";
        }
        daemon.emplace(Path("/usr/bin/dbus-daemon"),
                       std::vector<std::string>{"--session", "--nofork", "--print-address"},
                       std::map<std::string, std::string>{}, dir.path(), dir.path());
        ASSERT_TRUE(
            test::eventually([&] { return daemon->out().find('\n') != std::string::npos; }));
        address = daemon->out().substr(0, daemon->out().find('\n'));
        env.set("DBUS_SESSION_BUS_ADDRESS", address);
    }
    int answer(const Alert& alert) {
        server.start(address);
        presenter.setNotifier(&notifier);
        return presenter.runModal(alert);
    }

    test::TempDir dir;
    test::ScopedEnv env;
    std::optional<test::RunningProgram> daemon;
    std::string address;
    NotificationServer server;
    std::string printed;
    LinuxScreen screen{[this](std::string_view text) { printed += text; }};
    LinuxAlertPresenter presenter{screen};
    DesktopNotifier notifier;
};

TEST_F(DesktopNotifierTest, AFailedPastesAlertArrivesWithItsTitleAndLines) {
    EXPECT_EQ(answer({"Error al mover", "a.txt: gone\nb.txt: taken", AlertStyle::warning, {}}),
              kAlertFirstButtonReturn);
    EXPECT_THAT(server.shown, ElementsAre("Error al mover|a.txt: gone\nb.txt: taken|"));
    EXPECT_THAT(printed, ::testing::HasSubstr("a.txt: gone")) << "the output still has it";
}

TEST_F(DesktopNotifierTest, ButtonsBecomeActionsAndTheChosenOneAnswers) { // the server picks "0"
    EXPECT_EQ(
        answer({"Uninstall Orvane+?", "Really?", AlertStyle::warning, {"Uninstall", "Cancel"}}),
        kAlertFirstButtonReturn);
    EXPECT_THAT(server.shown, ElementsAre("Uninstall Orvane+?|Really?|0 Uninstall 1 Cancel "));
}

TEST_F(DesktopNotifierTest, WithoutActionsTheAlertOnlyInformsAndTheLastButtonAnswers) {
    server.actions = false;
    EXPECT_EQ(answer({"Uninstall Orvane+?", "", AlertStyle::warning, {"Uninstall", "Cancel"}}),
              kAlertFirstButtonReturn + 1);
    EXPECT_THAT(server.shown, ElementsAre("Uninstall Orvane+?||"));
}

TEST(DesktopNotifierNoBusTest, WithoutASessionBusNothingIsShown) {
    test::ScopedEnv env;
    env.unset("DBUS_SESSION_BUS_ADDRESS");
    env.set("XDG_RUNTIME_DIR", "/nonexistent");
    DesktopNotifier notifier;
    EXPECT_EQ(notifier.show({"t", "b", AlertStyle::warning, {}}), std::nullopt);
}

} // namespace
} // namespace orv::lnx
