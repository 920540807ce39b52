// Pictures held as packed device-independent bitmaps: one block holding the
// bitmap header, the colour table and the pixel bits, in that order (a BMP
// file without its 14-byte file header, or an RT_BITMAP resource).
#ifndef GRAPHICS_DIB_H
#define GRAPHICS_DIB_H

#include <stddef.h>

typedef const unsigned char* PackedDib;  // null: a missing picture

enum { DIB_CORE_HEADER = 12, DIB_INFO_HEADER = 40 };

unsigned dibWidth(PackedDib dib);    // low 16 bits of the width
unsigned dibHeight(PackedDib dib);   // low 16 bits of the height (its size
                                     // for a top-down picture)
unsigned dibHeaderSize(PackedDib dib);
unsigned dibBitCount(PackedDib dib);
unsigned dibCompression(PackedDib dib);  // 0 (BI_RGB) for core headers
// Entries in the colour table as the header describes it (see dib.cpp).
unsigned long dibColourCount(PackedDib dib);
// Bytes of one colour-table entry: 3 for core headers, 4 otherwise.
unsigned dibColourEntrySize(PackedDib dib);
const unsigned char* dibColours(PackedDib dib);  // first colour-table entry
const unsigned char* dibBits(PackedDib dib);     // first byte of the bits
// Bytes of the pixel bits: for RLE pictures the size the header states (0
// when it states none), otherwise whole rows of 32-bit units.
unsigned long long dibImageSize(PackedDib dib);

// Whether a block of blockSize bytes holds everything its header describes:
// a readable header, a bit count GDI draws, the colour table, and the bits (for
// compressed pictures, biSizeImage bytes). Only such pictures are drawn.
bool dibFits(PackedDib dib, unsigned long blockSize);

// Why a block is not drawn, in the order the checks are made.
enum DibProblem {
    DIB_FITS,
    DIB_HEADER_SIZE,         // under 16 bytes (but 12), or past the block
    DIB_FORMAT,              // a bit count and compression not drawn
    DIB_DIMENSIONS,          // width or height 0 or over 65535
    DIB_TOP_DOWN_RLE,        // compressed rows stored top-down
    DIB_NO_COMPRESSED_SIZE,  // a compressed picture that states no size
                             // (0, or a header under 24 bytes)
    DIB_TABLE,               // the colour table runs past the block
    DIB_BITS,                // the pixel bits run past the block
};
DibProblem dibProblem(PackedDib dib, unsigned long blockSize);

// The picture's header in the one form every GDI takes, for drawing: a
// 40-byte info header followed by its RGBQUAD colour table (1, 4 and 8 bits)
// or its three bit-field masks, whatever form the picture's own header has.
// For a picture that fits its block; returns the bytes written to info
// (at most DIB_DRAW_INFO_SIZE), 0 when the header is not one dibFits takes
// or size is too small.
enum { DIB_DRAW_INFO_SIZE = 40 + 256 * 4 };
unsigned long dibDrawInfo(PackedDib dib, unsigned char* info, unsigned long size);

// Reads a BMP file into a block of its own; null when the file cannot be
// read or does not hold a picture that fits its block.
PackedDib loadDibFile(const char* path);
void freeDibFile(PackedDib dib);

// Number of palette entries createDibPalette takes from a picture (0 when it
// makes none: 16 colours or fewer, or more than 256).
unsigned long dibPaletteCount(PackedDib dib);

#endif
