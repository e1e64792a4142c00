"""The Wine rig as the end-to-end tests see it: where the build and the rig are, the
rig's environment, and Windows programs run with `wine` (output to files, never to pipes
we wait on: Wine's helper processes can keep a pipe open after the program has ended).

The build folder comes from KAVOLT_BUILD_DIR (default <repo>/build/windows), the rig from
KAVOLT_RIG_DIR (default <build>/rig).
"""
from __future__ import annotations

import atexit
import itertools
import os
import shlex
import shutil
import signal
import subprocess
import tempfile
from pathlib import Path
from typing import Iterable

REPO = Path(__file__).resolve().parents[2]


class E2EError(AssertionError):
    """A state the test waited for did not come, or a tool failed."""


class Gone(E2EError):
    """The program under test ended: waiting longer cannot help."""


# ---- Locations and environment -------------------------------------------------------

def build_dir() -> Path:
    return Path(os.environ.get("KAVOLT_BUILD_DIR") or REPO / "build" / "windows").resolve()


def rig_dir() -> Path:
    return Path(os.environ.get("KAVOLT_RIG_DIR") or build_dir() / "rig").resolve()


def tool_path(name: str) -> Path:
    return build_dir() / "tests" / "tools" / f"{name}.exe"


def kavolt_path() -> Path:
    return REPO / "dist" / "kavolt" / "kavolt.exe"


def winpath(path: Path | str) -> str:
    """The Windows name of a Linux path (Wine maps / to drive Z:)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


_rig_env: dict[str, str] = {}


def rig_env() -> dict[str, str]:
    """The variables of RIGDIR/env (DISPLAY, WINEPREFIX, ...)."""
    if not _rig_env:
        env_file = rig_dir() / "env"
        if not env_file.is_file():
            raise E2EError(f"no Wine rig is up in {rig_dir()}: "
                           f"run scripts/wine-rig.sh up {rig_dir()}")
        for line in env_file.read_text().splitlines():
            words = shlex.split(line)
            if len(words) == 2 and words[0] == "export" and "=" in words[1]:
                name, value = words[1].split("=", 1)
                _rig_env[name] = value
    return dict(_rig_env)


def wine_env(extra: dict[str, str] | None = None, debug: str = "-all") -> dict[str, str]:
    return {**os.environ, **rig_env(), "WINEDEBUG": debug, **(extra or {})}


_work = Path(tempfile.mkdtemp(prefix="kavolt-e2e-"))
_serial = itertools.count(1)
atexit.register(shutil.rmtree, _work, True)


def scratch(stem: str, suffix: str = "") -> Path:
    return _work / f"{stem}-{next(_serial)}{suffix}"


# ---- Wine processes ------------------------------------------------------------------

_live: list[WineProcess] = []


class WineProcess:
    """A Windows program started with `wine` in its own session, output to files."""

    def __init__(self, program: Path | str, args: Iterable[str] = (), *, env=None, cwd=None,
                 stdout: Path | None = None, stderr: Path | None = None):
        self.program = str(program)
        self.stdout_path = stdout or scratch("out")
        self.stderr_path = stderr or scratch("err")
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.popen = subprocess.Popen(["wine", self.program, *map(str, args)], env=env,
                                          cwd=cwd, stdin=subprocess.DEVNULL, stdout=out,
                                          stderr=err, start_new_session=True)
        _live.append(self)

    @property
    def running(self) -> bool:
        return self.popen.poll() is None

    def wait(self, timeout: float) -> int | None:
        """The exit code, or None if still running after timeout."""
        try:
            code = self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            return None
        if self in _live:
            _live.remove(self)
        return code

    def kill(self) -> None:
        if self.running:
            try:
                os.killpg(self.popen.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.wait(10)

    def output(self) -> str:
        return self.stdout_path.read_text(encoding="utf-8", errors="replace")

    def errors(self) -> str:
        return self.stderr_path.read_text(encoding="utf-8", errors="replace")


def run_wine(program: Path | str, *args: str, timeout: float = 30, env=None,
             cwd=None) -> tuple[int, str]:
    """Runs a program to its end; returns (exit code, stdout)."""
    proc = WineProcess(program, args, env=env or wine_env(), cwd=cwd)
    code = proc.wait(timeout)
    if code is None:
        proc.kill()
        raise E2EError(f"{Path(program).name} {' '.join(args)} did not end within {timeout} s")
    out = proc.output()
    proc.stdout_path.unlink(missing_ok=True)
    proc.stderr_path.unlink(missing_ok=True)
    return code, out


def kill_all() -> None:
    """Kills every process the harness started and has not seen end."""
    for proc in list(_live):
        proc.kill()
