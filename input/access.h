// What a keyboard or a screen reader reaches on the MenuSurface: every
// item in reading order, with its place, role, state, name and default
// action. Items are the 13 fixed controls (0-12), the page counter and the
// command buttons of the selected entry.
#ifndef INPUT_ACCESS_H
#define INPUT_ACCESS_H

#include "graphics/layout.h"

enum {
    ITEM_COUNTER = CONTROL_COUNT,
    ITEM_FIRST_COMMAND = CONTROL_COUNT + 1,  // command button j is this + j
    FIXED_ITEMS = CONTROL_COUNT + 1,         // all but the command buttons
};

// Roles and states, numbered as Active Accessibility numbers them.
enum {
    ITEM_ROLE_TEXT = 0x29,      // ROLE_SYSTEM_STATICTEXT
    ITEM_ROLE_LISTITEM = 0x22,  // ROLE_SYSTEM_LISTITEM
    ITEM_ROLE_PAGETAB = 0x25,   // ROLE_SYSTEM_PAGETAB
    ITEM_ROLE_BUTTON = 0x2B,    // ROLE_SYSTEM_PUSHBUTTON
};
enum {
    ITEM_UNAVAILABLE = 0x1,
    ITEM_SELECTED = 0x2,
    ITEM_FOCUSED = 0x4,
    ITEM_PRESSED = 0x8,
    ITEM_READONLY = 0x40,
    ITEM_INVISIBLE = 0x8000,
    ITEM_FOCUSABLE = 0x100000,
    ITEM_SELECTABLE = 0x200000,
};

// Items in reading order: tabs, slots, previous arrow, counter, next
// arrow, command buttons, exit button. Position k of itemCount().
int itemCount(void);
int itemAtPosition(int k);       // -1 beyond the end
int positionOfItem(int item);    // -1 for no such item

bool itemFocusable(int item);    // enabled and drawn: Tab stops there
bool itemRect(int item, int* x, int* y, int* w, int* h);
int itemRole(int item);
unsigned itemState(int item);
// The item's name in Shift-JIS into text; returns its length (0: none).
int itemName(int item, char* text, int size);
// The name of what a click on the item does, Shift-JIS, or null.
const char* itemAction(int item);
// Topmost item under the point, as painted: command buttons over the
// fixed controls and the counter; -1 for none.
int itemAt(unsigned px, unsigned py);

// Where the focus rectangle of an item goes.
void focusRect(int item, int* x, int* y, int* w, int* h);

#endif
