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
#include "tools/designer/layout.h"

static const wchar_t canvasClass[] = L"MenuEditCanvas";

static bool menuShown;       // the model is read and painted
static bool dragging;        // a press on a button or picture, until release
static bool moved;           // the press has moved past the drag threshold
static POINT dragFrom;       // where the press was
static POINT itemFrom;       // the item's place on the surface then
static POINT itemNow;        // and now
static std::vector<DesignPlace> moving;  // what the drag moves, place's item first
static std::vector<POINT> movingFrom;    // where each was at the press
static int guideX = -1, guideY = -1;     // snap lines while dragging; -1: none
static bool banding;         // a press on nothing: a band chooses what it touches
static POINT bandFrom, bandTo;
static bool showPending;     // the model to be read again once the pointer is let go

std::vector<DesignPlace> selection;
int gridSize;

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
    // Reading the model again in the middle of a drag (the checker's late
    // look) would put the items back: it waits for the release.
    if ((dragging || banding) && GetCapture() == canvasWindow) {
        showPending = true;
        return;
    }
    showPending = false;
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
    banding = false;
    // A selection lives within one entry, and only while it holds place.
    bool kept = selection.size() > 1;
    for (const DesignPlace& p : selection)
        kept = kept && p.page == place.page && p.entry == place.entry &&
               ((p.kind == PLACE_BUTTON && p.item < commandCount) ||
                (p.kind == PLACE_DECORATION && p.item < decorationCount));
    bool holds = false;
    for (const DesignPlace& p : selection)
        holds = holds || (p.kind == place.kind && p.item == place.item);
    if (!kept || !holds)
        selection.clear();
    InvalidateRect(canvasWindow, 0, FALSE);
    refreshPanel();
    refreshOutline();
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
    selection.clear();
    setStatus(say(T_STATUS_READY));
    InvalidateRect(canvasWindow, 0, FALSE);
    refreshPanel();
    refreshOutline();
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

Box itemBox(const DesignPlace& item)
{
    Box b = {0, 0, 0, 0};
    if (item.kind == PLACE_BUTTON && item.item >= 0 && item.item < commandCount) {
        const CommandButton* c = &commandList[item.item];
        b = Box{c->x, c->y, c->width, c->height};
    } else if (item.kind == PLACE_DECORATION && item.item >= 0 && item.item < decorationCount) {
        PackedDib picture = decorationPictures[item.item];
        b = Box{decorationPositions[item.item].x, decorationPositions[item.item].y,
                picture ? (int)dibWidth(picture) : 16, picture ? (int)dibHeight(picture) : 16};
    }
    return b;
}

static bool isItem(const DesignPlace& p)
{
    return (p.kind == PLACE_BUTTON && p.item >= 0 && p.item < commandCount) ||
           (p.kind == PLACE_DECORATION && p.item >= 0 && p.item < decorationCount);
}

std::vector<DesignPlace> chosenItems(void)
{
    if (selection.size() > 1)
        return selection;
    return isItem(place) ? std::vector<DesignPlace>(1, place) : std::vector<DesignPlace>();
}

static bool isChosen(int kind, int item)
{
    for (const DesignPlace& p : selection)
        if (p.kind == kind && p.item == item)
            return true;
    return false;
}

static void setBoxPosition(const DesignPlace& item, int x, int y)
{
    if (item.kind == PLACE_BUTTON && item.item < commandCount) {
        commandList[item.item].x = x;
        commandList[item.item].y = y;
    } else if (item.kind == PLACE_DECORATION && item.item < decorationCount) {
        decorationPositions[item.item].x = x;
        decorationPositions[item.item].y = y;
    }
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
    document.label = T_CHANGE_MOVE;
    if (selection.size() > 1) {
        std::vector<Box> to;
        for (const DesignPlace& p : selection) {
            Box b = itemBox(p);
            b.x = clampOffset((long long)b.x + dx, CONTENT_LEFT);
            b.y = clampOffset((long long)b.y + dy, CONTENT_TOP);
            to.push_back(b);
        }
        if (moveItems(&document, place, selection, to))
            documentChanged();
        return;
    }
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
    HGDIOBJ oldPen = SelectObject(dc, dotted);  // given back after each pen
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

    if (gridSize > 0)
        for (int y = CONTENT_TOP; y < CONTENT_BOTTOM; y += gridSize)
            for (int x = CONTENT_LEFT; x < CONTENT_RIGHT; x += gridSize)
                SetPixel(dc, x, y, RGB(160, 160, 160));
    for (const DesignPlace& p : selection) {
        if (p.kind == place.kind && p.item == place.item)
            continue;
        Box b = itemBox(p);
        RECT other = {b.x, b.y, b.x + b.w, b.y + b.h};
        frameRect(dc, other, RGB(0, 160, 255), RGB(255, 255, 255));
    }
    RECT r;
    if (selectedRect(&r))
        frameRect(dc, r, RGB(255, 0, 255), RGB(255, 255, 255));
    // Guides across the whole picture, where an edge or centre snapped.
    HPEN guide = CreatePen(PS_SOLID, 1, RGB(0, 255, 255));
    oldPen = SelectObject(dc, guide);
    if (dragging && moved && guideX >= 0) {
        MoveToEx(dc, guideX, 0, 0);
        LineTo(dc, guideX, SURFACE_HEIGHT);
    }
    if (dragging && moved && guideY >= 0) {
        MoveToEx(dc, 0, guideY, 0);
        LineTo(dc, SURFACE_WIDTH, guideY);
    }
    SelectObject(dc, oldPen);
    DeleteObject(guide);
    if (banding) {
        RECT band = {bandFrom.x < bandTo.x ? bandFrom.x : bandTo.x,
                     bandFrom.y < bandTo.y ? bandFrom.y : bandTo.y,
                     (bandFrom.x < bandTo.x ? bandTo.x : bandFrom.x) + 1,
                     (bandFrom.y < bandTo.y ? bandTo.y : bandFrom.y) + 1};
        DrawFocusRect(dc, &band);
    }
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
    refreshOutline();
}

static void startDrag(int x, int y)
{
    dragging = true;
    moved = false;
    dragFrom.x = x;
    dragFrom.y = y;
    itemFrom = itemNow = itemPlace();
    // The chosen items move together when the press is on one of them.
    moving = chosenItems();
    for (size_t i = 1; i < moving.size(); i++)
        if (moving[i].kind == place.kind && moving[i].item == place.item)
            std::swap(moving[0], moving[i]);
    movingFrom.clear();
    for (const DesignPlace& p : moving) {
        Box b = itemBox(p);
        movingFrom.push_back(POINT{b.x, b.y});
    }
    SetCapture(canvasWindow);
}

// Shift+click adds an item to the chosen ones or takes it out again.
static void toggleChosen(int kind, int item)
{
    if (selection.empty() && isItem(place))
        selection.push_back(place);
    DesignPlace p = place;
    p.kind = kind;
    p.item = item;
    bool removed = false;
    for (size_t i = 0; i < selection.size(); i++)
        if (selection[i].kind == kind && selection[i].item == item) {
            selection.erase(selection.begin() + (long)i);
            removed = true;
            break;
        }
    if (!removed)
        selection.push_back(p);
    if (removed && !selection.empty()) {
        place.kind = selection.back().kind;
        place.item = selection.back().item;
    } else if (!removed) {
        place = p;
    }
    if (selection.size() < 2) {
        if (selection.size() == 1)
            place = selection[0];
        selection.clear();
    }
    select(place.kind, place.item);
    if (selection.size() > 1)
        setStatus(say(T_SELECTED_ITEMS, number((long long)selection.size())));
}

static void pressItem(int kind, int item, int x, int y, bool shift)
{
    if (shift) {
        toggleChosen(kind, item);
        return;
    }
    if (!isChosen(kind, item))
        selection.clear();
    select(kind, item);
    startDrag(x, y);
}

static void onPress(int x, int y, bool shift)
{
    SetFocus(canvasWindow);
    if (!menuShown)
        return;
    int j = buttonAt(x, y);
    if (j >= 0) {
        pressItem(PLACE_BUTTON, j, x, y, shift);
        return;
    }
    int control = x >= 0 && y >= 0 ? hitControl((unsigned)x, (unsigned)y) : -1;
    if (control >= 0) {
        navigate(control);
        return;
    }
    int k = decorationAt(x, y);
    if (k >= 0) {
        pressItem(PLACE_DECORATION, k, x, y, shift);
        return;
    }
    // Anywhere else: what the picture shows, the entry or the start screen;
    // dragging from there draws a band.
    if (!shift)
        selection.clear();
    select(place.page < 0 ? PLACE_START : place.entry >= 0 ? PLACE_ENTRY : PLACE_PAGE, -1);
    banding = true;
    bandFrom.x = bandTo.x = x;
    bandFrom.y = bandTo.y = y;
    SetCapture(canvasWindow);
}

static void onBand(int x, int y)
{
    bandTo.x = x;
    bandTo.y = y;
    InvalidateRect(canvasWindow, 0, FALSE);
    UpdateWindow(canvasWindow);
}

static void endBand(void)
{
    banding = false;
    if (GetCapture() == canvasWindow)
        ReleaseCapture();
    if (showPending)
        showPlace();
    int left = bandFrom.x < bandTo.x ? bandFrom.x : bandTo.x;
    int right = bandFrom.x < bandTo.x ? bandTo.x : bandFrom.x;
    int top = bandFrom.y < bandTo.y ? bandFrom.y : bandTo.y;
    int bottom = bandFrom.y < bandTo.y ? bandTo.y : bandFrom.y;
    std::vector<DesignPlace> touched = selection;
    DesignPlace p = place;
    for (int kind : {PLACE_DECORATION, PLACE_BUTTON}) {
        int count = kind == PLACE_BUTTON ? commandCount : decorationCount;
        for (int i = 0; i < count; i++) {
            p.kind = kind;
            p.item = i;
            Box b = itemBox(p);
            if (b.x < right && left < b.x + b.w && b.y < bottom && top < b.y + b.h &&
                !isChosen(kind, i))
                touched.push_back(p);
        }
    }
    if (touched.empty() || (right - left < 2 && bottom - top < 2)) {
        InvalidateRect(canvasWindow, 0, FALSE);
        return;
    }
    selection = touched.size() > 1 ? touched : std::vector<DesignPlace>();
    place = touched.back();
    select(place.kind, place.item);
    if (selection.size() > 1)
        setStatus(say(T_SELECTED_ITEMS, number((long long)selection.size())));
}

static void onDrag(int x, int y)
{
    if (banding) {
        onBand(x, y);
        return;
    }
    if (!dragging || moving.empty())
        return;
    int dx = x - dragFrom.x, dy = y - dragFrom.y;
    if (!moved && abs(dx) < GetSystemMetrics(SM_CXDRAG) && abs(dy) < GetSystemMetrics(SM_CYDRAG))
        return;
    moved = true;
    // The moving items' bounds snap to the others' edges and centres, the
    // grid and the ContentArea; Alt held places them freely.
    Box bounds = {0, 0, 0, 0};
    for (size_t i = 0; i < moving.size(); i++) {
        Box b = itemBox(moving[i]);
        b.x = movingFrom[i].x;
        b.y = movingFrom[i].y;
        if (i == 0) {
            bounds = b;
            continue;
        }
        int right = bounds.x + bounds.w > b.x + b.w ? bounds.x + bounds.w : b.x + b.w;
        int bottom = bounds.y + bounds.h > b.y + b.h ? bounds.y + bounds.h : b.y + b.h;
        bounds.x = bounds.x < b.x ? bounds.x : b.x;
        bounds.y = bounds.y < b.y ? bounds.y : b.y;
        bounds.w = right - bounds.x;
        bounds.h = bottom - bounds.y;
    }
    std::vector<Box> others;
    DesignPlace p = place;
    for (int kind : {PLACE_BUTTON, PLACE_DECORATION}) {
        int count = kind == PLACE_BUTTON ? commandCount : decorationCount;
        for (int i = 0; i < count; i++) {
            bool mine = false;
            for (const DesignPlace& m : moving)
                mine = mine || (m.kind == kind && m.item == i);
            p.kind = kind;
            p.item = i;
            if (!mine)
                others.push_back(itemBox(p));
        }
    }
    Box want = {bounds.x + dx, bounds.y + dy, bounds.w, bounds.h};
    Snapped snapped = snapBox(want, others, gridSize, GetKeyState(VK_MENU) < 0);
    dx = snapped.x - bounds.x;
    dy = snapped.y - bounds.y;
    guideX = snapped.guideX;
    guideY = snapped.guideY;
    // The model moves with the pointer, so the menu's painting shows the
    // items where the file will put them.
    for (size_t i = 0; i < moving.size(); i++)
        setBoxPosition(moving[i], clampOffset((long long)movingFrom[i].x + dx, CONTENT_LEFT),
                       clampOffset((long long)movingFrom[i].y + dy, CONTENT_TOP));
    itemNow.x = clampOffset((long long)itemFrom.x + dx, CONTENT_LEFT);
    itemNow.y = clampOffset((long long)itemFrom.y + dy, CONTENT_TOP);
    setStatus(offsetText(itemNow));
    InvalidateRect(canvasWindow, 0, FALSE);
    UpdateWindow(canvasWindow);
}

static void onRelease(void)
{
    if (banding) {
        endBand();
        return;
    }
    if (!dragging)
        return;
    bool wasMoved = moved;
    dragging = false;
    moved = false;
    guideX = guideY = -1;
    if (GetCapture() == canvasWindow)
        ReleaseCapture();
    if (!wasMoved) {
        if (showPending)
            showPlace();
        return;
    }
    if (readOnly) {
        showPlace();  // back where the file has it
        return;
    }
    std::vector<Box> to;
    for (const DesignPlace& m : moving)
        to.push_back(itemBox(m));
    document.label = T_CHANGE_MOVE;
    if (moveItems(&document, place, moving, to))
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
    case VK_HOME:
        doCommand(CMD_START_SCREEN);
        break;
    default:
        sharedKey(key);
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
        onPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0);
        return 0;
    case WM_MOUSEMOVE:
        onDrag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        onRelease();
        return 0;
    case WM_CAPTURECHANGED:
        if (banding && (HWND)lParam != window) {
            banding = false;
            if (showPending)
                showPlace();
            InvalidateRect(window, 0, FALSE);
        }
        if (dragging && (HWND)lParam != window) {
            dragging = false;
            guideX = guideY = -1;
            if (moved || showPending)
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
