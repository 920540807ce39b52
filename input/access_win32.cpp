// The MenuSurface's accessible object (Active Accessibility), for screen
// readers: one object for the surface, one simple child per item of
// input/access.h, child id = reading position + 1. OLEACC and OLEAUT32 are
// loaded when a screen reader first asks, so the program imports nothing
// that Windows 95 lacks and starts without them.
#define CINTERFACE
#include <windows.h>
#include <oleacc.h>

#include <string.h>

#include "input/access.h"
#include "input/access_win32.h"
#include "input/navigation.h"
#include "menu/model.h"
#include "shell/shell.h"

typedef LRESULT(WINAPI* ResultFromObjectFn)(REFIID, WPARAM, LPUNKNOWN);
typedef HRESULT(WINAPI* ObjectFromWindowFn)(HWND, DWORD, REFIID, void**);
typedef BSTR(WINAPI* AllocStringLenFn)(const OLECHAR*, UINT);
typedef void(WINAPI* NotifyWinEventFn)(DWORD, HWND, LONG, LONG);

static int librariesLoaded;  // 1 once OLEACC and OLEAUT32 were looked for
static ResultFromObjectFn resultFromObject;
static ObjectFromWindowFn objectFromWindow;
static AllocStringLenFn allocStringLen;
static int notifyLooked;
static NotifyWinEventFn notifyWinEvent;  // not on Windows 95

// Spelled out: the symbols of MinGW's import libraries are no GUIDs.
static const GUID unknownId = {0x00000000, 0x0000, 0x0000,
                               {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID dispatchId = {0x00020400, 0x0000, 0x0000,
                                {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID accessibleId = {0x618736e0, 0x3c3d, 0x11cf,
                                  {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

static HWND objectWindow;  // the surface the object speaks for

enum { CHILD_SELF = -2, CHILD_BAD = -3 };

static int childItem(VARIANT child)
{
    if (V_VT(&child) != VT_I4)
        return CHILD_BAD;
    if (V_I4(&child) == CHILDID_SELF)
        return CHILD_SELF;
    int item = itemAtPosition(V_I4(&child) - 1);
    return item >= 0 ? item : CHILD_BAD;
}

static void putChild(VARIANT* out, int item)
{
    V_VT(out) = VT_I4;
    V_I4(out) = item == CHILD_SELF ? CHILDID_SELF : positionOfItem(item) + 1;
}

static HRESULT putNothing(VARIANT* out)
{
    V_VT(out) = VT_EMPTY;
    return S_FALSE;
}

// Shift-JIS bytes as a BSTR, through the system's code page.
static HRESULT giveText(const char* text, int length, BSTR* out)
{
    *out = NULL;
    if (!text || length <= 0)
        return S_FALSE;
    WCHAR wide[NAME_BYTES + 8];
    int n = MultiByteToWideChar(CP_ACP, 0, text, length, wide, NAME_BYTES + 8);
    if (n <= 0)
        return S_FALSE;
    *out = allocStringLen ? allocStringLen(wide, (UINT)n) : NULL;
    return *out ? S_OK : E_OUTOFMEMORY;
}

static HRESULT STDMETHODCALLTYPE queryInterface(IAccessible* self, REFIID id, void** out)
{
    if (IsEqualGUID(id, unknownId) || IsEqualGUID(id, dispatchId) ||
        IsEqualGUID(id, accessibleId)) {
        *out = self;
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

// One object for the life of the process: nothing to count.
static ULONG STDMETHODCALLTYPE addRef(IAccessible*) { return 2; }
static ULONG STDMETHODCALLTYPE release(IAccessible*) { return 1; }

static HRESULT STDMETHODCALLTYPE typeInfoCount(IAccessible*, UINT* count)
{
    *count = 0;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE typeInfo(IAccessible*, UINT, LCID, ITypeInfo** out)
{
    *out = NULL;
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE idsOfNames(IAccessible*, REFIID, LPOLESTR*, UINT, LCID,
                                            DISPID*)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE invoke(IAccessible*, DISPID, REFIID, LCID, WORD, DISPPARAMS*,
                                        VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

static HRESULT STDMETHODCALLTYPE parent(IAccessible*, IDispatch** out)
{
    *out = NULL;
    if (!objectFromWindow)
        return S_FALSE;
    return objectFromWindow(objectWindow, (DWORD)OBJID_WINDOW, dispatchId, (void**)out);
}

static HRESULT STDMETHODCALLTYPE childCount(IAccessible*, long* count)
{
    *count = itemCount();
    return S_OK;
}

// The children are simple elements, answered by the surface's object.
static HRESULT STDMETHODCALLTYPE child(IAccessible*, VARIANT id, IDispatch** out)
{
    *out = NULL;
    return childItem(id) == CHILD_BAD ? E_INVALIDARG : S_FALSE;
}

static HRESULT STDMETHODCALLTYPE name(IAccessible*, VARIANT id, BSTR* out)
{
    int item = childItem(id);
    *out = NULL;
    if (item == CHILD_BAD)
        return E_INVALIDARG;
    char text[NAME_BYTES];
    return item == CHILD_SELF ? S_FALSE : giveText(text, itemName(item, text, sizeof text), out);
}

static HRESULT STDMETHODCALLTYPE noText(IAccessible*, VARIANT id, BSTR* out)
{
    *out = NULL;
    return childItem(id) == CHILD_BAD ? E_INVALIDARG : S_FALSE;
}

static HRESULT STDMETHODCALLTYPE helpTopic(IAccessible*, BSTR* file, VARIANT, long* topic)
{
    *file = NULL;
    *topic = 0;
    return S_FALSE;
}

static HRESULT STDMETHODCALLTYPE role(IAccessible*, VARIANT id, VARIANT* out)
{
    int item = childItem(id);
    V_VT(out) = VT_EMPTY;
    if (item == CHILD_BAD)
        return E_INVALIDARG;
    V_VT(out) = VT_I4;
    V_I4(out) = item == CHILD_SELF ? ROLE_SYSTEM_CLIENT : itemRole(item);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE state(IAccessible*, VARIANT id, VARIANT* out)
{
    int item = childItem(id);
    V_VT(out) = VT_EMPTY;
    if (item == CHILD_BAD)
        return E_INVALIDARG;
    V_VT(out) = VT_I4;
    V_I4(out) = item != CHILD_SELF ? (LONG)itemState(item)
              : STATE_SYSTEM_FOCUSABLE | (surfaceFocused ? STATE_SYSTEM_FOCUSED : 0);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE focus(IAccessible*, VARIANT* out)
{
    if (!surfaceFocused)
        return putNothing(out);
    putChild(out, itemFocusable(focusItem) ? focusItem : CHILD_SELF);
    return S_OK;
}

// The selected entry slot, else the selected tab.
static HRESULT STDMETHODCALLTYPE selection(IAccessible*, VARIANT* out)
{
    for (int i = CONTROL_COUNT - 1; i >= CONTROL_FIRST_TAB; i--) {
        if (controlPressed[i] && !controlDisabled[i]) {
            putChild(out, i);
            return S_OK;
        }
    }
    return putNothing(out);
}

static HRESULT STDMETHODCALLTYPE defaultAction(IAccessible*, VARIANT id, BSTR* out)
{
    int item = childItem(id);
    *out = NULL;
    if (item == CHILD_BAD)
        return E_INVALIDARG;
    const char* action = item == CHILD_SELF ? NULL : itemAction(item);
    return giveText(action, action ? (int)strlen(action) : 0, out);
}

static HRESULT STDMETHODCALLTYPE select(IAccessible*, long flags, VARIANT id)
{
    int item = childItem(id);
    if (item < 0 || !(flags & SELFLAG_TAKEFOCUS) || !itemFocusable(item))
        return E_INVALIDARG;
    SetFocus(objectWindow);
    setFocusItem(objectWindow, item);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE location(IAccessible*, long* left, long* top, long* width,
                                          long* height, VARIANT id)
{
    int item = childItem(id);
    *left = *top = *width = *height = 0;
    if (item == CHILD_BAD)
        return E_INVALIDARG;
    RECT r;
    if (item == CHILD_SELF) {
        GetWindowRect(objectWindow, &r);
    } else {
        int x, y, w, h;
        itemRect(item, &x, &y, &w, &h);
        POINT origin = {0, 0};
        ClientToScreen(objectWindow, &origin);
        r.left = origin.x + x;
        r.top = origin.y + y;
        r.right = r.left + w;
        r.bottom = r.top + h;
    }
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE navigate(IAccessible*, long direction, VARIANT start,
                                          VARIANT* out)
{
    int item = childItem(start);
    V_VT(out) = VT_EMPTY;
    if (item == CHILD_BAD)
        return E_INVALIDARG;
    int k = -1;  // reading position of the answer
    if (item == CHILD_SELF) {
        if (direction == NAVDIR_FIRSTCHILD)
            k = 0;
        else if (direction == NAVDIR_LASTCHILD)
            k = itemCount() - 1;
    } else if (direction == NAVDIR_NEXT) {
        k = positionOfItem(item) + 1;
    } else if (direction == NAVDIR_PREVIOUS) {
        k = positionOfItem(item) - 1;
    }
    if (k < 0 || k >= itemCount())
        return S_FALSE;
    putChild(out, itemAtPosition(k));
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE hitTest(IAccessible*, long x, long y, VARIANT* out)
{
    POINT origin = {0, 0};
    ClientToScreen(objectWindow, &origin);
    unsigned px = (unsigned)(x - origin.x), py = (unsigned)(y - origin.y);
    if (px >= SURFACE_WIDTH || py >= SURFACE_HEIGHT)  // left or above comes out large
        return putNothing(out);
    int item = itemAt(px, py);
    putChild(out, item >= 0 ? item : CHILD_SELF);
    return S_OK;
}

// What a click does, done from the message loop: a launch may show its
// message box, which must not run inside the reader's call.
static HRESULT STDMETHODCALLTYPE doDefaultAction(IAccessible*, VARIANT id)
{
    int item = childItem(id);
    if (item == CHILD_BAD)
        return E_INVALIDARG;
    if (item == CHILD_SELF || !itemFocusable(item))
        return DISP_E_MEMBERNOTFOUND;
    PostMessageA(objectWindow, MSG_ACTIVATE, (WPARAM)item, 0);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE putText(IAccessible*, VARIANT, BSTR)
{
    return E_NOTIMPL;
}

static const IAccessibleVtbl objectMethods = {
    queryInterface, addRef, release,
    typeInfoCount, typeInfo, idsOfNames, invoke,
    parent, childCount, child, name,
    noText,  // value
    noText,  // description
    role, state,
    noText,  // help
    helpTopic,
    noText,  // keyboard shortcut
    focus, selection, defaultAction, select, location, navigate, hitTest,
    doDefaultAction, putText, putText,
};

// The header declares the table pointer writable; the table itself is not.
static IAccessible surfaceObject = {(IAccessibleVtbl*)&objectMethods};

static void loadLibraries(void)
{
    if (librariesLoaded)
        return;
    librariesLoaded = 1;
    HMODULE oleacc = LoadLibraryA("OLEACC.DLL");
    HMODULE oleaut = LoadLibraryA("OLEAUT32.DLL");
    if (!oleacc || !oleaut)
        return;
    resultFromObject = (ResultFromObjectFn)(void*)GetProcAddress(oleacc, "LresultFromObject");
    objectFromWindow =
        (ObjectFromWindowFn)(void*)GetProcAddress(oleacc, "AccessibleObjectFromWindow");
    allocStringLen = (AllocStringLenFn)(void*)GetProcAddress(oleaut, "SysAllocStringLen");
}

bool answerGetObject(HWND window, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if ((DWORD)lParam != (DWORD)OBJID_CLIENT)
        return false;
    loadLibraries();
    if (!resultFromObject || !allocStringLen)
        return false;
    objectWindow = window;
    *result = resultFromObject(accessibleId, wParam, (LPUNKNOWN)&surfaceObject);
    return true;
}

void announce(HWND window, DWORD event, int item)
{
    if (!notifyLooked) {
        notifyLooked = 1;
        HMODULE user = GetModuleHandleA("USER32.DLL");
        if (user)
            notifyWinEvent = (NotifyWinEventFn)(void*)GetProcAddress(user, "NotifyWinEvent");
    }
    if (notifyWinEvent)
        notifyWinEvent(event, window, OBJID_CLIENT,
                       item < 0 ? CHILDID_SELF : positionOfItem(item) + 1);
}
