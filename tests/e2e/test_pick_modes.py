"""The pick modes end to end: the system arrow swapped from the cursor files and put back,
the guide under the cursor with the mode's hint, Opt(2)'s caption; a missing cursor folder
and a hidden cursor file; the arrow put back when Kavolt crashes in a mode or is closed
by another program; a screenshot."""
from pathlib import Path

import pytest

import harness as h
import pick_mode_kit as m


def test_set_release_idle_swap_the_arrow_and_the_guide(kavolt):
    k = kavolt()
    m.watching(k)
    folder = k.exe.parent
    # A switch puts the user's arrow back before it swaps again.
    steps = [(m.SET, [m.cursor_file(folder, m.SET)]),
             (m.RELEASE, [m.SAVED_COPY, m.cursor_file(folder, m.RELEASE)]),
             (m.IDLE, [m.SAVED_COPY])]
    arrows: list[str] = []
    shown_by: dict[int, int] = {}
    for index, changes in steps:
        m.select(k, index)
        arrows += changes
        h.wait_until(lambda: k.arrow_changes() == arrows, 15, f"the arrow changes {arrows}",
                     state=k.arrow_changes)
        if index == m.IDLE:
            m.wait_idle(k)
        else:
            shown = m.wait_armed(k, index)
            assert shown["topmost"] and not shown["taskbar"], h.describe(shown)
            # Under the cursor at once, which is still on the option.
            assert shown["rect"] == m.expected_guide_rect(h.cursor(), *m.size(shown["rect"]))
            shown_by[index] = shown["hwnd"]
    assert shown_by[m.SET] == shown_by[m.RELEASE], "switching modes only changes the text"
    assert [o["text"] for o in m.options(k.main_window())] == ["設定", "解除", "---"]

    # Idle: no guide is made just to follow the mouse.
    h.move(700, 600)
    assert m.guides(k) == []
    assert k.arrow_changes() == arrows, "moving the mouse changes no arrow"


# Screen points, some near the edges: the guide may stick out past them.
GUIDE_POINTS = [(300, 200), (5, 300), (1020, 760), (512, 3), (700, 600)]


def test_the_guide_hangs_below_the_cursor_and_follows_it(kavolt):
    k = kavolt()
    m.watching(k)
    width, height = m.size(m.arm(k, m.SET)["rect"])
    for point in GUIDE_POINTS:
        h.move(*point)
        expected = m.expected_guide_rect(point, width, height)
        h.wait_until(lambda: (m.guide(k) or {}).get("rect") == expected, 10,
                     f"the guide at {expected} for the cursor at {point}",
                     state=lambda: "; ".join(map(h.describe, m.guides(k))) or "no guide")
    assert m.text_of(m.guide(k)) == m.GUIDE_TEXTS[m.SET]


def hide(path: Path) -> None:
    """Gives the file the DOS hidden attribute (Wine keeps it in user.DOSATTRIB)."""
    code, _ = h.run_wine("attrib", "+h", h.winpath(path))
    assert code == 0
    _, listing = h.run_wine("attrib", h.winpath(path))
    assert " H " in listing, f"attrib did not hide {path}: {listing!r}"


@pytest.mark.parametrize("files", ["no cursor folder", "hidden set.cur"])
def test_modes_work_without_usable_cursor_files(kavolt, fixture_windows, files):
    folder = h.scratch("copy")
    exe = h.copy_kavolt(folder, cursor=files != "no cursor folder")
    if files == "hidden set.cur":
        hide(folder / "cursor" / "set.cur")
    target = fixture_windows("--title", "Target", "--pos", 100, 100)
    k = kavolt(exe=exe)
    m.watching(k)

    m.arm(k, m.SET)
    m.arm(k, m.RELEASE)
    if files == "hidden set.cur":  # reset.cur is still a normal file
        h.wait_until(lambda: m.file_changes(k), 10, "the release cursor")
    m.select(k, m.IDLE)
    m.wait_idle(k)
    loaded = [] if files == "no cursor folder" else [m.cursor_file(folder, m.RELEASE)]
    assert m.file_changes(k) == loaded
    assert k.arrow_changes() == loaded + [m.SAVED_COPY] * len(loaded), "a put-back for each swap"

    # A pick still works.
    m.pin(k, (250, 200))
    assert target.window("Target")["topmost"]
    assert m.file_changes(k) == loaded


def test_a_crash_in_set_mode_puts_the_standard_arrow_back(kavolt):
    exe = h.build_dir() / "crashtest" / "kavolt_crashtest.exe"
    if not exe.is_file():
        pytest.fail(f"{exe} is missing: build the target kavolt_crashtest")
    k = kavolt(exe=exe)
    m.watching(k)
    m.arm(k, m.SET)
    swapped = [m.cursor_file(exe.parent, m.SET)]
    assert k.arrow_changes() == swapped

    h.inspector("signal", "Kavolt.Test.Crash")
    assert k.exit_code(60) != 0, "ended by the crash, not by a close"
    assert k.arrow_changes() == swapped + [m.SAVED_COPY], k.log_tail()
    assert not h.find_windows(pid=k.win_pid, among=h.windows(all=True))


WM_QUIT = 0x0012

# Ends that come from other programs: a WM_CLOSE to the hidden window that owns the main
# window, or to the main window itself, and a WM_QUIT to the program's thread.
FOREIGN_ENDS = {
    "WM_CLOSE to the owner": lambda main, owner: h.inspector("close", str(owner["hwnd"])),
    "WM_CLOSE to the main window": lambda main, owner: h.inspector("close", str(main["hwnd"])),
    "WM_QUIT": lambda main, owner: h.inspector("post", str(main["hwnd"]), str(WM_QUIT)),
}


@pytest.mark.parametrize("how", FOREIGN_ENDS)
def test_a_close_from_outside_in_set_mode_ends_kavolt_like_the_close_box(kavolt, how):
    k = kavolt()
    main = m.watching(k)
    m.arm(k, m.SET)
    owner = h.find_window("KavoltHiddenOwner", pid=k.win_pid, among=h.windows(all=True))
    assert owner is not None
    FOREIGN_ENDS[how](main, owner)

    assert k.exit_code(30) == 0
    assert k.arrow_changes() == [m.cursor_file(k.exe.parent, m.SET), m.SAVED_COPY]
    assert not h.find_windows(pid=k.win_pid, among=h.windows(all=True))
    # Nothing left behind holds the instance: the next start is an ordinary one.
    again = kavolt()
    assert again.main_window()["visible"]


def test_screenshot_of_set_mode_with_the_guide(kavolt):
    k = kavolt()
    main = m.watching(k)
    m.arm(k, m.SET)
    point = (512, 470)  # below the main window
    h.move(*point)
    shown = h.wait_until(lambda: (g := m.guide(k)) and g["rect"] == m.expected_guide_rect(
        point, *m.size(g["rect"])) and g, 10, "the guide under the cursor")
    h.wait_until(lambda: not h.find_windows("tooltips_class32"), 10, "no tooltip")
    main = k.main_window()
    r, g = main["rect"], shown["rect"]
    h.screenshot("set_mode_main_window_and_guide", crop=[min(r[0], g[0]) - 20, r[1] - 20,
                                               max(r[2], g[2]) + 20, g[3] + 20])

    client = h.Pixels(shown["client"])
    assert m.share(client, m.GUIDE_YELLOW) > 0.6, "the guide is not light yellow"
    lines = m.ink_bands(client)
    assert len(lines) == 2, f"expected two lines of blue text, found rows {lines}"
    # Each line centred: its ink about as far from the left edge as from the right.
    for line in lines:
        first, last = m.ink_columns(client, line)
        assert abs(first - (client.width - 1 - last)) <= 4, f"line {line} not centred"
    # Opt(2) reads 取消 in ink, not boxes or nothing.
    opt2 = h.child_screen_rect(main, m.options(main)[m.IDLE])
    assert len(h.Pixels([opt2[0] + 14, opt2[1], opt2[2], opt2[3]]).ink()) >= 10
