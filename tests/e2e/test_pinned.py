"""The pinned window, end to end: translucency from the slider, release, the panel that
shows while the pinned window exists, and what closing Kavolt leaves behind."""
import pytest

import harness as h
import picking as p

from picking import A_POINT, A_POS, B_POINT

targets = p.targets


def alpha_of(fixture, title: str):
    window = fixture.window(title)
    return window["alpha"] if window["layered"] else None


def test_the_slider_sets_the_pinned_windows_opacity(kavolt, targets):
    k = kavolt()
    p.pin(k, A_POINT)
    assert alpha_of(targets, "Target A") is None, "pinned opaque, not yet layered"
    p.slide_to(k, 255)
    h.wait_until(lambda: alpha_of(targets, "Target A") == 0, 10, "A fully transparent")
    assert targets.window("Target A")["topmost"]
    p.slide_to(k, 0)
    h.wait_until(lambda: alpha_of(targets, "Target A") == 255, 10, "A opaque again")
    assert not k.main_window()["layered"], "Kavolt's own opacity never changes"


def test_pinning_a_second_window_turns_the_first_opaque(kavolt, targets):
    k = kavolt()
    p.pin(k, A_POINT)
    p.slide_to(k, 128)
    h.wait_until(lambda: alpha_of(targets, "Target A") == 127, 10, "A at alpha 127")

    f = p.pin(k, B_POINT)
    assert f.value == 0
    assert alpha_of(targets, "Target A") == 255, "opaque again, still layered"
    assert alpha_of(targets, "Target B") is None, "B untouched until the slider moves"
    assert targets.window("Target A")["topmost"] and targets.window("Target B")["topmost"]

    p.slide_to(k, 10)
    h.wait_until(lambda: alpha_of(targets, "Target B") == 245, 10, "B at alpha 245")
    assert alpha_of(targets, "Target A") == 255


def test_releasing_the_translucent_pinned_window(kavolt, targets):
    k = kavolt()
    p.pin(k, A_POINT)
    p.slide_to(k, 200)
    h.wait_until(lambda: alpha_of(targets, "Target A") == 55, 10, "A at alpha 55")

    p.select_option(k, p.RELEASE)
    asked = p.press_and_ask(A_POINT)
    assert p.question_text(asked) == "Target A" + p.ASK_RELEASE
    p.answer(asked, "Ok")
    f = p.wait_front(k, lambda f: f.selected == p.IDLE and not f.fr1["visible"],
                     "idle mode with the panel hidden")
    assert f.value == 0
    assert f.status == "解除"
    window = targets.window("Target A")
    assert not window["topmost"] and not window["layered"]


def test_releasing_another_window_empties_the_record(kavolt, targets):
    k = kavolt()
    p.pin(k, A_POINT)
    p.pin(k, B_POINT)
    p.pin(k, A_POINT, mode=p.RELEASE)
    f = p.wait_front(k, lambda f: not f.fr1["visible"], "the panel to hide")
    assert f.status == "解除"
    assert targets.window("Target B")["topmost"], "B stays topmost, no longer tracked"
    assert not targets.window("Target A")["topmost"]


KEY = 0x302010  # COLORREF of RRGGBB 102030
LWA_COLORKEY, LWA_ALPHA = 1, 2


def own_look(fixture) -> tuple:
    """Colour key, alpha (None where LWA_ALPHA is not set, and it means nothing) and flags."""
    window = fixture.window("Own layered")
    flags = window["layered_flags"]
    return window["layered"] and (window["color_key"], window["alpha"] if flags & LWA_ALPHA
                                  else None, flags)


# The program's own alpha and flags; with a colour key the window is shaped, or skinned.
@pytest.mark.parametrize("alpha, flags, slides",
                         [(200, LWA_COLORKEY | LWA_ALPHA, [(1, 199), (100, 122), (255, 0)]),
                          (None, LWA_COLORKEY, [(1, 254), (100, 155)])],
                         ids=["alpha and key", "key only"])
def test_a_window_layered_by_its_own_program_keeps_its_own_look(kavolt, fixture_windows, alpha,
                                                               flags, slides):
    layered = ("--layered", alpha) if alpha is not None else ()
    own = fixture_windows("--title", "Own layered", "--pos", *A_POS, *layered,
                          "--color-key", "102030")
    fixture_windows("--title", "Another", "--pos", *p.B_POS)
    look = own_look(own)
    assert look[0] == KEY and look[2] == flags
    k = kavolt()
    p.pin(k, A_POINT)
    for value, wanted in slides:
        p.slide_to(k, value)
        h.wait_until(lambda: own_look(own) == (KEY, wanted, flags | LWA_ALPHA), 10,
                     f"alpha {wanted} at {value} over the own key", state=lambda: own_look(own))
    # Pinning another window sets the slider back to 0: the window's own look.
    p.pin(k, B_POINT)
    assert own_look(own) == look
    p.pin(k, A_POINT, mode=p.RELEASE)
    window = own.window("Own layered")
    assert not window["topmost"] and own_look(own) == look


def test_a_window_that_draws_its_own_layers_is_never_given_an_alpha(kavolt, fixture_windows):
    own = fixture_windows("--title", "Draws itself", "--pos", *A_POS, "--draws-itself")
    k = kavolt()
    p.pin(k, A_POINT)
    p.slide_to(k, 100)
    # The release sets the slider back to 0 while the record still names the window.
    p.pin(k, A_POINT, mode=p.RELEASE)
    window = own.window("Draws itself")
    assert not window["topmost"] and window["layered"]
    assert window["alpha"] is None, "layered attributes set: its own drawing now fails"
    assert not [e for e in own.log_entries() if "update_layered_window_error" in e]


def test_the_panel_shows_while_the_pinned_window_exists(kavolt, fixture_windows, targets):
    k = kavolt()
    p.pin(k, A_POINT)
    p.wait_front(k, lambda f: f.fr1["visible"], "the panel to show")
    a = targets.window("Target A")

    # A twin with the same class and title, in front of A (a search by class and title
    # finds it first), must not hide the panel.
    twin = fixture_windows("--title", "Target A", "--pos", 650, 20)
    h.inspector("topmost", str(twin.window("Target A")["hwnd"]), "1")
    h.wait_until(lambda: twin.window("Target A")["zorder"] < targets.window("Target A")["zorder"],
                 10, "the twin in front of A")
    assert p.front(k).fr1["visible"]

    h.inspector("settitle", str(a["hwnd"]), "Target A renamed")
    p.wait_front(k, lambda f: not f.fr1["visible"], "the panel to hide after a new title")
    h.inspector("settitle", str(a["hwnd"]), "Target A")
    p.wait_front(k, lambda f: f.fr1["visible"], "the panel back with the old title")

    h.inspector("close", str(a["hwnd"]))
    f = p.wait_front(k, lambda f: not f.fr1["visible"], "the panel to hide after a close")
    assert f.value == 0


@pytest.mark.parametrize("how", ["close box", "alt+F4", "WM_CLOSE", "session end"])
def test_closing_in_set_mode_restores_the_arrow(kavolt, targets, how):
    k = kavolt()
    p.select_option(k, p.SET)
    assert k.arrow_changes()[-1].endswith("\\cursor\\set.cur")
    main = k.main_window()
    if how == "close box":
        # The close box sits at the right of the title bar, above the client area.
        h.click(main["rect"][2] - 12, (main["rect"][1] + main["client"][1]) // 2)
    elif how == "alt+F4":
        h.click(main["client"][0] + 3, main["client"][3] - 3)  # activate, on no control
        h.wait_until(lambda: k.main_window()["foreground"], 10, "Kavolt in the foreground")
        h.key("alt+F4")
    elif how == "WM_CLOSE":
        h.inspector("close", str(main["hwnd"]))
    else:
        h.inspector("post", str(main["hwnd"]), str(0x16), "1")  # WM_ENDSESSION, ending
    assert k.exit_code() == 0
    assert k.arrow_changes()[-1] == "saved copy"
    assert h.find_window("KavoltGuideWindow") is None


def test_pinned_and_translucent_windows_stay_so_after_kavolt_ends(kavolt, targets):
    k = kavolt()
    p.pin(k, A_POINT)
    p.slide_to(k, 55)
    h.wait_until(lambda: alpha_of(targets, "Target A") == 200, 10, "A at alpha 200")
    k.stop()
    window = targets.window("Target A")
    assert window["topmost"] and window["alpha"] == 200
