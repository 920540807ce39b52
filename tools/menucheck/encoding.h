// Texts for a disc author's eyes: Shift-JIS from MENU.DAT turned into
// UTF-8, the checks that tell what encoding a file is in, and the width
// estimate of a caption.
#ifndef TOOLS_MENUCHECK_ENCODING_H
#define TOOLS_MENUCHECK_ENCODING_H

#include <stddef.h>

// Shift-JIS (code page 932) to UTF-8, cut at a character boundary to fit
// outSize - 1 bytes; a byte that starts no valid character, and a control
// character, becomes U+FFFD.
void sjisToUtf8(const char* sjis, char* out, size_t outSize);

// Bytes of the character at p in Shift-JIS: 2 for a lead byte followed by
// a valid second byte, else 1. Sets *valid to 0 for a byte that is no
// character (0x80, 0xA0, 0xFD-0xFF, a lead byte without its second byte).
int sjisCharBytes(const unsigned char* p, size_t left, int* valid);

// Offset of the first byte at or after from that is not valid Shift-JIS,
// or -1.
long firstBadSjis(const unsigned char* data, size_t size, size_t from);

// Whether the bytes are valid UTF-8 holding at least one non-ASCII
// character (a Shift-JIS text almost never is).
bool looksUtf8(const unsigned char* data, size_t size);

// Caption width in pixels at the 16-pixel caption font, estimated: 8 for
// each single-byte character, 16 for each two-byte one.
int estimateCaptionWidth(const char* sjis);

// UTF-8 of at most size - 1 bytes, cut at a character boundary.
void copyUtf8(char* dest, size_t size, const char* src);

// One Shift-JIS character (1 or 2 bytes) to a code point; 0 when it maps
// to none (host_posix.cpp, host_win32.cpp).
int sjisCharToUnicode(const unsigned char* p, int bytes, unsigned* codePoint);

#endif
