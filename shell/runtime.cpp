// The program's own small C runtime. MENU.EXE links no C library: the
// MinGW runtime imports from msvcrt.dll, which the first Windows 95 lacks,
// and brings its formatted printing along. What the program uses of a C
// runtime is the heap and a handful of byte routines (some of them called
// by the compiler itself for copies and clears), all here over KERNEL32,
// and the entry routine that calls WinMain. Drive and directory changes go
// straight to KERNEL32 in platform/system_win32.cpp.
//
// Built with -ffreestanding and without loop-to-call rewriting, so that the
// loops below stay loops instead of becoming calls to themselves.
#include <windows.h>

#include <stddef.h>

extern "C" {

// --- Heap: the process heap, which every Win32 system has ---------------

void* malloc(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}

void* calloc(size_t count, size_t size)
{
    if (size && count > (size_t)-1 / size)
        return 0;  // the product would wrap
    size_t bytes = count * size;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1);
}

void* realloc(void* block, size_t size)
{
    if (!block)
        return malloc(size);
    return HeapReAlloc(GetProcessHeap(), 0, block, size ? size : 1);
}

void free(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

// --- Bytes and strings ----------------------------------------------------

void* memcpy(void* dest, const void* src, size_t n)
{
    unsigned char* d = (unsigned char*)dest;
    const unsigned char* s = (const unsigned char*)src;
    while (n--)
        *d++ = *s++;
    return dest;
}

void* memmove(void* dest, const void* src, size_t n)
{
    unsigned char* d = (unsigned char*)dest;
    const unsigned char* s = (const unsigned char*)src;
    if (d < s) {
        while (n--)
            *d++ = *s++;
    } else {
        while (n--)
            d[n] = s[n];
    }
    return dest;
}

void* memset(void* dest, int value, size_t n)
{
    unsigned char* d = (unsigned char*)dest;
    while (n--)
        *d++ = (unsigned char)value;
    return dest;
}

int memcmp(const void* a, const void* b, size_t n)
{
    const unsigned char* x = (const unsigned char*)a;
    const unsigned char* y = (const unsigned char*)b;
    for (; n; n--, x++, y++)
        if (*x != *y)
            return *x - *y;
    return 0;
}

size_t strlen(const char* text)
{
    const char* p = text;
    while (*p)
        p++;
    return (size_t)(p - text);
}

char* strchr(const char* text, int c)
{
    for (;; text++) {
        if (*text == (char)c)
            return (char*)text;
        if (!*text)
            return 0;
    }
}

int strcmp(const char* a, const char* b)
{
    while (*a && *a == *b)
        a++, b++;
    return (unsigned char)*a - (unsigned char)*b;
}

int strncmp(const char* a, const char* b, size_t n)
{
    for (; n; n--, a++, b++) {
        if (*a != *b)
            return (unsigned char)*a - (unsigned char)*b;
        if (!*a)
            return 0;
    }
    return 0;
}

// --- Entry ----------------------------------------------------------------

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

// The process starts here. WinMain reads neither the command line nor the
// show mode, but gets them as every Win32 program does: the arguments after
// the program's own name, and the starter's show mode.
void WinMainCRTStartup(void)
{
    unsigned char* line = (unsigned char*)GetCommandLineA();
    if (*line == '"') {
        for (line++; *line && *line != '"'; line++) {
        }
        if (*line)
            line++;
    } else {
        while (*line > ' ')
            line++;
    }
    while (*line && *line <= ' ')
        line++;

    STARTUPINFOA startup;
    startup.dwFlags = 0;
    GetStartupInfoA(&startup);
    int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : SW_SHOWDEFAULT;

    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, (char*)line, show));
}

}  // extern "C"
