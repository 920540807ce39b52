// Profiles on POSIX, for native tools and tests: MENU.DAT-style files read
// and the user profile (win.ini) read and rewritten with the rules of the
// Win32 profile functions (menu/ini.h). The user profile is the file named
// by MENU_USER_PROFILE; without it there is none (reads give nothing,
// writes are dropped). File paths are Windows-style: backslashes become
// slashes.
#include "platform/platform.h"
#include "platform/posix_path.h"

#include "menu/ini.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

enum { POSIX_PATH_BYTES = 4096 };

// A profile larger than this is not a profile; reading it as missing keeps
// a stray file from taking the memory.
static const long MAX_PROFILE_BYTES = 16L * 1024 * 1024;

// The whole file in a malloc'ed block (null and 0 bytes when it cannot be
// read, as for a missing file).
static char* readWholeFile(const char* path, size_t* size)
{
    *size = 0;
    FILE* f = fopen(path, "rb");
    if (!f)
        return 0;
    char* data = 0;
    long length = -1;
    if (fseek(f, 0, SEEK_END) == 0)
        length = ftell(f);
    if (length >= 0 && length <= MAX_PROFILE_BYTES && fseek(f, 0, SEEK_SET) == 0) {
        data = (char*)malloc(length ? (size_t)length : 1);
        if (data && fread(data, 1, (size_t)length, f) != (size_t)length) {
            free(data);
            data = 0;
        }
    }
    fclose(f);
    if (data)
        *size = (size_t)length;
    return data;
}

// The last profile read, kept parsed: MENU.DAT is read one key at a time,
// over and over, and parsing a large file again for every key would make
// reading it quadratic. Checked against the file before every use.
static struct {
    char path[POSIX_PATH_BYTES];
    char* data;             // the file's bytes, null when nothing is cached
    size_t size;
    IniIndex* index;
    struct stat identity;   // device, inode, size and times when read
    struct timespec readAt; // clock before the bytes were last seen
} cachedProfile;

// A change within this long of a reading may leave the file's times as
// they were (coarse clocks, 2-second FAT times), so such a cache is
// compared byte for byte.
static const long long SETTLE_NANOSECONDS = 2100000000LL;

static long long nanoseconds(const struct timespec& t)
{
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static bool sameIdentity(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           nanoseconds(a.st_mtim) == nanoseconds(b.st_mtim) &&
           nanoseconds(a.st_ctim) == nanoseconds(b.st_ctim);
}

static void dropCachedProfile(void)
{
    iniIndexFree(cachedProfile.index);
    free(cachedProfile.data);
    cachedProfile.index = 0;
    cachedProfile.data = 0;
    cachedProfile.size = 0;
    cachedProfile.path[0] = 0;
}

// The parsed profile at path, or null when it cannot be read (a missing
// file reads as an empty one).
static const IniIndex* profileAt(const char* path)
{
    struct stat now;
    if (!path || stat(path, &now) != 0 || strlen(path) >= sizeof cachedProfile.path) {
        dropCachedProfile();
        return 0;
    }
    struct timespec readAt;
    clock_gettime(CLOCK_REALTIME, &readAt);
    bool cached = cachedProfile.data && strcmp(cachedProfile.path, path) == 0 &&
                  sameIdentity(now, cachedProfile.identity);
    if (cached && nanoseconds(now.st_mtim) + SETTLE_NANOSECONDS <
                      nanoseconds(cachedProfile.readAt))
        return cachedProfile.index;

    size_t size = 0;
    char* data = readWholeFile(path, &size);
    if (!data) {
        dropCachedProfile();
        return 0;
    }
    if (cached && size == cachedProfile.size && memcmp(data, cachedProfile.data, size) == 0) {
        free(data);
        cachedProfile.readAt = readAt;
        return cachedProfile.index;
    }
    dropCachedProfile();
    IniIndex* index = iniIndexCreate(data, size);
    if (!index) {
        free(data);
        return 0;
    }
    strcpy(cachedProfile.path, path);
    cachedProfile.data = data;
    cachedProfile.size = size;
    cachedProfile.index = index;
    cachedProfile.identity = now;
    cachedProfile.readAt = readAt;
    return index;
}

static int readFromFile(const char* section, const char* key, char* buffer,
                        int size, const char* path)
{
    return iniIndexRead(profileAt(path), section, key, buffer, size);
}

int readProfileString(const char* section, const char* key, char* buffer,
                      int size, const char* file)
{
    char path[POSIX_PATH_BYTES];
    bool known = file && toPosixPath(file, path, sizeof path);
    return readFromFile(section, key, buffer, size, known ? path : 0);
}

static const char* userProfilePath(void)
{
    const char* path = getenv("MENU_USER_PROFILE");
    return path && path[0] ? path : 0;
}

int readUserProfile(const char* section, const char* key, char* buffer, int size)
{
    return readFromFile(section, key, buffer, size, userProfilePath());
}

// Writes data to path through a temporary file beside it, so that a failed
// write never leaves half a profile.
static void replaceFile(const char* path, const char* data, size_t size)
{
    char temp[POSIX_PATH_BYTES];
    int n = snprintf(temp, sizeof temp, "%s.new", path);
    if (n < 0 || (size_t)n >= sizeof temp)
        return;
    FILE* f = fopen(temp, "wb");
    if (!f)
        return;
    bool ok = fwrite(data, 1, size, f) == size;
    ok = fclose(f) == 0 && ok;
    if (!ok || rename(temp, path) != 0)
        remove(temp);
}

void writeUserProfile(const char* section, const char* key, const char* value)
{
    const char* path = userProfilePath();
    if (!path || !section)
        return;
    size_t oldSize = 0;
    char* old = readWholeFile(path, &oldSize);
    const char* data = old ? old : "";
    size_t newSize = iniRewrite(data, oldSize, section, key, value, 0, 0);
    char* rewritten = (char*)malloc(newSize ? newSize : 1);
    if (rewritten) {
        iniRewrite(data, oldSize, section, key, value, rewritten, newSize);
        // Like the Win32 writer, an unchanged profile is not written (a
        // missing one is not created by a deletion).
        if (newSize != oldSize || memcmp(rewritten, data, oldSize) != 0)
            replaceFile(path, rewritten, newSize);
    }
    free(rewritten);
    free(old);
}
