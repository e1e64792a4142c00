"""The main window and start-up, end to end under Wine: the layout at 96 dpi, topmost from
the first appearance, no taskbar button, the refusal of a second instance, the start with
arguments that shows no window, and a screenshot that a person would accept."""
import pytest

import harness as h

CAPTION = "最前面 1.31."
WS_CAPTION, WS_SYSMENU = 0x00C00000, 0x00080000
WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00040000, 0x00020000, 0x00010000
WS_EX_DLGMODALFRAME, WS_EX_APPWINDOW = 0x00000001, 0x00040000


def px(twips: int, dpi: int = 96) -> int:
    """Twips to pixels (15 twips a pixel at 96 dpi), to the nearest, halves up."""
    return (twips * dpi + 720) // 1440


# name, container, class, text, (left, top, width, height) in twips in the container's
# client area, shown while nothing is pinned.
LAYOUT = [
    ("fr最前面", None, "KavoltFrame", None, (60, 0, 2535, 1065), True),
    ("Opt(0)", "fr最前面", "Button", "設定", (120, 300, 675, 195), True),
    ("Opt(1)", "fr最前面", "Button", "解除", (840, 300, 675, 195), True),
    ("Opt(2)", "fr最前面", "Button", "---", (1620, 300, 795, 195), True),
    ("Fr1", "fr最前面", "KavoltFrame", None, (90, 480, 2385, 465), False),
    ("chkTran", "Fr1", "Button", "透明", (90, 180, 705, 195), False),
    ("HScroll1", "Fr1", "ScrollBar", None, (1050, 180, 1245, 195), False),
    ("chkStart", None, "Button", "Start", (540, 1920, 855, 195), False),
    ("lblMsg", None, "Static", None, (0, 1560, 1695, 315), False),
]


def controls(main: dict) -> dict[str, dict]:
    """The layout's controls by name, each found under its own container."""
    found = {}
    for name, container, cls, text, _, _ in LAYOUT:
        parent = main["hwnd"] if container is None else found[container]["hwnd"]
        found[name] = h.child(main, cls, text, parent)
    return found


def steady_main_window(kavolt: h.Kavolt) -> dict:
    """The main window once the watch loop runs: it hides Fr1 while nothing is pinned."""
    def look():
        main = kavolt.main_window()
        return None if controls(main)["Fr1"]["visible"] else main
    return h.wait_until(look, 10, "the watch loop to hide Fr1 (nothing pinned)")


def test_layout_at_96_dpi(kavolt):
    k = kavolt()
    main = steady_main_window(k)
    assert main["title"] == CAPTION
    client = main["client"]
    assert (client[2] - client[0], client[3] - client[1]) == (px(2655), px(1140)) == (177, 76)

    found = controls(main)
    assert len(main["children"]) == len(LAYOUT), h.describe(main)
    origin = {None: (0, 0)} | {name: tuple(c["rect"][:2]) for name, c in found.items()}
    wrong = []
    for name, container, _, _, (left, top, width, height), shown in LAYOUT:
        x, y = origin[container]
        r = found[name]["rect"]
        actual = (r[0] - x, r[1] - y, r[2] - r[0], r[3] - r[1])
        expected = (px(left), px(top), px(width), px(height))
        if actual != expected or found[name]["visible"] != shown:
            wrong.append(f"{name}: {actual} visible={found[name]['visible']}, "
                         f"expected {expected} visible={shown}")
    assert not wrong, "\n".join(wrong)

    assert [found[f"Opt({i})"]["checked"] for i in range(3)] == [False, False, True]
    assert found["chkTran"]["checked"] is False
    scroll = found["HScroll1"]["scroll"]
    assert (scroll["min"], scroll["max"], scroll["pos"]) == (0, 255, 0)
    # Opt(2) selected by the layout arms nothing: no arrow swap, no guide.
    assert k.arrow_changes() == []
    assert h.find_window("KavoltGuideWindow") is None


@pytest.fixture
def dpi_144():
    """The prefix's system DPI at 144 (150 %) for the programs started meanwhile."""
    key = r"HKCU\Control Panel\Desktop"
    h.run_wine("reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
    yield
    h.run_wine("reg", "delete", key, "/v", "LogPixels", "/f")


def test_layout_follows_the_dpi(dpi_144, kavolt):
    k = kavolt()
    main = steady_main_window(k)
    client = main["client"]
    assert (client[2] - client[0], client[3] - client[1]) == (px(2655, 144), px(1140, 144))
    found = controls(main)
    for name in ("Opt(0)", "Opt(2)"):
        r = found[name]["rect"]
        left, top, width, height = next(row[4] for row in LAYOUT if row[0] == name)
        assert (r[2] - r[0], r[3] - r[1]) == (px(width, 144), px(height, 144)), name
    h.screenshot("main_window_144dpi", crop=[main["rect"][0] - 20, main["rect"][1] - 20,
                                             main["rect"][2] + 20, main["rect"][3] + 20])


def test_first_appearance_is_topmost_centred_without_taskbar_button(kavolt):
    with h.Watch("KavoltMainWindow") as watch:
        k = kavolt()
        first = watch.first()
    assert first["topmost"], f"first seen without WS_EX_TOPMOST: {h.describe(first)}"
    assert first["title"] == CAPTION
    rect = first["rect"]
    # Doubled centre against the screen's size: off by at most one pixel of rounding.
    assert abs(rect[0] + rect[2] - h.SCREEN[0]) <= 1, f"not centred across: {rect}"
    assert abs(rect[1] + rect[3] - h.SCREEN[1]) <= 1, f"not centred down: {rect}"
    assert not first["taskbar"] and not first["exstyle"] & WS_EX_APPWINDOW
    style = first["style"]
    assert style & WS_CAPTION == WS_CAPTION and style & WS_SYSMENU
    assert not style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), hex(style)
    assert first["exstyle"] & WS_EX_DLGMODALFRAME

    later = k.main_window()
    assert later["hwnd"] == first["hwnd"] and later["topmost"] and not later["taskbar"]


@pytest.mark.parametrize("dismiss, with_arguments", [("Return", False), ("click", True)])
def test_second_instance_is_refused(kavolt, logs, dismiss, with_arguments):
    first = kavolt()
    before = steady_main_window(first)
    # A command line the second instance must not launch: the fixture logs every start.
    launched = logs / "launched.jsonl"
    args = [h.winpath(h.tool_path("fixture"))] if with_arguments else []
    second = kavolt(*args, env={"KAVOLT_FIXTURE_LOG": h.winpath(launched)})

    box = h.wait_for_window("#32770", "二重起動")
    assert box["pid"] != first.win_pid
    assert [c["text"] for c in box["children"] if c["class"] == "Static" and c["text"]] \
        == ["既に最前面は起動中です。"]
    ok = h.child(box, "Button")
    assert ok["text"] == "OK"
    if dismiss == "click":
        h.click(*h.child_centre(box, ok))
    else:
        h.wait_until(lambda: (h.find_window("#32770", "二重起動") or {}).get("foreground"), 10,
                     "the message box in the foreground")
        h.key(dismiss)

    assert second.exit_code(15) == 0
    assert h.find_window("#32770", "二重起動") is None
    assert not launched.exists() and h.find_window("KavoltTestTarget") is None
    assert first.running
    mains = h.find_windows("KavoltMainWindow", among=h.windows(all=True))
    assert [m["hwnd"] for m in mains] == [before["hwnd"]]
    after = mains[0]
    assert (after["title"], after["topmost"], after["visible"], after["rect"]) \
        == (CAPTION, True, True, before["rect"])
    assert controls(after)["Opt(2)"]["checked"] and first.arrow_changes() == []


@pytest.mark.parametrize("args", [("something",), ("two", "items"), ("with space",)])
def test_arguments_show_no_window_and_exit_0(kavolt, args):
    with h.Watch(*h.KAVOLT_CLASSES, "#32770") as watch:
        k = kavolt(*args)
        assert k.exit_code(30) == 0
        seen = watch.stop()
    assert seen is None, f"a window appeared: {h.describe(seen)}"


def test_options_show_their_tooltips(kavolt):
    k = kavolt()
    main = steady_main_window(k)
    found = controls(main)
    for name, tip in [("Opt(0)", "最前面に設定します"), ("Opt(1)", "解除します"),
                      ("Opt(2)", "処理をキャンセルします")]:
        h.move(*h.child_centre(main, found[name]))
        h.wait_until(lambda: h.find_window("tooltips_class32", tip, k.win_pid), 10,
                     f"the tooltip {tip!r} over {name}")


@pytest.mark.parametrize("how", ["close box", "alt+F4"])
def test_closing_the_main_window_ends_kavolt(kavolt, how):
    k = kavolt()
    main = steady_main_window(k)
    if how == "close box":
        frame = main["client"][0] - main["rect"][0]
        caption = main["client"][1] - main["rect"][1] - frame
        # The close box is the last caption button, a caption-high square at the right.
        h.click(main["client"][2] - caption // 2, main["rect"][1] + frame + caption // 2)
    else:
        h.click(main["client"][0] + 1, main["client"][1] + 1)  # beside the frame: no control
        h.key(how)
    assert k.exit_code(15) == 0
    assert not h.find_windows(pid=k.win_pid, among=h.windows(all=True))


def label_ink(main: dict, control: dict) -> h.Pixels:
    """The pixels of an option's caption: the control minus its 13-pixel round button."""
    r = h.child_screen_rect(main, control)
    return h.Pixels([r[0] + 14, r[1], r[2], r[3]])


def test_screenshot_of_the_main_window(kavolt):
    fonts = h.inspector("fonts", "ＭＳ ゴシック")
    assert '"ＭＳ ゴシック":true' in fonts, f"no font stands for ＭＳ ゴシック: {fonts}"
    k = kavolt()
    main = steady_main_window(k)
    h.wait_until(lambda: not h.find_windows("tooltips_class32"), 10, "no tooltip over the window")
    r = main["rect"]
    h.screenshot("main_window", crop=[r[0] - 20, r[1] - 20, r[2] + 20, r[3] + 20])

    found = controls(main)
    inks = {}
    for name in ("Opt(0)", "Opt(1)", "Opt(2)"):
        label = label_ink(main, found[name])
        ink = label.ink()
        assert len(ink) >= 10, f"{name} shows no caption"
        # A caption cut at the control's right edge leaves ink in its last columns.
        assert max(x for x, _ in ink) < label.width - 2, f"{name}'s caption runs into its edge"
        inks[name] = set(ink)
    height = px(195)
    for name in ("Opt(0)", "Opt(1)"):  # Opt(2) has the focus rectangle on its border
        assert all(0 < y < height - 1 for _, y in inks[name]), f"{name}'s caption is cut"
    # Missing glyphs draw as identical boxes: 設定 and 解除 would look alike.
    assert inks["Opt(0)"] != inks["Opt(1)"], "the Japanese captions render as boxes"
