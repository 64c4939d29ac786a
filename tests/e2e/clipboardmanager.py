"""Stands in for a desktop's clipboard manager: owns CLIPBOARD_MANAGER and prints the
target of every request it gets (a program that ends asks it for SAVE_TARGETS). It
declines each one, so the asking program goes on at once."""
import sys

from Xlib import X, display
from Xlib.protocol import event

d = display.Display()
window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
window.set_selection_owner(d.intern_atom("CLIPBOARD_MANAGER"), X.CurrentTime)
d.sync()
print("ready", flush=True)
while True:
    e = d.next_event()
    if e.type != X.SelectionRequest:
        continue
    print(d.get_atom_name(e.target), flush=True)
    e.requestor.send_event(event.SelectionNotify(time=e.time, requestor=e.requestor, selection=e.selection,
                                                 target=e.target, property=X.NONE))
    d.flush()
