// The text and path routines with destinations of exactly the size they are
// given, so that AddressSanitizer sees a write one byte too far. A result
// cut to a small buffer must be the start of the result a large buffer
// gets, and when the whole result fits, all of it.
//
// Input: [dest size][path size][n] then text, NUL, second text.
#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "menu/text.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

// A heap copy of count bytes with a terminator after them.
char* heapText(const uint8_t* bytes, size_t count)
{
    char* text = (char*)malloc(count + 1);
    memcpy(text, bytes, count);
    text[count] = 0;
    return text;
}

char* heapBuffer(size_t size)
{
    // Junk first, so that a routine that forgets to terminate shows it.
    char* buffer = (char*)malloc(size ? size : 1);
    memset(buffer, 'J', size ? size : 1);
    return buffer;
}

bool isPrefix(const char* small, const char* big)
{
    size_t n = strlen(small);
    return n <= strlen(big) && memcmp(small, big, n) == 0;
}

bool sameAsCut(const char* small, const char* big, size_t limit, bool trimBlanks)
{
    size_t n = cutLength(big, limit);
    while (trimBlanks && n > 0 && (big[n - 1] == ' ' || big[n - 1] == '\t'))
        n--;
    return strlen(small) == n && memcmp(small, big, n) == 0;
}

// Every lead byte followed by a byte that can follow one (0x40-0xFC but
// 0x7F). In text that is not, a trimmed blank may be half a character and
// a cut field need only be the start of the whole one.
bool wellFormed(const char* text)
{
    for (size_t at = 0; text[at]; at++) {
        if (!isLeadByte((unsigned char)text[at]))
            continue;
        unsigned char next = (unsigned char)text[at + 1];
        if (next < 0x40 || next > 0xFC || next == 0x7F)
            return false;
        at++;
    }
    return true;
}

bool terminatedWithin(const char* buffer, size_t size)
{
    return size > 0 && memchr(buffer, 0, size) != 0;
}

void checkGetField(const char* text, size_t destSize, int n)
{
    size_t bigSize = strlen(text) + 1;
    char* big = heapBuffer(bigSize);
    getField(big, bigSize, text, n);
    require(terminatedWithin(big, bigSize), "getField: field not terminated");
    size_t length = strlen(big);
    require(!strpbrk(big, ",\r"), "getField: a comma or CR inside a field");
    require(length == 0 || (big[0] != ' ' && big[0] != '\t' && big[length - 1] != ' ' &&
                            big[length - 1] != '\t'),
            "getField: blanks around a field");
    require(strstr(text, big) != 0, "getField: field not taken from the text");

    char* small = heapBuffer(destSize);
    getField(small, destSize, text, n);
    if (destSize > 0) {
        require(terminatedWithin(small, destSize), "getField: cut field not terminated");
        require(wellFormed(text) ? sameAsCut(small, big, destSize - 1, true)
                                 : isPrefix(small, big) && strlen(small) < destSize,
                "getField: cut differs");
    }
    free(small);
    free(big);
}

void checkGetWord(const char* text, size_t destSize, int n)
{
    size_t bigSize = strlen(text) + 1;
    char* big = heapBuffer(bigSize);
    const char* rest = getWord(big, bigSize, text, n);
    require(rest >= text && rest <= text + strlen(text), "getWord: rest outside the text");
    require(*rest != ' ' && *rest != '\t', "getWord: rest starts with a blank");
    require(!strpbrk(big, " \t\r"), "getWord: a blank inside a word");

    char* small = heapBuffer(destSize);
    const char* smallRest = getWord(small, destSize, text, n);
    require(smallRest == rest, "getWord: rest depends on the buffer size");
    if (destSize > 0) {
        require(terminatedWithin(small, destSize), "getWord: cut word not terminated");
        require(sameAsCut(small, big, destSize - 1, false), "getWord: cut differs");
    }
    free(small);
    free(big);
}

void checkJoinPath(const char* path, const char* name, size_t pathSize)
{
    size_t pathLength = strlen(path);
    // The path as joinPath sees it in a buffer of pathSize: cut to
    // pathSize - 1 bytes, and then without a terminator of its own.
    size_t kept = pathSize ? (pathLength < pathSize - 1 ? pathLength : pathSize - 1) : 0;
    size_t bigSize = kept + strlen(name) + 2;
    char* big = heapBuffer(bigSize);
    memcpy(big, path, kept);
    big[kept] = 0;
    joinPath(big, bigSize, name);
    require(terminatedWithin(big, bigSize), "joinPath: not terminated");

    char* small = heapBuffer(pathSize);
    memcpy(small, path, pathLength < pathSize ? pathLength : pathSize);
    if (pathLength < pathSize)
        small[pathLength] = 0;
    joinPath(small, pathSize, name);
    if (pathSize == 0) {
        require(small[0] == 'J', "joinPath: wrote into a buffer of size 0");
    } else {
        require(terminatedWithin(small, pathSize), "joinPath: cut path not terminated");
        require(isPrefix(small, big), "joinPath: cut path is not the start of the whole");
        if (strlen(big) < pathSize)
            require(strcmp(small, big) == 0, "joinPath: a path that fits was cut");
    }
    free(small);
    free(big);
}

void checkPathCuts(const char* path)
{
    size_t size = strlen(path) + 1;
    char* stripped = heapText((const uint8_t*)path, size - 1);
    stripLastPart(stripped);
    require(isPrefix(stripped, path), "stripLastPart: not a cut of the path");

    char* withName = heapText((const uint8_t*)path, size - 1);
    char* withoutName = heapText((const uint8_t*)path, size - 1);
    char* fileName = heapBuffer(13);
    splitFileName(fileName, withName);
    splitFileName(0, withoutName);
    require(terminatedWithin(fileName, 13), "splitFileName: name not terminated");
    require(isPrefix(withName, path), "splitFileName: directory not a cut of the path");
    require(strcmp(withName, withoutName) == 0,
            "splitFileName: directory depends on the name buffer");
    require(strstr(path + strlen(withName), fileName) != 0,
            "splitFileName: name not taken from the path's end");
    free(fileName);
    free(withoutName);
    free(withName);
    free(stripped);
}

void checkCopyText(const char* text, size_t destSize)
{
    char* dest = heapBuffer(destSize);
    copyText(dest, destSize, text);
    if (destSize > 0)
        require(sameAsCut(dest, text, destSize - 1, false), "copyText: cut differs");
    else
        require(dest[0] == 'J', "copyText: wrote into a buffer of size 0");
    free(dest);
}

void checkToInt(const char* text)
{
    // strtol skips the same blanks, takes the same sign and digits and
    // saturates: clamped to int it must agree.
    long reference = strtol(text, 0, 10);
    if (reference > INT_MAX)
        reference = INT_MAX;
    if (reference < INT_MIN)
        reference = INT_MIN;
    require(toInt(text) == (int)reference, "toInt: differs from strtol");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    size_t destSize = data[0];
    size_t pathSize = data[1];
    int n = data[2] % 8;
    data += 3;
    size -= 3;
    const uint8_t* nul = (const uint8_t*)memchr(data, 0, size);
    size_t firstLength = nul ? (size_t)(nul - data) : size;
    char* first = heapText(data, firstLength);
    char* second = nul ? heapText(nul + 1, size - firstLength - 1) : heapText(data, 0);

    checkGetField(first, destSize, n);
    checkGetWord(first, destSize, n);
    checkJoinPath(first, second, pathSize);
    checkPathCuts(first);
    checkCopyText(first, destSize);
    checkToInt(first);
    int match = hasExtension(first, second);
    require(match == 0 || match == 1, "hasExtension: not 0 or 1");

    free(second);
    free(first);
    return 0;
}
