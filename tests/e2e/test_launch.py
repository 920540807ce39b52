"""Starting a command button's command: the program's directory made
current, the command text, macros, documents through the shell, the menu's
own directory current again afterwards, and the failure message box."""

import os

import pytest
from PIL import Image

import harness
from conftest import MenuSession
from harness import FRAME_CLASS, FRAME_TITLE, ROOT
from menuscene import bmp_bytes
from recorders import (BUTTON_CENTRES, CANNOT_START, DIALOG_CLASS, ERROR_TITLE, IDOK,
                       SLOT_CENTRES, TAB_CENTRES, bring_forward, dialog, menu_dat,
                       wait_error_box, wait_error_box_gone, wait_windows)
from recorders import recorder, recorder_log, tst_documents  # noqa: F401 (fixtures)

SAMPLE = os.path.join(ROOT, "sample")

# The sample's own buttons: FULL and CUSTOM put button 1 at (117,196) of
# the content area with a 300x40 strip (150x40 each half); CUSTOM's third
# button is the right one of a default bottom row.
SAMPLE_BUTTON_1 = (11 + 117 + 75, 105 + 196 + 20)


def sample_files(extra=None):
    files = {}
    for folder, _, names in os.walk(SAMPLE):
        for name in names:
            path = os.path.join(folder, name)
            files[os.path.relpath(path, SAMPLE)] = path
    files.update(extra or {})
    return files


def start_nth(menus, menu, log, button, n):
    """Clicks button, waits for the n-th recorder and its window, and puts
    the menu in front again."""
    menu.click(*button)
    log.wait_starts(n)
    wait_windows(menus.wine, n)
    bring_forward(menus.wine)


def loaded(menus, files):
    menus.disc(files)
    menu = menus.start()
    menu.wait_window()
    menu.wait_painted()
    return menu


def test_sample_installer_starts_in_its_directory_with_expanded_macros(menus, recorder,
                                                                      recorder_log):
    menu = loaded(menus, sample_files({"SETUP/SETUP.EXE": recorder}))
    menu.click(*TAB_CENTRES[0])  # INSTALL, its first entry FULL selected
    # (entry slot, button, command text the program sees)
    cases = [
        (None, SAMPLE_BUTTON_1, "setup.exe /FULL"),
        (1, SAMPLE_BUTTON_1, "setup.exe /CUSTOM /PARTS=VIEWER,DATA"),
        (None, BUTTON_CENTRES[3][2], "setup.exe /TARGET"),  # SETUP\SETUP.EXE
    ]
    for n, (slot, button, _) in enumerate(cases, 1):
        if slot is not None:
            menu.click(*SLOT_CENTRES[slot])
        start_nth(menus, menu, recorder_log, button, n)
    seen = [(s["command"], s["directory"], s["module"]) for s in recorder_log.starts()]
    assert seen == [(text, "Q:\\SETUP", "Q:\\SETUP\\SETUP.EXE") for _, _, text in cases]


def test_menu_directory_is_current_again_after_every_start(menus, recorder, recorder_log,
                                                           tst_documents):
    commands = ["$CURDRV:\\SETUP\\SETUP.EXE /FIRST",
                "TOOL.EXE /BARE",   # no directory part: started where the menu is
                "DOCS\\NOTE.TST"]
    menu = loaded(menus, {"MENU.DAT": menu_dat([("One", [("E", commands)])]),
                          "SETUP/SETUP.EXE": recorder, "TOOL.EXE": recorder,
                          "DOCS/NOTE.TST": b"note\r\n"})
    menu.click(*TAB_CENTRES[0])
    buttons = BUTTON_CENTRES[3]
    # A bare program after each other start shows which directory the menu
    # had gone back to.
    order = [0, 1, 2, 1]
    for n, b in enumerate(order, 1):
        start_nth(menus, menu, recorder_log, buttons[b], n)
    seen = [(s["command"], s["directory"]) for s in recorder_log.starts()]
    assert seen == [
        ("setup.exe /FIRST", "Q:\\SETUP"),
        ("tool.exe /BARE", "Q:\\"),
        ('"%s" "Q:\\DOCS\\note.tst"' % tst_documents, "Q:\\DOCS"),
        ("tool.exe /BARE", "Q:\\"),
    ]


def test_menu_in_a_folder_of_the_disc_works_from_that_folder(menus, recorder, recorder_log,
                                                            tst_documents):
    commands = ["SUB\\SUBTOOL.EXE /REL", "TOOL.EXE /BARE", "DOCS\\NOTE.TST"]
    menu_file = menu_dat([("One", [("E", commands)])]).replace(
        b"[MENU]\r\n", b"[MENU]\r\nBmp1=LOGO.BMP,20,10\r\n", 1)
    colour, elsewhere = (200, 40, 90), (20, 160, 30)
    # The root holds a menu and a picture of the same names: found instead,
    # they would show.
    menus.disc({"MENU/MENU.EXE": harness.MENU_EXE, "MENU/MENU.DAT": menu_file,
                "MENU/LOGO.BMP": bmp_bytes(Image.new("RGB", (30, 20), colour)),
                "MENU/TOOL.EXE": recorder, "MENU/SUB/SUBTOOL.EXE": recorder,
                "MENU/DOCS/NOTE.TST": b"note\r\n",
                "MENU.DAT": b"[MENU]\r\nBmp1=LOGO.BMP,20,10\r\n",
                "LOGO.BMP": bmp_bytes(Image.new("RGB", (30, 20), elsewhere))})
    menu = menus.start(folder="MENU")
    menu.wait_window()
    shot = menu.wait_painted()
    seen = {shot.getpixel((x, y)) for x in range(31, 61) for y in range(115, 135)}
    assert seen == {colour}, "the start screen's picture is not the folder's"

    menu.click(*TAB_CENTRES[0])
    buttons = BUTTON_CENTRES[3]
    for n, b in enumerate([0, 1, 2, 1], 1):
        start_nth(menus, menu, recorder_log, buttons[b], n)
    starts = recorder_log.starts()
    assert [(s["command"], s["directory"]) for s in starts] == [
        ("subtool.exe /REL", "Q:\\MENU\\SUB"),
        ("tool.exe /BARE", "Q:\\MENU"),
        ('"%s" "Q:\\MENU\\DOCS\\note.tst"' % tst_documents, "Q:\\MENU\\DOCS"),
        ("tool.exe /BARE", "Q:\\MENU"),
    ]
    assert starts[0]["module"] == "Q:\\MENU\\SUB\\SUBTOOL.EXE"


def test_failed_starts_show_the_error_box_and_the_menu_goes_on(menus, recorder,
                                                               recorder_log):
    failing = [
        "$CURDRV:\\NOPE\\MISSING.EXE /X",  # no such program
        "DOCS\\DATA.ZZZ",                  # a document of no registered type
        "Q:\\INSTALLER.EXE",               # name cut to installer.ex: not a program
    ]
    menu = loaded(menus, {
        "MENU.DAT": menu_dat([("Bad", [("E", failing)]),
                              ("Good", [("E", ["TOOL.EXE /AFTER"])])]),
        "DOCS/DATA.ZZZ": b"data\r\n", "INSTALLER.EXE": recorder, "TOOL.EXE": recorder})
    menu_pid = menu.info["pid"]
    menu.click(*TAB_CENTRES[0])
    # The first box is answered with Enter, as a person would; the others
    # with its OK command.
    for n, line in enumerate(failing):
        menu.click(*BUTTON_CENTRES[3][n])
        box, texts = wait_error_box(menus.wine)
        assert (box["owner.pid"], texts) == (menu_pid, [CANNOT_START]), line
        if n == 0:
            assert menus.wine.foreground()["class"] == DIALOG_CLASS
            menus.wine.xvfb.xdotool("key", "Return")
        else:
            assert dialog(menus.wine, "command", DIALOG_CLASS, ERROR_TITLE.hex(), IDOK)[0] == 0
        assert wait_error_box_gone(menus.wine), line
    assert recorder_log.starts() == []

    menu.click(*TAB_CENTRES[1])
    menu.click(*BUTTON_CENTRES[1][0])
    start, = recorder_log.wait_starts(1)
    assert (start["command"], start["directory"]) == ("tool.exe /AFTER", "Q:\\")
    assert menus.wine.window_info(FRAME_CLASS, FRAME_TITLE)["enabled"] == "1"


# A system locale whose ANSI code page is not 932, as on an English Windows.
ENGLISH_LOCALE = "C.UTF-8"


@pytest.fixture(scope="module")
def english_wine(xvfb):
    """A Wine prefix of its own with an English system locale, on the same
    display."""
    wine = harness.Wine(xvfb)
    wine.env["LC_ALL"] = ENGLISH_LOCALE
    try:
        wine.boot()
        yield wine
    finally:
        wine.shutdown()


def test_failure_box_is_in_japanese_on_a_windows_of_another_language(english_wine,
                                                                     tmp_path):
    session = MenuSession(english_wine, str(tmp_path))
    try:
        session.disc({"MENU.DAT": menu_dat([("Bad", [("E", ["$CURDRV:\\NOPE\\MISSING.EXE"])])])})
        menu = session.start()
        menu.wait_window()
        menu.wait_painted()
        menu.click(*TAB_CENTRES[0])
        menu.click(*BUTTON_CENTRES[1][0])
        box, ansi = wait_error_box(english_wine)
        # As Unicode the texts are the Japanese ones...
        assert bytes.fromhex(box["title.utf8.hex"]).decode("utf-8") == \
            ERROR_TITLE.decode("cp932")
        texts = [bytes.fromhex(box["text.%d.utf8.hex" % i]).decode("utf-8")
                 for i in range(int(box["texts"]))]
        assert texts == [CANNOT_START.decode("cp932")]
        # ...though the system's code page is not Shift-JIS.
        assert ansi != [CANNOT_START]
        assert dialog(english_wine, "command", DIALOG_CLASS, ERROR_TITLE.hex(), IDOK)[0] == 0
        assert wait_error_box_gone(english_wine)
    finally:
        session.end()
