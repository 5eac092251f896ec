#!/usr/bin/python3
# A machine slower for every process of one e2e session: each is stopped for OFF ms at a
# time, at random, OFF ms in every PERIOD ms on average (throttle.py's loop), Xvfb and every
# process of the Wine prefix alike, as a virtual machine whose neighbours take its time. The
# prefix's processes are found anew every second, so programs started later are slowed too.
# Ends on SIGTERM, leaving every process running, and says on stderr how many it stopped and
# for how much of the time.
#   slow_machine.py OFF PERIOD WINEPREFIX XVFB_PID
import os
import sys

from throttle import throttle

prefix, xvfb = sys.argv[3], int(sys.argv[4])


def is_throttle(pid):
    """Another throttle of the session is left alone: two that stop each other at the same
    moment would both stay stopped, and the session with them."""
    with open("/proc/%s/cmdline" % pid, "rb") as cmdline:
        return any(os.path.basename(arg) in (b"throttle.py", b"slow_machine.py")
                   for arg in cmdline.read().split(b"\0"))


def session_pids():
    pids = [xvfb]
    wanted = ("WINEPREFIX=" + prefix).encode()
    for name in os.listdir("/proc"):
        if not name.isdigit() or int(name) == os.getpid():
            continue
        try:
            with open("/proc/%s/environ" % name, "rb") as environ:
                if wanted in environ.read().split(b"\0") and not is_throttle(name):
                    pids.append(int(name))
        except OSError:
            pass
    return pids


throttle(float(sys.argv[1]), float(sys.argv[2]), session_pids, refresh_s=1)
