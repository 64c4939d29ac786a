"""Another X client on the screen, for picking colours from it.

  screen.py paint X Y   maps an override-redirect window of 64 x 64 pixels at X, Y (X
                        even): its left half in columns of #102030 (even x) and
                        #405060 (odd x), its right half #C0FFEE; says "ready" once on
                        the screen and stays until killed
  screen.py hold        holds the pointer, says "held" and stays until killed
  screen.py free        "free" when this client can take pointer and keyboard, and
                        lets them go again
  screen.py cursor      a fingerprint of the pointer's image
  screen.py mute        takes the clipboard, says "mute", and never answers a request
  screen.py INCR PIECE...
                        takes the clipboard, says "owner" and answers in pieces
                        (INCR), the empty one last; a PIECE "exit" ends it instead
  screen.py INTEGER TEXT
                        the same, answering with TEXT's four bytes as an INTEGER
  screen.py late TEXT   the same, answering each request with TEXT only once the
                        next one comes
"""
import hashlib
import sys
import time

from Xlib import X, Xatom, display
from Xlib.protocol import event

d = display.Display()
screen = d.screen()
root = screen.root


def pixel(colour):
    return screen.default_colormap.alloc_color(*(int(colour[i:i + 2], 16) * 257 for i in (0, 2, 4))).pixel


def own_clipboard():
    window = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    window.set_selection_owner(d.intern_atom("CLIPBOARD"), X.CurrentTime)
    d.sync()


def answer(request, kind, form, data):
    request.requestor.change_property(request.property, kind, form, data)
    request.requestor.send_event(event.SelectionNotify(time=request.time, requestor=request.requestor,
                                                       selection=request.selection, target=request.target,
                                                       property=request.property))
    d.flush()


def stay(word):
    print(word, flush=True)
    while True:
        time.sleep(60)


command = sys.argv[1]
if command == "paint":
    x, y = int(sys.argv[2]), int(sys.argv[3])
    columns = root.create_pixmap(2, 1, screen.root_depth)
    gc = columns.create_gc()
    for offset, colour in ((0, "102030"), (1, "405060")):
        gc.change(foreground=pixel(colour))
        columns.fill_rectangle(gc, offset, 0, 1, 1)
    window = root.create_window(x, y, 64, 64, 0, screen.root_depth, X.InputOutput, X.CopyFromParent,
                                background_pixmap=columns, override_redirect=True, event_mask=X.ExposureMask)
    window.create_window(32, 0, 32, 64, 0, screen.root_depth, background_pixel=pixel("C0FFEE")).map()
    window.map()
    while d.next_event().type != X.Expose:
        pass
    d.sync()
    stay("ready")
elif command == "hold":
    status = root.grab_pointer(False, X.ButtonPressMask, X.GrabModeAsync, X.GrabModeAsync, X.NONE, X.NONE,
                               X.CurrentTime)
    stay("held" if status == X.GrabSuccess else "not held")
elif command == "free":
    pointer = root.grab_pointer(False, X.ButtonPressMask, X.GrabModeAsync, X.GrabModeAsync, X.NONE, X.NONE,
                                X.CurrentTime)
    keyboard = root.grab_keyboard(False, X.GrabModeAsync, X.GrabModeAsync, X.CurrentTime)
    d.ungrab_pointer(X.CurrentTime)
    d.ungrab_keyboard(X.CurrentTime)
    d.sync()
    print("free" if pointer == keyboard == X.GrabSuccess else "held")
elif command == "mute":
    own_clipboard()
    stay("mute")
elif command in ("INCR", "INTEGER", "late"):
    own_clipboard()
    print("owner", flush=True)
    earlier = None
    while True:
        request = d.next_event()
        if request.type != X.SelectionRequest:
            continue
        if command == "INTEGER":
            answer(request, Xatom.INTEGER, 32, [int.from_bytes(sys.argv[2].encode(), sys.byteorder)])
        elif command == "late" and earlier:
            answer(earlier, earlier.target, 8, sys.argv[2].encode())
        elif command == "INCR":
            request.requestor.change_attributes(event_mask=X.PropertyChangeMask)
            answer(request, d.intern_atom("INCR"), 32, [1024])
            for piece in sys.argv[2:]:
                e = d.next_event()
                while e.type != X.PropertyNotify or e.state != X.PropertyDelete:
                    e = d.next_event()
                if piece == "exit":
                    sys.exit()
                request.requestor.change_property(request.property, request.target, 8, piece.encode())
                d.flush()
        earlier = request
elif command == "cursor":
    d.xfixes_query_version()
    image = d.xfixes_get_cursor_image(root)
    print(hashlib.md5(repr((image.width, image.height, image.xhot, image.yhot, image.cursor_image)).encode())
          .hexdigest())
