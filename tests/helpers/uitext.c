/* Reads what a window's controls say, for the end-to-end tests of programs
 * whose texts are UTF-16 (the designer):
 *
 *   uitext text <class> <id>    text.hex: the text of child <id>
 *   uitext items <class> <id>   count, height, top, item.N.hex: the items of
 *                               a list box, their height, the first shown
 *   uitext rect <class> <id>    rect: the child's place on the screen,
 *                               visible, enabled, focus (1 when it has it)
 *
 * The window is the first top-level one of the class. Texts are printed as
 * hex of their UTF-8, so that nothing depends on the console's code page.
 * Exit code 0 when the window and the child were found, else 1. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { TEXT_UNITS = 8192 };

static void printUtf8Hex(const char *key, const WCHAR *text)
{
    static char utf8[TEXT_UNITS * 3];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    int i;
    printf("%s=", key);
    for (i = 0; i + 1 < n; i++) printf("%02x", (unsigned char)utf8[i]);
    printf("\n");
}

int main(int argc, char **argv)
{
    static WCHAR text[TEXT_UNITS];
    HWND window, child;
    int id;

    if (argc != 4) {
        fprintf(stderr, "usage: uitext text|items|rect <class> <id>\n");
        return 2;
    }
    window = FindWindowA(argv[2], NULL);
    id = atoi(argv[3]);
    child = window ? GetDlgItem(window, id) : NULL;
    if (!child) return 1;
    if (strcmp(argv[1], "text") == 0) {
        DWORD_PTR got = 0;
        text[0] = 0;
        /* WM_GETTEXT itself: GetWindowText gives another process's edit
         * controls' texts as empty. */
        SendMessageTimeoutW(child, WM_GETTEXT, TEXT_UNITS, (LPARAM)text, SMTO_ABORTIFHUNG, 5000,
                            &got);
        printUtf8Hex("text.hex", text);
        return 0;
    }
    if (strcmp(argv[1], "items") == 0) {
        int count = (int)SendMessageW(child, LB_GETCOUNT, 0, 0), i;
        char key[32];
        printf("count=%d\n", count);
        printf("height=%d\n", (int)SendMessageW(child, LB_GETITEMHEIGHT, 0, 0));
        printf("top=%d\n", (int)SendMessageW(child, LB_GETTOPINDEX, 0, 0));
        for (i = 0; i < count; i++) {
            text[0] = 0;
            if (SendMessageW(child, LB_GETTEXTLEN, i, 0) < TEXT_UNITS)
                SendMessageW(child, LB_GETTEXT, i, (LPARAM)text);
            snprintf(key, sizeof key, "item.%d.hex", i);
            printUtf8Hex(key, text);
        }
        return 0;
    }
    if (strcmp(argv[1], "rect") == 0) {
        RECT r;
        GUITHREADINFO gui;
        DWORD thread = GetWindowThreadProcessId(window, NULL);
        GetWindowRect(child, &r);
        printf("rect=%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        printf("visible=%d\nenabled=%d\n", IsWindowVisible(child) ? 1 : 0,
               IsWindowEnabled(child) ? 1 : 0);
        memset(&gui, 0, sizeof gui);
        gui.cbSize = sizeof gui;
        printf("focus=%d\n", GetGUIThreadInfo(thread, &gui) && gui.hwndFocus == child ? 1 : 0);
        return 0;
    }
    return 2;
}
