#!/usr/bin/python3
# A slower machine for the processes named: each is stopped for OFF ms at a time (SIGSTOP,
# then SIGCONT), whatever it is doing, OFF ms in every PERIOD ms on average, as a machine
# whose time is taken by its neighbours would be. Ends, leaving every process running, on
# SIGTERM or when they are gone, and says on stderr how much of the time it stopped them.
#   throttle.py [--periodic] OFF PERIOD PID [PID ...]
# The stops come at random (the running spells between them last PERIOD - OFF ms on average,
# without memory), so that work of any length, started at any moment, is slowed by the same
# factor PERIOD / (PERIOD - OFF) on average. Stops that come at fixed times lock in step with
# a program that wakes on a timer: its work begins as a stop ends and short work escapes them,
# while work begun later in the running spell is caught, so the same machine would seem to
# slow two kinds of work by different factors. --periodic gives the fixed times, for a
# program let run OFF ms short of every PERIOD ms and no more.
# slow_machine.py uses its loop with the processes of a whole session.
import os
import random
import signal
import sys
import time


def send(pids, sig):
    """Signals each process; returns those still there."""
    alive = []
    for pid in pids:
        try:
            os.kill(pid, sig)
            alive.append(pid)
        except ProcessLookupError:
            pass
    return alive


def throttle(off_ms, period_ms, find_pids, refresh_s=None, periodic=False):
    """Stops find_pids()'s processes for off_ms at a time, off_ms in every period_ms, until
    SIGTERM or SIGINT, or until they are gone; finds them anew every refresh_s seconds where
    given."""
    off, running_spell = off_ms / 1000, (period_ms - off_ms) / 1000
    running = [True]

    def stop(*_):
        running[0] = False

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    pids, found = find_pids(), time.monotonic()
    seen, stops, stopped_s, began = set(pids), 0, 0.0, time.monotonic()
    try:
        while running[0] and pids:
            if refresh_s is not None and time.monotonic() - found > refresh_s:
                pids, found = find_pids(), time.monotonic()
                seen.update(pids)
            pids = send(pids, signal.SIGSTOP)
            at = time.monotonic()
            time.sleep(off)
            pids = send(pids, signal.SIGCONT)
            stops, stopped_s = stops + 1, stopped_s + time.monotonic() - at
            time.sleep(running_spell if periodic else random.expovariate(1 / running_spell))
    finally:
        send(pids, signal.SIGCONT)
        elapsed = max(time.monotonic() - began, 1e-9)
        print("throttle: %d processes stopped %d times, %.1f %% of %.1f s (%s)"
              % (len(seen), stops, 100 * stopped_s / elapsed, elapsed,
                 "periodic" if periodic else "at random"), file=sys.stderr)


if __name__ == "__main__":
    args = sys.argv[1:]
    periodic = args[:1] == ["--periodic"]
    args = args[1:] if periodic else args
    named = [int(p) for p in args[2:]]
    throttle(float(args[0]), float(args[1]), lambda: named, periodic=periodic)
