"""Driver for Kavolt's end-to-end tests under Wine.

Everything runs in the rig's Wine desktop (scripts/wine-rig.sh): the build folder comes
from KAVOLT_BUILD_DIR (default <repo>/build/windows), the rig from KAVOLT_RIG_DIR
(default <build>/rig). Wine programs write to files, never to pipes we wait on: Wine's
helper processes can keep a pipe open long after the program has ended.
"""
from __future__ import annotations

import itertools
import json
import os
import re
import shlex
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path
from typing import Any, Callable, Iterable

REPO = Path(__file__).resolve().parents[2]
SCREEN = (1024, 768)
KAVOLT_CLASSES = ("KavoltMainWindow", "KavoltQuestionWindow", "KavoltGuideWindow")
FIXTURE_CLASSES = {"KavoltTestTarget", "KavoltTestPopup"}  # grows with --class
MESSAGE_BOX_CLASS = "#32770"


class E2EError(AssertionError):
    """A state the test waited for did not come, or a tool failed."""


class Gone(E2EError):
    """The program under test ended: waiting longer cannot help."""


# ---- Locations and environment ----------------------------------------------------

def build_dir() -> Path:
    return Path(os.environ.get("KAVOLT_BUILD_DIR") or REPO / "build" / "windows").resolve()


def rig_dir() -> Path:
    return Path(os.environ.get("KAVOLT_RIG_DIR") or build_dir() / "rig").resolve()


def tool_path(name: str) -> Path:
    return build_dir() / "tests" / "tools" / f"{name}.exe"


def kavolt_path() -> Path:
    return REPO / "dist" / "kavolt" / "kavolt.exe"


def screens_dir() -> Path:
    return build_dir() / "e2e-screens"


def winpath(path: Path | str) -> str:
    """The Windows name of a Linux path (Wine maps / to drive Z:)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


_rig_env: dict[str, str] | None = None


def rig_env() -> dict[str, str]:
    """The variables of RIGDIR/env (DISPLAY, WINEPREFIX, ...)."""
    global _rig_env
    if _rig_env is None:
        env_file = rig_dir() / "env"
        if not env_file.is_file():
            raise E2EError(f"no Wine rig is up in {rig_dir()}: run scripts/wine-rig.sh up {rig_dir()}")
        values = {}
        for line in env_file.read_text().splitlines():
            words = shlex.split(line)
            if len(words) == 2 and words[0] == "export" and "=" in words[1]:
                name, value = words[1].split("=", 1)
                values[name] = value
        _rig_env = values
    return dict(_rig_env)


def wine_env(extra: dict[str, str] | None = None, debug: str = "-all") -> dict[str, str]:
    env = dict(os.environ)
    env.update(rig_env())
    env["WINEDEBUG"] = debug
    env.update(extra or {})
    return env


_work = Path(tempfile.mkdtemp(prefix="kavolt-e2e-"))
_serial = itertools.count(1)


def _scratch(stem: str) -> Path:
    return _work / f"{stem}-{next(_serial)}"


# ---- Wine processes ------------------------------------------------------------------

_live: list["WineProcess"] = []


class WineProcess:
    """A Windows program started with `wine` in its own session, output to files."""

    def __init__(self, program: Path | str, args: Iterable[str] = (), *, env=None, cwd=None,
                 stdout: Path | None = None, stderr: Path | None = None):
        self.program = str(program)
        self.args = [str(a) for a in args]
        self.stdout_path = stdout or _scratch("out")
        self.stderr_path = stderr or _scratch("err")
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.popen = subprocess.Popen(["wine", self.program, *self.args], env=env, cwd=cwd,
                                          stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                          start_new_session=True)
        _live.append(self)

    @property
    def running(self) -> bool:
        return self.popen.poll() is None

    def wait(self, timeout: float) -> int | None:
        try:
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self) -> None:
        if self.running:
            try:
                os.killpg(self.popen.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.popen.wait(10)
        if self in _live:
            _live.remove(self)

    def output(self) -> str:
        return self.stdout_path.read_text(encoding="utf-8", errors="replace")

    def errors(self) -> str:
        return self.stderr_path.read_text(encoding="utf-8", errors="replace")


def run_wine(program: Path | str, *args: str, timeout: float = 30, env=None, cwd=None) -> tuple[int, str]:
    """Runs a program to its end; returns (exit code, stdout)."""
    proc = WineProcess(program, args, env=env or wine_env(), cwd=cwd)
    code = proc.wait(timeout)
    if code is None:
        proc.kill()
        raise E2EError(f"{Path(program).name} {' '.join(args)} did not end within {timeout} s")
    _live.remove(proc)
    out = proc.output()
    proc.stdout_path.unlink(missing_ok=True)
    proc.stderr_path.unlink(missing_ok=True)
    return code, out


def kill_all() -> None:
    """Kills every process the harness started and has not seen end."""
    for proc in list(_live):
        proc.kill()


# ---- Inspector -----------------------------------------------------------------------

def inspector(*args: str, timeout: float = 20, check: bool = True) -> str:
    code, out = run_wine(tool_path("inspector"), *args, timeout=timeout)
    if check and code != 0:
        raise E2EError(f"inspector {' '.join(args)} failed with {code}: {out.strip()}")
    return out


def windows(all: bool = False) -> list[dict]:
    out = inspector("list", *(["--all"] if all else []))
    return [json.loads(line) for line in out.splitlines() if line.strip()]


def find_windows(cls: str | None = None, title: str | None = None, pid: int | None = None,
                 among: list[dict] | None = None) -> list[dict]:
    found = windows() if among is None else among
    return [w for w in found
            if (cls is None or w["class"] == cls) and (title is None or w["title"] == title)
            and (pid is None or w["pid"] == pid)]


def find_window(cls: str | None = None, title: str | None = None, pid: int | None = None,
                among: list[dict] | None = None) -> dict | None:
    """The front-most visible top-level window that matches, or None."""
    found = find_windows(cls, title, pid, among)
    return found[0] if found else None


def wait_for_window(cls: str | None = None, title: str | None = None, pid: int | None = None,
                    timeout: float = 15) -> dict:
    what = f"a visible window (class={cls!r}, title={title!r}, pid={pid})"
    return wait_until(lambda: find_window(cls, title, pid), timeout, what)


def child(window: dict, cls: str | None = None, text: str | None = None, parent: int | None = None) -> dict:
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
    """Polls fn until it returns a truthy value, which it returns; fails after timeout
    with the last value fn returned and the state of the desktop (or of `state`)."""
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
        if not error and last:
            return last
        if time.monotonic() >= deadline:
            break
        time.sleep(interval)
    observed = state() if state else describe_desktop()
    cause = f"; last error: {error!r}" if error else f"; last value: {last!r}"
    raise E2EError(f"timed out after {timeout:g} s waiting for {what}{cause}; observed: {observed}")


# ---- Geometry ------------------------------------------------------------------------

def centre(rect: list[int]) -> tuple[int, int]:
    return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


def child_screen_rect(window: dict, control: dict) -> list[int]:
    """A child's rectangle in screen coordinates (children report client coordinates)."""
    x, y = window["client"][0], window["client"][1]
    r = control["rect"]
    return [r[0] + x, r[1] + y, r[2] + x, r[3] + y]


def child_centre(window: dict, control: dict) -> tuple[int, int]:
    return centre(child_screen_rect(window, control))


# ---- Input and screenshots (the desktop sits at the X root origin) -------------------

def xdotool(*args: str) -> None:
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
    """Keys in xdotool's names, e.g. key("alt+F4") or key("Return")."""
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


def safe_name(name: str) -> str:
    return re.sub(r"[^A-Za-z0-9._-]+", "_", name).strip("_") or "screen"


def screenshot(name: str, crop: list[int] | None = None) -> Path:
    """Saves the screen (or the [left, top, right, bottom] part) as <build>/e2e-screens/<name>.png."""
    screens_dir().mkdir(parents=True, exist_ok=True)
    path = screens_dir() / f"{safe_name(name)}.png"
    command = ["import", "-window", "root", "-display", rig_env()["DISPLAY"]]
    if crop:
        command += ["-crop", f"{crop[2] - crop[0]}x{crop[3] - crop[1]}+{crop[0]}+{crop[1]}", "+repage"]
    subprocess.run(command + [str(path)], check=True, timeout=30, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return path


class Pixels:
    """An RGB image grabbed from the screen."""

    def __init__(self, width: int, height: int, data: bytes):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        i = 3 * (y * self.width + x)
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def ink(self, threshold: int = 96) -> list[tuple[int, int]]:
        """The dark pixels: where text is drawn on a light background."""
        return [(x, y) for y in range(self.height) for x in range(self.width)
                if sum(self.pixel(x, y)) < 3 * threshold]


def grab(rect: list[int]) -> Pixels:
    """The pixels of a [left, top, right, bottom] screen rectangle."""
    w, h = rect[2] - rect[0], rect[3] - rect[1]
    out = subprocess.run(["import", "-window", "root", "-display", rig_env()["DISPLAY"], "-crop",
                          f"{w}x{h}+{rect[0]}+{rect[1]}", "+repage", "-depth", "8", "ppm:-"],
                         check=True, timeout=30, capture_output=True, stdin=subprocess.DEVNULL).stdout
    # Binary PPM: "P6", width, height, maxval, one whitespace, then the RGB bytes.
    fields = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", out)
    if not fields:
        raise E2EError("ImageMagick gave no PPM image")
    width, height = int(fields[1]), int(fields[2])
    return Pixels(width, height, out[fields.end():fields.end() + 3 * width * height])


# ---- Watching for a window that must (not) appear ------------------------------------

class Watch:
    """Polls in the inspector, every millisecond, for a visible window of the classes and
    keeps the state in which it was first seen. Use as a context manager."""

    def __init__(self, *classes: str, timeout: float = 60):
        self.event = f"KavoltE2EWatch.{os.getpid()}.{next(_serial)}"
        self.proc = WineProcess(tool_path("inspector"),
                                ["watch", str(int(timeout * 1000)), self.event, *classes],
                                env=wine_env())
        wait_until(lambda: '"ready"' in self.proc.output() or not self.proc.running, 15,
                   "the inspector's watch to start")
        if not self.proc.running and '"ready"' not in self.proc.output():
            raise E2EError(f"inspector watch did not start: {self.proc.errors()[-500:]}")

    def _seen(self) -> dict | None:
        lines = [line for line in self.proc.output().splitlines() if line.startswith('{"hwnd"')]
        return json.loads(lines[0]) if lines else None

    def first(self, timeout: float = 15) -> dict:
        """The window's state when first seen visible; waits for it."""
        return wait_until(self._seen, timeout, "a watched window to appear")

    def stop(self) -> dict | None:
        """Ends the watch; the window seen, or None."""
        if self.proc.running:
            inspector("signal", self.event)
            if self.proc.wait(10) is None:
                self.proc.kill()
        if self.proc in _live:
            _live.remove(self.proc)
        return self._seen()

    def __enter__(self) -> "Watch":
        return self

    def __exit__(self, *exc) -> None:
        self.stop()


# ---- The programs under test ---------------------------------------------------------

_ARROW_LINE = re.compile(r':seh:OutputDebugStringA "kavolt: system arrow <- (.*)"(\.\.\.)?$')
_ESCAPE = re.compile(r"\\(x[0-9a-fA-F]{2}|.)")
ANSI_CODE_PAGE = "cp1252"  # Wine's ANSI code page for an English (or C) locale


def _unescape_debugstr(text: str) -> str:
    """Undoes Wine's debugstr_a quoting (\\n, \\", \\\\, \\xNN for other bytes)."""
    simple = {"n": "\n", "r": "\r", "t": "\t"}

    def one(match: re.Match) -> str:
        code = match[1]
        if code.startswith("x") and len(code) == 3:
            return bytes([int(code[1:], 16)]).decode(ANSI_CODE_PAGE, errors="replace")
        return simple.get(code, code)

    return _ESCAPE.sub(one, text)


class Program:
    """What Kavolt and the fixture share: a Wine process and the windows of its pid."""

    win_pid: int | None = None
    proc: WineProcess

    @property
    def running(self) -> bool:
        return self.proc.running

    def exit_code(self, timeout: float = 15) -> int:
        code = self.proc.wait(timeout)
        if code is None:
            raise E2EError(f"{Path(self.proc.program).name} still runs after {timeout} s; "
                           f"desktop: {describe_desktop()}")
        if self.proc in _live:
            _live.remove(self.proc)
        return code

    def windows(self, all: bool = False) -> list[dict]:
        if self.win_pid is None:
            raise E2EError("the program's Windows process id is not known yet")
        return [w for w in windows(all) if w["pid"] == self.win_pid]

    def kill(self) -> None:
        self.proc.kill()
        self._wait_windows_gone()

    def _wait_windows_gone(self) -> None:
        if self.win_pid is not None:
            wait_until(lambda: not self.windows(all=True), 15,
                       f"the windows of process {self.win_pid} to go")


class Kavolt(Program):
    """kavolt.exe in the rig's desktop, with WINEDEBUG=warn+seh and stderr in a log, so
    that its debug output (the system-arrow changes) can be read."""

    def __init__(self, *args: str, exe: Path | None = None, env: dict | None = None,
                 cwd: Path | None = None, log: Path | None = None):
        self.exe = Path(exe or kavolt_path())
        self.log = log or _scratch("kavolt").with_suffix(".log")
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
        file, or "saved copy". Wine cuts long debug strings; those end in "..."."""
        changes = []
        for line in self.log.read_text(encoding="utf-8", errors="replace").splitlines():
            match = _ARROW_LINE.search(line)
            if match:
                text = _unescape_debugstr(match[1]).removesuffix("\n")
                changes.append(text + "..." if match[2] else text)
        return changes

    def log_tail(self, size: int = 600) -> str:
        return self.log.read_text(encoding="utf-8", errors="replace")[-size:]

    def stop(self, timeout: float = 15) -> None:
        """Closes the main window (or kills), then waits until its windows are gone."""
        if self.running:
            window = find_window("KavoltMainWindow", pid=self.win_pid)
            if window is not None:
                self.win_pid = window["pid"]
                inspector("close", str(window["hwnd"]), check=False)
            if self.proc.wait(timeout) is None:
                self.proc.kill()
        if self.proc in _live:
            _live.remove(self.proc)
        self._wait_windows_gone()


def copy_kavolt(folder: Path, cursor: bool = True) -> Path:
    """A copy of the ready-to-zip program in folder, with or without its cursor folder."""
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy2(kavolt_path(), folder / "kavolt.exe")
    if cursor:
        shutil.copytree(kavolt_path().parent / "cursor", folder / "cursor", dirs_exist_ok=True)
    return folder / "kavolt.exe"


class Fixture(Program):
    """fixture.exe with the given options (see tests/tools/fixture.cpp); it logs its
    starts to its own file, which gives its Windows process id."""

    def __init__(self, *args: str, env: dict | None = None, cwd: Path | None = None,
                 log: Path | None = None):
        self.log = log or _scratch("fixture").with_suffix(".jsonl")
        self.args = [str(a) for a in args]
        for i, arg in enumerate(self.args[:-1]):
            if arg == "--class":
                FIXTURE_CLASSES.add(self.args[i + 1])
        self.titles = [self.args[i + 1] if a == "--title" else ""
                       for i, a in enumerate(self.args)
                       if a == "--empty-title" or (a == "--title" and i + 1 < len(self.args))]
        self.proc = WineProcess(tool_path("fixture"), ["--log", winpath(self.log), *self.args],
                                env=wine_env(env), cwd=cwd)
        self.win_pid = wait_until(self._logged_pid, 15, "the fixture to start",
                                  state=lambda: f"log: {self.log_entries()}; {self.proc.errors()[-300:]}")

    def _logged_pid(self) -> int | None:
        if not self.running and not self.log_entries():
            raise Gone(f"fixture ended with {self.proc.popen.returncode}: {self.proc.errors()[-300:]}")
        entries = self.log_entries()
        return entries[-1]["pid"] if entries else None

    def log_entries(self) -> list[dict]:
        if not self.log.exists():
            return []
        return [json.loads(line) for line in self.log.read_text(encoding="utf-8").splitlines() if line]

    def window(self, title: str | None = None, timeout: float = 15) -> dict:
        """The fixture's visible window with that title (default: its first), waiting for it."""
        if title is not None:
            wanted = title
        else:
            wanted = self.titles[0] if self.titles else "Kavolt test target"
        return wait_until(lambda: next((w for w in self.windows()
                                        if w["title"] == wanted and w["owner"] == 0), None),
                          timeout, f"the fixture's window {wanted!r}")

    def stop(self, timeout: float = 15) -> None:
        """Closes its windows (WM_CLOSE), or kills it; waits until they are gone."""
        if self.running:
            for w in self.windows(all=True):
                if w["owner"] == 0:
                    inspector("close", str(w["hwnd"]), check=False)
            if self.proc.wait(timeout) is None:
                self.proc.kill()
        if self.proc in _live:
            _live.remove(self.proc)
        self._wait_windows_gone()


def sweep_desktop(timeout: float = 15) -> None:
    """Ends every process that shows a window of Kavolt or of a fixture, whoever started
    it (e.g. a fixture that Kavolt launched), so that the next test starts clean."""
    classes = set(KAVOLT_CLASSES) | FIXTURE_CLASSES

    def leftovers() -> list[dict]:
        return [w for w in windows(all=True) if w["class"] in classes]

    for pid in {w["pid"] for w in leftovers()}:
        inspector("kill", str(pid), check=False)
    wait_until(lambda: not leftovers(), timeout, "leftover Kavolt and fixture windows to go")
