"""A notification server on the session bus, for the notifier's tests: it offers actions when
argv[1] is "actions", prints "ready" and the bus's address, then each notification as
"summary|body|action words", and at once invokes the action argv[2], as a user clicking it
would."""
import os
import sys

from gi.repository import Gio, GLib

INTERFACE = """<node><interface name="org.freedesktop.Notifications">
  <method name="GetCapabilities"><arg type="as" direction="out"/></method>
  <method name="Notify"><arg type="s"/><arg type="u"/><arg type="s"/><arg type="s"/>
    <arg type="s"/><arg type="as"/><arg type="a{sv}"/><arg type="i"/>
    <arg type="u" direction="out"/></method>
  <signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
</interface></node>"""
capabilities = ["body", "actions"] if sys.argv[1] == "actions" else ["body"]


def called(bus, sender, path, interface, method, args, invocation):
    if method == "GetCapabilities":
        return invocation.return_value(GLib.Variant("(as)", (capabilities,)))
    print(f"{args[3]}|{args[4]}|{' '.join(args[5])}", flush=True)
    invocation.return_value(GLib.Variant("(u)", (7,)))
    bus.emit_signal(None, path, interface, "ActionInvoked", GLib.Variant("(us)", (7, sys.argv[2])))


bus = Gio.bus_get_sync(Gio.BusType.SESSION)
bus.register_object("/org/freedesktop/Notifications",
                    Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0], called)
Gio.bus_own_name_on_connection(bus, "org.freedesktop.Notifications", 0,
                               lambda *_: print("ready", os.environ["DBUS_SESSION_BUS_ADDRESS"],
                                                flush=True), None)
GLib.MainLoop().run()
