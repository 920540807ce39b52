"""Bad input tried end to end: MENU.DAT of junk, of far too many pages and of
over-long values; BMP files truncated, lying about their sizes, and of every
header size, bit count and compression; missing files; a read-only disc; and
directories of the DelDir list that hold read-only files.

Whatever it is given, the menu starts, paints, takes a click on a tab and
closes with exit code 0, and shows what it can: a screen is compared with
the screen of a well-formed disc that means the same, or with the empty
disc's. Only folders of the test's own temporary tree are ever listed for
removal, and a listing of that tree shows nothing touched outside them.
"""

import os
import random
import stat
import struct

import pytest

from recorders import TAB_CENTRES, windows_path

CONTENT_X, CONTENT_Y = 11, 105
SECTION = "XervoCD-ROM"

_empty_screens = {}  # Wine prefix -> (start screen, screen after a tab click)


def run(menus, files, clicks=(TAB_CENTRES[0],), drive="Q"):
    """Starts a disc of files (None: the disc already made on drive);
    returns the painted surface at start and after each click. The menu must
    still run after them and close with 0."""
    if files is not None:
        menus.disc(files, drive=drive)
    menu = menus.start(drive=drive)
    menu.wait_window()
    shots = [menu.wait_painted()]
    for point in clicks:
        menu.click(*point)
        shots.append(menu.wait_painted())
        assert menu.proc.poll() is None, "the menu ended after a click at %s" % (point,)
    menu.refresh()
    assert menu.close(), "no menu window to close"
    assert menu.exit_code() == 0
    return shots


def empty_screens(menus):
    """The screens of a disc without MENU.DAT: no tab, no decoration."""
    key = menus.wine.prefix
    if key not in _empty_screens:
        _empty_screens[key] = run(menus, {}, drive="P")
    return _empty_screens[key]


def same(a, b):
    return a.tobytes() == b.tobytes()


def dat(text):
    return text.replace("\n", "\r\n").encode("cp932")


# --- MENU.DAT --------------------------------------------------------------------

def test_junk_menu_dat_reads_as_no_menu(menus):
    rng = random.Random(1997)
    junk = bytes(rng.randrange(256) for _ in range(64 * 1024))
    # Junk that starts like a UTF-16 file, and junk with no line break.
    for name, data in (("binary", junk), ("utf16-mark", b"\xff\xfe" + junk[:4096]),
                       ("one line", bytes(b for b in junk if b not in b"\r\n\0[]"))):
        shots = run(menus, {"MENU.DAT": data})
        assert all(same(s, e) for s, e in zip(shots, empty_screens(menus))), name


def pages_dat(count):
    lines = ["[MENU]"] + ["Page%d=P%d" % (n, n) for n in range(1, count + 1)]
    for n in range(1, count + 1):
        lines += ["[P%d]" % n, "Title=Page %d" % n, "Menu1=E%d" % n,
                  "[E%d]" % n, "Title=Entry %d" % n, "Command1=Go %d,GO%d.EXE" % (n, n)]
    return dat("\n".join(lines) + "\n")


def test_ten_thousand_pages_show_five(menus):
    clicks = (TAB_CENTRES[0], TAB_CENTRES[4])
    many = run(menus, {"MENU.DAT": pages_dat(10000)}, clicks)
    five = run(menus, {"MENU.DAT": pages_dat(5)}, clicks, drive="R")
    for n, (a, b) in enumerate(zip(many, five)):
        assert same(a, b), "screen %d differs from five pages" % n


# Over-long values and what they mean cut to the limits of their fields:
# names and titles 39 bytes, commands 159, positions and colours 29, file
# names with their numbers 79.
LONG = {
    "page": "P" * 300,
    "title": "T" * 39 + "t" * 261,
    "entry": "E" * 120,
    "entry title": "\x95\x5c" * 30,  # 表 x 30: cut between characters, never inside
    "command": "C" * 45 + "," + "L" * 2000,
    "position": "40," + "9" * 500,
    "colour": "255,0," + "0" * 500 + "1",
    "button picture": "N" * 500 + ".BMP",
    "decoration": "LOGO.BMP,20,10," + "x" * 500,
}


def cut_text(text, limit):
    """The first limit bytes of text, or one less not to split a character."""
    at = 0
    while at < len(text):
        step = 2 if 0x81 <= ord(text[at]) <= 0x9F or 0xE0 <= ord(text[at]) <= 0xFC else 1
        if at + step > limit:
            break
        at += step
    return text[:at]


def long_dat(cut):
    def value(key, limit):
        return cut_text(LONG[key], limit) if cut else LONG[key]

    # Section names are not values: both files name the sections as the
    # cut values do.
    page, entry = cut_text(LONG["page"], 39), cut_text(LONG["entry"], 39)
    text = "\n".join([
        "[MENU]", "Page1=" + value("page", 39), "Page2=" + value("page", 39),
        "Bmp1=" + value("decoration", 79),
        "[" + page + "]", "Title=" + value("title", 39), "Menu1=" + value("entry", 39),
        "Menu2=" + value("entry", 39),
        "[" + entry + "]", "Title=" + value("entry title", 39),
        "Command1=" + value("command", 159), "Command2=Two,TWO.EXE",
        "BtnPos2=" + value("position", 29), "BtnTextCol1=" + value("colour", 29),
        "BtnBmp1=" + value("button picture", 79),
        "Bmp1=" + value("decoration", 79),
    ]) + "\n"
    return text.encode("latin-1")


def test_over_long_values_show_as_cut(menus):
    logo = logo_bmp()
    clicks = (TAB_CENTRES[0], TAB_CENTRES[1])
    whole = run(menus, {"MENU.DAT": long_dat(False), "LOGO.BMP": logo}, clicks)
    cut = run(menus, {"MENU.DAT": long_dat(True), "LOGO.BMP": logo}, clicks, drive="R")
    for n, (a, b) in enumerate(zip(whole, cut)):
        assert same(a, b), "screen %d differs from the values cut" % n
    # The decoration is shown: the start screen is not the empty one.
    assert not same(whole[0], empty_screens(menus)[0])


def test_missing_files_and_sections_show_nothing_for_them(menus):
    text = "\n".join([
        "[MENU]", "Page1=P1", "Page2=NO SUCH PAGE", "Bmp1=NOSUCH.BMP,10,10",
        "Bmp2=NO\\SUCH\\DIR.BMP", "Bmp3=Z:\\nonexistent-menu-test\\X.BMP",
        "[P1]", "Title=One", "Menu1=E1", "Menu2=NO SUCH ENTRY",
        "[E1]", "Title=Entry", "Command1=Go,NOSUCH.EXE", "Bmp1=GONE.BMP,0,0",
        "[NO SUCH PAGE]",
    ])
    # What the same file means without the missing pictures.
    without = "\n".join(line for line in text.split("\n") if not line.startswith("Bmp"))
    clicks = (TAB_CENTRES[0], TAB_CENTRES[1])
    missing = run(menus, {"MENU.DAT": dat(text + "\n")}, clicks)
    plain = run(menus, {"MENU.DAT": dat(without + "\n")}, clicks, drive="R")
    for n, (a, b) in enumerate(zip(missing, plain)):
        assert same(a, b), "screen %d differs from the file without them" % n


# --- BMP files ---------------------------------------------------------------------

RED = (255, 0, 0)
SIDE = 8  # every picture is 8 x 8, red all over when it is drawn


def file_header(dib, size=None, offset=None):
    size = 14 + len(dib) if size is None else size
    return b"BM" + struct.pack("<IHHI", size & 0xFFFFFFFF, 0, 0,
                               (14 + 40 if offset is None else offset) & 0xFFFFFFFF)


def bmp(dib, **fields):
    return file_header(dib, **fields) + dib


def rows(row_bytes):
    """SIDE rows of row_bytes, each padded to 32 bits."""
    padded = row_bytes + b"\0" * (-len(row_bytes) % 4)
    return padded * SIDE


def red_bits(bits):
    """Pixel bits that show red: palette index 1 (red) for up to 8 bits."""
    row = {1: b"\xff", 4: b"\x11" * 4, 8: b"\x01" * SIDE, 16: b"\x00\x7c" * SIDE,
           24: b"\x00\x00\xff" * SIDE, 32: b"\x00\x00\xff\x00" * SIDE}[bits]
    return rows(row)


def palette(count, entry=4):
    """Index 0 blue, index 1 red, the rest green: red shows only when the
    bits are read where they are."""
    colours = [(255, 0, 0), (0, 0, 255)] + [(0, 255, 0)] * (count - 2)
    return b"".join(bytes(c) + b"\0" * (entry - 3) for c in colours[:count])


def info(bits, size=40, compression=0, width=SIDE, height=SIDE, planes=1, used=0,
         image=None, table=None, pixels=None):
    if table is None:
        table = palette(used or 1 << bits) if bits <= 8 else b""
    pixels = red_bits(bits) if pixels is None else pixels
    image = len(pixels) if image is None else image
    header = struct.pack("<IiiHHIIiiII", size & 0xFFFFFFFF, width, height, planes,
                         bits & 0xFFFF, compression & 0xFFFFFFFF, image & 0xFFFFFFFF,
                         2835, 2835, used & 0xFFFFFFFF, 0)
    header = (header + b"\0" * max(0, size - 40))[:max(size, 4)] if size < 1024 else header
    return header + table + pixels


def core(bits):
    table = palette(1 << bits, entry=3) if bits <= 8 else b""
    return struct.pack("<IHHHH", 12, SIDE, SIDE, 1, bits) + table + red_bits(bits)


def masks(red, green, blue):
    return struct.pack("<III", red, green, blue)


def rle(code):
    """RLE bits: each row one run of SIDE pixels of code, then end of line;
    end of picture at the last."""
    return (bytes((SIDE, code)) + b"\0\0") * SIDE + b"\0\1"


def logo_bmp():
    return bmp(info(24))


def bmp_cases():
    """(name, file bytes, drawn)."""
    cases = []
    add = lambda name, data, drawn: cases.append((name, data, drawn))  # noqa: E731
    # Forms the reader takes.
    for bits in (1, 4, 8, 24):
        add("core %d bits" % bits, bmp(core(bits), offset=14 + 12), True)
    for bits in (1, 4, 8, 16, 24, 32):
        add("info %d bits" % bits, bmp(info(bits)), True)
    add("top-down", bmp(info(8, height=-SIDE)), True)
    add("two colours used", bmp(info(8, used=2)), True)
    add("300 colours used", bmp(info(8, used=300)), True)
    add("RLE8", bmp(info(8, compression=1, pixels=rle(1))), True)
    add("RLE4", bmp(info(4, compression=2, pixels=rle(0x11))), True)
    add("bit fields 16", bmp(info(16, compression=3, table=masks(0xF800, 0x7E0, 0x1F),
                                  pixels=rows(b"\x00\xf8" * SIDE))), True)
    add("bit fields 32", bmp(info(32, compression=3, table=masks(0xFF0000, 0xFF00, 0xFF))),
        True)
    add("OS/2 short header", bmp(struct.pack("<IiiHH", 16, SIDE, SIDE, 1, 24) +
                                 red_bits(24)), True)
    # Any size from 16 up is an info header of that length.
    for size in (16, 32, 39, 41, 52, 56, 64, 108, 124, 200):
        add("header %d" % size, bmp(info(8, size=size)), True)
    add("planes 0", bmp(info(8, planes=0)), True)
    add("planes 2", bmp(info(8, planes=2)), True)
    add("file header offset lies", bmp(info(8), offset=3), True)
    add("junk after the picture", bmp(info(8)) + b"\xee" * 100, True)
    # Header sizes, bit counts and compressions it refuses.
    for size in (0, 4, 11, 13, 15, 0xFFFFFFFF):
        add("header %d" % size, bmp(info(8, size=size)), False)
    for bits in (0, 2, 3, 5, 7, 9, 15, 48, 64, 0xFFFF):
        add("%d bits" % bits, bmp(info(bits, table=palette(2), pixels=red_bits(8))), False)
    for bits, compression in ((8, 4), (8, 5), (8, 6), (8, 11), (8, 0xFFFFFFFF), (4, 1),
                              (8, 2), (24, 3), (24, 1)):
        add("%d bits compression %d" % (bits, compression),
            bmp(info(bits, compression=compression)), False)
    add("core 16 bits", bmp(struct.pack("<IHHHH", 12, SIDE, SIDE, 1, 16) + red_bits(16)),
        False)
    add("RLE8 without its size", bmp(info(8, compression=1, pixels=rle(1), image=0)), False)
    add("RLE8 size past the end", bmp(info(8, compression=1, pixels=rle(1), image=5000)),
        False)
    add("width 0", bmp(info(8, width=0)), False)
    add("width 70000", bmp(info(8, width=70000)), False)
    add("height 0", bmp(info(8, height=0)), False)
    add("height -70000", bmp(info(8, height=-70000)), False)
    add("colours used 2^32-1", bmp(info(8, used=0xFFFFFFFF, table=palette(256))), False)
    add("colours used past the end", bmp(info(8, used=1000, table=palette(256))), False)
    # Files cut short, or whose file header lies about the size.
    whole = bmp(info(8))
    for size in (0, 1, 2, 13, 14, 30, 54, 100, len(whole) - 1):
        add("cut to %d bytes" % size, whole[:size], False)
    dib = info(8)
    add("size says more than the file", file_header(dib, size=14 + len(dib) + 1) + dib, False)
    add("size says less than the picture", file_header(dib, size=14 + len(dib) - 1) + dib,
        False)
    for size in (0, 13, 26, 0xFFFFFFFF):
        add("size %d" % size, file_header(dib, size=size) + dib, False)
    add("no BM", b"MB" + whole[2:], False)
    add("text file", b"BM is not a picture\r\n", False)
    return cases


def test_every_kind_of_bmp(menus):
    cases = bmp_cases()
    files, lines = {}, ["[MENU]"]
    places = []
    for n, (name, data, drawn) in enumerate(cases):
        x, y = 10 + 12 * (n % 28), 10 + 12 * (n // 28)
        places.append((CONTENT_X + x, CONTENT_Y + y))
        files["B%03d.BMP" % n] = data
        lines.append("Bmp%d=B%03d.BMP,%d,%d" % (n + 1, n, x, y))
    files["DIR.BMP/inside.txt"] = b"a folder named like a picture\r\n"
    lines.append("Bmp%d=DIR.BMP,0,360" % (len(cases) + 1))
    files["MENU.DAT"] = dat("\n".join(lines) + "\n")

    shot = run(menus, files, clicks=(TAB_CENTRES[0],))[0]
    empty = empty_screens(menus)[0]
    wrong = []
    for (name, _, drawn), (x, y) in zip(cases, places):
        cell = shot.crop((x, y, x + SIDE, y + SIDE))
        if drawn:
            ok = all(max(abs(a - b) for a, b in zip(p, RED)) <= 8 for p in cell.getdata())
        else:
            ok = same(cell, empty.crop((x, y, x + SIDE, y + SIDE)))
        if not ok:
            wrong.append(name)
    assert not wrong, "shown wrongly: %s" % ", ".join(wrong)
    x, y = CONTENT_X, CONTENT_Y + 360
    assert same(shot.crop((x, y, x + 20, y + 10)), empty.crop((x, y, x + 20, y + 10)))


# --- Read-only disc ----------------------------------------------------------------

def tree(root):
    """Every path under root with its kind, size, mode, time and bytes (a
    folder's time changes with what is in it: not kept)."""
    entries = {}
    for folder, dirs, names in os.walk(root):
        for name in dirs + names:
            path = os.path.join(folder, name)
            st = os.lstat(path)
            content, mtime = None, None
            if stat.S_ISREG(st.st_mode):
                with open(path, "rb") as f:
                    content = f.read()
                mtime = st.st_mtime_ns
            entries[os.path.relpath(path, root)] = (stat.S_IFMT(st.st_mode),
                                                    stat.S_IMODE(st.st_mode), mtime, content)
    return entries


def set_writable(root, writable):
    for folder, dirs, names in os.walk(root):
        for name in dirs + names + [""]:
            path = os.path.join(folder, name)
            mode = os.lstat(path).st_mode
            os.chmod(path, mode | 0o200 if writable else mode & ~0o222)


def test_read_only_disc(menus, tmp_path):
    text = "\n".join(["[MENU]", "Page1=P1", "Bmp1=LOGO.BMP,20,10", "[P1]", "Title=One",
                      "Menu1=E1", "[E1]", "Title=Entry", "Command1=Go,GO.EXE"])
    files = {"MENU.DAT": dat(text + "\n"), "LOGO.BMP": logo_bmp()}
    writable = run(menus, files, drive="R")
    folder = menus.disc(files)
    set_writable(folder, False)
    try:
        before = tree(str(tmp_path))
        shots = run(menus, None)
        assert tree(str(tmp_path)) == before
    finally:
        set_writable(folder, True)
    for n, (a, b) in enumerate(zip(shots, writable)):
        assert same(a, b), "screen %d differs from a writable disc" % n


# --- DelDir list with read-only files --------------------------------------------------

def listed_after(path):
    """DelDir1, DelDir2, ... of win.ini up to the first missing or empty one
    (None when the section is gone)."""
    section, keys = None, {}
    with open(path, "rb") as f:
        for line in f.read().decode("cp932").splitlines():
            line = line.strip()
            if line.startswith("["):
                section = line[1:-1].lower()
                if section == SECTION.lower():
                    keys.setdefault("present", True)
            elif section == SECTION.lower() and "=" in line:
                key, _, value = line.partition("=")
                keys.setdefault(key.strip().lower(), value.strip())
    if not keys:
        return None
    names = []
    while keys.get("deldir%d" % (len(names) + 1)):
        names.append(keys["deldir%d" % (len(names) + 1)])
    return names


def test_deldir_folders_with_read_only_files(menus, win_ini, tmp_path):
    base = tmp_path / "deldirs"
    layout = {
        "locked": {"a.txt": 0o644, "locked.txt": 0o444, "sub/inner.txt": 0o644},
        "plain": {"b.txt": 0o644, "c.dat": 0o644},
        "all-locked": {"x.txt": 0o444, "y.txt": 0o444},
        "outside": {"keep.txt": 0o644},
    }
    for folder, names in layout.items():
        for name, mode in names.items():
            path = base / folder / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(name.encode("ascii") + b"\r\n")
            os.chmod(path, mode)
    listed = [base / "locked", base / "plain", base / "missing", base / "all-locked"]
    values = [windows_path(str(p)) for p in listed]
    values[1] = values[1].replace("\\", "/") + "/"  # either separator, and a trailing one
    # Cut to 255 bytes: no such folder, and no room left for the search
    # pattern; a search that cannot be started, so it drops out of the list.
    values.append(values[0] + "\\" + "x" * 300)
    with open(win_ini, "ab") as f:
        f.write(("\r\n[%s]\r\n" % SECTION).encode("ascii"))
        for n, value in enumerate(values, 1):
            f.write(("DelDir%d=%s\r\n" % (n, value)).encode("ascii"))
    menus.disc()
    before = tree(str(tmp_path))

    run(menus, None)

    after = tree(str(tmp_path))
    inside = ("deldirs/locked/", "deldirs/plain/", "deldirs/all-locked/")
    gone = sorted(set(before) - set(after))
    assert not set(after) - set(before), "new files"
    for path, entry in after.items():
        if path.startswith(inside) or path + "/" in inside:
            continue
        assert before[path] == entry, "%s changed outside the listed folders" % path
    # Files go from the listed folders themselves, never from a subfolder;
    # read-only files stay, and so do their folders.
    assert gone == ["deldirs/locked/a.txt", "deldirs/plain", "deldirs/plain/b.txt",
                    "deldirs/plain/c.dat"]
    assert listed_after(win_ini) == [values[0], values[3]]
