"""The confirmation window through real picks: its place by the cursor, its answers (a
question closed without one changes nothing), its place in front of another topmost
window, the drag by its text, and a screenshot."""
import pytest

import harness as h
import pick_mode_kit as m

SCREEN_W, SCREEN_H = h.SCREEN


# name, cursor (a point on the fixture window), fixture window (left, top, width, height),
# where the window must be: (rect, cursor) -> bool. The question is about 205x80.
PLACES = [
    # 301 - W/2 ends in a half for an odd W: it goes to the even neighbour.
    ("centre", (301, 250), (150, 150, 300, 200),
     lambda r, x, y: r[0] == round(x - (r[2] - r[0]) / 2) and r[1] == y),
    ("right edge", (1000, 250), (800, 150, 224, 200), lambda r, x, y: r[2] == x and r[1] == y),
    ("left edge", (40, 250), (0, 150, 200, 200), lambda r, x, y: r[0] == 0 and r[1] == y),
    ("bottom edge", (301, 740), (150, 600, 300, 168),
     lambda r, x, y: r[0] == round(x - (r[2] - r[0]) / 2) and r[3] == y),
    ("bottom right", (1000, 740), (800, 600, 224, 168), lambda r, x, y: r[2] == x and r[3] == y),
]


@pytest.mark.parametrize("name, point, box, placed", PLACES, ids=[p[0] for p in PLACES])
def test_the_question_opens_by_the_cursor(kavolt, fixture_windows, name, point, box, placed):
    fixture_windows("--title", "Target", "--pos", box[0], box[1], "--size", box[2], box[3])
    k = kavolt()
    m.watching(k)
    m.arm(k, m.SET)
    with h.Watch("KavoltQuestionWindow") as watch:
        asked = m.pick(k, point)
        first = watch.first()
    width, height = m.size(first["rect"])
    assert (width, height) == m.size(asked["rect"])
    # The rules of each case hold here, so the case tests what it is named for.
    right, left = SCREEN_W - width / 2 < point[0], width / 2 > point[0]
    bottom = SCREEN_H - height < point[1]
    assert (right, left, bottom) == ("right" in name, "left" in name, "bottom" in name)
    assert placed(first["rect"], *point), f"first shown at {first['rect']} for {point}"
    assert first["topmost"] and not first["taskbar"], h.describe(first)
    assert m.text_of(asked) == "Target" + m.ASK_SET
    m.answer(asked, "Cancel")
    m.wait_question_destroyed(k)


A_POINT, B_POINT = (170, 140), (170, 450)


@pytest.fixture
def targets(fixture_windows):
    return fixture_windows("--title", "Target A", "--pos", 20, 20,
                           "--title", "Target B", "--pos", 20, 330)


@pytest.mark.parametrize("close, pins", [("Ok", True), ("Cancel", False), ("alt+F4", False),
                                         ("Escape", False)])
def test_only_ok_pins(kavolt, targets, close, pins):
    k = kavolt()
    m.watching(k)
    m.pin(k, A_POINT)  # an earlier "Ok" must not count for a question left unanswered
    assert targets.window("Target A")["topmost"]

    m.arm(k, m.SET)
    asked = m.pick(k, B_POINT)
    assert m.text_of(asked) == "Target B" + m.ASK_SET
    if close in ("Ok", "Cancel"):
        m.answer(asked, close)
    else:
        h.wait_until(lambda: (m.question(k) or {}).get("foreground"), 10,
                     "the question in the foreground")
        h.key(close)
    m.wait_question_destroyed(k)
    m.wait_idle(k)  # the pick is over: its change is made or never will be
    assert targets.window("Target B")["topmost"] == pins
    assert targets.window("Target A")["topmost"]


WM_SYSCOMMAND, SC_MINIMIZE, SC_RESTORE = 0x0112, 0xF020, 0xF120
WS_MINIMIZE = 0x20000000


def in_front(k, fixture, title) -> bool:
    shown = h.windows()
    asked = h.find_window("KavoltQuestionWindow", pid=k.win_pid, among=shown)
    other = next(w for w in shown if w["pid"] == fixture.win_pid and w["title"] == title)
    return asked is not None and asked["zorder"] < other["zorder"]


def minimised(fixture, title) -> bool:
    return bool(fixture.window(title)["style"] & WS_MINIMIZE)


def test_the_question_stays_in_front_of_another_topmost_window(kavolt, targets):
    k = kavolt()
    m.watching(k)
    m.pin(k, B_POINT)
    b = targets.window("Target B")
    assert b["topmost"]
    m.arm(k, m.SET)
    asked = m.pick(k, A_POINT)
    h.wait_until(lambda: in_front(k, targets, "Target B"), 5, "the question in front of B")
    # Wine raises neither a clicked nor an activated window within the topmost band, but
    # a restore from the minimised state puts B at its front; the question's timer takes
    # the front back each time.
    for _ in range(2):
        h.inspector("post", str(b["hwnd"]), str(WM_SYSCOMMAND), str(SC_MINIMIZE))
        h.wait_until(lambda: minimised(targets, "Target B"), 10, "B minimised")
        h.inspector("post", str(b["hwnd"]), str(WM_SYSCOMMAND), str(SC_RESTORE))
        h.wait_until(lambda: not minimised(targets, "Target B"), 10, "B restored")
        h.wait_until(lambda: in_front(k, targets, "Target B"), 5,
                     "the question back in front of B")
    assert m.question(k)["hwnd"] == asked["hwnd"] and not targets.window("Target A")["topmost"]
    m.answer(m.question(k), "Cancel")
    m.wait_question_destroyed(k)


def grab_points(start: tuple[int, int], end: tuple[int, int], steps: int) -> list:
    return [(start[0] + (end[0] - start[0]) * i // steps,
             start[1] + (end[1] - start[1]) * i // steps) for i in range(steps + 1)]


def test_a_left_drag_on_the_text_moves_the_question_a_right_drag_does_not(kavolt, targets):
    k = kavolt()
    m.watching(k)
    m.arm(k, m.SET)
    asked = m.pick(k, A_POINT)
    home = asked["rect"]
    label = h.child_screen_rect(asked, h.child(asked, "Static"))
    start = (label[0] + 20, label[1] + 6)  # on the first line of text, above the buttons
    end = (start[0] + 150, start[1] + 90)
    path = grab_points(start, end, 10)

    def drag(button: int) -> None:
        h.move(*start)
        h.mouse_down(button)
        try:
            for point in path[1:]:
                h.move(*point)
        finally:
            h.mouse_up(button)

    drag(3)
    # The window moves with the mouse from the point where the drag took it: that
    # point is on the path, measured from where the window was before both drags, so a
    # move by the right-button drag (handled first) would show here too.
    drag(1)

    def grabbed_at():
        rect = m.question(k)["rect"]
        moved = (rect[0] - home[0], rect[1] - home[1])
        grab = (end[0] - moved[0], end[1] - moved[1])
        return grab if moved != (0, 0) and grab in path and m.size(rect) == m.size(home) \
            else None
    h.wait_until(grabbed_at, 10, "the question moved by the left-button drag",
                 state=lambda: f"at {m.question(k)['rect']}, was {home}")
    m.answer(m.question(k), "Cancel")
    m.wait_question_destroyed(k)


def test_screenshot_of_the_question(kavolt, targets):
    k = kavolt()
    m.watching(k)
    m.arm(k, m.SET)
    asked = m.pick(k, A_POINT)
    assert m.text_of(asked) == "Target A" + m.ASK_SET
    h.move(*asked["rect"][2:])  # off its buttons: no hover light
    # The question with the whole window it asks about: the README shows this picture.
    r, t = asked["rect"], targets.window("Target A")["rect"]
    h.screenshot("question_window_two_lines", crop=[max(0, min(r[0], t[0]) - 20),
                                                    max(0, min(r[1], t[1]) - 20),
                                                    max(r[2], t[2]) + 20, max(r[3], t[3]) + 20])

    client = h.Pixels(asked["client"])
    assert m.share(client, m.QUESTION_GREEN) > 0.4, "the question is not light green"
    ok = h.child(asked, "Button", "Ok")
    label = h.child_screen_rect(asked, h.child(asked, "Static"))
    buttons_top = ok["rect"][1] + asked["client"][1]
    # The text above the buttons: two lines of blue ink, neither cut.
    text = h.Pixels([label[0], label[1], label[2], buttons_top])
    lines = m.ink_bands(text)
    assert len(lines) == 2, f"expected two lines of blue text, found rows {lines}"
    assert lines[0][0] > 0 and lines[-1][1] < text.height - 1, f"a line is cut: {lines}"
    for name in ("Ok", "Cancel"):
        face = h.Pixels(h.child_screen_rect(asked, h.child(asked, "Button", name)))
        assert len(face.ink()) >= 10, f"{name} shows no caption"
    m.answer(asked, "Cancel")
    m.wait_question_destroyed(k)
