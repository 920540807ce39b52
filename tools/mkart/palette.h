// One 256-colour table for a set of pictures, and the mapping of pictures
// to it. The table keeps the 20 static colours of a 256-colour Windows
// display at their usual places (0-9 and 246-255), so that a realised
// palette built from it finds 236 free entries for the rest.
#ifndef TOOLS_MKART_PALETTE_H
#define TOOLS_MKART_PALETTE_H

#include <vector>

#include "tools/mkart/raster.h"

struct Palette {
    unsigned char rgb[256][3];
};

enum { STATIC_LOW = 10, STATIC_HIGH = 246 };  // free entries: 10..245

// Chooses the 236 free entries to suit the given canvases.
void buildPalette(const Canvas* const* canvases, int count, Palette* palette);

// Palette index of every pixel, top row first.
std::vector<unsigned char> mapToPalette(const Canvas& canvas,
                                        const Palette& palette);

// Index of the nearest palette entry (weighted RGB distance); entries from
// `first` to `last` inclusive take part.
int nearestEntry(const Palette& palette, int r, int g, int b, int first,
                 int last);

unsigned char toByte(double value);  // rounded and clamped to 0-255

#endif
