// Profile (INI) files held in memory as bytes: the reading and writing that
// GetPrivateProfileStringA and WriteProfileStringA do, for the platforms
// that have no profile functions of their own.
//
// The rules are those of the Win32 reader: lines end at CR, LF or both; a
// UTF-8 byte-order mark is skipped; blanks (tab to CR, ^Z, space) around
// lines, names and values are ignored; a section runs from "[name]" (up to
// the last ']' of the line) to the next one; a key line is name=value, split
// at the first '='; a line without '=' is a key with no value; ';' and '#'
// start no comment; names are compared without regard to ASCII case; the
// first of duplicate sections and the first of duplicate keys count; one
// pair of quotation marks around a value is taken off; a NUL byte ends the
// name or value it is in. Keys before any section belong to the section "".
#ifndef MENU_INI_H
#define MENU_INI_H

#include <stddef.h>

// The value of key in section of the profile data, NUL-terminated in buffer
// and cut to size - 1 bytes at a character boundary; returns the bytes
// placed. 0 for a missing section, key or value. With size 0 the buffer is
// not touched; with a null section or key it receives the empty string.
int iniReadString(const char* data, size_t dataSize, const char* section,
                  const char* key, char* buffer, int size);

// The same lookups over a profile parsed once, for a reader that answers
// many of them from one file. The data must stay in place while the index
// lives. Null when memory runs out.
struct IniIndex;
IniIndex* iniIndexCreate(const char* data, size_t dataSize);
void iniIndexFree(IniIndex* index);
int iniIndexRead(const IniIndex* index, const char* section, const char* key,
                 char* buffer, int size);

// Writes into out (outSize bytes, not terminated) the profile data as
// WriteProfileStringA leaves it: value set (created at the end of the
// section, or in a new section at the end of the data), key deleted (value
// null) or section deleted (key null). Everything else is kept byte for
// byte. Returns the length of the new data; when that exceeds outSize only
// the first outSize bytes were written, so call again with more room.
size_t iniRewrite(const char* data, size_t dataSize, const char* section,
                  const char* key, const char* value, char* out,
                  size_t outSize);

// The same, the new lines ending in lineBreak ("\r\n", ...; null: the
// line break the data already uses).
size_t iniRewriteBreak(const char* data, size_t dataSize, const char* section,
                       const char* key, const char* value, const char* lineBreak,
                       char* out, size_t outSize);

// Writes into out the profile data with the key renamed where it stands:
// the first key so named in the first of the sections so named that holds
// it, as WriteProfileStringA would find it to delete it. The line keeps its
// place, its value and the blanks around the name. The data stays as it is
// when there is no such key. Returns the length as iniRewrite does.
size_t iniRenameKey(const char* data, size_t dataSize, const char* section,
                    const char* key, const char* newKey, char* out,
                    size_t outSize);

#endif
