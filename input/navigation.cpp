// Presses and releases on the MenuSurface: hit testing, the pressed and
// selected states, page and entry selection and group movement. What is
// drawn, sounded or started goes through input/view.h.
#include "input/navigation.h"

#include "graphics/layout.h"
#include "menu/model.h"

int pressedControl = -1;
int pressedCommand = -1;
int pointerCaptured;

void resetPointer(void)
{
    pressedControl = -1;
    pressedCommand = -1;
    pointerCaptured = 0;
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

void onPointerDown(SurfaceWindow window, unsigned px, unsigned py)
{
    int flags = SOUND_SYNC;
    int i = hitControl(px, py);
    if (i >= 0) {
        if (i != CONTROL_EXIT)
            flags = SOUND_ASYNC;
        if (i >= CONTROL_FIRST_TAB && i < CONTROL_FIRST_SLOT) {
            viewPlayClick(flags);
            if (!controlPressed[i])
                selectPage(window, i);
        } else if (i >= CONTROL_FIRST_SLOT) {
            viewPlayClick(flags);
            if (!controlPressed[i])
                selectEntry(window, i);
        } else {
            viewCapture(window);
            pointerCaptured = 1;
            pressedControl = i;
            controlPressed[i] = 1;
            viewDrawControl(window, i);
            viewPlayClick(flags);  // the exit button's click ends before closing
        }
    }
    // The buttons of the list just loaded, if a selection replaced it.
    int j = hitCommand(px, py);
    if (j >= 0) {
        viewPlayClick(flags | 1);
        viewCapture(window);
        pressedCommand = j;
        pointerCaptured = 1;
        viewDrawCommand(window, j);
    }
}

void onPointerUp(SurfaceWindow window, unsigned px, unsigned py)
{
    if (pointerCaptured)
        viewReleaseCapture();
    pointerCaptured = 0;

    int c = pressedControl;
    pressedControl = -1;
    if (c >= 0) {
        controlPressed[c] = 0;
        viewDrawControl(window, c);
        if (insideControl(c, px, py)) {
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
        if (insideCommand(j, px, py))
            viewLaunch(window, j);
    }
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
