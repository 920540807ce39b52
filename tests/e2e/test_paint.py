"""Painting, read back from the 24-bit screen: the start screen cell by cell
against the pictures inside MENU.EXE, captions where they belong, buttons
without pictures, decorations beyond the ContentArea, the black surface
before loading, and thousands of repaints that leave drawing intact."""

import os
import subprocess
import time

import pytest
from PIL import Image

import harness
from harness import helper
from menuscene import (CONTENT, Command, Entry, MenuDef, Nav, centre,
                       expect_screen, measure, pattern)

# "インストール", "マニュアル"
INSTALL = b"\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b"
MANUAL = b"\x83\x7d\x83\x6a\x83\x85\x83\x41\x83\x8b"
# "はじめに", "実行"
INTRO = b"\x82\xcd\x82\xb6\x82\xdf\x82\xc9"
RUN = b"\x8e\xc0\x8d\x73"

# A picture across the ContentArea's right edge, over plain background
# outside it, where no control is drawn.
ACROSS = ("ACROSS.BMP", 359, 225)          # at (370, 330), 50 x 40
ACROSS_OUTSIDE = (CONTENT[2], 330, 420, 370)


def start_menu():
    """Three pages (the third without a title) and start decorations: one
    inside the ContentArea, one across its edge, one reaching off the
    surface over the tab row, one whose file is missing."""
    return MenuDef(
        pages=[(INSTALL, [Entry(INTRO)]), (MANUAL, []), (b"", [Entry(b"x")])],
        decorations=[("LOGO.BMP", 30, 20), ACROSS, ("OFF.BMP", -60, -100),
                     ("MISSING.BMP", 100, 100)],
        files={"LOGO.BMP": pattern(200, 90, 1), "ACROSS.BMP": pattern(50, 40, 2),
               "OFF.BMP": pattern(80, 40, 3)})


def started(menus, menu_def):
    menus.disc(menu_def.disc_files())
    menu = menus.start()
    menu.wait_window()
    menu.wait_painted()
    return menu


def test_start_screen(menus):
    menu_def = start_menu()
    menu = started(menus, menu_def)
    extents = measure(menus.wine, menu_def.texts())
    # Exit normal; tabs 1-3 normal (no text over the untitled one), 4-5
    # disabled; arrows and slots disabled, uncaptioned; empty counter panel;
    # decorations over all of it, also outside the ContentArea.
    expect_screen(menu, Nav(menu_def), extents, "paint-start-screen")
    image = menu.surface_image()
    assert image.crop(ACROSS_OUTSIDE).tobytes() == \
        menu_def.files["ACROSS.BMP"].crop((26, 0, 50, 40)).tobytes()


def test_button_without_picture_is_invisible(menus):
    entry = Entry(INTRO, commands=[
        Command(b"Broken", bmp="NOFILE.BMP"),                 # default place (17, 417)
        Command(RUN, bmp="OWN.BMP", colour=(255, 255, 0)),    # (141, 417)
        Command(b"Plain"),                                    # (265, 417)
        Command(b"Shifted", pos=(150, 200), bmp="NOFILE.BMP"),
    ])
    menu_def = MenuDef(pages=[(INSTALL, [entry])], files={"OWN.BMP": pattern(180, 40, 4)})
    menu = started(menus, menu_def)
    extents = measure(menus.wine, menu_def.texts() + [b"Broken", b"Shifted"])
    nav = Nav(menu_def)
    x, y = centre(3)
    menu.click(x, y)
    nav.click(x, y)
    # The broken buttons leave the background showing, captions included.
    expect_screen(menu, nav, extents, "paint-button-without-picture")


def _set_root(xvfb, folder, colour):
    """Paints the root window (ImageMagick's viewer sets it and exits)."""
    path = os.path.join(folder, "root.png")
    Image.new("RGB", (4, 4), colour).save(path)
    subprocess.run(["display", "-display", xvfb.display, "-window", "root", path],
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)
    return xvfb.screenshot().getpixel((0, 0)) == colour


def test_surface_is_black_until_loaded(menus):
    # Thousands of start decorations whose files are missing keep the menu
    # loading for seconds and then draw nothing.
    slow = [("NONE%d.BMP" % n, 0, 0) for n in range(3000)]
    menu_def = MenuDef(pages=[(INSTALL, [])], decorations=slow)
    menus.disc(menu_def.disc_files())
    xvfb = menus.wine.xvfb
    grey, black = (128, 128, 128), (0, 0, 0)
    try:
        # A grey root tells the mapped surface apart from the empty screen.
        assert _set_root(xvfb, menus.folder, grey), "the root window could not be painted"
        menu = menus.start()
        menu.wait_window()
        colours = {grey}
        deadline = time.monotonic() + 20
        while colours <= {grey, black} and colours != {black} and \
                time.monotonic() < deadline:
            image = menu.surface_image()
            found = image.getcolors(4)
            colours = {c for _, c in found} if found else None
            if colours is None:
                pytest.skip("the menu had loaded before the surface was first seen")
        assert colours == {black}, "the surface showed %r while loading" % colours
        menu.save("paint-black-while-loading")
        extents = measure(menus.wine, menu_def.texts())
        expect_screen(menu, Nav(menu_def), extents, "paint-after-loading", timeout=60)
    finally:
        _set_root(xvfb, menus.folder, black)


REPAINTS = 4000


def test_repaints_leak_no_drawing_objects(menus):
    menu_def = MenuDef(
        pages=[(INSTALL, [Entry(INTRO, commands=[Command(RUN)],
                                decorations=[("LOGO.BMP", 10, 10)]),
                          Entry(b"Second", commands=[Command(b"A"), Command(b"B")])])],
        decorations=[ACROSS],
        files={"LOGO.BMP": pattern(120, 60, 5), "ACROSS.BMP": pattern(50, 40, 2)})
    menu = started(menus, menu_def)
    extents = measure(menus.wine, menu_def.texts())
    nav = Nav(menu_def)
    start = expect_screen(menu, nav, extents, "gdi-before")

    # An entry change repaints the ContentArea alone: the start picture's
    # part outside it stays until the whole surface is painted again.
    tab = centre(3)
    menu.click(*tab)
    nav.click(*tab)
    expect_screen(menu, nav, extents, "gdi-stale-outside-content", settle=0.5,
                  stale=[(start, ACROSS_OUTSIDE)])

    began = time.monotonic()
    result = subprocess.run([harness.WINE, helper("painter"), "redraw", str(REPAINTS)],
                            env=menus.wine.env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=900)
    seconds = time.monotonic() - began
    figures = harness.parse_keys(result.stdout.decode("ascii"))
    assert result.returncode == 0 and int(figures["done"]) == REPAINTS, figures
    report = "repaints=%d seconds=%.1f painter_ms=%s ms_per_repaint=%.2f\n" % (
        REPAINTS, seconds, figures["ms"], int(figures["ms"]) / REPAINTS)
    print("\n" + report, end="")
    os.makedirs(harness.ARTIFACTS, exist_ok=True)
    with open(os.path.join(harness.ARTIFACTS, "gdi-repaints.txt"), "w") as f:
        f.write(report)

    # Whole repaints happened (the stale part is gone) and still draw right,
    # and a selection after them still makes and draws its pictures.
    assert menu.proc.poll() is None
    expect_screen(menu, nav, extents, "gdi-after-repaints")
    slot = centre(9)
    menu.click(*slot)
    nav.click(*slot)
    expect_screen(menu, nav, extents, "gdi-selection-after-repaints")
    assert menu.close()
    assert menu.exit_code() == 0
