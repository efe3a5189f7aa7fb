"""A notification server on the session bus, for the notifier's tests: it offers actions when
argv[1] is "actions" (answers no call when "silent"), prints "ready" and the bus's address, each
notification as "summary|body|action words" (and "|id" when it replaces one) and other calls as "method arguments", and at once
closes another notification and invokes the action argv[2] as a user would; for "never" only
another program invokes "0"."""
import os
import sys

from gi.repository import Gio, GLib

INTERFACE = """<node><interface name="org.freedesktop.Notifications">
  <method name="GetCapabilities"><arg type="as" direction="out"/></method>
  <method name="Notify"><arg type="s"/><arg type="u"/><arg type="s"/><arg type="s"/><arg type="s"/>
    <arg type="as"/><arg type="a{sv}"/><arg type="i"/><arg type="u" direction="out"/></method>
  <method name="CloseNotification"><arg type="u"/></method>
</interface></node>"""
capabilities = ["body", "actions"] if sys.argv[1] == "actions" else ["body"]


def called(bus, sender, path, interface, method, args, invocation):
    if sys.argv[1] == "silent" or method == "CloseNotification":
        return print(method, *args, flush=True)
    if method == "GetCapabilities":
        return invocation.return_value(GLib.Variant("(as)", (capabilities,)))
    print(f"{args[3]}|{args[4]}|{' '.join(args[5])}" + (f"|{args[1]}" if args[1] else ""),
          flush=True)
    invocation.return_value(GLib.Variant("(u)", (7,)))
    if sys.argv[2] == "never":
        return os.system(f"dbus-send --type=signal {path} {interface}.ActionInvoked uint32:7 "
                         "string:0")
    bus.emit_signal(None, path, interface, "NotificationClosed", GLib.Variant("(uu)", (8, 2)))
    bus.emit_signal(None, path, interface, "ActionInvoked", GLib.Variant("(us)", (7, sys.argv[2])))


bus = Gio.bus_get_sync(Gio.BusType.SESSION)
bus.register_object("/org/freedesktop/Notifications",
                    Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0], called)
Gio.bus_own_name_on_connection(bus, "org.freedesktop.Notifications", 0,
                               lambda *_: print("ready", os.environ["DBUS_SESSION_BUS_ADDRESS"],
                                                flush=True), None)
GLib.MainLoop().run()
