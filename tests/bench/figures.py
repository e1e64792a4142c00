"""The benchmark's arithmetic and tables: distributions, ratios, and the split of a pick
and of a start into the stamps of the instrumented Kavolt and of the references."""
from __future__ import annotations

import math
import statistics

GOAL = 1.2
NAN = float("nan")


def median(values: list[float]) -> float:
    return statistics.median(values) if values else NAN


def p90(values: list[float]) -> float:
    """The 90th percentile, interpolated between the two nearest samples."""
    if not values:
        return NAN
    if len(values) == 1:
        return values[0]
    return statistics.quantiles(values, n=10, method="inclusive")[8]


def ratio(a: float, b: float) -> float:
    return a / b if b and not math.isnan(a) and not math.isnan(b) else NAN


def fmt(value: float, width: int = 6, digits: int = 1) -> str:
    return f"{'—':>{width}}" if math.isnan(value) else f"{value:{width}.{digits}f}"


# ---- Distributions per round and together --------------------------------------------

def latency_table(title: str, rounds: list[dict[str, list[float]]], reference: str) -> None:
    """rounds: per round, the samples (ms) of each program. Prints median and 90th
    percentile per round and for all rounds together, then each program's ratios to the
    reference, and how many rounds hold the goal."""
    names = list(rounds[0])
    together = {name: [ms for r in rounds for ms in r.get(name, [])] for name in names}
    columns = [f"round {i}" for i in range(1, len(rounds) + 1)] + ["together"]
    samples = rounds + [together]
    print(f"{title} (ms), median / 90th percentile, samples per round:")
    print(f"  {'':22}" + "".join(f"{c:>17}" for c in columns))
    for name in names:
        cells = [f"{fmt(median(s[name]))} /{fmt(p90(s[name]))}  ".rjust(17) for s in samples]
        counts = ", ".join(str(len(r[name])) for r in rounds)
        print(f"  {name:22}" + "".join(cells) + f"   n = {counts}")
    for name in names:
        if name == reference:
            continue
        cells = []
        held = {"median": 0, "p90": 0}
        for i, s in enumerate(samples):
            m = ratio(median(s[name]), median(s[reference]))
            q = ratio(p90(s[name]), p90(s[reference]))
            if i < len(rounds):
                held["median"] += m <= GOAL
                held["p90"] += q <= GOAL
            cells.append(f"{fmt(m, 5, 2)} ×/{fmt(q, 5, 2)} ×".rjust(17))
        print(f"  {name + ' ÷ reference':22}" + "".join(cells))
        print(f"  {'':22} within {GOAL} × in {held['median']} of {len(rounds)} rounds at the "
              f"median, {held['p90']} of {len(rounds)} at the 90th percentile")


def cpu_table(seconds: float, rounds: list[dict[str, tuple[float, float]]],
              pairs: list[tuple[str, str]], drag_seconds: float) -> None:
    """rounds: per round, (own, wineserver) processor seconds of each program over the
    period (over the drag for the names that end in ", a drag"). pairs: (program, its floor)."""
    names = list(rounds[0])
    print(f"Processor time over {seconds:g} s, or a {drag_seconds:g} s drag (program + "
          "wineserver), per round and the median of the rounds:")
    for name in names:
        totals = [sum(r[name]) for r in rounds]
        cells = "".join(f"{t:7.3f}" for t in totals)
        med = median(totals)
        period = drag_seconds if name.endswith(", a drag") else seconds
        print(f"  {name:46} {cells}   median {med:6.3f} s ({100 * med / period:4.1f} % of a core)")
    for name, floor in pairs:
        per_round = [ratio(sum(r[name]), sum(r[floor])) for r in rounds]
        cells = "".join(f"{fmt(x, 7, 2)}" for x in per_round)
        print(f"  {name + ' ÷ ' + floor:46} {cells}   median {fmt(median(per_round), 6, 2)} ×")


# ---- The split -----------------------------------------------------------------------

def first(stamps: list[list], name: str, after: float = -math.inf) -> float:
    return next((ms for point, ms in stamps if point == name and ms >= after), NAN)


def pick_split(stamps: list[list]) -> dict:
    """One pick's stamps (ms from the press) read as: when the loop first read the button
    after the press, how many of its reads after the press still said "up" (a stale read
    from Wine's key-state cache), and whether the press landed while a pass was busy (its
    start before the press, its end after), and for how long it stayed busy."""
    reads = [(ms, point == "button down") for point, ms in stamps
             if point in ("button up", "button down") and ms >= 0]
    down = next((ms for ms, is_down in reads if is_down), NAN)
    stale = sum(1 for ms, is_down in reads if not is_down and ms < down)
    starts = [ms for point, ms in stamps if point == "pass start"]
    ends = [ms for point, ms in stamps if point == "pass end"]
    started = max((ms for ms in starts if ms <= 0), default=NAN)
    ended = min((ms for ms in ends if ms > started), default=NAN) if not math.isnan(started) else NAN
    busy = ended if not math.isnan(ended) and ended > 0 else 0.0
    return {"first read": reads[0][0] if reads else NAN, "down": down, "stale": stale,
            "busy": busy}


PICK_STEPS = ("button down", "arrow back", "guide closed", "window created", "controls created",
              "loaded", "question text", "shown")


def print_pick_split(picks: dict[str, list[dict]]) -> None:
    """picks: per program, its picks as {"latency_ms", "stamps"}. Each step of the pick
    counts at its first stamp after the loop read the button down."""
    names = list(picks)
    print("Press → question, where the time goes (median ms from the press, and of each step):")
    print(f"  {'':28}" + "".join(f"{n:>22}" for n in names))
    splits = {n: [pick_split(p["stamps"]) for p in picks[n]] for n in names}
    at: dict[str, dict[str, list[float]]] = {}
    steps: dict[str, dict[str, list[float]]] = {}
    for n in names:
        for p, s in zip(picks[n], splits[n]):
            last = 0.0
            for step in ("first read after the press",) + PICK_STEPS + ("visible to the probe",):
                ms = {"first read after the press": s["first read"], "button down": s["down"],
                      "visible to the probe": p["latency_ms"]}.get(step)
                if ms is None:
                    ms = first(p["stamps"], step, s["down"])
                if math.isnan(ms):
                    continue
                at.setdefault(step, {m: [] for m in names})[n].append(ms)
                steps.setdefault(step, {m: [] for m in names})[n].append(ms - last)
                last = ms if step != "first read after the press" else 0.0
    for step in at:
        print(f"  {step:28}" + "".join(
            f"{fmt(median(at[step][n]), 9)} {fmt(median(steps[step][n]), 7, 2)} step" for n in names))
    for n in names:
        s = splits[n]
        stale = [x["stale"] for x in s]
        busy = [x["busy"] for x in s if x["busy"] > 0]
        counts = ", ".join(f"{k}: {stale.count(k)}" for k in sorted(set(stale)))
        print(f"  {n}: stale \"up\" reads after the press, per pick ({counts}); "
              f"{len(busy)} of {len(s)} pressed in a busy pass"
              + (f" (busy on for {', '.join(f'{b:.1f}' for b in sorted(busy))} ms)" if busy else ""))
    print("  each pick: latency ms (first read, stale reads, busy ms, button down → shown):")
    for n in names:
        cells = []
        for p, s in zip(picks[n], splits[n]):
            to_shown = first(p["stamps"], "shown", s["down"]) - s["down"]
            cells.append(f"{p['latency_ms']:.0f} ({fmt(s['first read'], 0)}, {s['stale']}, "
                         f"{s['busy']:.0f}, {fmt(to_shown, 0)})")
        print(f"    {n}: " + "  ".join(cells))


def print_start_split(starts: dict[str, list[dict]]) -> None:
    """starts: per program, its starts as {"latency_ms", "stamps"} (ms from CreateProcess).
    Each point counts at its first stamp, and its step is the time since the point before
    it in the same start; the fonts count as the sum of their own times before the window
    showed."""
    names = list(starts)
    print("Start → first window, where the time goes (median ms from CreateProcess, and of "
          "each step):")
    print(f"  {'':24}" + "".join(f"{n:>22}" for n in names))
    at: dict[str, dict[str, list[float]]] = {}
    steps: dict[str, dict[str, list[float]]] = {}
    fonts: dict[str, list[float]] = {n: [] for n in names}
    for n in names:
        for s in starts[n]:
            shown = first(s["stamps"], "shown")
            asked, font_ms, seen, last = None, 0.0, set(), 0.0
            for point, ms in s["stamps"]:
                if point == "font asked" and ms < shown:
                    asked = ms
                elif point == "font made" and asked is not None:
                    font_ms += ms - asked
                    asked = None
                if point in seen or point.startswith("font") or point in LOOP_POINTS:
                    continue
                seen.add(point)
                at.setdefault(point, {m: [] for m in names})[n].append(ms)
                steps.setdefault(point, {m: [] for m in names})[n].append(ms - last)
                last = ms
            fonts[n].append(font_ms)

    def key(point: str) -> float:
        return next(median(at[point][n]) for n in names if at[point][n])

    for point in sorted(at, key=key):
        print(f"  {point:24}" + "".join(
            f"{fmt(median(at[point][n]), 9)} {fmt(median(steps[point][n]), 7, 2)} step" for n in names))
    print(f"  {'visible to the probe':24}"
          + "".join(f"{fmt(median([s['latency_ms'] for s in starts[n]]), 9)}{'':13}" for n in names))
    print(f"  {'(making fonts)':24}" + "".join(f"{'':10}{fmt(median(fonts[n]), 7, 2)}{'':5}"
                                              for n in names))


LOOP_POINTS = {"button up", "button down", "pass end"}
