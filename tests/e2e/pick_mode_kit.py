"""What the pick-mode and question tests share: the main window's options, a mode armed
with a real click, the guide and the question window, a pick made with a real press, and
the colour checks of the screenshots."""
from __future__ import annotations

from pathlib import Path

import harness as h
from picking import (ASK_SET, IDLE, RELEASE, SET, Front, answer,  # noqa: F401 (re-exported)
                     pin, press_and_ask)

GUIDE_TEXTS = {SET: "最前面にしたい\r\nウィンドウをクリック！",
               RELEASE: "解除したい\r\nウィンドウをクリック！"}
CURSOR_FILES = {SET: "set.cur", RELEASE: "reset.cur"}
SAVED_COPY = "saved copy"

GUIDE_YELLOW = (255, 255, 192)
QUESTION_GREEN = (192, 255, 192)


# ---- The main window and the guide ---------------------------------------------------

def options(main: dict) -> list[dict]:
    """Opt(0), Opt(1), Opt(2), left to right."""
    found = Front(main).options
    if len(found) != 3:
        raise h.E2EError(f"expected three options in {h.describe(main)}")
    return found


def watching(k: h.Kavolt) -> dict:
    """The main window once the watch loop runs (its first pass hides Fr1)."""
    def look():
        main = k.main_window()
        return None if Front(main).fr1["visible"] else main
    return h.wait_until(look, 20, "the watch loop to run (Fr1 hidden)")


def guides(k: h.Kavolt) -> list[dict]:
    """Kavolt's guide windows, hidden ones too."""
    return h.find_windows("KavoltGuideWindow", pid=k.win_pid, among=h.windows(all=True))


def guide(k: h.Kavolt) -> dict | None:
    """The visible guide, or None."""
    return next((g for g in guides(k) if g["visible"]), None)


def text_of(window: dict) -> str:
    """The text of the window's one label."""
    return h.child(window, "Static")["text"]


def select(k: h.Kavolt, index: int) -> None:
    """Clicks Opt(index) of the main window."""
    main = k.main_window()
    h.click(*h.child_centre(main, options(main)[index]))


def wait_armed(k: h.Kavolt, index: int) -> dict:
    """Waits for an armed mode: Opt(index) selected, Opt(2) "取消", the guide shown with
    the mode's text. Returns the guide."""
    def look():
        opts = options(k.main_window())
        shown = guide(k)
        ready = (opts[index]["checked"] and opts[IDLE]["text"] == "取消" and shown
                 and text_of(shown) == GUIDE_TEXTS[index])
        return shown if ready else None
    return h.wait_until(look, 15, f"Opt({index}) armed: its guide text and 取消")


def wait_idle(k: h.Kavolt) -> dict:
    """Waits for idle: Opt(2) selected and reading "---", no guide shown."""
    def look():
        main = k.main_window()
        opt2 = options(main)[IDLE]
        return main if opt2["checked"] and opt2["text"] == "---" and guide(k) is None else None
    return h.wait_until(look, 15, "the idle mode: no guide, Opt(2) selected and '---'")


def arm(k: h.Kavolt, index: int) -> dict:
    select(k, index)
    return wait_armed(k, index)


def cursor_file(folder: Path, index: int) -> str:
    """The path Kavolt reports for a cursor file beside the executable in folder."""
    return h.winpath(folder / "cursor" / CURSOR_FILES[index])


def file_changes(k: h.Kavolt) -> list[str]:
    """The arrow changes that loaded a cursor file."""
    return [c for c in k.arrow_changes() if c != SAVED_COPY]


def expected_guide_rect(cursor: tuple[int, int], width: int, height: int) -> list[int]:
    """Centred below the cursor, three quarters of its height down; round() takes halves
    to the even neighbour, as Kavolt does."""
    left = round(cursor[0] - width / 2)
    top = round(cursor[1] + height * 3 / 4)
    return [left, top, left + width, top + height]


def size(rect: list[int]) -> tuple[int, int]:
    return rect[2] - rect[0], rect[3] - rect[1]


# ---- Picks and the question ----------------------------------------------------------

def question(k: h.Kavolt) -> dict | None:
    return h.find_window("KavoltQuestionWindow", pid=k.win_pid)


def pick(k: h.Kavolt, point: tuple[int, int]) -> dict:
    """A real press at point, held until the question shows; returns the question."""
    return press_and_ask(point)


def wait_question_destroyed(k: h.Kavolt) -> None:
    h.wait_until(lambda: not h.find_windows("KavoltQuestionWindow", pid=k.win_pid,
                                            among=h.windows(all=True)),
                 15, "the question window to be destroyed")


# ---- Pixels --------------------------------------------------------------------------

def near(colour: tuple[int, int, int], wanted: tuple[int, int, int], slack: int = 8) -> bool:
    return all(abs(a - b) <= slack for a, b in zip(colour, wanted))


def is_blue_ink(colour: tuple[int, int, int]) -> bool:
    """Blue text, anti-aliased edges included, on a light background."""
    r, g, b = colour
    return b >= 150 and r <= 160 and g <= 160


def share(pixels: h.Pixels, wanted: tuple[int, int, int]) -> float:
    """The part of the pixels that have (about) the colour."""
    hits = sum(1 for y in range(pixels.height) for x in range(pixels.width)
               if near(pixels.pixel(x, y), wanted))
    return hits / (pixels.width * pixels.height)


def ink_bands(pixels: h.Pixels) -> list[tuple[int, int]]:
    """Runs of rows that hold blue ink, as (first row, last row): the lines of a text."""
    bands: list[tuple[int, int]] = []
    for y in range(pixels.height):
        if any(is_blue_ink(pixels.pixel(x, y)) for x in range(pixels.width)):
            if bands and bands[-1][1] == y - 1:
                bands[-1] = (bands[-1][0], y)
            else:
                bands.append((y, y))
    return bands


def ink_columns(pixels: h.Pixels, rows: tuple[int, int]) -> tuple[int, int]:
    """The first and last column with blue ink within the rows."""
    xs = [x for y in range(rows[0], rows[1] + 1) for x in range(pixels.width)
          if is_blue_ink(pixels.pixel(x, y))]
    return min(xs), max(xs)
