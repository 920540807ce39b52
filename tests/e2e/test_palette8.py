"""The menu on a 256-colour screen: the background picture's palette is the
one realised, other pictures go through it, and activation or another
program's palette repaint the surface while the menu's own realisation does
not. Screenshots and the colour-distance figure go to e2e-artifacts/."""

import math
import os
import subprocess
import time

from PIL import Image

import pytest

import harness
from harness import FRAME_CLASS, FRAME_TITLE, helper

ART = os.path.join(harness.ROOT, "resources", "art")
SAMPLE = os.path.join(harness.ROOT, "sample")
# A 24-bit decoration over the plain part of the ContentArea.
DECO = os.path.join(SAMPLE, "BTN", "BLUE24.BMP")
DECO_AT = (11 + 20, 105 + 200)
MENU_DAT = b"[MENU]\r\nPage1=P\r\nBmp1=DECO.BMP,20,200\r\n[P]\r\nTitle=P\r\n"
SPOT = (0, 0, 120, 40)  # background only: no control, no decoration


def poke(wine, *args):
    return subprocess.run(["wine", helper("poke")] + [str(a) for a in args], env=wine.env,
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=60).returncode


def distances(shot, x, y, picture):
    """Mean and max RGB distance of shot's pixels at (x, y) from picture's."""
    crop = shot.crop((x, y, x + picture.width, y + picture.height)).getdata()
    d = [math.dist(a, b) for a, b in zip(crop, picture.getdata())]
    return sum(d) / len(d), max(d)


def spot(menu):
    x, y, w, h = SPOT
    return menu.surface_image().crop((x, y, x + w, y + h)).tobytes()


def scribble(menu):
    """Overdraws SPOT from another program; returns what was there."""
    before = spot(menu)
    ox, oy = menu.client_origin()
    x, y, w, h = SPOT
    assert poke(menu.wine, "scribble", ox + x, oy + y, w, h) == 0
    time.sleep(0.3)
    assert spot(menu) != before
    return before


def save(menu, name):
    os.makedirs(harness.ARTIFACTS, exist_ok=True)
    menu.wine.xvfb.screenshot().save(os.path.join(harness.ARTIFACTS, name + ".png"))


def started(menus8):
    assert menus8.wine.probe("screen")[1]["bits"] == "8"
    menus8.disc({"MENU.DAT": MENU_DAT, "DECO.BMP": DECO})
    menu = menus8.start()
    menu.wait_window()
    return menu, menu.wait_painted()


# The screen read back from the 8-bit Xvfb (ImageMagick's import of the root
# window) comes out near black whatever is drawn, overdraw included, so these
# checks cannot see the menu yet; they want a read-back inside Wine.
UNREADABLE = pytest.mark.skip(reason="8-bit screen read back from X is near black")


@UNREADABLE
def test_pictures_show_through_the_background_palette(menus8):
    menu, shot = started(menus8)
    save(menu, "palette8-start")

    background = Image.open(os.path.join(ART, "background.bmp")).convert("RGB")
    deco = Image.open(DECO).convert("RGB")
    band = background.crop((0, 0, 640, 56))
    bg_mean, bg_max = distances(shot, 0, 0, band)
    deco_mean, deco_max = distances(shot, DECO_AT[0], DECO_AT[1], deco)
    figure = ("palette8: background mean %.2f max %.2f; 24-bit decoration mean %.2f max %.2f"
              " (RGB distance, screen vs. picture)\n" % (bg_mean, bg_max, deco_mean, deco_max))
    print(figure)
    with open(os.path.join(harness.ARTIFACTS, "palette8.txt"), "w") as f:
        f.write(figure)
    # The background's own colours are in the palette: shown exactly.
    assert bg_max == 0
    # The decoration is mapped to the nearest entries: close, not exact.
    assert deco_mean < 40


@UNREADABLE
def test_activation_and_foreign_palettes_repaint_but_idling_does_not(menus8):
    wine = menus8.wine
    menu, _ = started(menus8)
    # Idle: the menu's own realisation must not make it paint again.
    scribble(menu)
    garbage = spot(menu)
    time.sleep(2)
    assert spot(menu) == garbage

    # Activation repaints the surface.
    menus8.spawn("decoy", "DecoyClass", "Elsewhere")
    assert wine.wait_window("DecoyClass", "Elsewhere")
    wine.probe("activate", "DecoyClass", "Elsewhere")
    time.sleep(0.5)
    before = scribble(menu)
    wine.probe("activate", FRAME_CLASS, FRAME_TITLE)
    time.sleep(1)
    assert spot(menu) == before
    save(menu, "palette8-after-activation")

    # Another program realising its own palette repaints it too.
    before = scribble(menu)
    menus8.spawn("poke", "palette", 0, 0)
    assert wine.wait_window("PaletteHog", "PaletteHog")
    time.sleep(1)
    save(menu, "palette8-foreign-palette")
    assert spot(menu) == before
