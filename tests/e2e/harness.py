"""Driver for Kavolt's end-to-end tests under Wine: looks at the desktop through the
inspector, waits for states, sends real input with xdotool, takes screenshots, and runs
Kavolt and the fixture program. The rig and the Wine processes are in rig.py.
"""
from __future__ import annotations

import itertools
import json
import os
import re
import shutil
import subprocess
import time
from pathlib import Path
from typing import Any, Callable

# Re-exported: tests use the harness alone.
from rig import (REPO, E2EError, Gone, WineProcess, build_dir, kavolt_path, kill_all,  # noqa: F401
                 rig_dir, rig_env, run_wine, scratch, tool_path, wine_env, winpath)

SCREEN = (1024, 768)
PARKED_POINTER = (1016, 760)  # on the desktop, away from every window: no hover, no tooltip
KAVOLT_CLASSES = ("KavoltMainWindow", "KavoltQuestionWindow", "KavoltGuideWindow")
FIXTURE_CLASSES = {"KavoltTestTarget", "KavoltTestPopup"}  # grows with --class
_watches = itertools.count(1)


# ---- Looking at the desktop ----------------------------------------------------------

def inspector(*args: str, timeout: float = 20, check: bool = True) -> str:
    code, out = run_wine(tool_path("inspector"), *args, timeout=timeout)
    if check and code != 0:
        raise E2EError(f"inspector {' '.join(args)} failed with {code}: {out.strip()}")
    return out


def windows(all: bool = False) -> list[dict]:
    """The top-level windows, front to back (with all=False only the visible ones)."""
    out = inspector("list", *(["--all"] if all else []))
    return [json.loads(line) for line in out.splitlines() if line.strip()]


def find_windows(cls: str | None = None, title: str | None = None, pid: int | None = None,
                 among: list[dict] | None = None) -> list[dict]:
    return [w for w in (windows() if among is None else among)
            if (cls is None or w["class"] == cls) and (title is None or w["title"] == title)
            and (pid is None or w["pid"] == pid)]


def find_window(cls: str | None = None, title: str | None = None, pid: int | None = None,
                among: list[dict] | None = None) -> dict | None:
    """The front-most visible top-level window that matches, or None."""
    return next(iter(find_windows(cls, title, pid, among)), None)


def wait_for_window(cls: str | None = None, title: str | None = None, pid: int | None = None,
                    timeout: float = 15) -> dict:
    return wait_until(lambda: find_window(cls, title, pid), timeout,
                      f"a visible window (class={cls!r}, title={title!r}, pid={pid})")


def child(window: dict, cls: str | None = None, text: str | None = None,
          parent: int | None = None) -> dict:
    """The one child control that matches."""
    found = [c for c in window["children"]
             if (cls is None or c["class"] == cls) and (text is None or c["text"] == text)
             and (parent is None or c["parent"] == parent)]
    if len(found) != 1:
        raise E2EError(f"expected one child (class={cls!r}, text={text!r}, parent={parent}), "
                       f"found {len(found)} in {describe(window)}")
    return found[0]


def describe(window: dict) -> str:
    kids = ", ".join(f"{c['class']}:{c['text']!r}@{c['rect']}{'' if c['visible'] else ' hidden'}"
                     for c in window.get("children", []))
    return (f"{window['class']} {window['title']!r} pid={window['pid']} hwnd={window['hwnd']} "
            f"rect={window['rect']} topmost={window['topmost']} [{kids}]")


def describe_desktop() -> str:
    try:
        return "; ".join(describe(w) for w in windows()) or "no visible window"
    except E2EError as error:
        return f"(the inspector failed: {error})"


def wait_until(fn: Callable[[], Any], timeout: float = 15, what: str = "the expected state",
               interval: float = 0.1, state: Callable[[], Any] | None = None) -> Any:
    """Polls fn until it returns a truthy value, and returns that value. After timeout it
    fails with the last value (or error) of fn and the observed state (default: the
    visible windows)."""
    deadline = time.monotonic() + timeout
    last: Any = None
    error: Exception | None = None
    while True:
        try:
            last, error = fn(), None
        except Gone:
            raise
        except Exception as exc:  # a window can vanish in the middle of a look
            error = exc
        if error is None and last:
            return last
        if time.monotonic() >= deadline:
            break
        time.sleep(interval)
    cause = f"last error: {error!r}" if error else f"last value: {last!r}"
    observed = state() if state else describe_desktop()
    raise E2EError(f"timed out after {timeout:g} s waiting for {what}; {cause}; "
                   f"observed: {observed}")


def centre(rect: list[int]) -> tuple[int, int]:
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def child_screen_rect(window: dict, control: dict) -> list[int]:
    """A child's rectangle on the screen (children report top-level client coordinates)."""
    x, y = window["client"][:2]
    r = control["rect"]
    return [r[0] + x, r[1] + y, r[2] + x, r[3] + y]


def child_centre(window: dict, control: dict) -> tuple[int, int]:
    return centre(child_screen_rect(window, control))


class Watch:
    """Polls in the inspector, every millisecond, for a visible window of the classes, and
    keeps the state in which it was first seen. A context manager."""

    def __init__(self, *classes: str, timeout: float = 60):
        self.event = f"KavoltE2EWatch.{os.getpid()}.{next(_watches)}"
        self.stopped = False
        self.proc = WineProcess(tool_path("inspector"),
                                ["watch", int(timeout * 1000), self.event, *classes],
                                env=wine_env())
        wait_until(lambda: '"ready"' in self.proc.output() or not self.proc.running, 15,
                   "the inspector's watch to start")
        if '"ready"' not in self.proc.output():
            raise E2EError(f"inspector watch did not start: {self.proc.errors()[-500:]}")

    def _seen(self) -> dict | None:
        lines = [line for line in self.proc.output().splitlines() if line.startswith('{"hwnd"')]
        return json.loads(lines[0]) if lines else None

    def first(self, timeout: float = 15) -> dict:
        """The window's state when first seen visible; waits for it."""
        return wait_until(self._seen, timeout, "a watched window to appear")

    def stop(self) -> dict | None:
        """Ends the watch; returns the window seen, or None. A watch that ran out of time
        before this saw nothing of what followed: that is an error, not a None."""
        if self.proc.running:
            inspector("signal", self.event)
            if self.proc.wait(10) is None:
                self.proc.kill()
            self.stopped = True
        elif not self.stopped and self._seen() is None:
            raise E2EError("the watch ran out of time before it was stopped")
        return self._seen()

    def __enter__(self) -> Watch:
        return self

    def __exit__(self, *exc) -> None:
        self.stop()


# ---- Input and screenshots (the desktop sits at the X root origin) -------------------

def xdotool(*args: Any) -> None:
    subprocess.run(["xdotool", *map(str, args)], env=wine_env(), check=True, timeout=10,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def cursor() -> tuple[int, int]:
    pos = json.loads(inspector("cursor"))
    return pos["x"], pos["y"]


def move(x: int, y: int) -> None:
    """Moves the pointer and waits until Windows programs see it there."""
    xdotool("mousemove", x, y)
    wait_until(lambda: cursor() == (x, y), 5, f"the cursor at {(x, y)}",
               state=lambda: f"cursor at {cursor()}")


def click(x: int, y: int, button: int = 1) -> None:
    move(x, y)
    xdotool("click", button)


def mouse_down(button: int = 1) -> None:
    xdotool("mousedown", button)


def mouse_up(button: int = 1) -> None:
    xdotool("mouseup", button)


def key(*keys: str) -> None:
    """Keys by xdotool's names: key("alt+F4"), key("Return")."""
    xdotool("key", *keys)


def drag(start: tuple[int, int], end: tuple[int, int], button: int = 1, steps: int = 8) -> None:
    move(*start)
    mouse_down(button)
    try:
        for i in range(1, steps + 1):
            xdotool("mousemove", start[0] + (end[0] - start[0]) * i // steps,
                    start[1] + (end[1] - start[1]) * i // steps)
        move(*end)
    finally:
        mouse_up(button)


def _import(rect: list[int] | None, *output: str) -> bytes:
    command = ["import", "-window", "root", "-display", rig_env()["DISPLAY"]]
    if rect:
        size = f"{rect[2] - rect[0]}x{rect[3] - rect[1]}"
        command += ["-crop", f"{size}+{rect[0]}+{rect[1]}", "+repage"]
    return subprocess.run(command + list(output), check=True, timeout=30, capture_output=True,
                          stdin=subprocess.DEVNULL).stdout


def safe_name(name: str) -> str:
    """A test name made fit for a file name."""
    return re.sub(r"[^A-Za-z0-9._-]+", "_", name).strip("_") or "unnamed"


def screenshot(name: str, crop: list[int] | None = None) -> Path:
    """Saves the screen, or its [left, top, right, bottom] part, as
    <build>/e2e-screens/<name>.png."""
    folder = build_dir() / "e2e-screens"
    folder.mkdir(parents=True, exist_ok=True)
    path = folder / f"{safe_name(name)}.png"
    _import(crop, str(path))
    return path


class Pixels:
    """RGB pixels grabbed from a [left, top, right, bottom] part of the screen."""

    def __init__(self, rect: list[int]):
        out = _import(rect, "-depth", "8", "ppm:-")
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", out)  # binary PPM
        if not header:
            raise E2EError("ImageMagick gave no PPM image")
        self.width, self.height = int(header[1]), int(header[2])
        self.data = out[header.end():header.end() + 3 * self.width * self.height]

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        i = 3 * (y * self.width + x)
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def ink(self, threshold: int = 96) -> list[tuple[int, int]]:
        """The dark pixels, (x, y): text drawn on a light background."""
        return [(x, y) for y in range(self.height) for x in range(self.width)
                if sum(self.pixel(x, y)) < 3 * threshold]


# ---- The programs under test ---------------------------------------------------------

class Program:
    """What Kavolt and the fixture share: a Wine process and its Windows process id."""

    win_pid: int | None = None
    proc: WineProcess

    @property
    def running(self) -> bool:
        return self.proc.running

    def exit_code(self, timeout: float = 15) -> int:
        code = self.proc.wait(timeout)
        if code is None:
            raise E2EError(f"{Path(self.proc.program).name} still runs after {timeout:g} s; "
                           f"desktop: {describe_desktop()}")
        return code

    def windows(self, all: bool = False) -> list[dict]:
        if self.win_pid is None:
            raise E2EError("the program's Windows process id is not known yet")
        return find_windows(pid=self.win_pid, among=windows(all))

    def kill(self) -> None:
        self.proc.kill()
        self._wait_windows_gone()

    def _close(self, hwnds: list[int], timeout: float) -> None:
        for hwnd in hwnds:
            inspector("close", str(hwnd), check=False)
        if not hwnds or self.proc.wait(timeout) is None:
            self.proc.kill()
        self._wait_windows_gone()

    def _wait_windows_gone(self) -> None:
        if self.win_pid is not None:
            wait_until(lambda: not self.windows(all=True), 15,
                       f"the windows of process {self.win_pid} to go")


# Wine traces every debug string once as the exception that carries it (the wide form
# also under OutputDebugStringA's name, which the narrow form lacks).
_ARROW_LINE = re.compile(r':seh:dispatch_exception "kavolt: system arrow <- (.*)"(\.\.\.)?$')
ANSI_CODE_PAGE = "cp1252"  # Wine's ANSI code page in an English or C locale


def _unescape_debugstr(text: str) -> str:
    """Undoes Wine's debugstr_a quoting: \\n \\r \\t \\" \\\\ and \\xNN for other bytes."""
    def one(match: re.Match) -> str:
        code = match[1]
        if code[0] == "x":
            return bytes([int(code[1:], 16)]).decode(ANSI_CODE_PAGE, errors="replace")
        return {"n": "\n", "r": "\r", "t": "\t"}.get(code, code)
    return re.sub(r"\\(x[0-9a-fA-F]{2}|.)", one, text)


class Kavolt(Program):
    """kavolt.exe (a path, default the dist folder's) in the rig's desktop, started with
    WINEDEBUG=warn+seh and stderr in a log, from which its system-arrow changes are read.
    The current directory is the executable's folder unless cwd is given."""

    def __init__(self, *args: str, exe: Path | None = None, env: dict | None = None,
                 cwd: Path | None = None, log: Path | None = None):
        self.exe = Path(exe or kavolt_path())
        self.log = log or scratch("kavolt", ".log")
        self.log.parent.mkdir(parents=True, exist_ok=True)
        self.proc = WineProcess(self.exe, args, env=wine_env(env, debug="warn+seh"),
                                cwd=cwd or self.exe.parent, stderr=self.log)

    def main_window(self, timeout: float = 15) -> dict:
        """The visible main window (waits for it); learns the process id from it."""
        def look():
            if not self.running:
                raise Gone(f"Kavolt ended with {self.proc.popen.returncode}: {self.log_tail()}")
            return find_window("KavoltMainWindow", pid=self.win_pid)
        window = wait_until(look, timeout, "Kavolt's main window")
        self.win_pid = window["pid"]
        return window

    def arrow_changes(self) -> list[str]:
        """The system-arrow changes Kavolt reported, in order: the full path of a cursor
        file, or "saved copy". Wine cuts long debug strings; a cut one ends in "..."."""
        changes = []
        for line in self.log.read_text(encoding="utf-8", errors="replace").splitlines():
            if match := _ARROW_LINE.search(line):
                text = _unescape_debugstr(match[1]).removesuffix("\n")
                changes.append(text + "..." if match[2] else text)
        return changes

    def log_tail(self, size: int = 600) -> str:
        return self.log.read_text(encoding="utf-8", errors="replace")[-size:]

    def stop(self, timeout: float = 15) -> None:
        """Closes the main window (kills if that does not end it), then waits until
        Kavolt's windows are gone."""
        window = find_window("KavoltMainWindow", pid=self.win_pid) if self.running else None
        if window is not None:
            self.win_pid = window["pid"]
        self._close([window["hwnd"]] if window else [], timeout)


def copy_kavolt(folder: Path, cursor: bool = True) -> Path:
    """A copy of the ready-to-zip program in folder, with or without its cursor folder."""
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy2(kavolt_path(), folder / "kavolt.exe")
    if cursor:
        shutil.copytree(kavolt_path().parent / "cursor", folder / "cursor", dirs_exist_ok=True)
    return folder / "kavolt.exe"


class Fixture(Program):
    """fixture.exe with the given options (see tests/tools/fixture.cpp). It logs its start
    to a file of its own, which gives its Windows process id."""

    def __init__(self, *args: str, env: dict | None = None, cwd: Path | None = None):
        self.log = scratch("fixture", ".jsonl")
        self.args = [str(a) for a in args]
        FIXTURE_CLASSES.update(b for a, b in zip(self.args, self.args[1:]) if a == "--class")
        self.titles = [b if a == "--title" else "" for a, b in zip(self.args, self.args[1:] + [""])
                       if a in ("--title", "--empty-title")]
        for attempt in (1, 2):
            self.proc = WineProcess(tool_path("fixture"), ["--log", winpath(self.log), *self.args],
                                    env=wine_env(env), cwd=cwd)
            try:
                self.win_pid = wait_until(self._logged_pid, 15, "the fixture to start",
                                          state=lambda: self.proc.errors()[-300:])
                break
            except Gone:
                # Now and then, under load, a Wine program ends with 1 before any of its
                # own code runs; once more, then it counts.
                if attempt == 2 or self.proc.popen.returncode != 1:
                    raise

    def _logged_pid(self) -> int | None:
        entries = self.log_entries()
        if not entries and not self.running:
            raise Gone(f"fixture ended with {self.proc.popen.returncode}: "
                       f"{self.proc.errors()[-300:]}")
        return entries[-1]["pid"] if entries else None

    def log_entries(self) -> list[dict]:
        if not self.log.exists():
            return []
        lines = self.log.read_text(encoding="utf-8").splitlines()
        return [json.loads(line) for line in lines if line]

    def window(self, title: str | None = None, timeout: float = 15) -> dict:
        """Its visible top-level window with that title (default: the first), waiting for it."""
        if title is None:
            title = self.titles[0] if self.titles else "Kavolt test target"
        return wait_until(lambda: next((w for w in self.windows()
                                        if w["title"] == title and w["owner"] == 0), None),
                          timeout, f"the fixture's window {title!r}")

    def stop(self, timeout: float = 15) -> None:
        """Closes its windows (WM_CLOSE; kills if it does not end), waits until they are gone."""
        running = self.running
        self._close([w["hwnd"] for w in self.windows(all=True) if running and w["owner"] == 0],
                    timeout)


def sweep_desktop(timeout: float = 15) -> None:
    """Ends every process that has a window of Kavolt or of a fixture, whoever started it
    (a fixture that Kavolt launched, say), so that the next test starts clean."""
    classes = set(KAVOLT_CLASSES) | FIXTURE_CLASSES

    def leftovers() -> list[dict]:
        return [w for w in windows(all=True) if w["class"] in classes]

    for pid in {w["pid"] for w in leftovers()}:
        inspector("kill", str(pid), check=False)
    wait_until(lambda: not leftovers(), timeout, "leftover Kavolt and fixture windows to go")
