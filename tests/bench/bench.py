"""Kavolt's benchmarks under Wine, reported, never asserted:

1. Processor time of an idle Kavolt over a measuring period (cursor still): with nothing
   pinned, and with a window pinned; against a bare Win32 program that only runs a
   message loop (tests/tools/idle_reference.cpp), and, for scale, the same program
   polling with a 10 ms sleep, measured in the same run. Each figure is the program's
   own processor time plus the wineserver's during the period.
2. Latency from a press of the primary button on a target to the question window being
   visible, over a number of picks (tests/tools/pickbench.cpp, timed inside Wine).

Run through scripts/bench.sh, which builds and brings the rig up and down.
"""
from __future__ import annotations

import argparse
import json
import os
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness as h  # noqa: E402
import picking as p  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
STILL_POINT = (1000, 740)
TARGET_POS, TARGET_POINT = (20, 20), (170, 140)


def cpu_seconds(pid: int) -> float:
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime


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


def measure(pid: int, seconds: float) -> tuple[float, float]:
    """(the program's, the wineserver's) processor seconds over the period."""
    server = wineserver_pid()
    own0, server0 = cpu_seconds(pid), cpu_seconds(server)
    time.sleep(seconds)  # the measuring period itself
    return cpu_seconds(pid) - own0, cpu_seconds(server) - server0


def idle_figures(seconds: float) -> dict:
    h.move(*STILL_POINT)
    results = {}
    for name, args in (("reference", []), ("polling reference", ["--poll"])):
        reference = h.WineProcess(h.tool_path("idle_reference"), args, env=h.wine_env())
        h.wait_for_window("KavoltIdleReference")
        results[name] = measure(reference.popen.pid, seconds)
        reference.kill()
        h.wait_until(lambda: h.find_window("KavoltIdleReference") is None, 10, "the reference to end")

    kavolt = h.Kavolt()
    kavolt.main_window()
    h.move(*STILL_POINT)
    results["kavolt idle"] = measure(kavolt.proc.popen.pid, seconds)

    target = h.Fixture("--title", "Bench target", "--pos", *TARGET_POS)
    p.pin(kavolt, TARGET_POINT)
    h.move(*STILL_POINT)
    results["kavolt, a window pinned"] = measure(kavolt.proc.popen.pid, seconds)
    kavolt.stop()
    target.stop()
    return results


def pick_latencies(picks: int) -> list[float]:
    """Real picks made with xdotool; pickbench, inside Wine, times each one from the
    moment the press is visible to Windows programs to the question being visible."""
    kavolt = h.Kavolt()
    kavolt.main_window()
    target = h.Fixture("--title", "Bench target", "--pos", *TARGET_POS)
    probe = h.WineProcess(h.tool_path("pickbench"), [str(picks)], env=h.wine_env())
    for pick in range(1, picks + 1):
        h.wait_until(lambda: f'"ready":{pick}}}' in probe.output(), 15, f"pickbench ready for {pick}")
        p.select_option(kavolt, p.SET)
        p.answer(p.press_and_ask(TARGET_POINT), "Cancel")
    if probe.wait(30) != 0:
        raise RuntimeError(f"pickbench failed: {probe.output()} {probe.errors()[-300:]}")
    kavolt.stop()
    target.stop()
    return [json.loads(line)["latency_ms"] for line in probe.output().splitlines()
            if "latency_ms" in line]


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=10, help="measuring period")
    parser.add_argument("--picks", type=int, default=20)
    args = parser.parse_args()

    h.kill_all()
    h.sweep_desktop()
    figures = idle_figures(args.seconds)
    base = sum(figures["reference"])
    print(f"Processor time over {args.seconds:g} s (program + wineserver):")
    for name, (own, server) in figures.items():
        total = own + server
        ratio = f"{total / base:5.1f} x reference" if base > 0 else ""
        print(f"  {name:26} {own:6.2f} s + {server:5.2f} s = {total:6.2f} s "
              f"({100 * total / args.seconds:4.1f} % of a core)  {ratio}")

    measured = pick_latencies(args.picks)
    latencies = [ms for ms in measured if ms >= 0]  # a press the probe did not see is left out
    print(f"Press to question, {len(latencies)} of {len(measured)} picks timed: "
          f"median {statistics.median(latencies):.1f} ms, worst {max(latencies):.1f} ms, "
          f"best {min(latencies):.1f} ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
