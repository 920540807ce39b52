// The committed artwork: that it is what mkart draws today, that it has the
// form the menu loads, and that it keeps the promises of its look (readable
// captions, states told apart, cells that blend into the background).
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/mkart/art.h"

#ifndef MENU_SOURCE_DIR
#error "MENU_SOURCE_DIR names the source tree (set by tools/mkart/CMakeLists.txt)"
#endif

namespace {

Bytes readFile(const std::string& path)
{
    Bytes bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    unsigned char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

unsigned long u32(const Bytes& b, size_t at)
{
    return at + 4 > b.size() ? 0 : b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                   (unsigned long)b[at + 3] << 24;
}

unsigned u16(const Bytes& b, size_t at)
{
    return at + 2 > b.size() ? 0 : unsigned(b[at] | b[at + 1] << 8);
}

Bytes artFile(const char* name)
{
    return readFile(std::string(MENU_SOURCE_DIR "/resources/art/") + name);
}

// An 8-bit BMP file read for its pixels.
struct Bmp8 {
    Bytes bytes;
    int width, height;
};

Bmp8 loadBmp8(const char* name)
{
    Bmp8 b = { artFile(name), 0, 0 };
    b.width = int(u32(b.bytes, 18));
    b.height = int(u32(b.bytes, 22));
    return b;
}

int indexAt(const Bmp8& b, int x, int y)
{
    size_t stride = (size_t(b.width) + 3) / 4 * 4;
    size_t at = 14 + 40 + 1024 + size_t(b.height - 1 - y) * stride + size_t(x);
    return at < b.bytes.size() ? b.bytes[at] : -1;
}

Rgb colourAt(const Bmp8& b, int x, int y)
{
    int i = indexAt(b, x, y);
    size_t at = 14 + 40 + 4 * size_t(i < 0 ? 0 : i);
    Rgb c = { double(b.bytes[at + 2]), double(b.bytes[at + 1]), double(b.bytes[at]) };
    return c;
}

Rgb meanColour(const Bmp8& b, int x0, int y0, int x1, int y1)
{
    Rgb sum = { 0, 0, 0 };
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            Rgb c = colourAt(b, x, y);
            sum.r += c.r;
            sum.g += c.g;
            sum.b += c.b;
        }
    double n = double((x1 - x0) * (y1 - y0));
    Rgb mean = { sum.r / n, sum.g / n, sum.b / n };
    return mean;
}

double colourDistance(Rgb a, Rgb b)
{
    return sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) +
                (a.b - b.b) * (a.b - b.b));
}

struct Picture {
    const char* name;
    int width, height;
};

const Picture builtIn[] = {
    { "background.bmp", 640, 480 }, { "navstrip.bmp", 180, 125 },
    { "tabstrip.bmp", 378, 130 },   { "entrystrip.bmp", 711, 175 },
    { "button.bmp", 248, 32 },      { "counter.bmp", 40, 24 },
};

void expectBmp(const Bytes& b, const std::string& name, int bits, int width,
               int height)
{
    SCOPED_TRACE(name);
    ASSERT_GE(b.size(), 54u);
    size_t table = bits == 8 ? 1024 : 0;
    size_t stride = (size_t(width) * size_t(bits) / 8 + 3) / 4 * 4;
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(u32(b, 2), b.size());
    EXPECT_EQ(u32(b, 10), 54 + table);              // bits follow the table
    EXPECT_EQ(u32(b, 14), 40u);                     // BITMAPINFOHEADER
    EXPECT_EQ(u32(b, 18), (unsigned long)width);
    EXPECT_EQ(u32(b, 22), (unsigned long)height);   // positive: bottom-up
    EXPECT_EQ(u16(b, 26), 1u);
    EXPECT_EQ(u16(b, 28), unsigned(bits));
    EXPECT_EQ(u32(b, 30), 0u);                      // BI_RGB
    EXPECT_EQ(u32(b, 46), 0u);                      // biClrUsed: all 256
    EXPECT_EQ(b.size(), 54 + table + stride * size_t(height));
}

}  // namespace

TEST(Artwork, CommittedFilesAreWhatMkartDraws)
{
    std::vector<ArtFile> menu, sample;
    buildMenuArt(&menu);
    buildSampleArt(&sample);
    EXPECT_EQ(menu.size(), 8u);
    for (size_t i = 0; i < menu.size(); i++)
        EXPECT_TRUE(artFile(menu[i].name.c_str()) == menu[i].bytes)
            << "resources/art/" << menu[i].name
            << " differs from what mkart draws: rebuild the target 'art'";
    for (size_t i = 0; i < sample.size(); i++)
        EXPECT_TRUE(readFile(MENU_SOURCE_DIR "/sample/" + sample[i].name) == sample[i].bytes)
            << "sample/" << sample[i].name
            << " differs from what mkart draws: rebuild the target 'art'";
}

TEST(Artwork, BuiltInPicturesHaveTheFormTheMenuLoads)
{
    for (const Picture& p : builtIn)
        expectBmp(artFile(p.name), p.name, 8, p.width, p.height);
}

// On a 256-colour display only the background's palette is realised; the
// other pictures show their true colours only if they use the same table.
TEST(Artwork, AllBuiltInPicturesShareTheBackgroundTable)
{
    Bytes background = artFile("background.bmp");
    ASSERT_GE(background.size(), 54u + 1024u);
    Bytes table(background.begin() + 54, background.begin() + 54 + 1024);
    for (const Picture& p : builtIn) {
        Bytes b = artFile(p.name);
        ASSERT_GE(b.size(), 54u + 1024u) << p.name;
        EXPECT_TRUE(Bytes(b.begin() + 54, b.begin() + 54 + 1024) == table) << p.name;
    }
}

TEST(Artwork, TableKeepsTheStaticColoursOfA256ColourDisplayInPlace)
{
    static const struct { int index; unsigned rgb; } fixed[] = {
        { 0, 0x000000 },   { 1, 0x800000 },   { 7, 0xC0C0C0 },   { 8, 0xC0DCC0 },
        { 9, 0xA6CAF0 },   { 246, 0xFFFBF0 }, { 247, 0xA0A0A4 }, { 248, 0x808080 },
        { 249, 0xFF0000 }, { 252, 0x0000FF }, { 255, 0xFFFFFF },
    };
    const Palette& palette = artPalette();
    for (const auto& f : fixed) {
        unsigned rgb = unsigned(palette.rgb[f.index][0]) << 16 |
                       unsigned(palette.rgb[f.index][1]) << 8 | palette.rgb[f.index][2];
        EXPECT_EQ(rgb, f.rgb) << "entry " << f.index;
    }
}

namespace {

// One row of a strip: a control's three cells and where it stands.
struct StripRow {
    const char* strip;
    int rowY;
    Place place;
};

std::vector<StripRow> stripRows()
{
    std::vector<StripRow> rows;
    StripRow nav[] = { { "navstrip.bmp", 0, exitPlace },
                       { "navstrip.bmp", 45, previousPlace },
                       { "navstrip.bmp", 85, nextPlace } };
    rows.insert(rows.end(), nav, nav + 3);
    for (int k = 0; k < 5; k++) {
        StripRow tab = { "tabstrip.bmp", 26 * k, tabPlace(k) };
        StripRow slot = { "entrystrip.bmp", 35 * k, slotPlace(k) };
        rows.push_back(tab);
        rows.push_back(slot);
    }
    return rows;
}

}  // namespace

TEST(Artwork, NormalPressedAndDisabledCellsAreToldApart)
{
    for (const StripRow& row : stripRows()) {
        Bmp8 strip = loadBmp8(row.strip);
        // The middle of each cell: its body, not the background around it.
        int w = row.place.w, h = row.place.h;
        Rgb mean[3];
        for (int state = 0; state < 3; state++)
            mean[state] = meanColour(strip, state * w + w / 4, row.rowY + h / 4,
                                     state * w + 3 * w / 4, row.rowY + 3 * h / 4);
        for (int a = 0; a < 3; a++)
            for (int b = a + 1; b < 3; b++)
                EXPECT_GT(colourDistance(mean[a], mean[b]), 40.0)
                    << row.strip << " row " << row.rowY << ": states " << a << " and " << b;
    }
}

// The corners of every cell are the background pixels at the control's
// place, so the rounded shapes sit on the surface without a seam.
TEST(Artwork, CellCornersMatchTheBackgroundWhereTheControlStands)
{
    Bmp8 background = loadBmp8("background.bmp");
    for (const StripRow& row : stripRows()) {
        Bmp8 strip = loadBmp8(row.strip);
        for (int state = 0; state < 3; state++)
            for (int corner = 0; corner < 2; corner++) {
                int dx = corner ? row.place.w - 1 : 0;
                EXPECT_EQ(indexAt(strip, state * row.place.w + dx, row.rowY),
                          indexAt(background, row.place.x + dx, row.place.y))
                    << row.strip << " row " << row.rowY << " state " << state;
            }
    }
    Bmp8 counter = loadBmp8("counter.bmp");
    EXPECT_EQ(indexAt(counter, 0, 0), indexAt(background, counterPlace.x, counterPlace.y));
    EXPECT_EQ(indexAt(counter, 39, 23), indexAt(background, counterPlace.x + 39, counterPlace.y + 23));
}

// Default buttons may stand anywhere in the ContentArea: it is one flat
// colour, the colour of the buttons' corners.
TEST(Artwork, ContentAreaIsFlatAndMatchesTheButtonCorners)
{
    Bmp8 background = loadBmp8("background.bmp");
    Bmp8 button = loadBmp8("button.bmp");
    int panel = indexAt(button, 0, 0);
    int stray = 0;
    for (int y = 105; y < 480; y++)
        for (int x = 11; x < 396; x++)
            stray += indexAt(background, x, y) != panel;
    EXPECT_EQ(stray, 0);
    EXPECT_EQ(indexAt(button, 123, 31), panel);
    EXPECT_EQ(indexAt(button, 124, 0), panel);
    EXPECT_EQ(indexAt(button, 247, 31), panel);
}

namespace {

// Relative luminance (0-1) of an sRGB colour, as for contrast ratios.
double relativeLuminance(Rgb c)
{
    double v[3] = { c.r / 255, c.g / 255, c.b / 255 };
    for (double& x : v)
        x = x <= 0.03928 ? x / 12.92 : pow((x + 0.055) / 1.055, 2.4);
    return 0.2126 * v[0] + 0.7152 * v[1] + 0.0722 * v[2];
}

}  // namespace

// White captions need dark cells, black captions light ones: a contrast
// ratio of at least 4.5 between the text and the mean colour of the box
// where the caption goes.
TEST(Artwork, CaptionsStandOutFromTheirCells)
{
    struct Case {
        const char* picture;
        int x0, y0, x1, y1;  // caption box
        int rows, rowStep, columns, columnStep;
        bool whiteText;
    };
    static const Case cases[] = {
        { "tabstrip.bmp", 8, 5, 118, 21, 5, 26, 2, 126, true },    // normal, selected
        { "entrystrip.bmp", 30, 11, 230, 27, 5, 35, 3, 237, false },
        { "button.bmp", 8, 8, 116, 24, 1, 0, 2, 124, false },      // normal, pressed
        { "counter.bmp", 4, 4, 36, 20, 1, 0, 1, 0, false },
    };
    for (const Case& c : cases) {
        Bmp8 b = loadBmp8(c.picture);
        for (int row = 0; row < c.rows; row++)
            for (int column = 0; column < c.columns; column++) {
                int dx = column * c.columnStep, dy = row * c.rowStep;
                double cell = relativeLuminance(
                    meanColour(b, c.x0 + dx, c.y0 + dy, c.x1 + dx, c.y1 + dy));
                double contrast = c.whiteText ? 1.05 / (cell + 0.05) : (cell + 0.05) / 0.05;
                EXPECT_GE(contrast, 4.5) << c.picture << " row " << row << " column " << column;
            }
    }
}

TEST(Artwork, IconIsOne32By32PictureOf16Colours)
{
    Bytes icon = artFile("menu.ico");
    ASSERT_EQ(icon.size(), 6u + 16u + 40u + 64u + 512u + 128u);
    EXPECT_EQ(u16(icon, 2), 1u);   // icon
    EXPECT_EQ(u16(icon, 4), 1u);   // one picture
    EXPECT_EQ(icon[6], 32);
    EXPECT_EQ(icon[7], 32);
    EXPECT_EQ(icon[8], 16);
    EXPECT_EQ(u16(icon, 12), 4u);  // bits per pixel
    EXPECT_EQ(u32(icon, 14), 744u);
    EXPECT_EQ(u32(icon, 18), 22u);
    EXPECT_EQ(u32(icon, 22 + 8), 64u);  // colour rows and mask rows
    // Both see-through and solid pixels: the mask was written.
    int clear = 0;
    for (size_t k = icon.size() - 128; k < icon.size(); k++)
        for (int bit = 0; bit < 8; bit++)
            clear += (icon[k] >> bit) & 1;
    EXPECT_GT(clear, 50);
    EXPECT_LT(clear, 32 * 32 - 300);
}

TEST(Artwork, ClickIsShortThenSilent)
{
    Bytes wave = artFile("click.wav");
    ASSERT_EQ(wave.size(), 44u + 4940u);
    EXPECT_EQ(u32(wave, 4), wave.size() - 8);
    EXPECT_EQ(u16(wave, 20), 1u);         // PCM
    EXPECT_EQ(u16(wave, 22), 1u);         // mono
    EXPECT_EQ(u32(wave, 24), 44100u);
    EXPECT_EQ(u16(wave, 34), 8u);
    EXPECT_EQ(u32(wave, 40), 4940u);
    int low = 255, high = 0, lastSound = 0;
    for (int n = 0; n < 4940; n++) {
        int s = wave[44 + size_t(n)];
        if (n < 100) {
            low = s < low ? s : low;
            high = s > high ? s : high;
        }
        if (s != 128)
            lastSound = n;
    }
    EXPECT_GT(high - low, 120);           // a crisp attack...
    EXPECT_LT(lastSound, 44100 / 50);     // ...over within 20 ms: no beep
}

TEST(Artwork, SamplePicturesHaveTheirFormAndTheMenuTable)
{
    static const struct {
        const char* name;
        int bits, width, height;
    } pictures[] = {
        { "LOGO.BMP", 8, 360, 120 },        { "PIC/INSTALL.BMP", 8, 160, 120 },
        { "PIC/MANUAL.BMP", 8, 160, 120 },  { "PIC/MOVIE.BMP", 8, 160, 120 },
        { "PIC/MUSIC.BMP", 24, 160, 120 },  { "BTN/AMBER.BMP", 8, 300, 40 },
        { "BTN/BLUE24.BMP", 24, 300, 40 },
    };
    Bytes background = artFile("background.bmp");
    ASSERT_GE(background.size(), 54u + 1024u);
    for (const auto& p : pictures) {
        Bytes b = readFile(std::string(MENU_SOURCE_DIR "/sample/") + p.name);
        expectBmp(b, p.name, p.bits, p.width, p.height);
        if (p.bits == 8 && b.size() >= 54 + 1024) {
            EXPECT_TRUE(std::equal(b.begin() + 54, b.begin() + 54 + 1024,
                                   background.begin() + 54))
                << p.name << " would change colour on a 256-colour display";
        }
    }
}

// The drawing maths stands in for the C library's; it must agree with it.
TEST(Artwork, DeterministicMathsAgreesWithTheLibrary)
{
    static const double angles[] = { -7.0, -3.2, -1.5707963, -0.3, 0.0, 0.4,
                                     1.0, 2.9, 3.1415926, 4.7, 12.5 };
    for (double x : angles) {
        EXPECT_NEAR(dsin(x), sin(x), 1e-10) << x;
        EXPECT_NEAR(dcos(x), cos(x), 1e-10) << x;
        EXPECT_NEAR(dexp(x), exp(x), 1e-10 * exp(x)) << x;
    }
    static const double points[][2] = { { 0, 1 },  { 1, 0 },   { 0, -1 },  { -1, 0 },
                                        { 3, 4 },  { -3, 4 },  { -3, -4 }, { 3, -4 },
                                        { 1e-3, 5 }, { 5, 1e-3 }, { -2, -1e-4 } };
    for (const auto& p : points)
        EXPECT_NEAR(datan2(p[0], p[1]), atan2(p[0], p[1]), 1e-10) << p[0] << "," << p[1];
}
