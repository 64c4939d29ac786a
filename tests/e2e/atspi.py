#!/usr/bin/python3
"""The program's window as a screen reader meets it, read over AT-SPI.

  atspi.py tree TITLE          one line per object: depth, role, name, description, value
  atspi.py watch TITLE UNTIL   the changes announced from now on, one line each,
                               until one contains UNTIL (at most twenty seconds)

Both wait up to twenty seconds for a window of that title to appear on the bus.
"""
import sys
import time

import pyatspi


def find_window(title):
    for _ in range(200):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for window in app:
                if window is not None and window.name == title:
                    return window
        time.sleep(0.1)
    sys.exit("no window named %s on the accessibility bus" % title)


def value_of(obj):
    try:
        value = obj.queryValue().currentValue
    except NotImplementedError:
        return ""
    return "%g" % value


def describe(obj):
    return "%s|%s|%s|%s" % (obj.getRoleName(), obj.name, obj.description, value_of(obj))


def walk(obj, depth=0):
    print("%d|%s" % (depth, describe(obj)))
    for child in obj:
        if child is not None:
            walk(child, depth + 1)


def watch(title, until):
    find_window(title)
    from gi.repository import GLib

    def on_event(event):
        # The object is asked again, as a screen reader does on hearing of a change.
        line = "%s|%s" % (event.type, describe(event.source))
        print(line, flush=True)
        if until in line:
            pyatspi.Registry.stop()

    for kind in ("object:property-change:accessible-value",
                 "object:property-change:accessible-name",
                 "object:property-change:accessible-description"):
        pyatspi.Registry.registerEventListener(on_event, kind)
    print("watching", flush=True)
    GLib.timeout_add(20000, pyatspi.Registry.stop)
    pyatspi.Registry.start()


def main():
    command, title = sys.argv[1], sys.argv[2]
    if command == "tree":
        walk(find_window(title))
    elif command == "watch":
        watch(title, sys.argv[3])
    else:
        sys.exit(__doc__)


main()
