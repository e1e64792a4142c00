"""Reading Kavolt's main window and driving a pick with real input: arming a mode,
pressing on a target, answering the question, moving the slider."""
from __future__ import annotations

from dataclasses import dataclass

import pytest

import harness as h

SET, RELEASE, IDLE = 0, 1, 2
ASK_SET = "\r\nを最前面に設定。\u3000OK？"
ASK_RELEASE = "\r\nの最前面設定を解除。\u3000OK？"
FAIL_SET = "\r\nを最前面に設定できませんでした。"
FAIL_RELEASE = "\r\nの最前面設定を解除できませんでした。"

# Two target windows clear of Kavolt's window in the middle of the desktop.
A_POS, B_POS = (20, 20), (20, 450)
A_POINT, B_POINT = (170, 140), (170, 570)


@pytest.fixture
def targets(fixture_windows) -> h.Fixture:
    """One fixture program with the windows "Target A" and "Target B"."""
    return fixture_windows("--title", "Target A", "--pos", *A_POS,
                           "--title", "Target B", "--pos", *B_POS)


@dataclass
class Front:
    """One look at the main window and its controls."""
    main: dict

    def _kids(self, cls: str, parent: int) -> list[dict]:
        return [c for c in self.main["children"] if c["class"] == cls and c["parent"] == parent]

    @property
    def frame(self) -> dict:
        return self._kids("KavoltFrame", self.main["hwnd"])[0]

    @property
    def options(self) -> list[dict]:
        return sorted(self._kids("Button", self.frame["hwnd"]), key=lambda c: c["rect"][0])

    @property
    def selected(self) -> int | None:
        return next((i for i, o in enumerate(self.options) if o["checked"]), None)

    @property
    def idle_caption(self) -> str:
        return self.options[IDLE]["text"]

    @property
    def fr1(self) -> dict:
        return self._kids("KavoltFrame", self.frame["hwnd"])[0]

    @property
    def slider(self) -> dict:
        return h.child(self.main, "ScrollBar")

    @property
    def value(self) -> int:
        return self.slider["scroll"]["pos"]

    @property
    def status(self) -> str:
        return self._kids("Static", self.main["hwnd"])[0]["text"]

    def centre_of(self, control: dict) -> tuple[int, int]:
        return h.child_centre(self.main, control)


def front(kavolt: h.Kavolt) -> Front:
    return Front(kavolt.main_window())


def wait_front(kavolt: h.Kavolt, condition, what: str, timeout: float = 15) -> Front:
    """The main window once condition(Front) holds."""
    def look():
        f = front(kavolt)
        return f if condition(f) else None
    return h.wait_until(look, timeout, what)


def guide() -> dict | None:
    return h.find_window("KavoltGuideWindow")


def select_option(kavolt: h.Kavolt, index: int, button: int = 1) -> Front:
    """Clicks Opt(index) and waits until the mode is in place."""
    f = front(kavolt)
    h.click(*f.centre_of(f.options[index]), button=button)
    if index == IDLE:
        return wait_front(kavolt, lambda f: f.selected == IDLE and f.idle_caption == "---",
                          "the idle mode")
    return wait_front(kavolt, lambda f: f.selected == index and f.idle_caption == "取消"
                      and guide() is not None, f"mode {index} armed")


def question() -> dict | None:
    return h.find_window("KavoltQuestionWindow")


def question_text(window: dict) -> str:
    return h.child(window, "Static")["text"]


def press_and_ask(point: tuple[int, int], button: int = 1) -> dict:
    """Holds the button down on point until the question opens (a press is sampled by
    the watch loop, so a quick click could go unseen), then lets go."""
    h.move(*point)
    h.mouse_down(button)
    try:
        return h.wait_until(question, 15, f"the question after a press at {point}")
    finally:
        h.mouse_up(button)


def answer(window: dict, which: str) -> None:
    """Clicks "Ok" or "Cancel" and waits until the question is gone."""
    h.click(*h.child_centre(window, h.child(window, "Button", which)))
    h.wait_until(lambda: question() is None, 10, f"the question to close after {which}")


def pin(kavolt: h.Kavolt, point: tuple[int, int], mode: int = SET) -> Front:
    """A whole pick answered with "Ok"; returns the main window back in idle mode."""
    select_option(kavolt, mode)
    answer(press_and_ask(point), "Ok")
    return wait_front(kavolt, lambda f: f.selected == IDLE and f.idle_caption == "---",
                      "the mode to return to idle")


def message_box(title: str) -> dict | None:
    """A standard message box (#32770) with that title."""
    return h.find_window("#32770", title)


def focus_slider(kavolt: h.Kavolt) -> Front:
    """Gives the slider the keyboard focus with a click on its right arrow (one step up)."""
    f = wait_front(kavolt, lambda f: f.fr1["visible"], "the slider's panel")
    rect = h.child_screen_rect(f.main, f.slider)
    before = f.value
    h.click(rect[2] - 4, (rect[1] + rect[3]) // 2)
    return wait_front(kavolt, lambda f: f.value == min(before + 1, 255), "the slider's step")


def slide_to(kavolt: h.Kavolt, value: int) -> Front:
    """Moves the slider with the keyboard: End or Home, then arrow steps."""
    focus_slider(kavolt)
    if value >= 128:
        h.key("End")
        steps, arrow = 255 - value, "Left"
    else:
        h.key("Home")
        steps, arrow = value, "Right"
    if steps:
        h.xdotool("key", "--delay", "15", "--repeat", steps, arrow)
    return wait_front(kavolt, lambda f: f.value == value, f"the slider at {value}")
