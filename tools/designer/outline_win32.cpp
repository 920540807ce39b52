// The outline: every page, entry, button and picture as a tree, selected in
// step with the picture, reordered by dragging, worked from the keyboard
// (arrows to go, Ctrl+arrows to move the item on the picture, Alt+Up and
// Alt+Down to reorder, Enter to go to the picture).
#include <windows.h>
#include <commctrl.h>

#include "shell/shell.h"
#include "tools/designer/designer.h"
#include "tools/designer/edit.h"
#include "tools/designer/layout.h"

static HWND tree;
static WNDPROC treeDefault;
static std::vector<DesignPlace> nodes;      // per tree item, by its lParam
static std::vector<HTREEITEM> handles;
static std::string builtFrom;               // the document the tree shows
static std::wstring builtFolder;
static bool building;                       // selections made by the outline itself
static int dragNode = -1;                   // the item being dragged, -1: none

static HTREEITEM addNode(HTREEITEM parent, const std::wstring& text, const DesignPlace& p)
{
    TVINSERTSTRUCTW insert;
    ZeroMemory(&insert, sizeof insert);
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = (LPARAM)nodes.size();
    insert.item.state = insert.item.stateMask = TVIS_EXPANDED;
    HTREEITEM h = (HTREEITEM)SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&insert);
    nodes.push_back(p);
    handles.push_back(h);
    return h;
}

static void addItems(HTREEITEM parent, const std::string& section, int page, int entry)
{
    DesignPlace p = {PLACE_BUTTON, page, entry, 0};
    for (int n = page < 0 ? 0 : countButtons(&document, section); p.item < n; p.item++)
        addNode(parent, say(T_OUTLINE_BUTTON, number(p.item + 1),
                            narrowUtf8(fromShiftJis(fieldText(&document, p, FIELD_CAPTION)))),
                p);
    p.kind = PLACE_DECORATION;
    p.item = 0;
    for (int n = countDecorations(&document, section); p.item < n; p.item++)
        addNode(parent,
                say(T_OUTLINE_PICTURE, number(p.item + 1),
                    narrowUtf8(fromShiftJis(fieldText(&document, p, FIELD_DECORATION_PICTURE)))),
                p);
}

static void rebuild(void)
{
    building = true;
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    SendMessageW(tree, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
    nodes.clear();
    handles.clear();
    if (!folder.empty()) {
        HTREEITEM start = addNode(TVI_ROOT, say(T_OUTLINE_START), startPlace());
        addItems(start, mainSection, -1, -1);
        for (int page = 0, pages = countPages(&document); page < pages; page++) {
            std::string section = pageSectionOf(&document, page);
            DesignPlace p = {PLACE_PAGE, page, -1, -1};
            HTREEITEM h = addNode(TVI_ROOT,
                                  say(T_OUTLINE_PAGE, number(page + 1),
                                      narrowUtf8(fromShiftJis(fieldText(&document, p, FIELD_TITLE)))),
                                  p);
            for (int e = 0, entries = countEntries(&document, page); e < entries; e++) {
                DesignPlace q = {PLACE_ENTRY, page, e, -1};
                HTREEITEM k = addNode(
                    h, say(T_OUTLINE_ENTRY, number(e + 1),
                           narrowUtf8(fromShiftJis(fieldText(&document, q, FIELD_TITLE)))),
                    q);
                addItems(k, entrySectionOf(&document, page, e), page, e);
            }
        }
    }
    builtFrom = document.data;
    builtFolder = folder;
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, 0, TRUE);
    building = false;
}

static bool samePlace(const DesignPlace& a, const DesignPlace& b)
{
    return a.kind == b.kind && a.page == b.page && (a.kind == PLACE_PAGE || a.entry == b.entry) &&
           (a.kind == PLACE_PAGE || a.kind == PLACE_ENTRY || a.item == b.item);
}

void refreshOutline(void)
{
    if (!tree)
        return;
    bool stale = document.data != builtFrom || folder != builtFolder || nodes.empty();
    // Typing changes only the texts of the tree: they follow a moment later,
    // so that every keystroke does not wait for the whole tree.
    if (stale && document.label == T_CHANGE_TYPING && folder == builtFolder && !nodes.empty())
        SetTimer(frameWindow, TIMER_OUTLINE, CHECK_DELAY_MS, 0);
    else if (stale)
        rebuild();
    for (size_t i = 0; i < nodes.size(); i++)
        if (samePlace(nodes[i], place)) {
            building = true;
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)handles[i]);
            building = false;
            return;
        }
}

void outlineTexts(void)
{
    KillTimer(frameWindow, TIMER_OUTLINE);
    if (tree && document.data != builtFrom) {
        rebuild();
        refreshOutline();
    }
}

void focusOutline(void)
{
    SetFocus(tree);
}

static int nodeOf(HTREEITEM h)
{
    TVITEMW item;
    ZeroMemory(&item, sizeof item);
    item.mask = TVIF_PARAM;
    item.hItem = h;
    if (!h || !SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&item))
        return -1;
    return item.lParam >= 0 && (size_t)item.lParam < nodes.size() ? (int)item.lParam : -1;
}

static void choose(int node)
{
    if (node < 0)
        return;
    place = nodes[(size_t)node];
    selection.clear();
    showPlace();
}

// Where a dragged item lands: another item of the same list.
static void drop(int target)
{
    if (dragNode < 0 || target < 0 || target == dragNode || readOnly)
        return;
    const DesignPlace& from = nodes[(size_t)dragNode];
    const DesignPlace& to = nodes[(size_t)target];
    bool sameList = from.kind == to.kind && from.kind != PLACE_START &&
                    (from.kind == PLACE_PAGE || from.page == to.page) &&
                    (from.kind == PLACE_PAGE || from.kind == PLACE_ENTRY || from.entry == to.entry);
    if (!sameList)
        return;
    int index = to.kind == PLACE_PAGE ? to.page : to.kind == PLACE_ENTRY ? to.entry : to.item;
    DesignPlace after = from;
    document.label = T_CHANGE_ORDER;
    if (moveItemTo(&document, from, index, &after)) {
        place = after;
        documentChanged();
    }
}

static LRESULT CALLBACK treeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        // Enter goes to the picture rather than to a default button.
        if (lParam && ((MSG*)lParam)->message == WM_KEYDOWN && ((MSG*)lParam)->wParam == VK_RETURN)
            return DLGC_WANTALLKEYS;
        break;
    case WM_KEYDOWN: {
        int step = GetKeyState(VK_SHIFT) < 0 ? 10 : 1;
        if (GetKeyState(VK_CONTROL) < 0 &&
            (wParam == VK_LEFT || wParam == VK_RIGHT || wParam == VK_UP || wParam == VK_DOWN)) {
            nudgeSelection(wParam == VK_LEFT ? -step : wParam == VK_RIGHT ? step : 0,
                           wParam == VK_UP ? -step : wParam == VK_DOWN ? step : 0);
            return 0;
        }
        if (wParam == VK_RETURN) {
            SetFocus(canvasWindow);
            return 0;
        }
        if (sharedKey(wParam))
            return 0;
        break;
    }
    case WM_CHAR:
        if (wParam == '\r' || GetKeyState(VK_CONTROL) < 0)
            return 0;  // no beep for the keys taken above
        break;
    case WM_SYSKEYDOWN:
        if (wParam == VK_UP || wParam == VK_DOWN) {
            doCommand(wParam == VK_UP ? CMD_EARLIER : CMD_LATER);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (dragNode >= 0) {
            TVHITTESTINFO hit = {{(short)LOWORD(lParam), (short)HIWORD(lParam)}, 0, 0};
            HTREEITEM h = (HTREEITEM)SendMessageW(window, TVM_HITTEST, 0, (LPARAM)&hit);
            SendMessageW(window, TVM_SELECTITEM, TVGN_DROPHILITE, (LPARAM)h);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (dragNode >= 0) {
            TVHITTESTINFO hit = {{(short)LOWORD(lParam), (short)HIWORD(lParam)}, 0, 0};
            HTREEITEM h = (HTREEITEM)SendMessageW(window, TVM_HITTEST, 0, (LPARAM)&hit);
            SendMessageW(window, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
            int from = dragNode;
            dragNode = -1;
            ReleaseCapture();
            int target = nodeOf(h);
            dragNode = from;
            drop(target);
            dragNode = -1;
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (dragNode >= 0 && (HWND)lParam != window) {
            dragNode = -1;
            SendMessageW(window, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
        }
        break;
    default:
        break;
    }
    return CallWindowProcW(treeDefault, window, message, wParam, lParam);
}

LRESULT onOutlineNotify(NMHDR* header)
{
    if (header->code == TVN_SELCHANGEDW) {
        NMTREEVIEWW* change = (NMTREEVIEWW*)header;
        if (!building)
            choose(nodeOf(change->itemNew.hItem));
    } else if (header->code == TVN_BEGINDRAGW) {
        NMTREEVIEWW* drag = (NMTREEVIEWW*)header;
        dragNode = nodeOf(drag->itemNew.hItem);
        if (dragNode >= 0)
            SetCapture(tree);
    }
    return 0;
}

void createOutline(HWND frame)
{
    tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS |
                               TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                           MARGIN, FINDINGS_Y + 18, OUTLINE_W, FINDINGS_H, frame,
                           (HMENU)(INT_PTR)IDC_OUTLINE, appInstance, 0);
    SendMessageW(tree, WM_SETFONT, (WPARAM)uiFont, FALSE);
    treeDefault = (WNDPROC)SetWindowLongPtrW(tree, GWLP_WNDPROC, (LONG_PTR)treeProc);
}
