"""Fixtures of the end-to-end tests: every test starts on a clean desktop, starts Kavolt
and fixture programs through factories, and leaves a screenshot of its end (on failure
too) in <build>/e2e-screens/<test name>.png. Whatever a test started is killed after it."""
import shutil
from pathlib import Path

import pytest

import harness as h


@pytest.fixture(scope="session")
def rig_env() -> dict:
    env = h.rig_env()
    for program in (h.kavolt_path(), h.tool_path("inspector"), h.tool_path("fixture")):
        if not program.is_file():
            pytest.fail(f"{program} is missing: build first (cmake --build --preset windows)")
    return env


@pytest.fixture(autouse=True)
def clean_desktop(rig_env):
    h.kill_all()
    h.sweep_desktop()
    h.move(*h.PARKED_POINTER)
    yield
    h.kill_all()
    h.sweep_desktop()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    # Taken at the end of the test body, before teardown clears the desktop.
    report = (yield).get_result()
    if report.when == "call" or (report.when == "setup" and report.failed):
        try:
            h.screenshot(item.name)
        except Exception as error:  # a missing rig must not hide the test's own failure
            report.sections.append(("screenshot", f"no screenshot: {error}"))


@pytest.fixture
def logs(request) -> Path:
    """<build>/e2e-logs/<test name>/, empty at the start of the test."""
    folder = h.build_dir() / "e2e-logs" / h.safe_name(request.node.name)
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    return folder


@pytest.fixture
def kavolt(logs):
    """kavolt(*args, exe=None, env=None, cwd=None) starts a Kavolt; its log is kept."""
    count = 0

    def start(*args: str, **options) -> h.Kavolt:
        nonlocal count
        count += 1
        options.setdefault("log", logs / f"kavolt-{count}.log")
        return h.Kavolt(*args, **options)

    return start


@pytest.fixture
def fixture_windows():
    """fixture_windows(*fixture options, env=None, cwd=None) starts fixture.exe and
    waits until it runs, e.g. fixture_windows("--title", "A", "--title", "B")."""
    return h.Fixture
