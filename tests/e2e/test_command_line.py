"""Command-line mode end to end under Wine: started with items, Kavolt starts each one in
order (a program directly, a document through the program registered for its type),
resolves relative items against its own folder, pins each started program's window, and
ends with exit code 0 without ever showing a window of its own. Items that cannot start
change nothing, and a second start while Kavolt runs launches nothing."""
from __future__ import annotations

import json
import shutil
from pathlib import Path
from typing import Iterator

import pytest

import harness as h

# Wine's HKEY_CLASSES_ROOT (HKCU is not merged in), and where the person's choices are.
CLASSES_KEY = r"HKEY_LOCAL_MACHINE\Software\Classes"
CHOICES_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts"
# Message boxes and Wine's crash dialog are #32770 too.
NO_WINDOW_CLASSES = (*h.KAVOLT_CLASSES, "#32770")
RUN_TIMEOUT = 120  # every item may wait for a window; two cores shared with other tests
PROGRAM_FILES_APP = "Kavolt E2E"


class App:
    """A folder of Kavolt's own, "Kavolt App" (a space and capitals, so that the paths
    Kavolt builds are quoted and show their case), holding kavolt.exe, fixture.exe and
    the documents; a caller folder with a decoy fixture.exe, used as Kavolt's current
    directory; and the log that every started fixture appends to."""

    def __init__(self, root: Path):
        self.dir = root / "Kavolt App"
        self.exe = h.copy_kavolt(self.dir)
        self.fixture = self.dir / "fixture.exe"
        shutil.copy2(h.tool_path("fixture"), self.fixture)
        (self.dir / "日本語").mkdir()
        shutil.copy2(h.tool_path("fixture"), self.dir / "日本語" / "fixture.exe")
        # Plan.KVT and plan.kvt are two files: a Unix folder is case-sensitive.
        for name in ("A Doc.kvt", "Other.KVT", "Plan.KVT", "plan.kvt", "notes.kvx",
                     r"日本語/資料.kvt", "p.kvp", "pu.kvq", "u.kvu", "w.kvw", "b.kvb", "z.kvz",
                     "c.kvc", "l.kvl", "d.kvd"):
            (self.dir / name).write_text("a document\n", encoding="utf-8")
        # Outside the spaced folder, where only its "&" calls for quotes.
        self.special = root / "docs" / "a&b.kvt"
        self.special.parent.mkdir()
        self.special.write_text("a document\n", encoding="utf-8")
        # Programs renamed to look like documents, or without a type: never started.
        # ".exe": what an empty item ("" or two blanks, naming Kavolt's folder) would start
        # if ".exe" were added to it.
        # "Readme" and the folder "setup" are themselves, not the programs beside them.
        for name in ("Invoice.zzq", "Invoice", ".exe", "Readme.exe", "setup.exe"):
            shutil.copy2(h.tool_path("fixture"), self.dir / name)
        (self.dir / "Readme").write_text("a document\n", encoding="utf-8")
        (self.dir / "setup").mkdir()
        # Decoys where a careless launch would look: "<root>\Kavolt.exe" for the unquoted
        # "<root>\Kavolt App\...", and a bare name beside kavolt.exe and in the caller's
        # folder; the real bare-named program lies in a folder on PATH.
        shutil.copy2(h.tool_path("fixture"), root / "Kavolt.exe")
        shutil.copy2(h.tool_path("fixture"), self.dir / "kvbare.exe")
        self.bin = root / "bin"
        self.bin.mkdir()
        shutil.copy2(h.tool_path("fixture"), self.bin / "kvbare.exe")
        self.caller = root / "caller"
        self.caller.mkdir()
        shutil.copy2(h.tool_path("fixture"), self.caller / "fixture.exe")
        self.log = root / "launched.jsonl"
        # The registered program of .kvt: the fixture opens a window titled with the
        # document it is given.
        self.viewer = f'"{h.winpath(self.fixture)}"'
        self.env = {"KAVOLT_FIXTURE_LOG": h.winpath(self.log), "WINEPATH": h.winpath(self.bin)}

    def path(self, relative: str) -> str:
        """The path Kavolt builds for an item, in the user's case, quoted when it has a
        space: the whole command line of a program item."""
        path = f"{h.winpath(self.dir)}\\{relative}"
        return f'"{path}"' if " " in path else path

    def document(self, relative: str, program: str | None = None, before: str = "",
                 after: str = "") -> str:
        """The command line of a document: the program (the viewer of .kvt), the
        registered switches and the document's path, quoted."""
        return f"{program or self.viewer}{before} {self.path(relative)}{after}"

    def launches(self) -> list[dict]:
        if not self.log.exists():
            return []
        return [json.loads(line) for line in self.log.read_text(encoding="utf-8").splitlines()]


def reg(*args: str, check: bool = True) -> None:
    code, out = h.run_wine("reg", *args, timeout=60)
    # Ended before running, as a Wine program now and then does, or was not found by
    # Wine's loader for a moment ("Application could not be started").
    if code == 1 and (not out or "could not be started" in out):
        code, out = h.run_wine("reg", *args, timeout=60)
    if check and code != 0:
        raise h.E2EError(f"reg {' '.join(args)} failed with {code}: {out.strip()}")


def reg_import(folder: Path, sections: list[str]) -> None:
    """Imports .reg sections ("[key]" and its values, or "[-key]" to delete it) at once."""
    file = folder / "kavolt-e2e.reg"
    text = "Windows Registry Editor Version 5.00\r\n\r\n" + "\r\n\r\n".join(sections) + "\r\n"
    file.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))  # regedit's own form, for any text
    reg("import", h.winpath(file))


def expandable(text: str) -> str:
    """A REG_EXPAND_SZ value as a .reg file writes it."""
    return "hex(2):" + ",".join(f"{b:02x}" for b in (text + "\0").encode("utf-16-le"))


@pytest.fixture
def app(tmp_path) -> Iterator[App]:
    """App with the test types registered, .kvt to the fixture ("fixture" "%1"), and the
    person's choice of program for .kvc and .kvl; all of it removed after the test, on
    failure too."""
    folder = App(tmp_path)
    fixture = h.winpath(folder.fixture)
    types = {
        ".kvt": ("Kavolt.E2E.Viewed", f'{folder.viewer} "%1"'),
        # Spaced once expanded, with "C:\Program.exe" lying in wait.
        ".kvp": ("Kavolt.E2E.ProgramFiles", rf'%ProgramFiles%\{PROGRAM_FILES_APP}\fixture.exe "%1"'),
        ".kvq": ("Kavolt.E2E.ProgramFilesBare", rf'C:\Program Files\{PROGRAM_FILES_APP}\fixture.exe %1'),
        ".kvu": ("Kavolt.E2E.Unquoted", f"{fixture} %1 /s"),
        ".kvw": ("Kavolt.E2E.Switches", f'"{fixture}" /open --mode=view "%1"'),
        ".kvb": ("Kavolt.E2E.Bare", 'kvbare.exe "%1"'),
        ".kvz": ("Kavolt.E2E.Placeholders", f'{folder.viewer} /a %0 /b "%V" /c %I'),
        # The person chose Kavolt.E2E.Chosen for .kvc.
        ".kvc": ("Kavolt.E2E.Unchosen", f'{folder.viewer} /unchosen "%1"'),
        # Windows 11 24H2's newer choice, beside the older one it replaced.
        ".kvl": ("Kavolt.E2E.Unchosen", f'{folder.viewer} /unchosen "%1"'),
        # A verb that a COM object carries out, with a command Kavolt would refuse.
        ".kvd": ("Kavolt.E2E.Delegate", f'{folder.viewer} ""%1""'),
    }
    classes = {name: command for name, command in types.values()}
    classes["Kavolt.E2E.Chosen"] = f'{folder.viewer} /chosen "%1"'
    program_files = h.rig_dir() / "prefix" / "drive_c" / "Program Files" / PROGRAM_FILES_APP
    program_files.mkdir(parents=True, exist_ok=True)
    shutil.copy2(h.tool_path("fixture"), program_files / "fixture.exe")
    decoy = h.rig_dir() / "prefix" / "drive_c" / "Program.exe"
    shutil.copy2(h.tool_path("fixture"), decoy)
    keys = [rf"{CLASSES_KEY}\{key}" for key in [*types, *classes]] + [
        rf"{CHOICES_KEY}\{extension}" for extension in (".kvc", ".kvl")]
    try:
        reg_import(tmp_path, [
            *(f'[{CLASSES_KEY}\\{extension}]\r\n@="{name}"' for extension, (name, _) in types.items()),
            *(f"[{CLASSES_KEY}\\{name}\\shell\\open\\command]\r\n@={expandable(command)}"
              for name, command in classes.items()),
            f'[{CLASSES_KEY}\\Kavolt.E2E.Delegate\\shell\\open\\command]\r\n'
            f'"DelegateExecute"="{{2A2A2A2A-0000-4000-8000-2A2A2A2A2A2A}}"',
            f'[{CHOICES_KEY}\\.kvc\\UserChoice]\r\n"ProgId"="Kavolt.E2E.Chosen"',
            f'[{CHOICES_KEY}\\.kvl\\UserChoice]\r\n"ProgId"="Kavolt.E2E.Unchosen"',
            f'[{CHOICES_KEY}\\.kvl\\UserChoiceLatest\\ProgId]\r\n"ProgId"="Kavolt.E2E.Chosen"',
        ])
        yield folder
    finally:
        reg_import(tmp_path, [f"[-{key}]" for key in keys])
        shutil.rmtree(program_files, ignore_errors=True)
        decoy.unlink(missing_ok=True)


@pytest.fixture
def bystander(fixture_windows) -> dict:
    """A window of another program, in the foreground when Kavolt starts: Kavolt must
    never pin it, whatever happens to its own items."""
    other = fixture_windows("--title", "Bystander", "--pos", "620", "420")
    window = other.window()
    h.inspector("activate", str(window["hwnd"]), check=False)
    h.wait_until(lambda: h.find_window(title="Bystander", pid=other.win_pid)["foreground"], 15,
                 "the bystander in the foreground")
    return window


def run_raw(app: App, text: str, env: dict) -> int:
    """Runs Kavolt from the caller folder with exactly this argument text, through a batch
    file (wine would quote an argument holding blanks or quotes); its exit code."""
    assert text.isascii() and not set(text) & set("%^&|<>"), "cmd would change this text"
    batch = app.caller / "start.bat"
    batch.write_bytes(f'@"{h.winpath(app.exe)}" {text}\r\n@exit /b %errorlevel%\r\n'.encode())
    proc = h.WineProcess("cmd", ["/c", h.winpath(batch)], env=h.wine_env(env), cwd=app.caller)
    code = proc.wait(RUN_TIMEOUT)
    if code is None:
        proc.kill()
        raise h.E2EError(f"Kavolt {text!r} still runs after {RUN_TIMEOUT} s: "
                         f"{h.describe_desktop()}")
    return code


def run(app: App, kavolt, args, fixture_options: str = "") -> int:
    """Runs the copy in app from the caller folder, with separate arguments (a list, or a
    function of app giving one) or exactly that argument text; its exit code.
    fixture_options reach every fixture it starts (KAVOLT_FIXTURE_OPTIONS)."""
    env = app.env | {"KAVOLT_FIXTURE_OPTIONS": fixture_options}
    if callable(args):
        args = args(app)
    if isinstance(args, str):
        return run_raw(app, args, env)
    return kavolt(*args, exe=app.exe, cwd=app.caller, env=env).exit_code(RUN_TIMEOUT)


def run_without_window(start) -> int:
    """Runs start() (which returns Kavolt's exit code) while watching that no window of
    Kavolt, no message box and no crash dialog ever shows."""
    with h.Watch(*NO_WINDOW_CLASSES, timeout=RUN_TIMEOUT + 60) as watch:
        code = start()
        watching = watch.proc.running  # still watching: nothing of the run was missed
        seen = watch.stop()
    assert seen is None, f"a window appeared: {h.describe(seen)}"
    assert watching, "the watch ended before Kavolt did"
    return code


def pinned_fixtures() -> dict[int, list[str]]:
    """The fixture windows that are topmost, by process id: their titles."""
    pinned: dict[int, list[str]] = {}
    for w in h.windows():
        if w["class"] in h.FIXTURE_CLASSES and w["topmost"]:
            pinned.setdefault(w["pid"], []).append(w["title"])
    return pinned


def assert_launched(app: App, expected: list[tuple[str, bool]], bystander: dict) -> None:
    """The fixtures started are exactly the expected command lines, in order, each in
    Kavolt's folder; those that show a window (the flag) have it pinned, and no other
    fixture window (the bystander's above all) is topmost."""
    launches = app.launches()
    assert [e["command_line"] for e in launches] == [line for line, _ in expected]
    for entry in launches:
        assert entry["cwd"].lower() == h.winpath(app.dir).lower(), entry
    with_window = {e["pid"] for e, (_, shows) in zip(launches, expected) if shows}

    def settled():
        pinned = pinned_fixtures()
        return (pinned,) if set(pinned) == with_window else None
    (pinned,) = h.wait_until(settled, 15, f"exactly the windows of {sorted(with_window)} pinned",
                          state=lambda: f"pinned: {pinned_fixtures()}; {h.describe_desktop()}")
    assert bystander["pid"] not in pinned
    for entry in launches:
        if entry["pid"] not in with_window:
            assert not h.find_windows(pid=entry["pid"], among=h.windows(all=True))


def test_items_start_in_order_and_each_window_is_pinned(app, kavolt, bystander):
    args = ["fixture.exe", "A Doc.kvt", "Other.KVT"]
    assert run_without_window(lambda: run(app, kavolt, args)) == 0
    # Relative items from Kavolt's folder, not from the caller's (which has a decoy).
    assert_launched(app, [(app.path("fixture.exe"), True),
                          (app.document("A Doc.kvt"), True),
                          (app.document("Other.KVT"), True)], bystander)
    first, doc, other = app.launches()
    assert first["argv"] == []
    # The document's path, in the user's case, reaches the registered program as one
    # argument.
    assert doc["argv"] == [app.path("A Doc.kvt").strip('"')]
    assert other["argv"] == [app.path("Other.KVT").strip('"')]
    titles = pinned_fixtures()
    assert titles[doc["pid"]] == doc["argv"] and titles[other["pid"]] == other["argv"]


LONG_ITEM = "sub\\..\\" + "a" * (32_000 - len("sub\\..\\") - len(" fixture.exe"))

# id, the arguments (a list, or a function of App giving one: as separate arguments; a
# text: exactly that argument text), the launches expected: (command line built from
# App, whether it shows a window), and options for the started fixtures.
ITEMS = [
    ("not found", ["missing.exe"], lambda a: [], ""),
    ("unregistered type", ["notes.kvx"], lambda a: [], ""),
    ("empty item", "fixture.exe  Other.KVT",
     lambda a: [(a.path("fixture.exe"), True), (a.document("Other.KVT"), True)], ""),
    ("empty quotes", ['', "fixture.exe"], lambda a: [(a.path("fixture.exe"), True)], ""),
    ("lone quote", '"', lambda a: [], ""),
    ("lone quote last", 'fixture.exe "', lambda a: [(a.path("fixture.exe"), True)], ""),
    # Unresolvable: never looked for on PATH (nor beside Kavolt, where a decoy lies).
    ("unclosed quote", '"kvbare.exe', lambda a: [], ""),
    ("32000 characters", [LONG_ITEM, "fixture.exe"],
     lambda a: [(a.path("fixture.exe"), True)], ""),
    ("non-ASCII", ["日本語\\fixture.exe", "日本語\\資料.kvt"],
     lambda a: [(a.path("日本語\\fixture.exe"), True), (a.document("日本語\\資料.kvt"), True)],
     ""),
    # A program that ends at once has no window to pin, and the foreground window (the
    # bystander's) existed before it started.
    ("exits at once", ["fixture.exe"], lambda a: [(a.path("fixture.exe"), False)],
     "--exit-at-once"),
    # Registered programs start by their full path, never a decoy in their place, and
    # keep their own switches.
    ("expanded and spaced", ["p.kvp"],
     lambda a: [(a.document("p.kvp", rf'"C:\Program Files\{PROGRAM_FILES_APP}\fixture.exe"'),
                 True)], ""),
    ("spaced under Program Files", ["pu.kvq"],
     lambda a: [(a.document("pu.kvq", rf'"C:\Program Files\{PROGRAM_FILES_APP}\fixture.exe"'),
                 True)], ""),
    ("spaced in Kavolt's folder", ["u.kvu"],
     lambda a: [(a.document("u.kvu", after=" /s"), True)], ""),
    ("switches before the document", ["w.kvw"],
     lambda a: [(a.document("w.kvw", before=" /open --mode=view"), True)], ""),
    ("bare name from PATH", ["b.kvb"],
     lambda a: [(a.document("b.kvb", f'"{h.winpath(a.bin)}\\kvbare.exe"'), True)], ""),
    ("cmd.exe specials", lambda a: [h.winpath(a.special)],
     lambda a: [(f'{a.viewer} "{h.winpath(a.special)}"', True)], ""),
    # Only programs run as themselves: a name without a type means "<name>.exe".
    ("renamed programs", ["Invoice.zzq", "Invoice", "fixture"],
     lambda a: [(a.path("fixture.exe"), True)], ""),
    ("beside a program of the same name", ["Readme", "setup"], lambda a: [], ""),
    # The user's case reaches the program, not another file's.
    ("case kept", ["Plan.KVT"], lambda a: [(a.document("Plan.KVT"), True)], ""),
    # Each placeholder filled with the document or dropped, and no second copy appended.
    ("every placeholder", ["z.kvz"],
     lambda a: [(f"{a.viewer} /a {a.path('z.kvz')} /b {a.path('z.kvz')} /c ", True)], ""),
    # The person's choice of program, not the type's registration.
    ("the person's choice", ["c.kvc"], lambda a: [(a.document("c.kvc", before=" /chosen"), True)],
     ""),
    ("the person's choice, 24H2", ["l.kvl"],
     lambda a: [(a.document("l.kvl", before=" /chosen"), True)], ""),
    # The shell's to start (Wine runs the command, where Windows would call the object).
    ("a verb the shell starts", ["d.kvd"],
     lambda a: [(f'{a.viewer} ""{a.path("d.kvd").strip(chr(34))}""', True)], ""),
    # A stub that starts the program and ends: the program's new window is pinned.
    ("handed over", ["fixture.exe"],
     lambda a: [(a.path("fixture.exe"), False), (a.path("fixture.exe"), True)], "--hand-over"),
    # Ready for input long before its window shows: still pinned once it does.
    ("window shows late", ["fixture.exe"], lambda a: [(a.path("fixture.exe"), True)],
     "--show-after 3000"),
    # A framework's main window, owned by its hidden application window.
    ("owned by a hidden window", ["fixture.exe"], lambda a: [(a.path("fixture.exe"), True)],
     "--hidden-owner"),
]


@pytest.mark.parametrize("args, expected, fixture_options", [case[1:] for case in ITEMS],
                         ids=[case[0] for case in ITEMS])
def test_awkward_items_show_nothing_and_launch_only_what_can_start(app, kavolt, bystander,
                                                                    args, expected,
                                                                    fixture_options):
    assert run_without_window(lambda: run(app, kavolt, args, fixture_options)) == 0
    assert_launched(app, expected(app), bystander)


# Wine's own programs, for windows that no fixture stands in for: the started window's
# class.
SYSTEM_PROGRAMS = {
    # The console's window belongs to Wine's console host, not to cmd.exe.
    "console program": (r"C:\windows\system32\cmd.exe", "WineConsoleClass"),
    # Waits for the console host it started, never ready for input and without a window.
    "a launcher that waits": (r"C:\windows\system32\wineconsole.exe", "WineConsoleClass"),
    # Its views' tooltip, owned by the main window, takes the main window's place at the
    # end of the topmost band when nothing else is in it.
    "owns a tooltip": (r"C:\windows\regedit.exe", "RegEdit_RegEdit"),
}


@pytest.mark.parametrize("program, window_class", SYSTEM_PROGRAMS.values(), ids=SYSTEM_PROGRAMS)
def test_system_programs_window_is_pinned(app, kavolt, program, window_class):
    def started() -> list[dict]:
        return [w for w in h.windows() if w["class"] == window_class]

    assert not started()
    try:
        assert run(app, kavolt, program) == 0  # from cmd, whose console Wine lends Kavolt
        h.wait_until(lambda: any(w["topmost"] for w in started()), 10,
                     f"the {window_class} window pinned")
    finally:
        for window in started():
            h.inspector("close", str(window["hwnd"]), check=False)
        h.wait_until(lambda: not started(), 15, f"the {window_class} window to close")


# The started fixture's options; a program already running (its options), in the
# foreground, or none: then nothing is active, as after logon; what happens once the
# fixture has started; the windows that then come up, by title: whether Kavolt pins each.
LAUNCHES = {
    # The first launch after the desktop starts: the desktop's own window is the foreground.
    "from an empty desktop": ("", None, None, {"Kavolt test target": True}),
    # Shows its window, then loads its document without handling messages for a while.
    "busy after it shows": ("--busy-after-show 1500", None, None, {"Kavolt test target": True}),
    # The person types in a program that was running, and it opens a window.
    "a key in a running editor": ("--exit-at-once", ["--title", "Editor", "--key-opens-window"],
                                  lambda: h.key("a"), {"Editor opened": False}),
    # Another program opens a window after the started one has long ended.
    "another program, later": ("--exit-at-once", None,
                               lambda: h.Fixture("--title", "Late", "--show-after", "6000"),
                               {"Late": False}),
    # While a slow program starts, a program that was running brings up a window of its own.
    "a slow program, another's window meanwhile": (
        "--show-after 3000", ["--relay", "--title", "Running"], lambda: h.Fixture("--relay"),
        {"Relayed": False, "Kavolt test target": True}),
    # A second copy asks the running instance for a window, and ends.
    "a relay to the running instance": ("--relay", ["--relay", "--title", "Running"], None,
                                        {"Relayed": True}),
}


def desktop_in_front() -> bool:
    """Nothing is active: the foreground is no window that the system lists."""
    front = json.loads(h.inspector("foreground"))["hwnd"]
    return all(w["hwnd"] != front for w in h.windows(all=True))


@pytest.mark.parametrize("options, running, meanwhile, expected", LAUNCHES.values(), ids=LAUNCHES)
def test_the_started_programs_window_is_pinned_and_no_other(app, kavolt, options, running,
                                                             meanwhile, expected):
    if running:
        window = h.Fixture(*running).window()
        h.inspector("activate", str(window["hwnd"]), check=False)
        h.wait_until(lambda: h.find_window(title=window["title"])["foreground"], 15,
                     "the running program in the foreground")
    else:
        h.click(*h.PARKED_POINTER)
        h.wait_until(desktop_in_front, 15, "the desktop in the foreground")
    env = app.env | {"KAVOLT_FIXTURE_OPTIONS": options}
    k = kavolt("fixture.exe", exe=app.exe, cwd=app.caller, env=env)
    h.wait_until(app.launches, 30, "the fixture's start")
    if meanwhile:
        meanwhile()
    for title in expected:
        h.wait_for_window(title=title, timeout=30)
    assert k.exit_code(RUN_TIMEOUT) == 0
    assert {title: h.find_window(title=title)["topmost"] for title in expected} == expected


def test_a_second_start_launches_nothing(app, kavolt):
    first = kavolt()  # the dist copy, interactive: a copy elsewhere is the same program
    before = first.main_window()
    second = kavolt("fixture.exe", "A Doc.kvt", exe=app.exe, cwd=app.caller, env=app.env)

    box = h.wait_for_window("#32770", "二重起動", timeout=30)
    assert box["pid"] != first.win_pid
    h.click(*h.child_centre(box, h.child(box, "Button", "OK")))
    assert second.exit_code(30) == 0

    assert app.launches() == []
    assert not [w for w in h.windows() if w["class"] in h.FIXTURE_CLASSES]
    assert first.running and first.main_window()["hwnd"] == before["hwnd"]
