// The MenuSurface: the 640x480 child that carries the menu. Loading waits
// for its first paint, so the window is on screen, black, before anything
// is read.
#include <windows.h>

#include "graphics/draw.h"
#include "graphics/layout.h"
#include "input/access_win32.h"
#include "input/navigation.h"
#include "launch/cleanup.h"
#include "menu/model.h"
#include "resources/resource.h"
#include "shell/shell.h"

const BYTE* clickSound;  // the locked WAVE resource "CLICK"

static int firstPaintPending;  // from WM_CREATE to the first WM_PAINT
static int menuLoading;        // from the first WM_PAINT to MSG_SHOWMENU

// Resource handles kept for FreeResource at teardown, in release order.
enum { RES_CLICK, RES_BACKGROUND, RES_NAV, RES_TAB, RES_ENTRY, RES_BUTTON,
       RES_COUNTER, RES_COUNT };
static HGLOBAL resourceHandles[RES_COUNT];

static const void* lockResource(int slot, LPCSTR name, LPCSTR type)
{
    HRSRC found = FindResourceA(appInstance, name, type);
    resourceHandles[slot] = found ? LoadResource(appInstance, found) : NULL;
    return resourceHandles[slot] ? LockResource(resourceHandles[slot]) : NULL;
}

static PackedDib lockPicture(int slot, int id)
{
    return (PackedDib)lockResource(slot, MAKEINTRESOURCEA(id), (LPCSTR)RT_BITMAP);
}

void loadSurface(void)
{
    clickSound = (const BYTE*)lockResource(RES_CLICK, "CLICK", "WAVE");
    backgroundPicture = lockPicture(RES_BACKGROUND, IDB_BACKGROUND);
    if (displayBits == 8)
        menuPalette = createDibPalette(backgroundPicture);
    navStrip = lockPicture(RES_NAV, IDB_NAVSTRIP);
    tabStrip = lockPicture(RES_TAB, IDB_TABSTRIP);
    entryStrip = lockPicture(RES_ENTRY, IDB_ENTRYSTRIP);
    for (int i = 0; i < CONTROL_COUNT; i++) {
        controlDisabled[i] = 1;
        controlPressed[i] = 0;
    }
    for (int i = 0; i < CONTROL_COUNT; i++)
        controlStrip[i] = i < CONTROL_FIRST_TAB ? navStrip
                        : i < CONTROL_FIRST_SLOT ? tabStrip : entryStrip;
    controlDisabled[CONTROL_EXIT] = 0;
    defaultButtonPicture = lockPicture(RES_BUTTON, IDB_DEFAULTBUTTON);
    counterPicture = lockPicture(RES_COUNTER, IDB_COUNTER);
    loadDecorations("Menu");
    loadPages();
}

void releaseSurface(void)
{
    freeDecorations();
    freeCommands();
    freeEntries();
    for (int slot = 0; slot < RES_COUNT; slot++) {
        if (resourceHandles[slot])
            FreeResource(resourceHandles[slot]);
        resourceHandles[slot] = NULL;
    }
    if (menuPalette) {
        DeleteObject(menuPalette);
        menuPalette = NULL;
    }
    closeLaunchedPrograms();
}

static void onPaint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (firstPaintPending) {
        PostMessageA(window, MSG_LOADMENU, 0, 0);
        firstPaintPending = 0;
        menuLoading = 1;
    } else if (!menuLoading) {
        paintMenu(dc);
    }
    EndPaint(window, &ps);
}

static void onButton(HWND window, UINT message, LPARAM lParam)
{
    if (firstPaintPending || menuLoading)
        return;
    // Unsigned words: a point left of or above the window under capture
    // becomes large and hits nothing.
    unsigned x = LOWORD(lParam);
    unsigned y = HIWORD(lParam);
    if (message == WM_LBUTTONDOWN)
        onPointerDown(window, x, y);
    else
        onPointerUp(window, x, y);
}

// Keys reach the menu as buttons do: not before it has loaded.
static bool onKey(HWND window, UINT message, WPARAM key, LPARAM lParam)
{
    if (firstPaintPending || menuLoading)
        return true;
    if (message == WM_KEYUP)
        return onKeyUp(window, (unsigned)key);
    bool repeat = (lParam & 0x40000000) != 0;  // the key was already down
    return onKeyDown(window, (unsigned)key, GetKeyState(VK_SHIFT) < 0, repeat);
}

LRESULT CALLBACK surfaceWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        firstPaintPending = 1;
        return 0;
    case WM_DESTROY:
        releaseSurface();
        return 0;
    case WM_PAINT:
        onPaint(window);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        onButton(window, message, lParam);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (onKey(window, message, wParam, lParam))
            return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        onFocusChange(window, message == WM_SETFOCUS);
        return 0;
    case WM_GETOBJECT: {
        // Before loading, the flags say nothing yet: the system answers.
        LRESULT result;
        if (!firstPaintPending && !menuLoading && answerGetObject(window, wParam, lParam, &result))
            return result;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    case MSG_ACTIVATE:
        if (!firstPaintPending && !menuLoading)
            activateItem(window, (int)wParam);
        return 0;
    case MSG_LOADMENU:
        loadSurface();
        PostMessageA(window, MSG_SHOWMENU, 0, 0);
        return 0;
    case MSG_SHOWMENU:
        menuLoading = 0;
        InvalidateRect(window, NULL, TRUE);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
