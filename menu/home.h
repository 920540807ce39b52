// Where the menu lives: the folder of the executable and its MENU.DAT.
#ifndef MENU_HOME_H
#define MENU_HOME_H

enum { PATH_BYTES = 260 };  // MAX_PATH: a disc copied deep onto a hard disk

extern char homeDir[PATH_BYTES];       // no trailing backslash but a root's
extern char menuFilePath[PATH_BYTES];  // homeDir joined with "MENU.DAT"

// Sets homeDir and menuFilePath from the executable's full path.
void setHome(const char* modulePath);

// Drive number of a path's drive letter (A = 1) as the launcher and start-up
// compute it: toupper(first byte) - 64; outside 1-26 for anything else.
int driveNumberOf(const char* path);

#endif
