/* Paints and measures for the end-to-end painting tests.
 *
 *   painter extent <hex> ...   width and height of each text (bytes as hex)
 *                              in the caption font: extent.N=cx cy
 *   painter redraw <count>     repaints the menu's surface count times, each
 *                              invalidated whole and painted at once:
 *                              done=N, ms=elapsed
 *   painter blot               fills the menu's surface black from outside
 *
 * The caption font is made as the menu makes it: 16 pixels, bold,
 * Shift-JIS, face "ＭＳ Ｐゴシック". Exit code 1: no menu window. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HWND menuSurface(void)
{
    HWND frame = FindWindowA("XERVOMENUClass", "XERVO CD-ROM MENU");
    return frame ? GetDlgItem(frame, 1) : NULL;
}

static int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* Hex text into bytes; returns the byte count, or -1 when it does not fit
 * or is not hex. */
static int unhex(const char *hex, char *out, size_t size)
{
    size_t n = strlen(hex), i;
    if (n % 2 || n / 2 >= size) return -1;
    for (i = 0; i < n / 2; i++) {
        int hi = hexDigit(hex[2 * i]), lo = hexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return -1;
        out[i] = (char)(hi * 16 + lo);
    }
    out[n / 2] = 0;
    return (int)(n / 2);
}

static int cmdExtent(int count, char **texts)
{
    /* "ＭＳ Ｐゴシック" */
    static const char face[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
    LOGFONTA font;
    HDC dc;
    HFONT hfont, old;
    int i, status = 0;

    memset(&font, 0, sizeof font);
    font.lfHeight = 16;
    font.lfWeight = FW_BOLD;
    font.lfCharSet = SHIFTJIS_CHARSET;
    memcpy(font.lfFaceName, face, sizeof face);
    dc = GetDC(NULL);
    hfont = CreateFontIndirectA(&font);
    if (!dc || !hfont) return 1;
    old = (HFONT)SelectObject(dc, hfont);
    for (i = 0; i < count; i++) {
        char text[256];
        SIZE size = { 0, 0 };
        int n = unhex(texts[i], text, sizeof text);
        if (n < 0) { status = 2; continue; }
        GetTextExtentPoint32A(dc, text, n, &size);
        printf("extent.%d=%ld %ld\n", i, size.cx, size.cy);
    }
    SelectObject(dc, old);
    DeleteObject(hfont);
    ReleaseDC(NULL, dc);
    return status;
}

static int cmdRedraw(int count)
{
    HWND surface = menuSurface();
    DWORD start;
    int done;
    if (!surface) return 1;
    start = GetTickCount();
    for (done = 0; done < count && IsWindow(surface); done++)
        RedrawWindow(surface, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    printf("done=%d\nms=%lu\n", done, (unsigned long)(GetTickCount() - start));
    return 0;
}

static int cmdBlot(void)
{
    HWND surface = menuSurface();
    RECT all = { 0, 0, 640, 480 };
    HDC dc;
    int filled;
    if (!surface) return 1;
    dc = GetDC(surface);
    if (!dc) return 3;
    filled = FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    GdiFlush();
    ReleaseDC(surface, dc);
    return filled ? 0 : 3;
}

int main(int argc, char **argv)
{
    if (argc >= 2 && strcmp(argv[1], "extent") == 0) return cmdExtent(argc - 2, argv + 2);
    if (argc == 3 && strcmp(argv[1], "redraw") == 0) return cmdRedraw(atoi(argv[2]));
    if (argc == 2 && strcmp(argv[1], "blot") == 0) return cmdBlot();
    fprintf(stderr, "usage: painter extent <hex> ... | redraw <count> | blot\n");
    return 2;
}
