// What the parts of one check share: the report being filled, MENU.DAT as
// scanned, where the disc is, and the helpers every part uses. Each part
// has its own file: the file's text, sections and keys (sections.cpp), the
// commands (commands.cpp), the pictures (pictures.cpp), places on the
// surface (places.cpp) and the disc's files (discfiles.cpp); check.cpp runs
// them over the menu's own model.
#ifndef TOOLS_MENUCHECK_CHECKRUN_H
#define TOOLS_MENUCHECK_CHECKRUN_H

#include "tools/menucheck/check.h"
#include "tools/menucheck/discfs.h"
#include "tools/menucheck/host.h"
#include "tools/menucheck/scan.h"

#include <stddef.h>

namespace check {

// Buffers the model reads values into (menu/model.cpp): the value's
// limit is one byte less.
enum {
    PAGE_VALUE = NAME_BYTES,                  // Page%d, Menu%d, Title
    COMMAND_VALUE = COMMAND_BYTES,
    NUMBER_VALUE = 30,                        // BtnPos%d, BtnTextCol%d
    NUMBER_FIELD = 12,                        // each of their numbers
    PICTURE_VALUE = PICTURE_VALUE_BYTES,      // BtnBmp%d, Bmp%d
    BUTTON_FILE = BUTTON_FILE_BYTES,          // the file name of BtnBmp%d
    DECORATION_FILE = DECORATION_FILE_BYTES,  // the file name of Bmp%d
    DECORATION_FIELD = 20,                    // the numbers of Bmp%d
    FULL_VALUE = 4096,                        // enough to see what is cut
    MAX_WALK = 100000,                        // names looked at on the disc
    BAD_BYTES_SHOWN = 5,
};

enum { ROLE_MAIN = 1, ROLE_PAGE = 2, ROLE_ENTRY = 4 };

// The state of the run under way (check.cpp).
extern CheckReport* report;
extern const CheckOptions* options;
extern MenuScan scan;
extern int* sectionRoles;        // per scanned section
extern int* sectionCommands;     // command count of sections used as entries
extern char discRoot[4];         // "Q:\"
extern int driveNumber;          // 17 for Q
extern char hostFolder[HOST_PATH];
extern int pictureRoom;          // pictures the report has room for

// Helpers (check.cpp).
bool grow(void** items, int count, int* capacity, size_t size);
void numberText(char* out, size_t size, long long n);
void numberedKey(char* key, size_t size, const char* prefix, int n);
void whereKey(char* out, size_t size, const char* section, const char* key);
void whereSection(char* out, size_t size, const char* section);
int keyLine(const char* section, const char* key);
void addFinding(Severity severity, FindingCode code, const char* where, int line,
                const char* a0 = "", const char* a1 = "", const char* a2 = "",
                const char* a3 = "");
int readCut(const char* section, const char* key, char* out, size_t size);
int readFull(const char* section, const char* key, char* out);
DiscKind findAbsolute(const char* absolute);

// The file's text, its sections and keys (sections.cpp).
void checkEncoding(void);
void checkSections(void);
void markRole(const char* section, int role, int commands);

// A picture named in MENU.DAT, read once and told about once (pictures.cpp):
// its index in the report, -1 when there is no room.
int pictureFor(const char* name, const char* where, int line, bool button);

// Places on the surface (places.cpp).
bool overlaps(int ax, int ay, int aw, int ah, int bx, int by, int bw, int bh);
void checkPlace(const char* where, int line, int x, int y, int w, int h);
void checkTitleWidth(const char* section, const char* title, int room);

// What a click on a command button does (commands.cpp).
void planCommand(CommandInfo* c, const char* section);

// MENU.EXE, autorun.inf and the names of the disc's files (discfiles.cpp).
void checkDiscFiles(void);

}  // namespace check

#endif
