"""Kavolt's benchmarks under Wine, reported, never asserted:

1. Processor time of an idle Kavolt over a measuring period (cursor still): with nothing
   pinned, and with a window pinned; against their floors, a bare Win32 program that
   polls with a 10 ms sleep what a watch loop must read on every pass: the cursor and
   the primary button (tests/tools/idle_reference.cpp --press --cursor), and with a
   window pinned also that window (--watch). For scale, the same program polling nothing (--poll) and
   asleep in its message loop. All measured in the same run; each figure is the
   program's own processor time plus the wineserver's during the period.
2. Latency from a press of the primary button on a target to the question window being
   visible, against the same program polling every 10 ms that opens a popup like Kavolt's
   question on a press (idle_reference --press). Real presses on the same target,
   alternately for each, timed inside Wine by tests/tools/pickbench.cpp.

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
SCHEDSTAT = Path("/proc/self/schedstat").is_file()
STILL_POINT = (1000, 740)
TARGET_POS, TARGET_POINT = (20, 20), (170, 140)
REFERENCE_CLASS, REFERENCE_POPUP = "KavoltIdleReference", "KavoltReferencePopup"
QUESTION = "KavoltQuestionWindow"
TARGET_TITLE = "Bench target"
# Kavolt as people run it: without Wine's debug channels, which the tests read.
QUIET = {"WINEDEBUG": "-all"}


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


def measure(pid: int, seconds: float) -> tuple[float, float]:
    """(the program's, the wineserver's) processor seconds over the period."""
    server = wineserver_pid()
    own0, server0 = cpu_seconds(pid), cpu_seconds(server)
    time.sleep(seconds)  # the measuring period itself
    return cpu_seconds(pid) - own0, cpu_seconds(server) - server0


def idle_figures(seconds: float) -> dict:
    target = h.Fixture("--title", TARGET_TITLE, "--pos", *TARGET_POS)
    h.move(*STILL_POINT)
    results = {}
    for name, args in (("message loop (for scale)", []), ("bare poll (for scale)", ["--poll"]),
                       ("watch floor", ["--press", "--cursor"]),
                       ("watch floor, a window",
                        ["--press", "--cursor", "--watch", TARGET_TITLE])):
        reference = h.WineProcess(h.tool_path("idle_reference"), args, env=h.wine_env())
        h.wait_for_window(REFERENCE_CLASS)
        results[name] = measure(reference.popen.pid, seconds)
        reference.kill()
        h.wait_until(lambda: h.find_window(REFERENCE_CLASS) is None, 10, "the reference to end")

    kavolt = h.Kavolt(env=QUIET)
    kavolt.main_window()
    h.move(*STILL_POINT)
    results["kavolt idle"] = measure(kavolt.proc.popen.pid, seconds)

    p.pin(kavolt, TARGET_POINT)
    h.move(*STILL_POINT)
    results["kavolt, a window pinned"] = measure(kavolt.proc.popen.pid, seconds)
    kavolt.stop()
    target.stop()
    return results


def arm_reference() -> None:
    """Clicks the reference's "Pick" button, as Opt(0) is clicked to arm Kavolt."""
    window = h.wait_for_window(REFERENCE_CLASS)
    h.click(*h.child_centre(window, h.child(window, "Button", "Pick")))
    h.wait_for_window(REFERENCE_CLASS, "pick reference armed")


def timed_press(probe: h.WineProcess, pick: int) -> dict:
    """Holds the button down on the target until the probe reports the window of the
    pick (read from the probe's output, so that no inspector runs while it is timed)."""
    def reported():
        return next((r for r in map(json.loads, probe.output().splitlines())
                     if r.get("pick") == pick), None)
    h.move(*TARGET_POINT)
    h.mouse_down()
    try:
        return h.wait_until(reported, 15, f"the window of pick {pick}", interval=0.01)
    finally:
        h.mouse_up()


def cancel(window_class: str) -> None:
    window = h.wait_for_window(window_class)
    h.click(*h.child_centre(window, h.child(window, "Button", "Cancel")))
    h.wait_until(lambda: h.find_window(window_class) is None, 10, f"{window_class} to close")


def pick_latencies(picks: int) -> dict[str, list[float]]:
    """Real picks made with xdotool on one target, in turns for the reference and for
    Kavolt (ABBA, so that neither always goes first), both running throughout so that
    both see the same load. pickbench, inside Wine, times each from the moment the press
    is visible to Windows programs to the window being visible."""
    target = h.Fixture("--title", TARGET_TITLE, "--pos", *TARGET_POS)
    reference = h.WineProcess(h.tool_path("idle_reference"), ["--press"], env=h.wine_env())
    kavolt = h.Kavolt(env=QUIET)
    kavolt.main_window()
    arm = {REFERENCE_POPUP: arm_reference, QUESTION: lambda: p.select_option(kavolt, p.SET)}
    turns = [REFERENCE_POPUP, QUESTION]
    order = [cls for i in range(picks) for cls in (turns if i % 2 == 0 else turns[::-1])]
    probe = h.WineProcess(h.tool_path("pickbench"), [len(order), *turns], env=h.wine_env())
    latencies: dict[str, list[float]] = {cls: [] for cls in turns}
    for pick, expected in enumerate(order, 1):
        h.wait_until(lambda: f'"ready":{pick}}}' in probe.output(), 15, f"pickbench ready for {pick}")
        arm[expected]()
        result = timed_press(probe, pick)
        if result["class"] != expected:
            raise RuntimeError(f"pick {pick} opened {result['class']}, not {expected}")
        latencies[expected].append(result["latency_ms"])
        cancel(expected)
    if probe.wait(30) != 0:
        raise RuntimeError(f"pickbench failed: {probe.output()} {probe.errors()[-300:]}")
    kavolt.stop()
    reference.kill()
    target.stop()
    return latencies


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=10, help="measuring period")
    parser.add_argument("--picks", type=int, default=20, help="picks for each program")
    args = parser.parse_args()

    h.kill_all()
    h.sweep_desktop()
    cpu = idle_figures(args.seconds)
    figures = {name: own + server for name, (own, server) in cpu.items()}

    def ratio(name: str, floor: str) -> float:
        return figures[name] / figures[floor] if figures[floor] > 0 else float("nan")

    print(f"Processor time over {args.seconds:g} s (program + wineserver):")
    for name, (own, server) in cpu.items():
        print(f"  {name:26} {own:6.3f} s + {server:6.3f} s = {figures[name]:6.3f} s "
              f"({100 * figures[name] / args.seconds:4.1f} % of a core)")

    latencies = pick_latencies(args.picks)
    medians = {}
    print(f"Press to question, the same target, {args.picks} picks each in turns (ms):")
    print(f"  {'':26} {'timed':>7} {'median':>7} {'worst':>7} {'best':>7}")
    for name, cls in (("reference popup", REFERENCE_POPUP), ("kavolt question", QUESTION)):
        timed = [ms for ms in latencies[cls] if ms >= 0]  # a press the probe missed is left out
        medians[cls] = statistics.median(timed) if timed else float("nan")
        worst, best = (max(timed), min(timed)) if timed else (float("nan"),) * 2
        print(f"  {name:26} {len(timed):>3}/{len(latencies[cls]):<3} "
              f"{medians[cls]:7.1f} {worst:7.1f} {best:7.1f}")

    print("Kavolt against its references, in the same run (goal: within 1.2 × each):")
    print(f"  press→question  {medians[QUESTION] / medians[REFERENCE_POPUP]:.2f} × reference")
    print(f"  idle            {ratio('kavolt idle', 'watch floor'):.2f} × watch floor")
    print(f"  pinned          {ratio('kavolt, a window pinned', 'watch floor, a window'):.2f}"
          " × watch floor with a window")
    return 0


if __name__ == "__main__":
    sys.exit(main())
