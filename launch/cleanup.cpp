// Exit clean-up over the platform seam: the win.ini list of directories to
// empty and remove, rewritten so that it holds the ones still there.
#include "launch/cleanup.h"

#include "menu/text.h"
#include "platform/platform.h"

#include <limits.h>
#include <string.h>

const char delDirSection[] = "XervoCD-ROM";

enum {
    KEY_BYTES = 20,         // "DelDir" and a number
    DIRECTORY_BYTES = 256,  // as much of a value as is read
    WORK_PATH_BYTES = 256,  // the directory and one file name
};

enum DirOutcome {
    DIR_SKIPPED,  // its search could not be started: it drops out of the list
    DIR_REMOVED,  // gone: its key is deleted
    DIR_STAYS,    // still there: listed again
};

static bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

static bool equalsNoCase(const char* text, size_t length, const char* word)
{
    size_t i = 0;
    for (; i < length && word[i]; i++) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 0x20);
        if (c != word[i])
            return false;
    }
    return i == length && !word[i];
}

// Depth after one more component: ".." goes up (never above the root), a
// component of dots and blanks only stays (Windows drops trailing dots and
// blanks), anything else goes down.
static int stepDepth(int depth, const char* name, size_t length)
{
    size_t trimmed = length;
    while (trimmed > 0 && name[trimmed - 1] == ' ')
        trimmed--;
    if (trimmed == 2 && name[0] == '.' && name[1] == '.')
        return depth > 0 ? depth - 1 : 0;
    while (trimmed > 0 && (name[trimmed - 1] == '.' || name[trimmed - 1] == ' '))
        trimmed--;
    return trimmed == 0 ? depth : depth + 1;
}

bool isRootDirectory(const char* path)
{
    // Leading components that belong to the root itself: the server and
    // share of \\server\share, the device of \\?\C:\ and \\.\C:\, and
    // UNC, server and share of \\?\UNC\server\share. Behind a device
    // prefix only a drive letter or a share is followed down: any other
    // device (GLOBALROOT, a volume, a pipe) can name a root in ways not
    // told apart here, so it counts as one.
    int rootParts = 0;
    const char* p = path;
    if (isSeparator(p[0]) && isSeparator(p[1])) {
        p += 2;
        rootParts = 2;
        if ((p[0] == '?' || p[0] == '.') && (isSeparator(p[1]) || !p[1])) {
            const char* q = p + 1;
            while (isSeparator(*q))
                q++;
            size_t length = 0;
            while (q[length] && !isSeparator(q[length]))
                length++;
            if (equalsNoCase(q, length, "UNC"))
                rootParts = 4;
            else if (!(length == 2 && q[1] == ':' &&
                       ((q[0] >= 'A' && q[0] <= 'Z') || (q[0] >= 'a' && q[0] <= 'z'))))
                return true;
        }
    } else if (p[0] && p[1] == ':') {
        p += 2;  // a bare drive names its current directory: unknown, so a root
    }

    int parts = 0;
    int depth = 0;
    while (*p) {
        if (isSeparator(*p)) {
            p++;
            continue;
        }
        const char* name = p;
        while (*p && !isSeparator(*p))
            p += (isLeadByte((unsigned char)*p) && p[1]) ? 2 : 1;
        if (parts < rootParts)
            parts++;
        else
            depth = stepDepth(depth, name, (size_t)(p - name));
    }
    return depth == 0;
}

// A name as a search gives it: one component. Windows never gives a
// drive, a root or a separator inside a name, but other file systems can
// (..\x is a file name on POSIX); joined, such a name would point outside
// the directory, so it is never taken.
static bool isPlainName(const char* name)
{
    // joinPath takes a ':' as the second byte for a drive even after a lead
    // byte, and neither ':' nor '/' is ever a second byte: both are refused
    // wherever they stand. A backslash is a second byte in some characters.
    if (!name[0] || strchr(name, ':') || strchr(name, '/'))
        return false;
    for (const char* p = name; *p; p += (isLeadByte((unsigned char)*p) && p[1]) ? 2 : 1)
        if (*p == '\\')
            return false;
    return true;
}

// directory joined with name into the work path; false when the result
// does not fit.
static bool joinWorkPath(char* work, const char* directory, const char* name)
{
    char joined[DIRECTORY_BYTES + sizeof(DirEntry::name) + 2];
    copyText(joined, sizeof joined, directory);
    joinPath(joined, sizeof joined, name);
    if (strlen(joined) >= WORK_PATH_BYTES)
        return false;
    memcpy(work, joined, strlen(joined) + 1);
    return true;
}

static bool endsInLoneLeadByte(const char* text)
{
    for (const char* p = text; *p; p++) {
        if (isLeadByte((unsigned char)*p) && !*++p)
            return true;
    }
    return false;
}

static DirOutcome emptyAndRemove(const char* directory)
{
    // Emptying a whole drive or share at every exit is never what a list
    // entry can have meant.
    if (isRootDirectory(directory))
        return DIR_STAYS;

    char work[WORK_PATH_BYTES];
    // A pattern that does not fit the work path is a search that cannot be
    // started: the directory is neither removed nor listed again. So is a
    // value that ends in a lead byte without its second byte: the
    // separator joined after it would pair with it into one character,
    // and the search would run in the parent folder.
    if (endsInLoneLeadByte(directory) || !joinWorkPath(work, directory, "*.*"))
        return DIR_SKIPPED;
    DirEntry entry;
    void* search = dirFindFirst(work, &entry);
    if (!search)
        return DIR_SKIPPED;
    do {
        // Subdirectories (and "." and "..") are never entered.
        if (entry.isDirectory)
            continue;
        // A file whose path does not fit stays, and so does the directory.
        if (isPlainName(entry.name) && joinWorkPath(work, directory, entry.name))
            removeFile(work);
    } while (dirFindNext(search, &entry));
    dirFindClose(search);
    return removeDirectory(directory) ? DIR_REMOVED : DIR_STAYS;
}

static void formatKey(char* key, size_t size, int n)
{
    numberedName(key, size, "DelDir", (unsigned)n);
}

void removeDelDirs(void)
{
    char key[KEY_BYTES];
    char directory[DIRECTORY_BYTES];
    int kept = 0;  // directories listed again so far, under keys 1..kept
    for (int n = 1; n < INT_MAX; n++) {
        formatKey(key, sizeof key, n);
        if (readUserProfile(delDirSection, key, directory, sizeof directory) == 0)
            break;
        switch (emptyAndRemove(directory)) {
        case DIR_REMOVED:
            writeUserProfile(delDirSection, key, 0);
            break;
        case DIR_STAYS:
            kept++;
            formatKey(key, sizeof key, kept);
            writeUserProfile(delDirSection, key, directory);
            break;
        case DIR_SKIPPED:
            break;
        }
    }
    if (kept == 0) {
        writeUserProfile(delDirSection, 0, 0);
    } else {
        // An empty key ends the list before any stale one beyond it.
        formatKey(key, sizeof key, kept + 1);
        writeUserProfile(delDirSection, key, "");
    }
}
