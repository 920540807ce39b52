// What several unit tests need of the file system: a fresh folder of their
// own, files written into it by Windows-style names, small BMP files.
#ifndef TESTS_UNIT_SUPPORT_H
#define TESTS_UNIT_SUPPORT_H

#include <string>

// A new, empty folder under the system's temporary folder.
std::string tempFolder(const char* prefix);

// dir joined with a Windows-style relative name, in the host's separators.
std::string hostPath(const std::string& dir, const std::string& name);

// Writes bytes to dir\name, making the folders on the way; false (and a
// test failure) when the file cannot be written.
bool writeFile(const std::string& dir, const std::string& name, const std::string& bytes);

// A BMP file with a 40-byte header: 24 bits of one colour, or an 8-bit
// picture with a grey colour table.
std::string bmpFile(int w, int h, int bits = 24, unsigned rgb = 0x404040);

#ifdef _WIN32
// Replaces an imported function of this program (its import address table
// entry, through which the menu's code linked in here calls the system) and
// returns the one it held; null when the import is not found.
void* swapImport(const char* dll, const char* name, void* replacement);
#endif

#endif
