#!/usr/bin/python3
# A machine slower for every process of one e2e session: each is stopped for OFF ms in every
# PERIOD ms (SIGSTOP, then SIGCONT), Xvfb and every process of the Wine prefix alike, as a
# virtual machine whose neighbours take its time. The prefix's processes are found anew
# every second, so programs started later are slowed too. Ends on SIGTERM, leaving every
# process running.
#   slow_machine.py OFF PERIOD WINEPREFIX XVFB_PID
import os
import sys

from throttle import throttle

prefix, xvfb = sys.argv[3], int(sys.argv[4])


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


throttle(float(sys.argv[1]), float(sys.argv[2]), session_pids, refresh_s=1)
