// A MENU.DAT being edited: its bytes exactly as they will be saved. Every
// change goes through the profile rewriter of the menu's own reader
// (menu/ini.h), so the lines a change does not touch stay byte for byte:
// comments, blank lines, key order, keys nobody here knows. Each change is
// kept as the one span of bytes it replaced, for undo and redo.
#ifndef TOOLS_DESIGNER_DOCUMENT_H
#define TOOLS_DESIGNER_DOCUMENT_H

#include <stddef.h>

#include <string>
#include <vector>

struct IniIndex;

// What the designer shows and has selected; undo and redo go back to the
// place of the change they take back or make again.
enum PlaceKind { PLACE_START, PLACE_PAGE, PLACE_ENTRY, PLACE_BUTTON, PLACE_DECORATION };

struct DesignPlace {
    int kind;   // PlaceKind
    int page;   // 0-4; -1 on the start screen
    int entry;  // index in the page's list of entries; -1 for none
    int item;   // button or decoration index; -1 for none
};

DesignPlace startPlace(void);

struct DocStep {
    size_t at;              // first byte the change touched
    std::string removed;    // the bytes there before it
    std::string inserted;   // the bytes there after it
    DesignPlace before, after;
    int merge;              // changes of one field made in a row merge; 0: never
    int label;              // what the change is called, for Undo and Redo
};

struct MenuDocument {
    std::string data;       // the bytes as they will be saved
    std::string saved;      // the bytes last read from or written to disk
    std::vector<DocStep> undo, redo;
    int depth;              // docBegin calls not yet ended
    std::string start;      // data at the outermost docBegin
    DesignPlace startPlace;
    int merge;
    IniIndex* index;        // lookups over data; null until one is made
    int label;              // given to the next step; set by whoever makes it
};

enum { UNDO_STEPS = 1000 };  // oldest steps are forgotten beyond this

void docOpen(MenuDocument* doc, const char* bytes, size_t size);
void docClose(MenuDocument* doc);
bool docChanged(const MenuDocument* doc);  // differs from what is on disk
void docMarkSaved(MenuDocument* doc);
// The file as it is on disk now, read again: one change that Undo takes
// back, and what is saved.
void docReload(MenuDocument* doc, const char* bytes, size_t size, const DesignPlace& place);

// One change, however many keys it rewrites, is made between docBegin and
// docEnd. A change whose merge key equals that of the last one, with
// nothing saved or undone in between, becomes part of it (typing).
void docBegin(MenuDocument* doc, const DesignPlace& place, int merge);
void docEnd(MenuDocument* doc, const DesignPlace& place);

// The line break of every line a change adds.
extern const char newLineBreak[];  // CR LF

// The value the profile reader gives for the key (blanks and one pair of
// quotation marks taken off), whole; "" when there is none.
std::string docRead(MenuDocument* doc, const char* section, const char* key);
// Sets the key as WriteProfileStringA would (a null value deletes it).
void docWrite(MenuDocument* doc, const char* section, const char* key, const char* value);
void docDeleteSection(MenuDocument* doc, const char* section);
// Renames the key where its line stands (nothing when it is not there).
void docRename(MenuDocument* doc, const char* section, const char* key, const char* newKey);

// Takes back or makes again one change; false when there is none. place
// receives where it was made.
bool docUndo(MenuDocument* doc, DesignPlace* place);
bool docRedo(MenuDocument* doc, DesignPlace* place);

#endif
