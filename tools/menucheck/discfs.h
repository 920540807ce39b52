// The disc as the menu's Windows sees it: absolute paths on the disc's
// drive, found in the disc folder the way Windows finds them (ASCII case
// ignored), and the names ISO 9660 and Joliet accept.
#ifndef TOOLS_MENUCHECK_DISCFS_H
#define TOOLS_MENUCHECK_DISCFS_H

#include <stddef.h>

// The full path Windows makes of path when the current directory is cwd
// (an absolute path such as "Q:\" or "Q:\DIR"): '/' read as '\', "." and
// ".." resolved (never above a root), trailing dots and blanks of names
// dropped. A drive-relative name on another drive counts from that
// drive's root. A network path (\\server\share) is copied as it is.
void absoluteDiscPath(const char* cwd, const char* path, char* out, size_t size);

// 1 when an absolute path lies on the drive letter given.
int onDrive(const char* absolute, char drive);

enum DiscKind { DISC_MISSING = 0, DISC_FILE = 1, DISC_DIRECTORY = 2 };

// Finds an absolute path of the disc's drive in the disc folder: each name
// matched byte for byte or, failing that, without regard to ASCII case and
// by its UTF-8 form (host names are UTF-8 natively). host receives the
// folder's path of what was found; *sameName is 0 when some name was
// written differently from the file's own name.
DiscKind findOnDisc(const char* folder, const char* absolute, char* host,
                    size_t hostSize, int* sameName);

// 1 when a host folder can be listed.
int folderReadable(const char* folder);

// One name of the disc folder that breaks a file-system rule.
enum NameProblem {
    NAME_NOT_8_3 = 1,     // not an ISO 9660 level 1 name
    NAME_JOLIET_LONG = 2, // over 64 UTF-16 units
    NAME_TOO_DEEP = 4,    // directory below ISO 9660's eighth level
};

// Problems of one host name (file or directory) at depth (0 for a name in
// the disc's root).
int nameProblems(const char* hostName, int isDirectory, int depth);

// Calls visit for every file and directory below folder, depth first,
// with its path relative to the folder ('\' between names), at most
// maxEntries of them; returns the number visited.
typedef void (*VisitName)(const char* relative, const char* name, int isDirectory,
                          int depth, void* context);
int walkDisc(const char* folder, VisitName visit, void* context, int maxEntries);

// Whether name holds a separator or a drive colon (Shift-JIS aware).
bool hasPathPart(const char* name);

#endif
