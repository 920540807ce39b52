// The BMP reader and the header arithmetic. The input is a BMP file: it is
// checked as a block (exactly sized on the heap) and read back through
// loadDibFile from a file. For every picture taken, each byte that the
// measures say belongs to it (header, colour table, bits) is read, the
// palette's colours are found inside the table, and the header made for
// drawing is checked against what the picture holds.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "graphics/dib.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

char folder[] = "/tmp/fuzz_dib.XXXXXX";
char picturePath[sizeof folder + 16];

void removeFolder(void)
{
    unlink(picturePath);
    rmdir(folder);
}

volatile unsigned sink;

// A picture that fits its block of size bytes.
void checkPicture(PackedDib dib, unsigned long size)
{
    unsigned long headerSize = dibHeaderSize(dib);
    require(headerSize <= size, "header beyond the block");
    require(dibColours(dib) == dib + headerSize, "colours do not follow the header");
    unsigned long long tableBytes = (unsigned long long)dibColourCount(dib) *
                                    dibColourEntrySize(dib);
    require(dibBits(dib) - dibColours(dib) == (long long)tableBytes,
            "bits do not follow the colour table");
    unsigned long long tableEnd = headerSize + tableBytes;
    unsigned long long image = dibImageBytes(dib);
    require(image > 0, "a picture without bits");
    require(tableEnd + image <= size, "bits beyond the block");
    unsigned sum = 0;
    for (unsigned long long i = 0; i < tableEnd + image; i++)
        sum += dib[i];
    sink = sum;
    require(dibWidth(dib) > 0 && dibHeight(dib) > 0, "a picture with no pixels");

    // The palette is the last entries of the table (masks come first).
    unsigned long colours = dibColourCount(dib);
    unsigned long palette = dibPaletteCount(dib);
    require(palette == 0 || (palette > 16 && palette <= 256 && palette <= colours),
            "palette count outside the table");

    unsigned char* info = (unsigned char*)malloc(DIB_DRAW_INFO_SIZE);
    unsigned long made = dibDrawInfo(dib, info, DIB_DRAW_INFO_SIZE);
    require(made >= 40 && made <= DIB_DRAW_INFO_SIZE && (made - 40) % 4 == 0,
            "no drawing header for a picture that fits");
    require(u32(info) == 40 && u32(info + 4) == dibWidth(dib) && u16(info + 12) == 1 &&
                u16(info + 14) == dibBitCount(dib),
            "drawing header measures differ");
    long long height = i32(info + 8);
    require((height < 0 ? -height : height) == (long long)dibHeight(dib),
            "drawing header height differs");
    require(u32(info + 20) == image, "drawing header image size differs");
    unsigned long bits = dibBitCount(dib);
    if (bits <= 8)
        require(u32(info + 32) == (made - 40) / 4 && u32(info + 32) <= (1UL << bits),
                "drawing colour table longer than the bits can index");
    // Exactly as much room as it needs is enough; one byte less is none.
    unsigned char* exact = (unsigned char*)malloc(made);
    require(dibDrawInfo(dib, exact, made) == made && memcmp(exact, info, made) == 0,
            "drawing header differs in a buffer of its own size");
    require(dibDrawInfo(dib, exact, made - 1) == 0, "drawing header made without room");
    free(exact);
    free(info);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!mkdtemp(folder))
        abort();
    snprintf(picturePath, sizeof picturePath, "%s/P.BMP", folder);
    atexit(removeFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The block after the file header, as the reader would hold it.
    if (size >= 14) {
        unsigned long n = (unsigned long)(size - 14);
        unsigned char* block = (unsigned char*)malloc(n ? n : 1);
        memcpy(block, data + 14, n);
        if (dibFits(block, n))
            checkPicture(block, n);
        free(block);
    }

    FILE* f = fopen(picturePath, "wb");
    require(f && fwrite(data, 1, size, f) == size && fclose(f) == 0, "cannot write the file");
    PackedDib dib = loadDibFile(picturePath);
    bool marked = size >= 14 && data[0] == 'B' && data[1] == 'M';
    unsigned long fileSize = marked ? u32(data + 2) : 0;
    // What the reader must take: a file header, then a block of bfSize - 14
    // bytes (the rest of the file may be longer) that fits its picture.
    bool readable = marked && fileSize >= 14 + 12 && fileSize - 14 <= size - 14 &&
                    fileSize <= 64UL * 1024 * 1024;
    bool fits = false;
    if (readable) {
        unsigned long n = fileSize - 14;
        unsigned char* block = (unsigned char*)malloc(n);
        memcpy(block, data + 14, n);
        fits = dibFits(block, n);
        free(block);
    }
    require(!dib == !fits, "the reader takes what does not fit, or refuses what does");
    if (dib) {
        require(memcmp(dib, data + 14, fileSize - 14) == 0, "the reader changed the bytes");
        checkPicture(dib, fileSize - 14);
        freeDibFile(dib);
    }
    return 0;
}
