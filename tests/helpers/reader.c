/* A stand-in screen reader for the end-to-end tests: asks a window for its
 * accessible object as Narrator, NVDA and JAWS do, from another process.
 *
 *   reader tree <class> <title>        the surface's children, key=value
 *   reader do <class> <title> <child>  its default action (accDoDefaultAction)
 *
 * The window is the child of class XERVOMENUCHILDClass of the top-level
 * window found by class and title. tree prints count=N, focus=<child or
 * none>, and for each child k (1-N):
 *   child.k=<role> <state, hex> <left> <top> <width> <height>
 *   child.k.name=<name as UTF-16LE, hex>   child.k.action=<the same>
 * Exit status: 0 done, 1 no such window, 2 a call failed (hr=... printed). */
#define COBJMACROS
#include <windows.h>
#include <oleacc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Spelled out: MinGW's import library symbol is no GUID. */
static const GUID accessibleId = {0x618736e0, 0x3c3d, 0x11cf,
                                  {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

static void printText(const char *key, int child, BSTR text)
{
    printf("child.%d.%s=", child, key);
    if (text) {
        const unsigned char *bytes = (const unsigned char *)text;
        UINT n = SysStringByteLen(text);
        for (UINT i = 0; i < n; i++)
            printf("%02x", bytes[i]);
        SysFreeString(text);
    }
    printf("\n");
}

static VARIANT childVariant(long child)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = child;
    return v;
}

static int tree(IAccessible *object)
{
    long count = 0;
    HRESULT hr = IAccessible_get_accChildCount(object, &count);
    if (FAILED(hr)) {
        printf("hr=%08lx\n", (unsigned long)hr);
        return 2;
    }
    printf("count=%ld\n", count);
    VARIANT focus;
    VariantInit(&focus);
    IAccessible_get_accFocus(object, &focus);
    if (focus.vt == VT_I4)
        printf("focus=%ld\n", focus.lVal);
    else
        printf("focus=none\n");
    for (long k = 1; k <= count; k++) {
        VARIANT child = childVariant(k), role, state;
        VariantInit(&role);
        VariantInit(&state);
        long left = 0, top = 0, width = 0, height = 0;
        IAccessible_get_accRole(object, child, &role);
        IAccessible_get_accState(object, child, &state);
        IAccessible_accLocation(object, &left, &top, &width, &height, child);
        printf("child.%ld=%ld %lx %ld %ld %ld %ld\n", k, role.vt == VT_I4 ? role.lVal : -1L,
               state.vt == VT_I4 ? (unsigned long)state.lVal : 0UL, left, top, width, height);
        BSTR name = NULL, action = NULL;
        IAccessible_get_accName(object, child, &name);
        printText("name", (int)k, name);
        IAccessible_get_accDefaultAction(object, child, &action);
        printText("action", (int)k, action);
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 4)
        return 1;
    HWND frame = FindWindowA(argv[2], argv[3]);
    HWND surface = frame ? FindWindowExA(frame, NULL, "XERVOMENUCHILDClass", NULL) : NULL;
    if (!surface)
        return 1;
    CoInitialize(NULL);
    IAccessible *object = NULL;
    HRESULT hr = AccessibleObjectFromWindow(surface, (DWORD)OBJID_CLIENT, &accessibleId,
                                            (void **)&object);
    if (FAILED(hr) || !object) {
        printf("hr=%08lx\n", (unsigned long)hr);
        return 2;
    }
    int status = 1;
    if (strcmp(argv[1], "tree") == 0) {
        status = tree(object);
    } else if (strcmp(argv[1], "do") == 0 && argc > 4) {
        hr = IAccessible_accDoDefaultAction(object, childVariant(atol(argv[4])));
        printf("hr=%08lx\n", (unsigned long)hr);
        status = SUCCEEDED(hr) ? 0 : 2;
    }
    IAccessible_Release(object);
    CoUninitialize();
    fflush(stdout);
    return status;
}
