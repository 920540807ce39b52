// autorun.inf is read by Windows' profile reader, the one the menu reads
// MENU.DAT with: its lines through the scan, its values through
// readProfileString. Names on the disc are found as Windows finds them.
#include "tools/menucheck/autorun.h"

#include <stdio.h>
#include <string.h>

#include "menu/text.h"
#include "platform/platform.h"
#include "tools/menucheck/discfs.h"
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/host.h"
#include "tools/menucheck/scan.h"

enum { VALUE_BYTES = 1024, SHOWN_BYTES = 1200, WALK_LIMIT = 20000 };

enum KeyKind { KEY_UNKNOWN, KEY_FINE, KEY_OPEN, KEY_SHELLEXECUTE, KEY_ICON, KEY_LABEL,
               KEY_USEAUTOPLAY, KEY_REMOVABLE_ONLY, KEY_SHELL };

struct KnownKey {
    const char* name;
    KeyKind kind;
};

// The keys of [autorun] that Windows reads. shell\verb and
// shell\verb\command are told by their prefix.
static const KnownKey knownKeys[] = {
    {"open", KEY_OPEN},
    {"shellexecute", KEY_SHELLEXECUTE},
    {"icon", KEY_ICON},
    {"label", KEY_LABEL},
    {"shell", KEY_FINE},
    {"UseAutoPlay", KEY_USEAUTOPLAY},
    {"action", KEY_REMOVABLE_ONLY},
    {"CustomEvent", KEY_FINE},
};

// What open= may start: a program, never a document.
static const char* const programExtensions[] = {"exe", "com", "bat", "cmd", "pif", "scr"};

struct Context {
    const char* folder;
    char drive;
    AutorunFinding add;
    MenuScan scan;
    char host[HOST_PATH];  // autorun.inf itself
};

static bool sameName(const char* a, const char* b)
{
    return sameKeyName(a, b);
}

static KeyKind kindOf(const char* key)
{
    if (strncmp(key, "shell\\", 6) == 0 || strncmp(key, "SHELL\\", 6) == 0 ||
        strncmp(key, "Shell\\", 6) == 0)
        return KEY_SHELL;
    for (size_t i = 0; i < sizeof knownKeys / sizeof knownKeys[0]; i++)
        if (sameName(knownKeys[i].name, key))
            return knownKeys[i].kind;
    return KEY_UNKNOWN;
}

static void whereOf(char* out, size_t size, const char* key)
{
    char name[SCAN_NAME_BYTES * 3];
    sjisToUtf8(key, name, sizeof name);
    snprintf(out, size, "autorun.inf %s", name);
}

// The first word of a command (a quoted one whole), as written.
static void programOf(const char* value, char* out, size_t size)
{
    while (*value == ' ' || *value == '\t')
        value++;
    if (*value == '"') {
        const char* end = strchr(value + 1, '"');
        size_t n = end ? (size_t)(end - value - 1) : strlen(value + 1);
        if (n >= size)
            n = size - 1;
        memcpy(out, value + 1, n);
        out[n] = 0;
        return;
    }
    getWord(out, size, value, 0);
}

static bool isProgram(const char* name)
{
    const char* dot = 0;
    for (const char* p = name; *p; p++) {
        if (isLeadByte((unsigned char)*p) && p[1]) {
            p++;
            continue;
        }
        if (*p == '.')
            dot = p;
        else if (*p == '\\' || *p == '/')
            dot = 0;
    }
    if (!dot)
        return true;  // a name without extension is looked for as .exe too
    for (size_t i = 0; i < sizeof programExtensions / sizeof programExtensions[0]; i++)
        if (sameName(programExtensions[i], dot + 1))
            return true;
    return false;
}

// Each name of the file's path on the disc folder, as ISO 9660 level 1
// keeps it or not.
static bool all8_3(const char* folder, const char* host)
{
    const char* relative = host + strlen(folder);
    int depth = 0;
    char part[HOST_PATH];
    while (*relative) {
        while (*relative == '/' || *relative == '\\')
            relative++;
        size_t n = 0;
        while (relative[n] && relative[n] != '/' && relative[n] != HOST_SEPARATOR) {
#ifdef _WIN32
            if (isLeadByte((unsigned char)relative[n]) && relative[n + 1])
                n++;  // host names are Shift-JIS: a second byte never separates
#endif
            n++;
        }
        if (n == 0)
            break;
        memcpy(part, relative, n);
        part[n] = 0;
        relative += n;
        if (nameProblems(part, *relative != 0, depth++) & NAME_NOT_8_3)
            return false;
    }
    return true;
}

// A file named by the value of key, from the disc's root. A bare name that
// is not there may be Windows' own program when bareMayBeWindows.
static void checkFile(Context* c, const char* key, const char* name, FindingCode missing,
                      bool bareMayBeWindows)
{
    char where[WHERE_BYTES], shown[SHOWN_BYTES];
    whereOf(where, sizeof where, key);
    sjisToUtf8(name, shown, sizeof shown);
    if (!name[0])
        return;
    if (((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
        name[1] == ':' && (name[0] & 0xDF) != c->drive) {
        c->add(FINDING_WARNING, F_AUTORUN_OFF_DISC, where, shown, "");
        return;
    }
    char root[4] = {c->drive, ':', '\\', 0}, absolute[DISC_PATH_BYTES], host[HOST_PATH];
    absoluteDiscPath(root, name, absolute, sizeof absolute);
    int same = 1;
    char menuExe[16];
    snprintf(menuExe, sizeof menuExe, "%c:\\MENU.EXE", c->drive);
    if (findOnDisc(c->folder, absolute, host, sizeof host, &same) != DISC_FILE) {
        // MENU.EXE goes in with the image; its absence is noted once.
        bool menu = sameName(absolute, menuExe);
        if (!menu && !(bareMayBeWindows && !hasPathPart(name)))
            c->add(missing == F_AUTORUN_ICON ? FINDING_WARNING : FINDING_ERROR, missing, where,
                   shown, "");
        return;
    }
    if (!same)
        c->add(FINDING_NOTE, F_NAME_CASE, where, shown, "");
    if (!all8_3(c->folder, host))
        c->add(FINDING_NOTE, F_AUTORUN_NOT_8_3, where, shown, "");
}

// The value of a key as its line holds it, byte for byte: the profile
// reader of Windows NT hands an ANSI file's text back through the code
// page, which turns bytes that are no Shift-JIS into others.
static void rawValue(const MenuScan* scan, int line, char* out, size_t size)
{
    const unsigned char* d = scan->data;
    size_t at = 0;
    for (int n = 1; n < line && at < scan->size; at++)
        if (d[at] == '\n' || (d[at] == '\r' && (at + 1 >= scan->size || d[at + 1] != '\n')))
            n++;
    size_t end = at;
    while (end < scan->size && d[end] != '\r' && d[end] != '\n')
        end++;
    while (at < end && d[at] != '=')
        at++;
    if (at < end)
        at++;
    while (at < end && (d[at] == ' ' || d[at] == '\t'))
        at++;
    while (end > at && (d[end - 1] == ' ' || d[end - 1] == '\t'))
        end--;
    size_t n = end - at < size - 1 ? end - at : size - 1;
    memcpy(out, d + at, n);
    out[n] = 0;
}

static void checkLabel(Context* c, const char* key, const char* label)
{
    char where[WHERE_BYTES], shown[SHOWN_BYTES], count[16], limit[16];
    whereOf(where, sizeof where, key);
    const unsigned char* bytes = (const unsigned char*)label;
    size_t size = strlen(label);
    if (firstBadSjis(bytes, size, 0) >= 0 || looksUtf8(bytes, size)) {
        // Shown as the author probably wrote it.
        copyUtf8(shown, sizeof shown, looksUtf8(bytes, size) ? label : "");
        if (!shown[0])
            sjisToUtf8(label, shown, sizeof shown);
        c->add(FINDING_WARNING, F_AUTORUN_LABEL_CODE, where, shown, "");
        return;
    }
    int characters = 0;
    for (size_t at = 0; at < size; characters++) {
        int valid;
        at += (size_t)sjisCharBytes(bytes + at, size - at, &valid);
    }
    if (characters > AUTORUN_LABEL_CHARS) {
        snprintf(count, sizeof count, "%d", characters);
        snprintf(limit, sizeof limit, "%d", (int)AUTORUN_LABEL_CHARS);
        c->add(FINDING_WARNING, F_AUTORUN_LABEL_LONG, where, count, limit);
    }
}

static void checkKeys(Context* c, int section)
{
    const ScanSection* sec = &c->scan.sections[section];
    bool starts = false;
    for (int k = sec->firstKey; k < sec->firstKey + sec->keyCount; k++) {
        const ScanKey* key = &c->scan.keys[k];
        if (key->comment || !key->hasValue || findKey(&c->scan, section, key->name) != k)
            continue;
        char value[VALUE_BYTES], word[VALUE_BYTES], where[WHERE_BYTES], shown[SHOWN_BYTES];
        readProfileString(sec->name, key->name, value, sizeof value, c->host);
        whereOf(where, sizeof where, key->name);
        sjisToUtf8(key->name, shown, sizeof shown);
        switch (kindOf(key->name)) {
        case KEY_OPEN:
        case KEY_SHELLEXECUTE:
            programOf(value, word, sizeof word);
            if (!word[0])
                break;  // an empty value is no value
            starts = true;
            checkFile(c, key->name, word, F_AUTORUN_MISSING, false);
            if (kindOf(key->name) == KEY_OPEN && word[0] && !isProgram(word)) {
                sjisToUtf8(word, shown, sizeof shown);
                c->add(FINDING_WARNING, F_AUTORUN_OPEN_DOCUMENT, where, shown, "");
            }
            break;
        case KEY_ICON:
            getField(word, sizeof word, value, 0);  // "file,index"
            checkFile(c, key->name, word, F_AUTORUN_ICON, false);
            break;
        case KEY_LABEL:
            rawValue(&c->scan, key->line, value, sizeof value);
            checkLabel(c, key->name, value);
            break;
        case KEY_USEAUTOPLAY:
            if (value[0] && strcmp(value, "0") != 0)
                c->add(FINDING_WARNING, F_AUTORUN_USEAUTOPLAY, where, shown, "");
            break;
        case KEY_REMOVABLE_ONLY:
            c->add(FINDING_NOTE, F_AUTORUN_CD_IGNORES, where, shown, "");
            break;
        case KEY_SHELL: {
            // shell\verb\command: the program of a menu command of the drive.
            size_t n = strlen(key->name);
            if (n > 8 && sameName(key->name + n - 8, "\\command")) {
                programOf(value, word, sizeof word);
                checkFile(c, key->name, word, F_AUTORUN_MISSING, true);
            }
            break;
        }
        case KEY_FINE:
            break;
        case KEY_UNKNOWN:
            c->add(FINDING_WARNING, F_AUTORUN_UNKNOWN_KEY, where, shown, "");
            break;
        }
    }
    if (!starts)
        c->add(FINDING_WARNING, F_AUTORUN_NO_OPEN, "autorun.inf", "", "");
}

// The disc's files one folder down: the folder given holds the disc's root.
struct BelowRoot {
    bool wantAutorun, wantMenu;
    char autorun[HOST_PATH], menu[HOST_PATH];  // relative paths found
};

static void visitBelow(const char* relative, const char* name, int isDirectory, int depth,
                       void* context)
{
    BelowRoot* b = (BelowRoot*)context;
    if (isDirectory || depth != 1)
        return;
    if (b->wantAutorun && !b->autorun[0] && sameName(name, "autorun.inf"))
        copyText(b->autorun, sizeof b->autorun, relative);
    if (b->wantMenu && !b->menu[0] && sameName(name, "MENU.DAT"))
        copyText(b->menu, sizeof b->menu, relative);
}

static void reportBelow(Context* c, const char* relative)
{
    char shown[SHOWN_BYTES], folder[SHOWN_BYTES];
    hostNameToUtf8(relative, shown, sizeof shown);
    copyUtf8(folder, sizeof folder, shown);
    char* cut = strrchr(folder, '\\');
    if (cut)
        *cut = 0;
    c->add(FINDING_WARNING, F_BELOW_ROOT, shown, shown, folder);
}

void checkAutorun(const char* folder, char drive, AutorunFinding add)
{
    static Context c;
    memset(&c, 0, sizeof c);
    c.folder = folder;
    c.drive = drive;
    c.add = add;
    char autorun[16], menu[16], host[HOST_PATH];
    snprintf(autorun, sizeof autorun, "%c:\\AUTORUN.INF", drive);
    snprintf(menu, sizeof menu, "%c:\\MENU.DAT", drive);
    int same = 1;
    bool hasAutorun = findOnDisc(folder, autorun, c.host, sizeof c.host, &same) == DISC_FILE;
    BelowRoot below;
    memset(&below, 0, sizeof below);
    below.wantAutorun = !hasAutorun;
    below.wantMenu = findOnDisc(folder, menu, host, sizeof host, &same) != DISC_FILE;
    if (below.wantAutorun || below.wantMenu)
        walkDisc(folder, visitBelow, &below, WALK_LIMIT);
    if (below.autorun[0])
        reportBelow(&c, below.autorun);
    if (below.menu[0])
        reportBelow(&c, below.menu);
    if (!hasAutorun) {
        add(FINDING_NOTE, F_NO_AUTORUN, "autorun.inf", "", "");
        return;
    }

    if (!scanMenuFile(c.host, &c.scan))
        return;
    const unsigned char* d = c.scan.data;
    size_t n = c.scan.size;
    if (n >= 2 && ((d[0] == 0xFF && d[1] == 0xFE) || (d[0] == 0xFE && d[1] == 0xFF))) {
        add(FINDING_WARNING, F_AUTORUN_ENCODING, "autorun.inf", "UTF-16", "");
    } else {
        if (n >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF)
            add(FINDING_WARNING, F_AUTORUN_ENCODING, "autorun.inf", "UTF-8", "");
        int section = findSection(&c.scan, "autorun");
        if (section < 0)
            add(FINDING_ERROR, F_AUTORUN_NO_SECTION, "autorun.inf", "", "");
        else
            checkKeys(&c, section);
    }
    freeScan(&c.scan);
}
