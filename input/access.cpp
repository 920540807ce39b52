// The items of the MenuSurface as a keyboard and a screen reader meet
// them: reading order, places, roles, states, names and default actions,
// read from the same flags and model that painting and hit testing read.
#include "input/access.h"

#include <limits.h>

#include "input/navigation.h"
#include "menu/model.h"
#include "menu/text.h"

// Fixed items by position: the tabs, the slots, then the row of arrows and
// counter from left to right. The command buttons and the exit button follow.
static const signed char fixedOrder[FIXED_ITEMS] = {
    3, 4, 5, 6, 7, 8, 9, 10, 11, 12, CONTROL_PREVIOUS, ITEM_COUNTER, CONTROL_NEXT,
};

// Names of the unlabelled controls, in the menu's language.
static const char previousName[] = "\x91\x4f\x82\xd6";  // 前へ
static const char nextName[] = "\x8e\x9f\x82\xd6";      // 次へ
static const char exitName[] = "\x8f\x49\x97\xb9";      // 終了
static const char pressAction[] = "\x89\x9f\x82\xb7";   // 押す
static const char switchAction[] = "\x90\xd8\x82\xe8\x91\xd6\x82\xa6";  // 切り替え
static const char selectAction[] = "\x91\x49\x91\xf0";  // 選択

enum { FOCUS_INSET = 2 };  // the dotted frame lies on the control's own pixels

static int commandsShown(void)
{
    return commandList ? commandCount : 0;
}

static bool isCommand(int item)
{
    return item >= ITEM_FIRST_COMMAND && item - ITEM_FIRST_COMMAND < commandsShown();
}

static bool isTab(int item)
{
    return item >= CONTROL_FIRST_TAB && item < CONTROL_FIRST_SLOT;
}

static bool isSlot(int item)
{
    return item >= CONTROL_FIRST_SLOT && item < CONTROL_COUNT;
}

int itemCount(void)
{
    return FIXED_ITEMS + commandsShown();
}

int itemAtPosition(int k)
{
    if (k < 0)
        return -1;
    if (k < FIXED_ITEMS - 1)
        return fixedOrder[k];
    k -= FIXED_ITEMS - 1;
    if (k < commandsShown())
        return ITEM_FIRST_COMMAND + k;
    return k == commandsShown() ? CONTROL_EXIT : -1;
}

int positionOfItem(int item)
{
    if (item == CONTROL_EXIT)
        return itemCount() - 1;
    if (isCommand(item))
        return FIXED_ITEMS - 1 + item - ITEM_FIRST_COMMAND;
    for (int k = 0; k < FIXED_ITEMS - 1; k++)
        if (fixedOrder[k] == item)
            return k;
    return -1;
}

bool itemFocusable(int item)
{
    if (item >= 0 && item < CONTROL_COUNT)
        return !controlDisabled[item];
    // A button whose picture failed is not drawn: nothing to show the focus on.
    return isCommand(item) && commandList[item - ITEM_FIRST_COMMAND].picture;
}

bool itemRect(int item, int* x, int* y, int* w, int* h)
{
    if (item >= 0 && item < CONTROL_COUNT) {
        *x = controlPosition[item][0];
        *y = controlPosition[item][1];
        *w = controlSize[item][0];
        *h = controlSize[item][1];
    } else if (item == ITEM_COUNTER) {
        *x = COUNTER_X;
        *y = COUNTER_Y;
        *w = COUNTER_W;
        *h = COUNTER_H;
    } else if (isCommand(item)) {
        const CommandButton* b = &commandList[item - ITEM_FIRST_COMMAND];
        *x = b->x;
        *y = b->y;
        *w = b->width;
        *h = b->height;
    } else {
        return false;
    }
    return true;
}

int itemRole(int item)
{
    if (isTab(item))
        return ITEM_ROLE_PAGETAB;
    if (isSlot(item))
        return ITEM_ROLE_LISTITEM;
    return item == ITEM_COUNTER ? ITEM_ROLE_TEXT : ITEM_ROLE_BUTTON;
}

unsigned itemState(int item)
{
    if (item == ITEM_COUNTER)
        return ITEM_READONLY;
    unsigned state = 0;
    if (item >= 0 && item < CONTROL_COUNT) {
        if (controlDisabled[item])
            state |= ITEM_UNAVAILABLE;
        if (controlPressed[item])
            state |= isTab(item) || isSlot(item) ? ITEM_SELECTED : ITEM_PRESSED;
        if (isTab(item) || isSlot(item))
            state |= ITEM_SELECTABLE;
    } else if (isCommand(item)) {
        if (!commandList[item - ITEM_FIRST_COMMAND].picture)
            state |= ITEM_INVISIBLE;
        if (item - ITEM_FIRST_COMMAND == pressedCommand)
            state |= ITEM_PRESSED;
    }
    if (itemFocusable(item)) {
        state |= ITEM_FOCUSABLE;
        if (item == focusItem && surfaceFocused)
            state |= ITEM_FOCUSED;
    }
    return state;
}

int itemName(int item, char* text, int size)
{
    if (size <= 0)
        return 0;
    const char* name = 0;
    if (isTab(item))
        name = pageTitle[item - CONTROL_FIRST_TAB];
    else if (isSlot(item))
        name = entryCaptionOf(item);
    else if (item == CONTROL_PREVIOUS)
        name = previousName;
    else if (item == CONTROL_NEXT)
        name = nextName;
    else if (item == CONTROL_EXIT)
        name = exitName;
    else if (isCommand(item))
        name = commandList[item - ITEM_FIRST_COMMAND].caption;
    else if (item == ITEM_COUNTER)
        return counterText(text, size);
    copyText(text, (size_t)size, name ? name : "");
    int n = 0;
    while (text[n])
        n++;
    return n;
}

const char* itemAction(int item)
{
    if (isTab(item))
        return switchAction;
    if (isSlot(item))
        return selectAction;
    if ((item >= 0 && item < CONTROL_COUNT) || isCommand(item))
        return pressAction;
    return 0;
}

int itemAt(unsigned px, unsigned py)
{
    int x, y, w, h;
    for (int j = commandsShown() - 1; j >= 0; j--)
        if (itemRect(ITEM_FIRST_COMMAND + j, &x, &y, &w, &h) &&
            commandList[j].picture && insideRect(px, py, x, y, w, h))
            return ITEM_FIRST_COMMAND + j;
    for (int item = 0; item < FIXED_ITEMS; item++)
        if (itemRect(item, &x, &y, &w, &h) && insideRect(px, py, x, y, w, h))
            return item;
    return -1;
}

void focusRect(int item, int* x, int* y, int* w, int* h)
{
    if (!itemRect(item, x, y, w, h)) {
        *x = *y = *w = *h = 0;
        return;
    }
    if (*w > 2 * FOCUS_INSET && *h > 2 * FOCUS_INSET && *x <= INT_MAX - FOCUS_INSET &&
        *y <= INT_MAX - FOCUS_INSET) {
        *x += FOCUS_INSET;
        *y += FOCUS_INSET;
        *w -= 2 * FOCUS_INSET;
        *h -= 2 * FOCUS_INSET;
    }
}
