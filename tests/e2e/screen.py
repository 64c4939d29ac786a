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
"""
import hashlib
import sys
import time

from Xlib import X, display

d = display.Display()
screen = d.screen()
root = screen.root


def pixel(colour):
    return screen.default_colormap.alloc_color(*(int(colour[i:i + 2], 16) * 257 for i in (0, 2, 4))).pixel


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
    window = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    window.set_selection_owner(d.intern_atom("CLIPBOARD"), X.CurrentTime)
    d.sync()
    stay("mute")
elif command == "cursor":
    d.xfixes_query_version()
    image = d.xfixes_get_cursor_image(root)
    print(hashlib.md5(repr((image.width, image.height, image.xhot, image.yhot, image.cursor_image)).encode())
          .hexdigest())
