// What the checker needs of the machine it runs on beyond the menu's own
// platform seam: character conversion, file names as the host lists them,
// full paths. Implemented in host_posix.cpp and host_win32.cpp.
#ifndef TOOLS_MENUCHECK_HOST_H
#define TOOLS_MENUCHECK_HOST_H

#include <stddef.h>

enum { HOST_PATH = 4096 };  // longest path of the disc folder handled

#ifdef _WIN32
#define HOST_SEPARATOR '\\'
#else
#define HOST_SEPARATOR '/'
// 1 when a host path ends in a separator (a two-byte character's second
// byte is none).
int hostEndsInSeparator(const char* path);

// Writes the report to standard output: UTF-8 as it is natively and for
// JSON; on Windows, text goes to a console as UTF-16 and elsewhere in the
// console's code page.
void writeStandardOutput(const char* utf8, size_t length, int json);

// 1 when the system's own setting asks for Japanese, 0 when it asks for
// something else, -1 when it says nothing (the locale variables decide).
int systemWantsJapanese(void);

#endif

// A file name as the host lists it (UTF-8 natively, the ANSI code page on
// Windows) into UTF-8.
void hostNameToUtf8(const char* name, char* out, size_t outSize);

// UTF-16 units of a host file name: what Joliet counts.
int hostNameUnits(const char* name);

// The full path of a folder, without a trailing separator (except a
// root's); 0 when it cannot be had or does not fit.
int fullFolderPath(const char* folder, char* out, size_t size);

// 1 when a host path ends in a separator (a two-byte character's second
// byte is none).
int hostEndsInSeparator(const char* path);

// Writes the report to standard output: UTF-8 as it is natively and for
// JSON; on Windows, text goes to a console as UTF-16 and elsewhere in the
// console's code page.
void writeStandardOutput(const char* utf8, size_t length, int json);

// 1 when the system's own setting asks for Japanese, 0 when it asks for
// something else, -1 when it says nothing (the locale variables decide).
int systemWantsJapanese(void);

#endif
