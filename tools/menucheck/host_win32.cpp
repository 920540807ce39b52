// Shift-JIS characters to Unicode through the system's code page 932, and
// host file names, which the ANSI calls give in the ANSI code page, and
// full paths.
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/host.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int sjisCharToUnicode(const unsigned char* p, int bytes, unsigned* codePoint)
{
    WCHAR wide[2];
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, (const char*)p, bytes, wide, 2);
    if (n != 1)
        return 0;
    *codePoint = wide[0];
    return 1;
}

void hostNameToUtf8(const char* name, char* out, size_t outSize)
{
    WCHAR wide[MAX_PATH * 2];
    int n = MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH * 2);
    if (n <= 0 || outSize == 0) {
        copyUtf8(out, outSize, name);
        return;
    }
    char utf8[MAX_PATH * 8];
    if (WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, 0, 0) <= 0)
        utf8[0] = 0;
    copyUtf8(out, outSize, utf8);
}

int hostNameUnits(const char* name)
{
    int n = MultiByteToWideChar(CP_ACP, 0, name, -1, 0, 0);
    return n > 0 ? n - 1 : 0;
}

int hostEndsInSeparator(const char* path)
{
    // Walked from the start: in the ANSI code page a second byte may be 0x5C.
    int last = 0;
    for (const char* p = path; *p; p++) {
        last = *p == '\\' || *p == '/';
        if (IsDBCSLeadByte((BYTE)*p) && p[1])
            p++;
    }
    return last;
}

int fullFolderPath(const char* folder, char* out, size_t size)
{
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(folder, sizeof full, full, 0);
    if (n == 0 || n >= sizeof full)
        return 0;
    // No trailing separator, except a drive root's ("D:\").
    while (n > 3 && hostEndsInSeparator(full))
        full[--n] = 0;
    if (n >= size)
        return 0;
    memcpy(out, full, n + 1);
    return 1;
}

void writeStandardOutput(const char* utf8, size_t length, int json)
{
    fflush(stdout);
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode, written;
    if (json || handle == INVALID_HANDLE_VALUE) {
        _setmode(_fileno(stdout), _O_BINARY);
        fwrite(utf8, 1, length, stdout);
        fflush(stdout);
        return;
    }
    int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8, (int)length, 0, 0);
    WCHAR* wide = (WCHAR*)malloc(((size_t)wideLength + 1) * sizeof(WCHAR));
    if (!wide)
        return;
    MultiByteToWideChar(CP_UTF8, 0, utf8, (int)length, wide, wideLength);
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, wide, (DWORD)wideLength, &written, 0);
    } else {
        UINT page = GetConsoleOutputCP();
        if (page == 0)
            page = GetACP();
        int n = WideCharToMultiByte(page, 0, wide, wideLength, 0, 0, 0, 0);
        char* bytes = (char*)malloc((size_t)n + 1);
        if (bytes) {
            WideCharToMultiByte(page, 0, wide, wideLength, bytes, n, 0, 0);
            _setmode(_fileno(stdout), _O_BINARY);
            fwrite(bytes, 1, (size_t)n, stdout);
            fflush(stdout);
            free(bytes);
        }
    }
    free(wide);
}

int systemWantsJapanese(void)
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? 1 : 0;
}
