"""The picker with a settings file beside it of the largest size it reads (16 MiB)
in the hardest forms there are, against none and against an ordinary file of 10 MB
that others share: the time until its window is mapped, the peak of its resident
memory, and the time from SIGTERM until it has read the file again, saved it and
ended. Each run starts from the file as made.

  settingsfiles.py [--runs N] PROGRAM
"""
import os
import shutil
import statistics
import tempfile

from startup import command_line, one_run, watched_display

LARGEST = 16 * 1024 * 1024


def filled(start, line):
    text = bytearray(start)
    i = 0
    while True:
        next_line = line(i)
        if len(text) + len(next_line) > LARGEST:
            return bytes(text)
        text += next_line
        i += 1


def ordinary():
    text = bytearray()
    section = 0
    while len(text) < 10 * 1000 * 1000:
        text += b"[Section%d]\r\n" % section
        for key in range(10):
            text += b"Key%d=a value of some length, %d\r\n" % (key, section)
        text += b"\r\n"
        section += 1
    return bytes(text) + b"[Main]\r\nX=199\r\nY=397\r\nColorR=255\r\nColorG=128\r\nColorB=0\r\nClipTransLower=1\r\n"


FILES = [
    ("no file", lambda: None),
    ("ordinary, 10 MB", ordinary),
    ('"[]" lines', lambda: filled(b"", lambda i: b"[]\r\n")),
    ('"a=b" lines in [Main]', lambda: filled(b"[Main]\r\n", lambda i: b"a=b\r\n")),
    ("one line, the value of X", lambda: b"[Main]\r\nX=" + b"0" * (LARGEST - 10)),
    ("distinct headers", lambda: filled(b"", lambda i: b"[s%d]\r\n" % i)),
    ("distinct keys in [Main]", lambda: filled(b"[Main]\r\n", lambda i: b"k%d=1\r\n" % i)),
]


def main():
    runs, _, args = command_line(5)
    work = tempfile.mkdtemp(prefix="vindre-bench.")
    try:
        program = os.path.join(work, "vindre")
        shutil.copy(args[0], program)
        settings = os.path.join(work, "vindre.ini")
        d = watched_display()
        print("%-28s %5s %12s %13s %12s" % ("settings file", "MiB", "mapped (ms)", "peak (MiB)", "closed (ms)"))
        for name, make in FILES:
            text = make()
            rows = []
            for _ in range(runs):
                if text is None:
                    if os.path.exists(settings):
                        os.remove(settings)
                else:
                    with open(settings, "wb") as f:
                        f.write(text)
                elapsed, _, _, closed, peak = one_run(d, [program])
                rows.append((elapsed, peak, closed))
            size = 0 if text is None else len(text) / 1024 / 1024
            medians = [statistics.median(r[i] for r in rows) for i in range(3)]
            print("%-28s %5.1f %12.1f %13.1f %12.1f" % (name, size, *medians))
    finally:
        shutil.rmtree(work)


main()
