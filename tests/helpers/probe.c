/* Looks at windows from outside, for the end-to-end tests.
 *
 *   probe find <class> <title>          hwnd, or exit 1
 *   probe wait <class> <title> <ms>     until a visible match exists
 *   probe gone <class> <title> <ms>     until no match exists
 *   probe count <class> <title>         number of top-level matches
 *   probe info <class> <title>          geometry and state, key=value lines
 *   probe close <class> <title>         post WM_CLOSE
 *   probe minimize|restore|activate <class> <title>
 *   probe foreground                    the foreground window
 *   probe screen                        display size and depth
 *   probe font [face as hex bytes]      what a menu-like font resolves to
 *   probe run <show> <program> [args]   start with a show mode, wait, pass
 *                                       on the exit code
 *
 * A class or title of "-" matches anything. Output is key=value lines; text
 * from windows is printed as raw bytes, the caller decodes it. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char *argOrNull(const char *arg)
{
    return strcmp(arg, "-") == 0 ? NULL : arg;
}

static HWND findTarget(const char *cls, const char *title)
{
    return FindWindowA(argOrNull(cls), argOrNull(title));
}

static void printRect(const char *key, const RECT *r)
{
    printf("%s=%ld %ld %ld %ld\n", key, r->left, r->top, r->right, r->bottom);
}

static void printHwnd(const char *key, HWND hwnd)
{
    printf("%s=0x%llx\n", key, (unsigned long long)(ULONG_PTR)hwnd);
}

struct CountState {
    const char *cls;
    const char *title;
    int count;
};

static BOOL CALLBACK countWindow(HWND hwnd, LPARAM lParam)
{
    struct CountState *state = (struct CountState *)lParam;
    char cls[256], title[256];
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if ((!state->cls || strcmp(cls, state->cls) == 0) &&
        (!state->title || strcmp(title, state->title) == 0))
        state->count++;
    return TRUE;
}

static int cmdCount(const char *cls, const char *title)
{
    struct CountState state = { argOrNull(cls), argOrNull(title), 0 };
    EnumWindows(countWindow, (LPARAM)&state);
    printf("count=%d\n", state.count);
    return 0;
}

static int cmdWait(const char *cls, const char *title, int ms, int present)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = findTarget(cls, title);
        int found = hwnd != NULL && (!present || IsWindowVisible(hwnd));
        if (found == present) {
            if (hwnd) printHwnd("hwnd", hwnd);
            return 0;
        }
        if ((int)(GetTickCount() - start) >= ms) return 1;
        Sleep(50);
    }
}

static int cmdInfo(HWND hwnd)
{
    RECT window, client, childRect;
    POINT origin = { 0, 0 };
    DWORD pid = 0;
    HWND child;
    char name[256];

    GetWindowThreadProcessId(hwnd, &pid);
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    ClientToScreen(hwnd, &origin);
    GetClassNameA(hwnd, name, sizeof name);

    printHwnd("hwnd", hwnd);
    printf("pid=%lu\n", pid);
    printf("class=%s\n", name);
    GetWindowTextA(hwnd, name, sizeof name);
    printf("title=%s\n", name);
    printRect("window", &window);
    printRect("client", &client);
    printf("origin=%ld %ld\n", origin.x, origin.y);
    printf("style=0x%08lx\n", (unsigned long)GetWindowLongPtrA(hwnd, GWL_STYLE));
    printf("exstyle=0x%08lx\n", (unsigned long)GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
    printf("classstyle=0x%08lx\n", (unsigned long)GetClassLongPtrA(hwnd, GCL_STYLE));
    printf("visible=%d\n", IsWindowVisible(hwnd) ? 1 : 0);
    printf("iconic=%d\n", IsIconic(hwnd) ? 1 : 0);
    printf("zoomed=%d\n", IsZoomed(hwnd) ? 1 : 0);
    printf("enabled=%d\n", IsWindowEnabled(hwnd) ? 1 : 0);

    child = GetDlgItem(hwnd, 1);
    printf("child=%d\n", child != NULL);
    if (child) {
        GetClassNameA(child, name, sizeof name);
        printf("child.class=%s\n", name);
        GetWindowRect(child, &childRect);
        MapWindowPoints(NULL, hwnd, (POINT *)&childRect, 2);
        printRect("child.rect", &childRect);
        printf("child.style=0x%08lx\n", (unsigned long)GetWindowLongPtrA(child, GWL_STYLE));
        printf("child.classstyle=0x%08lx\n", (unsigned long)GetClassLongPtrA(child, GCL_STYLE));
        printf("child.visible=%d\n", IsWindowVisible(child) ? 1 : 0);
    }
    return 0;
}

static int cmdForeground(void)
{
    HWND hwnd = GetForegroundWindow();
    char text[256] = "";
    printHwnd("hwnd", hwnd);
    if (hwnd) GetClassNameA(hwnd, text, sizeof text);
    printf("class=%s\n", text);
    text[0] = 0;
    if (hwnd) GetWindowTextA(hwnd, text, sizeof text);
    printf("title=%s\n", text);
    return 0;
}

static int cmdScreen(void)
{
    HDC dc = CreateICA("DISPLAY", NULL, NULL, NULL);
    if (!dc) return 1;
    printf("width=%d\nheight=%d\nbits=%d\nplanes=%d\n",
           GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES),
           GetDeviceCaps(dc, BITSPIXEL), GetDeviceCaps(dc, PLANES));
    DeleteDC(dc);
    return 0;
}

static int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* The caption font of the menu: 16 pixels, bold, Shift-JIS. */
static int cmdFont(const char *hex)
{
    /* "ＭＳ Ｐゴシック" */
    static const char menuFace[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
    LOGFONTA font;
    TEXTMETRICA metrics;
    char face[LF_FACESIZE];
    HDC dc;
    HFONT hfont, old;
    size_t i, n;

    memset(&font, 0, sizeof font);
    font.lfHeight = 16;
    font.lfWeight = FW_BOLD;
    font.lfCharSet = SHIFTJIS_CHARSET;
    if (hex) {
        n = strlen(hex) / 2;
        if (n >= LF_FACESIZE) return 2;
        for (i = 0; i < n; i++) {
            int hi = hexValue(hex[2 * i]), lo = hexValue(hex[2 * i + 1]);
            if (hi < 0 || lo < 0) return 2;
            font.lfFaceName[i] = (char)(hi * 16 + lo);
        }
    } else {
        memcpy(font.lfFaceName, menuFace, sizeof menuFace);
    }

    dc = GetDC(NULL);
    hfont = CreateFontIndirectA(&font);
    if (!dc || !hfont) return 1;
    old = (HFONT)SelectObject(dc, hfont);
    face[0] = 0;
    GetTextFaceA(dc, sizeof face, face);
    GetTextMetricsA(dc, &metrics);
    printf("face.hex=");
    for (i = 0; face[i]; i++) printf("%02x", (unsigned char)face[i]);
    printf("\ncharset=%d\nheight=%ld\nweight=%ld\n", GetTextCharset(dc),
           metrics.tmHeight, metrics.tmWeight);
    SelectObject(dc, old);
    DeleteObject(hfont);
    ReleaseDC(NULL, dc);
    return 0;
}

static int parseShow(const char *name)
{
    static const struct { const char *name; int value; } modes[] = {
        { "hide", SW_HIDE }, { "normal", SW_SHOWNORMAL },
        { "minimized", SW_SHOWMINIMIZED }, { "maximized", SW_SHOWMAXIMIZED },
        { "minnoactive", SW_SHOWMINNOACTIVE }, { "noactivate", SW_SHOWNOACTIVATE },
    };
    size_t i;
    for (i = 0; i < sizeof modes / sizeof modes[0]; i++)
        if (strcmp(name, modes[i].name) == 0) return modes[i].value;
    return atoi(name);
}

static int cmdRun(int show, int argc, char **argv)
{
    char commandLine[1024] = "";
    size_t used = 0;
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DWORD code = 1;
    int i;

    for (i = 0; i < argc; i++) {
        int n = snprintf(commandLine + used, sizeof commandLine - used, "%s\"%s\"",
                         i ? " " : "", argv[i]);
        if (n < 0 || (size_t)n >= sizeof commandLine - used) return 2;
        used += (size_t)n;
    }
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = (WORD)show;
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL,
                        &startup, &process))
        return 3;
    printf("pid=%lu\n", process.dwProcessId);
    fflush(stdout);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

static int usage(void)
{
    fprintf(stderr, "usage: probe find|wait|gone|count|info|close|minimize|restore|activate"
                    "|foreground|screen|font|run ...\n");
    return 2;
}

int main(int argc, char **argv)
{
    const char *cmd;
    HWND hwnd;

    if (argc < 2) return usage();
    cmd = argv[1];

    if (strcmp(cmd, "foreground") == 0) return cmdForeground();
    if (strcmp(cmd, "screen") == 0) return cmdScreen();
    if (strcmp(cmd, "font") == 0) return cmdFont(argc > 2 ? argv[2] : NULL);
    if (strcmp(cmd, "run") == 0) {
        if (argc < 4) return usage();
        return cmdRun(parseShow(argv[2]), argc - 3, argv + 3);
    }
    if (argc < 4) return usage();
    if (strcmp(cmd, "wait") == 0 || strcmp(cmd, "gone") == 0) {
        if (argc < 5) return usage();
        return cmdWait(argv[2], argv[3], atoi(argv[4]), strcmp(cmd, "wait") == 0);
    }
    if (strcmp(cmd, "count") == 0) return cmdCount(argv[2], argv[3]);

    hwnd = findTarget(argv[2], argv[3]);
    if (!hwnd) return 1;
    if (strcmp(cmd, "find") == 0) { printHwnd("hwnd", hwnd); return 0; }
    if (strcmp(cmd, "info") == 0) return cmdInfo(hwnd);
    if (strcmp(cmd, "close") == 0) return PostMessageA(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
    if (strcmp(cmd, "minimize") == 0) { ShowWindow(hwnd, SW_MINIMIZE); return 0; }
    if (strcmp(cmd, "restore") == 0) { ShowWindow(hwnd, SW_RESTORE); return 0; }
    if (strcmp(cmd, "activate") == 0) return SetForegroundWindow(hwnd) ? 0 : 1;
    return usage();
}
