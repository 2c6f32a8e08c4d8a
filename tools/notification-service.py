#!/usr/bin/python3
"""A stand-in desktop notification service for the tests: owns org.freedesktop.Notifications on
the session bus of DBUS_SESSION_BUS_ADDRESS and appends every Notify call to RECORD_FILE as one
JSON line {"app", "icon", "summary", "body", "timeout"}. Writes READY_FILE once it owns the name.
    notification-service.py RECORD_FILE READY_FILE
"""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"


class Notifications(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.record = record
        self.last_id = 0

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces_id, icon, summary, body, actions, hints, timeout):
        self.last_id += 1
        with open(self.record, "a", encoding="utf-8") as f:
            f.write(json.dumps({"app": str(app), "icon": str(icon), "summary": str(summary),
                                "body": str(body), "timeout": int(timeout)},
                               ensure_ascii=False) + "\n")
        return self.last_id

    @dbus.service.method(NAME, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body"]

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ["stand-in", "moriva tests", "1.0", "1.2"]


def main():
    record, ready = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    service = Notifications(bus, record)
    open(ready, "w").close()
    GLib.MainLoop().run()
    del name, service


if __name__ == "__main__":
    main()
