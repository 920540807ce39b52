"""The sample disc without a mouse: real key presses through X (xdotool),
and a stand-in screen reader (the reader helper) asking the surface's
accessible object from another process, as Narrator, NVDA and JAWS do.
Screenshots are kept in e2e-artifacts/walk/.
"""

import subprocess
import time

import harness
from harness import FRAME_CLASS, FRAME_TITLE, helper
from recorders import bring_forward
from test_walk import (DISABLED, EXIT, INSTALL, NEXT, NORMAL, PRESSED, PREV, SLOTS, TABS,
                       button_rect, check_page, differs, disc_picture, sample_recorder_log,
                       save, started_walk, strips)  # noqa: F401 (strips: a fixture)

# Page titles and entry titles of the sample disc, and the names the menu
# gives its own controls: 前へ, 次へ, 終了.
PAGE_TITLES = ["インストール", "マニュアル", "ギャラリー", "サポート", ""]
INSTALL_ENTRIES = ["おすすめインストール", "カスタムインストール", "アンインストール"]
PREVIOUS_NAME, NEXT_NAME, EXIT_NAME = "前へ", "次へ", "終了"

PAGETAB, LISTITEM, TEXT, BUTTON = 0x25, 0x22, 0x29, 0x2B
UNAVAILABLE, SELECTED, FOCUSED, PRESSED_STATE = 0x1, 0x2, 0x4, 0x8
FOCUSABLE = 0x100000


def keys(menu, *names):
    """Presses and lets go each key in turn, giving the menu time for each."""
    for name in names:
        menu.wine.xvfb.xdotool("key", name)
        time.sleep(0.3)


def focus_shown(shot, strips, control, state=NORMAL, picture=None):
    """Whether the dotted focus frame lies 2 pixels inside the control: its
    top line differs from the control's cell (or picture) in many pixels; no
    caption reaches that line."""
    x, y, w, h = control[:4]
    sx, sy = 0, 0
    if picture is None:
        picture, sx, sy = strips[control[4]], state * w, control[5]
    return differs(shot, x + 2, y + 2, picture, sx + 2, sy + 2, w - 4, 1) >= (w - 4) // 4


def without_frame(shot, strips, control, state):
    """A copy of shot with the focus frame's ring inside the control put
    back as the control's cell has it, for the checks of the walk."""
    x, y, w, h, strip, sy = control
    cell = strips[strip].crop((state * w, sy, state * w + w, sy + h))
    copy = shot.copy()
    for box in ((2, 2, w - 2, 3), (2, h - 3, w - 2, h - 2), (2, 2, 3, h - 2),
                (w - 3, 2, w - 2, h - 2)):
        copy.paste(cell.crop(box), (x + box[0], y + box[1]))
    return copy


def expect_focus(menu, strips, name, on, state=NORMAL, picture=None, others=()):
    """Waits until the focus frame shows on the control on, and on none of
    others ((control, state) pairs); saves the screen as name."""
    deadline = time.monotonic() + 15
    while True:
        shot = menu.surface_image()
        right = focus_shown(shot, strips, on, state, picture) and \
            not any(focus_shown(shot, strips, c, s) for c, s in others)
        if right or time.monotonic() > deadline:
            break
        time.sleep(0.3)
    save(menu, name)
    assert right, "%s: the focus frame is not where expected" % name
    return shot


def test_the_keyboard_reaches_and_starts_what_the_pointer_does(menus, strips):
    wine = menus.wine
    recorder = sample_recorder_log(wine)
    menu, shot = started_walk(menus)
    # No frame before a key is used.
    assert not any(focus_shown(shot, strips, t) for t in TABS[:4] + [EXIT])

    # Tab: the four tabs (the fifth has no page), then the exit button, then
    # round again; Shift+Tab back.
    start = [(t, NORMAL) for t in TABS[:4]] + [(EXIT, NORMAL)]
    for n, (control, state) in enumerate(start + start[:1]):
        keys(menu, "Tab")
        expect_focus(menu, strips, "20-key-tab-%d" % n, control, state,
                     others=[c for c in start if c[0] is not control])
    keys(menu, "shift+Tab")
    expect_focus(menu, strips, "21-key-shift-tab", EXIT)

    # Right to the gallery tab, Enter: its page, the focus stays on its tab.
    keys(menu, "Tab", "Right", "Right", "Left", "Right")
    keys(menu, "Return")
    shot = expect_focus(menu, strips, "22-key-gallery", TABS[2], PRESSED)
    check_page(without_frame(shot, strips, TABS[2], PRESSED), strips, 2, 7)
    # Through its five slots to the next arrow; Enter there shows the second
    # group and, that arrow being the last, puts the focus on its first slot.
    keys(menu, *["Tab"] * 7)
    expect_focus(menu, strips, "23-key-next-arrow", NEXT)
    keys(menu, "Return")
    shot = expect_focus(menu, strips, "24-key-second-group", SLOTS[0], PRESSED)
    check_page(without_frame(shot, strips, SLOTS[0], PRESSED), strips, 2, 7, group=1)
    keys(menu, "Tab", "Tab")
    expect_focus(menu, strips, "25-key-previous-arrow", PREV)
    keys(menu, "space")
    shot = expect_focus(menu, strips, "26-key-first-group", SLOTS[0], PRESSED)
    check_page(without_frame(shot, strips, SLOTS[0], PRESSED), strips, 2, 7)

    # The install page, its third entry with Down, its one button, Enter.
    keys(menu, "shift+Tab")
    expect_focus(menu, strips, "27-key-back-to-the-tabs", TABS[3])
    keys(menu, "Left", "Left", "Left")
    expect_focus(menu, strips, "28-key-install-tab", TABS[0])
    # Past the other three tabs (the fifth has no page) to the first slot.
    keys(menu, "space", "Tab", "Tab", "Tab", "Tab", "Down", "Down", "Up", "Down")
    expect_focus(menu, strips, "29-key-third-slot", SLOTS[2])
    keys(menu, "Return")
    shot = expect_focus(menu, strips, "30-key-uninstall", SLOTS[2], PRESSED)
    # The two columns left of the frame show each slot's state.
    for s in range(5):
        state = PRESSED if s == 2 else NORMAL if s < 3 else DISABLED
        assert differs(shot, SLOTS[s][0], SLOTS[s][1], strips["entrystrip"],
                       state * 237, 35 * s, 2, 35) == 0, "slot %d" % s
    keys(menu, "Tab")
    button = button_rect(None, None, 1, 0)
    expect_focus(menu, strips, "31-key-button", button, picture=strips["button"])
    keys(menu, "Return")
    assert [(s["command"], s["directory"]) for s in recorder.wait_starts(1)] == \
        [("setup.exe /REMOVE", "Q:\\SETUP")]
    wine.probe("close", "RecorderWindow", "-")
    assert wine.wait_gone("RecorderWindow", "-", timeout=15)
    bring_forward(wine)

    # A pointer click hides the frame; the keyboard shows it again.
    menu.click(50, 300)
    shot = menu.surface_image()
    assert not focus_shown(shot, strips, button, picture=strips["button"])
    keys(menu, "Tab")
    expect_focus(menu, strips, "32-key-exit", EXIT)
    keys(menu, "Return")
    assert menu.exit_code(timeout=20) == 0
    assert len(recorder.starts()) == 1


def reader(wine, *args):
    result = subprocess.run([harness.WINE, helper("reader")] + [str(a) for a in args],
                            env=wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=60)
    return result.returncode, harness.parse_keys(result.stdout.decode("ascii", "replace"))


def tree(wine):
    """[(name, role, state, (left, top, width, height), action)] by child."""
    code, info = reader(wine, "tree", FRAME_CLASS, FRAME_TITLE)
    assert code == 0, "no accessible object: %r" % info
    children = []
    for k in range(1, int(info["count"]) + 1):
        role, state, *place = info["child.%d" % k].split()
        name, action = (bytes.fromhex(info["child.%d.%s" % (k, key)]).decode("utf-16-le")
                        for key in ("name", "action"))
        children.append((name, int(role), int(state, 16), tuple(int(v) for v in place), action))
    return children, info["focus"]


def expected_fixed(origin, page=None, entries=(), counter=""):
    """The 13 fixed children and the counter in reading order, as (name,
    role, state, place) for a page selected (index) with its entries."""
    ox, oy = origin
    rows = []
    for t, tab in enumerate(TABS):
        state = 0x200000 | (UNAVAILABLE if t == 4 else FOCUSABLE)
        if t == page:
            state |= SELECTED
        rows.append((PAGE_TITLES[t], PAGETAB, state, tab))
    for s, slot in enumerate(SLOTS):
        state = 0x200000 | (FOCUSABLE if s < len(entries) else UNAVAILABLE)
        if page is not None and s == 0:
            state |= SELECTED
        rows.append((entries[s] if s < len(entries) else "", LISTITEM, state, slot))
    rows.append((PREVIOUS_NAME, BUTTON, UNAVAILABLE, PREV))
    rows.append((counter, TEXT, 0x40, (505, 317, 40, 24)))
    rows.append((NEXT_NAME, BUTTON, UNAVAILABLE, NEXT))
    return [(n, r, s, (ox + c[0], oy + c[1], c[2], c[3])) for n, r, s, c in rows]


def test_a_screen_reader_reads_every_control_and_starts_a_button(menus):
    wine = menus.wine
    recorder = sample_recorder_log(wine)
    menu, _ = started_walk(menus)
    origin = menu.client_origin()
    exit_row = (EXIT_NAME, BUTTON, FOCUSABLE, (origin[0] + 580, origin[1] + 435, 60, 45))

    children, focus = tree(wine)
    assert [c[:4] for c in children] == expected_fixed(origin) + [exit_row]
    assert focus == "0"  # the surface itself: no key has chosen a control yet
    assert {c[4] for c in children[:5]} == {"切り替え"}
    assert {c[4] for c in children[5:10]} == {"選択"}
    assert children[11][4] == "" and children[13][4] == "押す"

    # The default action of the first tab chooses its page, as a click does.
    assert reader(wine, "do", FRAME_CLASS, FRAME_TITLE, 1)[0] == 0
    menu.wait_painted()
    save(menu, "40-reader-install")
    children, _ = tree(wine)
    full = disc_picture("BTN\\AMBER.BMP")
    buttons = [("今すぐインストール", BUTTON, FOCUSABLE,
                (origin[0] + 11 + 117, origin[1] + 105 + 196, full.width // 2, full.height)),
               ("お読みください", BUTTON, FOCUSABLE, (origin[0] + 265, origin[1] + 449, 124, 32))]
    assert [c[:4] for c in children] == \
        expected_fixed(origin, INSTALL, INSTALL_ENTRIES, "1/1") + buttons + [exit_row]

    # The third entry, then its one button: the installer starts.
    assert reader(wine, "do", FRAME_CLASS, FRAME_TITLE, 8)[0] == 0
    menu.wait_painted()
    children, _ = tree(wine)
    assert children[7][2] & SELECTED
    assert children[13][:2] == ("削除する", BUTTON)
    assert reader(wine, "do", FRAME_CLASS, FRAME_TITLE, 14)[0] == 0
    assert [(s["command"], s["directory"]) for s in recorder.wait_starts(1)] == \
        [("setup.exe /REMOVE", "Q:\\SETUP")]
    # A disabled control has no action to do.
    assert reader(wine, "do", FRAME_CLASS, FRAME_TITLE, 11)[0] == 2
    wine.probe("close", "RecorderWindow", "-")
    assert wine.wait_gone("RecorderWindow", "-", timeout=15)
    save(menu, "41-reader-started")
    assert len(recorder.starts()) == 1
