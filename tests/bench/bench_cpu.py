"""Processor time of a Wine program and of the rig's wineserver over a measuring period."""
from __future__ import annotations

import os
import time
from pathlib import Path

import harness as h

TICKS = os.sysconf("SC_CLK_TCK")
SCHEDSTAT = Path("/proc/self/schedstat").is_file()


def cpu_seconds(pid: int) -> float:
    """The process's processor time so far. Clock ticks (10 ms) are too coarse for an idle
    program over a few seconds, so the scheduler's figure in nanoseconds is summed over
    the process's threads where the kernel keeps it (a thread that ends in the period
    takes its share along; the idle programs keep theirs)."""
    if not SCHEDSTAT:
        fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            total += int((task / "schedstat").read_text().split()[0])
        except FileNotFoundError:  # the thread has just ended
            pass
    return total / 1e9


def wineserver_pid() -> int:
    prefix = h.rig_env()["WINEPREFIX"].encode()
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if b"wineserver" not in (entry / "cmdline").read_bytes():
                continue
            if b"WINEPREFIX=" + prefix + b"\0" in (entry / "environ").read_bytes() + b"\0":
                return int(entry.name)
        except OSError:
            continue
    raise RuntimeError("no wineserver runs for the rig's prefix")


def measure(pid: int, seconds: float, during=None) -> tuple[float, float]:
    """(the program's, the wineserver's) processor seconds over the period: asleep, or
    while during() runs."""
    server = wineserver_pid()
    own0, server0 = cpu_seconds(pid), cpu_seconds(server)
    if during:
        during()
    else:
        time.sleep(seconds)  # the measuring period itself
    return cpu_seconds(pid) - own0, cpu_seconds(server) - server0
