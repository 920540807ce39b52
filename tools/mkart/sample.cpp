#include "tools/mkart/art.h"

// Pictures for the sample disc, in the menu's colours. They stand on the
// ContentArea panel, so their corners are painted in the panel's colour.
// Most are 8-bit on the menu's own table (exact on 256-colour displays);
// MUSIC.BMP and BTN/BLUE24.BMP are 24-bit, to show that both kinds work.

static const unsigned NAVY = 0x1F3D78;
static const unsigned BLUE = 0x3C64A6;
static const unsigned AMBER = 0xE0963A;
static const unsigned AMBER_DARK = 0xA5600F;

static void addFile(std::vector<ArtFile>* files, const char* name, const Bytes& bytes)
{
    ArtFile f = { name, bytes };
    files->push_back(f);
}

// A white card with a soft shadow and a tinted halo behind its picture.
static Canvas drawCard(unsigned halo)
{
    Canvas c = makeCanvas(160, 120, contentPanelColour());
    fillShape(&c, roundRect(4, 6, 158, 119, 10), solid(rgbHex(0x1B315C), 0.35), 4);
    Shape card = roundRect(2, 2, 156, 116, 10);
    fillShape(&c, card, vertical(rgbHex(0xFFFFFF), rgbHex(0xE9EEF6), 2, 116));
    strokeShape(&c, card, 1, solid(rgbHex(0x8FA3C6)));
    fillShape(&c, circle(79, 60, 50), radial(rgbHex(halo), rgbHex(halo), 0.55, 0.0, 79, 60, 50));
    return c;
}

static void quad(Canvas* c, double x0, double y0, double x1, double y1, double x2,
                 double y2, double x3, double y3, const Paint& paint)
{
    double xy[] = { x0, y0, x1, y1, x2, y2, x3, y3 };
    fillShape(c, polygon(xy, 4), paint);
}

static void triangle(Canvas* c, double x0, double y0, double x1, double y1,
                     double x2, double y2, const Paint& paint)
{
    double xy[] = { x0, y0, x1, y1, x2, y2 };
    fillShape(c, polygon(xy, 3), paint);
}

// A cardboard box with an arrow going into it.
static Canvas drawInstall()
{
    Canvas c = drawCard(0xA9C3EC);
    fillShape(&c, roundRect(46, 100, 118, 106, 3), solid(rgbHex(0x1B315C), 0.25), 4);
    quad(&c, 44, 60, 86, 60, 86, 102, 44, 102, vertical(rgbHex(0xE8A24D), rgbHex(0xC77A24), 60, 102));
    quad(&c, 86, 60, 114, 47, 114, 89, 86, 102, vertical(rgbHex(0xB8691A), rgbHex(0x94500F), 47, 102));
    quad(&c, 44, 60, 72, 47, 114, 47, 86, 60, solid(rgbHex(0xF7CF8E)));
    quad(&c, 58, 53.5, 65, 50.3, 106, 50.3, 99, 53.5, solid(rgbHex(0xE3B06A)));  // tape
    quad(&c, 55, 60, 66, 60, 66, 74, 55, 74, solid(rgbHex(0xFFFFFF), 0.8));     // label
    // Arrow into the open top.
    fillShape(&c, capsule(79, 12, 79, 32, 6), vertical(rgbHex(0x5F8AD0), rgbHex(NAVY), 8, 46));
    triangle(&c, 64, 30, 94, 30, 79, 47, vertical(rgbHex(BLUE), rgbHex(NAVY), 30, 47));
    return c;
}

// An open book with a ribbon.
static Canvas drawManual()
{
    Canvas c = drawCard(0xB9CDEB);
    quad(&c, 24, 40, 80, 52, 80, 104, 24, 92, solid(rgbHex(NAVY)));
    quad(&c, 80, 52, 136, 40, 136, 92, 80, 104, solid(rgbHex(NAVY)));
    quad(&c, 28, 36, 80, 47, 80, 99, 28, 88, vertical(rgbHex(0xFFFFFF), rgbHex(0xE4EAF3), 36, 99));
    quad(&c, 80, 47, 132, 36, 132, 88, 80, 99, vertical(rgbHex(0xFFFFFF), rgbHex(0xDCE3EE), 36, 99));
    fillShape(&c, capsule(80, 47, 80, 99, 0.7), solid(rgbHex(0x8FA3C6)));
    for (int line = 0; line < 6; line++) {
        double y = 49 + 7 * line;
        double width = line == 5 ? 24 : 40;
        fillShape(&c, capsule(35, y, 35 + width, y + width * 11 / 52, 1.1),
                  solid(rgbHex(0x8FA3C6)));
        fillShape(&c, capsule(125, y, 125 - width, y + width * 11 / 52, 1.1),
                  solid(rgbHex(line == 0 ? AMBER : 0x8FA3C6)));
    }
    quad(&c, 100, 43, 108, 41.3, 108, 66, 100, 69, solid(rgbHex(AMBER)));
    triangle(&c, 100, 69, 108, 66, 104, 61, solid(rgbHex(0xFFFFFF)));
    return c;
}

// A strip of film and a play button.
static Canvas drawMovie()
{
    Canvas c = drawCard(0xF3D3A5);
    Shape strip = roundRect(20, 30, 126, 84, 4);
    fillShape(&c, roundRect(22, 33, 128, 88, 5), solid(rgbHex(0x1B315C), 0.3), 4);
    fillShape(&c, strip, vertical(rgbHex(0x2A3550), rgbHex(0x141B2C), 30, 84));
    for (int k = 0; k < 9; k++) {
        double x = 25 + 11.5 * k;
        fillShape(&c, roundRect(x, 33, x + 6, 38, 1.2), solid(rgbHex(0xE9EEF6)));
        fillShape(&c, roundRect(x, 76, x + 6, 81, 1.2), solid(rgbHex(0xE9EEF6)));
    }
    for (int k = 0; k < 3; k++) {
        double x = 25 + 34 * k;
        fillShape(&c, roundRect(x, 42, x + 30, 72, 2),
                  vertical(rgbHex(0x9CC0FF), rgbHex(BLUE), 42, 72));
        fillShape(&c, circle(x + 20, 52, 5), solid(rgbHex(0xFFE7B8), 0.9));
        triangle(&c, x, 72, x + 14, 58, x + 30, 72, solid(rgbHex(NAVY), 0.8));
    }
    fillShape(&c, circle(113, 86, 25), solid(rgbHex(0x1B315C), 0.35), 4);
    Shape button = circle(111, 83, 22);
    fillShape(&c, button, vertical(rgbHex(0xF4B860), rgbHex(AMBER_DARK), 61, 105));
    strokeShape(&c, button, 1.2, solid(rgbHex(0x6E3A06)));
    triangle(&c, 103, 71, 103, 95, 124, 83, solid(rgbHex(0xFFFFFF)));
    return c;
}

// Two beamed notes with sound rings around them (24-bit).
static Canvas drawMusic()
{
    Canvas c = drawCard(0xC7B8EC);
    for (int k = 0; k < 3; k++) {
        strokeShape(&c, circle(80, 62, 30 + 9 * k), 2, solid(rgbHex(0x7E6BC4), 0.35 - 0.1 * k));
    }
    Paint ink = vertical(rgbHex(0x4C3D8F), rgbHex(0x211A4A), 20, 100);
    quad(&c, 63, 27, 110, 17, 110, 27, 63, 37, ink);         // beam
    fillShape(&c, capsule(65, 30, 65, 86, 2.2), ink);         // stems
    fillShape(&c, capsule(108, 20, 108, 76, 2.2), ink);
    fillShape(&c, ellipse(54, 88, 12, 8.5, -0.35), ink);  // heads, tilted
    fillShape(&c, ellipse(97, 78, 12, 8.5, -0.35), ink);
    fillShape(&c, circle(50, 85, 3), solid(rgbHex(0xFFFFFF), 0.45));
    fillShape(&c, circle(93, 75, 3), solid(rgbHex(0xFFFFFF), 0.45));
    return c;
}

// The start screen's banner: a disc sending out a level meter.
static Canvas drawLogo()
{
    Canvas c = makeCanvas(360, 120, contentPanelColour());
    fillShape(&c, roundRect(4, 7, 358, 119, 14), solid(rgbHex(0x1B315C), 0.45), 5);
    Shape plate = roundRect(2, 2, 356, 114, 14);
    fillShape(&c, plate, vertical(rgbHex(0x24467F), rgbHex(0x0A1936), 2, 114));
    fillShape(&c, plate, radial(rgbHex(0x5B82C4), rgbHex(0x5B82C4), 0.45, 0.0, 70, 40, 220));
    strokeShape(&c, plate, 2, vertical(rgbHex(0xF0B45E), rgbHex(0x9A520F), 2, 114));
    fillShape(&c, roundRect(4, 4, 354, 50, 12), verticalAlpha(rgbHex(0xFFFFFF), 0.10, 0.0, 4, 50));
    for (int k = 0; k < 5; k++)
        strokeShape(&c, circle(66, 58, 52 + 14 * k), 1, solid(rgbHex(0x8FB0EA), 0.18 - 0.03 * k));
    fillShape(&c, circle(67, 61, 46), solid(rgbHex(0x000000), 0.45), 6);
    drawDisc(&c, 66, 58, 43, 0.6, rgbHex(0xCDD5E4), rgbHex(0x36476A));
    for (int k = 0; k < 16; k++) {
        double x = 128 + 13.5 * k;
        double level = 0.55 + 0.3 * dsin(k * 0.7) + 0.15 * dcos(k * 1.9 + 0.5);
        double h = 12 + 68 * level * (k < 3 ? (k + 1) / 4.0 : 1.0);
        Shape bar = roundRect(x, 58 - h / 2, x + 8, 58 + h / 2, 3);
        fillShape(&c, bar, vertical(rgbHex(0xFFF3DA), rgbHex(AMBER), 58 - h / 2, 58 + h / 2));
    }
    fillShape(&c, capsule(112, 58, 346, 58, 0.8),
              radial(rgbHex(0xFFFFFF), rgbHex(0xFFFFFF), 0.7, 0.0, 112, 58, 240));
    return c;
}

// A command button of its own: normal half on the left, pressed half on
// the right, each 150x40, a pill in the given colours.
static Canvas drawPillButton(unsigned top, unsigned bottom, unsigned border,
                             double gloss)
{
    Canvas c = makeCanvas(300, 40, contentPanelColour());
    for (int half = 0; half < 2; half++) {
        Canvas h = cropCanvas(c, 0, 0, 150, 40);
        double down = half;  // the pressed half sits one pixel lower
        fillShape(&h, roundRect(3, 5 + down, 147, 39, 17), solid(rgbHex(0x1B315C), 0.4 - 0.25 * half), 3);
        Shape body = roundRect(2, 2 + down, 148, 37 + down, 17.5);
        Rgb a = rgbHex(top), b = rgbHex(bottom);
        if (half) {
            Rgb t = mixRgb(a, b, 0.6);
            a = mixRgb(b, rgbHex(0x000000), 0.1);
            b = t;
        }
        fillShape(&h, body, vertical(a, b, 2 + down, 37 + down));
        strokeShape(&h, body, 1, solid(rgbHex(border)));
        if (!half)
            fillShape(&h, roundRect(8, 4, 142, 19, 9),
                      verticalAlpha(rgbHex(0xFFFFFF), gloss, gloss * 0.2, 4, 19));
        else
            strokeShape(&h, roundRect(3, 3 + down, 147, 36 + down, 16.5), 2,
                        verticalAlpha(rgbHex(0x000000), 0.3, 0.0, 3, 12));
        pasteCanvas(&c, h, 150 * half, 0);
    }
    return c;
}

void buildSampleArt(std::vector<ArtFile>* files)
{
    addFile(files, "LOGO.BMP", encodeArtBmp8(drawLogo()));
    addFile(files, "PIC/INSTALL.BMP", encodeArtBmp8(drawInstall()));
    addFile(files, "PIC/MANUAL.BMP", encodeArtBmp8(drawManual()));
    addFile(files, "PIC/MOVIE.BMP", encodeArtBmp8(drawMovie()));
    addFile(files, "PIC/MUSIC.BMP", encodeBmp24(drawMusic()));
    // Amber for black captions; deep blue for white ones (BtnTextCol).
    addFile(files, "BTN/AMBER.BMP",
            encodeArtBmp8(drawPillButton(0xFFE3AE, 0xE59A3C, AMBER_DARK, 0.55)));
    addFile(files, "BTN/BLUE24.BMP",
            encodeBmp24(drawPillButton(0x5E8BD6, 0x17336A, 0x0B1731, 0.45)));
}
