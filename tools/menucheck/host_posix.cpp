// Shift-JIS characters to Unicode through glibc's iconv (code page 932),
// host file names, which are UTF-8 here, and full paths.
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/host.h"

#include <iconv.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int sjisCharToUnicode(const unsigned char* p, int bytes, unsigned* codePoint)
{
    // One converter for the whole run: opening one per character is slow.
    static iconv_t converter = (iconv_t)-1;
    static int tried = 0;
    if (!tried) {
        tried = 1;
        converter = iconv_open("UTF-32LE", "CP932");
    }
    if (converter == (iconv_t)-1) {
        // Without the converter only ASCII can be told.
        if (bytes == 1 && p[0] < 0x80) {
            *codePoint = p[0];
            return 1;
        }
        return 0;
    }
    char in[2] = {(char)p[0], bytes > 1 ? (char)p[1] : (char)0};
    unsigned char out[8];
    char* inp = in;
    char* outp = (char*)out;
    size_t inLeft = (size_t)bytes, outLeft = sizeof out;
    iconv(converter, 0, 0, 0, 0);
    if (iconv(converter, &inp, &inLeft, &outp, &outLeft) == (size_t)-1 || inLeft != 0 ||
        sizeof out - outLeft != 4)
        return 0;
    *codePoint = (unsigned)out[0] | (unsigned)out[1] << 8 | (unsigned)out[2] << 16 |
                 (unsigned)out[3] << 24;
    return 1;
}

void hostNameToUtf8(const char* name, char* out, size_t outSize)
{
    copyUtf8(out, outSize, name);
}

int hostNameUnits(const char* name)
{
    int units = 0;
    for (const unsigned char* p = (const unsigned char*)name; *p; p++) {
        if ((*p & 0xC0) == 0x80)
            continue;
        units += *p >= 0xF0 ? 2 : 1;  // beyond the BMP: a surrogate pair
    }
    return units;
}

int hostEndsInSeparator(const char* path)
{
    size_t n = strlen(path);
    return n > 0 && path[n - 1] == '/';
}

int fullFolderPath(const char* folder, char* out, size_t size)
{
    char* full = realpath(folder, 0);
    if (!full)
        return 0;
    size_t n = strlen(full);
    int ok = n < size;
    if (ok)
        memcpy(out, full, n + 1);
    free(full);
    return ok;
}

void writeStandardOutput(const char* utf8, size_t length, int)
{
    fwrite(utf8, 1, length, stdout);
    fflush(stdout);
}

int systemWantsJapanese(void)
{
    return -1;
}
