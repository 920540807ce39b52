"""The resources inside the built MENU.EXE: the ids, types, language and bytes
that the menu finds with FindResourceA at load.

The programs come from the environment: MENU_EXE32 (the disc's i686 build)
and MENU_EXE64 (the x86_64 twin); a missing variable skips its half. The PE
file is read with the standard library alone.
"""

import os
import struct

import pytest

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ART = os.path.join(REPO, "resources", "art")

RT_ICON, RT_BITMAP, RT_GROUP_ICON, RT_MANIFEST = 3, 2, 14, 24
JAPANESE = 1041

# id, file, width, height
BITMAPS = [
    (102, "background.bmp", 640, 480),
    (103, "navstrip.bmp", 180, 125),
    (104, "tabstrip.bmp", 378, 130),
    (105, "entrystrip.bmp", 711, 175),
    (106, "button.bmp", 248, 32),
    (107, "counter.bmp", 40, 24),
]

PROGRAMS = [("MENU_EXE32", 0x014C), ("MENU_EXE64", 0x8664)]  # i386, AMD64


def read_resources(path):
    """Machine and {(type, name): {language: bytes}} of a PE file. Named types
    and names are upper-case strings, numbered ones ints."""
    with open(path, "rb") as f:
        image = f.read()
    if image[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", image, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + {0x10B: 96, 0x20B: 112}[magic]
    resource_rva, _ = struct.unpack_from("<II", image, directories + 2 * 8)
    table = optional + optional_size
    spans = []
    for i in range(sections):
        virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", image, table + 40 * i + 8)
        spans.append((rva, max(virtual_size, raw_size), raw_offset))

    def offset(rva):
        for start, size, raw in spans:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("RVA %#x outside every section" % rva)

    root = offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", image, root + directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, root + directory + 16 + 8 * i)
            if name & 0x80000000:
                at = root + (name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", image, at)[0]
                name = image[at + 2:at + 2 + 2 * length].decode("utf-16-le").upper()
            yield name, target

    found = {}
    for kind, types in entries(0):
        for name, names in entries(types & 0x7FFFFFFF):
            for language, leaf in entries(names & 0x7FFFFFFF):
                if leaf & 0x80000000:
                    raise ValueError("a fourth directory level")
                rva, size = struct.unpack_from("<II", image, root + leaf)
                start = offset(rva)
                found.setdefault((kind, name), {})[language] = image[start:start + size]
    return machine, found


@pytest.fixture(params=PROGRAMS, ids=[p[0] for p in PROGRAMS])
def program(request):
    variable, machine = request.param
    path = os.environ.get(variable)
    if not path:
        pytest.skip("%s is not set" % variable)
    found_machine, resources = read_resources(path)
    assert found_machine == machine, "%s is not built for machine %#x" % (path, machine)
    return resources


def only_japanese(resources, kind, name):
    """The bytes of one resource, which must exist in language 1041 alone."""
    languages = resources.get((kind, name))
    assert languages is not None, "resource %r of type %r is missing" % (name, kind)
    assert list(languages) == [JAPANESE], "resource %r of type %r: languages %r" % (
        name, kind, sorted(languages))
    return languages[JAPANESE]


def test_every_resource_is_expected_and_japanese(program):
    expected = {(RT_BITMAP, b[0]) for b in BITMAPS}
    expected |= {(RT_GROUP_ICON, 101), ("WAVE", "CLICK"), (RT_MANIFEST, 1)}
    # The group's single image carries an id of windres' choosing.
    present = {key for key in program if key[0] != RT_ICON}
    assert present == expected
    icons = [key for key in program if key[0] == RT_ICON]
    assert len(icons) == 1
    for key, languages in program.items():
        assert list(languages) == [JAPANESE], key


def bitmap_fields(data):
    size, width, height, planes, bits, compression, image_size = struct.unpack_from("<IiiHHII", data, 0)
    clr_used = struct.unpack_from("<I", data, 32)[0]
    return size, width, height, planes, bits, compression, clr_used


@pytest.mark.parametrize("number,name,width,height", BITMAPS)
def test_bitmap(program, number, name, width, height):
    data = only_japanese(program, RT_BITMAP, number)
    # 40-byte header, 8 bits, BI_RGB, biClrUsed 0, bottom-up.
    assert bitmap_fields(data) == (40, width, height, 1, 8, 0, 0)
    stride = (width + 3) // 4 * 4
    assert len(data) == 40 + 256 * 4 + stride * height
    with open(os.path.join(ART, name), "rb") as f:
        committed = f.read()
    assert data == committed[14:], "resource %d differs from resources/art/%s" % (number, name)


def test_strips_share_the_background_table(program):
    tables = {n: only_japanese(program, RT_BITMAP, n)[40:40 + 1024] for n in (102, 103, 104, 105)}
    for n in (103, 104, 105):
        assert tables[n] == tables[102], "picture %d has a table of its own" % n


def test_click_sound(program):
    data = only_japanese(program, "WAVE", "CLICK")
    riff, riff_size, wave = struct.unpack_from("<4sI4s", data, 0)
    assert (riff, wave) == (b"RIFF", b"WAVE")
    assert riff_size == len(data) - 8
    chunks, at = {}, 12
    while at + 8 <= len(data):
        tag, size = struct.unpack_from("<4sI", data, at)
        chunks[tag] = data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    assert at == len(data), "chunks do not end with the resource"
    tag, channels, rate, per_second, align, bits = struct.unpack_from("<HHIIHH", chunks[b"fmt "], 0)
    assert (tag, channels, rate, per_second, align, bits) == (1, 1, 44100, 44100, 1, 8)
    samples = chunks[b"data"]
    assert len(samples) == 4940
    # A click, not silence: it moves well away from the middle at the start
    # and is back at rest (128) by the end.
    assert max(samples[:200]) - min(samples[:200]) > 100
    assert set(samples[-100:]) == {128}


def test_icon(program):
    group = only_japanese(program, RT_GROUP_ICON, 101)
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    assert (reserved, kind, count) == (0, 1, 1)
    width, height, colours, _, planes, bits, size, image_id = struct.unpack_from("<BBBBHHIH", group, 6)
    assert (width, height, colours, bits) == (32, 32, 16, 4)
    image = only_japanese(program, RT_ICON, image_id)
    assert len(image) == size
    # Header, 16 colours, 4-bit colour rows and the 1-bit mask.
    assert bitmap_fields(image)[:5] == (40, 32, 64, 1, 4)
    assert size == 40 + 16 * 4 + 32 * 32 // 2 + 32 * 4


def test_manifest(program):
    text = only_japanese(program, RT_MANIFEST, 1).decode("utf-8")
    assert 'level="asInvoker"' in text
    for os_id in ("e2011457-1546-43c5-a5fe-008deee3d3f0",   # Vista
                  "35138b9a-5d96-4fbd-8e2d-a2440225f93a",   # 7
                  "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",   # 8
                  "1f676c76-80e1-4239-95bb-83d0f6d0da78",   # 8.1
                  "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"):  # 10 and 11
        assert os_id in text
