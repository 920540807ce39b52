/* A window that looks partly like the menu's, for the single-instance tests:
 *
 *   decoy [class [title]]
 *
 * Defaults: class "DecoyClass", title "XERVO CD-ROM MENU" (the menu's title
 * under another class). Runs until the window is closed. */
#include <windows.h>

static LRESULT CALLBACK decoyWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int main(int argc, char **argv)
{
    const char *cls = argc > 1 ? argv[1] : "DecoyClass";
    const char *title = argc > 2 ? argv[2] : "XERVO CD-ROM MENU";
    WNDCLASSA wc;
    HWND hwnd;
    MSG msg;

    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = decoyWndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = cls;
    if (!RegisterClassA(&wc)) return 1;

    hwnd = CreateWindowExA(0, cls, title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                           NULL, NULL, wc.hInstance, NULL);
    if (!hwnd) return 1;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
