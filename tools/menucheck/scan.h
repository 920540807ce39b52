// The lines of MENU.DAT: which sections and keys it holds and where. The
// menu itself never lists keys (it asks for each by name), so this is what
// finds the keys it will never ask for. Values are read through the menu's
// profile reader, never from here.
#ifndef TOOLS_MENUCHECK_SCAN_H
#define TOOLS_MENUCHECK_SCAN_H

#include <stddef.h>

enum { SCAN_NAME_BYTES = 128 };

struct ScanKey {
    char name[SCAN_NAME_BYTES];  // trimmed, cut to fit
    int line;                    // 1-based
    int hasValue;                // a line with '='
    int comment;                 // a line starting with ';' or '#'
};

struct ScanSection {
    char name[SCAN_NAME_BYTES];  // "" for the lines before the first header
    int line;                    // of its header, 0 for the first
    int firstKey, keyCount;      // into MenuScan::keys
    int sameAs;                  // an earlier section of the same name, or -1
};

struct MenuScan {
    unsigned char* data;
    size_t size;
    ScanSection* sections;
    int sectionCount;
    ScanKey* keys;
    int keyCount;
};

// Reads and scans the file; 0 when it cannot be read (the scan is empty).
int scanMenuFile(const char* hostPath, MenuScan* scan);
// Scans bytes already in memory (the scan keeps no pointer to them).
int scanMenuData(const unsigned char* data, size_t size, MenuScan* scan);
void freeScan(MenuScan* scan);

// The first section so named (ASCII case ignored, as the reader compares),
// or -1.
int findSection(const MenuScan* scan, const char* name);
// The first key so named in that section, or -1.
int findKey(const MenuScan* scan, int section, const char* name);

// Names compared as the profile reader compares them.
bool sameKeyName(const char* a, const char* b);

// Line of the byte at offset (1-based).
int lineAt(const MenuScan* scan, size_t offset);

#endif
