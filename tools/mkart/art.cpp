#include "tools/mkart/art.h"

#include <math.h>

// The menu's look: deep blue surfaces, silver-white panels for black text,
// amber for whatever is selected or pressed, slate grey for what is off.
// Each control cell is drawn over the very background pixels it covers on
// the surface, so its rounded corners blend in exactly.

const Place exitPlace = { 580, 435, 60, 45 };
const Place previousPlace = { 443, 310, 40, 40 };
const Place nextPlace = { 566, 310, 40, 40 };
const Place counterPlace = { 505, 317, 40, 24 };

Place tabPlace(int tab)
{
    Place p = { 1 + 128 * tab, 56, 126, 26 };
    return p;
}

Place slotPlace(int slot)
{
    Place p = { 402, 107 + 40 * slot, 237, 35 };
    return p;
}

static const unsigned PANEL = 0xDDE4EE;     // ContentArea, calm and light
static const unsigned WELL_TOP = 0x0A1631;  // recess behind slots and arrows
static const unsigned WELL_BOTTOM = 0x0F2146;
static const unsigned NEUTRAL = 0x13284F;   // strip areas never shown

Rgb contentPanelColour()
{
    return rgbHex(PANEL);
}

// Colours of a raised control in one state.
struct Material {
    unsigned top, bottom;  // body gradient
    unsigned border;
    unsigned shine;        // highlight along the inner top edge
    double shineAlpha;
    unsigned glyph;        // icon on exit button and arrows
};

// Dark controls carry white captions or glyphs.
static const Material darkMaterial[3] = {
    { 0x4C74B8, 0x1F3D78, 0x081329, 0xFFFFFF, 0.50, 0xFFFFFF },  // normal
    { 0xC47A2A, 0x8A3F08, 0x3E1C03, 0xFFE2A8, 0.70, 0xFFFFFF },  // pressed
    { 0x5D6779, 0x434C5E, 0x161D2B, 0xFFFFFF, 0.10, 0x8A93A4 },  // disabled
};

// Light controls carry black captions.
static const Material lightMaterial[3] = {
    { 0xFDFEFF, 0xD0DBEA, 0x5E7AA8, 0xFFFFFF, 0.90, 0x3C64A6 },  // normal
    { 0xFFF3DA, 0xF2B75A, 0xA5600F, 0xFFFFFF, 0.90, 0xC0650E },  // pressed
    { 0xA3ADBE, 0x8F9AAD, 0x4F5A6E, 0xFFFFFF, 0.25, 0x6E788B },  // disabled
};

// --- Pieces ------------------------------------------------------------------

// The shape one pixel inside body.
static Shape insetByOne(const Shape& body)
{
    Shape inner = body;
    inner.x0 += 1;
    inner.y0 += 1;
    inner.x1 -= 1;
    inner.y1 -= 1;
    inner.radius = body.radius > 1 ? body.radius - 1 : 0;
    return inner;
}

// A raised body: gradient, one-pixel border and a shine fading downwards.
static void drawBody(Canvas* c, const Shape& body, const Material& m,
                     double y0, double y1)
{
    fillShape(c, body, vertical(rgbHex(m.top), rgbHex(m.bottom), y0, y1));
    strokeShape(c, body, 1, solid(rgbHex(m.border)));
    Shape inner = insetByOne(body);
    strokeShape(c, inner, 1,
                verticalAlpha(rgbHex(m.shine), m.shineAlpha, 0, y0, y0 + (y1 - y0) / 2));
}

// A pressed body: reversed gradient and a shadow along the inner top edge.
static void drawSunkenBody(Canvas* c, const Shape& body, const Material& m,
                           double y0, double y1)
{
    fillShape(c, body, vertical(rgbHex(m.bottom), rgbHex(m.top), y0, y1));
    strokeShape(c, body, 1, solid(rgbHex(m.border)));
    Shape inner = insetByOne(body);
    strokeShape(c, inner, 2, verticalAlpha(rgbHex(0x000000), 0.35, 0, y0, y0 + 6));
}

// Hue from 0 to 1 around the colour wheel, for the sheen of a disc.
static Rgb hueColour(double h)
{
    h = (h - double(int(h))) * 6;
    int sector = int(h);
    double f = h - sector;
    double v[6][3] = { { 1, f, 0 }, { 1 - f, 1, 0 }, { 0, 1, f },
                       { 0, 1 - f, 1 }, { f, 0, 1 }, { 1, 0, 1 - f } };
    Rgb c = { 255 * v[sector % 6][0], 255 * v[sector % 6][1], 255 * v[sector % 6][2] };
    return c;
}

// A compact disc: silver with a rainbow sheen, a clear hub and a hole that
// shows what lies beneath.
void drawDisc(Canvas* c, double cx, double cy, double r, double sheen,
              Rgb silver, Rgb rim)
{
    Shape outer = circle(cx, cy, r);
    Shape hole = circle(cx, cy, r * 0.2);
    int x0 = int(cx - r) - 2, x1 = int(cx + r) + 2;
    int y0 = int(cy - r) - 2, y1 = int(cy + r) + 2;
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) {
            Rgb* p = pixelAt(c, x, y);
            if (!p)
                continue;
            double px = x + 0.5, py = y + 0.5;
            double d = shapeDistance(outer, px, py);
            double cover = 0.5 - d;
            cover = cover < 0 ? 0 : (cover > 1 ? 1 : cover);
            double h = 0.5 - shapeDistance(hole, px, py);
            h = h < 0 ? 0 : (h > 1 ? 1 : h);
            cover *= 1 - h;
            if (cover <= 0)
                continue;
            double dx = px - cx, dy = py - cy;
            double angle = datan2(dy, dx) / (2 * PI) + 0.5;  // 0-1
            double dist = sqrt(dx * dx + dy * dy) / r;
            // Two rainbow bands opposite each other, strongest mid-radius.
            double band = dcos(4 * PI * angle + 0.6);
            band = band > 0 ? band * band : 0;
            double ring = 1 - 2 * (dist - 0.65 > 0 ? dist - 0.65 : 0.65 - dist);
            Rgb colour = mixRgb(silver, hueColour(angle * 2 + 0.1),
                                sheen * band * (ring > 0 ? ring : 0));
            // Light from the upper left.
            double light = 1 - (dx + dy) / (2.8 * r);
            colour = mixRgb(colour, rgbHex(0xFFFFFF), 0.18 * light);
            if (dist < 0.42)  // clear plastic hub
                colour = mixRgb(colour, rgbHex(0x9AA8C0), 0.45);
            *p = mixRgb(*p, colour, cover);
        }
    strokeShape(c, outer, 1, solid(rim, 0.85));
    strokeShape(c, circle(cx, cy, r * 0.42), 1, solid(rim, 0.35));
    strokeShape(c, circle(cx, cy, r * 0.2 + 1), 1, solid(rim, 0.6));
}

// --- Background --------------------------------------------------------------

static void drawTitleBand(Canvas* c)
{
    Canvas band = makeCanvas(640, 56, rgbHex(0));
    fillShape(&band, roundRect(-2, -2, 642, 58, 0),
              vertical(rgbHex(0x050D20), rgbHex(0x142B5A), 0, 56));
    // Ripples spreading from the disc.
    for (int k = 0; k < 30; k++) {
        double alpha = 0.22 * (1 - k / 30.0);
        strokeShape(&band, circle(42, 28, 32 + 21.0 * k), 1,
                    solid(rgbHex(0x7EA3E0), alpha));
    }
    // A level meter of dots on the right: the multimedia the disc holds.
    for (int col = 0; col < 31; col++) {
        double x = 364 + 9 * col;
        double fade = col < 10 ? col / 10.0 : 1.0;
        double level = 1.6 + 1.4 * dsin(col * 0.62) * dcos(col * 0.21 + 0.4) +
                       0.8 * dsin(col * 1.7 + 1.0);
        for (int row = -2; row <= 2; row++) {
            bool lit = (row < 0 ? -row : row) <= level;
            Rgb colour = lit ? rgbHex(0x9CC0FF) : rgbHex(0x5A7CB8);
            fillShape(&band, roundRect(x - 2, 28 + 9 * row - 2, x + 2, 28 + 9 * row + 2, 1),
                      solid(colour, (lit ? 0.55 : 0.12) * fade));
        }
    }
    // Sheen over the upper half.
    fillShape(&band, roundRect(-2, -2, 642, 26, 0),
              verticalAlpha(rgbHex(0xFFFFFF), 0.07, 0.0, 0, 26));
    // A beam of light from the disc along the band.
    fillShape(&band, capsule(70, 28, 636, 28, 1.0),
              radial(rgbHex(0xCFE0FF), rgbHex(0x6E93D6), 0.75, 0.0, 70, 28, 560));
    fillShape(&band, capsule(70, 28, 420, 28, 4.0),
              radial(rgbHex(0x8FB0EA), rgbHex(0x6E93D6), 0.18, 0.0, 70, 28, 350), 4);
    fillShape(&band, circle(42, 30, 25), solid(rgbHex(0x000000), 0.45), 5);
    drawDisc(&band, 42, 28, 22, 0.55, rgbHex(0xC9D2E2), rgbHex(0x36476A));
    // Edge between the band and the tab row.
    fillShape(&band, roundRect(-2, 54, 642, 55, 0), solid(rgbHex(0x4A6CA6), 0.8));
    fillShape(&band, roundRect(-2, 55, 642, 56, 0), solid(rgbHex(0x02060F), 0.9));
    pasteCanvas(c, band, 0, 0);
}

// A raised frame around a recess, with a soft shadow beneath it.
static void drawWell(Canvas* c, double x0, double y0, double x1, double y1,
                     double radius)
{
    fillShape(c, roundRect(x0 - 1, y0 + 1, x1 + 1, y1 + 4, radius + 2),
              solid(rgbHex(0x000000), 0.55), 7);
    Shape rim = roundRect(x0, y0, x1, y1, radius);
    fillShape(c, rim, vertical(rgbHex(0x6D89B9), rgbHex(0x2B4677), y0, y1));
    Shape inside = roundRect(x0 + 2, y0 + 2, x1 - 2, y1 - 2, radius - 2);
    fillShape(c, inside, vertical(rgbHex(WELL_TOP), rgbHex(WELL_BOTTOM), y0, y1));
    strokeShape(c, inside, 3, verticalAlpha(rgbHex(0x000000), 0.45, 0, y0, y0 + 12));
}

Canvas drawBackground()
{
    Canvas c = makeCanvas(640, 480, rgbHex(0x10224A));
    Shape all = roundRect(-2, 56, 642, 482, 0);
    fillShape(&c, all, vertical(rgbHex(0x1F3E74), rgbHex(0x0A1936), 56, 480));
    fillShape(&c, all, radial(rgbHex(0x5B82C4), rgbHex(0x5B82C4), 0.28, 0.0, 200, 60, 560));
    // Faint rings in the empty lower right, echoing the title band; they
    // centre on (640, 540), below the surface.
    Canvas rings = cropCanvas(c, 396, 356, 244, 124);
    for (int k = 0; k < 9; k++)
        strokeShape(&rings, circle(244, 184, 36 + 15.0 * k), 1,
                    solid(rgbHex(0x8FB0EA), 0.07));
    pasteCanvas(&c, rings, 396, 356);

    drawTitleBand(&c);

    // The tab row rests on an amber rail.
    fillShape(&c, roundRect(-2, 82, 642, 85, 0),
              vertical(rgbHex(0xF0B45E), rgbHex(0x9A520F), 82, 85));
    fillShape(&c, roundRect(-2, 85, 642, 93, 0),
              verticalAlpha(rgbHex(0x000000), 0.5, 0.0, 85, 93));

    // ContentArea: a calm light panel set into a frame. Its shadow goes
    // under the recesses beside it, their shadows under the frame.
    fillShape(&c, roundRect(5, 101, 402, 492, 7), solid(rgbHex(0x000000), 0.6), 8);
    // Right column: the entry slots and the pager share one recess; the
    // exit button sits in the corner on a plate of its own.
    drawWell(&c, 397, 100, 660, 359, 10);
    drawWell(&c, 573, 428, 660, 500, 10);
    fillShape(&c, roundRect(7, 101, 400, 490, 6),
              vertical(rgbHex(0x8EA6CF), rgbHex(0x4E6A9C), 101, 480));
    fillShape(&c, roundRect(9, 103, 398, 490, 4), solid(rgbHex(0x1B315C)));
    fillShape(&c, roundRect(10, 104, 397, 490, 3), solid(rgbHex(0xA7B6CD)));
    fillShape(&c, roundRect(11, 105, 396, 490, 0), solid(rgbHex(PANEL)));
    return c;
}

// --- Control cells -----------------------------------------------------------

static void drawTabCell(Canvas* c, CellState state)
{
    const Material& m = darkMaterial[state];
    // The bottom runs off the cell so that only the top corners round.
    Shape body = roundRect(0, 0, 126, 36, 8);
    drawBody(c, body, m, 0, 26);
    if (state == CELL_PRESSED)  // selected: glows into the amber rail
        fillShape(c, roundRect(1, 18, 125, 27, 0),
                  verticalAlpha(rgbHex(0xF0B45E), 0.0, 0.6, 18, 26));
}

static void drawSlotCell(Canvas* c, CellState state)
{
    const Material& m = lightMaterial[state];
    Shape body = roundRect(0, 0, 237, 35, 7);
    drawBody(c, body, m, 0, 35);
    Rgb silver = state == CELL_DISABLED ? rgbHex(0xB4BCC9) : rgbHex(0xE4E9F2);
    if (state == CELL_PRESSED) {
        // The selected entry's disc lights up amber, with a matching bar.
        fillShape(c, roundRect(3, 5, 6, 30, 1.5), solid(rgbHex(0xD5761A)));
        fillShape(c, circle(16, 17.5, 11), solid(rgbHex(0xFFB84D), 0.55), 4);
        silver = rgbHex(0xFFE7B8);
    }
    drawDisc(c, 16, 17.5, 8.5, state == CELL_DISABLED ? 0.0 : 0.45, silver,
             rgbHex(m.glyph));
}

static void drawGlyphButton(Canvas* c, const Shape& body, double y0, double y1,
                            CellState state)
{
    fillShape(c, body, solid(rgbHex(0x000000), 0.5), 3);
    if (state == CELL_PRESSED)
        drawSunkenBody(c, body, darkMaterial[CELL_PRESSED], y0, y1);
    else
        drawBody(c, body, darkMaterial[state], y0, y1);
}

static void drawExitCell(Canvas* c, CellState state)
{
    double shift = state == CELL_PRESSED ? 1 : 0;
    drawGlyphButton(c, roundRect(6, 5, 54, 40, 9), 5, 40, state);
    // A power symbol: a ring open at the top and a bar through the gap.
    Rgb glyph = rgbHex(darkMaterial[state].glyph);
    double cx = 30 + shift, cy = 23.5 + shift;
    double gap[] = { cx, cy, cx - 8, cy - 14, cx + 8, cy - 14 };
    fillShapeMinus(c, ring(cx, cy, 10, 7.4), polygon(gap, 3), solid(glyph));
    fillShape(c, capsule(cx, cy - 12, cx, cy - 3, 1.4), solid(glyph));
}

static void drawArrowCell(Canvas* c, CellState state, int direction)
{
    double shift = state == CELL_PRESSED ? 1 : 0;
    drawGlyphButton(c, circle(20, 20, 17), 3, 37, state);
    double tip = direction < 0 ? 11.5 : 28.5, back = direction < 0 ? 25 : 15;
    double arrow[] = { tip + shift, 20 + shift, back + shift, 11 + shift,
                       back + shift, 29 + shift };
    fillShape(c, polygon(arrow, 3), solid(rgbHex(darkMaterial[state].glyph)));
}

static Canvas drawCounter(const Canvas& background)
{
    Canvas c = cropCanvas(background, counterPlace.x, counterPlace.y,
                          counterPlace.w, counterPlace.h);
    drawBody(&c, roundRect(0, 0, 40, 24, 5), lightMaterial[CELL_NORMAL], 0, 24);
    return c;
}

static Canvas drawDefaultButton()
{
    Canvas c = makeCanvas(248, 32, contentPanelColour());
    Canvas normal = cropCanvas(c, 0, 0, 124, 32);
    Canvas pressed = normal;
    // Inset by two pixels so that buttons placed side by side stay apart.
    fillShape(&normal, roundRect(2, 3, 122, 31, 6), solid(rgbHex(0x1B315C), 0.35), 2);
    drawBody(&normal, roundRect(2, 1, 122, 30, 6), lightMaterial[CELL_NORMAL], 1, 30);
    drawSunkenBody(&pressed, roundRect(2, 2, 122, 31, 6), lightMaterial[CELL_PRESSED], 2, 31);
    pasteCanvas(&c, normal, 0, 0);
    pasteCanvas(&c, pressed, 124, 0);
    return c;
}

enum ControlKind { KIND_EXIT, KIND_PREVIOUS, KIND_NEXT, KIND_TAB, KIND_SLOT };

// One row of a strip: the three states side by side, each drawn over the
// background at the control's place.
static void drawStripRow(Canvas* strip, const Canvas& background, Place place,
                         int rowY, ControlKind kind)
{
    for (int state = CELL_NORMAL; state <= CELL_DISABLED; state++) {
        Canvas cell = cropCanvas(background, place.x, place.y, place.w, place.h);
        CellState s = CellState(state);
        switch (kind) {
        case KIND_EXIT: drawExitCell(&cell, s); break;
        case KIND_PREVIOUS: drawArrowCell(&cell, s, -1); break;
        case KIND_NEXT: drawArrowCell(&cell, s, 1); break;
        case KIND_TAB: drawTabCell(&cell, s); break;
        case KIND_SLOT: drawSlotCell(&cell, s); break;
        }
        pasteCanvas(strip, cell, state * place.w, rowY);
    }
}

// --- Sound and icon ----------------------------------------------------------

// A short crisp click: a burst of noise that dies within a few milliseconds,
// rung through two resonances (a bright tick and a softer body), then
// silence to the end.
static Bytes drawClick()
{
    enum { RATE = 44100, SAMPLES = 4940, FADE_START = 520, FADE_END = 700 };
    double y1a = 0, y2a = 0, y1b = 0, y2b = 0;
    const double ra = 0.965, rb = 0.985;
    const double ca = 2 * ra * dcos(2 * PI * 3400 / RATE);
    const double cb = 2 * rb * dcos(2 * PI * 1150 / RATE);
    unsigned seed = 0x2545F491u;
    std::vector<double> wave(SAMPLES, 0.0);
    double peak = 0;
    for (int n = 0; n < FADE_END; n++) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        double noise = double(seed & 0xFFFF) / 32767.5 - 1;
        double excite = noise * dexp(-n / 40.0);
        if (n < 3)
            excite += n == 0 ? 1.5 : (n == 1 ? -1.0 : 0.4);
        double a = excite + ca * y1a - ra * ra * y2a;
        double b = excite + cb * y1b - rb * rb * y2b;
        y2a = y1a;
        y1a = a;
        y2b = y1b;
        y1b = b;
        double v = a + 0.6 * b;
        if (n > FADE_START)
            v *= double(FADE_END - n) / (FADE_END - FADE_START);
        wave[size_t(n)] = v;
        if (v > peak) peak = v;
        if (-v > peak) peak = -v;
    }
    std::vector<unsigned char> samples(SAMPLES, 128);
    for (int n = 0; n < FADE_END; n++)
        samples[size_t(n)] = toByte(128 + 100 * wave[size_t(n)] / peak);
    return encodeWave8(samples, RATE);
}

// The standard 16 colours, which every display shows as they are.
static const unsigned char iconColours[16][3] = {
    { 0, 0, 0 },       { 128, 0, 0 },   { 0, 128, 0 },   { 128, 128, 0 },
    { 0, 0, 128 },     { 128, 0, 128 }, { 0, 128, 128 }, { 192, 192, 192 },
    { 128, 128, 128 }, { 255, 0, 0 },   { 0, 255, 0 },   { 255, 255, 0 },
    { 0, 0, 255 },     { 255, 0, 255 }, { 0, 255, 255 }, { 255, 255, 255 },
};

enum { ICON_BLACK = 0, ICON_NAVY = 4, ICON_SILVER = 7, ICON_GREY = 8,
       ICON_YELLOW = 11, ICON_BLUE = 12, ICON_CYAN = 14, ICON_WHITE = 15,
       ICON_OLIVE = 3 };

// A disc with a menu card in front of it, drawn pixel by pixel: sixteen
// colours leave no room for smooth edges.
static Bytes drawIcon()
{
    unsigned char indices[32 * 32], mask[32 * 32];
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++) {
            int k = y * 32 + x;
            double dx = x + 0.5 - 13, dy = y + 0.5 - 13;
            double dist = sqrt(dx * dx + dy * dy);
            double angle = datan2(dy, dx) * 180 / PI;  // 0 right, 90 down
            mask[k] = 1;
            indices[k] = ICON_BLACK;
            if (dist > 12.6 || dist < 2.7)
                continue;
            mask[k] = 0;
            if (dist > 11.6 || (dist > 4.4 && dist < 5.4) || dist < 3.6)
                indices[k] = ICON_GREY;  // rim, hub ring, hole edge
            else if (angle > -160 && angle < -110)
                indices[k] = ICON_WHITE;  // light from the upper left
            else if ((angle > -70 && angle < -50) || (angle > 110 && angle < 130))
                indices[k] = ICON_CYAN;   // a touch of rainbow sheen
            else
                indices[k] = ICON_SILVER;
        }
    // The card: navy border, blue title bar, three lines with bullets.
    for (int y = 12; y < 31; y++)
        for (int x = 14; x < 31; x++) {
            int k = y * 32 + x;
            mask[k] = 0;
            bool edge = x == 14 || x == 30 || y == 12 || y == 30;
            indices[k] = edge ? ICON_NAVY : (y < 17 ? ICON_BLUE : ICON_WHITE);
        }
    // A shadow on the right and below the card.
    for (int y = 13; y < 32; y++) {
        mask[y * 32 + 31] = 0;
        indices[y * 32 + 31] = ICON_BLACK;
    }
    for (int x = 15; x < 32; x++) {
        mask[31 * 32 + x] = 0;
        indices[31 * 32 + x] = ICON_BLACK;
    }
    for (int row = 0; row < 3; row++) {
        int y = 19 + 4 * row;
        for (int dy = 0; dy < 2; dy++) {
            for (int x = 17; x < 19; x++)
                indices[(y + dy) * 32 + x] = row == 0 ? ICON_YELLOW : ICON_OLIVE;
            for (int x = 21; x < 28; x++)
                indices[(y + dy) * 32 + x] = ICON_GREY;
        }
    }
    return encodeIcon16(indices, mask, iconColours);
}

// --- Putting it together -----------------------------------------------------

static int paletteReady;      // 1 once sharedPalette holds the table
static Palette sharedPalette;  // the table of pictures 102-107

struct MenuCanvases {
    Canvas background, nav, tabs, slots, button, counter;
};

static MenuCanvases drawMenuCanvases()
{
    MenuCanvases m;
    m.background = drawBackground();
    m.nav = makeCanvas(180, 125, rgbHex(NEUTRAL));
    drawStripRow(&m.nav, m.background, exitPlace, 0, KIND_EXIT);
    drawStripRow(&m.nav, m.background, previousPlace, 45, KIND_PREVIOUS);
    drawStripRow(&m.nav, m.background, nextPlace, 85, KIND_NEXT);
    m.tabs = makeCanvas(378, 130, rgbHex(NEUTRAL));
    for (int t = 0; t < 5; t++)
        drawStripRow(&m.tabs, m.background, tabPlace(t), 26 * t, KIND_TAB);
    m.slots = makeCanvas(711, 175, rgbHex(NEUTRAL));
    for (int s = 0; s < 5; s++)
        drawStripRow(&m.slots, m.background, slotPlace(s), 35 * s, KIND_SLOT);
    m.button = drawDefaultButton();
    m.counter = drawCounter(m.background);
    return m;
}

const Palette& artPalette()
{
    if (!paletteReady) {
        MenuCanvases m = drawMenuCanvases();
        const Canvas* all[] = { &m.background, &m.nav, &m.tabs, &m.slots,
                                &m.button, &m.counter };
        buildPalette(all, 6, &sharedPalette);
        paletteReady = 1;
    }
    return sharedPalette;
}

Bytes encodeArtBmp8(const Canvas& canvas)
{
    const Palette& palette = artPalette();
    return encodeBmp8(canvas.width, canvas.height, mapToPalette(canvas, palette),
                      palette);
}

static void addBmp8(std::vector<ArtFile>* files, const char* name,
                    const Canvas& canvas)
{
    ArtFile f = { name, encodeArtBmp8(canvas) };
    files->push_back(f);
}

void buildMenuArt(std::vector<ArtFile>* files)
{
    MenuCanvases m = drawMenuCanvases();
    // All six share one table: the background's, which is the palette
    // realised on 256-colour displays, so every picture shows exactly.
    addBmp8(files, "background.bmp", m.background);
    addBmp8(files, "navstrip.bmp", m.nav);
    addBmp8(files, "tabstrip.bmp", m.tabs);
    addBmp8(files, "entrystrip.bmp", m.slots);
    addBmp8(files, "button.bmp", m.button);
    addBmp8(files, "counter.bmp", m.counter);
    ArtFile icon = { "menu.ico", drawIcon() };
    files->push_back(icon);
    ArtFile click = { "click.wav", drawClick() };
    files->push_back(click);
}
