// Pictures: the menu's reader decides whether one is drawn; the reasons
// for a refusal are told apart here in the order the reader checks, so a
// disc author learns what to fix.
#include "tools/menucheck/picture.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "graphics/dib.h"
#include "platform/platform.h"

enum {
    FILE_HEADER = 14,
    BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3,
    DISTANCE_CACHE = 4096,
};

// The reader's limit (graphics/dib.cpp): what it takes as a file size.
static const unsigned long READER_MAX_FILE = 64UL * 1024 * 1024;

static unsigned u16(const unsigned char* p)
{
    return (unsigned)p[0] | (unsigned)p[1] << 8;
}

static unsigned long u32(const unsigned char* p)
{
    return (unsigned long)p[0] | (unsigned long)p[1] << 8 | (unsigned long)p[2] << 16 |
           (unsigned long)p[3] << 24;
}


// Why a block that the reader refused is not drawn: the reader's own answer.
static PictureReason blockReason(const unsigned char* block, unsigned long size)
{
    switch (dibProblem(block, size)) {
    case DIB_FITS: return PICTURE_REFUSED;
    case DIB_HEADER_SIZE: return PICTURE_HEADER;
    case DIB_FORMAT: return PICTURE_FORMAT;
    case DIB_DIMENSIONS: return PICTURE_DIMENSIONS;
    case DIB_TOP_DOWN_RLE: return PICTURE_TOP_DOWN_RLE;
    case DIB_NO_COMPRESSED_SIZE: return PICTURE_FORMAT;  // must state its size
    case DIB_TABLE: return PICTURE_TABLE;
    case DIB_BITS: return PICTURE_BITS;
    }
    return PICTURE_REFUSED;
}

// Reads the file again to tell why the reader gave nothing.
static PictureReason fileReason(const char* hostPath)
{
    int file = fileOpenRead(hostPath);
    if (file == -1)
        return PICTURE_NOT_FOUND;
    unsigned char header[FILE_HEADER];
    if (fileRead(file, header, FILE_HEADER) != FILE_HEADER) {
        fileClose(file);
        return PICTURE_SHORT_HEADER;
    }
    if (header[0] != 'B' || header[1] != 'M') {
        fileClose(file);
        return PICTURE_NOT_BM;
    }
    unsigned long fileSize = u32(header + 2);
    if (fileSize < FILE_HEADER + 12 || fileSize > READER_MAX_FILE) {
        fileClose(file);
        return PICTURE_BAD_SIZE;
    }
    unsigned long n = fileSize - FILE_HEADER;
    unsigned char* block = (unsigned char*)malloc(n);
    if (!block) {
        fileClose(file);
        return PICTURE_REFUSED;
    }
    long got = fileRead(file, block, n);
    fileClose(file);
    PictureReason reason = got != (long)n ? PICTURE_TRUNCATED : blockReason(block, n);
    free(block);
    return reason;
}

void examinePicture(const char* hostPath, const unsigned char* palette, int paletteCount,
                    PictureInfo* info)
{
    info->width = info->height = info->bitCount = 0;
    info->compression = 0;
    info->masks[0] = info->masks[1] = info->masks[2] = 0;
    info->distanceKnown = 0;
    info->meanDistance = info->maxDistance = info->exactShare = 0;
    PackedDib dib = loadDibFile(hostPath);
    if (!dib) {
        info->reason = fileReason(hostPath);
        return;
    }
    info->reason = PICTURE_OK;
    info->width = (int)dibWidth(dib);
    info->height = (int)dibHeight(dib);
    info->bitCount = (int)dibBitCount(dib);
    info->compression = dibCompression(dib);
    // Bit-field masks stand at byte 40 whether they follow a 40-byte
    // header or lie inside a longer one; the reader checked they are there.
    for (int i = 0; i < 3; i++)
        info->masks[i] = info->compression == BI_BITFIELDS ? u32(dib + 40 + 4 * i) : 0;
    if (palette && paletteCount > 0)
        info->distanceKnown = paletteDistance(dib, palette, paletteCount, &info->meanDistance,
                                              &info->maxDistance, &info->exactShare);
    freeDibFile(dib);
}

int readPaletteFile(const char* path, unsigned char* rgb)
{
    PackedDib dib = loadDibFile(path);
    if (!dib)
        return 0;
    unsigned long count = dibPaletteCount(dib);
    const unsigned char* entry = dibColours(dib);
    unsigned step = dibColourEntrySize(dib);
    for (unsigned long i = 0; i < count; i++, entry += step) {
        rgb[3 * i] = entry[2];
        rgb[3 * i + 1] = entry[1];
        rgb[3 * i + 2] = entry[0];
    }
    freeDibFile(dib);
    return (int)count;
}

// --- Colour distances -------------------------------------------------------

struct Distances {
    const unsigned char* palette;
    int count;
    double sum;
    double max;
    double pixels;
    double exact;
    unsigned cacheKey[DISTANCE_CACHE];  // rgb + 1, 0 for an empty slot
    double cacheValue[DISTANCE_CACHE];
};

static double nearest(Distances* d, unsigned r, unsigned g, unsigned b)
{
    unsigned key = (r << 16 | g << 8 | b) + 1;
    unsigned slot = (key * 2654435761u) >> 20 & (DISTANCE_CACHE - 1);
    if (d->cacheKey[slot] == key)
        return d->cacheValue[slot];
    long best = -1;
    for (int i = 0; i < d->count; i++) {
        long dr = (long)r - d->palette[3 * i];
        long dg = (long)g - d->palette[3 * i + 1];
        long db = (long)b - d->palette[3 * i + 2];
        long e = dr * dr + dg * dg + db * db;
        if (best < 0 || e < best)
            best = e;
    }
    double value = sqrt((double)best);
    d->cacheKey[slot] = key;
    d->cacheValue[slot] = value;
    return value;
}

static void addPixels(Distances* d, unsigned r, unsigned g, unsigned b, double count)
{
    if (count <= 0)
        return;
    double e = nearest(d, r, g, b);
    d->sum += e * count;
    d->pixels += count;
    if (e > d->max)
        d->max = e;
    if (e == 0)
        d->exact += count;
}

// Pixel counts per colour index of a compressed picture; the runs are
// counted, where they land does not matter.
static void countRle(const unsigned char* p, unsigned long size, bool four, double* counts)
{
    unsigned long at = 0;
    while (at + 1 < size) {
        unsigned n = p[at], value = p[at + 1];
        at += 2;
        if (n > 0) {
            if (four) {
                counts[value >> 4] += (n + 1) / 2;
                counts[value & 15] += n / 2;
            } else {
                counts[value] += n;
            }
            continue;
        }
        if (value == 1)
            break;  // end of picture
        if (value == 0)
            continue;  // end of line
        if (value == 2) {
            at += 2;  // a move: no pixels
            continue;
        }
        unsigned long bytes = four ? (value + 1) / 2 : value;
        for (unsigned i = 0; i < value; i++) {
            unsigned long byte = at + (four ? i / 2 : i);
            if (byte >= size)
                break;
            unsigned index = four ? (i % 2 ? p[byte] & 15 : p[byte] >> 4) : p[byte];
            counts[index] += 1;
        }
        at += (bytes + 1) / 2 * 2;  // runs are padded to whole words
    }
}

static unsigned shiftOf(unsigned long mask)
{
    unsigned s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        s++;
    }
    return s;
}

static unsigned channel(unsigned long value, unsigned long mask)
{
    if (!mask)
        return 0;
    unsigned s = shiftOf(mask);
    unsigned long top = mask >> s;
    return (unsigned)(((value & mask) >> s) * 255 / top);
}

int paletteDistance(PackedDib dib, const unsigned char* palette, int count, double* mean,
                    double* max, double* exactShare)
{
    Distances* d = (Distances*)calloc(1, sizeof *d);
    if (!d)
        return 0;
    d->palette = palette;
    d->count = count;
    unsigned bits = dibBitCount(dib);
    unsigned compression = dibCompression(dib);
    unsigned long width = dibWidth(dib), height = dibHeight(dib);
    unsigned long stride = (width * bits + 31) / 32 * 4;
    const unsigned char* pixels = dibBits(dib);
    int ok = 1;

    if (bits <= 8) {
        static double counts[256];
        memset(counts, 0, sizeof counts);
        if (compression == BI_RLE8 || compression == BI_RLE4) {
            countRle(pixels, (unsigned long)dibImageSize(dib), compression == BI_RLE4, counts);
        } else {
            for (unsigned long y = 0; y < height; y++) {
                const unsigned char* row = pixels + y * stride;
                for (unsigned long x = 0; x < width; x++) {
                    unsigned long bit = x * bits;
                    unsigned index = row[bit / 8] >> (8 - bits - bit % 8) & ((1u << bits) - 1);
                    counts[index] += 1;
                }
            }
        }
        // Indices past the colour table have no colour: left out.
        unsigned long entries = dibColourCount(dib);
        const unsigned char* table = dibColours(dib);
        unsigned step = dibColourEntrySize(dib);
        for (unsigned long i = 0; i < 256 && i < entries; i++) {
            const unsigned char* c = table + i * step;
            addPixels(d, c[2], c[1], c[0], counts[i]);
        }
    } else {
        unsigned long masks[3] = {0x7C00, 0x3E0, 0x1F};  // 16 bits: 5-5-5
        if (bits == 32)
            masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
        if (compression == BI_BITFIELDS)
            for (int m = 0; m < 3; m++)
                masks[m] = u32(dib + 40 + 4 * m);
        for (unsigned long y = 0; y < height; y++) {
            const unsigned char* row = pixels + y * stride;
            for (unsigned long x = 0; x < width; x++) {
                if (bits == 24) {
                    const unsigned char* p = row + 3 * x;
                    addPixels(d, p[2], p[1], p[0], 1);
                } else {
                    unsigned long v = bits == 16 ? u16(row + 2 * x) : u32(row + 4 * x);
                    addPixels(d, channel(v, masks[0]), channel(v, masks[1]),
                              channel(v, masks[2]), 1);
                }
            }
        }
    }
    if (d->pixels > 0) {
        *mean = d->sum / d->pixels;
        *max = d->max;
        *exactShare = d->exact / d->pixels;
    } else {
        ok = 0;
    }
    free(d);
    return ok;
}
