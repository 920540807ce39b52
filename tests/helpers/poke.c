/* Does to the menu from outside what a person or another program would.
 *
 *   poke syscmd <class> <title> close|minimize|restore
 *                                     post WM_SYSCOMMAND as the window menu
 *                                     does
 *   poke scribble <x> <y> <w> <h>     fill a screen rectangle with magenta
 *                                     through the screen's device context,
 *                                     over whatever window is there
 *   poke palette <x> <y>              a small window at (x, y) that realises
 *                                     a palette of its own in the foreground
 *                                     and stays until WM_CLOSE
 *   poke dialog <ms>                  waits for a message box; prints its
 *                                     caption and text as hex bytes, then
 *                                     dismisses it; exit 1 when none came
 *
 * A class or title of "-" matches anything. Exit code 0 on success. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char *argOrNull(const char *arg)
{
    return strcmp(arg, "-") == 0 ? NULL : arg;
}

static int cmdSyscmd(const char *cls, const char *title, const char *what)
{
    static const struct { const char *name; WPARAM code; } commands[] = {
        { "close", SC_CLOSE }, { "minimize", SC_MINIMIZE }, { "restore", SC_RESTORE },
    };
    HWND window = FindWindowA(argOrNull(cls), argOrNull(title));
    size_t i;
    if (!window) return 1;
    for (i = 0; i < sizeof commands / sizeof commands[0]; i++)
        if (strcmp(what, commands[i].name) == 0)
            return PostMessageA(window, WM_SYSCOMMAND, commands[i].code, 0) ? 0 : 1;
    return 2;
}

static int cmdScribble(int x, int y, int w, int h)
{
    HDC dc = GetDC(NULL);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
    RECT rect;
    int ok;
    if (!dc || !brush) return 1;
    SetRect(&rect, x, y, x + w, y + h);
    ok = FillRect(dc, &rect, brush);
    GdiFlush();
    DeleteObject(brush);
    ReleaseDC(NULL, dc);
    return ok ? 0 : 1;
}

static HPALETTE ownPalette;

static void realiseOwn(HWND window)
{
    HDC dc = GetDC(window);
    HPALETTE old = SelectPalette(dc, ownPalette, FALSE);
    RealizePalette(dc);
    SelectPalette(dc, old, FALSE);
    ReleaseDC(window, dc);
}

static LRESULT CALLBACK paletteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_QUERYNEWPALETTE:
        realiseOwn(window);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HPALETTE old = SelectPalette(dc, ownPalette, FALSE);
        RECT rect;
        int i;
        RealizePalette(dc);
        GetClientRect(window, &rect);
        for (i = 0; i < 16; i++) {
            HBRUSH brush = CreateSolidBrush(PALETTEINDEX(i * 16));
            RECT band = rect;
            band.left = rect.right * i / 16;
            band.right = rect.right * (i + 1) / 16;
            FillRect(dc, &band, brush);
            DeleteObject(brush);
        }
        SelectPalette(dc, old, FALSE);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

/* 236 colours unlike any picture of the menu (odd greens and purples), so
 * that realising them in the foreground takes the free entries away. */
static HPALETTE makeOwnPalette(void)
{
    LOGPALETTE *pal = (LOGPALETTE *)malloc(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    PALETTEENTRY *e;
    HPALETTE made;
    int i;
    if (!pal) return NULL;
    pal->palVersion = 0x300;
    pal->palNumEntries = 236;
    e = pal->palPalEntry;
    for (i = 0; i < 236; i++) {
        e[i].peRed = (BYTE)(i * 7 % 256);
        e[i].peGreen = (BYTE)(255 - i);
        e[i].peBlue = (BYTE)(i * 13 % 256);
        e[i].peFlags = PC_NOCOLLAPSE;
    }
    made = CreatePalette(pal);
    free(pal);
    return made;
}

static int cmdPalette(int x, int y)
{
    WNDCLASSA wc;
    HWND window;
    MSG msg;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = paletteProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.lpszClassName = "PaletteHog";
    RegisterClassA(&wc);
    ownPalette = makeOwnPalette();
    window = CreateWindowA("PaletteHog", "PaletteHog", WS_POPUP | WS_VISIBLE,
                           x, y, 160, 40, NULL, NULL, wc.hInstance, NULL);
    if (!window || !ownPalette) return 1;
    SetForegroundWindow(window);
    realiseOwn(window);
    SendMessageA(HWND_BROADCAST, WM_PALETTECHANGED, (WPARAM)window, 0);
    UpdateWindow(window);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(ownPalette);
    return 0;
}

static void printHex(const char *key, const char *text)
{
    printf("%s=", key);
    for (; *text; text++) printf("%02x", (unsigned char)*text);
    printf("\n");
}

static int cmdDialog(int ms)
{
    DWORD start = GetTickCount();
    char text[1024];
    HWND box;
    while ((box = FindWindowA("#32770", NULL)) == NULL || !IsWindowVisible(box)) {
        if ((int)(GetTickCount() - start) >= ms) return 1;
        Sleep(50);
    }
    text[0] = 0;
    GetWindowTextA(box, text, sizeof text);
    printHex("caption.hex", text);
    text[0] = 0;
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  /* the message's static */
    printHex("text.hex", text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

int main(int argc, char **argv)
{
    const char *cmd = argc > 1 ? argv[1] : "";
    if (strcmp(cmd, "syscmd") == 0 && argc == 5) return cmdSyscmd(argv[2], argv[3], argv[4]);
    if (strcmp(cmd, "scribble") == 0 && argc == 6)
        return cmdScribble(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
    if (strcmp(cmd, "palette") == 0 && argc == 4) return cmdPalette(atoi(argv[2]), atoi(argv[3]));
    if (strcmp(cmd, "dialog") == 0 && argc == 3) return cmdDialog(atoi(argv[2]));
    fprintf(stderr, "usage: poke syscmd|scribble|palette|dialog ...\n");
    return 2;
}
