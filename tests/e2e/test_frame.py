"""The main frame: identity, size and place, the surface child, one copy per
desktop, and closing."""

import pytest

from harness import FRAME_CLASS, FRAME_TITLE, SURFACE_CLASS, ints, trunc_div

WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_CAPTION = 0x00C00000
WS_SYSMENU = 0x00080000
WS_THICKFRAME = 0x00040000
WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_POPUP = 0x80000000
CS_VREDRAW, CS_HREDRAW, CS_DBLCLKS = 0x1, 0x2, 0x8


def started(menus):
    menus.disc()
    menu = menus.start()
    menu.wait_window()
    return menu


def screen_size(wine):
    code, screen = wine.probe("screen")
    assert code == 0
    return int(screen["width"]), int(screen["height"])


def assert_normal_and_centred(wine, info):
    """Client 640x480, frame centred as (screen - outer) / 2 truncated."""
    assert ints(info["client"]) == [0, 0, 640, 480]
    left, top, right, bottom = ints(info["window"])
    width, height = right - left, bottom - top
    screen_w, screen_h = screen_size(wine)
    assert (left, top) == (trunc_div(screen_w - width, 2), trunc_div(screen_h - height, 2))
    assert (info["iconic"], info["zoomed"], info["visible"]) == ("0", "0", "1")


def test_frame_is_a_fixed_captioned_window(menus):
    info = started(menus).info
    assert (info["class"], info["title"]) == (FRAME_CLASS, FRAME_TITLE)
    style = int(info["style"], 16)
    shape = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | \
        WS_POPUP | WS_CHILD
    # Movable, minimisable and closable, but neither resizable nor maximisable.
    assert style & shape == WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
    # No CS_DBLCLKS: a quick second click must arrive as another press.
    assert int(info["classstyle"], 16) == CS_HREDRAW | CS_VREDRAW
    assert int(info["child.classstyle"], 16) == CS_HREDRAW | CS_VREDRAW


def test_client_area_is_640x480_and_centred(menus):
    menu = started(menus)
    assert_normal_and_centred(menus.wine, menu.info)


def test_surface_is_child_1_over_the_whole_client_area(menus):
    info = started(menus).info
    assert info["child"] == "1"
    assert info["child.class"] == SURFACE_CLASS
    assert ints(info["child.rect"]) == [0, 0, 640, 480]
    assert info["child.visible"] == "1"
    assert int(info["child.style"], 16) & (WS_CHILD | WS_VISIBLE | WS_POPUP | WS_CAPTION) == \
        WS_CHILD | WS_VISIBLE


@pytest.mark.parametrize("first_minimised", [False, True], ids=["shown", "minimised"])
def test_second_start_raises_the_first_and_ends(menus, first_minimised):
    wine = menus.wine
    first = started(menus)
    if first_minimised:
        wine.probe("minimize", FRAME_CLASS, FRAME_TITLE)
        assert first.refresh()["iconic"] == "1"
    # Another window in front, so that bringing the menu forward shows.
    menus.spawn("decoy", "DecoyClass", "Elsewhere")
    assert wine.wait_window("DecoyClass", "Elsewhere")
    wine.probe("activate", "DecoyClass", "Elsewhere")
    assert wine.foreground()["title"] == "Elsewhere"

    second = menus.start()
    assert second.exit_code(timeout=30) == 0
    assert wine.count_windows() == 1
    assert first.proc.poll() is None
    front = wine.foreground()
    assert (front["class"], front["title"], front["hwnd"]) == \
        (FRAME_CLASS, FRAME_TITLE, first.info["hwnd"])
    # Brought forward only: neither shown nor restored.
    assert first.refresh()["iconic"] == ("1" if first_minimised else "0")


@pytest.mark.parametrize("cls, title", [
    ("DecoyClass", FRAME_TITLE),        # same title, other class
    (FRAME_CLASS, "XERVO CD-ROM"),      # same class, other title
], ids=["other-class", "other-title"])
def test_lookalike_window_is_not_a_running_copy(menus, cls, title):
    wine = menus.wine
    menus.spawn("decoy", cls, title)
    assert wine.wait_window(cls, title)
    menus.disc()
    menu = menus.start()
    menu.wait_window()
    assert menu.proc.poll() is None
    assert wine.count_windows() == 1
    assert wine.count_windows(cls, title) == 1


def test_close_ends_the_process_with_code_0(menus):
    menu = started(menus)
    assert menu.close()
    assert menu.exit_code(timeout=20) == 0
    assert menus.wine.count_windows() == 0


@pytest.mark.parametrize("show", ["minimized", "maximized"])
def test_show_mode_of_the_start_is_ignored(menus, show):
    menus.disc()
    menu = menus.start(show=show)
    menu.wait_window()
    assert_normal_and_centred(menus.wine, menu.info)
    assert menu.close()
    assert menu.exit_code(timeout=20) == 0


def test_minimising_moves_the_surface_off_and_restoring_back(menus):
    wine = menus.wine
    menu = started(menus)
    wine.probe("minimize", FRAME_CLASS, FRAME_TITLE)
    info = menu.refresh()
    assert info["iconic"] == "1"
    # An empty client rectangle centres the 640x480 surface at (-320, -240).
    assert ints(info["child.rect"]) == [-320, -240, 320, 240]
    wine.probe("restore", FRAME_CLASS, FRAME_TITLE)
    info = menu.refresh()
    assert info["iconic"] == "0"
    assert ints(info["child.rect"]) == [0, 0, 640, 480]

