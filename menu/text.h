// Text fields and paths: small routines over NUL-terminated Shift-JIS byte
// strings, shared by the menu model, the launcher and the exit clean-up.
// Each writes into a caller's buffer of the size it is given; a result that
// does not fit is cut at a character boundary, never written past the end.
#ifndef MENU_TEXT_H
#define MENU_TEXT_H

#include <stddef.h>

// First byte of a two-byte Shift-JIS character: 0x81-0x9F or 0xE0-0xFC.
bool isLeadByte(unsigned char byte);

// Comma field n (0 = first) of text, blanks and tabs trimmed on both sides.
void getField(char* dest, size_t destSize, const char* text, int n);

// Blank-separated word n of text into dest; returns the position in text just
// after word n and the blanks and tabs that follow it.
const char* getWord(char* dest, size_t destSize, const char* text, int n);

// Joins name to path in place (drive-qualified and rooted names replace all
// or part of the path); a backslash goes between them where one is needed.
void joinPath(char* path, size_t pathSize, const char* name);

// Removes the last component and the separator before it; a root separator
// after a drive colon stays.
void stripLastPart(char* path);

// Cuts path back to its directory part; fileName (13 bytes, or null)
// receives the last component, at most 12 bytes of it.
void splitFileName(char* fileName, char* path);

// 1 when the text after the first full stop of name equals extension, byte
// for byte; with no full stop, 1 exactly when extension is empty.
int hasExtension(const char* name, const char* extension);

// Copies src into dest, cut so that it fits destSize - 1 bytes and never
// ends on half a two-byte character.
void copyText(char* dest, size_t destSize, const char* src);

// Decimal conversion as atoi does it (blanks, sign, digits up to the first
// non-digit, 0 when none), clamped to the int range instead of overflowing.
int toInt(const char* text);

// Appends the decimal digits of value to the text in dest; digits that do
// not fit are not written at all. Returns the text's new length.
size_t appendDecimal(char* dest, size_t destSize, unsigned value);

// prefix followed by n in decimal without leading zeros: "Page1",
// "DelDir12". Cut to fit like copyText, the number kept whole.
void numberedName(char* dest, size_t destSize, const char* prefix, unsigned n);

#endif
