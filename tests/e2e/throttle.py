#!/usr/bin/python3
# A slower machine for the processes named: each is stopped for OFF ms in every PERIOD ms
# (SIGSTOP, then SIGCONT), whatever it is doing, as a machine whose time is taken by its
# neighbours would be. Ends, leaving every process running, on SIGTERM or when they are gone.
#   throttle.py OFF PERIOD PID [PID ...]
import os
import signal
import sys
import time

off, period = float(sys.argv[1]) / 1000, float(sys.argv[2]) / 1000
pids = [int(p) for p in sys.argv[3:]]
running = True


def stop(*_):
    global running
    running = False


signal.signal(signal.SIGTERM, stop)
signal.signal(signal.SIGINT, stop)


def send(sig):
    alive = []
    for pid in pids:
        try:
            os.kill(pid, sig)
            alive.append(pid)
        except ProcessLookupError:
            pass
    return alive


try:
    while running and pids:
        pids = send(signal.SIGSTOP)
        time.sleep(off)
        pids = send(signal.SIGCONT)
        time.sleep(period - off)
finally:
    send(signal.SIGCONT)
