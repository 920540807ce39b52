// The menu model: what of MENU.DAT is on screen. Pages are read once at
// start; the entries of the selected page and the command buttons and
// decorations of the selected entry are read again at every selection.
#ifndef MENU_MODEL_H
#define MENU_MODEL_H

#include "graphics/dib.h"

enum {
    PAGE_SLOTS = 5,
    NAME_BYTES = 40,      // section names, titles, captions
    COMMAND_BYTES = 160,  // command lines
    PICTURE_VALUE_BYTES = 80,       // BtnBmp%d, Bmp%d
    BUTTON_FILE_BYTES = NAME_BYTES,  // the file name of BtnBmp%d
    // A decoration's file name may take the whole value of Bmp%d.
    DECORATION_FILE_BYTES = PICTURE_VALUE_BYTES,
};

struct CommandButton {
    PackedDib picture;   // left half normal, right half pressed; null: none
    int x, y;            // top-left corner on the MenuSurface
    int width, height;
    unsigned textColour;  // 0x00BBGGRR
    char caption[NAME_BYTES];
    char commandLine[COMMAND_BYTES];
};

struct DecorationPos {
    int x, y;
};

// PageTable
extern char pageSection[PAGE_SLOTS][NAME_BYTES];
extern char pageTitle[PAGE_SLOTS][NAME_BYTES];

// EntryList
extern char (*entrySection)[NAME_BYTES];
extern char (*entryTitle)[NAME_BYTES];
extern int entryCount;    // 0 while no page is loaded
extern int subPage;       // group of five shown; -1 while no page is loaded
extern int subPageCount;  // (entryCount + 4) / 5; -1 while no page is loaded

// CommandList
extern CommandButton* commandList;  // null while nothing is loaded
extern int commandCount;

// DecorationList
extern PackedDib* decorationPictures;
extern DecorationPos* decorationPositions;
extern int decorationCount;

// Default places of command buttons: three columns, the last row at y 449.
extern const int defaultButtonColumns[3][2];
extern const int defaultButtonSize[2];  // 124 x 32

void loadPages(void);
void loadEntries(int page);  // page 0-4
void freeEntries(void);
void loadCommands(const char* section);
void freeCommands(void);
void loadDecorations(const char* section);
void freeDecorations(void);

// Default place of button i of n (no BtnPos): x, y on the MenuSurface.
void defaultButtonPlace(int i, int n, int* x, int* y);

#endif
