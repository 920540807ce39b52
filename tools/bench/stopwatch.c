/* Times what a person sees of a window, by reading the screen back.
 *
 *   stopwatch settle <ref> <class> <title> <program>
 *       starts the program, waits until its client area has stopped
 *       changing, saves that image to <ref>, closes the program
 *   stopwatch start <ref> <class> <title> <program>
 *       starts the program and polls its client area on the screen until it
 *       equals <ref>: window_ms (window found, visible), painted_ms (client
 *       area equals <ref>), polls; then closes the program
 *   stopwatch pages <runs> <class> <title> <x1> <y1> <x2> <y2> <program>
 *       starts the program, learns the settled image after a press at
 *       (x1, y1) and after one at (x2, y2) (client coordinates), then
 *       presses alternately <runs> times each and times every press until
 *       the client area equals the learned image: a.N=ms and b.N=ms, and
 *       ignored_pixels (see cmdPages)
 *
 * Times run from just before CreateProcess (or the press) to the first poll
 * that sees the finished image. The screen is read with one BitBlt of the
 * whole client area from the screen's device context, so what counts is
 * what has reached the display, not what the program has drawn into its
 * own buffers. Exit code 0 on success, 1 when something did not happen in
 * time, 2 for bad arguments. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { SETTLE_MS = 1500, TIMEOUT_MS = 60000 };

static LARGE_INTEGER frequency;

static double nowMs(void)
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

/* One client-area image: 32-bit top-down pixels. */
struct Image {
    int width, height;
    DWORD *pixels;
};

static HWND findShown(const char *cls, const char *title)
{
    HWND hwnd = FindWindowA(cls, title);
    return hwnd && IsWindowVisible(hwnd) ? hwnd : NULL;
}

/* The window's client area as it is on the screen; 0 when it cannot be read. */
static int grab(HWND hwnd, struct Image *image)
{
    RECT client;
    POINT origin = { 0, 0 };
    BITMAPINFO info;
    HDC screen, memory;
    HBITMAP bitmap, old;
    void *bits = NULL;
    int ok;

    if (!GetClientRect(hwnd, &client) || !ClientToScreen(hwnd, &origin)) return 0;
    if (client.right <= 0 || client.bottom <= 0 || client.right > 4096 || client.bottom > 4096)
        return 0;
    if (image->pixels && (image->width != client.right || image->height != client.bottom)) {
        free(image->pixels);
        image->pixels = NULL;
    }
    image->width = client.right;
    image->height = client.bottom;

    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image->width;
    info.bmiHeader.biHeight = -image->height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    screen = GetDC(NULL);
    memory = CreateCompatibleDC(screen);
    bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!screen || !memory || !bitmap) {
        if (bitmap) DeleteObject(bitmap);
        if (memory) DeleteDC(memory);
        if (screen) ReleaseDC(NULL, screen);
        return 0;
    }
    old = (HBITMAP)SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, image->width, image->height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    if (ok) {
        size_t bytes = (size_t)image->width * (size_t)image->height * 4;
        if (!image->pixels) image->pixels = (DWORD *)malloc(bytes);
        if (image->pixels) memcpy(image->pixels, bits, bytes);
        else ok = 0;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

/* Pixels set in ignore (one byte per pixel, may be null) are not compared. */
static int sameImage(const struct Image *a, const struct Image *b, const unsigned char *ignore)
{
    size_t i, count;
    if (!a->pixels || !b->pixels || a->width != b->width || a->height != b->height)
        return 0;
    count = (size_t)a->width * (size_t)a->height;
    if (!ignore) return memcmp(a->pixels, b->pixels, count * 4) == 0;
    for (i = 0; i < count; i++)
        if (!ignore[i] && a->pixels[i] != b->pixels[i]) return 0;
    return 1;
}

static void copyImage(struct Image *to, const struct Image *from)
{
    size_t bytes = (size_t)from->width * (size_t)from->height * 4;
    free(to->pixels);
    to->pixels = (DWORD *)malloc(bytes);
    to->width = from->width;
    to->height = from->height;
    if (to->pixels) memcpy(to->pixels, from->pixels, bytes);
}

/* Waits until the client area has not changed for SETTLE_MS and keeps it. */
static int settle(HWND hwnd, struct Image *settled)
{
    struct Image now = { 0, 0, NULL };
    double start = nowMs(), since = start;
    int ok = 0;
    while (nowMs() - start < TIMEOUT_MS) {
        if (!grab(hwnd, &now)) break;
        if (!sameImage(&now, settled, NULL)) {
            copyImage(settled, &now);
            since = nowMs();
        } else if (nowMs() - since >= SETTLE_MS) {
            ok = 1;
            break;
        }
        Sleep(20);
    }
    free(now.pixels);
    return ok && settled->pixels;
}

static int saveImage(const char *path, const struct Image *image)
{
    FILE *f = fopen(path, "wb");
    int ok;
    if (!f) return 0;
    ok = fwrite(&image->width, sizeof image->width, 1, f) == 1 &&
         fwrite(&image->height, sizeof image->height, 1, f) == 1 &&
         fwrite(image->pixels, 4, (size_t)image->width * (size_t)image->height, f) ==
             (size_t)image->width * (size_t)image->height;
    return fclose(f) == 0 && ok;
}

static int loadImage(const char *path, struct Image *image)
{
    FILE *f = fopen(path, "rb");
    size_t count;
    int ok = 0;
    if (!f) return 0;
    if (fread(&image->width, sizeof image->width, 1, f) == 1 &&
        fread(&image->height, sizeof image->height, 1, f) == 1 &&
        image->width > 0 && image->height > 0 && image->width <= 4096 && image->height <= 4096) {
        count = (size_t)image->width * (size_t)image->height;
        image->pixels = (DWORD *)malloc(count * 4);
        ok = image->pixels && fread(image->pixels, 4, count, f) == count;
    }
    fclose(f);
    return ok;
}

static PROCESS_INFORMATION started;

static int startProgram(const char *program)
{
    char commandLine[MAX_PATH + 3];
    STARTUPINFOA startup;
    if ((size_t)snprintf(commandLine, sizeof commandLine, "\"%s\"", program) >= sizeof commandLine)
        return 0;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    return CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                          &started) != 0;
}

/* Closes the program as its close box would, and waits for it to end. */
static void stopProgram(const char *cls, const char *title)
{
    HWND hwnd = FindWindowA(cls, title);
    if (hwnd) PostMessageA(hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

static HWND waitShown(const char *cls, const char *title, double start)
{
    HWND hwnd;
    while (!(hwnd = findShown(cls, title))) {
        if (nowMs() - start > TIMEOUT_MS) return NULL;
        Sleep(1);
    }
    return hwnd;
}

static int cmdSettle(const char *ref, const char *cls, const char *title, const char *program)
{
    struct Image settled = { 0, 0, NULL };
    HWND hwnd;
    int ok;
    if (!startProgram(program)) return 1;
    hwnd = waitShown(cls, title, nowMs());
    ok = hwnd && settle(hwnd, &settled) && saveImage(ref, &settled);
    stopProgram(cls, title);
    printf("settled=%d\n", ok);
    free(settled.pixels);
    return ok ? 0 : 1;
}

/* Polls the window's client area until it equals want; -1 on timeout. */
static double untilShows(HWND hwnd, const struct Image *want, const unsigned char *ignore,
                         double start, long *polls)
{
    struct Image now = { 0, 0, NULL };
    double done = -1;
    while (nowMs() - start < TIMEOUT_MS) {
        ++*polls;
        if (grab(hwnd, &now) && sameImage(&now, want, ignore)) {
            done = nowMs() - start;
            break;
        }
        Sleep(1);
    }
    free(now.pixels);
    return done;
}

static int cmdStart(const char *ref, const char *cls, const char *title, const char *program)
{
    struct Image want = { 0, 0, NULL };
    double start, shown = -1, painted = -1;
    long polls = 0;
    HWND hwnd;
    if (!loadImage(ref, &want)) return 2;
    start = nowMs();
    if (!startProgram(program)) return 1;
    hwnd = waitShown(cls, title, start);
    if (hwnd) {
        shown = nowMs() - start;
        painted = untilShows(hwnd, &want, NULL, start, &polls);
    }
    stopProgram(cls, title);
    printf("window_ms=%.2f\npainted_ms=%.2f\npolls=%ld\n", shown, painted, polls);
    free(want.pixels);
    return painted >= 0 ? 0 : 1;
}

/* A left click at a client point, through the system's input queue. */
static void press(HWND hwnd, int x, int y)
{
    POINT at = { x, y };
    INPUT input[2];
    ClientToScreen(hwnd, &at);
    SetCursorPos(at.x, at.y);
    memset(input, 0, sizeof input);
    input[0].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].type = INPUT_MOUSE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
}

/* Marks the pixels in which two images of the same page differ. */
static long markUnsettled(const struct Image *a, const struct Image *b, unsigned char *ignore)
{
    size_t i, count = (size_t)a->width * (size_t)a->height;
    long marked = 0;
    for (i = 0; i < count; i++)
        if (a->pixels[i] != b->pixels[i] && !ignore[i]) {
            ignore[i] = 1;
            marked++;
        }
    return marked;
}

/* The counter's text may be wider than its panel; what spills over is drawn
 * again, with a transparent background, at every page change and so keeps
 * changing for a few rounds. Each page is therefore learned twice, a round
 * apart, and the pixels that still changed between the two are not
 * compared: a pixel that came back the same after a whole round stays so. */
static int cmdPages(int runs, const char *cls, const char *title, const int *points,
                    const char *program)
{
    struct Image first[2] = { { 0, 0, NULL }, { 0, 0, NULL } };
    struct Image want[2] = { { 0, 0, NULL }, { 0, 0, NULL } };
    unsigned char *ignore = NULL;
    long ignored = 0;
    HWND hwnd;
    int ok = 1, run, which, round;
    if (runs < 1 || runs > 1000) return 2;
    if (!startProgram(program)) return 1;
    hwnd = waitShown(cls, title, nowMs());
    ok = hwnd && settle(hwnd, &want[0]);
    for (round = 0; ok && round < 2; round++)
        for (which = 0; ok && which < 2; which++) {
            press(hwnd, points[2 * which], points[2 * which + 1]);
            ok = settle(hwnd, round ? &want[which] : &first[which]);
        }
    if (ok && first[0].width == want[0].width && first[0].height == want[0].height &&
        first[1].width == want[0].width && first[1].height == want[0].height &&
        want[1].width == want[0].width && want[1].height == want[0].height) {
        ignore = (unsigned char *)calloc((size_t)want[0].width * (size_t)want[0].height, 1);
        ok = ignore != NULL;
    } else {
        ok = 0;
    }
    if (ok) {
        ignored = markUnsettled(&first[0], &want[0], ignore);
        ignored += markUnsettled(&first[1], &want[1], ignore);
        printf("ignored_pixels=%ld\n", ignored);
        /* Back to page a, as learned. */
        press(hwnd, points[0], points[1]);
        ok = settle(hwnd, &first[0]) && sameImage(&first[0], &want[0], ignore);
    }
    if (!ok) fprintf(stderr, "stopwatch: the pages did not settle\n");
    /* Page a is shown: time b, a, b, a, ... */
    for (run = 0; ok && run < 2 * runs; run++) {
        long polls = 0;
        double start, took;
        which = 1 - run % 2;
        start = nowMs();
        press(hwnd, points[2 * which], points[2 * which + 1]);
        took = untilShows(hwnd, &want[which], ignore, start, &polls);
        if (took < 0) {
            fprintf(stderr, "stopwatch: press %d never showed its page\n", run);
            ok = 0;
            break;
        }
        printf("%c.%d=%.2f\n", which ? 'b' : 'a', run / 2, took);
        fflush(stdout);
        Sleep(300);
    }
    stopProgram(cls, title);
    for (which = 0; which < 2; which++) {
        free(first[which].pixels);
        free(want[which].pixels);
    }
    free(ignore);
    return ok ? 0 : 1;
}

int main(int argc, char **argv)
{
    QueryPerformanceFrequency(&frequency);
    if (argc == 6 && strcmp(argv[1], "settle") == 0)
        return cmdSettle(argv[2], argv[3], argv[4], argv[5]);
    if (argc == 6 && strcmp(argv[1], "start") == 0)
        return cmdStart(argv[2], argv[3], argv[4], argv[5]);
    if (argc == 10 && strcmp(argv[1], "pages") == 0) {
        int points[4], i;
        for (i = 0; i < 4; i++) points[i] = atoi(argv[5 + i]);
        return cmdPages(atoi(argv[2]), argv[3], argv[4], points, argv[9]);
    }
    fprintf(stderr, "usage: stopwatch settle|start <ref> <class> <title> <program>\n"
                    "       stopwatch pages <runs> <class> <title> <x1> <y1> <x2> <y2> <program>\n");
    return 2;
}
