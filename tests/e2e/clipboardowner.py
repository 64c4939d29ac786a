"""Owns CLIPBOARD as programs that answer in their own way do; says "owner" once it
owns it and stays until killed.

  clipboardowner.py reply TARGET TYPE TEXT   answers a request for TARGET ("any": for
                                             any target) with TEXT as a property of
                                             TYPE, INTEGER in 32-bit items; refuses others
  clipboardowner.py pieces PIECE...          answers in pieces (INCR), each PIECE in
                                             turn: "" is the empty one that ends the
                                             text, "wait" waits 2.5 seconds, "exit" ends
  clipboardowner.py late TEXT                answers each request only once the next one
                                             comes, and then the one before
"""
import sys
import time

from Xlib import X, Xatom, display
from Xlib.protocol import event

d = display.Display()
window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
window.set_selection_owner(d.intern_atom("CLIPBOARD"), X.CurrentTime)
d.sync()
print("owner", flush=True)


def notify(request, given):
    request.requestor.send_event(event.SelectionNotify(time=request.time, requestor=request.requestor,
                                                       selection=request.selection, target=request.target,
                                                       property=request.property if given else X.NONE))
    d.flush()


def requests():
    while True:
        e = d.next_event()
        if e.type == X.SelectionRequest:
            yield e


def deleted(request):
    while True:
        e = d.next_event()
        if (e.type == X.PropertyNotify and e.window.id == request.requestor.id and e.atom == request.property
                and e.state == X.PropertyDelete):
            return


command = sys.argv[1]
if command == "reply":
    target, kind, text = sys.argv[2:5]
    for request in requests():
        given = target == "any" or request.target == d.intern_atom(target)
        if given and kind == "INTEGER":
            data = text.encode().ljust((len(text) + 3) // 4 * 4)
            items = [int.from_bytes(data[i:i + 4], sys.byteorder) for i in range(0, len(data), 4)]
            request.requestor.change_property(request.property, Xatom.INTEGER, 32, items)
        elif given:
            request.requestor.change_property(request.property, d.intern_atom(kind), 8, text.encode())
        notify(request, given)
elif command == "pieces":
    request = next(requests())
    request.requestor.change_attributes(event_mask=X.PropertyChangeMask)
    request.requestor.change_property(request.property, d.intern_atom("INCR"), 32, [1024])
    notify(request, True)
    deleted(request)
    for piece in sys.argv[2:]:
        if piece == "exit":
            sys.exit()
        if piece == "wait":
            time.sleep(2.5)
            continue
        request.requestor.change_property(request.property, request.target, 8, piece.encode())
        d.flush()
        deleted(request)
    for request in requests():
        notify(request, False)
elif command == "late":
    earlier = None
    for request in requests():
        if earlier:
            earlier.requestor.change_property(earlier.property, earlier.target, 8, sys.argv[2].encode())
            notify(earlier, True)
        earlier = request
