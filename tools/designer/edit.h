// The menu as the designer edits it: pages, entries, command buttons and
// decorations over a MenuDocument, with the numbered keys kept without gaps
// (a gap would end a list) and the limits where the menu would cut a text.
// Values are Shift-JIS bytes, as they stand in the file.
#ifndef TOOLS_DESIGNER_EDIT_H
#define TOOLS_DESIGNER_EDIT_H

#include <string>
#include <vector>

#include "tools/designer/document.h"

// The main section, where the pages and the start screen's pictures are.
extern const char mainSection[];  // "MENU"

// How many pages (at most five), entries, buttons or decorations the menu
// reads: numbered keys from 1 up to the first missing or empty one.
int countPages(MenuDocument* doc);
int countEntries(MenuDocument* doc, int page);
int countButtons(MenuDocument* doc, const std::string& section);
int countDecorations(MenuDocument* doc, const std::string& section);

// Section names as the menu holds them (39 bytes at most); "" for none.
std::string pageSectionOf(MenuDocument* doc, int page);
std::string entrySectionOf(MenuDocument* doc, int page, int entry);
// The section holding the buttons and decorations at a place: the entry's,
// or the main section on the start screen; "" when there is none.
std::string itemSectionOf(MenuDocument* doc, const DesignPlace& place);

// Whether a section header of that name (ASCII case ignored) exists.
bool sectionExists(MenuDocument* doc, const std::string& name);

// --- Changes: each is one step of undo. before is where the designer was;
// *place (when given) receives where it is after the change. False when
// nothing could be done (no room for a sixth page, no such item).

bool addPage(MenuDocument* doc, const DesignPlace& before, const char* title, DesignPlace* place);
bool addEntry(MenuDocument* doc, const DesignPlace& before, const char* title,
              DesignPlace* place);
bool addButton(MenuDocument* doc, const DesignPlace& before, const char* caption,
               DesignPlace* place);
bool addDecoration(MenuDocument* doc, const DesignPlace& before, const char* file,
                   DesignPlace* place);

// Deletes the page, entry, button or decoration named by before; the items
// after it move down one number. A page's or entry's section goes too when
// nothing names it any more.
bool deleteItem(MenuDocument* doc, const DesignPlace& before, DesignPlace* place);
// Swaps the item with its neighbour (delta -1 or +1).
bool moveItem(MenuDocument* doc, const DesignPlace& before, int delta, DesignPlace* place);

// Fields of a value, split at commas exactly as written (no blanks taken off).
std::vector<std::string> splitFields(const std::string& value);
std::string joinFields(const std::vector<std::string>& fields);

enum Field {
    FIELD_TITLE = 1,         // Title of the page or entry
    FIELD_CAPTION,           // field 0 of Command%d
    FIELD_COMMAND,           // field 1 of Command%d
    FIELD_BUTTON_PICTURE,    // BtnBmp%d
    FIELD_COLOUR,            // BtnTextCol%d
    FIELD_POSITION,          // BtnPos%d, or fields 1 and 2 of Bmp%d
    FIELD_DECORATION_PICTURE // field 0 of Bmp%d
};

// The text of a field as the file has it (trimmed as the menu trims it).
std::string fieldText(MenuDocument* doc, const DesignPlace& place, Field field);

// Writes a field; an empty text removes the key where the menu then takes
// its default (BtnBmp%d, BtnTextCol%d, BtnPos%d). Changes of one field of
// one item made in a row are one step of undo.
bool setField(MenuDocument* doc, const DesignPlace& place, Field field, const std::string& text);
// A button's BtnPos%d or a decoration's x and y: offsets from the
// ContentArea's origin. merge 0 makes a step of its own (a drag); the
// arrow keys merge.
bool setPosition(MenuDocument* doc, const DesignPlace& place, int x, int y, bool merge);
// One coordinate (axis 0: x, 1: y) as typed: the other keeps its text as
// the file has it; a button without BtnPos%d gets other for it.
bool setCoordinate(MenuDocument* doc, const DesignPlace& place, int axis, int value, int other);
// Caption colour as 0x00BBGGRR.
bool setColour(MenuDocument* doc, const DesignPlace& place, unsigned colour);

// Why a text cannot go into a field as it is.
enum TextProblem {
    TEXT_OK,
    TEXT_TOO_LONG,   // the menu would cut it (limit in *limit)
    TEXT_COMMA,      // a comma would end the field
    TEXT_CONTROL,    // a control character (line break, tab)
    TEXT_NOT_NUMBER,
};
// Checks a Shift-JIS text for a field of the item at place, counting the
// other fields of the same value as the file has them.
TextProblem fieldProblem(MenuDocument* doc, const DesignPlace& place, Field field,
                         const std::string& text, int* limit);

// The place a checker finding names ("[SECTION] Key", UTF-8); false when
// it names no page or entry of the menu.
bool placeOfFinding(MenuDocument* doc, const char* where, DesignPlace* place);

// Keys the profile reader, asked for the copy at path, reads differently
// from this document: their lines in the file.
std::vector<int> readerDifferences(MenuDocument* doc, const char* path);

#endif
