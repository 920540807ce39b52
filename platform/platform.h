// The few system services the portable core needs. Declared once here and
// implemented twice: platform/*_win32.cpp (the real Win32 calls) and
// platform/*_posix.cpp (native tools and tests). The linker picks one.
#ifndef PLATFORM_PLATFORM_H
#define PLATFORM_PLATFORM_H

#include <stddef.h>

// --- Profiles -------------------------------------------------------------
// GetPrivateProfileStringA with the default "": the value cut to size - 1
// bytes, the byte count returned, 0 for anything missing; names compared
// without regard to case.
int readProfileString(const char* section, const char* key, char* buffer,
                      int size, const char* file);

// The user profile (win.ini): GetProfileStringA with the default "" and
// WriteProfileStringA (a null key deletes the section, a null value the key).
int readUserProfile(const char* section, const char* key, char* buffer,
                    int size);
void writeUserProfile(const char* section, const char* key, const char* value);

// --- Files ----------------------------------------------------------------
// Reading a whole picture file: open for reading (others may not write),
// read, close. fileOpenRead returns -1 on failure.
int fileOpenRead(const char* path);
long fileRead(int file, void* buffer, unsigned long count);
void fileClose(int file);

// A block of memory that holds a file picture for its whole life
// (a locked moveable global block on Windows). Null on failure.
void* blockAlloc(unsigned long size);
void blockFree(void* block);

// --- Directories ----------------------------------------------------------
struct DirEntry {
    char name[260];
    int isDirectory;
};
// Starts a search on a pattern such as "D:\DIR\*.*"; null when it cannot be
// started or nothing matches.
void* dirFindFirst(const char* pattern, DirEntry* entry);
int dirFindNext(void* search, DirEntry* entry);  // 1 while there is an entry
void dirFindClose(void* search);
int removeFile(const char* path);       // 1 on success
int removeDirectory(const char* path);  // 1 on success

// --- Current drive and directory -----------------------------------------
int currentDrive(void);                 // 1 = A, 2 = B, ...; 0 when none
int changeDrive(int drive);             // 1 on success
int changeDirectory(const char* path);  // 1 on success

#endif
