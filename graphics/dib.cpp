// Packed DIBs: header arithmetic, the check that a block holds what its
// header describes, and the BMP file reader. Headers are read byte by byte
// (little-endian), so nothing here depends on the host's alignment or order.
#include "graphics/dib.h"

#include <string.h>

#include "platform/platform.h"

enum {
    FILE_HEADER_SIZE = 14,
    COMPRESSION_RGB = 0,
    COMPRESSION_RLE8 = 1,
    COMPRESSION_RLE4 = 2,
    COMPRESSION_BITFIELDS = 3,
    BITFIELD_MASKS = 3,          // red, green, blue
    MAX_SIDE = 65535,            // what the 16-bit measures can state
};

// A menu picture is at most a 640x480 screen of 32-bit pixels (1.2 MB); a
// file header claiming more than this is corrupt, and believing it would
// ask for gigabytes.
static const unsigned long MAX_FILE_SIZE = 64UL * 1024 * 1024;

// The shortest info header: biBitCount ends at byte 16. Any longer size
// is an info header of that length (OS/2 2.x, V2 to V5 and others); a
// field that ends beyond the header's own length is absent, whatever
// bytes follow the header.
static const unsigned long MIN_INFO_HEADER = 16;

// A header at least this long holds the field.
static const unsigned long HAS_COMPRESSION = 20;   // biCompression, bytes 16-19
static const unsigned long HAS_IMAGE_SIZE = 24;    // biSizeImage, bytes 20-23
static const unsigned long HAS_COLOURS_USED = 36;  // biClrUsed, bytes 32-35

// Bit-field masks inside a header: V2 and later hold them at byte 40.
static const unsigned long MASKS_INSIDE_HEADER = 52;

static unsigned readU16(const unsigned char* p)
{
    return (unsigned)p[0] | (unsigned)p[1] << 8;
}

static unsigned long readU32(const unsigned char* p)
{
    return (unsigned long)p[0] | (unsigned long)p[1] << 8 |
           (unsigned long)p[2] << 16 | (unsigned long)p[3] << 24;
}

static long long readI32(const unsigned char* p)
{
    unsigned long u = readU32(p);
    return u >= 0x80000000UL ? (long long)u - 0x100000000LL : (long long)u;
}

static void writeU16(unsigned char* p, unsigned v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}

static void writeU32(unsigned char* p, unsigned long v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

static bool isCore(PackedDib dib)
{
    return readU32(dib) == DIB_CORE_HEADER;
}

unsigned dibHeaderSize(PackedDib dib)
{
    return (unsigned)readU32(dib);
}

unsigned dibWidth(PackedDib dib)
{
    // bcWidth, or the low half of biWidth: the same two bytes.
    return readU16(dib + 4);
}

// Signed height as stored: negative for top-down pictures.
static long long storedHeight(PackedDib dib)
{
    return isCore(dib) ? (long long)readU16(dib + 6) : readI32(dib + 8);
}

unsigned dibHeight(PackedDib dib)
{
    long long h = storedHeight(dib);
    return (unsigned)((h < 0 ? -h : h) & 0xFFFF);
}

unsigned dibBitCount(PackedDib dib)
{
    return readU16(dib + (isCore(dib) ? 10 : 14));
}

unsigned dibCompression(PackedDib dib)
{
    // Core headers and those of 16 to 19 bytes end before biCompression.
    if (dibHeaderSize(dib) < HAS_COMPRESSION)
        return COMPRESSION_RGB;
    return (unsigned)readU32(dib + 16);
}

unsigned dibColourEntrySize(PackedDib dib)
{
    return isCore(dib) ? 3 : 4;
}

// Bit-field masks that lead the colour table: only a 40-byte header leaves
// them outside itself; later headers hold them at byte 40.
static unsigned maskEntries(PackedDib dib)
{
    unsigned bits = dibBitCount(dib);
    return dibHeaderSize(dib) == DIB_INFO_HEADER && (bits == 16 || bits == 32) &&
                   dibCompression(dib) == COMPRESSION_BITFIELDS
               ? BITFIELD_MASKS
               : 0;
}

// Colour-table entries, masks included, in 64 bits: biClrUsed plus three
// masks cannot overflow there.
static unsigned long long colourEntries(PackedDib dib)
{
    unsigned long size = dibHeaderSize(dib);
    unsigned bits = dibBitCount(dib);
    if (size == DIB_CORE_HEADER)
        return bits <= 8 ? 1ULL << bits : 0;
    // Compared as unsigned: a shorter header never has biClrUsed read.
    unsigned long long used = size >= HAS_COLOURS_USED ? readU32(dib + 32) : 0;
    if (bits == 16 || bits == 32)
        return maskEntries(dib) + used;
    if (used)
        return used;
    return bits <= 8 ? 1ULL << bits : 0;  // 24 bits, and counts never drawn
}

unsigned long dibColourCount(PackedDib dib)
{
    unsigned long long n = colourEntries(dib);
    return n > 0xFFFFFFFFULL ? 0xFFFFFFFFUL : (unsigned long)n;
}

const unsigned char* dibColours(PackedDib dib)
{
    return dib + dibHeaderSize(dib);
}

const unsigned char* dibBits(PackedDib dib)
{
    return dibColours(dib) + colourEntries(dib) * dibColourEntrySize(dib);
}

unsigned long dibPaletteCount(PackedDib dib)
{
    if (!dib)
        return 0;
    unsigned long long n = colourEntries(dib) - maskEntries(dib);
    // Only 17 to 256 colours make a palette.
    return n > 16 && n <= 256 ? (unsigned long)n : 0;
}

static bool readableHeaderSize(unsigned long size)
{
    return size == DIB_CORE_HEADER || size >= MIN_INFO_HEADER;
}

// What a header states, checked in the order a reader needs it: a bit
// count and compression GDI draws, sizes the 16-bit measures can state, a
// row order the compression allows. The plane count is not read: GDI is
// always told 1 (dibDrawInfo).
static DibProblem formatProblem(PackedDib dib)
{
    bool core = isCore(dib);
    unsigned bits = dibBitCount(dib);
    unsigned compression = dibCompression(dib);
    bool ok;
    switch (compression) {
    case COMPRESSION_RGB:
        ok = bits == 1 || bits == 4 || bits == 8 || bits == 24 ||
             (!core && (bits == 16 || bits == 32));
        break;
    case COMPRESSION_RLE8: ok = bits == 8; break;
    case COMPRESSION_RLE4: ok = bits == 4; break;
    case COMPRESSION_BITFIELDS: {
        // The masks follow a 40-byte header or lie inside a longer one; a
        // header between the two would cut them in half.
        unsigned long size = dibHeaderSize(dib);
        ok = (bits == 16 || bits == 32) &&
             (size == DIB_INFO_HEADER || size >= MASKS_INSIDE_HEADER);
        break;
    }
    default: ok = false; break;
    }
    if (!ok)
        return DIB_FORMAT;
    long long width = core ? (long long)readU16(dib + 4) : readI32(dib + 4);
    long long height = storedHeight(dib);
    // Sizes the 16-bit measures could not state would be laid out wrong.
    if (width < 1 || width > MAX_SIDE || height == 0 || height > MAX_SIDE ||
        height < -MAX_SIDE)
        return DIB_DIMENSIONS;
    // Compressed pictures are bottom-up only; top-down ones cannot be drawn.
    if (height < 0 && compression != COMPRESSION_RGB && compression != COMPRESSION_BITFIELDS)
        return DIB_TOP_DOWN_RLE;
    return DIB_FITS;
}

static bool formatKnown(PackedDib dib)
{
    return formatProblem(dib) == DIB_FITS;
}

// Bytes of the pixel bits: biSizeImage when compressed (0 when the header
// is too short to hold it), else whole rows of 32-bit units. Width, rows
// and bit count are at most 65535, 65535 and 32 (formatKnown), so a row is
// under 2^18 bytes and the product under 2^34: no overflow in 64 bits.
unsigned long long dibImageSize(PackedDib dib)
{
    unsigned compression = dibCompression(dib);
    if (compression == COMPRESSION_RLE8 || compression == COMPRESSION_RLE4)
        return dibHeaderSize(dib) >= HAS_IMAGE_SIZE ? readU32(dib + 20) : 0;
    unsigned long long row = ((unsigned long long)dibWidth(dib) * dibBitCount(dib) + 31) / 32 * 4;
    return row * dibHeight(dib);
}

DibProblem dibProblem(PackedDib dib, unsigned long blockSize)
{
    // The header size itself must be in the block before it is read.
    if (!dib || blockSize < 4)
        return DIB_HEADER_SIZE;
    unsigned long headerSize = readU32(dib);
    if (!readableHeaderSize(headerSize) || headerSize > blockSize)
        return DIB_HEADER_SIZE;
    DibProblem format = formatProblem(dib);
    if (format != DIB_FITS)
        return format;
    unsigned long long bits = dibImageSize(dib);
    // GDI needs the compressed size; an RLE picture that states none (0, or
    // a header that ends before biSizeImage) is refused.
    if (bits == 0)
        return DIB_NO_COMPRESSED_SIZE;
    // Entries are under 2^33 and an entry 4 bytes: the table is under 2^35,
    // and header + table cannot overflow 64 bits.
    unsigned long long tableEnd = headerSize + colourEntries(dib) * dibColourEntrySize(dib);
    if (tableEnd > blockSize)
        return DIB_TABLE;
    // Compared with what is left, so the sum is never formed.
    return bits <= blockSize - tableEnd ? DIB_FITS : DIB_BITS;
}

bool dibFits(PackedDib dib, unsigned long blockSize)
{
    return dibProblem(dib, blockSize) == DIB_FITS;
}

unsigned long dibDrawInfo(PackedDib dib, unsigned char* info, unsigned long size)
{
    if (!dib || !info || !readableHeaderSize(dibHeaderSize(dib)) || !formatKnown(dib))
        return 0;
    unsigned bits = dibBitCount(dib);
    unsigned compression = dibCompression(dib);
    unsigned long long tableEntries = 0;  // colours, or masks when bit fields
    if (bits <= 8) {
        // Only what the bit count can index is given; a longer biClrUsed
        // would only be refused or cut by GDI.
        tableEntries = colourEntries(dib);
        if (tableEntries > 1ULL << bits)
            tableEntries = 1ULL << bits;
    } else if (compression == COMPRESSION_BITFIELDS) {
        tableEntries = BITFIELD_MASKS;
    }
    unsigned long total = DIB_INFO_HEADER + (unsigned long)tableEntries * 4;
    if (size < total)
        return 0;

    memset(info, 0, DIB_INFO_HEADER);
    writeU32(info, DIB_INFO_HEADER);
    writeU32(info + 4, dibWidth(dib));  // at most 65535 (formatKnown)
    // The stored height, sign and all: GDI keeps top-down rows in order.
    writeU32(info + 8, isCore(dib) ? readU16(dib + 6) : readU32(dib + 8));
    writeU16(info + 12, 1);
    writeU16(info + 14, bits);
    writeU32(info + 16, compression);
    // Under 2^34 by dibImageSize; a picture that fits its block is far under
    // 2^32, and compressed sizes were 32-bit to begin with.
    writeU32(info + 20, (unsigned long)(dibImageSize(dib) & 0xFFFFFFFF));
    writeU32(info + 32, bits <= 8 ? (unsigned long)tableEntries : 0);

    unsigned char* out = info + DIB_INFO_HEADER;
    if (bits <= 8) {
        const unsigned char* in = dibColours(dib);
        unsigned step = dibColourEntrySize(dib);
        for (unsigned long i = 0; i < tableEntries; i++, in += step, out += 4) {
            out[0] = in[0];  // blue
            out[1] = in[1];  // green
            out[2] = in[2];  // red
            out[3] = 0;
        }
    } else if (compression == COMPRESSION_BITFIELDS) {
        // Right after a 40-byte header or inside one of 52 bytes or more:
        // byte 40 either way (formatProblem).
        memcpy(out, dib + DIB_INFO_HEADER, BITFIELD_MASKS * 4);
    }
    return total;
}

PackedDib loadDibFile(const char* path)
{
    if (!path)
        return 0;
    int file = fileOpenRead(path);
    if (file == -1)
        return 0;
    unsigned char header[FILE_HEADER_SIZE];
    if (fileRead(file, header, FILE_HEADER_SIZE) != FILE_HEADER_SIZE ||
        header[0] != 'B' || header[1] != 'M') {
        fileClose(file);
        return 0;
    }
    unsigned long fileSize = readU32(header + 2);
    // At least the smallest header must follow, so n cannot wrap below 0;
    // at most MAX_FILE_SIZE, so n is a sane allocation and fits the long
    // that fileRead returns.
    if (fileSize < FILE_HEADER_SIZE + DIB_CORE_HEADER || fileSize > MAX_FILE_SIZE) {
        fileClose(file);
        return 0;
    }
    unsigned long n = fileSize - FILE_HEADER_SIZE;
    unsigned char* block = (unsigned char*)blockAlloc(n);
    if (!block) {
        fileClose(file);
        return 0;
    }
    long got = fileRead(file, block, n);
    fileClose(file);
    // Checked here, once, so that nothing that draws or measures a file
    // picture can read past its block.
    if (got != (long)n || !dibFits(block, n)) {
        blockFree(block);
        return 0;
    }
    return block;
}

void freeDibFile(PackedDib dib)
{
    if (dib)
        blockFree((void*)dib);
}
