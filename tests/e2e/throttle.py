#!/usr/bin/python3
# A slower machine for the processes named: each is stopped for OFF ms in every PERIOD ms
# (SIGSTOP, then SIGCONT), whatever it is doing, as a machine whose time is taken by its
# neighbours would be. Ends, leaving every process running, on SIGTERM or when they are gone.
#   throttle.py OFF PERIOD PID [PID ...]
# slow_machine.py uses its loop with the processes of a whole session.
import os
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


def throttle(off_ms, period_ms, find_pids, refresh_s=None):
    """Stops find_pids()'s processes for off_ms in every period_ms until SIGTERM or SIGINT,
    or until they are gone; finds them anew every refresh_s seconds where given."""
    off, period = off_ms / 1000, period_ms / 1000
    running = [True]

    def stop(*_):
        running[0] = False

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    pids, found = find_pids(), time.monotonic()
    try:
        while running[0] and pids:
            if refresh_s is not None and time.monotonic() - found > refresh_s:
                pids, found = find_pids(), time.monotonic()
            pids = send(pids, signal.SIGSTOP)
            time.sleep(off)
            pids = send(pids, signal.SIGCONT)
            time.sleep(period - off)
    finally:
        send(pids, signal.SIGCONT)


if __name__ == "__main__":
    named = [int(p) for p in sys.argv[3:]]
    throttle(float(sys.argv[1]), float(sys.argv[2]), lambda: named)
