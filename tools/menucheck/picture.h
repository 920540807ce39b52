// A picture file as the menu's reader takes it, why it refuses one, and
// how far its colours lie from a palette.
#ifndef TOOLS_MENUCHECK_PICTURE_H
#define TOOLS_MENUCHECK_PICTURE_H

#include "tools/menucheck/check.h"

// Reads the picture at a host path with the menu's loadDibFile and fills
// reason, width, height and bit count; with a palette (count RGB triples)
// also the distances of its pixels' colours to the nearest entry.
void examinePicture(const char* hostPath, const unsigned char* palette, int paletteCount,
                    PictureInfo* info);

// Distances of the colours of a picture that the reader took (one that
// fits its block) to a palette of count RGB triples. Returns 0 when the
// picture's pixels cannot be read here.
int paletteDistance(PackedDib dib, const unsigned char* palette, int count,
                    double* mean, double* max, double* exactShare);

#endif
