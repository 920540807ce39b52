"""A walk through the sample disc as a person would take it: start, every tab,
every entry, both arrows, every command, minimise and restore, a second
start, and the three ways out, each doing the same stop work.

The disc's stand-in installer (SETUP\\SETUP.EXE) is the recorder helper, so
every start of it leaves a line with its command line and current directory.
Screenshots of each step are kept in e2e-artifacts/walk/.
"""

import os
import shutil
import time

import pytest
from PIL import Image, ImageChops

import harness
from harness import FRAME_CLASS, FRAME_TITLE, helper, ints
from recorders import RecorderLog

SAMPLE = os.path.join(harness.ROOT, "sample")
ART = os.path.join(harness.ROOT, "resources", "art")
SHOTS = os.path.join(harness.ARTIFACTS, "walk")

DELDIR_SECTION = "XervoCD-ROM"

# Fixed controls: (x, y, w, h, strip, srcY); normal cell at srcX 0, pressed
# at w, disabled at 2w.
EXIT = (580, 435, 60, 45, "navstrip", 0)
PREV = (443, 310, 40, 40, "navstrip", 45)
NEXT = (566, 310, 40, 40, "navstrip", 85)
TABS = [(1 + 128 * i, 56, 126, 26, "tabstrip", 26 * i) for i in range(5)]
SLOTS = [(402, 107 + 40 * i, 237, 35, "entrystrip", 35 * i) for i in range(5)]
NORMAL, PRESSED, DISABLED = 0, 1, 2
CONTENT_X, CONTENT_Y = 11, 105


def art(name):
    return Image.open(os.path.join(ART, name + ".bmp")).convert("RGB")


def disc_picture(name):
    return Image.open(os.path.join(SAMPLE, *name.split("\\"))).convert("RGB")


def differs(shot, x, y, picture, sx, sy, w, h):
    """Number of pixels of shot's (x, y, w, h) unlike picture's (sx, sy, w, h)."""
    diff = ImageChops.difference(shot.crop((x, y, x + w, y + h)),
                                 picture.crop((sx, sy, sx + w, sy + h)))
    return sum(1 for p in diff.getdata() if p != (0, 0, 0))


def control_look(shot, control, state, strips):
    """Whether the control shows the cell of state. Captions never reach the
    top 5 rows nor the first columns (30 of an entry slot, 6 of a tab), so
    those are compared in full."""
    x, y, w, h, strip, sy = control
    sx = state * w
    columns = {"entrystrip": 30, "tabstrip": 6}.get(strip, w)
    top = differs(shot, x, y, strips[strip], sx, sy, w, 5)
    left = differs(shot, x, y, strips[strip], sx, sy, columns, h)
    return top == 0 and left == 0


def walk_files():
    """The sample disc with the recorder as its installer."""
    files = {}
    for folder, _, names in os.walk(SAMPLE):
        for name in names:
            path = os.path.join(folder, name)
            files[os.path.relpath(path, SAMPLE).replace(os.sep, "\\")] = path
    files["SETUP\\SETUP.EXE"] = helper("recorder")
    return files


def save(menu, name):
    os.makedirs(SHOTS, exist_ok=True)
    menu.wine.xvfb.screenshot().save(os.path.join(SHOTS, name + ".png"))


def _run(wine, name, *args):
    import subprocess
    result = subprocess.run([harness.WINE, helper(name)] + [str(a) for a in args], env=wine.env,
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=60)
    return result.returncode, harness.parse_keys(result.stdout.decode("cp932", "replace"))


def sample_recorder_log(wine):
    """The log the sample disc's stand-in programs write, C:\\recorder.log
    of the prefix, emptied."""
    path = os.path.join(wine.prefix, "drive_c", "recorder.log")
    if os.path.exists(path):
        os.remove(path)
    return RecorderLog(wine, path)


# --- win.ini -------------------------------------------------------------------

def win_ini(wine):
    return os.path.join(wine.prefix, "drive_c", "windows", "win.ini")


def write_deldirs(wine, dirs):
    """Replaces the DelDir list of win.ini with dirs (Windows paths)."""
    path = win_ini(wine)
    text = open(path, "rb").read().decode("latin-1") if os.path.exists(path) else ""
    kept, skip = [], False
    for line in text.splitlines():
        if line.startswith("["):
            skip = line.strip().lower() == "[%s]" % DELDIR_SECTION.lower()
        if not skip:
            kept.append(line)
    kept.append("[%s]" % DELDIR_SECTION)
    kept += ["DelDir%d=%s" % (n + 1, d) for n, d in enumerate(dirs)]
    with open(path, "wb") as f:
        f.write(("\r\n".join(kept) + "\r\n").encode("latin-1"))


def deldir_section(wine):
    text = open(win_ini(wine), "rb").read().decode("latin-1")
    lines, inside = [], False
    for line in text.splitlines():
        if line.startswith("["):
            inside = line.strip().lower() == "[%s]" % DELDIR_SECTION.lower()
            if inside:
                lines.append(line)
            continue
        if inside and line.strip():
            lines.append(line)
    return lines


def make_deldir(wine, name):
    """A directory with two files under the prefix's C:; its Windows path."""
    folder = os.path.join(wine.prefix, "drive_c", name)
    os.makedirs(folder, exist_ok=True)
    for f in ("a.tmp", "b.tmp"):
        with open(os.path.join(folder, f), "wb") as out:
            out.write(b"x")
    return folder, "C:\\" + name


# --- The walk ------------------------------------------------------------------

@pytest.fixture
def strips():
    return {name: art(name) for name in ("background", "navstrip", "tabstrip",
                                         "entrystrip", "counter", "button")}


def started_walk(menus):
    menus.disc(walk_files())
    menu = menus.start()
    menu.wait_window()
    return menu, menu.wait_painted()


def check_page(shot, strips, tab, entries, group=0):
    """Tab tab selected, entries entries, group group shown, slot 1 selected."""
    for t in range(4):
        assert control_look(shot, TABS[t], PRESSED if t == tab else NORMAL, strips), "tab %d" % t
    assert control_look(shot, TABS[4], DISABLED, strips)
    shown = min(5, entries - 5 * group)
    for s in range(5):
        state = PRESSED if s == 0 else NORMAL if s < shown else DISABLED
        assert control_look(shot, SLOTS[s], state, strips), "slot %d" % s
    groups = (entries + 4) // 5
    assert control_look(shot, PREV, NORMAL if group > 0 else DISABLED, strips)
    assert control_look(shot, NEXT, NORMAL if group < groups - 1 else DISABLED, strips)
    # The counter shows numbers exactly when the page has entries.
    text = differs(shot, 505, 317, strips["counter"], 0, 0, 40, 24)
    assert (text > 0) == (entries > 0)


def button_rect(name, place, count, index):
    """(x, y, w, h) of a command button: own picture at BtnPos, or the
    default picture at its default place."""
    if name:
        picture = disc_picture(name)
        x, y = place
        return CONTENT_X + x, CONTENT_Y + y, picture.width // 2, picture.height
    columns = [17, 141, 265]
    first = {1: 2, 2: 1, 0: 0}[count % 3] if index // 3 == (count - 1) // 3 else 0
    return columns[index % 3 + first], 449, 124, 32


# Every entry of the sample: (tab, slot, group), decorations (picture, x, y),
# and its commands: (button picture, BtnPos, expected start).
# A start is ("run", command line, current directory) for the installer or
# ("doc", file name) for a document opened by its registered program.
INSTALL, MANUALS, GALLERY, SUPPORT = range(4)
ENTRIES = [
    ("FULL", INSTALL, 0, 0, [("PIC\\INSTALL.BMP", 112, 40)], [
        ("BTN\\AMBER.BMP", (117, 196), ("run", "setup.exe /FULL", "Q:\\SETUP")),
        (None, None, ("doc", "README.TXT")),
    ]),
    ("CUSTOM", INSTALL, 1, 0, [("PIC\\INSTALL.BMP", 112, 40)], [
        ("BTN\\BLUE24.BMP", (117, 196),
         ("run", "setup.exe /CUSTOM /PARTS=VIEWER,DATA", "Q:\\SETUP")),
        (None, None, ("doc", "SYSTEM.TXT")),
        (None, None, ("run", "setup.exe /TARGET", "Q:\\SETUP")),
    ]),
    ("UNINSTALL", INSTALL, 2, 0, [], [
        (None, None, ("run", "setup.exe /REMOVE", "Q:\\SETUP")),
    ]),
    ("GUIDE", MANUALS, 0, 0, [("PIC\\MANUAL.BMP", 112, 40)], [
        (None, None, ("doc", "README.TXT")),
    ]),
    ("FAQ", MANUALS, 1, 0, [("PIC\\MANUAL.BMP", 112, 40)], [
        (None, None, ("doc", "FAQ.TXT")),
        (None, None, ("notepad",)),
    ]),
] + [
    ("WORK%d" % (n + 1), GALLERY, n % 5, n // 5,
     [("PIC\\%s.BMP" % ("MOVIE" if n % 2 == 0 else "MUSIC"), 112, 40)] +
     ([("PIC\\MOVIE.BMP", 112, 180)] if n == 5 else []),
     [(None, None, ("doc", "GALLERY.TXT"))])
    for n in range(7)
]
PAGE_SIZES = {INSTALL: 3, MANUALS: 2, GALLERY: 7, SUPPORT: 0}


def notepads(wine):
    code, info = _run(wine, "probe", "count", "Notepad", "-")
    return int(info["count"]) if code == 0 else 0


def wait_notepads(wine, n, timeout=30):
    deadline = time.monotonic() + timeout
    count = notepads(wine)
    while count != n and time.monotonic() < deadline:
        time.sleep(0.3)
        count = notepads(wine)
    return count


@pytest.fixture
def text_opener(menus):
    """Text documents open with a copy of the recorder (a fresh prefix knows
    no program for them), so that each opening is logged."""
    wine = menus.wine
    shutil.copy(helper("recorder"), os.path.join(wine.prefix, "drive_c", "walkdoc.exe"))
    keys = [("HKCR\\.txt", "WalkText"),
            ("HKCR\\WalkText\\shell\\open\\command",
             'C:\\walkdoc.exe /exit "%1"')]
    for key, value in keys:
        _reg(wine, "add", key, "/ve", "/d", value, "/f")
    yield
    _reg(wine, "delete", "HKCR\\WalkText", "/f")
    _reg(wine, "delete", "HKCR\\.txt", "/f")


def _reg(wine, *args):
    import subprocess
    subprocess.run([harness.WINE, "reg"] + list(args), env=wine.env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60, check=True)


def centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


def test_walk_through_the_sample_disc(menus, strips, text_opener):
    wine = menus.wine
    recorder = sample_recorder_log(wine)
    menu, shot = started_walk(menus)
    save(menu, "01-start")

    # Start screen: background, exit button, tabs of the four pages, the
    # fifth disabled, slots and arrows disabled, the MENU section's logo.
    assert differs(shot, 0, 0, strips["background"], 0, 0, 640, 56) == 0
    assert control_look(shot, EXIT, NORMAL, strips)
    assert all(control_look(shot, TABS[t], NORMAL, strips) for t in range(4))
    assert control_look(shot, TABS[4], DISABLED, strips)
    assert all(control_look(shot, s, DISABLED, strips) for s in SLOTS + [PREV, NEXT])
    assert differs(shot, 505, 317, strips["counter"], 0, 0, 40, 24) == 0
    logo = disc_picture("LOGO.BMP")
    assert differs(shot, CONTENT_X + 12, CONTENT_Y + 24, logo, 0, 0, logo.width,
                   logo.height) == 0

    starts = []
    page = None
    for name, tab, slot, group, decorations, commands in ENTRIES:
        if tab != page:
            menu.click(*centre(TABS[tab][:4]), settle=1.0)
            shot = menu.wait_painted()
            save(menu, "02-page-%d" % (tab + 1))
            check_page(shot, strips, tab, PAGE_SIZES[tab])
            page = tab
        if group == 1 and slot == 0:
            menu.click(*centre(NEXT[:4]), settle=1.0)
            shot = menu.wait_painted()
            save(menu, "03-next-group")
            check_page(shot, strips, tab, PAGE_SIZES[tab], group=1)
        if slot != 0:
            menu.click(*centre(SLOTS[slot][:4]), settle=0.8)
        shot = menu.wait_painted()
        save(menu, "04-entry-%s" % name)
        assert control_look(shot, SLOTS[slot], PRESSED, strips), name
        # The new entry's pictures, and nothing of the previous entry's.
        for picture, dx, dy in decorations:
            image = disc_picture(picture)
            assert differs(shot, CONTENT_X + dx, CONTENT_Y + dy, image, 0, 0,
                           image.width, image.height) == 0, (name, picture)
        if not decorations:
            assert differs(shot, 123, 145, strips["background"], 123, 145, 100, 100) == 0
        for index, (picture, place, start) in enumerate(commands):
            rect = button_rect(picture, place, len(commands), index)
            source = disc_picture(picture) if picture else strips["button"]
            # Above the caption band the button shows its normal half.
            assert differs(shot, rect[0], rect[1], source, 0, 0, rect[2], 6) == 0, \
                (name, index)
        for index, (picture, place, start) in enumerate(commands):
            rect = button_rect(picture, place, len(commands), index)
            menu.click(*centre(rect), settle=0.5)
            if start[0] == "notepad":
                assert wait_notepads(wine, 1) == 1, name
            else:
                starts.append(start)
                last = recorder.wait_starts(len(starts))[-1]
                line, folder = last["command"], last["directory"]
            if start[0] == "run":
                assert (line, folder) == start[1:], (name, index)
            elif start[0] == "doc":
                # The document by its path on the disc, lower-cased by the menu.
                assert line.lower().endswith('\\docs\\%s"' % start[1].lower()), (name, line)
            # Closed again at once: without a window manager the started
            # window's child would stay drawn over the menu.
            if start[0] != "doc":
                cls = "Notepad" if start[0] == "notepad" else "RecorderWindow"
                wine.probe("close", cls, "-")
                assert wine.wait_gone(cls, "-", timeout=15)
                time.sleep(0.3)
        if group == 1 and slot == 1:
            menu.click(*centre(PREV[:4]), settle=1.0)
            shot = menu.wait_painted()
            save(menu, "05-previous-group")
            check_page(shot, strips, tab, PAGE_SIZES[tab], group=0)
    # One start per click, nothing more.
    assert len(recorder.starts()) == len(starts)

    menu.click(*centre(TABS[SUPPORT][:4]), settle=1.0)
    shot = menu.wait_painted()
    save(menu, "06-page-without-entries")
    check_page(shot, strips, SUPPORT, 0)
    assert differs(shot, CONTENT_X, CONTENT_Y, strips["background"], CONTENT_X,
                   CONTENT_Y, 385, 376) == 0

    # Minimise and restore: the surface goes to (-320, -240) and comes back
    # painted as it was.
    before = menu.surface_image()
    assert _run(wine, "poke", "syscmd", FRAME_CLASS, FRAME_TITLE, "minimize")[0] == 0
    time.sleep(0.5)
    info = menu.refresh()
    assert (info["iconic"], ints(info["child.rect"])) == ("1", [-320, -240, 320, 240])
    save(menu, "07-minimised")
    wine.probe("restore", FRAME_CLASS, FRAME_TITLE)
    info = menu.refresh()
    assert (info["iconic"], ints(info["child.rect"])) == ("0", [0, 0, 640, 480])
    assert menu.wait_painted().tobytes() == before.tobytes()
    save(menu, "08-restored")

    # A second start brings this one to the front and ends.
    menus.spawn("decoy", "DecoyClass", "Elsewhere")
    assert wine.wait_window("DecoyClass", "Elsewhere")
    wine.probe("activate", "DecoyClass", "Elsewhere")
    second = menus.start()
    assert second.exit_code(timeout=30) == 0
    assert wine.count_windows() == 1
    assert wine.foreground()["hwnd"] == menu.info["hwnd"]
    save(menu, "09-second-start")

    menu.click(*centre(EXIT[:4]), settle=0.2)
    assert menu.exit_code(timeout=20) == 0


def exit_by_button(menu):
    menu.click(*centre(EXIT[:4]), settle=0)


def exit_by_window_menu(menu):
    assert _run(menu.wine, "poke", "syscmd", FRAME_CLASS, FRAME_TITLE, "close")[0] == 0


def exit_by_alt_f4(menu):
    # A click on the plain background gives the menu the keyboard focus.
    menu.click(50, 300, settle=0.3)
    menu.wine.xvfb.xdotool("key", "alt+F4")


def exit_by_keyboard(menu):
    # Shift+Tab before any other key goes to the last stop, the exit button.
    menu.click(50, 300, settle=0.3)
    menu.wine.xvfb.xdotool("key", "--delay", 120, "shift+Tab", "Return")


@pytest.mark.parametrize("leave", [exit_by_button, exit_by_window_menu, exit_by_alt_f4,
                                   exit_by_keyboard],
                         ids=["exit-button", "window-menu-close", "alt-f4", "keyboard"])
def test_every_way_out_does_the_stop_work(menus, leave):
    wine = menus.wine
    recorder = sample_recorder_log(wine)
    folder, listed = make_deldir(wine, "walk-deldir")
    write_deldirs(wine, [listed, "C:\\walk-no-such-dir"])
    menu, _ = started_walk(menus)
    # One started program, to be asked to close at exit.
    menu.click(*centre(TABS[INSTALL][:4]), settle=1.0)
    menu.click(*centre(SLOTS[2][:4]), settle=0.8)
    menu.click(*centre(button_rect(None, None, 1, 0)), settle=0.5)
    assert [(s["command"], s["directory"]) for s in recorder.wait_starts(1)] == \
        [("setup.exe /REMOVE", "Q:\\SETUP")]
    save(menu, "10-before-%s" % leave.__name__)

    leave(menu)
    assert menu.exit_code(timeout=20) == 0
    assert not os.path.exists(folder)
    # Nothing stays listed: the section is gone.
    assert deldir_section(wine) == []
    assert wine.wait_gone("RecorderWindow", "-", timeout=15)
    assert [f[0] for f in recorder.records()] == ["start", "closed"]


def test_a_missing_installer_shows_the_cannot_start_message(menus):
    files = walk_files()
    del files["SETUP\\SETUP.EXE"]
    menus.disc(files)
    menu = menus.start()
    menu.wait_window()
    menu.wait_painted()
    menu.click(*centre(TABS[INSTALL][:4]), settle=1.0)
    menu.click(*centre(SLOTS[2][:4]), settle=0.8)
    menu.click(*centre(button_rect(None, None, 1, 0)), settle=0.5)
    save(menu, "11-missing-installer")
    code, box = _run(menus.wine, "poke", "dialog", 10000)
    assert code == 0
    # 「エラー」 and 「アプリケーションを起動できません。」
    assert bytes.fromhex(box["caption.hex"]) == b"\x83\x47\x83\x89\x81\x5b"
    assert bytes.fromhex(box["text.hex"]) == (
        b"\x83\x41\x83\x76\x83\x8a\x83\x50\x81\x5b\x83\x56\x83\x87\x83\x93\x82\xf0"
        b"\x8b\x4e\x93\xae\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42")
    # The menu goes on after the message.
    time.sleep(0.5)
    assert menu.proc.poll() is None
