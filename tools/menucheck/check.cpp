// The check: the menu's own model reads MENU.DAT page by page and entry by
// entry, planLaunch says what each click does, the reader says which
// pictures are drawn. What the menu does not tell (keys it never asks for,
// cut values, places on screen, names on the disc) is worked out around it.
#include "tools/menucheck/checkrun.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "graphics/layout.h"
#include "menu/home.h"
#include "menu/text.h"
#include "platform/platform.h"
#include "tools/menucheck/encoding.h"

namespace check {

CheckReport* report;     // being filled
const CheckOptions* options;
MenuScan scan;
int* sectionRoles;
int* sectionCommands;
char discRoot[4];
int driveNumber;
char hostFolder[HOST_PATH];
int pictureRoom;
static int entryRoom, commandRoom, decorationRoom, findingRoom;

// The built-in button picture: only its identity matters here.
static const unsigned char builtInButton[40] = {40, 0, 0, 0, 248, 0, 0, 0, 32, 0, 0, 0, 1, 0, 8};

// --- Small helpers ----------------------------------------------------------

bool grow(void** items, int count, int* capacity, size_t size)
{
    if (count < *capacity)
        return true;
    int more = *capacity ? *capacity * 2 : 16;
    void* bigger = realloc(*items, (size_t)more * size);
    if (!bigger)
        return false;
    *items = bigger;
    *capacity = more;
    return true;
}

void numberText(char* out, size_t size, long long n)
{
    snprintf(out, size, "%lld", n);
}

void numberedKey(char* key, size_t size, const char* prefix, int n)
{
    snprintf(key, size, "%s%d", prefix, n);
}

// "[SECTION] Key" in UTF-8.
void whereKey(char* out, size_t size, const char* section, const char* key)
{
    char name[NAME_BYTES * 4 + SCAN_NAME_BYTES * 3], keyName[SCAN_NAME_BYTES * 3];
    sjisToUtf8(section, name, sizeof name);
    sjisToUtf8(key, keyName, sizeof keyName);
    snprintf(out, size, "[%s] %s", name, keyName);
}

// "[SECTION]" in UTF-8.
void whereSection(char* out, size_t size, const char* section)
{
    char name[NAME_BYTES * 4 + SCAN_NAME_BYTES * 3];
    sjisToUtf8(section, name, sizeof name);
    snprintf(out, size, "[%s]", name);
}

int keyLine(const char* section, const char* key)
{
    int k = findKey(&scan, findSection(&scan, section), key);
    return k >= 0 ? scan.keys[k].line : 0;
}

void addFinding(Severity severity, FindingCode code, const char* where, int line,
                const char* a0, const char* a1, const char* a2, const char* a3)
{
    const char* args[FINDING_ARGS] = {a0, a1, a2, a3};
    Finding f;
    memset(&f, 0, sizeof f);
    f.severity = severity;
    f.code = code;
    f.line = line;
    copyUtf8(f.where, sizeof f.where, where ? where : "");
    for (int i = 0; i < FINDING_ARGS; i++)
        copyUtf8(f.args[i], sizeof f.args[i], args[i] ? args[i] : "");
    // A section named twice, or a picture used twice, is told once.
    for (int i = 0; i < report->findingCount; i++)
        if (memcmp(&report->findings[i], &f, sizeof f) == 0)
            return;
    if (!grow((void**)&report->findings, report->findingCount, &findingRoom, sizeof f))
        return;
    report->findings[report->findingCount++] = f;
    if (severity == FINDING_ERROR)
        report->errors++;
    else if (severity == FINDING_WARNING)
        report->warnings++;
    else
        report->notes++;
}

// A value of the file through the menu's own reader, cut as the model cuts
// it: size - 1 bytes at most, at a character boundary.
int readCut(const char* section, const char* key, char* out, size_t size)
{
    char value[FULL_VALUE];
    readProfileString(section, key, value, (int)size + 1, menuFilePath);
    copyText(out, size, value);
    return out[0] != 0;
}

int readFull(const char* section, const char* key, char* out)
{
    return readProfileString(section, key, out, FULL_VALUE, menuFilePath);
}

// Whether an absolute path of the disc names one of its files or folders.
DiscKind findAbsolute(const char* absolute)
{
    char host[HOST_PATH];
    int same;
    if (!onDrive(absolute, options->drive))
        return DISC_MISSING;
    return findOnDisc(hostFolder, absolute, host, sizeof host, &same);
}

// --- Pages, entries, buttons, decorations ---------------------------------------

static void recordDecorations(int entry, const char* section)
{
    loadDecorations(section);
    for (int k = 0; k < decorationCount; k++) {
        if (!grow((void**)&report->decorations, report->decorationCount, &decorationRoom,
                  sizeof(DecorationInfo)))
            break;
        DecorationInfo* d = &report->decorations[report->decorationCount++];
        memset(d, 0, sizeof *d);
        d->entry = entry;
        d->number = k + 1;
        d->x = decorationPositions[k].x;
        d->y = decorationPositions[k].y;
        char key[SCAN_NAME_BYTES], where[WHERE_BYTES], value[PICTURE_VALUE],
            file[DECORATION_FILE];
        numberedKey(key, sizeof key, "Bmp", k + 1);
        whereKey(where, sizeof where, section, key);
        int line = keyLine(section, key);
        readCut(section, key, value, sizeof value);
        getField(file, sizeof file, value, 0);
        d->picture = pictureFor(file, where, line, false);
        if (d->picture >= 0 && report->pictures[d->picture].reason == PICTURE_OK) {
            d->width = report->pictures[d->picture].width;
            d->height = report->pictures[d->picture].height;
            checkPlace(where, line, d->x, d->y, d->width, d->height);
        }
    }
    freeDecorations();
}

static void recordCommands(int entry, const char* section)
{
    loadCommands(section);
    int first = report->commandCount;
    for (int i = 0; i < commandCount; i++) {
        if (!grow((void**)&report->commands, report->commandCount, &commandRoom,
                  sizeof(CommandInfo)))
            break;
        CommandInfo* c = &report->commands[report->commandCount++];
        memset(c, 0, sizeof *c);
        c->entry = entry;
        c->number = i + 1;
        c->button = commandList[i];
        c->button.picture = 0;  // the model's block goes with freeCommands
        c->picture = -1;
        c->visible = 1;
        char key[SCAN_NAME_BYTES], where[WHERE_BYTES], value[PICTURE_VALUE], file[BUTTON_FILE];
        numberedKey(key, sizeof key, "BtnBmp", i + 1);
        if (readCut(section, key, value, sizeof value)) {
            whereKey(where, sizeof where, section, key);
            getField(file, sizeof file, value, 0);
            c->picture = pictureFor(file, where, keyLine(section, key), true);
            const PictureInfo* p = c->picture >= 0 ? &report->pictures[c->picture] : 0;
            c->visible = p && p->reason == PICTURE_OK;
            // The model's rule: half the picture's width, its height; a
            // picture that cannot be read keeps the default size.
            c->button.width = c->visible ? p->width / 2 : defaultButtonSize[0];
            c->button.height = c->visible ? p->height : defaultButtonSize[1];
        }
        planCommand(c, section);
    }
    freeCommands();

    for (int i = first; i < report->commandCount; i++) {
        const CommandInfo* c = &report->commands[i];
        const CommandButton* b = &c->button;
        char key[SCAN_NAME_BYTES], where[WHERE_BYTES];
        numberedKey(key, sizeof key, "Command", c->number);
        whereKey(where, sizeof where, section, key);
        int line = keyLine(section, key);
        checkPlace(where, line, b->x, b->y, b->width, b->height);
        int width = estimateCaptionWidth(b->caption);
        if (c->visible && width > b->width) {
            char text[FINDING_ARG_BYTES], w[16], room[16];
            sjisToUtf8(b->caption, text, sizeof text);
            numberText(w, sizeof w, width);
            numberText(room, sizeof room, b->width);
            addFinding(FINDING_WARNING, F_CAPTION_WIDE, where, line, text, w, room);
        }
        for (int j = i + 1; j < report->commandCount; j++) {
            const CommandButton* o = &report->commands[j].button;
            if (overlaps(b->x, b->y, b->width, b->height, o->x, o->y, o->width, o->height)) {
                char one[16], other[16];
                numberText(one, sizeof one, c->number);
                numberText(other, sizeof other, report->commands[j].number);
                addFinding(FINDING_WARNING, F_BUTTONS_OVERLAP, where, line, one, other);
            }
        }
    }
}

static void recordEntries(int page)
{
    PageInfo* info = &report->pages[page];
    loadEntries(page);
    info->firstEntry = report->entryCount;
    info->entryCount = 0;
    for (int k = 0; k < entryCount; k++) {
        if (!grow((void**)&report->entries, report->entryCount, &entryRoom, sizeof(EntryInfo)))
            break;
        int index = report->entryCount++;
        info->entryCount++;
        EntryInfo* e = &report->entries[index];
        memset(e, 0, sizeof *e);
        e->page = page;
        e->number = k + 1;
        memcpy(e->section, entrySection[k], NAME_BYTES);
        memcpy(e->title, entryTitle[k], NAME_BYTES);
        e->sectionExists = findSection(&scan, e->section) >= 0;
        char key[SCAN_NAME_BYTES], where[WHERE_BYTES], name[FINDING_ARG_BYTES];
        numberedKey(key, sizeof key, "Menu", k + 1);
        whereKey(where, sizeof where, info->section, key);
        if (!e->sectionExists) {
            sjisToUtf8(e->section, name, sizeof name);
            addFinding(FINDING_WARNING, F_MISSING_SECTION, where, keyLine(info->section, key),
                       name);
        }
        checkTitleWidth(e->section, e->title,
                        controlSize[CONTROL_FIRST_SLOT][0] - 30);  // left-aligned at x + 30
        e->firstCommand = report->commandCount;
        e->firstDecoration = report->decorationCount;
        recordCommands(index, e->section);
        // Re-read: the arrays may have moved.
        e = &report->entries[index];
        e->commandCount = report->commandCount - e->firstCommand;
        recordDecorations(index, e->section);
        e = &report->entries[index];
        e->decorationCount = report->decorationCount - e->firstDecoration;
        markRole(e->section, ROLE_ENTRY, e->commandCount);
        if (e->commandCount == 0 && e->sectionExists) {
            char section[WHERE_BYTES];
            whereSection(section, sizeof section, e->section);
            addFinding(FINDING_NOTE, F_NO_COMMANDS, section, 0);
        }
    }
    freeEntries();
}

// --- The run ----------------------------------------------------------------------

static void checkMenu(void)
{
    // The start screen: decorations of the main section.
    recordDecorations(-1, "Menu");
    report->startDecorations = report->decorationCount;
    markRole("MENU", ROLE_MAIN, 0);

    loadPages();
    for (int p = 0; p < PAGE_SLOTS && pageSection[p][0]; p++) {
        PageInfo* info = &report->pages[p];
        memcpy(info->section, pageSection[p], NAME_BYTES);
        memcpy(info->title, pageTitle[p], NAME_BYTES);
        info->sectionExists = findSection(&scan, info->section) >= 0;
        report->pageCount = p + 1;
        char key[SCAN_NAME_BYTES], where[WHERE_BYTES], name[FINDING_ARG_BYTES];
        numberedKey(key, sizeof key, "Page", p + 1);
        whereKey(where, sizeof where, "MENU", key);
        if (!info->sectionExists) {
            sjisToUtf8(info->section, name, sizeof name);
            addFinding(FINDING_WARNING, F_MISSING_SECTION, where, keyLine("MENU", key), name);
        }
        checkTitleWidth(info->section, info->title, controlSize[CONTROL_FIRST_TAB][0]);
        markRole(info->section, ROLE_PAGE, 0);
        recordEntries(p);
        if (report->pages[p].entryCount == 0 && info->sectionExists) {
            char section[WHERE_BYTES];
            whereSection(section, sizeof section, info->section);
            addFinding(FINDING_NOTE, F_EMPTY_PAGE, section, 0);
        }
    }
    if (report->pageCount == 0 && report->menuFound)
        addFinding(FINDING_ERROR, F_NO_PAGES, "[MENU] Page1", keyLine("MENU", "Page1"));
}

// Errors first, then warnings, then notes; by line of MENU.DAT within each,
// the findings about files after those of lines, otherwise as found.
static int findingOrder(const void* a, const void* b)
{
    const Finding* x = &report->findings[*(const int*)a];
    const Finding* y = &report->findings[*(const int*)b];
    if (x->severity != y->severity)
        return x->severity > y->severity ? -1 : 1;
    long lx = x->line > 0 ? x->line : 0x7FFFFFFFL;
    long ly = y->line > 0 ? y->line : 0x7FFFFFFFL;
    if (lx != ly)
        return lx < ly ? -1 : 1;
    return *(const int*)a - *(const int*)b;
}

static void sortFindings(void)
{
    int n = report->findingCount;
    if (n < 2)
        return;
    int* order = (int*)malloc((size_t)n * sizeof(int));
    Finding* sorted = (Finding*)malloc((size_t)n * sizeof(Finding));
    if (order && sorted) {
        for (int i = 0; i < n; i++)
            order[i] = i;
        qsort(order, (size_t)n, sizeof(int), findingOrder);
        for (int i = 0; i < n; i++)
            sorted[i] = report->findings[order[i]];
        memcpy(report->findings, sorted, (size_t)n * sizeof(Finding));
    }
    free(order);
    free(sorted);
}

}  // namespace check

using namespace check;

int runCheck(const CheckOptions* opts, CheckReport* out)
{
    return runCheckOf(opts, 0, out);
}

int runCheckOf(const CheckOptions* opts, const char* menuFile, CheckReport* out)
{
    memset(out, 0, sizeof *out);
    report = out;
    options = opts;
    pictureRoom = entryRoom = commandRoom = decorationRoom = findingRoom = 0;
    out->drive = opts->drive;
    out->encoding = "";
    // The model joins names to homeDir: the folder and MENU.DAT must fit it.
    if (!fullFolderPath(opts->folder, hostFolder, sizeof hostFolder) ||
        strlen(hostFolder) + sizeof "/MENU.DAT" > PATH_BYTES || !folderReadable(hostFolder) ||
        (menuFile && strlen(menuFile) >= PATH_BYTES))
        return 0;
    copyText(out->folder, sizeof out->folder, hostFolder);
    snprintf(discRoot, sizeof discRoot, "%c:\\", opts->drive);
    driveNumber = opts->drive - 64;

    // The model works on the menu's globals: keep them as they were.
    static char savedHome[PATH_BYTES], savedMenuFile[PATH_BYTES];
    static int savedPressed[CONTROL_COUNT], savedDisabled[CONTROL_COUNT];
    memcpy(savedHome, homeDir, sizeof savedHome);
    memcpy(savedMenuFile, menuFilePath, sizeof savedMenuFile);
    memcpy(savedPressed, controlPressed, sizeof savedPressed);
    memcpy(savedDisabled, controlDisabled, sizeof savedDisabled);
    PackedDib savedButton = defaultButtonPicture;
    defaultButtonPicture = builtInButton;

    copyText(homeDir, sizeof homeDir, hostFolder);
    char menuAbsolute[16], host[HOST_PATH];
    snprintf(menuAbsolute, sizeof menuAbsolute, "%c:\\MENU.DAT", opts->drive);
    int same = 1;
    if (menuFile) {
        copyText(host, sizeof host, menuFile);
        out->menuFound = 1;
    } else {
        out->menuFound =
            findOnDisc(hostFolder, menuAbsolute, host, sizeof host, &same) == DISC_FILE;
    }
    if (!out->menuFound) {
        // A file that is not there reads as one with no keys.
        // The folder was measured to leave room for the name.
        copyText(host, sizeof host, hostFolder);
        size_t used = strlen(host);
        if (!hostEndsInSeparator(host))
            host[used++] = HOST_SEPARATOR;
        copyText(host + used, sizeof host - used, "MENU.DAT");
    }
    copyText(menuFilePath, sizeof menuFilePath, host);
    if (out->menuFound && scanMenuFile(host, &scan)) {
        out->menuBytes = (long)scan.size;
        if (!same)
            addFinding(FINDING_NOTE, F_NAME_CASE, "MENU.DAT", 0, "MENU.DAT");
    } else {
        memset(&scan, 0, sizeof scan);
        scanMenuData((const unsigned char*)"", 0, &scan);
        addFinding(FINDING_ERROR, F_MENU_MISSING, "MENU.DAT", 0);
    }
    sectionRoles = (int*)calloc((size_t)scan.sectionCount + 1, sizeof(int));
    sectionCommands = (int*)calloc((size_t)scan.sectionCount + 1, sizeof(int));
    int ok = sectionRoles && sectionCommands;
    if (ok) {
        if (out->menuFound)
            checkEncoding();
        checkMenu();
        checkSections();
        checkDiscFiles();
        sortFindings();
    }
    free(sectionRoles);
    free(sectionCommands);
    sectionRoles = sectionCommands = 0;
    freeScan(&scan);

    memcpy(homeDir, savedHome, sizeof savedHome);
    memcpy(menuFilePath, savedMenuFile, sizeof savedMenuFile);
    memcpy(controlPressed, savedPressed, sizeof savedPressed);
    memcpy(controlDisabled, savedDisabled, sizeof savedDisabled);
    defaultButtonPicture = savedButton;
    return ok;
}

void freeReport(CheckReport* r)
{
    free(r->entries);
    free(r->commands);
    free(r->decorations);
    free(r->pictures);
    free(r->findings);
    memset(r, 0, sizeof *r);
}

int reportStatus(const CheckReport* r)
{
    return r->errors ? 2 : r->warnings ? 1 : 0;
}
