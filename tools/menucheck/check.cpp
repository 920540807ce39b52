// The check: the menu's own model reads MENU.DAT page by page and entry by
// entry, planLaunch says what each click does, the reader says which
// pictures are drawn. What the menu does not tell (keys it never asks for,
// cut values, places on screen, names on the disc) is worked out around it.
#include "tools/menucheck/check.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "graphics/layout.h"
#include "menu/home.h"
#include "menu/text.h"
#include "platform/platform.h"
#include "tools/menucheck/autorun.h"
#include "tools/menucheck/discfs.h"
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/host.h"
#include "tools/menucheck/picture.h"
#include "tools/menucheck/scan.h"

// Buffers the model reads values into (menu/model.cpp): the value's
// limit is one byte less.
enum {
    PAGE_VALUE = NAME_BYTES,                  // Page%d, Menu%d, Title
    COMMAND_VALUE = COMMAND_BYTES,
    NUMBER_VALUE = 30,                        // BtnPos%d, BtnTextCol%d
    NUMBER_FIELD = 12,                        // each of their numbers
    PICTURE_VALUE = PICTURE_VALUE_BYTES,      // BtnBmp%d, Bmp%d
    BUTTON_FILE = BUTTON_FILE_BYTES,          // the file name of BtnBmp%d
    DECORATION_FILE = DECORATION_FILE_BYTES,  // the file name of Bmp%d
    DECORATION_FIELD = 20,                    // the numbers of Bmp%d
    FULL_VALUE = 4096,                        // enough to see what is cut
    MAX_WALK = 100000,                        // names looked at on the disc
    BAD_BYTES_SHOWN = 5,
};

enum { ROLE_MAIN = 1, ROLE_PAGE = 2, ROLE_ENTRY = 4 };

// On a 256-colour display, colours this far (mean over the pixels, in RGB
// units) from the palette look plainly different from the picture.
static const double PALETTE_WARNING_DISTANCE = 24.0;

// The built-in button picture: only its identity matters here.
static const unsigned char builtInButton[40] = {40, 0, 0, 0, 248, 0, 0, 0, 32, 0, 0, 0, 1, 0, 8};

// Programs every Windows has in its own folders, started by bare name.
static const char* const systemPrograms[] = {
    "notepad.exe", "write.exe", "calc.exe", "explorer.exe", "winhelp.exe", "winhlp32.exe",
    "control.exe", "regedit.exe", "mspaint.exe", "mplay32.exe", "sndrec32.exe", "cmd.exe",
    "rundll32.exe", "hh.exe",
};

// What the fixed controls and the counter panel are called in findings.
static const char* const controlNames[CONTROL_COUNT] = {
    "exit", "previous", "next", "tab1", "tab2", "tab3", "tab4", "tab5",
    "slot1", "slot2", "slot3", "slot4", "slot5",
};

static CheckReport* report;     // being filled
static const CheckOptions* options;
static MenuScan scan;
static int* sectionRoles;        // per scanned section
static int* sectionCommands;     // command count of sections used as entries
static char discRoot[4];         // "Q:\"
static int driveNumber;          // 17 for Q
static char hostFolder[HOST_PATH];
static int pictureRoom, entryRoom, commandRoom, decorationRoom, findingRoom;

// --- Small helpers ----------------------------------------------------------

static bool grow(void** items, int count, int* capacity, size_t size)
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

static void numberText(char* out, size_t size, long long n)
{
    snprintf(out, size, "%lld", n);
}

static void numberedKey(char* key, size_t size, const char* prefix, int n)
{
    snprintf(key, size, "%s%d", prefix, n);
}

// "[SECTION] Key" in UTF-8.
static void whereKey(char* out, size_t size, const char* section, const char* key)
{
    char name[NAME_BYTES * 4 + SCAN_NAME_BYTES * 3], keyName[SCAN_NAME_BYTES * 3];
    sjisToUtf8(section, name, sizeof name);
    sjisToUtf8(key, keyName, sizeof keyName);
    snprintf(out, size, "[%s] %s", name, keyName);
}

// "[SECTION]" in UTF-8.
static void whereSection(char* out, size_t size, const char* section)
{
    char name[NAME_BYTES * 4 + SCAN_NAME_BYTES * 3];
    sjisToUtf8(section, name, sizeof name);
    snprintf(out, size, "[%s]", name);
}

static int keyLine(const char* section, const char* key)
{
    int k = findKey(&scan, findSection(&scan, section), key);
    return k >= 0 ? scan.keys[k].line : 0;
}

static void addFinding(Severity severity, FindingCode code, const char* where, int line,
                       const char* a0 = "", const char* a1 = "", const char* a2 = "",
                       const char* a3 = "")
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
static int readCut(const char* section, const char* key, char* out, size_t size)
{
    char value[FULL_VALUE];
    readProfileString(section, key, value, (int)size + 1, menuFilePath);
    copyText(out, size, value);
    return out[0] != 0;
}

static int readFull(const char* section, const char* key, char* out)
{
    return readProfileString(section, key, out, FULL_VALUE, menuFilePath);
}

// Numbered keys from 1 up to the first missing or empty one, as the model
// counts them.
static int listCount(const char* section, const char* prefix, int limit)
{
    int n = 0;
    char key[SCAN_NAME_BYTES], value[8];
    while (n < limit) {
        numberedKey(key, sizeof key, prefix, n + 1);
        if (!readCut(section, key, value, sizeof value))
            break;
        n++;
    }
    return n;
}

// --- Values that do not fit -------------------------------------------------

static void reportCut(FindingCode code, const char* section, const char* key, int field,
                      const char* full, size_t slot)
{
    size_t length = strlen(full);
    if (length <= slot - 1)
        return;
    char kept[FULL_VALUE], keptUtf8[FINDING_ARG_BYTES], lostUtf8[FINDING_ARG_BYTES];
    copyText(kept, slot, full);
    sjisToUtf8(kept, keptUtf8, sizeof keptUtf8);
    sjisToUtf8(full + strlen(kept), lostUtf8, sizeof lostUtf8);
    char where[WHERE_BYTES], a0[16], a1[16];
    whereKey(where, sizeof where, section, key);
    numberText(a0, sizeof a0, code == F_FIELD_CUT ? field + 1 : (long long)length);
    numberText(a1, sizeof a1, (long long)(slot - 1));
    addFinding(FINDING_WARNING, code, where, keyLine(section, key), a0, a1, keptUtf8, lostUtf8);
}

// Checks a value against its buffer and the given fields against theirs.
static void checkValueFits(const char* section, const char* key, size_t valueSlot,
                           const size_t* fieldSlots, int fields)
{
    char full[FULL_VALUE];
    readFull(section, key, full);
    reportCut(F_VALUE_CUT, section, key, 0, full, valueSlot);
    char value[FULL_VALUE];
    copyText(value, valueSlot, full);
    for (int f = 0; f < fields; f++) {
        char field[FULL_VALUE];
        getField(field, sizeof field, value, f);
        reportCut(F_FIELD_CUT, section, key, f, field, fieldSlots[f]);
    }
}

// --- Keys the menu never reads ----------------------------------------------

// "Menu12" into "Menu" and 12; *form is 0 for a number the menu forms
// ("%d" from 1), 1 for none, 2 for 0, a leading zero or a sign.
static void splitKey(const char* name, char* prefix, size_t size, long* number, int* form)
{
    size_t p = 0;
    while (name[p] && !(name[p] >= '0' && name[p] <= '9') && name[p] != '+' && name[p] != '-')
        p++;
    copyText(prefix, p + 1 < size ? p + 1 : size, name);
    *number = 0;
    *form = 1;
    const char* digits = name + p;
    if (!*digits)
        return;
    bool sign = *digits == '+' || *digits == '-';
    const char* d = sign ? digits + 1 : digits;
    if (!*d) {
        *form = 1;
        prefix[0] = 0;  // "Menu-": not a numbered key at all
        return;
    }
    for (const char* c = d; *c; c++)
        if (*c < '0' || *c > '9') {
            prefix[0] = 0;
            return;
        }
    long n = 0;
    for (const char* c = d; *c && n < 1000000; c++)
        n = n * 10 + (*c - '0');
    *number = n;
    *form = sign || d[0] == '0' ? 2 : 0;
}

static bool isPrefix(const char* prefix, const char* name)
{
    return sameKeyName(prefix, name);
}

static void checkSectionKeys(int s)
{
    const ScanSection* sec = &scan.sections[s];
    int roles = sectionRoles[s];
    const char* name = sec->name;
    char where[WHERE_BYTES];
    int counts[4] = {-1, -1, -1, -1};  // Page, Menu, Command, Bmp
    static const char* const lists[4] = {"Page", "Menu", "Command", "Bmp"};

    for (int k = sec->firstKey; k < sec->firstKey + sec->keyCount; k++) {
        const ScanKey* key = &scan.keys[k];
        if (key->comment)
            continue;
        whereKey(where, sizeof where, name, key->name);
        char shown[SCAN_NAME_BYTES * 3];  // the key's name for findings
        sjisToUtf8(key->name, shown, sizeof shown);
        // The first of two keys of one name is the one read.
        int first = findKey(&scan, s, key->name);
        if (first >= 0 && first != k) {
            char line[16];
            numberText(line, sizeof line, scan.keys[first].line);
            addFinding(FINDING_WARNING, F_DUPLICATE_KEY, where, key->line, shown, line);
            continue;
        }
        char prefix[SCAN_NAME_BYTES];
        long n;
        int form;
        splitKey(key->name, prefix, sizeof prefix, &n, &form);
        bool known = false;
        if (form == 1 && isPrefix("Title", prefix) && (roles & (ROLE_PAGE | ROLE_ENTRY))) {
            known = true;
            checkValueFits(name, key->name, PAGE_VALUE, 0, 0);
        }
        int list = -1;
        if (form != 1) {
            if ((roles & ROLE_MAIN) && isPrefix("Page", prefix)) list = 0;
            if ((roles & ROLE_PAGE) && isPrefix("Menu", prefix)) list = 1;
            if ((roles & ROLE_ENTRY) && isPrefix("Command", prefix)) list = 2;
            if ((roles & (ROLE_MAIN | ROLE_ENTRY)) && isPrefix("Bmp", prefix)) list = 3;
        }
        bool button = form != 1 && (roles & ROLE_ENTRY) &&
                      (isPrefix("BtnPos", prefix) || isPrefix("BtnBmp", prefix) ||
                       isPrefix("BtnTextCol", prefix));
        if ((list >= 0 || button) && form == 2) {
            addFinding(FINDING_WARNING, F_KEY_NUMBER_FORM, where, key->line, shown);
            continue;
        }
        char value[8];
        bool filled = readCut(name, key->name, value, sizeof value) != 0;
        if (list >= 0) {
            known = true;
            if (counts[list] < 0)
                counts[list] = listCount(name, lists[list], list == 0 ? PAGE_SLOTS : 1 << 30);
            if (n > counts[list]) {
                if (!filled)
                    continue;  // an empty key past the end changes nothing
                char count[16], missing[SCAN_NAME_BYTES];
                numberText(count, sizeof count, counts[list]);
                numberedKey(missing, sizeof missing, lists[list], counts[list] + 1);
                if (list == 0 && n > PAGE_SLOTS)
                    addFinding(FINDING_WARNING, F_PAGE_BEYOND_FIVE, where, key->line, shown);
                else
                    addFinding(FINDING_WARNING, F_LIST_GAP, where, key->line, shown,
                               missing, count);
                continue;
            }
            static const size_t captionSlot[1] = {NAME_BYTES};
            static const size_t pictureSlots[3] = {DECORATION_FILE, DECORATION_FIELD,
                                                   DECORATION_FIELD};
            if (list <= 1)
                checkValueFits(name, key->name, PAGE_VALUE, 0, 0);
            else if (list == 2)
                checkValueFits(name, key->name, COMMAND_VALUE, captionSlot, 1);
            else
                checkValueFits(name, key->name, PICTURE_VALUE, pictureSlots, 3);
        }
        if (button) {
            known = true;
            int commands = sectionCommands[s];
            if (n > commands) {
                if (!filled)
                    continue;
                char count[16];
                numberText(count, sizeof count, commands);
                addFinding(FINDING_WARNING, F_KEY_ABOVE_COUNT, where, key->line, shown,
                           count);
                continue;
            }
            static const size_t numberSlots[3] = {NUMBER_FIELD, NUMBER_FIELD, NUMBER_FIELD};
            static const size_t fileSlot[1] = {BUTTON_FILE};
            if (isPrefix("BtnBmp", prefix))
                checkValueFits(name, key->name, PICTURE_VALUE, fileSlot, 1);
            else
                checkValueFits(name, key->name, NUMBER_VALUE, numberSlots,
                               isPrefix("BtnPos", prefix) ? 2 : 3);
        }
        if (!known)
            addFinding(FINDING_WARNING, F_UNKNOWN_KEY, where, key->line, shown);
    }
}

static void checkSections(void)
{
    for (int s = 0; s < scan.sectionCount; s++) {
        const ScanSection* sec = &scan.sections[s];
        char where[WHERE_BYTES];
        whereSection(where, sizeof where, sec->name);
        if (s == 0) {
            for (int k = sec->firstKey; k < sec->firstKey + sec->keyCount; k++)
                if (!scan.keys[k].comment && scan.keys[k].hasValue) {
                    char shown[SCAN_NAME_BYTES * 3];
                    sjisToUtf8(scan.keys[k].name, shown, sizeof shown);
                    addFinding(FINDING_WARNING, F_KEYS_BEFORE_SECTION, "", scan.keys[k].line,
                               shown);
                }
            continue;
        }
        if (sec->sameAs >= 0) {
            char line[16];
            numberText(line, sizeof line, scan.sections[sec->sameAs].line);
            addFinding(FINDING_WARNING, F_DUPLICATE_SECTION, where, sec->line, line);
            continue;
        }
        if (!sectionRoles[s]) {
            addFinding(FINDING_NOTE, F_UNUSED_SECTION, where, sec->line);
            continue;
        }
        checkSectionKeys(s);
    }
}

static void markRole(const char* section, int role, int commands)
{
    int s = findSection(&scan, section);
    if (s < 0)
        return;
    sectionRoles[s] |= role;
    if (role == ROLE_ENTRY)
        sectionCommands[s] = commands;
}

// --- Pictures -----------------------------------------------------------------

static void reasonText(char* out, size_t size, PictureReason reason)
{
    // The code travels in the finding; messages.cpp words it.
    numberText(out, size, reason);
}

// The picture a BtnBmp%d or Bmp%d file name gives: joined to the menu's
// folder (the disc's root) as the model joins it.
static int pictureFor(const char* name, const char* where, int line, bool button)
{
    char joined[DISC_PATH_BYTES], absolute[DISC_PATH_BYTES];
    copyText(joined, sizeof joined, discRoot);
    joinPath(joined, sizeof joined, name);
    absoluteDiscPath(discRoot, joined, absolute, sizeof absolute);
    char shown[FINDING_ARG_BYTES];
    sjisToUtf8(absolute, shown, sizeof shown);

    int index = -1;
    for (int i = 0; i < report->pictureCount; i++)
        if (sameKeyName(report->pictures[i].discPath, absolute))
            index = i;
    if (index < 0) {
        if (!grow((void**)&report->pictures, report->pictureCount, &pictureRoom,
                  sizeof(PictureInfo)))
            return -1;
        index = report->pictureCount++;
        PictureInfo* p = &report->pictures[index];
        memset(p, 0, sizeof *p);
        copyText(p->discPath, sizeof p->discPath, absolute);
        char host[HOST_PATH];
        int same = 1;
        if (!onDrive(absolute, options->drive))
            p->reason = PICTURE_OFF_DISC;
        else if (findOnDisc(hostFolder, absolute, host, sizeof host, &same) != DISC_FILE)
            p->reason = PICTURE_NOT_FOUND;
        else
            examinePicture(host, options->palette, options->paletteCount, p);
        if (p->reason == PICTURE_OK && !same)
            addFinding(FINDING_NOTE, F_NAME_CASE, where, line, shown);
        if (p->distanceKnown && p->meanDistance > PALETTE_WARNING_DISTANCE) {
            char mean[32], max[32];
            snprintf(mean, sizeof mean, "%.1f", p->meanDistance);
            snprintf(max, sizeof max, "%.1f", p->maxDistance);
            addFinding(FINDING_WARNING, F_PALETTE_FAR, shown, 0, mean, max);
        }
    }
    const PictureInfo* p = &report->pictures[index];
    if (p->reason == PICTURE_OFF_DISC) {
        addFinding(FINDING_WARNING, F_PICTURE_OFF_DISC, where, line, shown);
    } else if (p->reason != PICTURE_OK) {
        char reason[16];
        reasonText(reason, sizeof reason, p->reason);
        addFinding(FINDING_ERROR, button ? F_BUTTON_PICTURE : F_PICTURE_UNREADABLE, where,
                   line, shown, reason);
    }
    return index;
}

// --- Places on the surface ----------------------------------------------------

static bool overlaps(int ax, int ay, int aw, int ah, int bx, int by, int bw, int bh)
{
    long long l = ax > bx ? ax : bx;
    long long t = ay > by ? ay : by;
    long long r = (long long)ax + aw < (long long)bx + bw ? (long long)ax + aw : (long long)bx + bw;
    long long b = (long long)ay + ah < (long long)by + bh ? (long long)ay + ah : (long long)by + bh;
    return l < r && t < b;
}

static void rectText(char* out, size_t size, int x, int y, int w, int h)
{
    snprintf(out, size, "(%d,%d)-(%lld,%lld)", x, y, (long long)x + w, (long long)y + h);
}

// A button or picture outside the ContentArea or over a fixed control.
static void checkPlace(const char* where, int line, int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0)
        return;
    char rect[64];
    rectText(rect, sizeof rect, x, y, w, h);
    bool inside = x >= CONTENT_LEFT && y >= CONTENT_TOP &&
                  (long long)x + w <= CONTENT_RIGHT && (long long)y + h <= CONTENT_BOTTOM;
    if (inside)
        return;
    addFinding(FINDING_WARNING, F_OUTSIDE_CONTENT, where, line, rect);
    for (int i = 0; i < CONTROL_COUNT; i++)
        if (overlaps(x, y, w, h, controlPosition[i][0], controlPosition[i][1],
                     controlSize[i][0], controlSize[i][1]))
            addFinding(FINDING_WARNING, F_OVER_CONTROL, where, line, controlNames[i]);
    if (overlaps(x, y, w, h, COUNTER_X, COUNTER_Y, COUNTER_W, COUNTER_H))
        addFinding(FINDING_WARNING, F_OVER_CONTROL, where, line, "counter");
}

static void checkTitleWidth(const char* section, const char* title, int room)
{
    int width = estimateCaptionWidth(title);
    if (width <= room)
        return;
    char where[WHERE_BYTES], text[FINDING_ARG_BYTES], w[16], r[16];
    whereKey(where, sizeof where, section, "Title");
    sjisToUtf8(title, text, sizeof text);
    numberText(w, sizeof w, width);
    numberText(r, sizeof r, room);
    addFinding(FINDING_WARNING, F_TITLE_WIDE, where, keyLine(section, "Title"), text, w, r);
}

// --- Launching ------------------------------------------------------------------

static bool startsWithIgnoringCase(const char* text, const char* prefix)
{
    for (; *prefix; text++, prefix++) {
        char a = *text >= 'a' && *text <= 'z' ? (char)(*text - 32) : *text;
        if (a != *prefix)
            return false;
    }
    return true;
}

static void checkMacros(const char* line, const char* where, int lineNumber)
{
    for (const char* p = line; *p; p++) {
        if (*p != '$')
            continue;
        if (startsWithIgnoringCase(p, "$CURDRV") && strncmp(p, "$CURDRV", 7) != 0) {
            char written[8];
            copyText(written, sizeof written, p);
            addFinding(FINDING_WARNING, F_MACRO_CASE, where, lineNumber, written);
        } else if (startsWithIgnoringCase(p, "$COMMA") && strncmp(p, "$COMMA", 6) != 0) {
            char written[7];
            copyText(written, sizeof written, p);
            addFinding(FINDING_WARNING, F_MACRO_CASE, where, lineNumber, written);
        }
        if ((strncmp(p, "$CURDRV", 7) == 0 && p[7] == '\\') ||
            (strncmp(p, "$COMMA", 6) == 0 && p[6] == '\\'))
            addFinding(FINDING_WARNING, F_MACRO_BACKSLASH, where, lineNumber,
                       p[1] == 'C' && p[2] == 'U' ? "$CURDRV" : "$COMMA");
    }
}

static DiscKind findAbsolute(const char* absolute)
{
    char host[HOST_PATH];
    int same;
    if (!onDrive(absolute, options->drive))
        return DISC_MISSING;
    return findOnDisc(hostFolder, absolute, host, sizeof host, &same);
}

static void inFolder(char* out, size_t size, const char* folder, const char* name)
{
    char joined[DISC_PATH_BYTES * 2];
    snprintf(joined, sizeof joined, "%s%s%s", folder,
             folder[0] && folder[strlen(folder) - 1] != '\\' ? "\\" : "", name);
    absoluteDiscPath(discRoot, joined, out, size);
}

// A separator or drive colon, never a two-byte character's second byte.
static bool hasPathPart(const char* name)
{
    for (const char* p = name; *p; p++) {
        if (isLeadByte((unsigned char)*p) && p[1]) {
            p++;
            continue;
        }
        if (*p == '\\' || *p == '/' || *p == ':')
            return true;
    }
    return false;
}

static bool isSystemProgram(const char* name)
{
    for (size_t i = 0; i < sizeof systemPrograms / sizeof systemPrograms[0]; i++)
        if (sameKeyName(systemPrograms[i], name))
            return true;
    return false;
}

// A program path written with blanks: the first word is not a file of the
// disc, but the first words together are.
static void checkBlankPath(const LaunchInfo* l, const char* where, int line)
{
    char joined[WORK_LINE_BYTES];
    copyText(joined, sizeof joined, l->plan.program);
    const char* rest = l->plan.arguments;
    for (int words = 0; words < 6 && *rest; words++) {
        char word[WORK_LINE_BYTES];
        rest = getWord(word, sizeof word, rest, 0);
        size_t used = strlen(joined);
        if (used + 1 + strlen(word) + 1 > sizeof joined)
            return;
        joined[used] = ' ';
        copyText(joined + used + 1, sizeof joined - used - 1, word);
        char absolute[DISC_PATH_BYTES];
        absoluteDiscPath(discRoot, joined, absolute, sizeof absolute);
        if (findAbsolute(absolute) == DISC_FILE) {
            char shown[FINDING_ARG_BYTES];
            sjisToUtf8(joined, shown, sizeof shown);
            addFinding(FINDING_WARNING, F_PROGRAM_BLANK, where, line, shown);
            return;
        }
    }
}

static void planCommand(CommandInfo* c, const char* section)
{
    LaunchInfo* l = &c->launch;
    const char* commandLine = c->button.commandLine;
    char key[SCAN_NAME_BYTES], where[WHERE_BYTES];
    numberedKey(key, sizeof key, "Command", c->number);
    whereKey(where, sizeof where, section, key);
    int line = keyLine(section, key);

    planLaunch(commandLine, driveNumber, &l->plan);
    copyText(l->expanded, sizeof l->expanded, commandLine);
    expandMacros(l->expanded, driveNumber);
    if (l->plan.mode == LAUNCH_NOTHING) {
        char value[COMMAND_VALUE];
        readCut(section, key, value, sizeof value);
        bool comma = strchr(value, ',') != 0;
        addFinding(comma ? FINDING_NOTE : FINDING_WARNING, comma ? F_EMPTY_COMMAND : F_NO_COMMA,
                   where, line);
        return;
    }
    checkMacros(commandLine, where, line);

    char firstWord[WORK_LINE_BYTES];
    const char* p = commandLine;
    while (*p == ' ' || *p == '\t')
        p++;
    getWord(firstWord, sizeof firstWord, p, 0);
    if (*p == '"')
        addFinding(FINDING_WARNING, F_QUOTED_PROGRAM, where, line);
    if (((firstWord[0] >= 'A' && firstWord[0] <= 'Z') ||
         (firstWord[0] >= 'a' && firstWord[0] <= 'z')) && firstWord[1] == ':') {
        char letter[2] = {firstWord[0], 0};
        addFinding(FINDING_WARNING, F_FIXED_DRIVE, where, line, letter);
    }

    // The whole last name of the program path, before the 12-byte cut.
    char directory[WORK_LINE_BYTES];
    copyText(directory, sizeof directory, l->plan.program);
    splitFileName(0, directory);
    const char* fullName = l->plan.program + strlen(directory);
    if (*fullName == '\\' || *fullName == '/')
        fullName++;
    char fullUtf8[FINDING_ARG_BYTES], keptUtf8[FINDING_ARG_BYTES];
    sjisToUtf8(fullName, fullUtf8, sizeof fullUtf8);
    sjisToUtf8(l->plan.fileName, keptUtf8, sizeof keptUtf8);
    if (strlen(fullName) > 12) {
        char length[16];
        numberText(length, sizeof length, (long long)strlen(fullName));
        addFinding(FINDING_WARNING, F_LONG_FILE_NAME, where, line, fullUtf8, length, keptUtf8);
    }
    int dots = 0;
    for (const char* d = fullName; *d; d++)
        dots += *d == '.';
    if (dots > 1) {
        const char* extension = strchr(l->plan.fileName, '.');
        addFinding(FINDING_WARNING, F_SEVERAL_DOTS, where, line, fullUtf8,
                   extension ? extension + 1 : "",
                   l->plan.mode == LAUNCH_PROGRAM ? "program" : "document");
    }
    if (!l->plan.fileName[0] && l->plan.mode == LAUNCH_PROGRAM)
        addFinding(FINDING_WARNING, F_EMPTY_FILE_NAME, where, line);

    // The current directory: the drive first, then the directory itself;
    // a failure of either leaves what was current, silently.
    char cwd[DISC_PATH_BYTES];
    copyText(cwd, sizeof cwd, discRoot);
    if (l->plan.drive && l->plan.drive != driveNumber)
        snprintf(cwd, sizeof cwd, "%c:\\", (char)(64 + l->plan.drive));
    // The path as written, for findings: what the author meant to start.
    char meant[DISC_PATH_BYTES];
    absoluteDiscPath(cwd, l->plan.program, meant, sizeof meant);
    bool directoryMissing = false;
    char missingDirectory[DISC_PATH_BYTES];
    if (l->plan.directory[0]) {
        absoluteDiscPath(cwd, l->plan.directory, missingDirectory, sizeof missingDirectory);
        if (!onDrive(missingDirectory, options->drive) ||
            findAbsolute(missingDirectory) == DISC_DIRECTORY)
            copyText(cwd, sizeof cwd, missingDirectory);
        else
            directoryMissing = true;
    }
    copyText(l->startDirectory, sizeof l->startDirectory, cwd);
    bool cwdOnDisc = onDrive(cwd, options->drive) != 0;

    // Where Windows looks: for a program (started by its bare name) the
    // folder of MENU.EXE, then the current directory, then its own; for a
    // document the directory given to the shell, then the same folders.
    char name[WORK_LINE_BYTES];
    char candidates[3][DISC_PATH_BYTES];
    int candidateCount = 0;
    if (l->plan.mode == LAUNCH_PROGRAM) {
        const char* text = l->plan.commandText;
        while (*text == ' ' || *text == '\t')
            text++;
        getWord(name, sizeof name, text, 0);
        // A name without a full stop is looked for with ".exe" added.
        if (name[0] && !strchr(name, '.') && strlen(name) + 5 < sizeof name)
            strcat(name, ".exe");
    } else {
        copyText(name, sizeof name, l->plan.fileName);
        if (l->plan.directory[0]) {
            char given[DISC_PATH_BYTES];
            absoluteDiscPath(cwd, l->plan.directory, given, sizeof given);
            inFolder(candidates[candidateCount++], DISC_PATH_BYTES, given, name);
        }
    }
    bool hasPath = hasPathPart(name);
    if (hasPath) {
        absoluteDiscPath(cwd, name, candidates[candidateCount++], DISC_PATH_BYTES);
    } else if (name[0]) {
        inFolder(candidates[candidateCount++], DISC_PATH_BYTES, discRoot, name);
        inFolder(candidates[candidateCount++], DISC_PATH_BYTES, cwd, name);
    }
    int found = -1;
    bool anyOnDisc = false;
    for (int i = 0; i < candidateCount; i++) {
        anyOnDisc = anyOnDisc || onDrive(candidates[i], options->drive);
        if (found < 0 && findAbsolute(candidates[i]) == DISC_FILE)
            found = i;
    }

    char nameUtf8[FINDING_ARG_BYTES], shown[FINDING_ARG_BYTES];
    sjisToUtf8(name, nameUtf8, sizeof nameUtf8);
    int last = candidateCount - 1;
    if (found >= 0) {
        copyText(l->target, sizeof l->target, candidates[found]);
        l->targetOnDisc = 1;
        // A file of the same name beside MENU.EXE is found before the one
        // in the program's own directory.
        if (!hasPath && found < last && !sameKeyName(candidates[found], candidates[last]) &&
            findAbsolute(candidates[last]) == DISC_FILE) {
            char meant[FINDING_ARG_BYTES];
            sjisToUtf8(candidates[found], shown, sizeof shown);
            sjisToUtf8(candidates[last], meant, sizeof meant);
            addFinding(FINDING_WARNING, F_SHADOWED, where, line, shown, meant);
        }
    } else if (!name[0]) {
        addFinding(FINDING_ERROR, F_NO_TARGET_NAME, where, line);
    } else if (l->plan.mode == LAUNCH_PROGRAM && !l->plan.directory[0] && !hasPath) {
        // A bare name: Windows goes on to look in its own folders.
        l->systemProgram = 1;
        if (isSystemProgram(name))
            addFinding(FINDING_NOTE, F_SYSTEM_PROGRAM, where, line, nameUtf8);
        else
            addFinding(FINDING_WARNING, F_UNKNOWN_PROGRAM, where, line, nameUtf8);
    } else if (!cwdOnDisc || !anyOnDisc || !onDrive(meant, options->drive)) {
        // Looked for on another drive too: that cannot be checked here.
        sjisToUtf8(meant, shown, sizeof shown);
        addFinding(FINDING_WARNING, F_TARGET_OFF_DISC, where, line, shown);
    } else {
        sjisToUtf8(meant, shown, sizeof shown);
        addFinding(FINDING_ERROR, F_TARGET_MISSING, where, line, shown);
    }
    // A missing directory matters where something is started all the same.
    if (directoryMissing && (found >= 0 || l->systemProgram)) {
        char stays[FINDING_ARG_BYTES];
        sjisToUtf8(missingDirectory, shown, sizeof shown);
        sjisToUtf8(cwd, stays, sizeof stays);
        addFinding(FINDING_WARNING, F_DIRECTORY_MISSING, where, line, shown, stays);
    }
    if (found < 0 && l->plan.arguments[0])
        checkBlankPath(l, where, line);

    // Arguments that name files of the disc's drive.
    const char* rest = l->plan.arguments;
    for (int words = 0; words < 32 && *rest; words++) {
        char word[WORK_LINE_BYTES];
        rest = getWord(word, sizeof word, rest, 0);
        if (!onDrive(word, options->drive) || (word[2] != '\\' && word[2] != '/'))
            continue;
        char absolute[DISC_PATH_BYTES];
        absoluteDiscPath(discRoot, word, absolute, sizeof absolute);
        if (findAbsolute(absolute) == DISC_MISSING) {
            sjisToUtf8(word, shown, sizeof shown);
            addFinding(FINDING_WARNING, F_ARGUMENT_MISSING, where, line, shown);
        }
    }
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

// --- Encoding and names on the disc ---------------------------------------------

static void checkEncoding(void)
{
    const unsigned char* d = scan.data;
    size_t n = scan.size;
    bool wide = false;
    for (size_t i = 0; i < n && !wide; i++)
        wide = d[i] >= 0x80;
    report->encoding = wide ? "shift_jis" : "ascii";
    if (n >= 2 && ((d[0] == 0xFF && d[1] == 0xFE) || (d[0] == 0xFE && d[1] == 0xFF))) {
        report->encoding = "utf-16";
        addFinding(FINDING_ERROR, F_BOM_UTF16, "MENU.DAT", 1);
        return;
    }
    if (n >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF) {
        report->encoding = "utf-8";
        addFinding(FINDING_ERROR, F_BOM_UTF8, "MENU.DAT", 1);
        return;
    }
    if (looksUtf8(d, n)) {
        report->encoding = "utf-8";
        long at = firstBadSjis(d, n, 0);
        addFinding(FINDING_ERROR, F_UTF8_TEXT, "MENU.DAT", at >= 0 ? lineAt(&scan, (size_t)at) : 0);
        return;
    }
    long at = firstBadSjis(d, n, 0);
    for (int shown = 0; at >= 0 && shown < BAD_BYTES_SHOWN; shown++) {
        char bytes[16];
        snprintf(bytes, sizeof bytes, "%02X", d[at]);
        if ((size_t)at + 1 < n && d[at] >= 0x81)
            snprintf(bytes, sizeof bytes, "%02X %02X", d[at], d[at + 1]);
        addFinding(FINDING_WARNING, F_BAD_SJIS, "MENU.DAT", lineAt(&scan, (size_t)at), bytes);
        at = firstBadSjis(d, n, (size_t)at + 1);
    }
}

static void visitName(const char* relative, const char* name, int isDirectory, int depth, void*)
{
    int problems = nameProblems(name, isDirectory, depth);
    if (!problems)
        return;
    char shown[WHERE_BYTES];
    hostNameToUtf8(relative, shown, sizeof shown);
    if (problems & NAME_JOLIET_LONG) {
        char units[16];
        numberText(units, sizeof units, hostNameUnits(name));
        addFinding(FINDING_ERROR, F_JOLIET_LONG, shown, 0, units);
    }
    if (problems & NAME_TOO_DEEP)
        addFinding(FINDING_WARNING, F_ISO_DEPTH, shown, 0);
    if (problems & NAME_NOT_8_3)
        addFinding(FINDING_WARNING, F_ISO_LEVEL1, shown, 0, isDirectory ? "directory" : "file");
}

static void autorunFinding(Severity severity, FindingCode code, const char* where,
                           const char* a0, const char* a1)
{
    addFinding(severity, code, where, 0, a0, a1);
}

static void checkDiscFiles(void)
{
    char absolute[16];
    snprintf(absolute, sizeof absolute, "%c:\\MENU.EXE", options->drive);
    if (findAbsolute(absolute) != DISC_FILE)
        addFinding(FINDING_NOTE, F_NO_MENU_EXE, "MENU.EXE", 0);
    checkAutorun(hostFolder, options->drive, autorunFinding);
    walkDisc(hostFolder, visitName, 0, MAX_WALK);
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
