// Copying a button, a decoration or an entry with everything the menu reads
// of it, and putting the copy in as a new item: numbered after the last one
// of its list, so the list stays without gaps, in one step of undo.
#ifndef TOOLS_DESIGNER_CLIPBOARD_H
#define TOOLS_DESIGNER_CLIPBOARD_H

#include <string>
#include <vector>

#include "tools/designer/document.h"

struct ItemCopy {
    int kind;  // PLACE_BUTTON, PLACE_DECORATION or PLACE_ENTRY; PLACE_START: empty
    // A button: Command, BtnPos, BtnBmp, BtnTextCol ("" for a key it lacks).
    // A decoration: Bmp. An entry: its Title.
    std::vector<std::string> values;
    std::vector<ItemCopy> buttons, decorations;  // an entry's
};

// What the menu reads of the item at place; kind PLACE_START when there is
// nothing to copy there.
ItemCopy copyItem(MenuDocument* doc, const DesignPlace& place);

// Puts the copy in at before: a button or decoration into the entry shown
// (a decoration also onto the start screen), an entry into the page shown.
// shift moves a pasted button's or decoration's written position (a button
// at its default place gets at, an offset, when given). False when it has
// no place there.
bool pasteItem(MenuDocument* doc, const DesignPlace& before, const ItemCopy& copy, int shiftX,
               int shiftY, const int* at, DesignPlace* place);

#endif
