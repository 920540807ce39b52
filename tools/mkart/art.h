// The menu's built-in artwork and the sample disc's pictures, drawn from
// code. Every file comes out byte for byte the same on every run.
#ifndef TOOLS_MKART_ART_H
#define TOOLS_MKART_ART_H

#include <string>
#include <vector>

#include "tools/mkart/encode.h"

struct ArtFile {
    std::string name;  // relative to the output folder, '/' between parts
    Bytes bytes;
};

// resources/art: background.bmp, navstrip.bmp, tabstrip.bmp,
// entrystrip.bmp, button.bmp, counter.bmp, menu.ico, click.wav.
void buildMenuArt(std::vector<ArtFile>* files);

// sample/: LOGO.BMP, PIC/*.BMP, BTN/*.BMP.
void buildSampleArt(std::vector<ArtFile>* files);

// --- Shared by both sets -------------------------------------------------

// Where the fixed controls stand on the 640x480 surface.
struct Place {
    int x, y, w, h;
};
extern const Place exitPlace, previousPlace, nextPlace, counterPlace;
Place tabPlace(int tab);    // 0-4
Place slotPlace(int slot);  // 0-4

enum CellState { CELL_NORMAL, CELL_PRESSED, CELL_DISABLED };

// The background before quantisation, and the table that the built-in
// pictures share; the sample pictures are mapped to the same table so that
// they look right on a 256-colour display too.
Canvas drawBackground();
const Palette& artPalette();

// An 8-bit BMP file on that table.
Bytes encodeArtBmp8(const Canvas& canvas);

// The flat colour of the ContentArea panel.
Rgb contentPanelColour();

// A compact disc of radius r, its sheen from 0 (plain silver) to 1.
void drawDisc(Canvas* c, double cx, double cy, double r, double sheen,
              Rgb silver, Rgb rim);

#endif
