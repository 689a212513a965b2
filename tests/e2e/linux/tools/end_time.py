#!/usr/bin/env python3
"""end_time.py PID SIGNAL [TARGET] - sends SIGNAL to TARGET (default PID) and
prints how many milliseconds later process PID ended (one decimal), or
"alive" if it had not ended 5 s later."""
import os, select, signal, sys, time

pid = int(sys.argv[1])
target = int(sys.argv[3]) if len(sys.argv) > 3 else pid
watch = os.pidfd_open(pid)
t0 = time.monotonic()
os.kill(target, getattr(signal, "SIG" + sys.argv[2]))
ready, _, _ = select.select([watch], [], [], 5)
print("%.1f" % ((time.monotonic() - t0) * 1000) if ready else "alive")
