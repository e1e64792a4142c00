"""Kavolt's benchmarks under Wine, reported, never asserted, in rounds that alternate
Kavolt and its references (tests/tools), all measured in the same run:

1. Processor time over a measuring period (cursor still) of an idle Kavolt, with nothing
   pinned and with a window pinned, against their floors: a program with Kavolt's main
   window that polls with a 10 ms sleep what a watch loop must read on every pass, the
   cursor and the primary button (idle_reference --press --cursor), and with a window
   pinned also that window (--watch). For scale, the same program polling nothing (--poll)
   and asleep in its message loop. Also over a 3 s drag with the primary button on another
   program's window while no mode is armed, against the same floor. Each figure is the
   program's own processor time plus the wineserver's during the period; one figure per
   period and round.
2. Press → question: from a press of the primary button on a target to the question being
   visible, against idle_reference --press --cursor, which is armed as Kavolt is, keeps a
   guide under the cursor and shows a question like Kavolt's. Real presses on the same
   target, in turns, timed inside Wine by tests/tools/pickbench.cpp from raw input.
3. Start → first window: from just before CreateProcess to the first visible window,
   against start_reference, which does before its first show what Kavolt's start must.
   pickbench starts both, in turns, and times them.

4. Launch → pinned: from just before CreateProcess of `kavolt.exe <fixture>` to the
   fixture's window being topmost, from an empty desktop, for a plain program, a slow one
   (shows at 1.5 s) and a busy one (handles no message for 1.5 s once it shows), against
   `start_reference --launch <fixture>`, which makes the main window, starts the program,
   and pins its first visible window once it answers, looking every 50 ms. pickbench
   starts them in turns and times them; a launch that pinned nothing is counted apart.

Then, unless --split 0, the same picks and starts once more with the instrumented Kavolt
(build/windows/stamps) and the references' stamps, and where the time goes.

Run through scripts/bench.sh, which builds and brings the rig up and down.
"""
from __future__ import annotations

import argparse
import json
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import figures as f  # noqa: E402
import harness as h  # noqa: E402
import picking as p  # noqa: E402
from bench_cpu import measure  # noqa: E402

STILL_POINT = (1000, 740)
DRAG_SECONDS = 3.0
TARGET_POS, TARGET_POINT = (20, 20), (170, 140)
REFERENCE_CLASS, REFERENCE_POPUP = "KavoltIdleReference", "KavoltReferencePopup"
START_CLASS, MAIN_CLASS, QUESTION = "KavoltStartReference", "KavoltMainWindow", "KavoltQuestionWindow"
TARGET_TITLE = "Bench target"
REFERENCE = "reference"
# Kavolt as people run it: without Wine's debug channels, which the tests read.
QUIET = {"WINEDEBUG": "-all"}
STAMPS = {**QUIET, "KAVOLT_STAMPS": "1"}


def reference(args: list[str], env: dict) -> h.WineProcess:
    proc = h.WineProcess(h.tool_path("idle_reference"), args, env=h.wine_env(env))
    h.wait_for_window(REFERENCE_CLASS)
    return proc


def stop_reference(proc: h.WineProcess) -> None:
    proc.kill()
    h.wait_until(lambda: h.find_window(REFERENCE_CLASS) is None, 10, "the reference to end")


# ---- Processor time ------------------------------------------------------------------

FLOORS = (("message loop (for scale)", []), ("bare poll (for scale)", ["--poll"]),
          ("watch floor", ["--press", "--cursor"]),
          ("watch floor, a window", ["--press", "--cursor", "--watch", TARGET_TITLE]))


def drag() -> None:
    """The primary button held on the target for DRAG_SECONDS while the mouse moves."""
    h.move(*TARGET_POINT)
    steps = [("mousemove", TARGET_POINT[0] + i % 40, TARGET_POINT[1] + i % 20, "sleep", "0.02")
             for i in range(int(DRAG_SECONDS / 0.02))]
    h.xdotool("mousedown", 1, *(word for step in steps for word in step), "mouseup", 1)


def idle_round(kavolts: dict[str, Path], seconds: float) -> dict:
    target = h.Fixture("--title", TARGET_TITLE, "--pos", *TARGET_POS)
    results = {}
    for name, args in FLOORS:
        proc = reference(args, QUIET)
        h.move(*STILL_POINT)
        results[name] = measure(proc.popen.pid, seconds)
        if name == "watch floor":
            results[f"{name}, a drag"] = measure(proc.popen.pid, DRAG_SECONDS, drag)
        stop_reference(proc)
    for name, exe in kavolts.items():
        kavolt = h.Kavolt(exe=exe, env=QUIET)
        kavolt.main_window()
        h.move(*STILL_POINT)
        results[f"{name} idle"] = measure(kavolt.proc.popen.pid, seconds)
        results[f"{name} idle, a drag"] = measure(kavolt.proc.popen.pid, DRAG_SECONDS, drag)
        p.pin(kavolt, TARGET_POINT)
        h.move(*STILL_POINT)
        results[f"{name}, a window pinned"] = measure(kavolt.proc.popen.pid, seconds)
        kavolt.stop()
    target.stop()
    return results


# ---- Press → question ----------------------------------------------------------------

def arm_reference() -> None:
    """Clicks the reference's "設定", as Opt(0) is clicked to arm Kavolt."""
    window = h.wait_for_window(REFERENCE_CLASS)
    h.click(*h.child_centre(window, h.child(window, "Button", "設定")))
    h.wait_until(lambda: h.find_window("KavoltReferenceGuide") and any(
        c["text"] == "取消" for c in h.wait_for_window(REFERENCE_CLASS)["children"]),
        15, "the reference armed")


def probe_lines(probe: h.WineProcess, key: str, number: int) -> dict | None:
    return next((r for r in map(json.loads, probe.output().splitlines()) if r.get(key) == number),
                None)


def timed_press(probe: h.WineProcess, pick: int) -> dict:
    """Holds the button down on the target until the probe reports the window of the
    pick (read from the probe's output, so that no inspector runs while it is timed)."""
    h.move(*TARGET_POINT)
    h.mouse_down()
    try:
        return h.wait_until(lambda: probe_lines(probe, "pick", pick), 15,
                            f"the window of pick {pick}", interval=0.01)
    finally:
        h.mouse_up()


def cancel(window_class: str) -> None:
    window = h.wait_for_window(window_class)
    h.click(*h.child_centre(window, h.child(window, "Button", "Cancel")))
    try:
        h.wait_until(lambda: h.find_window(window_class) is None, 5, f"{window_class} to close")
    except h.E2EError:
        # Now and then, under Wine, the target that the press activated takes the clicks
        # meant for the question just shown over it: closed without an answer instead.
        print(f"a click on {window_class}'s Cancel was lost; closed instead", file=sys.stderr)
        h.inspector("close", str(window["hwnd"]))
        h.wait_until(lambda: h.find_window(window_class) is None, 10, f"{window_class} to close")


def picks(kavolt_exe: Path, count: int, env: dict, kavolt_first: bool = False
          ) -> dict[str, list[dict]]:
    """Real picks made with xdotool on one target, in turns for the reference and for
    Kavolt (ABBA, so that neither always goes first), both running throughout so that
    both see the same load. Each pick: {"latency_ms", "stamps"}; a press the probe did
    not see is left out."""
    target = h.Fixture("--title", TARGET_TITLE, "--pos", *TARGET_POS)
    probe = h.WineProcess(h.tool_path("pickbench"), ["picks", 2 * count, REFERENCE_POPUP, QUESTION],
                          env=h.wine_env(env))
    ref = reference(["--press", "--cursor"], env)
    kavolt = h.Kavolt(exe=kavolt_exe, env=env)
    kavolt.main_window()
    arm = {REFERENCE_POPUP: arm_reference, QUESTION: lambda: p.select_option(kavolt, p.SET)}
    turns = [QUESTION, REFERENCE_POPUP] if kavolt_first else [REFERENCE_POPUP, QUESTION]
    order = [cls for i in range(count) for cls in (turns if i % 2 == 0 else turns[::-1])]
    results: dict[str, list[dict]] = {cls: [] for cls in turns}
    for pick, expected in enumerate(order, 1):
        h.wait_until(lambda: probe_lines(probe, "ready", pick), 15, f"pickbench ready for {pick}")
        arm[expected]()
        result = timed_press(probe, pick)
        if result["class"] != expected:
            raise RuntimeError(f"pick {pick} opened {result['class']}, not {expected}")
        cancel(expected)
        stamps = h.wait_until(lambda: probe_lines(probe, "stamps", pick), 15,
                              f"the stamps of pick {pick}")
        if result["latency_ms"] >= 0:
            results[expected].append({"latency_ms": result["latency_ms"], "stamps": stamps["list"]})
    if probe.wait(30) != 0:
        raise RuntimeError(f"pickbench failed: {probe.output()[-300:]} {probe.errors()[-300:]}")
    kavolt.stop()
    stop_reference(ref)
    target.stop()
    return {REFERENCE: results[REFERENCE_POPUP], "kavolt": results[QUESTION]}


# ---- Start → first window ------------------------------------------------------------

def starts(programs: dict[str, tuple[Path, str]], count: int, env: dict) -> dict[str, list[dict]]:
    """count starts of each program, in turns (ABBA...), by pickbench inside Wine."""
    names = list(programs)
    order = [n for i in range(count) for n in (names if i % 2 == 0 else names[::-1])]
    args = ["starts"]
    for name in order:
        exe, cls = programs[name]
        args += [h.winpath(exe), cls]
    probe = h.WineProcess(h.tool_path("pickbench"), args, env=h.wine_env(env))
    if probe.wait(60 + 10 * len(order)) != 0:
        probe.kill()
        raise RuntimeError(f"pickbench failed: {probe.output()[-300:]} {probe.errors()[-300:]}")
    lines = [json.loads(line) for line in probe.output().splitlines() if line.startswith('{"start"')]
    results: dict[str, list[dict]] = {n: [] for n in names}
    for name, line in zip(order, lines):
        results[name].append({"latency_ms": line["latency_ms"], "stamps": line["stamps"]})
    return results


# ---- Launch → pinned ------------------------------------------------------------------

LAUNCHES = {"plain, from an empty desktop": "", "slow, shows at 1.5 s": "--show-after 1500",
            "busy 1.5 s once it shows": "--busy-after-show 1500"}


def launches(programs: dict[str, tuple[Path, str]], count: int, options: str
             ) -> dict[str, list[float]]:
    """count launches of the fixture by each program (its path, and what comes before the
    fixture's path on its command line), in turns (ABBA...), by pickbench inside Wine: the
    milliseconds to the pin, -1 for a launch that pinned nothing."""
    names = list(programs)
    order = [n for i in range(count) for n in (names if i % 2 == 0 else names[::-1])]
    fixture = h.winpath(h.tool_path("fixture"))
    args = ["launches"]
    for name in order:
        exe, before = programs[name]
        args += [h.winpath(exe), f'{before}"{fixture}"']
    env = h.wine_env({**QUIET, "KAVOLT_FIXTURE_OPTIONS": options})
    probe = h.WineProcess(h.tool_path("pickbench"), args, env=env)
    if probe.wait(60 + 20 * len(order)) != 0:
        probe.kill()
        raise RuntimeError(f"pickbench failed: {probe.output()[-300:]} {probe.errors()[-300:]}")
    lines = [json.loads(line) for line in probe.output().splitlines() if line.startswith('{"launch"')]
    results: dict[str, list[float]] = {n: [] for n in names}
    for name, line in zip(order, lines):
        results[name].append(line["pinned_ms"])
    return results


def launch_tables(rounds: dict[str, list[dict[str, list[float]]]]) -> None:
    for case, samples in rounds.items():
        f.latency_table(f"Launch → pinned, {case}",
                        [{n: [ms for ms in v if ms >= 0] for n, v in r.items()} for r in samples],
                        REFERENCE)
        missed = {n: sum(ms < 0 for r in samples for ms in r[n]) for n in samples[0]}
        print(f"  launches that pinned nothing: {missed}")


# ---- The run -------------------------------------------------------------------------

def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=3, help="rounds (at least 3 for a result)")
    parser.add_argument("--seconds", type=float, default=10, help="measuring period for processor time")
    parser.add_argument("--picks", type=int, default=20, help="picks for each program in a round")
    parser.add_argument("--starts", type=int, default=10, help="starts of each program in a round")
    parser.add_argument("--split", type=int, default=10,
                        help="picks and starts of each program with stamps (0: none)")
    parser.add_argument("--kavolt", action="append", metavar="NAME=EXE",
                        help="a kavolt.exe to measure, with a name (default: kavolt=dist's); "
                             "may be given more than once, e.g. before=... after=...")
    parser.add_argument("--save", type=Path, metavar="FILE",
                        help="also write every sample and stamp to FILE, as JSON")
    parser.add_argument("--launches", type=int, default=6,
                        help="launches of each program in a round, for each case")
    parser.add_argument("--only", choices=["cpu", "press", "start", "launch"], action="append",
                        help="measure only these (default: all)")
    args = parser.parse_args()
    kavolts = {"kavolt": h.kavolt_path()}
    if args.kavolt:
        kavolts = {k: Path(v).resolve() for k, v in (a.split("=", 1) for a in args.kavolt)}
    only = set(args.only or ["cpu", "press", "start", "launch"])

    # A run that failed before may have left references behind.
    h.FIXTURE_CLASSES.update({REFERENCE_CLASS, REFERENCE_POPUP, START_CLASS, "KavoltReferenceGuide"})
    h.sweep_desktop()
    try:
        run(args, kavolts, only)
    finally:
        h.kill_all()
    return 0


def run(args: argparse.Namespace, kavolts: dict[str, Path], only: set[str]) -> None:
    cpu_rounds, press_rounds, start_rounds = [], [], []
    launch_rounds: dict[str, list[dict[str, list[float]]]] = {case: [] for case in LAUNCHES}
    saved: dict = {}
    started = time.monotonic()
    for r in range(args.rounds):
        # Each round takes the Kavolts in another order.
        names = list(kavolts)
        names = names[r % len(names):] + names[:r % len(names)]
        ordered = {n: kavolts[n] for n in names}
        print(f"round {r + 1} of {args.rounds} ({time.monotonic() - started:.0f} s)", file=sys.stderr)
        if "cpu" in only:
            cpu_rounds.append(idle_round(ordered, args.seconds))
        if "press" in only:
            one = {REFERENCE: []}
            for name, exe in ordered.items():
                got = picks(exe, args.picks, QUIET, kavolt_first=r % 2 == 1)
                one[REFERENCE] += [x["latency_ms"] for x in got[REFERENCE]]
                one[name] = [x["latency_ms"] for x in got["kavolt"]]
            press_rounds.append({n: one[n] for n in [REFERENCE, *kavolts]})
        if "start" in only:
            programs = {REFERENCE: (h.tool_path("start_reference"), START_CLASS)}
            programs |= {n: (exe, MAIN_CLASS) for n, exe in ordered.items()}
            # Each round starts with another program.
            names = list(programs)
            names = names[r % len(names):] + names[:r % len(names)]
            got = starts({n: programs[n] for n in names}, args.starts, QUIET)
            start_rounds.append({n: [x["latency_ms"] for x in got[n]] for n in [REFERENCE, *kavolts]})
        if "launch" in only:
            programs = {REFERENCE: (h.tool_path("start_reference"), "--launch ")}
            programs |= {n: (exe, "") for n, exe in ordered.items()}
            for case, options in LAUNCHES.items():
                got = launches(programs, args.launches, options)
                launch_rounds[case].append({n: got[n] for n in [REFERENCE, *kavolts]})

    if cpu_rounds:
        pairs = [(f"{n} idle", "watch floor") for n in kavolts]
        pairs += [(f"{n} idle, a drag", "watch floor, a drag") for n in kavolts]
        pairs += [(f"{n}, a window pinned", "watch floor, a window") for n in kavolts]
        f.cpu_table(args.seconds, cpu_rounds, pairs, DRAG_SECONDS)
    if press_rounds:
        f.latency_table("Press → question", press_rounds, REFERENCE)
    if start_rounds:
        f.latency_table("Start → first window", start_rounds, REFERENCE)
    if "launch" in only:
        launch_tables(launch_rounds)

    if args.split:
        instrumented = h.build_dir() / "stamps" / "kavolt_stamps.exe"
        print(f"With stamps: {instrumented.relative_to(h.REPO)} and the references, "
              f"{args.split} of each:")
        if "press" in only:
            got = picks(instrumented, args.split, STAMPS)
            saved["split picks"] = got
            f.latency_table("Press → question, with stamps", [{n: [x["latency_ms"] for x in v]
                                                             for n, v in got.items()}], REFERENCE)
            f.print_pick_split({"kavolt": got["kavolt"], REFERENCE: got[REFERENCE]})
        if "start" in only:
            got = starts({REFERENCE: (h.tool_path("start_reference"), START_CLASS),
                          "kavolt": (instrumented, MAIN_CLASS)}, args.split, STAMPS)
            saved["split starts"] = got
            f.latency_table("Start → first window, with stamps",
                            [{n: [x["latency_ms"] for x in v] for n, v in got.items()}], REFERENCE)
            f.print_start_split({"kavolt": got["kavolt"], REFERENCE: got[REFERENCE]})
    print(f"({time.monotonic() - started:.0f} s in all)")
    if args.save:
        saved |= {"cpu": cpu_rounds, "press": press_rounds, "start": start_rounds,
                  "launch": launch_rounds}
        args.save.write_text(json.dumps(saved))


if __name__ == "__main__":
    sys.exit(main())
