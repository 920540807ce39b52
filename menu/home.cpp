// Where the menu lives.
#include "menu/home.h"

#include "menu/text.h"

char homeDir[PATH_BYTES];
char menuFilePath[PATH_BYTES];

void setHome(const char* modulePath)
{
    copyText(homeDir, sizeof homeDir, modulePath);
    stripLastPart(homeDir);
    copyText(menuFilePath, sizeof menuFilePath, homeDir);
    joinPath(menuFilePath, sizeof menuFilePath, "MENU.DAT");
}

int driveNumberOf(const char* path)
{
    unsigned char c = (unsigned char)path[0];
    if (c >= 'a' && c <= 'z')
        c = (unsigned char)(c - 'a' + 'A');
    return c - 64;
}
