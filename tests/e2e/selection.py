"""Talks to whoever owns CLIPBOARD as any other X client may.

  selection.py notify-tail   asks for the text as UTF8_STRING and prints bytes 24 to
                             31 of the SelectionNotify event that answers, in hex
  selection.py forge-clear   sends the owner a SelectionClear of its own making
"""
import sys

from Xlib import X, display
from Xlib.protocol import event

d = display.Display()
clipboard = d.intern_atom("CLIPBOARD")
owner = d.get_selection_owner(clipboard)
if not owner:
    sys.exit("nobody owns CLIPBOARD")

if sys.argv[1] == "notify-tail":
    window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    window.convert_selection(clipboard, d.intern_atom("UTF8_STRING"), d.intern_atom("VINDRE_TEST"), X.CurrentTime)
    d.flush()
    while True:
        e = d.next_event()
        if e.type == X.SelectionNotify:
            print(e._binary[24:32].hex())
            break
else:
    owner.send_event(event.SelectionClear(time=X.CurrentTime, window=owner, atom=clipboard), event_mask=0)
    d.sync()
