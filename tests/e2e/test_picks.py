"""Picking a window with the watch loop, end to end: the question and its answers, the
picks that are refused, idle mode, swapped mouse buttons, and targets that close or stop
responding while the question is open."""
import pytest

import harness as h
import picking as p

from picking import A_POINT, A_POS, B_POINT

targets = p.targets


def test_set_with_ok_pins_the_window_and_returns_to_idle(kavolt, targets):
    k = kavolt()
    p.select_option(k, p.SET)
    asked = p.press_and_ask(A_POINT)
    assert p.question_text(asked) == "Target A" + p.ASK_SET
    h.screenshot("question_two_lines")
    p.answer(asked, "Ok")

    f = p.wait_front(k, lambda f: f.selected == p.IDLE and f.fr1["visible"],
                     "idle mode with the translucency panel shown")
    assert targets.window("Target A")["topmost"]
    assert not targets.window("Target B")["topmost"]
    assert f.status == "最前面に設定"
    assert f.idle_caption == "---"
    assert p.guide() is None
    arrows = k.arrow_changes()
    assert arrows[0].endswith("\\cursor\\set.cur") and arrows[-1] == "saved copy", arrows


@pytest.mark.parametrize("close", ["Cancel", "alt+F4", "Escape"])
def test_a_question_not_answered_ok_changes_nothing(kavolt, targets, close):
    k = kavolt()
    p.select_option(k, p.SET)
    asked = p.press_and_ask(A_POINT)
    if close == "Cancel":
        p.answer(asked, "Cancel")
    else:
        h.wait_until(lambda: h.find_window("KavoltQuestionWindow")["foreground"], 10,
                     "the question to have the keyboard")
        h.key(close)
        h.wait_until(lambda: p.question() is None, 10, f"{close} to close the question")

    f = p.wait_front(k, lambda f: f.selected == p.IDLE, "idle mode")
    assert not targets.window("Target A")["topmost"]
    assert not f.fr1["visible"]
    assert f.status == ""
    assert f.idle_caption == "---"
    assert p.guide() is None
    assert k.arrow_changes()[-1] == "saved copy"


# The window pressed on, opened by a fixture with these options (None: Kavolt's own).
REFUSED = {
    "own window": None,
    "empty title": ("--empty-title",),
    # Made topmost, the desktop would cover every window, Kavolt's own included.
    "desktop": ("--title", "Program Manager", "--shell-window"),
}


@pytest.mark.parametrize("where", list(REFUSED))
def test_refused_picks_leave_the_mode_armed(kavolt, fixture_windows, targets, where):
    other = REFUSED[where] and fixture_windows(*REFUSED[where], "--pos", 650, 20)
    k = kavolt()
    p.select_option(k, p.SET)
    if other is None:
        main = k.main_window()
        point = (main["client"][0] + 3, main["client"][3] - 3)  # frame margin, no control
    else:
        window = h.wait_until(lambda: next(iter(other.windows()), None), 10, f"the {where} window")
        point = h.centre(window["rect"])
    h.move(*point)
    h.mouse_down()
    h.mouse_up()
    arrows = len(k.arrow_changes())

    # The loop is sequential: had the refused press been a pick, its question would
    # have come first and blocked this one.
    asked = p.press_and_ask(B_POINT)
    assert p.question_text(asked) == "Target B" + p.ASK_SET
    assert k.arrow_changes()[arrows - 1].endswith("set.cur"), "still armed before this pick"
    p.answer(asked, "Cancel")


def test_a_press_in_idle_mode_clears_the_status_and_asks_nothing(kavolt, targets):
    k = kavolt()
    f = p.pin(k, A_POINT)
    assert f.status == "最前面に設定"
    arrows = k.arrow_changes()

    with h.Watch("KavoltQuestionWindow") as watch:
        h.move(*B_POINT)
        h.mouse_down()
        f = p.wait_front(k, lambda f: f.status == "", "the status to be cleared")
        h.mouse_up()
        assert watch.stop() is None, "no question in idle mode"
    assert f.selected == p.IDLE and f.idle_caption == "---"
    assert not targets.window("Target B")["topmost"]
    assert targets.window("Target A")["topmost"], "the earlier pin stays"
    # Nothing was swapped: the arrow, which the user may have changed since, stays.
    k.stop()
    assert k.arrow_changes() == arrows


@pytest.fixture
def swapped_buttons():
    key = r"HKCU\Control Panel\Mouse"
    h.run_wine("reg", "add", key, "/v", "SwapMouseButtons", "/d", "1", "/f")
    yield
    h.run_wine("reg", "add", key, "/v", "SwapMouseButtons", "/d", "0", "/f")


def test_with_swapped_buttons_the_physical_right_button_picks(swapped_buttons, kavolt, targets):
    k = kavolt()  # reads the swap when it starts
    # Wine 8 reports the swap (SM_SWAPBUTTON) but does not swap the buttons' window
    # messages: the option still takes a physical left click here.
    p.select_option(k, p.SET, button=1)
    # The physical left button is the secondary one now: no pick on B...
    h.move(*B_POINT)
    h.mouse_down(1)
    h.mouse_up(1)
    # ...and the physical right one picks A; a pick of B would have come first.
    asked = p.press_and_ask(A_POINT, button=3)
    assert p.question_text(asked) == "Target A" + p.ASK_SET
    p.answer(asked, "Cancel")


# Targets that the pin cannot reach once asked about: one that closes meanwhile, and one
# that keeps its place in the Z-order (SetWindowPos succeeds and moves it nowhere).
UNREACHABLE = {"closed while asked": (), "keeps its Z-order": ("--keeps-z-order",)}


@pytest.mark.parametrize("options", UNREACHABLE.values(), ids=UNREACHABLE)
def test_a_pin_that_does_not_take_is_reported_not_recorded(kavolt, fixture_windows, options):
    target = fixture_windows("--title", "Target A", "--pos", *A_POS, *options)
    k = kavolt()
    p.select_option(k, p.SET)
    asked = p.press_and_ask(A_POINT)
    if not options:
        h.inspector("close", str(target.window("Target A")["hwnd"]))
        h.wait_until(lambda: not target.windows(), 10, "Target A to close")
    p.answer(asked, "Ok")

    box = h.wait_until(lambda: p.message_box("最前面"), 10, "the failure message")
    assert h.child(box, "Static", "Target A" + p.FAIL_SET)
    h.click(*h.child_centre(box, h.child(box, "Button")))
    f = p.wait_front(k, lambda f: f.selected == p.IDLE and p.message_box("最前面") is None,
                     "idle mode after the message")
    assert f.status == "", "a failed change is not reported as done"
    assert not f.fr1["visible"], "nothing recorded"
    assert not [w for w in target.windows() if w["topmost"]]


def test_a_target_that_stops_responding_does_not_freeze_kavolt(kavolt, fixture_windows):
    hung = fixture_windows("--title", "Hung target", "--pos", *A_POS, "--hang-on-question")
    k = kavolt()
    p.select_option(k, p.SET)
    asked = p.press_and_ask(A_POINT)
    p.answer(asked, "Ok")

    box = h.wait_until(lambda: p.message_box("最前面"), 20, "the failure message")
    assert h.child(box, "Static", "Hung target" + p.FAIL_SET)
    assert not k.main_window()["hung"]
    h.click(*h.child_centre(box, h.child(box, "Button")))
    f = p.wait_front(k, lambda f: f.selected == p.IDLE, "idle mode after the message")
    assert f.status == ""
    assert not hung.windows()[0]["topmost"]
