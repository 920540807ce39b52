// Paths of the disc's drive and the disc folder that holds its files.
#include "tools/menucheck/discfs.h"

#include <string.h>

#include "menu/text.h"
#include "platform/platform.h"
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/host.h"

enum { MAX_PARTS = 64, PART_BYTES = 256, WALK_DEPTH = 24 };

static bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

static char upper(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

static bool isDriveLetter(char c)
{
    c = upper(c);
    return c >= 'A' && c <= 'Z';
}

// The names of a path, split at single-byte separators; a two-byte
// character's second byte never splits.
struct Parts {
    char name[MAX_PARTS][PART_BYTES];
    int count;
};

static void pushPart(Parts* parts, const char* begin, size_t length)
{
    // Windows drops trailing dots and blanks of a name, except of "." and "..".
    bool dots = length <= 2 && begin[0] == '.' && (length == 1 || begin[1] == '.');
    if (!dots)
        while (length > 0 && (begin[length - 1] == '.' || begin[length - 1] == ' '))
            length--;
    if (length == 0)
        return;
    if (length == 1 && begin[0] == '.')
        return;
    if (length == 2 && begin[0] == '.' && begin[1] == '.') {
        if (parts->count > 0)  // never above the root
            parts->count--;
        return;
    }
    if (parts->count >= MAX_PARTS)
        return;
    if (length >= PART_BYTES)
        length = PART_BYTES - 1;
    memcpy(parts->name[parts->count], begin, length);
    parts->name[parts->count][length] = 0;
    parts->count++;
}

static void addParts(Parts* parts, const char* path)
{
    const char* start = path;
    const char* p = path;
    while (*p) {
        if (isLeadByte((unsigned char)*p) && p[1]) {
            p += 2;
            continue;
        }
        if (isSeparator(*p)) {
            pushPart(parts, start, (size_t)(p - start));
            start = p + 1;
        }
        p++;
    }
    pushPart(parts, start, (size_t)(p - start));
}

void absoluteDiscPath(const char* cwd, const char* path, char* out, size_t size)
{
    if (!out || size == 0)
        return;
    out[0] = 0;
    if (isSeparator(path[0]) && isSeparator(path[1])) {
        copyText(out, size, path);
        return;
    }
    static Parts parts;  // large: kept off the stack
    parts.count = 0;
    char drive = upper(cwd[0]);
    const char* rest = path;
    if (isDriveLetter(path[0]) && path[1] == ':') {
        // X:name counts from the current directory of X, which is known
        // only for the current drive; any other drive's is its root here.
        if (upper(path[0]) == drive && !isSeparator(path[2]))
            addParts(&parts, cwd + 2);
        drive = upper(path[0]);
        rest = path + 2;
    } else if (!isSeparator(path[0])) {
        addParts(&parts, cwd + 2);
    }
    addParts(&parts, rest);

    char result[4096];
    size_t used = 0;
    result[used++] = drive;
    result[used++] = ':';
    result[used++] = '\\';
    for (int i = 0; i < parts.count; i++) {
        size_t n = strlen(parts.name[i]);
        if (used + n + 2 > sizeof result)
            break;
        if (i > 0)
            result[used++] = '\\';
        memcpy(result + used, parts.name[i], n);
        used += n;
    }
    result[used] = 0;
    copyText(out, size, result);
}

int onDrive(const char* absolute, char drive)
{
    return isDriveLetter(absolute[0]) && absolute[1] == ':' &&
           upper(absolute[0]) == upper(drive);
}

static bool sameIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; a++, b++)
        if (upper(*a) != upper(*b))
            return false;
    return *a == *b;
}

// Appends a separator and name to a path; false when it does not fit.
static bool appendName(char* path, size_t size, const char* name,
                       char separator = HOST_SEPARATOR)
{
    size_t used = strlen(path);
    size_t n = strlen(name);
    // A root ("D:\", "/") already ends in its separator.
    bool root = hostEndsInSeparator(path) != 0;
    size_t gap = root ? 0 : 1;
    if (used + gap + n + 1 > size)
        return false;
    if (!root)
        path[used] = separator;
    memcpy(path + used + gap, name, n + 1);
    return true;
}

// The entry of folder that a Windows name matches, written into found.
// Returns 0 for none, else DISC_FILE or DISC_DIRECTORY.
static DiscKind findEntry(const char* folder, const char* name, char* found,
                          size_t foundSize, int* same)
{
    char pattern[HOST_PATH];
    copyText(pattern, sizeof pattern, folder);
    if (!appendName(pattern, sizeof pattern, "*.*"))
        return DISC_MISSING;
    char utf8[PART_BYTES * 3];
    sjisToUtf8(name, utf8, sizeof utf8);
    DirEntry entry;
    void* search = dirFindFirst(pattern, &entry);
    if (!search)
        return DISC_MISSING;
    DiscKind kind = DISC_MISSING;
    do {
        if (strcmp(entry.name, ".") == 0 || strcmp(entry.name, "..") == 0)
            continue;
        bool exact = strcmp(entry.name, name) == 0 || strcmp(entry.name, utf8) == 0;
        bool folded = sameIgnoringCase(entry.name, name) || sameIgnoringCase(entry.name, utf8);
        if (!exact && !folded)
            continue;
        // An exact match wins over one that differs in case.
        if (kind == DISC_MISSING || exact) {
            copyText(found, foundSize, entry.name);
            kind = entry.isDirectory ? DISC_DIRECTORY : DISC_FILE;
            *same = exact ? 1 : 0;
        }
        if (exact)
            break;
    } while (dirFindNext(search, &entry));
    dirFindClose(search);
    return kind;
}

DiscKind findOnDisc(const char* folder, const char* absolute, char* host,
                    size_t hostSize, int* sameName)
{
    *sameName = 1;
    if (host && hostSize)
        host[0] = 0;
    if (!isDriveLetter(absolute[0]) || absolute[1] != ':')
        return DISC_MISSING;
    static Parts parts;
    parts.count = 0;
    addParts(&parts, absolute + 2);
    char path[HOST_PATH];
    copyText(path, sizeof path, folder);
    DiscKind kind = DISC_DIRECTORY;  // the root
    for (int i = 0; i < parts.count; i++) {
        if (kind != DISC_DIRECTORY)
            return DISC_MISSING;
        char found[sizeof ((DirEntry*)0)->name];
        int same = 1;
        kind = findEntry(path, parts.name[i], found, sizeof found, &same);
        if (kind == DISC_MISSING || !appendName(path, sizeof path, found))
            return DISC_MISSING;
        if (!same)
            *sameName = 0;
    }
    copyText(host, hostSize, path);
    return kind;
}

int folderReadable(const char* folder)
{
    char pattern[HOST_PATH];
    copyText(pattern, sizeof pattern, folder);
    if (!appendName(pattern, sizeof pattern, "*.*"))
        return 0;
    DirEntry entry;
    void* search = dirFindFirst(pattern, &entry);
    if (!search)
        return 0;
    dirFindClose(search);
    return 1;
}

static bool isDCharacter(char c)
{
    // Lower case is accepted: image makers write it in upper case.
    c = upper(c);
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

static bool isLevel1Name(const char* name, int isDirectory)
{
    size_t stem = 0, extension = 0;
    int dots = 0;
    for (const char* p = name; *p; p++) {
        if (*p == '.') {
            dots++;
            continue;
        }
        if (!isDCharacter(*p))
            return false;
        if (dots == 0)
            stem++;
        else
            extension++;
    }
    if (isDirectory)
        return dots == 0 && stem >= 1 && stem <= 8;
    return dots <= 1 && stem >= 1 && stem <= 8 && extension <= 3;
}

int nameProblems(const char* hostName, int isDirectory, int depth)
{
    int problems = 0;
    if (!isLevel1Name(hostName, isDirectory))
        problems |= NAME_NOT_8_3;
    if (hostNameUnits(hostName) > 64)
        problems |= NAME_JOLIET_LONG;
    // The root is level 1 and eight levels are allowed: directories in the
    // root are level 2, so depth 7 is the deepest directory.
    if (isDirectory && depth >= 7)
        problems |= NAME_TOO_DEEP;
    return problems;
}

struct Walk {
    VisitName visit;
    void* context;
    int visited;
    int limit;
};

static void walkFolder(Walk* walk, const char* host, const char* relative, int depth)
{
    if (depth > WALK_DEPTH)
        return;
    char pattern[HOST_PATH];
    copyText(pattern, sizeof pattern, host);
    if (!appendName(pattern, sizeof pattern, "*.*"))
        return;
    DirEntry entry;
    void* search = dirFindFirst(pattern, &entry);
    if (!search)
        return;
    do {
        if (strcmp(entry.name, ".") == 0 || strcmp(entry.name, "..") == 0)
            continue;
        if (walk->visited >= walk->limit)
            break;
        walk->visited++;
        char childRelative[HOST_PATH];
        copyText(childRelative, sizeof childRelative, relative);
        if (relative[0])
            appendName(childRelative, sizeof childRelative, entry.name, '\\');
        else
            copyText(childRelative, sizeof childRelative, entry.name);
        walk->visit(childRelative, entry.name, entry.isDirectory, depth, walk->context);
        if (entry.isDirectory) {
            char child[HOST_PATH];
            copyText(child, sizeof child, host);
            if (appendName(child, sizeof child, entry.name))
                walkFolder(walk, child, childRelative, depth + 1);
        }
    } while (dirFindNext(search, &entry));
    dirFindClose(search);
}

int walkDisc(const char* folder, VisitName visit, void* context, int maxEntries)
{
    Walk walk = {visit, context, 0, maxEntries};
    walkFolder(&walk, folder, "", 0);
    return walk.visited;
}

// A separator or drive colon, never a two-byte character's second byte.
bool hasPathPart(const char* name)
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
