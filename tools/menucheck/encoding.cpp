// Shift-JIS validity, UTF-8 detection and output conversion.
#include "tools/menucheck/encoding.h"

#include "menu/text.h"

static bool isTrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

int sjisCharBytes(const unsigned char* p, size_t left, int* valid)
{
    *valid = 1;
    unsigned char b = p[0];
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF))
        return 1;
    if (isLeadByte(b)) {
        if (left >= 2 && isTrailByte(p[1]))
            return 2;
        *valid = 0;
        return 1;
    }
    *valid = 0;  // 0x80, 0xA0, 0xFD-0xFF
    return 1;
}

long firstBadSjis(const unsigned char* data, size_t size, size_t from)
{
    for (size_t at = from; at < size;) {
        int valid;
        int n = sjisCharBytes(data + at, size - at, &valid);
        if (!valid)
            return (long)at;
        at += (size_t)n;
    }
    return -1;
}

// Length of the UTF-8 sequence at p, 0 when it is not a valid one.
static int utf8Sequence(const unsigned char* p, size_t left)
{
    unsigned char b = p[0];
    int n;
    unsigned min;
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF) { n = 2; min = 0x80; }
    else if (b >= 0xE0 && b <= 0xEF) { n = 3; min = 0x800; }
    else if (b >= 0xF0 && b <= 0xF4) { n = 4; min = 0x10000; }
    else return 0;
    if (left < (size_t)n)
        return 0;
    unsigned cp = b & (0x7F >> n);
    for (int i = 1; i < n; i++) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0;
    return n;
}

bool looksUtf8(const unsigned char* data, size_t size)
{
    bool wide = false;
    for (size_t at = 0; at < size;) {
        int n = utf8Sequence(data + at, size - at);
        if (n == 0)
            return false;
        wide = wide || n > 1;
        at += (size_t)n;
    }
    return wide;
}

static size_t putCodePoint(unsigned cp, char* out)
{
    if (cp < 0x80) {
        out[0] = (char)cp;
        return 1;
    }
    if (cp < 0x800) {
        out[0] = (char)(0xC0 | cp >> 6);
        out[1] = (char)(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = (char)(0xE0 | cp >> 12);
        out[1] = (char)(0x80 | ((cp >> 6) & 0x3F));
        out[2] = (char)(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = (char)(0xF0 | cp >> 18);
    out[1] = (char)(0x80 | ((cp >> 12) & 0x3F));
    out[2] = (char)(0x80 | ((cp >> 6) & 0x3F));
    out[3] = (char)(0x80 | (cp & 0x3F));
    return 4;
}

void sjisToUtf8(const char* sjis, char* out, size_t outSize)
{
    if (!out || outSize == 0)
        return;
    const unsigned char* p = (const unsigned char*)(sjis ? sjis : "");
    size_t left = 0;
    while (p[left])
        left++;
    size_t used = 0;
    while (left > 0) {
        int valid;
        int n = sjisCharBytes(p, left, &valid);
        unsigned cp = 0xFFFD;
        if (valid && !sjisCharToUnicode(p, n, &cp))
            cp = 0xFFFD;
        // Control bytes (a line break a lone lead byte took along, say)
        // would break the report's lines.
        if (cp < 0x20 || cp == 0x7F)
            cp = 0xFFFD;
        char bytes[4];
        size_t k = putCodePoint(cp, bytes);
        if (used + k > outSize - 1)
            break;
        for (size_t i = 0; i < k; i++)
            out[used++] = bytes[i];
        p += n;
        left -= (size_t)n;
    }
    out[used] = 0;
}

int estimateCaptionWidth(const char* sjis)
{
    const unsigned char* p = (const unsigned char*)sjis;
    size_t left = 0;
    while (p[left])
        left++;
    int width = 0;
    while (left > 0) {
        int valid;
        int n = sjisCharBytes(p, left, &valid);
        // A lead byte takes the next byte with it, valid or not, as the
        // font does.
        if (isLeadByte(p[0]) && left >= 2)
            n = 2;
        width += n == 2 ? 16 : 8;
        p += n;
        left -= (size_t)n;
    }
    return width;
}

void copyUtf8(char* dest, size_t size, const char* src)
{
    if (!dest || size == 0)
        return;
    size_t n = 0;
    while (src[n])
        n++;
    if (n > size - 1) {
        n = size - 1;
        // Back to the first byte of a character.
        while (n > 0 && ((unsigned char)src[n] & 0xC0) == 0x80)
            n--;
    }
    for (size_t i = 0; i < n; i++)
        dest[i] = src[i];
    dest[n] = 0;
}
