// Presses and releases on the MenuSurface: hit testing, the pressed and
// selected states, page and entry selection and group movement. What is
// drawn, sounded or started goes through input/view.h.
#include "input/navigation.h"

#include "graphics/layout.h"
#include "input/access.h"
#include "menu/model.h"

int pressedControl = -1;
int pressedCommand = -1;
int pointerCaptured;
int focusItem = -1;
int focusShown;
int surfaceFocused;
static unsigned heldKey;  // the key whose press holds a control or button

void resetPointer(void)
{
    pressedControl = -1;
    pressedCommand = -1;
    pointerCaptured = 0;
    heldKey = 0;
    focusItem = -1;
    focusShown = 0;
    surfaceFocused = 0;
}

static bool insideControl(int i, unsigned px, unsigned py)
{
    return insideRect(px, py, controlPosition[i][0], controlPosition[i][1],
                      controlSize[i][0], controlSize[i][1]);
}

static bool insideCommand(int j, unsigned px, unsigned py)
{
    const CommandButton* b = &commandList[j];
    return insideRect(px, py, b->x, b->y, b->width, b->height);
}

int hitControl(unsigned px, unsigned py)
{
    for (int i = 0; i < CONTROL_COUNT; i++)
        if (!controlDisabled[i] && insideControl(i, px, py))
            return i;
    return -1;
}

int hitCommand(unsigned px, unsigned py)
{
    if (!commandList)
        return -1;
    for (int j = 0; j < commandCount; j++)
        if (insideCommand(j, px, py))
            return j;
    return -1;
}

static bool isTab(int i)
{
    return i >= CONTROL_FIRST_TAB && i < CONTROL_FIRST_SLOT;
}

// What a press on an enabled fixed control does, from the pointer
// (capturing it) or from a key. Tabs and slots act at once; the exit button
// and the arrows are held until the release.
static void pressControl(SurfaceWindow window, int i, bool capture)
{
    int flags = i == CONTROL_EXIT ? SOUND_SYNC : SOUND_ASYNC;
    if (i >= CONTROL_FIRST_TAB) {
        viewPlayClick(flags);
        if (!controlPressed[i]) {
            if (isTab(i))
                selectPage(window, i);
            else
                selectEntry(window, i);
        }
        return;
    }
    if (capture) {
        viewCapture(window);
        pointerCaptured = 1;
    }
    pressedControl = i;
    controlPressed[i] = 1;
    viewDrawControl(window, i);
    viewPlayClick(flags);  // the exit button's click ends before closing
}

static void pressCommand(SurfaceWindow window, int j, bool capture)
{
    viewPlayClick(SOUND_ASYNC);
    if (capture)
        viewCapture(window);
    pressedCommand = j;
    if (capture)
        pointerCaptured = 1;
    viewDrawCommand(window, j);
}

// How a release decides whether the held control or button acts.
enum { RELEASE_AT_POINT, RELEASE_ACT, RELEASE_CANCEL };

static bool releaseActs(int mode, bool inside)
{
    return mode == RELEASE_ACT || (mode == RELEASE_AT_POINT && inside);
}

// Control first, command second, even when one press held both.
static void releaseHeld(SurfaceWindow window, int mode, unsigned px, unsigned py)
{
    int c = pressedControl;
    pressedControl = -1;
    if (c >= 0) {
        controlPressed[c] = 0;
        viewDrawControl(window, c);
        if (releaseActs(mode, insideControl(c, px, py))) {
            if (c == CONTROL_EXIT)
                viewCloseFrame(window);
            else
                moveSubPage(window, c);
        }
    }

    int j = pressedCommand;
    pressedCommand = -1;
    // A group move above may have replaced the list: an index beyond the
    // new one does nothing.
    if (j >= 0 && commandList && j < commandCount) {
        viewDrawCommand(window, j);
        if (releaseActs(mode, insideCommand(j, px, py)))
            viewLaunch(window, j);
    }
}

// --- Keyboard focus ---------------------------------------------------------


static void drawItem(SurfaceWindow window, int item)
{
    if (item >= 0 && item < CONTROL_COUNT)
        viewDrawControl(window, item);
    else if (item >= ITEM_FIRST_COMMAND)
        viewDrawCommand(window, item - ITEM_FIRST_COMMAND);
}

bool focusRectShown(int item)
{
    return focusShown && surfaceFocused && item == focusItem && itemFocusable(item);
}

static void moveFocus(SurfaceWindow window, int item)
{
    int old = focusItem;
    focusItem = item;
    if (old != item)
        drawItem(window, old);
    drawItem(window, item);
    viewAnnounce(window, ANNOUNCE_FOCUS, item);
}

void setFocusItem(SurfaceWindow window, int item)
{
    if (itemFocusable(item))
        moveFocus(window, item);
}

static void showFocus(SurfaceWindow window)
{
    if (!focusShown) {
        focusShown = 1;
        drawItem(window, focusItem);
    }
}

static void hideFocus(SurfaceWindow window)
{
    if (focusShown) {
        focusShown = 0;
        drawItem(window, focusItem);
    }
}

// The next focusable item after from in reading order (step 1) or before
// it (step -1), around the end; from -1 starts at the first or the last.
static int stepFocus(int from, int step)
{
    int n = itemCount();
    int k = positionOfItem(from);
    if (k < 0)
        k = step > 0 ? -1 : n;
    for (int tries = 0; tries < n; tries++) {
        k += step;
        if (k < 0)
            k = n - 1;
        else if (k >= n)
            k = 0;
        if (itemFocusable(itemAtPosition(k)))
            return itemAtPosition(k);
    }
    return -1;
}

// Left/Right among the tabs, Up/Down among the slots: the nearest
// focusable one in that direction, no wrapping.
static int stepWithin(int from, int step, int first, int end)
{
    if (from < first || from >= end)
        return -1;
    for (int i = from + step; i >= first && i < end; i += step)
        if (itemFocusable(i))
            return i;
    return -1;
}

// A focus left on what can no longer be reached goes where the change put
// the person: the selected slot, else the selected tab, else the next stop.
static void keepFocus(SurfaceWindow window)
{
    if (focusItem < 0 || itemFocusable(focusItem))
        return;
    int to = -1;
    for (int i = CONTROL_COUNT - 1; i >= CONTROL_FIRST_TAB && to < 0; i--)
        if (controlPressed[i] && itemFocusable(i))
            to = i;
    if (to < 0)
        to = stepFocus(focusItem, 1);
    if (to >= 0)
        moveFocus(window, to);
}

static void pressItem(SurfaceWindow window, int item)
{
    if (item >= 0 && item < CONTROL_COUNT)
        pressControl(window, item, false);
    else
        pressCommand(window, item - ITEM_FIRST_COMMAND, false);
}

bool onKeyDown(SurfaceWindow window, unsigned key, bool shift, bool repeat)
{
    int to = -1;
    switch (key) {
    case KEY_TAB:
        to = stepFocus(focusItem, shift ? -1 : 1);
        break;
    case KEY_LEFT:
    case KEY_RIGHT:
        to = stepWithin(focusItem, key == KEY_LEFT ? -1 : 1, CONTROL_FIRST_TAB,
                        CONTROL_FIRST_SLOT);
        break;
    case KEY_UP:
    case KEY_DOWN:
        to = stepWithin(focusItem, key == KEY_UP ? -1 : 1, CONTROL_FIRST_SLOT, CONTROL_COUNT);
        break;
    case KEY_RETURN:
    case KEY_SPACE:
        break;
    default:
        return false;
    }
    // Nothing moves while a press is held, by a key or by the pointer.
    if (heldKey || pressedControl >= 0 || pressedCommand >= 0)
        return true;
    showFocus(window);
    if (key == KEY_RETURN || key == KEY_SPACE) {
        if (repeat || !itemFocusable(focusItem))
            return true;
        pressItem(window, focusItem);
        if (pressedControl >= 0 || pressedCommand >= 0)
            heldKey = key;
    } else if (to >= 0) {
        moveFocus(window, to);
    }
    keepFocus(window);
    return true;
}

bool onKeyUp(SurfaceWindow window, unsigned key)
{
    if (!heldKey || key != heldKey)
        return key == KEY_RETURN || key == KEY_SPACE;
    heldKey = 0;
    releaseHeld(window, RELEASE_ACT, 0, 0);
    keepFocus(window);
    return true;
}

// A press held by a key is let go without acting.
static void cancelKeyPress(SurfaceWindow window)
{
    if (heldKey) {
        heldKey = 0;
        releaseHeld(window, RELEASE_CANCEL, 0, 0);
    }
}

void onFocusChange(SurfaceWindow window, bool focused)
{
    surfaceFocused = focused ? 1 : 0;
    if (!focused)
        cancelKeyPress(window);
    if (focusShown)
        drawItem(window, focusItem);
}

void activateItem(SurfaceWindow window, int item)
{
    if (heldKey || pressedControl >= 0 || pressedCommand >= 0 || !itemFocusable(item))
        return;
    pressItem(window, item);
    releaseHeld(window, RELEASE_ACT, 0, 0);
}

// --- Pointer ----------------------------------------------------------------

void onPointerDown(SurfaceWindow window, unsigned px, unsigned py)
{
    cancelKeyPress(window);
    hideFocus(window);
    int i = hitControl(px, py);
    if (i >= 0)
        pressControl(window, i, true);
    // The buttons of the list just loaded, if a selection replaced it.
    int j = hitCommand(px, py);
    if (j >= 0)
        pressCommand(window, j, true);
}

void onPointerUp(SurfaceWindow window, unsigned px, unsigned py)
{
    if (pointerCaptured)
        viewReleaseCapture();
    pointerCaptured = 0;
    if (!heldKey)
        releaseHeld(window, RELEASE_AT_POINT, px, py);
}

void selectPage(SurfaceWindow window, int t)
{
    if (controlDisabled[t])
        return;
    void* previous = viewWaitCursor();
    viewOpen(window);
    for (int k = CONTROL_FIRST_TAB; k < CONTROL_FIRST_SLOT; k++) {
        if (k != t && controlPressed[k]) {
            controlPressed[k] = 0;
            viewDrawControl(window, k);
        }
    }
    controlPressed[t] = 1;
    viewDrawControl(window, t);
    viewAnnounce(window, ANNOUNCE_SELECTION, t);

    freeEntries();
    loadEntries(t - CONTROL_FIRST_TAB);

    viewDrawControl(window, t);
    for (int k = CONTROL_FIRST_SLOT; k < CONTROL_COUNT; k++)
        viewDrawControl(window, k);
    viewDrawControl(window, CONTROL_NEXT);
    viewDrawControl(window, CONTROL_PREVIOUS);
    viewDrawCounter(window);
    viewClose(window);

    selectEntry(window, CONTROL_FIRST_SLOT);
    viewRestoreCursor(previous);
}

void selectEntry(SurfaceWindow window, int s)
{
    void* previous = viewWaitCursor();
    viewOpen(window);
    for (int k = CONTROL_FIRST_SLOT; k < CONTROL_COUNT; k++) {
        if (k != s && controlPressed[k]) {
            controlPressed[k] = 0;
            viewDrawControl(window, k);
        }
    }
    controlPressed[s] = 1;
    viewDrawControl(window, s);
    viewClose(window);
    viewAnnounce(window, ANNOUNCE_SELECTION, s);

    freeDecorations();
    freeCommands();
    long long e = (long long)subPage * 5 + (s - CONTROL_FIRST_SLOT);
    if (e >= 0 && e < entryCount) {
        loadCommands(entrySection[e]);
        loadDecorations(entrySection[e]);
    }
    viewInvalidateContent(window);
    viewRestoreCursor(previous);
}

void moveSubPage(SurfaceWindow window, int a)
{
    if (controlDisabled[a])
        return;
    viewOpen(window);
    subPage += a == CONTROL_NEXT ? 1 : -1;
    controlDisabled[CONTROL_PREVIOUS] = subPage == 0 ? 1 : 0;
    controlDisabled[CONTROL_NEXT] = subPage == subPageCount - 1 ? 1 : 0;
    viewDrawControl(window, CONTROL_NEXT);
    viewDrawControl(window, CONTROL_PREVIOUS);
    viewDrawCounter(window);
    for (int k = CONTROL_FIRST_SLOT; k < CONTROL_COUNT; k++) {
        controlPressed[k] = k == CONTROL_FIRST_SLOT ? 1 : 0;
        long long e = (long long)subPage * 5 + (k - CONTROL_FIRST_SLOT);
        controlDisabled[k] = e >= entryCount ? 1 : 0;
        viewDrawControl(window, k);
    }
    viewClose(window);
    selectEntry(window, CONTROL_FIRST_SLOT);
}
