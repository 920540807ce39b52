// The system services of the portable core, on POSIX, for native tools and
// tests. Paths are Windows-style: backslashes become slashes here, and a
// drive letter has no meaning (the current drive is 0, "none").
#include "platform/platform.h"
#include "platform/posix_path.h"

#include <dirent.h>
#include <stdio.h>
#include <strings.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

bool toPosixPath(const char* path, char* out, size_t size)
{
    size_t n = strlen(path);
    if (n >= size)
        return false;
    for (size_t i = 0; i <= n; i++)
        out[i] = path[i] == '\\' ? '/' : path[i];
    return true;
}

int fileOpenRead(const char* path)
{
    char p[4096];
    if (!toPosixPath(path, p, sizeof p))
        return -1;
    // Opened without waiting, so that a FIFO named as a picture cannot block
    // the reader; anything but a regular file is refused.
    int fd = open(p, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

long fileRead(int file, void* buffer, unsigned long count)
{
    unsigned long done = 0;
    while (done < count) {
        ssize_t got = read(file, (char*)buffer + done, count - done);
        if (got < 0)
            return done ? (long)done : -1;
        if (got == 0)
            break;
        done += (unsigned long)got;
    }
    return (long)done;
}

void fileClose(int file)
{
    close(file);
}

void* blockAlloc(unsigned long size)
{
    return malloc(size ? size : 1);
}

void blockFree(void* block)
{
    free(block);
}

struct PosixSearch {
    DIR* dir;
    char folder[4096];
    char pattern[256];  // the name part: "*.*" or an exact name
};

static bool matches(const char* pattern, const char* name)
{
    // "*.*" and "*" match every name, as on Windows; anything else exactly.
    if (strcmp(pattern, "*.*") == 0 || strcmp(pattern, "*") == 0)
        return true;
    return strcasecmp(pattern, name) == 0;
}

static int nextEntry(PosixSearch* s, DirEntry* entry)
{
    struct dirent* d;
    while ((d = readdir(s->dir)) != 0) {
        if (!matches(s->pattern, d->d_name))
            continue;
        size_t n = strlen(d->d_name);
        if (n >= sizeof entry->name)
            continue;
        memcpy(entry->name, d->d_name, n + 1);
        char full[4096 + 256];
        struct stat st;
        snprintf(full, sizeof full, "%s/%s", s->folder, d->d_name);
        entry->isDirectory = stat(full, &st) == 0 && S_ISDIR(st.st_mode);
        return 1;
    }
    return 0;
}

void* dirFindFirst(const char* pattern, DirEntry* entry)
{
    PosixSearch* s = (PosixSearch*)calloc(1, sizeof *s);
    if (!s)
        return 0;
    char p[4096];
    if (!toPosixPath(pattern, p, sizeof p)) {
        free(s);
        return 0;
    }
    char* slash = strrchr(p, '/');
    const char* name = slash ? slash + 1 : p;
    if (strlen(name) >= sizeof s->pattern) {
        free(s);
        return 0;
    }
    strcpy(s->pattern, name);
    if (slash == p)
        strcpy(s->folder, "/");
    else if (slash) {
        *slash = 0;
        strcpy(s->folder, p);
    } else
        strcpy(s->folder, ".");
    s->dir = opendir(s->folder);
    if (!s->dir || !nextEntry(s, entry)) {
        if (s->dir)
            closedir(s->dir);
        free(s);
        return 0;
    }
    return s;
}

int dirFindNext(void* search, DirEntry* entry)
{
    return nextEntry((PosixSearch*)search, entry);
}

void dirFindClose(void* search)
{
    PosixSearch* s = (PosixSearch*)search;
    closedir(s->dir);
    free(s);
}

int removeFile(const char* path)
{
    char p[4096];
    return toPosixPath(path, p, sizeof p) && unlink(p) == 0 ? 1 : 0;
}

int removeDirectory(const char* path)
{
    char p[4096];
    return toPosixPath(path, p, sizeof p) && rmdir(p) == 0 ? 1 : 0;
}

int currentDrive(void)
{
    return 0;
}

int changeDrive(int)
{
    return 0;
}

int changeDirectory(const char* path)
{
    char p[4096];
    return toPosixPath(path, p, sizeof p) && chdir(p) == 0 ? 1 : 0;
}
