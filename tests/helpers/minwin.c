/* The least a window program does: registers a class, shows a captioned
 * window with a 640x480 client area in the middle of the screen, and fills
 * it with one colour on WM_PAINT. A yardstick for start-up times. */
#include <windows.h>

#define MINWIN_CLASS "MinWinClass"
#define MINWIN_TITLE "MinWin"

static void onPaint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH brush = CreateSolidBrush(RGB(0, 128, 128));
    FillRect(dc, &ps.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(window, &ps);
}

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        onPaint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    WNDCLASSA wc;
    RECT frame = { 0, 0, 640, 480 };
    HWND window;
    MSG msg;
    (void)previous;
    (void)commandLine;
    (void)show;

    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = MINWIN_CLASS;
    RegisterClassA(&wc);

    AdjustWindowRect(&frame, style, FALSE);
    window = CreateWindowExA(0, MINWIN_CLASS, MINWIN_TITLE, style,
                             (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2,
                             (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2,
                             frame.right - frame.left, frame.bottom - frame.top,
                             NULL, NULL, instance, NULL);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
