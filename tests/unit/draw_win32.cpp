// Pictures drawn through GDI onto a 24-bit DIB section and read back pixel
// by pixel, and the palette made from a picture.
#include <gtest/gtest.h>

#include <windows.h>
#include <string.h>
#include <vector>

#include "graphics/draw.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void put(Bytes& b, size_t at, unsigned long v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        b[at + i] = (unsigned char)(v >> (8 * i));
}

// The test picture as displayed, top row first, in colour numbers. No two
// rows alike, so a picture drawn upside down cannot pass.
enum { PW = 7, PH = 5 };
const unsigned char shown[PH][PW] = {
    {1, 2, 3, 4, 5, 6, 7},
    {0, 1, 0, 2, 0, 3, 1},
    {7, 7, 6, 6, 5, 5, 4},
    {3, 0, 0, 0, 1, 0, 2},
    {4, 5, 6, 7, 1, 2, 0},
};
// Components 0 or 255 only: exact in every format, 5-5-5 included.
const unsigned char colours[8][3] = {  // red, green, blue
    {0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255},
    {255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {255, 255, 255},
};

struct Format {
    const char* name;
    unsigned long headerSize;
    unsigned bits;
    unsigned long compression;  // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
    bool topDown;
    unsigned long masks[3];     // red, green, blue (stored only for bit fields)
};

const Format formats[] = {
    {"1 bit", 40, 1, 0, false, {0, 0, 0}},
    {"4 bits", 40, 4, 0, false, {0, 0, 0}},
    {"8 bits", 40, 8, 0, false, {0, 0, 0}},
    {"24 bits", 40, 24, 0, false, {0, 0, 0}},
    {"24 bits top-down", 40, 24, 0, true, {0, 0, 0}},
    {"16 bits 5-5-5", 40, 16, 0, false, {0x7C00, 0x03E0, 0x001F}},
    {"16 bits 5-5-5 fields", 40, 16, 3, false, {0x7C00, 0x03E0, 0x001F}},
    {"16 bits 5-6-5 fields", 40, 16, 3, false, {0xF800, 0x07E0, 0x001F}},
    {"32 bits", 40, 32, 0, false, {0xFF0000, 0xFF00, 0xFF}},
    {"32 bits fields", 40, 32, 3, false, {0xFF0000, 0xFF00, 0xFF}},
    {"32 bits fields top-down", 40, 32, 3, true, {0xFF0000, 0xFF00, 0xFF}},
    {"RLE8", 40, 8, 1, false, {0, 0, 0}},
    {"RLE4", 40, 4, 2, false, {0, 0, 0}},
    {"core 1 bit", 12, 1, 0, false, {0, 0, 0}},
    {"core 8 bits", 12, 8, 0, false, {0, 0, 0}},
    {"core 24 bits", 12, 24, 0, false, {0, 0, 0}},
    {"16-byte header, 4 bits", 16, 4, 0, false, {0, 0, 0}},
    {"32-byte header, 8 bits", 32, 8, 0, false, {0, 0, 0}},
    {"64-byte header, 24 bits", 64, 24, 0, false, {0, 0, 0}},
    {"64-byte header, RLE8", 64, 8, 1, false, {0, 0, 0}},
    {"V4 16 bits 5-6-5", 108, 16, 3, false, {0xF800, 0x07E0, 0x001F}},
    {"V5 32 bits fields", 124, 32, 3, false, {0xFF0000, 0xFF00, 0xFF}},
    {"V5 8 bits top-down", 124, 8, 0, true, {0, 0, 0}},
};

// Colour number of a displayed pixel in a picture of this many bits.
int colourAt(unsigned bits, int x, int y)
{
    return bits == 1 ? shown[y][x] & 1 : shown[y][x];
}

// One stored row, RLE-encoded: an absolute run first, then encoded runs.
void rleRow(Bytes& out, const unsigned char* row, unsigned bits)
{
    if (bits == 8) {
        out.insert(out.end(), {0, 3, row[0], row[1], row[2], 0});
        for (int x = 3; x < PW; x++)
            out.insert(out.end(), {1, row[x]});
    } else {
        out.insert(out.end(), {0, 4, (unsigned char)(row[0] << 4 | row[1]),
                               (unsigned char)(row[2] << 4 | row[3])});
        for (int x = 4; x < PW; x += 2) {
            unsigned char second = x + 1 < PW ? row[x + 1] : 0;
            out.insert(out.end(), {(unsigned char)(x + 1 < PW ? 2 : 1),
                                   (unsigned char)(row[x] << 4 | second)});
        }
    }
}

// The test picture in the given format, built independently of dib.cpp.
Bytes build(const Format& f)
{
    bool core = f.headerSize == 12;
    unsigned long tableEntries = f.bits <= 8 ? 1UL << f.bits : 0;
    unsigned entrySize = core ? 3 : 4;
    bool masksAfter = f.headerSize == 40 && f.compression == 3;

    Bytes pixels;
    size_t stride = (PW * f.bits + 31) / 32 * 4;
    for (int r = 0; r < PH; r++) {
        int y = f.topDown ? r : PH - 1 - r;
        unsigned char index[PW];
        for (int x = 0; x < PW; x++)
            index[x] = (unsigned char)colourAt(f.bits, x, y);
        if (f.compression == 1 || f.compression == 2) {
            rleRow(pixels, index, f.bits);
            if (r + 1 < PH)
                pixels.insert(pixels.end(), {0, 0});  // end of line
            continue;
        }
        Bytes row(stride, 0);
        for (int x = 0; x < PW; x++) {
            const unsigned char* c = colours[index[x]];
            if (f.bits <= 8) {
                int shift = 8 - f.bits - (int)(x * f.bits % 8);
                row[x * f.bits / 8] |= (unsigned char)(index[x] << shift);
            } else if (f.bits == 24) {
                put(row, x * 3, (unsigned long)c[2] | c[1] << 8 | c[0] << 16, 3);
            } else {
                const unsigned long* m = f.masks;
                unsigned long v = (c[0] ? m[0] : 0) | (c[1] ? m[1] : 0) | (c[2] ? m[2] : 0);
                put(row, x * f.bits / 8, v, f.bits / 8);
            }
        }
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    if (f.compression == 1 || f.compression == 2)
        pixels.insert(pixels.end(), {0, 1});  // end of picture

    size_t tableAt = f.headerSize + (masksAfter ? 12 : 0);
    Bytes b(tableAt + tableEntries * entrySize, 0);
    put(b, 0, f.headerSize, 4);
    if (core) {
        put(b, 4, PW, 2);
        put(b, 6, PH, 2);
        put(b, 8, 1, 2);
        put(b, 10, f.bits, 2);
    } else {
        put(b, 4, PW, 4);
        long height = f.topDown ? -PH : PH;
        put(b, 8, (unsigned long)height, 4);
        put(b, 12, 1, 2);
        put(b, 14, f.bits, 2);
        if (f.headerSize >= 40) {
            put(b, 16, f.compression, 4);
            put(b, 20, pixels.size(), 4);
        }
        if (f.compression == 3)
            for (int i = 0; i < 3; i++)
                put(b, 40 + 4 * i, f.masks[i], 4);  // after or inside the header
    }
    for (unsigned long i = 0; i < tableEntries; i++) {
        const unsigned char* c = colours[i % 8];
        size_t at = tableAt + i * entrySize;
        b[at] = c[2];
        b[at + 1] = c[1];
        b[at + 2] = c[0];
    }
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// A 64x64 24-bit DIB section selected into a memory DC, rows top first.
enum { TW = 64, TH = 64, SENTINEL = 0x80 };
struct Target {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    unsigned char* bits;
};

Target makeTarget()
{
    Target t = {};
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = TW;
    bmi.bmiHeader.biHeight = -TH;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    t.dc = CreateCompatibleDC(NULL);
    t.bitmap = CreateDIBSection(t.dc, &bmi, DIB_RGB_COLORS, &bits, NULL, 0);
    t.bits = (unsigned char*)bits;
    if (t.dc && t.bitmap)
        t.old = SelectObject(t.dc, t.bitmap);
    return t;
}

void freeTarget(const Target& t)
{
    SelectObject(t.dc, t.old);
    DeleteObject(t.bitmap);
    DeleteDC(t.dc);
}

void clear(const Target& t)
{
    GdiFlush();
    memset(t.bits, SENTINEL, TW * 3 * TH);
}

// Red, green, blue of target pixel (x, y) as 0xRRGGBB.
unsigned long pixel(const Target& t, int x, int y)
{
    GdiFlush();
    const unsigned char* p = t.bits + y * TW * 3 + x * 3;
    return (unsigned long)p[2] << 16 | p[1] << 8 | p[0];
}

unsigned long rgbOf(int colour)
{
    const unsigned char* c = colours[colour];
    return (unsigned long)c[0] << 16 | c[1] << 8 | c[2];
}

const unsigned long untouched = SENTINEL * 0x010101UL;

// Checks the picture's w x h cell at (srcX, srcY) drawn at (x, y), and that
// the pixels around it were left alone.
void expectDrawn(const Target& t, unsigned bits, int x, int y, int w, int h, int srcX,
                 int srcY, const char* name)
{
    for (int j = -1; j <= h; j++)
        for (int i = -1; i <= w; i++) {
            bool inside = i >= 0 && i < w && j >= 0 && j < h;
            unsigned long want = inside ? rgbOf(colourAt(bits, srcX + i, srcY + j)) : untouched;
            ASSERT_EQ(want, pixel(t, x + i, y + j)) << name << " at " << i << "," << j;
        }
}

TEST(DrawDib, EveryFormatIsDrawnAsDisplayed)
{
    Target t = makeTarget();
    ASSERT_TRUE(t.bits != nullptr);
    for (const Format& f : formats) {
        Bytes b = build(f);
        ASSERT_TRUE(dibFits(b.data(), b.size())) << f.name;
        clear(t);
        drawDib(t.dc, 3, 2, PW, PH, b.data(), 0, 0);
        expectDrawn(t, f.bits, 3, 2, PW, PH, 0, 0, f.name);
        // Part of it: source coordinates count from the top-left pixel.
        clear(t);
        drawDib(t.dc, 20, 30, 3, 2, b.data(), 2, 1);
        expectDrawn(t, f.bits, 20, 30, 3, 2, 2, 1, f.name);
    }
    clear(t);
    drawDib(t.dc, 0, 0, PW, PH, nullptr, 0, 0);
    EXPECT_EQ(untouched, pixel(t, 0, 0)) << "a missing picture draws nothing";
    freeTarget(t);
}

// GDI objects alive in this process. Wine answers 0 to GetGuiResources but
// takes a bare table index as a handle, so there the table is counted.
unsigned long liveGdiObjects()
{
    DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n)
        return n;
    for (UINT_PTR i = 1; i < 0x10000; i++)
        if (GetObjectType((HGDIOBJ)i))
            n++;
    return n;
}

TEST(DrawDib, LeavesNoGdiObjectsBehind)
{
    Target t = makeTarget();
    ASSERT_TRUE(t.bits != nullptr);
    Bytes b = build(formats[2]);
    drawDib(t.dc, 0, 0, PW, PH, b.data(), 0, 0);
    unsigned long before = liveGdiObjects();
    ASSERT_GT(before, 0u) << "no way to count GDI objects here";
    for (int i = 0; i < 10000; i++)
        drawDib(t.dc, 0, 0, PW, PH, b.data(), 0, 0);
    EXPECT_EQ(before, liveGdiObjects());
    // Windows allows a process 10,000 objects: a leak would exhaust them.
    HDC probe = CreateCompatibleDC(t.dc);
    EXPECT_TRUE(probe != NULL);
    DeleteDC(probe);
    clear(t);
    drawDib(t.dc, 3, 2, PW, PH, b.data(), 0, 0);
    expectDrawn(t, 8, 3, 2, PW, PH, 0, 0, "after 10,000 draws");
    freeTarget(t);
}

// --- The palette ---------------------------------------------------------

struct SavedDisplay {
    int bits;
    HPALETTE palette;
};

SavedDisplay saveDisplay()
{
    SavedDisplay s = {displayBits, menuPalette};
    return s;
}

void restoreDisplay(const SavedDisplay& s)
{
    displayBits = s.bits;
    menuPalette = s.palette;
}

// Table entry i holds red i*11, green 255 - i, blue i*3 + 1.
Bytes paletted(unsigned long headerSize, unsigned bits, unsigned long compression,
               unsigned long clrUsed, unsigned long masks)
{
    unsigned long entries = clrUsed ? clrUsed : bits <= 8 ? 1UL << bits : 0;
    unsigned entrySize = headerSize == 12 ? 3 : 4;
    size_t tableAt = headerSize + masks * 4;
    size_t stride = (4 * bits + 31) / 32 * 4;
    Bytes b(tableAt + entries * entrySize + stride * 4, 0);
    put(b, 0, headerSize, 4);
    if (headerSize == 12) {
        put(b, 4, 4, 2);
        put(b, 6, 4, 2);
        put(b, 8, 1, 2);
        put(b, 10, bits, 2);
    } else {
        put(b, 4, 4, 4);
        put(b, 8, 4, 4);
        put(b, 12, 1, 2);
        put(b, 14, bits, 2);
        put(b, 16, compression, 4);
        put(b, 32, clrUsed, 4);
    }
    for (unsigned long m = 0; m < masks; m++)
        put(b, headerSize + 4 * m, 0x1F << (5 * m), 4);
    for (unsigned long i = 0; i < entries; i++) {
        size_t at = tableAt + i * entrySize;
        b[at] = (unsigned char)(i * 3 + 1);
        b[at + 1] = (unsigned char)(255 - i);
        b[at + 2] = (unsigned char)(i * 11);
    }
    return b;
}

TEST(DibPalette, MadeFromSeventeenToTwoHundredFiftySixColours)
{
    SavedDisplay saved = saveDisplay();
    const struct {
        const char* name;
        Bytes dib;
        int displayBits;
        UINT entries;  // 0: no palette
    } cases[] = {
        {"20 colours", paletted(40, 8, 0, 20, 0), 8, 20},
        {"256 colours", paletted(40, 8, 0, 0, 0), 8, 256},
        {"256 colours on 4 bits", paletted(40, 8, 0, 0, 0), 4, 256},
        {"core, 256 triples", paletted(12, 8, 0, 0, 0), 8, 256},
        {"17 colours", paletted(40, 8, 0, 17, 0), 8, 17},
        {"16 bits, 20 colours after the masks", paletted(40, 16, 3, 20, 3), 8, 20},
        {"V4, 8 bits", paletted(108, 8, 0, 0, 0), 8, 256},
        {"24-bit display", paletted(40, 8, 0, 20, 0), 24, 0},
        {"16 colours", paletted(40, 4, 0, 0, 0), 8, 0},
        {"16 used of 256", paletted(40, 8, 0, 16, 0), 8, 0},
        {"24 bits", paletted(40, 24, 0, 0, 0), 8, 0},
        {"16 bits, masks only", paletted(40, 16, 3, 0, 3), 8, 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(dibFits(c.dib.data(), c.dib.size())) << c.name;
        displayBits = c.displayBits;
        HPALETTE palette = createDibPalette(c.dib.data());
        if (!c.entries) {
            EXPECT_TRUE(palette == NULL) << c.name;
            if (palette)
                DeleteObject(palette);
            continue;
        }
        ASSERT_TRUE(palette != NULL) << c.name;
        EXPECT_EQ(c.entries, GetPaletteEntries(palette, 0, 0, NULL)) << c.name;
        PALETTEENTRY got[256];
        ASSERT_EQ(c.entries, GetPaletteEntries(palette, 0, 256, got)) << c.name;
        for (UINT i = 0; i < c.entries; i++) {
            EXPECT_EQ((BYTE)(i * 11), got[i].peRed) << c.name << " " << i;
            EXPECT_EQ((BYTE)(255 - i), got[i].peGreen) << c.name << " " << i;
            EXPECT_EQ((BYTE)(i * 3 + 1), got[i].peBlue) << c.name << " " << i;
            EXPECT_EQ(0, got[i].peFlags) << c.name << " " << i;
        }
        DeleteObject(palette);
    }
    displayBits = 8;
    EXPECT_TRUE(createDibPalette(nullptr) == NULL);
    restoreDisplay(saved);
}

TEST(DibPalette, SelectedOnlyOnEightBitDisplays)
{
    SavedDisplay saved = saveDisplay();
    displayBits = 8;
    Bytes dib = paletted(40, 8, 0, 20, 0);
    HPALETTE palette = createDibPalette(dib.data());
    ASSERT_TRUE(palette != NULL);
    HGDIOBJ standard = GetStockObject(DEFAULT_PALETTE);
    const struct { int bits; HPALETTE menu; bool selected; } cases[] = {
        {8, palette, true}, {24, palette, false}, {16, palette, false}, {8, NULL, false},
    };
    for (const auto& c : cases) {
        HDC dc = CreateCompatibleDC(NULL);
        ASSERT_TRUE(dc != NULL);
        displayBits = c.bits;
        menuPalette = c.menu;
        selectMenuPalette(dc);
        EXPECT_EQ(c.selected ? (HGDIOBJ)palette : standard, GetCurrentObject(dc, OBJ_PAL))
            << c.bits << " bits";
        SelectPalette(dc, (HPALETTE)standard, FALSE);
        DeleteDC(dc);
    }
    DeleteObject(palette);
    restoreDisplay(saved);
}

}  // namespace
