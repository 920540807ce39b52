// Small helpers the fuzz targets share.
#ifndef TESTS_FUZZ_FUZZ_UTIL_H
#define TESTS_FUZZ_FUZZ_UTIL_H

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "menu/text.h"

// A broken promise of the code under test: stop, so that libFuzzer keeps
// the input.
inline void require(bool ok, const char* what)
{
    if (!ok) {
        fprintf(stderr, "fuzz: %s\n", what);
        abort();
    }
}

template <size_t N>
bool terminated(const char (&text)[N])
{
    return memchr(text, 0, N) != 0;
}

inline unsigned long u16(const unsigned char* p)
{
    return (unsigned long)p[0] | (unsigned long)p[1] << 8;
}

inline unsigned long u32(const unsigned char* p)
{
    return u16(p) | u16(p + 2) << 16;
}

inline long long i32(const unsigned char* p)
{
    unsigned long v = u32(p);
    return v >= 0x80000000UL ? (long long)v - 0x100000000LL : (long long)v;
}

// Bytes of pixel bits a DIB header asks for, worked out from its bytes
// alone: the compressed size for RLE (none when the header ends before
// it), whole 32-bit rows otherwise.
inline unsigned long long dibImageBytes(const unsigned char* dib)
{
    unsigned long headerSize = u32(dib);
    bool core = headerSize == 12;
    long long width = core ? (long long)u16(dib + 4) : i32(dib + 4);
    long long height = core ? (long long)u16(dib + 6) : i32(dib + 8);
    unsigned long bits = u16(dib + (core ? 10 : 14));
    unsigned long compression = headerSize >= 20 ? u32(dib + 16) : 0;
    if (compression == 1 || compression == 2)
        return headerSize >= 24 ? u32(dib + 20) : 0;
    if (width < 0)
        width = -width;
    if (height < 0)
        height = -height;
    return ((unsigned long long)width * bits + 31) / 32 * 4 * (unsigned long long)height;
}

// Length of text cut to at most limit bytes without splitting a two-byte
// character (a lead byte before the terminator stands alone).
inline size_t cutLength(const char* text, size_t limit)
{
    size_t at = 0;
    while (text[at]) {
        size_t step = isLeadByte((unsigned char)text[at]) && text[at + 1] ? 2 : 1;
        if (at + step > limit)
            break;
        at += step;
    }
    return at;
}

#endif
