"""The designer, MENUEDIT.EXE, worked as a disc author works it: pointer and
keys through X, MENU.DAT read back byte for byte, and the real MENU.EXE then
started on the same folder to show what the designer showed.
"""

import os
import random
import re
import subprocess
import time

import pytest
from PIL import Image, ImageChops

import harness
from harness import ints, parse_keys, wait_painted
from menuscene import CONTROLS, TABS, centre, cell
from recorders import BUTTON_CENTRES, dialog, menu_dat, windows_path
from recorders import recorder, recorder_log  # noqa: F401 (fixtures)

SAMPLE = os.path.join(harness.ROOT, "sample")
# Built beside the program under test, in the same Windows tree.
DESIGNER_EXE = os.path.join(harness.WINDOWS, "tools", "designer", "MENUEDIT.EXE")
DESIGNER_CLASS = "MenuEditFrame"
BOX_CLASS = "#32770"
BOX_TITLE = b"MENUEDIT"
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
# Controls of the designer's window (tools/designer/designer.h).
STATUS, FINDINGS_HEAD, FINDINGS, HEADING = 100, 101, 102, 103
TITLE, CAPTION, COMMAND, PICTURE, POS_X, POS_Y = 106, 109, 112, 117, 129, 131
COMMAND_PLAN = 115
CONTENT_X, CONTENT_Y = 11, 105
CAPTION_NOTE, FINDING_WHOLE, FINDING_FIX = 110, 201, 202


def sample_files(drop=()):
    files = {}
    for folder, _, names in os.walk(SAMPLE):
        for name in names:
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, SAMPLE)
            if relative not in drop:
                files[relative] = path
    return files


def read(path):
    with open(path, "rb") as f:
        return f.read()


def wait_for(condition, what, timeout=20):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("%s: not within %ss" % (what, timeout))
        time.sleep(0.2)


def wait_changed(path, before, timeout=20):
    """The file's bytes once they are no longer before."""
    def changed():
        data = read(path) if os.path.exists(path) else None
        return data if data != before else None
    return wait_for(changed, "%s written" % path, timeout)


class Designer:
    """One started copy of the designer on a folder."""

    def __init__(self, wine, folder, lang="en"):
        self.wine = wine
        if not os.path.isfile(DESIGNER_EXE):
            raise RuntimeError("%s is not built (scripts/build.sh %s)"
                               % (DESIGNER_EXE, os.path.basename(harness.WINDOWS)))
        # lang None: the language the system's settings ask for.
        args = (["--lang=" + lang] if lang else []) + [folder]
        self.proc = wine.popen(DESIGNER_EXE, *args)
        self.info = None

    def wait_window(self, timeout=60):
        if not self.wine.wait_window(DESIGNER_CLASS, "-", timeout=timeout):
            raise AssertionError("no designer window after %ss (exit code %s)"
                                 % (timeout, self.proc.poll()))
        self.info = self.wine.window_info(DESIGNER_CLASS, "-")
        return self

    def origin(self):
        """Screen position of the picture's top-left pixel."""
        ox, oy = ints(self.info["origin"])
        cx, cy = ints(self.info["child.rect"])[:2]
        return ox + cx, oy + cy

    # Input ----------------------------------------------------------------------
    def move(self, x, y):
        ox, oy = self.origin()
        self.wine.xvfb.xdotool("mousemove", ox + x, oy + y)

    def click(self, x, y, settle=0.5):
        self.move(x, y)
        self.wine.xvfb.xdotool("click", 1)
        time.sleep(settle)

    def drag(self, start, end, steps=4):
        self.move(*start)
        self.wine.xvfb.xdotool("mousedown", 1)
        time.sleep(0.2)
        for n in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * n // steps,
                      start[1] + (end[1] - start[1]) * n // steps)
            time.sleep(0.1)
        time.sleep(0.3)

    def release(self):
        self.wine.xvfb.xdotool("mouseup", 1)
        time.sleep(0.5)

    def key(self, *keys):
        for k in keys:
            self.wine.xvfb.xdotool("key", k)
            time.sleep(0.3)

    def type(self, text):
        self.wine.xvfb.xdotool("type", "--delay", "80", text)
        time.sleep(0.5)

    def click_control(self, control):
        """Clicks the middle of one of the window's own controls."""
        left, top, right, bottom = ints(self.control(control)["rect"])
        self.wine.xvfb.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
        self.wine.xvfb.xdotool("click", 1)
        time.sleep(0.5)

    # What it shows -----------------------------------------------------------------
    def canvas(self):
        ox, oy = self.origin()
        return self.wine.xvfb.screenshot().crop((ox, oy, ox + 640, oy + 480))

    def settled(self, timeout=30):
        return wait_painted(self.canvas, timeout)

    def _uitext(self, *args):
        result = subprocess.run([harness.WINE, harness.helper("uitext")] + [str(a) for a in args],
                                env=self.wine.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
        assert result.returncode == 0, "uitext %s failed" % (args,)
        return parse_keys(result.stdout.decode("ascii"))

    def text(self, control):
        return bytes.fromhex(self._uitext("text", DESIGNER_CLASS, control)["text.hex"]).decode()

    def control(self, control):
        return self._uitext("rect", DESIGNER_CLASS, control)

    def findings(self):
        values = self._uitext("items", DESIGNER_CLASS, FINDINGS)
        return [bytes.fromhex(values["item.%d.hex" % i]).decode()
                for i in range(int(values["count"]))], values

    def click_finding(self, row):
        _, values = self.findings()
        left, top, right, _ = ints(self.control(FINDINGS)["rect"])
        height, first = int(values["height"]), int(values["top"])
        self.wine.xvfb.xdotool("mousemove", left + 40, top + 2 + (row - first) * height +
                               height // 2)
        self.wine.xvfb.xdotool("click", 1)
        time.sleep(1)

    # Message boxes -------------------------------------------------------------------
    def box(self, timeout=20):
        """The texts of the designer's message box, once it is up."""
        code, info = dialog(self.wine, "wait", BOX_CLASS, BOX_TITLE.hex(), int(timeout * 1000))
        assert code == 0, "no message box from the designer within %ss" % timeout
        return "\n".join(bytes.fromhex(info["text.%d.hex" % i]).decode("cp932", "replace")
                         for i in range(int(info["texts"])))

    def answer(self, button):
        code, _ = dialog(self.wine, "command", BOX_CLASS, BOX_TITLE.hex(), button)
        assert code == 0, "the message box could not be answered"
        time.sleep(0.5)

    def no_box(self):
        code, _ = dialog(self.wine, "show", BOX_CLASS, BOX_TITLE.hex())
        return code != 0

    # End -------------------------------------------------------------------------------
    def end(self):
        if self.proc.poll() is None:
            self.wine.probe("close", DESIGNER_CLASS, "-")
            deadline = time.monotonic() + 10
            while self.proc.poll() is None and time.monotonic() < deadline:
                if not self.no_box():
                    dialog(self.wine, "command", BOX_CLASS, BOX_TITLE.hex(), IDNO)
                time.sleep(0.3)
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


@pytest.fixture
def designers(menus):
    started = []

    def start(folder="Q:\\", lang="en"):
        designer = Designer(menus.wine, folder, lang).wait_window()
        started.append(designer)
        return designer

    yield start
    for designer in started:
        designer.end()


def surface_settled(menu):
    return wait_painted(menu.surface_image)


def menu_screen(menus, clicks=()):
    """Starts MENU.EXE on the disc, clicks through it as a person would, and
    gives back the menu and its settled surface."""
    menu = menus.start()
    menu.wait_window()
    screen = surface_settled(menu)
    for point in clicks:
        menu.click(*point)
        screen = surface_settled(menu)
    return menu, screen


def changed_lines(before, after):
    """(old line, new line) of each line that differs; the files must
    have the same number of lines."""
    old, new = before.split(b"\r\n"), after.split(b"\r\n")
    assert len(old) == len(new), "lines were added or removed"
    return [(a, b) for a, b in zip(old, new) if a != b]


# --- The sample disc ---------------------------------------------------------------

def test_a_button_dragged_20_pixels_right_moves_one_line_and_the_menu_shows_it(menus,
                                                                            designers):
    folder = menus.disc(sample_files())
    path = os.path.join(folder, "MENU.DAT")
    original = read(path)
    designer = designers()
    designer.settled()
    designer.click(*centre(TABS[0]))  # the install page; its first entry shows
    designer.settled()

    # Button 1 of [FULL]: BTN\AMBER.BMP (300 x 40, so 150 x 40) at BtnPos1=117,196.
    amber = Image.open(os.path.join(SAMPLE, "BTN", "AMBER.BMP")).convert("RGB")
    w, h = amber.width // 2, amber.height
    x0, y0 = CONTENT_X + 117, CONTENT_Y + 196
    designer.drag((x0 + 30, y0 + 20), (x0 + 50, y0 + 20))
    assert "BtnPos1=137,196" in designer.text(STATUS), "the offset is shown while dragging"
    designer.release()
    assert designer.text(POS_X) == "137" and designer.text(POS_Y) == "196"

    designer.key("ctrl+s")
    saved = wait_changed(path, original)
    assert changed_lines(original, saved) == [(b"BtnPos1=117,196", b"BtnPos1=137,196")]

    designer.key("Escape")  # nothing selected: the picture is the menu's alone
    shown = designer.settled()
    _, screen = menu_screen(menus, [centre(TABS[0])])
    # The button's own top rows, free of its caption, are at the new place.
    assert ImageChops.difference(screen.crop((x0 + 20, y0, x0 + 20 + w, y0 + 10)),
                                 amber.crop((0, 0, w, 10))).getbbox() is None
    assert ImageChops.difference(screen.crop((x0, y0, x0 + 20, y0 + h)),
                                 amber.crop((0, 0, 20, h))).getbbox() is not None
    assert ImageChops.difference(shown, screen).getbbox() is None, \
        "MENU.EXE shows what the designer showed"


def test_a_page_added_and_its_title_typed_is_a_tab_of_the_menu(menus, designers):
    folder = menus.disc(sample_files())
    path = os.path.join(folder, "MENU.DAT")
    original = read(path)
    designer = designers()
    designer.settled()
    designer.key("alt+a", "p")  # Add, Page: the new page's title is ready to type over
    wait_for(lambda: designer.text(HEADING).startswith("Page 5"), "the new page selected")
    designer.type("Extras")
    wait_for(lambda: designer.text(TITLE) == "Extras", "the title typed")
    designer.key("ctrl+s")
    saved = wait_changed(path, original)
    # A new key goes where WriteProfileStringA puts one: after the section's
    # last line; a new section after a blank line at the end.
    assert saved == original.replace(b"Bmp1=LOGO.BMP,12,24\r\n",
                                     b"Bmp1=LOGO.BMP,12,24\r\nPage5=PAGE1\r\n") \
        + b"\r\n[PAGE1]\r\nTitle=Extras\r\n"

    designer.click(300, 20)  # the picture, away from the title
    designer.key("Home")
    wait_for(lambda: designer.text(HEADING) == "Start screen", "the start screen")
    shown = designer.settled()
    menu, screen = menu_screen(menus)
    assert ImageChops.difference(shown, screen).getbbox() is None, \
        "the menu's start screen is the designer's"
    x, y, tab_w, tab_h = CONTROLS[TABS[4]][:4]
    edge = (x, y, x + 12, y + tab_h)  # left of any caption
    assert ImageChops.difference(screen.crop(edge), cell(TABS[4], 0, 0).crop(
        (0, 0, 12, tab_h))).getbbox() is None, "tab 5 is enabled"
    menu.close()
    menu.exit_code()

    # Undo takes back the typing, then the page, a step each.
    designer.key("ctrl+z")
    designer.key("ctrl+s")
    typed_back = wait_changed(path, saved)
    assert typed_back == saved.replace(b"Title=Extras", b"Title=New page")
    designer.key("ctrl+z")
    designer.key("ctrl+s")
    assert wait_changed(path, typed_back) == original


def test_the_second_group_of_entries_shows_as_in_the_menu(menus, designers):
    menus.disc(sample_files())
    designer = designers()
    designer.settled()
    clicks = [centre(TABS[2]), centre(2), centre(9)]  # gallery, next group, its slot 2
    for point in clicks:
        designer.click(*point)
    wait_for(lambda: designer.text(HEADING).startswith("Entry 7 of page 3"), "entry 7 selected")
    shown = designer.settled()
    _, screen = menu_screen(menus, clicks)
    assert ImageChops.difference(shown, screen).getbbox() is None


def test_in_japanese_a_title_stops_where_the_menu_would_cut_it(menus, designers):
    folder = menus.disc(sample_files())
    path = os.path.join(folder, "MENU.DAT")
    original = read(path)
    designer = designers(lang=None)  # the system asks for Japanese (LC_ALL=ja_JP.UTF-8)
    designer.settled()
    assert designer.text(HEADING) == "スタート画面"
    designer.click(*centre(TABS[0]))
    designer.click_control(TITLE)
    designer.key("End")
    designer.type("x" * 30)  # 12 bytes of インストール leave room for 27
    assert designer.text(TITLE) == "インストール" + "x" * 27
    assert "入力できません" in designer.text(107), "the refusal is said"
    designer.key("ctrl+s")
    saved = wait_changed(path, original)
    assert changed_lines(original, saved) == [
        ("Title=インストール".encode("cp932"), ("Title=インストール" + "x" * 27).encode("cp932"))]
    # Undone, the title is fine again and so is what is said under it.
    designer.key("ctrl+z")
    wait_for(lambda: designer.text(TITLE) == "インストール", "the typing undone")
    assert designer.text(107) == "12 / 39 バイト"


def test_unsaved_changes_are_asked_about_before_closing(menus, designers):
    folder = menus.disc(sample_files())
    path = os.path.join(folder, "MENU.DAT")
    original = read(path)
    for answer in (IDNO, IDYES):
        designer = designers()
        designer.settled()
        designer.click(*centre(TABS[0]))
        designer.click(CONTENT_X + 117 + 30, CONTENT_Y + 196 + 20)  # the amber button
        designer.key("shift+Down")
        wait_for(lambda: designer.text(POS_Y) == "206", "the button moved")
        designer.wine.probe("close", DESIGNER_CLASS, "-")
        assert "Save the changes" in designer.box()
        designer.answer(answer)
        assert designer.proc.wait(timeout=20) == 0
        if answer == IDNO:
            assert read(path) == original
        else:
            assert changed_lines(original, read(path)) == [
                (b"BtnPos1=117,196", b"BtnPos1=117,206")]


def test_opening_another_folder_asks_about_unsaved_changes_once(menus, designers):
    menus.disc(sample_files())
    designer = designers()
    designer.settled()
    designer.key("alt+a", "p")
    wait_for(lambda: designer.text(HEADING).startswith("Page 5"), "a page added")
    designer.key("ctrl+o")
    assert "Save the changes" in designer.box()
    designer.answer(IDNO)
    assert designer.wine.wait_window(BOX_CLASS, "-"), "the folder dialog"
    designer.key("Return")  # the folder it opens on

    def title():
        info = designer.wine.window_info(DESIGNER_CLASS, "-")
        return info["title"] if info else ""
    wait_for(lambda: not designer.no_box() or not title().endswith("*"),
             "the folder opened, or a question about it")
    if not designer.no_box():
        assert "Save the changes" not in designer.box(), "asked a second time"
        designer.answer(IDNO)


def test_a_test_run_copies_the_menu_in_after_asking_and_starts_it(menus, designers):
    folder = menus.disc(sample_files())
    os.remove(os.path.join(folder, "MENU.EXE"))
    designer = designers()
    designer.settled()
    designer.key("F5")
    assert "no MENU.EXE" in designer.box()
    designer.answer(IDYES)
    assert menus.wine.wait_window(timeout=30), "MENU.EXE started"
    assert read(os.path.join(folder, "MENU.EXE")) == read(harness.MENU_EXE)
    menus.wine.probe("close", harness.FRAME_CLASS, harness.FRAME_TITLE)
    assert menus.wine.wait_gone()


def test_a_test_run_of_unsaved_changes_starts_a_curdrv_command_from_the_disc_letter(
        menus, designers, recorder, recorder_log):
    """A folder of the hard disk, not a drive's root: the test run gives it
    the letter Q, runs the changes not saved yet, opens on the entry
    selected, and a $CURDRV command starts its program there."""
    entries = [("E%d" % n, ["NOTHING.EXE"] if n == 7 else []) for n in range(1, 8)]
    files = {"MENU.DAT": menu_dat([("One", [("A", [])]), ("Two", entries)]),
             "SETUP/SETUP.EXE": recorder}
    folder = harness.make_disc(os.path.join(menus.folder, "hard-disk"), files)
    original = read(os.path.join(folder, "MENU.DAT"))
    q = os.path.join(menus.wine.prefix, "dosdevices", "q:")
    if os.path.lexists(q):
        os.remove(q)  # another test's disc: Q is free again
    designer = designers(windows_path(folder))
    designer.settled()
    for point in (centre(TABS[1]), centre(2), centre(9)):  # page 2, next group, entry 7
        designer.click(*point)
    designer.click(*BUTTON_CENTRES[1][0])
    wait_for(lambda: designer.text(HEADING).startswith("Button 1 "), "the button selected")
    designer.click_control(COMMAND)
    designer.key("ctrl+a")
    designer.type("$CURDRV:\\SETUP\\SETUP.EXE /RUN")
    wait_for(lambda: "Q:\\SETUP" in designer.text(COMMAND_PLAN),
             "the panel says what the click starts, on drive Q")

    designer.key("F5")
    assert menus.wine.wait_window(timeout=30), "MENU.EXE started"
    assert designer.no_box(), "nothing asked: the unsaved changes run from a copy"
    assert "drive Q:" in designer.text(STATUS)
    menu = harness.Menu(menus.wine, None)
    menu.wait_window()
    menu.wait_painted()
    # The menu was brought to entry 7 of page 2: its one button is there.
    menu.click(*BUTTON_CENTRES[1][0])
    start, = recorder_log.wait_starts(1)
    assert (start["directory"], start["module"]) == ("Q:\\SETUP", "Q:\\SETUP\\SETUP.EXE")
    assert start["command"].endswith("/RUN")
    assert read(os.path.join(folder, "MENU.DAT")) == original, "nothing was saved"

    # The drive is given back once the menu and what it started have ended.
    menus.wine.probe("close", harness.FRAME_CLASS, harness.FRAME_TITLE)
    assert menus.wine.wait_gone()
    assert os.path.lexists(q), "the program started from Q: still has it"
    recorder_log.end_all()
    wait_for(lambda: not os.path.lexists(q), "drive Q given back")
    assert "given back" in designer.text(STATUS)


# --- Layout tools ------------------------------------------------------------------

# [FULL] of the sample: button 1 (BTN\AMBER.BMP, 150 x 40) at BtnPos1=117,196, button 2
# (the built-in picture, 124 x 32) at its default place (265,449), picture 1
# (PIC\INSTALL.BMP, 160 x 120) at Bmp1=PIC\INSTALL.BMP,112,40.
AMBER = (CONTENT_X + 117, CONTENT_Y + 196)
README_BUTTON = (265, 449)
GUIDE = (0, 255, 255)


def test_a_dragged_button_snaps_to_the_picture_edge_with_a_guide(menus, designers):
    folder = menus.disc(sample_files())
    path = os.path.join(folder, "MENU.DAT")
    original = read(path)
    designer = designers()
    designer.settled()
    designer.click(*centre(TABS[0]))
    x0, y0 = AMBER
    # 8 pixels left puts its left edge 3 pixels from the picture's (123): it snaps there.
    designer.drag((x0 + 30, y0 + 20), (x0 + 22, y0 + 20))
    assert "BtnPos1=112,196" in designer.text(STATUS), designer.text(STATUS)
    held = designer.canvas()
    assert held.getpixel((123, 120)) == GUIDE and held.getpixel((123, 470)) == GUIDE, \
        "a guide runs along the snapped edge"
    designer.release()
    assert designer.canvas().getpixel((123, 120)) != GUIDE, "the guide goes with the drag"
    designer.key("ctrl+s")
    saved = wait_changed(path, original)
    assert changed_lines(original, saved) == [(b"BtnPos1=117,196", b"BtnPos1=112,196")]


def test_a_multi_selection_is_aligned_in_one_step(menus, designers):
    folder = menus.disc(sample_files())
    path = os.path.join(folder, "MENU.DAT")
    original = read(path)
    designer = designers()
    designer.settled()
    designer.click(*centre(TABS[0]))
    designer.click(AMBER[0] + 30, AMBER[1] + 20)
    designer.move(README_BUTTON[0] + 60, README_BUTTON[1] + 16)
    designer.wine.xvfb.xdotool("keydown", "shift")
    designer.wine.xvfb.xdotool("click", 1)
    designer.wine.xvfb.xdotool("keyup", "shift")
    time.sleep(0.5)
    designer.key("alt+r", "l")  # Arrange, Align left edges: the leftmost stays
    designer.key("ctrl+s")
    saved = wait_changed(path, original)
    bmp = b"Bmp1=PIC\\INSTALL.BMP,112,40\r\n"
    assert saved == original.replace(bmp, bmp + b"BtnPos2=117,344\r\n", 1)

    designer.key("ctrl+z")  # the whole alignment is one step
    designer.key("ctrl+s")
    assert wait_changed(path, saved) == original

    # A band drawn from an empty spot over both buttons chooses them too.
    designer.drag((CONTENT_X + 2, 285), (CONTENT_X + 380, 475))
    designer.release()
    assert "2 items selected" in designer.text(STATUS)
    designer.key("alt+r", "t")  # Align top edges
    designer.key("ctrl+s")
    assert wait_changed(path, original) == original.replace(bmp, bmp + b"BtnPos2=254,196\r\n", 1)


def test_a_duplicated_button_has_everything_of_the_first_and_shows_in_the_menu(menus,
                                                                               designers):
    folder = menus.disc(sample_files())
    path = os.path.join(folder, "MENU.DAT")
    original = read(path)
    designer = designers()
    designer.settled()
    designer.click(*centre(TABS[0]))
    designer.click(AMBER[0] + 30, AMBER[1] + 20)
    designer.key("Escape")  # the picture keeps the keys whatever the panel had
    designer.click(AMBER[0] + 30, AMBER[1] + 20)
    designer.key("ctrl+d")
    wait_for(lambda: designer.text(HEADING).startswith("Button 3"), "the copy selected")
    designer.key("ctrl+s")
    saved = wait_changed(path, original)
    command1 = next(line for line in original.split(b"\r\n") if line.startswith(b"Command1="))
    bmp = b"Bmp1=PIC\\INSTALL.BMP,112,40\r\n"
    assert saved == original.replace(bmp, bmp + b"Command3=" + command1[9:] + b"\r\n"
                                     b"BtnPos3=127,206\r\nBtnBmp3=BTN\\AMBER.BMP\r\n", 1)

    _, screen = menu_screen(menus, [centre(TABS[0])])
    amber = Image.open(os.path.join(SAMPLE, "BTN", "AMBER.BMP")).convert("RGB")
    x, y = AMBER[0] + 10, AMBER[1] + 10
    # Its right end, above the caption, is where the first one's is not.
    assert ImageChops.difference(screen.crop((x + 140, y, x + 150, y + 10)),
                                 amber.crop((140, 0, 150, 10))).getbbox() is None, \
        "MENU.EXE draws the copy 10 pixels right of and below the first"


def test_an_item_is_chosen_and_moved_with_the_keyboard_alone_through_the_outline(menus,
                                                                                 designers):
    folder = menus.disc(sample_files())
    path = os.path.join(folder, "MENU.DAT")
    original = read(path)
    designer = designers()
    designer.settled()
    designer.click(300, 20)  # the focus on the picture, nothing chosen
    # Tab to the outline, down past the start screen and its picture, the
    # first page, its first entry and button 1 to button 2.
    designer.key("Tab", "Down", "Down", "Down", "Down", "Down")
    wait_for(lambda: designer.text(HEADING).startswith("Button 2"), "button 2 chosen")
    designer.key("ctrl+Right", "ctrl+Right", "ctrl+shift+Up")
    wait_for(lambda: designer.text(POS_Y) == "334", "the button moved")
    assert designer.text(POS_X) == "256"
    designer.key("alt+Up")  # reordered: it is button 1 now
    wait_for(lambda: designer.text(HEADING).startswith("Button 1"), "the button reordered")
    designer.key("ctrl+s")
    saved = wait_changed(path, original)
    assert b"BtnPos1=256,334\r\n" in saved and b"BtnPos2=117,196\r\n" in saved
    assert b"Command1=" + "お読みください".encode("cp932") + b",DOCS\\README.TXT" in saved


def test_findings_shown_whole_are_fixed_with_one_click(menus, designers):
    folder = menus.disc(sample_files(drop=("autorun.inf",)))
    os.remove(os.path.join(folder, "MENU.EXE"))
    path = os.path.join(folder, "MENU.DAT")
    original = read(path)
    designer = designers()
    designer.settled()
    for what, fix, made in (("no autorun.inf", "Fix: add autorun.inf", "autorun.inf"),
                            ("MENU.EXE is not in the folder", "Fix: copy MENU.EXE in",
                             "MENU.EXE")):
        rows, _ = designer.findings()
        row = next((i for i, r in enumerate(rows) if what in r), None)
        assert row is not None, "%s is a finding: %r" % (what, rows)
        designer.click_finding(row)
        assert rows[row] in designer.text(FINDING_WHOLE).replace("\r\n", " ")
        assert designer.text(FINDING_FIX) == fix
        designer.click_control(FINDING_FIX)
        wait_for(lambda: os.path.exists(os.path.join(folder, made)), made + " made")
        wait_for(lambda: not any(what in r for r in designer.findings()[0]),
                 "the finding gone once fixed")
    assert read(os.path.join(folder, "autorun.inf")) == \
        b"[autorun]\r\nopen=MENU.EXE\r\nicon=MENU.EXE\r\n"
    assert read(os.path.join(folder, "MENU.EXE")) == read(harness.MENU_EXE)

    # A program named on the disc's drive becomes the same path from the disc's root.
    rows, _ = designer.findings()
    row = next(i for i, r in enumerate(rows) if "[FULL] Command1" in r)
    designer.click_finding(row)
    assert designer.text(FINDING_FIX) == "Fix: start it as SETUP\\SETUP.EXE /FULL"
    designer.click_control(FINDING_FIX)
    wait_for(lambda: designer.text(COMMAND) == "SETUP\\SETUP.EXE /FULL", "the command fixed")
    designer.key("ctrl+s")
    saved = wait_changed(path, original)
    assert [(a.split(b",")[-1], b.split(b",")[-1]) for a, b in changed_lines(original, saved)] \
        == [(b"$CURDRV:\\SETUP\\SETUP.EXE /FULL", b"SETUP\\SETUP.EXE /FULL")]


def test_a_caption_wider_than_its_button_is_told_as_it_is_typed(menus, designers):
    menus.disc(sample_files())
    designer = designers()
    designer.settled()
    designer.click(*centre(TABS[0]))
    designer.click(README_BUTTON[0] + 60, README_BUTTON[1] + 16)
    designer.click_control(CAPTION)
    designer.key("ctrl+a")
    designer.type("Read")
    assert re.search(r"\b\d+ of the button's 124 pixels", designer.text(CAPTION_NOTE))
    designer.type(" the whole manual first")
    assert re.search(r"\b\d+ pixels: wider than the button's 124", designer.text(CAPTION_NOTE))


# --- Bad input -----------------------------------------------------------------------

def test_a_folder_without_menu_dat_gets_a_new_one_only_when_saved(menus, designers):
    folder = menus.disc({"DOCS/README.TXT": b"read me\r\n"})
    path = os.path.join(folder, "MENU.DAT")
    designer = designers()
    designer.settled()
    assert "no MENU.DAT" in designer.text(STATUS)
    assert designer.no_box(), "a new file is no reason for a message box"
    assert not os.path.exists(path)
    designer.key("alt+a", "p")
    designer.type("Hello")
    wait_for(lambda: designer.text(TITLE) == "Hello", "the title typed")
    assert not os.path.exists(path), "nothing is written before saving"
    designer.key("ctrl+s")
    mine = b"[MENU]\r\nPage1=PAGE1\r\n\r\n[PAGE1]\r\nTitle=Hello\r\n"
    assert wait_changed(path, None) == mine
    assert sorted(os.listdir(folder)) == ["DOCS", "MENU.DAT", "MENU.EXE"], \
        "no temporary file is left beside it"
    wait_for(lambda: "no MENU.DAT" not in designer.text(FINDINGS_HEAD),
             "the findings no longer say there is no MENU.DAT")

    # Another program writes the file: saving over it is asked, and the
    # status says what was done.
    theirs = mine.replace(b"Hello", b"Theirs")
    with open(path, "wb") as f:
        f.write(theirs)
    designer.click_control(TITLE)
    designer.type("!")
    wait_for(lambda: designer.text(TITLE) == "Hello!", "typed on")
    for answer, said in ((IDCANCEL, "Not saved"), (IDNO, "read again")):
        designer.key("ctrl+s")
        assert "changed by another program" in designer.box()
        if answer == IDCANCEL:
            assert [designer._uitext("text", BOX_CLASS, b)["text.hex"] for b in (IDYES, IDNO)] \
                == ["&Overwrite".encode().hex(), "&Reload".encode().hex()]
        designer.answer(answer)
        wait_for(lambda: said in designer.text(STATUS), "the status says: " + said)
        assert read(path) == theirs
    wait_for(lambda: designer.text(TITLE) == "Theirs", "their file read again")
    designer.key("ctrl+z")  # back to the changes made here, saved without a question
    wait_for(lambda: designer.text(TITLE) == "Hello!", "undone")
    designer.key("ctrl+s")
    assert wait_changed(path, theirs) == mine.replace(b"Hello", b"Hello!")
    assert designer.no_box()


def test_a_drive_root_that_is_no_disc_is_opened_only_when_asked(menus, designers):
    designer = Designer(menus.wine, "Z:\\")
    try:
        said = designer.box(timeout=60)
        assert "root of a drive" in said and "10000" in said
        designer.answer(IDNO)
        designer.wait_window()
        assert designer.text(HEADING).startswith("Open a disc folder"), "nothing opened"
    finally:
        designer.end()


def test_binary_junk_is_opened_with_that_said_and_kept_byte_for_byte(menus, designers):
    rng = random.Random(16)
    junk = bytes(rng.choice([0, 10, 13, 0x81, 0x5C, 0xE0, 0xFF]) if rng.random() < 0.2
                 else rng.randrange(32, 256) for _ in range(3000)).replace(b"[", b"(")
    folder = menus.disc({"MENU.DAT": junk})
    path = os.path.join(folder, "MENU.DAT")
    designer = designers()
    said = designer.box()
    assert "not Shift-JIS" in said
    designer.answer(IDOK)
    designer.settled()
    designer.key("alt+a", "p")
    designer.type("Junk")
    wait_for(lambda: designer.text(TITLE) == "Junk", "the title typed")
    designer.key("ctrl+s")
    saved = wait_changed(path, junk)
    assert saved.startswith(junk), "every byte of the file is still there, in place"
    # New lines end in CR LF, as Windows' profile reader wants them.
    assert saved[len(junk):].lstrip(b" \r\n") == \
        b"[MENU]\r\nPage1=PAGE1\r\n\r\n[PAGE1]\r\nTitle=Junk\r\n"
    assert designer.proc.poll() is None


def test_a_utf16_file_is_opened_read_only_and_left_alone(menus, designers):
    text = read(os.path.join(SAMPLE, "MENU.DAT")).decode("cp932")
    utf16 = "\ufeff".encode("utf-16-le") + text.encode("utf-16-le")
    folder = menus.disc(sample_files(drop=("MENU.DAT",)) | {"MENU.DAT": utf16})
    path = os.path.join(folder, "MENU.DAT")
    designer = designers()
    assert "read-only" in designer.box()
    designer.answer(IDOK)
    designer.settled()
    designer.click(*centre(TABS[0]))
    before = designer.text(TITLE)  # the designer's own reading cannot tell UTF-16
    designer.click_control(TITLE)
    designer.type("x")
    assert designer.text(TITLE) == before, "the field takes nothing"
    designer.key("ctrl+s")
    assert "not saved" in designer.box()
    designer.answer(IDOK)
    assert read(path) == utf16
    assert designer.proc.poll() is None


def test_a_missing_picture_is_a_finding_that_selects_its_button(menus, designers):
    menus.disc(sample_files(drop=(os.path.join("BTN", "AMBER.BMP"),)))
    designer = designers()
    designer.settled()
    rows, _ = designer.findings()
    row = next((i for i, r in enumerate(rows) if "[FULL] BtnBmp1" in r), None)
    assert row is not None, "the checker names the button whose picture is missing: %r" % rows
    assert rows[row].startswith("Error")
    designer.click_finding(row)
    wait_for(lambda: designer.text(HEADING).startswith("Button 1") and
             "[FULL]" in designer.text(HEADING), "the button selected")
    assert designer.text(PICTURE) == "BTN\\AMBER.BMP"
    # The menu draws nothing for it; the designer marks its place.
    canvas = designer.settled()
    x0, y0 = CONTENT_X + 117, CONTENT_Y + 196
    assert canvas.getpixel((x0 - 1, y0 + 10)) == (255, 0, 255), "its outline is drawn"


@pytest.fixture
def read_only(tmp_path):
    """Makes folders read-only for the length of the test, even for root."""
    made = []

    def make(folder):
        if os.geteuid() == 0:
            if subprocess.run(["chattr", "+i", folder], stderr=subprocess.DEVNULL).returncode:
                pytest.skip("root cannot make a folder read-only here (chattr +i refused)")
        else:
            os.chmod(folder, 0o555)
        made.append(folder)

    yield make
    for folder in made:
        if os.geteuid() == 0:
            subprocess.run(["chattr", "-i", folder])
        else:
            os.chmod(folder, 0o755)


def test_saving_into_a_read_only_folder_fails_plainly_and_leaves_the_file(menus, designers,
                                                                          read_only):
    folder = menus.disc(sample_files())
    path = os.path.join(folder, "MENU.DAT")
    original = read(path)
    read_only(folder)
    designer = designers()
    designer.settled()
    designer.click(*centre(TABS[1]))
    designer.click_control(TITLE)
    designer.key("ctrl+a")
    designer.type("Manuals")
    wait_for(lambda: designer.text(TITLE) == "Manuals", "the title typed")
    designer.key("ctrl+s")
    said = designer.box()
    assert "could not be saved" in said and "untouched" in said
    designer.answer(IDOK)
    assert read(path) == original
    assert sorted(os.listdir(folder)) == sorted(os.listdir(SAMPLE) + ["MENU.EXE"]), \
        "no temporary file is left"
    assert designer.proc.poll() is None


# --- Done when -------------------------------------------------------------------------

def test_a_menu_built_from_an_empty_folder_is_what_the_menu_shows(menus, designers):
    """A page, an entry, a button that opens a document and a picture, made
    with the designer alone; MENU.EXE then shows what the designer showed."""
    logo = os.path.join(SAMPLE, "LOGO.BMP")
    folder = menus.disc({"DOCS/README.TXT": b"read me\r\n", "LOGO.BMP": logo})
    path = os.path.join(folder, "MENU.DAT")
    designer = designers()
    designer.settled()
    designer.key("alt+a", "p")
    designer.type("Tools")
    designer.key("alt+a", "e")  # an entry of the page
    wait_for(lambda: designer.text(HEADING).startswith("Entry 1"), "the new entry")
    designer.type("Readme")
    designer.key("alt+a", "b")  # a button of the entry
    wait_for(lambda: designer.text(HEADING).startswith("Button 1"), "the new button")
    designer.type("Open")
    designer.click_control(COMMAND)
    designer.type("DOCS\\README.TXT")
    wait_for(lambda: designer.text(COMMAND) == "DOCS\\README.TXT", "the command typed")

    designer.key("alt+a", "i")  # a picture, chosen in the file dialog
    assert wait_for(lambda: designer.wine.wait_window(BOX_CLASS, "-", timeout=1),
                    "the file dialog")
    time.sleep(1)
    designer.type("LOGO.BMP")
    designer.key("Return")
    wait_for(lambda: designer.text(HEADING).startswith("Picture 1"), "the new picture")
    assert designer.text(PICTURE) == "LOGO.BMP"
    designer.click_control(POS_X)
    designer.key("ctrl+a")
    designer.type("12")
    designer.click_control(POS_Y)
    designer.key("ctrl+a")
    designer.type("30")
    wait_for(lambda: designer.text(POS_Y) == "30", "the position typed")

    designer.key("ctrl+s")
    saved = wait_changed(path, None)
    assert saved == (b"[MENU]\r\nPage1=PAGE1\r\n\r\n[PAGE1]\r\nTitle=Tools\r\nMenu1=ENTRY1\r\n"
                     b"\r\n[ENTRY1]\r\nTitle=Readme\r\nCommand1=Open,DOCS\\README.TXT\r\n"
                     b"Bmp1=LOGO.BMP,12,30\r\n")
    designer.key("Escape")
    shown = designer.settled()

    _, screen = menu_screen(menus, [centre(TABS[0])])
    assert ImageChops.difference(shown, screen).getbbox() is None, \
        "MENU.EXE shows what the designer showed"
    logo_image = Image.open(logo).convert("RGB")
    place = (CONTENT_X + 12, CONTENT_Y + 30)
    assert ImageChops.difference(screen.crop(place + (place[0] + logo_image.width,
                                                      place[1] + logo_image.height)),
                                 logo_image).getbbox() is None, "the picture is where it was put"
