// The picture: the menu painted by the menu's own paintMenu from the menu's
// own model, reached by the menu's own navigation (selectPage, selectEntry,
// moveSubPage); over it the selection and, while dragging, the offset.
#include <windows.h>
#include <windowsx.h>

#include "graphics/draw.h"
#include "graphics/layout.h"
#include "input/navigation.h"
#include "menu/model.h"
#include "shell/shell.h"
#include "tools/designer/designer.h"
#include "tools/designer/edit.h"

static const wchar_t canvasClass[] = L"MenuEditCanvas";

static bool menuShown;       // the model is read and painted
static bool dragging;        // a press on a button or picture, until release
static bool moved;           // the press has moved past the drag threshold
static POINT dragFrom;       // where the press was
static POINT itemFrom;       // the item's place on the surface then
static POINT itemNow;        // and now

// --- Reading and navigating ------------------------------------------------------------

static int enabledTabs(void)
{
    int n = 0;
    while (n < PAGE_SLOTS && !controlDisabled[CONTROL_FIRST_TAB + n])
        n++;
    return n;
}

void showPlace(void)
{
    if (folder.empty()) {
        menuShown = false;
        InvalidateRect(canvasWindow, 0, FALSE);
        refreshPanel();
        return;
    }
    if (!writeWorkingCopy())
        setStatus(say(T_TEMP_FAILED));
    // As the menu starts: built-in pictures, flags, the start screen's
    // pictures and the pages, read through the system's profile reader.
    releaseSurface();
    loadSurface();
    menuShown = true;
    int pages = enabledTabs();
    if (place.page >= pages)
        place = pages > 0 ? DesignPlace{PLACE_PAGE, pages - 1, -1, -1} : startPlace();
    if (place.page < 0) {
        if (place.kind != PLACE_DECORATION || place.item >= decorationCount)
            place = startPlace();
    } else {
        // The menu's own way there: the tab, then the arrows, then the slot.
        selectPage(sinkWindow, CONTROL_FIRST_TAB + place.page);
        if (entryCount == 0) {
            place.entry = -1;
            if (place.kind != PLACE_PAGE)
                place.kind = PLACE_PAGE;
        } else {
            if (place.entry < 0)
                place.entry = 0;
            if (place.entry >= entryCount)
                place.entry = entryCount - 1;
            for (int g = 0; g < place.entry / 5 && !controlDisabled[CONTROL_NEXT]; g++)
                moveSubPage(sinkWindow, CONTROL_NEXT);
            if (place.entry % 5)
                selectEntry(sinkWindow, CONTROL_FIRST_SLOT + place.entry % 5);
        }
        if ((place.kind == PLACE_BUTTON && place.item >= commandCount) ||
            (place.kind == PLACE_DECORATION && place.item >= decorationCount)) {
            place.kind = PLACE_ENTRY;
            place.item = -1;
        }
    }
    dragging = false;
    InvalidateRect(canvasWindow, 0, FALSE);
    refreshPanel();
}

// A click that only changes what is shown: the menu's navigation on the
// model as it is, nothing read again but what the menu reads.
static void navigate(int control)
{
    if (control >= CONTROL_FIRST_TAB && control < CONTROL_FIRST_SLOT) {
        int page = control - CONTROL_FIRST_TAB;
        if (page == place.page) {
            place.kind = PLACE_PAGE;
            place.item = -1;
        } else {
            selectPage(sinkWindow, control);
            place = DesignPlace{PLACE_PAGE, page, entryCount > 0 ? 0 : -1, -1};
        }
    } else if (control >= CONTROL_FIRST_SLOT) {
        if (!controlPressed[control])
            selectEntry(sinkWindow, control);
        place = DesignPlace{PLACE_ENTRY, place.page, subPage * 5 + control - CONTROL_FIRST_SLOT, -1};
    } else if (control == CONTROL_PREVIOUS || control == CONTROL_NEXT) {
        moveSubPage(sinkWindow, control);
        place = DesignPlace{PLACE_ENTRY, place.page, subPage * 5, -1};
    } else {
        return;  // the exit button closes the menu, not the designer
    }
    setStatus(say(T_STATUS_READY));
    InvalidateRect(canvasWindow, 0, FALSE);
    refreshPanel();
}

// --- Hit tests: what is drawn on top is found first ------------------------------------

static int buttonAt(int x, int y)
{
    for (int j = commandCount - 1; j >= 0; j--) {
        const CommandButton* b = &commandList[j];
        if (insideRect(x, y, b->x, b->y, b->width, b->height))
            return j;
    }
    return -1;
}

static int decorationAt(int x, int y)
{
    for (int k = decorationCount - 1; k >= 0; k--) {
        PackedDib picture = decorationPictures[k];
        if (picture && insideRect(x, y, decorationPositions[k].x, decorationPositions[k].y,
                                  (int)dibWidth(picture), (int)dibHeight(picture)))
            return k;
    }
    return -1;
}

// The selected button or picture; a selected tab or slot is already drawn
// pressed by the menu itself.
static bool selectedRect(RECT* r)
{
    int x, y, w, h;
    if (place.kind == PLACE_BUTTON && place.item < commandCount) {
        const CommandButton* b = &commandList[place.item];
        x = dragging && moved ? itemNow.x : b->x;
        y = dragging && moved ? itemNow.y : b->y;
        w = b->width;
        h = b->height;
    } else if (place.kind == PLACE_DECORATION && place.item < decorationCount) {
        PackedDib picture = decorationPictures[place.item];
        x = dragging && moved ? itemNow.x : decorationPositions[place.item].x;
        y = dragging && moved ? itemNow.y : decorationPositions[place.item].y;
        w = picture ? (int)dibWidth(picture) : 16;
        h = picture ? (int)dibHeight(picture) : 16;
    } else {
        return false;
    }
    SetRect(r, x, y, x + w, y + h);
    return true;
}

static POINT itemPlace(void)
{
    POINT p = {0, 0};
    if (place.kind == PLACE_BUTTON && place.item < commandCount) {
        p.x = commandList[place.item].x;
        p.y = commandList[place.item].y;
    } else if (place.kind == PLACE_DECORATION && place.item < decorationCount) {
        p.x = decorationPositions[place.item].x;
        p.y = decorationPositions[place.item].y;
    }
    return p;
}

// "BtnPos2=137,196" or "Bmp1=132,40": the key the offset is written as.
static std::wstring offsetText(POINT at)
{
    std::string key = place.kind == PLACE_BUTTON ? "BtnPos" : "Bmp";
    key += number(place.item + 1);
    std::string screen = number(at.x) + "," + number(at.y);
    return say(T_STATUS_MOVE, key, number((long long)at.x - CONTENT_LEFT),
               number((long long)at.y - CONTENT_TOP), screen);
}

void setStatus(const std::wstring& text)
{
    SetDlgItemTextW(frameWindow, IDC_STATUS, text.c_str());
}

// Offsets stay within what the menu's number fields hold, whatever the
// file or the pointer says.
static LONG clampOffset(long long value, int origin)
{
    const long long most = 99999;
    long long offset = value - origin;
    offset = offset < -most ? -most : offset > most ? most : offset;
    return (LONG)(offset + origin);
}

void nudgeSelection(int dx, int dy)
{
    if ((place.kind != PLACE_BUTTON && place.kind != PLACE_DECORATION) || readOnly)
        return;
    POINT at = itemPlace();
    at.x = clampOffset((long long)at.x + dx, CONTENT_LEFT);
    at.y = clampOffset((long long)at.y + dy, CONTENT_TOP);
    if (setPosition(&document, place, at.x - CONTENT_LEFT, at.y - CONTENT_TOP, true)) {
        documentChanged();
        setStatus(offsetText(at));
    }
}

// --- Drawing ----------------------------------------------------------------------------

static void frameRect(HDC dc, const RECT& r, COLORREF outer, COLORREF inner)
{
    RECT a = r;
    InflateRect(&a, 1, 1);
    HBRUSH brush = CreateSolidBrush(outer);
    FrameRect(dc, &a, brush);
    InflateRect(&a, 1, 1);
    FrameRect(dc, &a, brush);
    DeleteObject(brush);
    brush = CreateSolidBrush(inner);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
}

static void drawOverlay(HDC dc)
{
    // Buttons whose picture is missing: the menu draws nothing for them,
    // but a click there still starts them.
    HPEN dotted = CreatePen(PS_DOT, 1, RGB(255, 0, 255));
    HGDIOBJ oldPen = SelectObject(dc, dotted);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    for (int j = 0; j < commandCount; j++) {
        const CommandButton* b = &commandList[j];
        if (!b->picture)
            Rectangle(dc, b->x, b->y, b->x + b->width, b->y + b->height);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(dotted);

    RECT r;
    if (selectedRect(&r))
        frameRect(dc, r, RGB(255, 0, 255), RGB(255, 255, 255));
    if (dragging && moved) {
        std::wstring text = offsetText(itemNow);
        text = text.substr(0, text.find(L' '));
        HGDIOBJ oldFont = SelectObject(dc, uiFont);
        SIZE size;
        GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &size);
        RECT label = {r.left, r.top - size.cy - 6, r.left + size.cx + 8, r.top - 2};
        if (label.top < 0)
            OffsetRect(&label, 0, r.bottom - label.top + 4);
        FillRect(dc, &label, (HBRUSH)GetStockObject(BLACK_BRUSH));
        SetTextColor(dc, RGB(255, 255, 0));
        TextOutW(dc, label.left + 4, label.top + 2, text.c_str(), (int)text.size());
        SelectObject(dc, oldFont);
    }
    SetBkMode(dc, oldMode);
}

static void paintCanvas(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!menuShown) {
        RECT all = {0, 0, SURFACE_WIDTH, SURFACE_HEIGHT};
        FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
        std::wstring hint = say(T_HINT_OPEN);
        HGDIOBJ old = SelectObject(dc, uiFont);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, hint.c_str(), -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
        EndPaint(window, &ps);
        return;
    }
    // The whole menu into a bitmap first, so that the selection drawn over
    // it never flickers; the menu's painting itself is unchanged.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, SURFACE_WIDTH, SURFACE_HEIGHT);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HGDIOBJ oldFont = GetCurrentObject(memory, OBJ_FONT);
    paintMenu(memory);
    drawOverlay(memory);
    selectMenuPalette(dc);
    BitBlt(dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &ps);
}

// --- Pointer and keys -----------------------------------------------------------------------

static void select(int kind, int item)
{
    if (kind != place.kind || item != place.item)
        setStatus(say(T_STATUS_READY));
    place.kind = kind;
    place.item = item;
    InvalidateRect(canvasWindow, 0, FALSE);
    refreshPanel();
}

static void startDrag(int x, int y)
{
    dragging = true;
    moved = false;
    dragFrom.x = x;
    dragFrom.y = y;
    itemFrom = itemNow = itemPlace();
    SetCapture(canvasWindow);
}

static void onPress(int x, int y)
{
    SetFocus(canvasWindow);
    if (!menuShown)
        return;
    int j = buttonAt(x, y);
    if (j >= 0) {
        select(PLACE_BUTTON, j);
        startDrag(x, y);
        return;
    }
    int control = x >= 0 && y >= 0 ? hitControl((unsigned)x, (unsigned)y) : -1;
    if (control >= 0) {
        navigate(control);
        return;
    }
    int k = decorationAt(x, y);
    if (k >= 0) {
        select(PLACE_DECORATION, k);
        startDrag(x, y);
        return;
    }
    // Anywhere else: what the picture shows, the entry or the start screen.
    select(place.page < 0 ? PLACE_START : place.entry >= 0 ? PLACE_ENTRY : PLACE_PAGE, -1);
}

static void onDrag(int x, int y)
{
    if (!dragging)
        return;
    int dx = x - dragFrom.x, dy = y - dragFrom.y;
    if (!moved && abs(dx) < GetSystemMetrics(SM_CXDRAG) && abs(dy) < GetSystemMetrics(SM_CYDRAG))
        return;
    moved = true;
    itemNow.x = clampOffset((long long)itemFrom.x + dx, CONTENT_LEFT);
    itemNow.y = clampOffset((long long)itemFrom.y + dy, CONTENT_TOP);
    // The model moves with the pointer, so the menu's painting shows the
    // item where the file will put it.
    if (place.kind == PLACE_BUTTON && place.item < commandCount) {
        commandList[place.item].x = itemNow.x;
        commandList[place.item].y = itemNow.y;
    } else if (place.kind == PLACE_DECORATION && place.item < decorationCount) {
        decorationPositions[place.item].x = itemNow.x;
        decorationPositions[place.item].y = itemNow.y;
    }
    setStatus(offsetText(itemNow));
    InvalidateRect(canvasWindow, 0, FALSE);
    UpdateWindow(canvasWindow);
}

static void onRelease(void)
{
    if (!dragging)
        return;
    bool wasMoved = moved;
    dragging = false;
    moved = false;
    if (GetCapture() == canvasWindow)
        ReleaseCapture();
    if (!wasMoved)
        return;
    if (readOnly) {
        showPlace();  // back where the file has it
        return;
    }
    if (setPosition(&document, place, itemNow.x - CONTENT_LEFT, itemNow.y - CONTENT_TOP, false))
        documentChanged();
    setStatus(offsetText(itemNow));
}

static void onKey(WPARAM key)
{
    int step = GetKeyState(VK_SHIFT) < 0 ? 10 : 1;
    switch (key) {
    case VK_LEFT:
        nudgeSelection(-step, 0);
        break;
    case VK_RIGHT:
        nudgeSelection(step, 0);
        break;
    case VK_UP:
        nudgeSelection(0, -step);
        break;
    case VK_DOWN:
        nudgeSelection(0, step);
        break;
    case VK_DELETE:
        doCommand(CMD_DELETE);
        break;
    case VK_HOME:
        doCommand(CMD_START_SCREEN);
        break;
    default:
        break;
    }
}

static LRESULT CALLBACK canvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paintCanvas(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers everything
    case WM_LBUTTONDOWN:
        onPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEMOVE:
        onDrag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        onRelease();
        return 0;
    case WM_CAPTURECHANGED:
        if (dragging && (HWND)lParam != window) {
            dragging = false;
            if (moved)
                showPlace();  // the drag was broken off: back where the file has it
            moved = false;
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        onKey(wParam);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(window, 0, FALSE);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void registerCanvas(HINSTANCE instance)
{
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = canvasProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(0, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = canvasClass;
    RegisterClassW(&wc);
}

HWND createCanvas(HWND frame)
{
    canvasWindow = CreateWindowExW(0, canvasClass, L"",
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP, CANVAS_X, CANVAS_Y,
                                   SURFACE_WIDTH, SURFACE_HEIGHT, frame,
                                   (HMENU)(INT_PTR)IDC_CANVAS, appInstance, 0);
    // The menu's navigation draws on the window it is given; this one is
    // never shown, so it draws nowhere and the canvas paints it all.
    sinkWindow = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, SURFACE_WIDTH,
                                 SURFACE_HEIGHT, frame, 0, appInstance, 0);
    return canvasWindow;
}
