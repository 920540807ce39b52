// Sections and keys of MENU.DAT line by line, with the line rules of the
// profile reader (menu/ini.h): lines end at CR, LF or both; blanks around
// names are ignored; "[name]" runs to the last ']'; a key is split at its
// first '='. Shift-JIS aware: a second byte is never ']' or '='.
#include "tools/menucheck/scan.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "menu/text.h"

// A file larger than this is not a menu definition (the reader's limit).
static const long MAX_MENU_BYTES = 16L * 1024 * 1024;

static bool isBlank(unsigned char c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' ';
}

static size_t nextChar(const unsigned char* d, size_t at, size_t end)
{
    if (isLeadByte(d[at]) && at + 1 < end && d[at + 1] != 0)
        return at + 2;
    return at + 1;
}

static void trim(const unsigned char* d, size_t* begin, size_t* end)
{
    while (*begin < *end && isBlank(d[*begin]))
        (*begin)++;
    size_t last = *begin;
    for (size_t at = *begin; at < *end;) {
        size_t next = nextChar(d, at, *end);
        if (!isBlank(d[at]))
            last = next;
        at = next;
    }
    *end = last;
}

static void copyName(char* dest, const unsigned char* d, size_t begin, size_t end)
{
    size_t n = 0;
    // A NUL ends a name for the reader.
    while (begin + n < end && d[begin + n] != 0)
        n++;
    char raw[4096];
    if (n > sizeof raw - 1)
        n = sizeof raw - 1;
    memcpy(raw, d + begin, n);
    raw[n] = 0;
    copyText(dest, SCAN_NAME_BYTES, raw);
}

static bool grow(void** items, int count, int* capacity, size_t size)
{
    if (count < *capacity)
        return true;
    int more = *capacity ? *capacity * 2 : 32;
    void* bigger = realloc(*items, (size_t)more * size);
    if (!bigger)
        return false;
    *items = bigger;
    *capacity = more;
    return true;
}

static bool addSection(MenuScan* scan, int* capacity, const char* name, int line)
{
    if (!grow((void**)&scan->sections, scan->sectionCount, capacity, sizeof(ScanSection)))
        return false;
    ScanSection* s = &scan->sections[scan->sectionCount];
    memset(s, 0, sizeof *s);
    copyText(s->name, sizeof s->name, name);
    s->line = line;
    s->firstKey = scan->keyCount;
    s->sameAs = -1;
    for (int i = 0; i < scan->sectionCount && line > 0; i++)
        if (scan->sections[i].line > 0 && sameKeyName(scan->sections[i].name, name)) {
            s->sameAs = i;
            break;
        }
    scan->sectionCount++;
    return true;
}

static void releaseScan(MenuScan* scan)
{
    free(scan->sections);
    free(scan->keys);
    memset(scan, 0, sizeof *scan);
}

int scanMenuData(const unsigned char* d, size_t size, MenuScan* scan)
{
    memset(scan, 0, sizeof *scan);
    int sectionRoom = 0, keyRoom = 0;
    if (!addSection(scan, &sectionRoom, "", 0))
        return 0;
    size_t at = 0;
    if (size >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF)
        at = 3;
    int line = 1;
    while (at < size) {
        size_t begin = at;
        while (at < size && d[at] != '\r' && d[at] != '\n')
            at = nextChar(d, at, size);
        size_t textEnd = at;
        if (at < size && d[at] == '\r')
            at++;
        if (at < size && d[at] == '\n')
            at++;
        size_t s = begin, e = textEnd;
        trim(d, &s, &e);
        if (s < e && d[s] == '[') {
            size_t close = e;
            for (size_t c = s + 1; c < e; c = nextChar(d, c, e))
                if (d[c] == ']')
                    close = c;
            if (close < e) {
                size_t ns = s + 1, ne = close;
                trim(d, &ns, &ne);
                char name[SCAN_NAME_BYTES];
                copyName(name, d, ns, ne);
                if (!addSection(scan, &sectionRoom, name, line)) {
                    releaseScan(scan);
                    return 0;
                }
                line++;
                continue;
            }
        }
        if (s < e) {
            if (!grow((void**)&scan->keys, scan->keyCount, &keyRoom, sizeof(ScanKey))) {
                releaseScan(scan);
                return 0;
            }
            ScanKey* k = &scan->keys[scan->keyCount++];
            memset(k, 0, sizeof *k);
            k->line = line;
            k->comment = d[s] == ';' || d[s] == '#';
            size_t ne = e;
            for (size_t c = s; c < e; c = nextChar(d, c, e))
                if (d[c] == '=') {
                    ne = c;
                    k->hasValue = 1;
                    break;
                }
            size_t ns = s;
            trim(d, &ns, &ne);
            copyName(k->name, d, ns, ne);
            scan->sections[scan->sectionCount - 1].keyCount++;
        }
        line++;
    }
    return 1;
}

int scanMenuFile(const char* hostPath, MenuScan* scan)
{
    memset(scan, 0, sizeof *scan);
    FILE* f = fopen(hostPath, "rb");
    if (!f)
        return 0;
    long length = -1;
    if (fseek(f, 0, SEEK_END) == 0)
        length = ftell(f);
    unsigned char* data = 0;
    if (length >= 0 && length <= MAX_MENU_BYTES && fseek(f, 0, SEEK_SET) == 0) {
        data = (unsigned char*)malloc(length ? (size_t)length : 1);
        if (data && fread(data, 1, (size_t)length, f) != (size_t)length) {
            free(data);
            data = 0;
        }
    }
    fclose(f);
    if (!data)
        return 0;
    if (!scanMenuData(data, (size_t)length, scan)) {
        free(data);
        return 0;
    }
    scan->data = data;
    scan->size = (size_t)length;
    return 1;
}

void freeScan(MenuScan* scan)
{
    free(scan->data);
    releaseScan(scan);
}

bool sameKeyName(const char* a, const char* b)
{
    const unsigned char* p = (const unsigned char*)a;
    const unsigned char* q = (const unsigned char*)b;
    while (*p && *q) {
        if (isLeadByte(*p) && p[1]) {
            if (p[0] != q[0] || p[1] != q[1])
                return false;
            p += 2;
            q += 2;
            continue;
        }
        unsigned char x = *p >= 'A' && *p <= 'Z' ? (unsigned char)(*p + 32) : *p;
        unsigned char y = *q >= 'A' && *q <= 'Z' ? (unsigned char)(*q + 32) : *q;
        if (x != y)
            return false;
        p++;
        q++;
    }
    return *p == *q;
}

int findSection(const MenuScan* scan, const char* name)
{
    for (int i = 1; i < scan->sectionCount; i++)
        if (sameKeyName(scan->sections[i].name, name))
            return i;
    return -1;
}

int findKey(const MenuScan* scan, int section, const char* name)
{
    if (section < 0 || section >= scan->sectionCount)
        return -1;
    const ScanSection* s = &scan->sections[section];
    for (int k = s->firstKey; k < s->firstKey + s->keyCount; k++)
        if (!scan->keys[k].comment && sameKeyName(scan->keys[k].name, name))
            return k;
    return -1;
}

int lineAt(const MenuScan* scan, size_t offset)
{
    int line = 1;
    for (size_t at = 0; at < offset && at < scan->size; at++) {
        if (scan->data[at] == '\n' || (scan->data[at] == '\r' &&
                                       (at + 1 >= scan->size || scan->data[at + 1] != '\n')))
            line++;
    }
    return line;
}
