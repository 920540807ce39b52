// The entry routine and the MainFrame: one copy per desktop, a captioned
// fixed frame whose 640x480 client area holds the MenuSurface, centred.
#include <windows.h>

#include "graphics/draw.h"
#include "launch/cleanup.h"
#include "menu/home.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "shell/shell.h"

HINSTANCE appInstance;      // the program's module instance
int screenWidth;            // display size in pixels, for centring
int screenHeight;
HWND surfaceWindow;         // the MenuSurface, child 1 of the MainFrame

static void measureDisplay(void)
{
    HDC ic = CreateICA("DISPLAY", NULL, NULL, NULL);
    displayBits = GetDeviceCaps(ic, BITSPIXEL) * GetDeviceCaps(ic, PLANES);
    screenWidth = GetDeviceCaps(ic, HORZRES);
    screenHeight = GetDeviceCaps(ic, VERTRES);
    DeleteDC(ic);
}

static void locateHome(HWND frame)
{
    HMODULE module = (HMODULE)GetClassLongPtrA(frame, GCLP_HMODULE);
    char modulePath[PATH_BYTES];
    DWORD n = GetModuleFileNameA(module, modulePath, sizeof modulePath);
    if (n == 0 || n >= sizeof modulePath)
        modulePath[0] = 0;  // a path that does not fit is no path at all
    setHome(modulePath);
    changeDrive(driveNumberOf(homeDir));
    changeDirectory(homeDir);
    // Opened once and closed at once; nothing depends on the outcome.
    HANDLE file = CreateFileA(menuFilePath, GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_ARCHIVE, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

static void fitFrame(HWND frame)
{
    RECT outer, inner;
    GetWindowRect(frame, &outer);
    GetClientRect(frame, &inner);
    int width = (outer.right - outer.left) - inner.right + 640;
    int height = (outer.bottom - outer.top) - inner.bottom + 480;
    MoveWindow(frame, (screenWidth - width) / 2, (screenHeight - height) / 2,
               width, height, FALSE);
}

static void onCreate(HWND frame)
{
    measureDisplay();
    locateHome(frame);
    createMenuFont();
    surfaceWindow = CreateWindowExA(0, SURFACE_CLASS, "", WS_CHILD | WS_VISIBLE,
                                    0, 0, 0, 0, frame, (HMENU)(INT_PTR)SURFACE_ID,
                                    appInstance, NULL);
    fitFrame(frame);
}

static void onDestroy(void)
{
    removeDelDirs();
    DeleteObject(menuFont);
    PostQuitMessage(0);
}

static void onSize(HWND frame)
{
    RECT client;
    GetClientRect(frame, &client);
    MoveWindow(GetDlgItem(frame, SURFACE_ID), (client.right - 640) / 2,
               (client.bottom - 480) / 2, 640, 480, TRUE);
}

static void onPaint(HWND frame)
{
    PAINTSTRUCT ps;
    BeginPaint(frame, &ps);
    EndPaint(frame, &ps);
}

// Button messages that reach the frame go on to the surface, in its
// coordinates (16-bit arithmetic, wrapping like the message words do).
static void forwardButton(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    RECT place;
    GetWindowRect(surfaceWindow, &place);
    MapWindowPoints(HWND_DESKTOP, frame, (POINT*)&place, 1);
    WORD x = (WORD)(LOWORD(lParam) - (WORD)place.left);
    WORD y = (WORD)(HIWORD(lParam) - (WORD)place.top);
    PostMessageA(surfaceWindow, message, wParam, MAKELPARAM(x, y));
}

LRESULT CALLBACK frameWndProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        onCreate(frame);
        return 0;
    case WM_DESTROY:
        onDestroy();
        return 0;
    case WM_SIZE:
        onSize(frame);
        return 0;
    case WM_ACTIVATE:
        // On 256 colours every activation realises the palette again.
        if (wParam != 0 && displayBits == 8)
            InvalidateRect(surfaceWindow, NULL, FALSE);
        // The keys go to the surface, which carries everything.
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam))
            SetFocus(surfaceWindow);
        return 0;
    case WM_SETFOCUS:
        SetFocus(surfaceWindow);
        return 0;
    case WM_PAINT:
        onPaint(frame);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        forwardButton(frame, message, wParam, lParam);
        return 0;
    case WM_PALETTECHANGED:
        // Our own realisation must not repaint us, or painting never ends.
        if ((HWND)wParam != frame && (HWND)wParam != surfaceWindow)
            InvalidateRect(surfaceWindow, NULL, FALSE);
        return 0;
    default:
        return DefWindowProcA(frame, message, wParam, lParam);
    }
}

static void registerClass(const char* name, WNDPROC procedure)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.hInstance = appInstance;
    wc.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_MENU));
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int)
{
    HWND running = FindWindowA(FRAME_CLASS, FRAME_TITLE);
    if (running) {
        SetForegroundWindow(running);
        return 0;
    }
    appInstance = instance;
    if (!previous) {
        registerClass(FRAME_CLASS, frameWndProc);
        registerClass(SURFACE_CLASS, surfaceWndProc);
    }
    HWND frame = CreateWindowExA(0, FRAME_CLASS, FRAME_TITLE,
                                 WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 NULL, NULL, instance, NULL);
    // Windows takes the first ShowWindow of a process from the starter's show
    // mode; the second puts the frame in its normal, centred state whatever
    // that mode was.
    ShowWindow(frame, SW_SHOWNORMAL);
    ShowWindow(frame, SW_SHOWNORMAL);
    UpdateWindow(frame);

    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, NULL, 0, 0)) != 0) {
        if (got == -1)
            continue;  // only WM_QUIT ends the loop
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
