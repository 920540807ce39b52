"""Pointer navigation through real X input: tabs, entry slots, arrows, the
exit button and command buttons, each step checked on the screen against
the state the navigation rules give (menuscene.Nav)."""

import random
import time

import pytest

from menuscene import (CONTROLS, EXIT, NEXT, PREVIOUS, Command, Entry, MenuDef, Nav, centre,
                       expect_screen, inside, measure, pattern)

# "項目%d" as Shift-JIS, "項目" being the entry's word in the menu.
ITEM = b"\x8d\x80\x96\xda%d"
# "ページ", "空" (empty), "長い" (long)
PAGE = b"\x83\x79\x81\x5b\x83\x57"
EMPTY = b"\x8b\xf3"
LONG = b"\x92\xb7\x82\xa2"


def entries(count, first=1):
    """Entries with one to three command buttons (empty command lines:
    nothing starts) and, for every third, a picture."""
    made = []
    for n in range(first, first + count):
        commands = [Command(b"Cmd%d" % k) for k in range(1, n % 3 + 2)]
        decorations = [("PIC%d.BMP" % (n % 2), 20 * (n % 4), 30)] if n % 3 == 0 else []
        made.append(Entry(ITEM % n, commands, decorations))
    return made


def nav_menu():
    """Page 1: 7 entries (two groups); page 2: none; page 3: 11 (three
    groups); tabs 4 and 5 disabled."""
    return MenuDef(
        pages=[(PAGE, entries(7)), (EMPTY, []), (LONG, entries(11, first=20))],
        decorations=[("PIC0.BMP", 100, 150)],
        files={"PIC0.BMP": pattern(90, 60, 6), "PIC1.BMP": pattern(140, 50, 7)})


@pytest.fixture
def session(menus):
    """A started menu on nav_menu(), its model and the caption widths."""
    menu_def = nav_menu()
    menus.disc(menu_def.disc_files())
    menu = menus.start()
    menu.wait_window()
    menu.wait_painted()
    nav = Nav(menu_def)
    extents = measure(menus.wine, menu_def.texts())
    expect_screen(menu, nav, extents, "nav-start")
    return menu, nav, extents


def click(menu, nav, point):
    menu.click(*point)
    nav.click(*point)


TAB1, TAB2, TAB3, TAB4 = (centre(i) for i in range(3, 7))
SLOT1, SLOT2, SLOT3, SLOT5 = centre(8), centre(9), centre(10), centre(12)

# Each step is a click and the screen that must follow it.
WALK = [
    ("tab1", TAB1),        # page 1: tab pressed, captions, slot 1, "1/2"
    ("slot3", SLOT3),      # another entry of the group
    ("slot3-again", SLOT3),  # the selected slot only sounds
    ("next", centre(NEXT)),  # group 2: entries 6-7, slot 1, "2/2"
    ("slot5-disabled", SLOT5),  # no entry there: nothing happens
    ("previous", centre(PREVIOUS)),  # back to group 1, slot 1
    ("tab4-disabled", TAB4),  # no page 4
    ("tab2-empty", TAB2),  # slot 1 pressed uncaptioned, no counter text
    ("tab3", TAB3),
    ("next-3", centre(NEXT)),
    ("tab1-again", TAB1),  # back on page 1, group 1
]


def test_clicks_walk_pages_entries_and_groups(session):
    menu, nav, extents = session
    for name, point in WALK:
        click(menu, nav, point)
        expect_screen(menu, nav, extents, "nav-" + name, settle=0.3)
    assert menu.proc.poll() is None


# target: what is held; setup: clicks before; outside: where to let go.
HOLDS = [
    ("exit", centre(EXIT), [], (300, 300)),
    ("next-arrow", centre(NEXT), [TAB1], (600, 420)),
    ("command-button", (265 + 62, 449 + 16), [TAB1, SLOT2], (200, 200)),
]


@pytest.mark.parametrize("name, target, setup, outside", HOLDS, ids=[h[0] for h in HOLDS])
def test_held_control_acts_only_when_released_inside(session, name, target, setup, outside):
    menu, nav, extents = session
    for point in setup:
        click(menu, nav, point)
    expect_screen(menu, nav, extents, "hold-%s-setup" % name)

    menu.press(*target)
    nav.down(*target)
    expect_screen(menu, nav, extents, "hold-%s-pressed" % name, settle=0.3)
    # Released elsewhere: drawn released, nothing done.
    menu.release(*outside)
    nav.up(*outside)
    expect_screen(menu, nav, extents, "hold-%s-released-outside" % name, settle=0.3)
    assert menu.proc.poll() is None

    menu.click(*target)
    if name == "exit":
        assert menu.exit_code(timeout=20) == 0
        return
    nav.click(*target)
    expect_screen(menu, nav, extents, "hold-%s-released-inside" % name, settle=0.3)
    assert menu.proc.poll() is None


# A double click is two presses: a tab selects once and then only sounds;
# an arrow moves twice.
DOUBLES = [
    ("tab", [], TAB1),
    ("next-arrow", [TAB3], centre(NEXT)),
]


@pytest.mark.parametrize("name, setup, target", DOUBLES, ids=[d[0] for d in DOUBLES])
def test_double_click_is_two_presses(session, name, setup, target):
    menu, nav, extents = session
    for point in setup:
        click(menu, nav, point)
    ox, oy = menu.client_origin()
    menu.wine.xvfb.xdotool("mousemove", ox + target[0], oy + target[1],
                           "click", "--repeat", 2, "--delay", 60, 1)
    nav.click(*target)
    nav.click(*target)
    expect_screen(menu, nav, extents, "double-%s" % name, settle=0.5)


BURST = 2000


def burst_points(nav, rng):
    """A press point: mostly on controls and buttons, sometimes anywhere,
    never on the exit button."""
    while True:
        roll = rng.random()
        if roll < 0.6:
            x, y, w, h = CONTROLS[rng.randrange(1, 13)][:4]
            point = (x + rng.randrange(w), y + rng.randrange(h))
        elif roll < 0.8 and nav.buttons():
            _, x, y, w, h = nav.buttons()[rng.randrange(len(nav.buttons()))][:5]
            point = (x + rng.randrange(w), y + rng.randrange(h))
        else:
            point = (rng.randrange(640), rng.randrange(480))
        if not inside(*point, *CONTROLS[EXIT][:4]):
            return point


def test_random_burst_keeps_the_menu_right(session):
    menu, nav, extents = session
    rng = random.Random(4101)
    ox, oy = menu.client_origin()
    began = time.monotonic()
    chunk = []
    for n in range(BURST):
        press = burst_points(nav, rng)
        # Half are clicks in place, half let go somewhere else.
        release = press if rng.random() < 0.5 else (rng.randrange(640), rng.randrange(480))
        nav.down(*press)
        nav.up(*release)
        chunk += ["mousemove", ox + press[0], oy + press[1], "mousedown", 1,
                  "mousemove", ox + release[0], oy + release[1], "mouseup", 1]
        if len(chunk) >= 400 or n == BURST - 1:
            menu.wine.xvfb.xdotool(*chunk)
            chunk = []
            time.sleep(0.05)
    sent = time.monotonic() - began
    expect_screen(menu, nav, extents, "burst-after", timeout=120, settle=1.0)
    print("\n%d presses and releases sent in %.1f s, screen right after %.1f s"
          % (BURST, sent, time.monotonic() - began))
    assert menu.proc.poll() is None
    assert menu.close()
    assert menu.exit_code() == 0
