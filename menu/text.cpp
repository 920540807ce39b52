// Text fields and paths over NUL-terminated Shift-JIS byte strings.
#include "menu/text.h"

#include <limits.h>
#include <string.h>

bool isLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Bytes of the character at text: 2 for a lead byte with its second byte,
// 1 otherwise. A lead byte right before the terminator stands alone, so no
// walk ever steps over the NUL.
static size_t charBytes(const char* text)
{
    return isLeadByte((unsigned char)text[0]) && text[1] != 0 ? 2 : 1;
}

// Longest prefix of the count bytes at text, at most limit bytes, that ends
// on a character boundary. A lead byte whose second byte lies beyond count
// counts as one byte, so nothing past count is read.
static size_t fitBytes(const char* text, size_t count, size_t limit)
{
    size_t at = 0;
    while (at < count) {
        size_t step = isLeadByte((unsigned char)text[at]) && at + 1 < count ? 2 : 1;
        if (at + step > limit)
            break;
        at += step;
    }
    return at;
}

// Copies count bytes of text into dest as far as whole characters fit and
// terminates it.
static void putText(char* dest, size_t destSize, const char* text, size_t count)
{
    if (!dest || destSize == 0)
        return;
    size_t n = fitBytes(text, count, destSize - 1);
    for (size_t i = 0; i < n; i++)
        dest[i] = text[i];
    dest[n] = 0;
}

static bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

static bool endsValue(char c)
{
    return c == 0 || c == '\r';
}

void copyText(char* dest, size_t destSize, const char* src)
{
    if (!src)
        src = "";
    size_t n = 0;
    while (src[n])
        n++;
    putText(dest, destSize, src, n);
}

void getField(char* dest, size_t destSize, const char* text, int n)
{
    const char* p = text ? text : "";
    for (int i = 0; i < n; i++) {
        if (*p == ',') {
            p++;
            continue;
        }
        while (*p != ',' && !endsValue(*p))
            p++;
        if (*p == ',')
            p++;
    }
    while (isBlank(*p))
        p++;
    size_t count = 0;
    while (p[count] != ',' && !endsValue(p[count]))
        count++;
    putText(dest, destSize, p, count);
    if (!dest || destSize == 0)
        return;
    size_t end = 0;
    while (dest[end])
        end++;
    while (end > 0 && isBlank(dest[end - 1]))
        dest[--end] = 0;
}

const char* getWord(char* dest, size_t destSize, const char* text, int n)
{
    const char* p = text ? text : "";
    for (int i = 0; i < n; i++) {
        while (!isBlank(*p) && !endsValue(*p))
            p++;
        while (isBlank(*p))
            p++;
    }
    size_t count = 0;
    while (!isBlank(p[count]) && !endsValue(p[count]))
        count++;
    putText(dest, destSize, p, count);
    p += count;
    while (isBlank(*p))
        p++;
    return p;
}

// Appends the count bytes at text to path (holding *length bytes) as far as
// whole characters fit, keeping it terminated.
static void appendText(char* path, size_t pathSize, size_t* length,
                       const char* text, size_t count)
{
    size_t room = pathSize - 1 - *length;
    size_t n = fitBytes(text, count, room);
    for (size_t i = 0; i < n; i++)
        path[*length + i] = text[i];
    *length += n;
    path[*length] = 0;
}

static size_t textLength(const char* text)
{
    size_t n = 0;
    while (text[n])
        n++;
    return n;
}

void joinPath(char* path, size_t pathSize, const char* name)
{
    if (!path || pathSize == 0)
        return;
    if (!name)
        name = "";
    // A path that fills its buffer without a terminator is cut to fit.
    size_t length = 0;
    while (length < pathSize - 1 && path[length])
        length++;
    path[length] = 0;

    size_t nameLength = textLength(name);
    if (name[0] && name[1] == ':') {
        length = 0;
    } else if (name[0] == '\\') {
        length = path[0] && path[1] == ':' ? 2 : 0;
    } else if (length > 0) {
        size_t last = 0;
        size_t lastBytes = 0;
        for (size_t at = 0; at < length; at += lastBytes) {
            last = at;
            lastBytes = charBytes(path + at);
        }
        bool needsSeparator = lastBytes == 2 ||
                              (path[last] != ':' && path[last] != '\\');
        if (needsSeparator)
            appendText(path, pathSize, &length, "\\", 1);
    }
    if (length > pathSize - 1)
        length = pathSize - 1;
    path[length] = 0;
    appendText(path, pathSize, &length, name, nameLength);
}

static bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Where a separator at index at cuts the path: a root separator right after
// a drive colon stays with the directory.
static size_t cutAtSeparator(const char* path, size_t at)
{
    return at > 0 && path[at - 1] == ':' ? at + 1 : at;
}

void stripLastPart(char* path)
{
    if (!path)
        return;
    // A path without a separator is left alone: it has no last part to
    // remove, and emptying it or cutting it after a drive colon would send
    // the next joinPath into the current directory (a bare drive such as
    // "D:" in the exit clean-up gives the pattern "D:*.*").
    size_t cut = 0;
    bool found = false;
    for (size_t at = 0; path[at]; at += charBytes(path + at)) {
        if (isSeparator(path[at])) {
            cut = cutAtSeparator(path, at);
            found = true;
        }
    }
    if (found)
        path[cut] = 0;
}

enum { FILE_NAME_BYTES = 12 };  // 8.3 name without its terminator

void splitFileName(char* fileName, char* path)
{
    if (!path) {
        if (fileName)
            fileName[0] = 0;
        return;
    }
    size_t at = 0;
    size_t cut = 0;
    if (isSeparator(path[0])) {
        at = 1;
        cut = 1;
    }
    for (; path[at]; at += charBytes(path + at)) {
        if (path[at] == ':')
            cut = at + 1;
        else if (isSeparator(path[at]))
            cut = cutAtSeparator(path, at);
    }
    if (fileName) {
        const char* name = path + cut;
        if (isSeparator(*name))
            name++;
        putText(fileName, FILE_NAME_BYTES + 1, name, textLength(name));
    }
    path[cut] = 0;
}

int hasExtension(const char* name, const char* extension)
{
    if (!name)
        name = "";
    if (!extension)
        extension = "";
    const char* dot = name;
    while (*dot && *dot != '.')
        dot++;
    if (!*dot)
        return extension[0] == 0;
    const char* a = dot + 1;
    const char* b = extension;
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}

static bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int toInt(const char* text)
{
    if (!text)
        return 0;
    const char* p = text;
    while (isCSpace(*p))
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        p++;
    }
    // Digits beyond the int range only keep the value at its bound.
    const long long bound = negative ? -(long long)INT_MIN : (long long)INT_MAX;
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        value = value * 10 + (*p - '0');
        if (value > bound)
            value = bound;
    }
    return (int)(negative ? -value : value);
}

size_t appendDecimal(char* dest, size_t destSize, unsigned value)
{
    size_t used = strlen(dest);
    char digits[10];
    size_t d = 0;
    do {
        digits[d++] = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    if (used + d >= destSize)
        return used;
    while (d > 0)
        dest[used++] = digits[--d];
    dest[used] = 0;
    return used;
}

void numberedName(char* dest, size_t destSize, const char* prefix, unsigned n)
{
    if (destSize == 0)
        return;
    // Room for the longest number first, so that a long prefix is what is cut.
    char number[11];
    number[0] = 0;
    size_t digits = appendDecimal(number, sizeof number, n);
    size_t room = destSize > digits ? destSize - digits : 1;
    copyText(dest, room, prefix);
    appendDecimal(dest, destSize, n);
}
