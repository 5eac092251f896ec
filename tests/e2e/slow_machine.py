#!/usr/bin/python3
# A machine slower for every process of one e2e session: each is stopped for OFF ms in every
# PERIOD ms (SIGSTOP, then SIGCONT), Xvfb and every process of the Wine prefix alike, as a
# virtual machine whose neighbours take its time. The prefix's processes are found anew
# every second, so programs started later are slowed too. Ends on SIGTERM, leaving every
# process running.
#   slow_machine.py OFF PERIOD WINEPREFIX XVFB_PID
import os
import signal
import sys
import time

off, period = float(sys.argv[1]) / 1000, float(sys.argv[2]) / 1000
prefix, xvfb = sys.argv[3], int(sys.argv[4])
running = True


def stop(*_):
    global running
    running = False


signal.signal(signal.SIGTERM, stop)
signal.signal(signal.SIGINT, stop)


def session_pids():
    pids = [xvfb]
    wanted = ("WINEPREFIX=" + prefix).encode()
    for name in os.listdir("/proc"):
        if not name.isdigit() or int(name) == os.getpid():
            continue
        try:
            with open("/proc/%s/environ" % name, "rb") as environ:
                if wanted in environ.read().split(b"\0"):
                    pids.append(int(name))
        except OSError:
            pass
    return pids


def send(pids, sig):
    for pid in pids:
        try:
            os.kill(pid, sig)
        except ProcessLookupError:
            pass


pids, found = session_pids(), time.monotonic()
try:
    while running:
        if time.monotonic() - found > 1:
            pids, found = session_pids(), time.monotonic()
        send(pids, signal.SIGSTOP)
        time.sleep(off)
        send(pids, signal.SIGCONT)
        time.sleep(period - off)
finally:
    send(pids, signal.SIGCONT)
