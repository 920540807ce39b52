"""What the menu must show, for the painting and navigation tests.

A MenuDef describes a disc (pages, entries, command buttons, decorations and
the picture files they name) and writes its MENU.DAT. A Nav follows the
pointer rules over that definition, press by press, and knows which cells,
captions, buttons and pictures each state shows. scene() composes the
expected surface from the pictures inside the built MENU.EXE and lists the
boxes where caption ink belongs; check_screen() compares the screen with it:
outside the boxes pixel for pixel, inside them by the ink's presence, place
and colour (Wine's glyphs differ from Windows', so no glyph is compared).
"""

import io
import os
import struct
import subprocess
import time

from PIL import Image, ImageChops, ImageDraw

import harness
from harness import helper, trunc_div
from test_resources import read_resources

RT_BITMAP = 2
BACKGROUND, NAV_STRIP, TAB_STRIP, ENTRY_STRIP, BUTTON, COUNTER_PANEL = range(102, 108)

# FixedControl: x, y, w, h, srcX, srcY, strip.
CONTROLS = [
    (580, 435, 60, 45, 0, 0, NAV_STRIP),
    (443, 310, 40, 40, 0, 45, NAV_STRIP),
    (566, 310, 40, 40, 0, 85, NAV_STRIP),
] + [(1 + 128 * k, 56, 126, 26, 0, 26 * k, TAB_STRIP) for k in range(5)] \
  + [(402, 107 + 40 * k, 237, 35, 0, 35 * k, ENTRY_STRIP) for k in range(5)]
EXIT, PREVIOUS, NEXT = 0, 1, 2
TABS = range(3, 8)
SLOTS = range(8, 13)
CONTENT = (11, 105, 396, 481)  # right and bottom exclusive
COUNTER = (505, 317, 40, 24)
WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def inside(px, py, x, y, w, h):
    return x <= px < x + w and y <= py < y + h


def centre(i):
    x, y, w, h = CONTROLS[i][:4]
    return x + w // 2, y + h // 2


# --- Pictures -----------------------------------------------------------------

_pictures = {}


def dib_image(packed):
    """A packed DIB (header, colours, bits) as an RGB image."""
    size, bits, used = (struct.unpack_from("<I", packed, 0)[0],
                        struct.unpack_from("<H", packed, 14)[0],
                        struct.unpack_from("<I", packed, 32)[0])
    colours = used or (1 << bits if bits <= 8 else 0)
    header = b"BM" + struct.pack("<IHHI", 14 + len(packed), 0, 0, 14 + size + 4 * colours)
    return Image.open(io.BytesIO(header + packed)).convert("RGB")


def pictures():
    """The six built-in pictures of the MENU.EXE under test, by number."""
    if harness.MENU_EXE not in _pictures:
        _, resources = read_resources(harness.MENU_EXE)
        _pictures[harness.MENU_EXE] = {
            n: dib_image(next(iter(resources[(RT_BITMAP, n)].values())))
            for n in range(BACKGROUND, COUNTER_PANEL + 1)}
    return _pictures[harness.MENU_EXE]


def pattern(width, height, seed):
    """A picture that looks like nothing in the artwork: stripes and a frame."""
    image = Image.new("RGB", (width, height), ((seed * 70) % 256, 200, (seed * 40) % 256))
    draw = ImageDraw.Draw(image)
    for x in range(0, width, 6):
        draw.line([(x, 0), (x, height - 1)], fill=(250, (seed * 90) % 256, 20))
    draw.rectangle([0, 0, width - 1, height - 1], outline=(10, 10, 120))
    return image


def bmp_bytes(image):
    out = io.BytesIO()
    image.save(out, format="BMP")
    return out.getvalue()


# --- The definition --------------------------------------------------------------

class Command:
    def __init__(self, caption, pos=None, bmp=None, colour=None):
        self.caption, self.pos, self.bmp, self.colour = caption, pos, bmp, colour


class Entry:
    def __init__(self, title, commands=(), decorations=()):
        self.title = title
        self.commands = list(commands)
        self.decorations = list(decorations)  # (file, x, y) from ContentArea


class MenuDef:
    """Pages are (title, [Entry]); files maps picture names to images."""

    def __init__(self, pages, decorations=(), files=None):
        self.pages = list(pages)
        self.decorations = list(decorations)
        self.files = dict(files or {})

    def menu_dat(self):
        lines = [b"[MENU]"]
        lines += [b"Page%d=P%d" % (p + 1, p + 1) for p in range(len(self.pages))]
        lines += self._bmp_lines(self.decorations)
        for p, (title, entries) in enumerate(self.pages):
            lines += [b"", b"[P%d]" % (p + 1), b"Title=" + title]
            lines += [b"Menu%d=E%d_%d" % (k + 1, p + 1, k + 1) for k in range(len(entries))]
        for p, (_, entries) in enumerate(self.pages):
            for k, entry in enumerate(entries):
                lines += [b"", b"[E%d_%d]" % (p + 1, k + 1), b"Title=" + entry.title]
                for n, c in enumerate(entry.commands, 1):
                    # No comma: the command line is empty and starts nothing.
                    lines.append(b"Command%d=%s" % (n, c.caption))
                    if c.pos:
                        lines.append(b"BtnPos%d=%d,%d" % (n, c.pos[0], c.pos[1]))
                    if c.bmp:
                        lines.append(b"BtnBmp%d=%s" % (n, c.bmp.encode()))
                    if c.colour:
                        lines.append(b"BtnTextCol%d=%d,%d,%d" % ((n,) + c.colour))
                lines += self._bmp_lines(entry.decorations)
        return b"\r\n".join(lines) + b"\r\n"

    @staticmethod
    def _bmp_lines(decorations):
        return [b"Bmp%d=%s,%d,%d" % (n, f.encode(), x, y)
                for n, (f, x, y) in enumerate(decorations, 1)]

    def disc_files(self):
        files = {"MENU.DAT": self.menu_dat()}
        files.update({name: bmp_bytes(image) for name, image in self.files.items()})
        return files

    def texts(self):
        """Every caption this definition can show, counters included."""
        found = {t for t, _ in self.pages}
        for _, entries in self.pages:
            groups = (len(entries) + 4) // 5
            found |= {b"%d/%d" % (g, groups) for g in range(1, groups + 1)}
            for entry in entries:
                found.add(entry.title)
                found |= {c.caption for c in entry.commands}
        return sorted(t for t in found if t)


def default_place(i, n):
    columns = (17, 141, 265)
    row, last = i // 3, (n - 1) // 3
    x = columns[i % 3]
    if row == last and n % 3:
        x = columns[3 - n % 3 + i % 3]  # the last row is filled from the right
    return x, 449 + 32 * (row - last)


# --- Navigation ----------------------------------------------------------------------

class Nav:
    """The menu's state after the presses and releases given so far."""

    def __init__(self, menu):
        self.menu = menu
        self.pressed = [0] * 13
        self.disabled = [1] * 13
        self.disabled[EXIT] = 0
        for p in range(len(menu.pages)):
            self.disabled[TABS[p]] = 0
        self.page = None
        self.sub = self.groups = -1
        self.count = 0
        self.entry = None        # index in the page of the selected entry
        self.selected = False    # an entry selection has replaced the start lists
        self.held_control = self.held_command = -1

    # What is on screen ------------------------------------------------------
    def entries(self):
        return self.menu.pages[self.page][1] if self.page is not None else []

    def current(self):
        entries = self.entries()
        return entries[self.entry] if self.entry is not None and self.entry < len(entries) else None

    def buttons(self):
        """(picture or None, x, y, w, h, caption, colour) of each command."""
        entry = self.current()
        if entry is None:
            return []
        result = []
        for i, c in enumerate(entry.commands):
            x, y = default_place(i, len(entry.commands))
            if c.pos:
                x, y = 11 + c.pos[0], 105 + c.pos[1]
            picture, w, h = pictures()[BUTTON], 124, 32
            if c.bmp:
                picture = self.menu.files.get(c.bmp)
                if picture:
                    w, h = picture.width // 2, picture.height
            result.append((picture, x, y, w, h, c.caption, c.colour or BLACK))
        return result

    def decorations(self):
        if not self.selected:
            listed = self.menu.decorations
        else:
            entry = self.current()
            listed = entry.decorations if entry else []
        return [(self.menu.files.get(f), 11 + x, 105 + y) for f, x, y in listed]

    # Pointer -----------------------------------------------------------------------
    def down(self, px, py):
        hit = next((i for i in range(13)
                    if not self.disabled[i] and inside(px, py, *CONTROLS[i][:4])), -1)
        if hit in TABS:
            if not self.pressed[hit]:
                self.select_page(hit)
        elif hit in SLOTS:
            if not self.pressed[hit]:
                self.select_entry(hit)
        elif hit >= 0:
            self.held_control = hit
            self.pressed[hit] = 1
        j = next((j for j, b in enumerate(self.buttons()) if inside(px, py, *b[1:5])), -1)
        if j >= 0:
            self.held_command = j

    def up(self, px, py):
        c, self.held_control = self.held_control, -1
        if c >= 0:
            self.pressed[c] = 0
            if inside(px, py, *CONTROLS[c][:4]) and c != EXIT:
                self.move(c)
        self.held_command = -1  # commands here start nothing

    def click(self, px, py):
        self.down(px, py)
        self.up(px, py)

    def select_page(self, t):
        for k in TABS:
            self.pressed[k] = 0
        self.pressed[t] = 1
        self.page = t - TABS[0]
        n = self.count = len(self.entries())
        self.sub, self.groups = 0, (n + 4) // 5
        for k in range(5):
            self.pressed[SLOTS[k]] = 0
            self.disabled[SLOTS[k]] = int(k >= n)
        self.disabled[PREVIOUS] = 1
        self.disabled[NEXT] = int(n <= 5)
        self.select_entry(SLOTS[0])

    def select_entry(self, s):
        for k in SLOTS:
            self.pressed[k] = 0
        self.pressed[s] = 1
        self.entry = self.sub * 5 + s - SLOTS[0]
        self.selected = True

    def move(self, a):
        if self.disabled[a]:
            return
        self.sub += 1 if a == NEXT else -1
        self.disabled[PREVIOUS] = int(self.sub == 0)
        self.disabled[NEXT] = int(self.sub == self.groups - 1)
        for k in range(5):
            self.disabled[SLOTS[k]] = int(self.sub * 5 + k >= self.count)
        self.select_entry(SLOTS[0])


# --- Expected screen ----------------------------------------------------------------------

def cell(i, pressed, disabled):
    x, y, w, h, sx, sy, strip = CONTROLS[i]
    sx += w if pressed else 2 * w if disabled else 0
    return pictures()[strip].crop((sx, sy, sx + w, sy + h))


def scene(nav, extents):
    """The surface nav's state must show, and its caption boxes:
    (text, (left, top, right, bottom), colour)."""
    pics = pictures()
    image = pics[BACKGROUND].copy()
    boxes = []
    for i in range(13):
        x, y, w, h = CONTROLS[i][:4]
        image.paste(cell(i, nav.pressed[i], nav.disabled[i]), (x, y))
        if i in TABS:
            p = i - TABS[0]
            title = nav.menu.pages[p][0] if p < len(nav.menu.pages) else b""
            if title:
                left = x + trunc_div(w - extents[title], 2)
                boxes.append((title, (left, y + 5, left + extents[title], y + 21), WHITE))
        elif i in SLOTS:
            e = nav.sub * 5 + i - SLOTS[0]
            if nav.sub >= 0 and e < nav.count and nav.entries()[e].title:
                title = nav.entries()[e].title
                boxes.append((title, (x + 30, y + 11, x + 30 + extents[title], y + 27), BLACK))
    cx, cy, cw, ch = COUNTER
    image.paste(pics[COUNTER_PANEL], (cx, cy))
    if nav.groups >= 1:
        text = b"%d/%d" % (nav.sub + 1, nav.groups)
        left = cx + trunc_div(cw - extents[text], 2)
        boxes.append((text, (left, 321, left + extents[text], 337), BLACK))
    for picture, x, y in nav.decorations():
        if picture:
            image.paste(picture, (x, y))
    for j, (picture, x, y, w, h, caption, colour) in enumerate(nav.buttons()):
        if not picture:
            continue
        sx = w if j == nav.held_command else 0
        image.paste(picture.crop((sx, 0, sx + w, h)), (x, y))
        if caption:
            left, top = x + trunc_div(w - extents[caption], 2), y + trunc_div(h - 16, 2)
            boxes.append((caption, (left, top, left + extents[caption], top + 16), colour))
    return image, boxes


def measure(wine, texts):
    """Widths of the texts in the caption font, measured under Wine."""
    texts = list(texts)
    result = subprocess.run([harness.WINE, helper("painter"), "extent"] + [t.hex() for t in texts],
                            env=wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=60)
    assert result.returncode == 0, "painter extent failed"
    values = harness.parse_keys(result.stdout.decode("ascii"))
    return {t: int(values["extent.%d" % n].split()[0]) for n, t in enumerate(texts)}


# Glyphs may reach a little past their advance (bold, antialiasing).
MARGIN_X, MARGIN_Y = 2, 1


def _grow(box):
    left, top, right, bottom = box
    return (max(left - MARGIN_X, 0), max(top - MARGIN_Y, 0),
            min(right + MARGIN_X, 640), min(bottom + MARGIN_Y, 480))


def differences(actual, expected, boxes):
    """Why actual is not the expected screen, as a list of reasons."""
    problems = []
    masked = expected.copy()
    for _, box, _ in boxes:
        region = _grow(box)
        masked.paste(actual.crop(region), region[:2])
    stray = ImageChops.difference(actual, masked).getbbox()
    if stray:
        problems.append("pixels differ outside every caption box, within %r" % (stray,))
    for text, box, colour in boxes:
        region = _grow(box)
        ink = ImageChops.difference(actual.crop(region), expected.crop(region)).getbbox()
        name = text.decode("cp932")
        if not ink:
            problems.append("no caption %r in %r" % (name, box))
            continue
        middle = region[0] + (ink[0] + ink[2]) / 2
        if abs(middle - (box[0] + box[2]) / 2) > 4:
            problems.append("caption %r off centre: ink %r in %r" % (name, ink, region))
        near = 0
        for y in range(region[1], region[3]):
            for x in range(region[0], region[2]):
                if actual.getpixel((x, y)) != expected.getpixel((x, y)) and \
                   all(abs(a - b) <= 40 for a, b in zip(actual.getpixel((x, y)), colour)):
                    near += 1
        if near == 0:
            problems.append("caption %r has no pixel of its colour %r" % (name, colour))
    return problems


def expect_screen(menu, nav, extents, name, timeout=30, settle=0.0, stale=None):
    """Waits until the surface shows nav's state (stale: (image, region)
    pairs of old pixels that stay); fails with the reasons and the images
    in the artifacts otherwise."""
    expected, boxes = scene(nav, extents)
    for image, region in stale or ():
        expected.paste(image.crop(region), region[:2])
    time.sleep(settle)
    deadline = time.monotonic() + timeout
    while True:
        actual = menu.surface_image()
        problems = differences(actual, expected, boxes)
        if not problems or time.monotonic() > deadline:
            break
        time.sleep(0.3)
    os.makedirs(harness.ARTIFACTS, exist_ok=True)
    if problems:
        expected.save(os.path.join(harness.ARTIFACTS, name + "-expected.png"))
        actual.save(os.path.join(harness.ARTIFACTS, name + "-actual.png"))
        raise AssertionError("%s: %s" % (name, "; ".join(problems)))
    menu.save(name)
    return actual
