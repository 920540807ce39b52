#!/usr/bin/env python3
"""Writes the header seeds of fuzz_dib: one small BMP file for every header
length from 12 to 64 bytes and every compression (BI_RGB, RLE8, RLE4,
BI_BITFIELDS, JPEG, PNG, BI_ALPHABITFIELDS), into corpus/fuzz_dib/ beside
this script. Each header holds only the fields its length has room for, so
the reader meets every place where a field ends past the header.

    python3 tests/fuzz/dib_seeds.py
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "fuzz_dib")
WIDTH, HEIGHT = 3, 2
COMPRESSIONS = {0: "rgb", 1: "rle8", 2: "rle4", 3: "bitfields", 4: "jpeg", 5: "png",
                6: "alphabitfields"}
# Uncompressed seeds walk through the bit counts as the length grows.
RGB_BITS = (1, 4, 8, 24, 16, 32)


def rows(bits):
    """The bits of a 3x2 picture, whole 32-bit rows."""
    stride = (WIDTH * bits + 31) // 32 * 4
    out = b""
    for y in range(HEIGHT):
        row = bytearray(stride)
        for x in range(WIDTH):
            bit = x * bits
            if bits < 8:
                row[bit // 8] |= ((x + y) & ((1 << bits) - 1)) << (8 - bits - bit % 8)
            else:
                for i in range(bits // 8):
                    row[bit // 8 + i] = (x * 40 + y * 90 + i * 30) & 255
        out += bytes(row)
    return out


def rle(four):
    """Two rows, an absolute run and an encoded one each, then the end."""
    data = b""
    for y in range(HEIGHT):
        if four:
            data += bytes([0, 3, 0x12, 0x30, 2, 0x45])
        else:
            data += bytes([0, 3, 1, 2, 3, 0, 2, 4 + y])
        data += bytes([0, 0])
    return data[:-2] + bytes([0, 1])


def header(length, bits, compression, image_size, colours_used, masks):
    """A header of length bytes with each field that fits inside it."""
    h = bytearray(max(length, 4))
    struct.pack_into("<I", h, 0, length)
    if length == 12:
        struct.pack_into("<HHHH", h, 4, WIDTH, HEIGHT, 1, bits)
        return bytes(h)
    fields = [(4, "<i", WIDTH), (8, "<i", HEIGHT), (12, "<H", 1), (14, "<H", bits),
              (16, "<I", compression), (20, "<I", image_size), (24, "<i", 2835),
              (28, "<i", 2835), (32, "<I", colours_used)]
    if masks:
        fields += [(40 + 4 * i, "<I", m) for i, m in enumerate(masks)]
    for at, form, value in fields:
        if at + struct.calcsize(form) <= length:
            struct.pack_into(form, h, at, value)
    return bytes(h)


def table(entries, size):
    return b"".join(bytes([i * 37 & 255, i * 91 & 255, i * 13 & 255, 0][:size])
                    for i in range(entries))


def seed(length, compression):
    core = length == 12
    bits = {0: RGB_BITS[length % len(RGB_BITS)], 1: 8, 2: 4, 3: 16 + 16 * (length % 2),
            4: 24, 5: 32, 6: 32}[compression]
    if compression in (1, 2):
        pixels = rle(compression == 2)
    elif compression in (4, 5):
        pixels = b"\xff\xd8\xff\xe0" if compression == 4 else b"\x89PNG\r\n\x1a\n"
    else:
        pixels = rows(bits)
    masks = None
    if compression in (3, 6):
        masks = (0xF800, 0x07E0, 0x001F) if bits == 16 else (0xFF0000, 0xFF00, 0xFF)
        if compression == 6:
            masks += (0xFF000000,)
    # A few used colours where the header holds biClrUsed, all of them
    # where it does not.
    used = 5 if bits <= 8 and length >= 36 else 0
    entries = used or (1 << bits if bits <= 8 else 0)
    h = header(length, bits, compression, len(pixels), used, masks)
    after = table(entries, 3 if core else 4)
    if masks and length < 40 + 4 * len(masks):
        # Masks that do not fit inside the header follow it.
        after = b"".join(struct.pack("<I", m) for m in masks) + after
    body = h + after + pixels
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, 14 + len(h) + len(after)) + body


def main():
    os.makedirs(OUT, exist_ok=True)
    written = 0
    for length in range(12, 65):
        kinds = [0] if length < 16 else sorted(COMPRESSIONS)
        for compression in kinds:
            name = "header%02d_%s.bmp" % (length, "core" if length == 12 else
                                          COMPRESSIONS[compression])
            with open(os.path.join(OUT, name), "wb") as f:
                f.write(seed(length, compression))
            written += 1
    print("%d seeds in %s" % (written, OUT))


if __name__ == "__main__":
    main()
