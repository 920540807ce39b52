/* Finds and answers dialog boxes (message boxes) for the end-to-end tests,
 * and ends processes that a test left behind.
 *
 *   dialog wait <class> <title hex> <ms>    until a visible match exists;
 *                                           prints what "show" prints
 *   dialog show <class> <title hex>         the window and its texts
 *   dialog command <class> <title hex> <id> post WM_COMMAND id (1 = IDOK)
 *   dialog end <pid>                        terminate that process
 *
 * The title is given as hex bytes, so that a Shift-JIS title needs no trip
 * through the command line's code page, and compared byte for byte, or as
 * the Unicode text of those Shift-JIS bytes, so that a box shown in
 * Japanese on a Windows of another code page is found too; a class of "-"
 * matches any class. "show" prints key=value lines:
 *   hwnd, pid, enabled, title.hex, owner (the owner window, 0 for none),
 *   owner.pid, text.N.hex for the N-th static child with text, and
 *   title.utf8.hex and text.N.utf8.hex: the same texts read as Unicode,
 *   in UTF-8.
 * Exit code 0 when the window was found (or the process ended), else 1. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { TEXT_BYTES = 1024 };

static int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* hex into bytes (NUL-terminated); 0 when it is not even-length hex or
 * does not fit. */
static int parseHex(const char *hex, char *out, size_t size)
{
    size_t n = strlen(hex), i;
    if (n % 2 || n / 2 >= size) return 0;
    for (i = 0; i < n / 2; i++) {
        int hi = hexValue(hex[2 * i]), lo = hexValue(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return 0;
        out[i] = (char)(hi * 16 + lo);
    }
    out[n / 2] = 0;
    return 1;
}

static void printHex(const char *key, const char *text)
{
    printf("%s=", key);
    for (; *text; text++) printf("%02x", (unsigned char)*text);
    printf("\n");
}

/* A window's text read as Unicode, printed as hex of its UTF-8. */
static void printUtf8Hex(const char *key, HWND hwnd)
{
    WCHAR wide[TEXT_BYTES];
    char utf8[TEXT_BYTES * 3];
    wide[0] = 0;
    GetWindowTextW(hwnd, wide, TEXT_BYTES);
    if (!WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, NULL, NULL))
        utf8[0] = 0;
    printHex(key, utf8);
}

struct Search {
    const char *cls;  /* NULL: any */
    char title[TEXT_BYTES];
    WCHAR wideTitle[TEXT_BYTES];  /* title read as Shift-JIS, or empty */
    HWND found;
};

static BOOL CALLBACK matchWindow(HWND hwnd, LPARAM lParam)
{
    struct Search *search = (struct Search *)lParam;
    char cls[256], title[TEXT_BYTES];
    if (!GetClassNameA(hwnd, cls, sizeof cls)) return TRUE;
    if (search->cls && strcmp(cls, search->cls) != 0) return TRUE;
    title[0] = 0;
    GetWindowTextA(hwnd, title, sizeof title);
    if (strcmp(title, search->title) != 0) {
        WCHAR wide[TEXT_BYTES];
        wide[0] = 0;
        GetWindowTextW(hwnd, wide, TEXT_BYTES);
        if (!search->wideTitle[0] || lstrcmpW(wide, search->wideTitle) != 0) return TRUE;
    }
    search->found = hwnd;
    return FALSE;
}

static HWND findDialog(struct Search *search)
{
    search->found = NULL;
    EnumWindows(matchWindow, (LPARAM)search);
    return search->found;
}

struct Texts {
    int count;
};

static BOOL CALLBACK printStatic(HWND child, LPARAM lParam)
{
    struct Texts *texts = (struct Texts *)lParam;
    char cls[64], text[TEXT_BYTES], key[32];
    if (!GetClassNameA(child, cls, sizeof cls) || lstrcmpiA(cls, "Static") != 0)
        return TRUE;
    text[0] = 0;
    GetWindowTextA(child, text, sizeof text);
    if (!text[0]) return TRUE;  /* the icon */
    snprintf(key, sizeof key, "text.%d.hex", texts->count);
    printHex(key, text);
    snprintf(key, sizeof key, "text.%d.utf8.hex", texts->count++);
    printUtf8Hex(key, child);
    return TRUE;
}

static int cmdShow(HWND hwnd)
{
    char title[TEXT_BYTES];
    DWORD pid = 0, ownerPid = 0;
    HWND owner = GetWindow(hwnd, GW_OWNER);
    struct Texts texts = { 0 };

    GetWindowThreadProcessId(hwnd, &pid);
    if (owner) GetWindowThreadProcessId(owner, &ownerPid);
    title[0] = 0;
    GetWindowTextA(hwnd, title, sizeof title);
    printf("hwnd=0x%llx\n", (unsigned long long)(ULONG_PTR)hwnd);
    printf("pid=%lu\n", pid);
    printf("enabled=%d\n", IsWindowEnabled(hwnd) ? 1 : 0);
    printHex("title.hex", title);
    printUtf8Hex("title.utf8.hex", hwnd);
    printf("owner=0x%llx\n", (unsigned long long)(ULONG_PTR)owner);
    printf("owner.pid=%lu\n", ownerPid);
    EnumChildWindows(hwnd, printStatic, (LPARAM)&texts);
    printf("texts=%d\n", texts.count);
    return 0;
}

static int cmdWait(struct Search *search, int ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = findDialog(search);
        if (hwnd && IsWindowVisible(hwnd)) return cmdShow(hwnd);
        if ((int)(GetTickCount() - start) >= ms) return 1;
        Sleep(50);
    }
}

static int cmdEnd(DWORD pid)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    int ended;
    if (!process) return 1;
    ended = TerminateProcess(process, 1) &&
            WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended ? 0 : 1;
}

static int usage(void)
{
    fprintf(stderr, "usage: dialog wait|show|command <class> <title hex> ... | end <pid>\n");
    return 2;
}

int main(int argc, char **argv)
{
    static struct Search search;
    HWND hwnd;

    if (argc == 3 && strcmp(argv[1], "end") == 0)
        return cmdEnd((DWORD)strtoul(argv[2], NULL, 10));
    if (argc < 4) return usage();
    search.cls = strcmp(argv[2], "-") == 0 ? NULL : argv[2];
    if (!parseHex(argv[3], search.title, sizeof search.title)) return usage();
    if (!MultiByteToWideChar(932, 0, search.title, -1, search.wideTitle, TEXT_BYTES))
        search.wideTitle[0] = 0;

    if (strcmp(argv[1], "wait") == 0) {
        if (argc < 5) return usage();
        return cmdWait(&search, atoi(argv[4]));
    }
    hwnd = findDialog(&search);
    if (!hwnd) return 1;
    if (strcmp(argv[1], "show") == 0) return cmdShow(hwnd);
    if (strcmp(argv[1], "command") == 0 && argc >= 5)
        return PostMessageA(hwnd, WM_COMMAND, (WPARAM)atoi(argv[4]), 0) ? 0 : 1;
    return usage();
}
