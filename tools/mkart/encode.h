// File images: Windows bitmaps, an icon and a RIFF WAVE sound, built in
// memory byte by byte (little-endian, whatever the host).
#ifndef TOOLS_MKART_ENCODE_H
#define TOOLS_MKART_ENCODE_H

#include <vector>

#include "tools/mkart/palette.h"
#include "tools/mkart/raster.h"

typedef std::vector<unsigned char> Bytes;

// BMP file: 14-byte file header, 40-byte info header, bottom-up rows.
// 8 bits per pixel with all 256 colours of the table (biClrUsed 0)...
Bytes encodeBmp8(int width, int height, const std::vector<unsigned char>& indices,
                 const Palette& palette);
// ...or 24 bits per pixel with no table.
Bytes encodeBmp24(const Canvas& canvas);

// Icon file holding one 32x32 picture of 16 colours: 4-bit colour indices
// (top row first) and a mask whose set entries are transparent.
Bytes encodeIcon16(const unsigned char* indices, const unsigned char* mask,
                   const unsigned char colours[16][3]);

// RIFF WAVE file: PCM, one channel, 8 bits per sample (128 is silence).
Bytes encodeWave8(const std::vector<unsigned char>& samples, unsigned rate);

#endif
