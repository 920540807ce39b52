// The system services of the portable core, on Win32.
#include "platform/platform.h"

#include <windows.h>

// A value cut inside a two-byte character can leave a stale byte before the
// terminator; a cleared buffer makes that byte a second terminator, and the
// count is taken from what the buffer really holds.
static int measuredValue(char* buffer, int size, DWORD got)
{
    if (size <= 0)
        return 0;
    if (got >= (DWORD)size)
        got = (DWORD)size - 1;
    buffer[got] = 0;
    return lstrlenA(buffer);
}

int readProfileString(const char* section, const char* key, char* buffer,
                      int size, const char* file)
{
    if (size > 0)
        ZeroMemory(buffer, (SIZE_T)size);
    DWORD got = GetPrivateProfileStringA(section, key, "", buffer, (DWORD)size, file);
    return measuredValue(buffer, size, got);
}

int readUserProfile(const char* section, const char* key, char* buffer, int size)
{
    if (size > 0)
        ZeroMemory(buffer, (SIZE_T)size);
    DWORD got = GetProfileStringA(section, key, "", buffer, (DWORD)size);
    return measuredValue(buffer, size, got);
}

void writeUserProfile(const char* section, const char* key, const char* value)
{
    WriteProfileStringA(section, key, value);
}

int fileOpenRead(const char* path)
{
    HFILE file = _lopen(path, OF_READ | OF_SHARE_DENY_WRITE);
    return file == HFILE_ERROR ? -1 : (int)file;
}

long fileRead(int file, void* buffer, unsigned long count)
{
    long got = _hread((HFILE)file, buffer, (long)count);
    return got == HFILE_ERROR ? -1 : got;
}

void fileClose(int file)
{
    _lclose((HFILE)file);
}

void* blockAlloc(unsigned long size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return 0;
    void* data = GlobalLock(block);
    if (!data)
        GlobalFree(block);
    return data;
}

void blockFree(void* data)
{
    HGLOBAL block = GlobalHandle(data);
    if (block) {
        GlobalUnlock(block);
        GlobalFree(block);
    }
}

static void fillEntry(const WIN32_FIND_DATAA* found, DirEntry* entry)
{
    lstrcpynA(entry->name, found->cFileName, sizeof entry->name);
    entry->isDirectory = (found->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void* dirFindFirst(const char* pattern, DirEntry* entry)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    fillEntry(&found, entry);
    return search;
}

int dirFindNext(void* search, DirEntry* entry)
{
    WIN32_FIND_DATAA found;
    if (!FindNextFileA((HANDLE)search, &found))
        return 0;
    fillEntry(&found, entry);
    return 1;
}

void dirFindClose(void* search)
{
    FindClose((HANDLE)search);
}

int removeFile(const char* path)
{
    return DeleteFileA(path) ? 1 : 0;
}

int removeDirectory(const char* path)
{
    return RemoveDirectoryA(path) ? 1 : 0;
}

static char upperLetter(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

int currentDrive(void)
{
    char dir[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    if (n < 2 || n >= sizeof dir || dir[1] != ':')
        return 0;
    return upperLetter(dir[0]) - 64;
}

// Drive and directory are changed as the C runtime's _chdrive and _chdir
// do it, over KERNEL32: the program links no C runtime (shell/runtime.cpp).
// "X:" alone goes back to that drive's own current directory, which the
// system keeps per drive (in the "=X:" variables on NT).
int changeDrive(int drive)
{
    if (drive < 1 || drive > 26)
        return 0;
    char root[3] = {(char)('A' + drive - 1), ':', 0};
    return SetCurrentDirectoryA(root) ? 1 : 0;
}

// Like _chdir, the drive's "=X:" variable is kept up to date after a
// change, so that "X:" and the programs started later (which inherit the
// environment) find this directory as the drive's own.
int changeDirectory(const char* path)
{
    if (!SetCurrentDirectoryA(path))
        return 0;
    char dir[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    if (n >= 2 && n < sizeof dir && dir[1] == ':') {
        char name[4] = {'=', upperLetter(dir[0]), ':', 0};
        SetEnvironmentVariableA(name, dir);
    }
    return 1;
}
