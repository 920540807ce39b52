// MENU.DAT as text: its encoding, values longer than the menu reads, keys
// it never reads, and sections named twice or never.
#include "tools/menucheck/checkrun.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "menu/text.h"
#include "tools/menucheck/encoding.h"

namespace check {

// Windows 95, 98 and Me read no further than 64 KB into a profile file.
static const long OLD_WINDOWS_PROFILE_BYTES = 64L * 1024;

void checkEncoding(void)
{
    if ((long)scan.size > OLD_WINDOWS_PROFILE_BYTES) {
        char size[32];
        numberText(size, sizeof size, (long long)scan.size);
        addFinding(FINDING_WARNING, F_W9X_PROFILE_SIZE, "MENU.DAT", 0, size);
    }
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

void checkSections(void)
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

void markRole(const char* section, int role, int commands)
{
    int s = findSection(&scan, section);
    if (s < 0)
        return;
    sectionRoles[s] |= role;
    if (role == ROLE_ENTRY)
        sectionCommands[s] = commands;
}

}  // namespace check
