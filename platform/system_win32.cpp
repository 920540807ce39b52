// The system services of the portable core, on Win32.
#include "platform/platform.h"

#include <windows.h>
#include <direct.h>
#include <ctype.h>

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

int currentDrive(void)
{
    char dir[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    if (n < 2 || n >= sizeof dir || dir[1] != ':')
        return 0;
    return toupper((unsigned char)dir[0]) - 64;
}

int changeDrive(int drive)
{
    if (drive < 1 || drive > 26)
        return 0;
    return _chdrive(drive) == 0 ? 1 : 0;
}

// The runtime's call, like _chdrive: it also keeps the per-drive current
// directory ("=D:") that started programs inherit.
int changeDirectory(const char* path)
{
    return _chdir(path) == 0 ? 1 : 0;
}
