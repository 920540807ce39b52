// Times the menu model's loading over a large MENU.DAT: a page of 1,000
// entries, each with 10 command buttons and 5 decorations.
//
//   modelbench write <dir>        writes that disc (MENU.DAT and pictures)
//   modelbench [<dir>] [<ms>]     writes it (into a temporary folder unless
//                                 given), then times loadEntries and one
//                                 entry's loadCommands + loadDecorations,
//                                 repeating each for about <ms> (default 1000)
//
// Every list is counted first and read again, so each numbered key is read
// twice; the profile reads are counted where the build can intercept them.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "graphics/layout.h"
#include "menu/home.h"
#include "menu/model.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utime.h>
#endif

enum {
    BIG_ENTRIES = 1000,
    BUTTONS = 10,
    DECORATIONS = 5,
    MIN_RUNS = 5,
    MAX_RUNS = 200,
};

// --- Counting profile reads (the link wraps the platform's reader) ---------
static long profileReads;

#ifdef BENCH_COUNT_READS
extern "C" int __real__Z17readProfileStringPKcS0_PciS0_(const char*, const char*,
                                                        char*, int, const char*);
extern "C" int __wrap__Z17readProfileStringPKcS0_PciS0_(const char* section,
                                                        const char* key, char* buffer,
                                                        int size, const char* file)
{
    profileReads++;
    return __real__Z17readProfileStringPKcS0_PciS0_(section, key, buffer, size, file);
}
#endif

// --- Clock -------------------------------------------------------------------
static double nowMs(void)
{
#ifdef _WIN32
    static LARGE_INTEGER frequency;
    LARGE_INTEGER t;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)frequency.QuadPart;
#else
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
#endif
}

// --- Writing the disc --------------------------------------------------------
static char discDir[PATH_BYTES];

static void pathIn(char* path, size_t size, const char* name)
{
#ifdef _WIN32
    snprintf(path, size, "%s\\%s", discDir, name);
#else
    snprintf(path, size, "%s/%s", discDir, name);
#endif
}

static FILE* createIn(const char* name)
{
    char path[PATH_BYTES * 2];
    pathIn(path, sizeof path, name);
    return fopen(path, "wb");
}

static void put16(FILE* f, unsigned v)
{
    fputc((int)(v & 255), f);
    fputc((int)((v >> 8) & 255), f);
}

static void put32(FILE* f, unsigned v)
{
    put16(f, v & 0xFFFF);
    put16(f, v >> 16);
}

// A 24-bit picture, its left half one colour and its right half another
// (a button's normal and pressed looks); colours as 0xRRGGBB.
static int writeBmp(const char* name, int w, int h, unsigned left, unsigned right)
{
    FILE* f = createIn(name);
    if (!f)
        return 0;
    unsigned stride = (unsigned)(w * 3 + 3) & ~3u;
    unsigned bits = stride * (unsigned)h;
    fputs("BM", f);
    put32(f, 14 + 40 + bits);
    put32(f, 0);
    put32(f, 14 + 40);
    put32(f, 40);
    put32(f, (unsigned)w);
    put32(f, (unsigned)h);
    put16(f, 1);
    put16(f, 24);
    put32(f, 0);
    put32(f, bits);
    put32(f, 2835);
    put32(f, 2835);
    put32(f, 0);
    put32(f, 0);
    for (int y = 0; y < h; y++) {
        unsigned x = 0;
        for (; x < (unsigned)w; x++) {
            unsigned c = x < (unsigned)w / 2 ? left : right;
            fputc((int)(c & 255), f);
            fputc((int)((c >> 8) & 255), f);
            fputc((int)((c >> 16) & 255), f);
        }
        for (x *= 3; x < stride; x++)
            fputc(0, f);
    }
    return fclose(f) == 0;
}

// Page 1 holds the 1,000 entries; page 2 one plain entry, something to
// switch away to. Entry sections follow in order, so the last entry's
// section is the last in the file.
static int writeDisc(void)
{
    static const unsigned decorationColours[DECORATIONS] = {
        0xC03030, 0x30C030, 0x3030C0, 0xC0C030, 0x30C0C0};
    if (!writeBmp("BTN.BMP", 248, 32, 0x2060A0, 0xA06020))
        return 0;
    for (int d = 0; d < DECORATIONS; d++) {
        char name[16];
        snprintf(name, sizeof name, "DEC%d.BMP", d + 1);
        if (!writeBmp(name, 48, 48, decorationColours[d], decorationColours[d]))
            return 0;
    }
    FILE* f = createIn("MENU.DAT");
    if (!f)
        return 0;
    fputs("[MENU]\r\nPage1=BIG\r\nPage2=SMALL\r\n\r\n", f);
    fputs("[BIG]\r\nTitle=1000 entries\r\n", f);
    for (int e = 1; e <= BIG_ENTRIES; e++)
        fprintf(f, "Menu%d=E%04d\r\n", e, e);
    fputs("\r\n[SMALL]\r\nTitle=One entry\r\nMenu1=PLAIN\r\n\r\n", f);
    fputs("[PLAIN]\r\nTitle=Plain\r\n\r\n", f);
    for (int e = 1; e <= BIG_ENTRIES; e++) {
        fprintf(f, "[E%04d]\r\nTitle=Entry %d\r\n", e, e);
        for (int b = 1; b <= BUTTONS; b++)
            fprintf(f, "Command%d=Button %d,PROGRAM%d.EXE /ENTRY=%d\r\n"
                       "BtnBmp%d=BTN.BMP\r\nBtnTextCol%d=255,255,%d\r\n",
                    b, b, b, e, b, b, 20 * b);
        for (int d = 1; d <= DECORATIONS; d++)
            fprintf(f, "Bmp%d=DEC%d.BMP,%d,10\r\n", d, d, 10 + 74 * (d - 1));
        fputs("\r\n", f);
    }
    if (fclose(f) != 0)
        return 0;
#ifndef _WIN32
    // The native reader compares a file changed in the last two seconds
    // byte for byte before trusting its cache; a disc's files are old.
    char path[PATH_BYTES * 2];
    pathIn(path, sizeof path, "MENU.DAT");
    struct utimbuf old = {time(NULL) - 3600, time(NULL) - 3600};
    utime(path, &old);
#endif
    return 1;
}

static int makeTempDir(void)
{
#ifdef _WIN32
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    for (unsigned n = GetTickCount(), tries = 0; tries < 1000; n++, tries++) {
        snprintf(discDir, sizeof discDir, "%smodelbench%u", base, n);
        if (CreateDirectoryA(discDir, NULL))
            return 1;
    }
    return 0;
#else
    snprintf(discDir, sizeof discDir, "/tmp/modelbenchXXXXXX");
    return mkdtemp(discDir) != NULL;
#endif
}

// --- Timing ------------------------------------------------------------------
static int compareDoubles(const void* a, const void* b)
{
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y ? 1 : 0;
}

struct Timing {
    double median, best;
    int runs;
    long reads;  // profile reads of one run
};

static void loadPage(void)
{
    freeEntries();
    loadEntries(0);
}

static const char* timedSection;

static void loadEntry(void)
{
    freeDecorations();
    freeCommands();
    loadCommands(timedSection);
    loadDecorations(timedSection);
}

static Timing timeIt(void (*work)(void), double budgetMs)
{
    double times[MAX_RUNS];
    Timing t = {0, 0, 0, 0};
    double start = nowMs();
    while (t.runs < MAX_RUNS && (t.runs < MIN_RUNS || nowMs() - start < budgetMs)) {
        long before = profileReads;
        double t0 = nowMs();
        work();
        times[t.runs++] = nowMs() - t0;
        t.reads = profileReads - before;
    }
    qsort(times, (size_t)t.runs, sizeof times[0], compareDoubles);
    t.median = times[t.runs / 2];
    t.best = times[0];
    return t;
}

static void report(const char* name, Timing t)
{
    printf("%-44s %10.3f ms  (best %.3f, %d runs)", name, t.median, t.best, t.runs);
#ifdef BENCH_COUNT_READS
    printf("  %ld profile reads", t.reads);
#endif
    printf("\n");
}

static long fileSize(const char* path)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return -1;
    long n = -1;
    if (fseek(f, 0, SEEK_END) == 0)
        n = ftell(f);
    fclose(f);
    return n;
}

// A stand-in for the built-in default button picture: never drawn here.
static const unsigned char builtInButton[64] = {40};

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "write") == 0) {
        if (strlen(argv[2]) >= sizeof discDir) {
            fprintf(stderr, "modelbench: folder name too long\n");
            return 2;
        }
        snprintf(discDir, sizeof discDir, "%s", argv[2]);
        if (!writeDisc()) {
            fprintf(stderr, "modelbench: cannot write the disc into %s\n", discDir);
            return 1;
        }
        return 0;
    }
    double budget = argc > 2 ? atof(argv[2]) : 1000.0;
    if (budget <= 0)
        budget = 1000.0;
    if (argc > 1) {
        if (strlen(argv[1]) >= sizeof discDir) {
            fprintf(stderr, "modelbench: folder name too long\n");
            return 2;
        }
        snprintf(discDir, sizeof discDir, "%s", argv[1]);
    } else if (!makeTempDir()) {
        fprintf(stderr, "modelbench: no temporary folder\n");
        return 1;
    }
    if (!writeDisc()) {
        fprintf(stderr, "modelbench: cannot write the disc into %s\n", discDir);
        return 1;
    }

    // The model takes the disc folder from the executable's path.
    char module[PATH_BYTES];
    if ((size_t)snprintf(module, sizeof module, "%s\\MENU.EXE", discDir) >= sizeof module) {
        fprintf(stderr, "modelbench: folder name too long\n");
        return 2;
    }
    setHome(module);
    defaultButtonPicture = builtInButton;
    for (int i = 0; i < CONTROL_COUNT; i++)
        controlDisabled[i] = 1;

    loadPages();
    if (strcmp(pageSection[0], "BIG") != 0) {
        fprintf(stderr, "modelbench: %s does not read back\n", menuFilePath);
        return 1;
    }
    char dat[PATH_BYTES * 2];
    pathIn(dat, sizeof dat, "MENU.DAT");
    printf("MENU.DAT: %ld bytes, %d entries x (%d command buttons, %d decorations)\n",
           fileSize(dat), BIG_ENTRIES, BUTTONS, DECORATIONS);

    Timing page = timeIt(loadPage, budget);
    if (entryCount != BIG_ENTRIES) {
        fprintf(stderr, "modelbench: read %d entries, wrote %d\n", entryCount, BIG_ENTRIES);
        return 1;
    }
    report("loadEntries (1,000 entries)", page);

    // The first entry's section comes early in the file, the last one's at
    // the end: a reader that searches the file from the top pays most there.
    static const int timedEntries[2] = {0, BIG_ENTRIES - 1};
    for (int i = 0; i < 2; i++) {
        char name[80];
        timedSection = entrySection[timedEntries[i]];
        Timing entry = timeIt(loadEntry, budget);
        if (commandCount != BUTTONS || decorationCount != DECORATIONS ||
            !commandList[BUTTONS - 1].picture || !decorationPictures[DECORATIONS - 1]) {
            fprintf(stderr, "modelbench: entry %s read back %d commands, %d decorations\n",
                    timedSection, commandCount, decorationCount);
            return 1;
        }
        snprintf(name, sizeof name, "loadCommands + loadDecorations (entry %d)",
                 timedEntries[i] + 1);
        report(name, entry);
    }
    freeDecorations();
    freeCommands();
    freeEntries();
    return 0;
}
