"""Start-up of the picker against a bare Qt window of its kind (startupfloor.cpp), the
two run by turns on one X display: the time from starting the process until its
window is mapped, the CPU time it has used by then, and its resident memory.

  startup.py [--runs N] [--through LAUNCHER] PROGRAM FLOOR

With --through, both are started by the launcher (wine, for the Windows programs).
"""
import glob
import os
import statistics
import subprocess
import sys
import time

from Xlib import X, display


def cpu_ms(pid):
    """CPU time of all the process's threads so far, from the scheduler's own count."""
    total = 0
    for path in glob.glob("/proc/%d/task/*/schedstat" % pid):
        try:
            with open(path) as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError):
            pass
    return total / 1e6


def rss_mib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def one_run(d, command):
    """Time until mapped, CPU time by then, resident memory then, the time from SIGTERM
    (which closes the window as a user would) until the process ended, and the peak
    of its resident memory over its whole life."""
    while d.pending_events():
        d.next_event()
    started = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The first window mapped on the root (the window manager's frame around ours).
    while True:
        event = d.next_event()
        if event.type == X.MapNotify:
            break
    elapsed = (time.perf_counter() - started) * 1000
    cpu = cpu_ms(process.pid)
    time.sleep(0.3)
    rss = rss_mib(process.pid)
    closing = time.perf_counter()
    process.terminate()
    _, process.returncode, usage = os.wait4(process.pid, 0)
    closed = (time.perf_counter() - closing) * 1000
    return elapsed, cpu, rss, closed, usage.ru_maxrss / 1024


def command_line(runs):
    """The number of runs (--runs N, else the one given), the launcher (--through L,
    else none) and the other arguments."""
    args = sys.argv[1:]
    launcher = []
    while args[0] in ("--runs", "--through"):
        if args[0] == "--runs":
            runs = int(args[1])
        else:
            launcher = [args[1]]
        args = args[2:]
    return runs, launcher, args


def watched_display():
    """The X display, telling us of every window mapped on its root."""
    d = display.Display()
    d.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
    d.sync()
    return d


def main():
    runs, launcher, args = command_line(31)
    commands = {"program": launcher + [args[0]], "floor": launcher + [args[1]]}
    d = watched_display()
    results = {name: [] for name in commands}
    for turn in range(runs + 2):
        for name, command in commands.items():
            result = one_run(d, command)
            if turn >= 2:
                results[name].append(result)
    medians = {name: [statistics.median(r[i] for r in rows) for i in range(3)] for name, rows in results.items()}
    for name, (elapsed, cpu, rss) in medians.items():
        print("%-8s %d runs, medians: mapped after %6.1f ms, CPU %6.1f ms, resident %5.1f MiB"
              % (name, runs, elapsed, cpu, rss))
    program, floor = medians["program"], medians["floor"]
    print("ratio to the floor: time %.2f x, CPU %.2f x, resident memory %.2f x"
          % (program[0] / floor[0], program[1] / floor[1], program[2] / floor[2]))


if __name__ == "__main__":
    main()
