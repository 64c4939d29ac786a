#!/usr/bin/python3
"""A desktop portal backend that picks screen colours from a script, for tests.

  backend.py [--frontend] LOG ANSWER...

Each colour pick takes the next ANSWER: "R,G,B" (each 0..1) picks that colour,
"cancel" is the user cancelling, and "hold:FILE:ANSWER" gives ANSWER only once FILE
exists, as a user taking their time. Each pick is written to LOG as
"parent_window|answer" before it is answered.

With --frontend it stands in for the portal itself, one that answers a request
once for each of the ANSWERs joined by "+" ("R,G,B+R,G,B" answers twice).
"""
import os
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

BUS_NAME = "org.freedesktop.impl.portal.desktop.vindretest"
SCREENSHOT = "org.freedesktop.impl.portal.Screenshot"
PROPERTIES = "org.freedesktop.DBus.Properties"

frontend = sys.argv[1] == "--frontend"
log_path = sys.argv[1 + frontend]
answers = sys.argv[2 + frontend:]


def response(answer):
    if answer == "cancel":
        return dbus.UInt32(1), dbus.Dictionary({}, signature="sv")
    red, green, blue = (float(part) for part in answer.split(","))
    color = dbus.Struct((red, green, blue), signature="ddd", variant_level=1)
    return dbus.UInt32(0), dbus.Dictionary({"color": color}, signature="sv")


class Screenshot(dbus.service.Object):
    @dbus.service.method(SCREENSHOT, in_signature="ossa{sv}", out_signature="ua{sv}",
                         async_callbacks=("reply", "error"))
    def PickColor(self, handle, app_id, parent_window, options, reply, error):
        answer = answers.pop(0) if answers else "cancel"
        with open(log_path, "a") as log:
            log.write("%s|%s\n" % (parent_window, answer))
        if not answer.startswith("hold:"):
            reply(*response(answer))
            return
        _, wait_for, answer = answer.split(":", 2)

        def answer_when_released():
            if not os.path.exists(wait_for):
                return True
            reply(*response(answer))
            return False

        GLib.timeout_add(50, answer_when_released)

    @dbus.service.method(SCREENSHOT, in_signature="ossa{sv}", out_signature="ua{sv}")
    def Screenshot(self, handle, app_id, parent_window, options):
        return dbus.UInt32(2), dbus.Dictionary({}, signature="sv")

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"version": dbus.UInt32(2)}


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Frontend(dbus.service.Object):
    @dbus.service.method("org.freedesktop.portal.Screenshot", in_signature="sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def PickColor(self, parent_window, options, sender):
        answer = answers.pop(0) if answers else "cancel"
        path = "/org/freedesktop/portal/desktop/request/%s/%s" % (sender[1:].replace(".", "_"), options["handle_token"])
        request = Request(bus, path)
        GLib.timeout_add(50, lambda: [request.Response(*response(part)) for part in answer.split("+")] and False)
        return path

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(2)


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
if frontend:
    Frontend(bus, "/org/freedesktop/portal/desktop")
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
else:
    Screenshot(bus, "/org/freedesktop/portal/desktop")
    name = dbus.service.BusName(BUS_NAME, bus)
GLib.MainLoop().run()
