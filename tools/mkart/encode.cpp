#include "tools/mkart/encode.h"

#include <stddef.h>

static void put16(Bytes* out, unsigned value)
{
    out->push_back((unsigned char)(value & 0xFF));
    out->push_back((unsigned char)((value >> 8) & 0xFF));
}

static void put32(Bytes* out, unsigned long value)
{
    put16(out, unsigned(value & 0xFFFF));
    put16(out, unsigned((value >> 16) & 0xFFFF));
}

static void putText(Bytes* out, const char* text)
{
    while (*text)
        out->push_back((unsigned char)*text++);
}

enum { FILE_HEADER = 14, INFO_HEADER = 40, PELS_PER_METRE = 2835 };  // 72 dpi

static unsigned long rowBytes(int width, int bits)
{
    return ((unsigned long)width * unsigned(bits) + 31) / 32 * 4;
}

static void putInfoHeader(Bytes* out, int width, int height, int bits,
                          unsigned long imageSize)
{
    put32(out, INFO_HEADER);
    put32(out, (unsigned long)width);
    put32(out, (unsigned long)height);  // positive: bottom-up
    put16(out, 1);                      // planes
    put16(out, unsigned(bits));
    put32(out, 0);                      // BI_RGB
    put32(out, imageSize);
    put32(out, PELS_PER_METRE);
    put32(out, PELS_PER_METRE);
    put32(out, 0);                      // biClrUsed: the full table
    put32(out, 0);
}

static void putFileHeader(Bytes* out, unsigned long offBits,
                          unsigned long imageSize)
{
    putText(out, "BM");
    put32(out, offBits + imageSize);
    put32(out, 0);
    put32(out, offBits);
}

Bytes encodeBmp8(int width, int height, const std::vector<unsigned char>& indices,
                 const Palette& palette)
{
    Bytes out;
    unsigned long stride = rowBytes(width, 8);
    unsigned long imageSize = stride * unsigned(height);
    putFileHeader(&out, FILE_HEADER + INFO_HEADER + 1024, imageSize);
    putInfoHeader(&out, width, height, 8, imageSize);
    for (int i = 0; i < 256; i++) {
        out.push_back(palette.rgb[i][2]);
        out.push_back(palette.rgb[i][1]);
        out.push_back(palette.rgb[i][0]);
        out.push_back(0);
    }
    for (int y = height - 1; y >= 0; y--) {
        for (int x = 0; x < width; x++)
            out.push_back(indices[size_t(y) * size_t(width) + size_t(x)]);
        for (unsigned long k = (unsigned long)width; k < stride; k++)
            out.push_back(0);
    }
    return out;
}

Bytes encodeBmp24(const Canvas& canvas)
{
    Bytes out;
    unsigned long stride = rowBytes(canvas.width, 24);
    unsigned long imageSize = stride * unsigned(canvas.height);
    putFileHeader(&out, FILE_HEADER + INFO_HEADER, imageSize);
    putInfoHeader(&out, canvas.width, canvas.height, 24, imageSize);
    for (int y = canvas.height - 1; y >= 0; y--) {
        for (int x = 0; x < canvas.width; x++) {
            const Rgb& p = canvas.pixels[size_t(y) * size_t(canvas.width) + size_t(x)];
            out.push_back(toByte(p.b));
            out.push_back(toByte(p.g));
            out.push_back(toByte(p.r));
        }
        for (unsigned long k = (unsigned long)canvas.width * 3; k < stride; k++)
            out.push_back(0);
    }
    return out;
}

Bytes encodeIcon16(const unsigned char* indices, const unsigned char* mask,
                   const unsigned char colours[16][3])
{
    enum { SIDE = 32, XOR_BYTES = SIDE * SIDE / 2, AND_BYTES = SIDE * 4 };
    const unsigned long imageBytes = INFO_HEADER + 16 * 4 + XOR_BYTES + AND_BYTES;
    Bytes out;
    put16(&out, 0);  // reserved
    put16(&out, 1);  // icon
    put16(&out, 1);  // one picture
    out.push_back(SIDE);
    out.push_back(SIDE);
    out.push_back(16);  // colours
    out.push_back(0);
    put16(&out, 1);     // planes
    put16(&out, 4);     // bits per pixel
    put32(&out, imageBytes);
    put32(&out, 6 + 16);  // picture follows the one directory entry

    // The header's height counts the colour rows and the mask rows.
    putInfoHeader(&out, SIDE, 2 * SIDE, 4, XOR_BYTES + AND_BYTES);
    for (int i = 0; i < 16; i++) {
        out.push_back(colours[i][2]);
        out.push_back(colours[i][1]);
        out.push_back(colours[i][0]);
        out.push_back(0);
    }
    for (int y = SIDE - 1; y >= 0; y--)
        for (int x = 0; x < SIDE; x += 2) {
            const unsigned char* p = indices + y * SIDE + x;
            out.push_back((unsigned char)(((p[0] & 15) << 4) | (p[1] & 15)));
        }
    for (int y = SIDE - 1; y >= 0; y--)
        for (int x = 0; x < SIDE; x += 8) {
            unsigned bits = 0;
            for (int k = 0; k < 8; k++)
                bits = (bits << 1) | (mask[y * SIDE + x + k] ? 1u : 0u);
            out.push_back((unsigned char)bits);
        }
    return out;
}

Bytes encodeWave8(const std::vector<unsigned char>& samples, unsigned rate)
{
    Bytes out;
    unsigned long dataBytes = samples.size();
    putText(&out, "RIFF");
    // An odd data chunk is followed by one pad byte.
    put32(&out, 4 + (8 + 16) + (8 + dataBytes + (dataBytes & 1)));
    putText(&out, "WAVE");
    putText(&out, "fmt ");
    put32(&out, 16);
    put16(&out, 1);     // PCM
    put16(&out, 1);     // mono
    put32(&out, rate);
    put32(&out, rate);  // bytes per second
    put16(&out, 1);     // block align
    put16(&out, 8);     // bits per sample
    putText(&out, "data");
    put32(&out, dataBytes);
    out.insert(out.end(), samples.begin(), samples.end());
    if (dataBytes & 1)
        out.push_back(0);
    return out;
}
