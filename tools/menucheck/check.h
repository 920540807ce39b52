// menucheck: reads a disc folder's MENU.DAT with the menu's own code and
// says what the menu will show, what each click will do, and what will
// silently differ from what the author probably meant.
//
// The result is plain data: texts from MENU.DAT are kept in Shift-JIS as
// the menu holds them; findings carry their arguments already in UTF-8.
#ifndef TOOLS_MENUCHECK_CHECK_H
#define TOOLS_MENUCHECK_CHECK_H

#include "launch/launch.h"
#include "menu/model.h"

enum Severity { FINDING_NOTE, FINDING_WARNING, FINDING_ERROR };

// What a finding is about; messages.cpp gives each its text.
enum FindingCode {
    F_MENU_MISSING,       // no MENU.DAT
    F_NO_PAGES,           // Page1 missing: no tab enabled
    F_BOM_UTF8,           // UTF-8 byte-order mark
    F_BOM_UTF16,          // UTF-16 file
    F_UTF8_TEXT,          // texts written in UTF-8
    F_BAD_SJIS,           // bytes that are no Shift-JIS character
    F_LIST_GAP,           // numbered key after the end of its list
    F_PAGE_BEYOND_FIVE,   // Page6 and later
    F_KEY_ABOVE_COUNT,    // BtnPos/BtnBmp/BtnTextCol above the command count
    F_KEY_NUMBER_FORM,    // Menu0, Menu01: never formed by the menu
    F_UNKNOWN_KEY,        // a key the menu never reads in that section
    F_KEYS_BEFORE_SECTION,// keys before the first section header
    F_MISSING_SECTION,    // Page/Menu names a section that does not exist
    F_DUPLICATE_SECTION,
    F_DUPLICATE_KEY,
    F_UNUSED_SECTION,     // note: never named by a Page or Menu key
    F_EMPTY_PAGE,         // note: page without entries
    F_NO_COMMANDS,        // note: entry without command buttons
    F_VALUE_CUT,          // value longer than the menu's buffer
    F_FIELD_CUT,          // comma field longer than its slot
    F_NO_COMMA,           // Command%d without a command line
    F_EMPTY_COMMAND,      // note: caption only, starts nothing
    F_MACRO_CASE,         // $curdrv, $Comma: not macros
    F_MACRO_BACKSLASH,    // $CURDRV\ drops the backslash
    F_FIXED_DRIVE,        // a drive letter written out in a program path
    F_QUOTED_PROGRAM,     // quotation marks are not understood
    F_PROGRAM_BLANK,      // program path with a blank
    F_LONG_FILE_NAME,     // program file name over 12 bytes
    F_SEVERAL_DOTS,       // file name with several full stops
    F_EMPTY_FILE_NAME,    // program path ends in a separator
    F_DIRECTORY_MISSING,  // the directory made current is not on the disc
    F_TARGET_MISSING,     // program or document not on the disc
    F_NO_TARGET_NAME,     // nothing to start: no file name
    F_UNKNOWN_PROGRAM,    // bare name, not on the disc, not Windows' own
    F_TARGET_OFF_DISC,    // on another drive: cannot be checked
    F_SYSTEM_PROGRAM,     // note: a program Windows brings along
    F_SHADOWED,           // a same-named file beside MENU.EXE starts instead
    F_ARGUMENT_MISSING,   // an argument names a file of the disc that is not there
    F_PICTURE_UNREADABLE, // decoration picture missing or refused
    F_BUTTON_PICTURE,     // button picture missing or refused
    F_PICTURE_OFF_DISC,
    F_OUTSIDE_CONTENT,    // button or picture outside the ContentArea
    F_OVER_CONTROL,       // over a fixed control
    F_BUTTONS_OVERLAP,
    F_CAPTION_WIDE,       // caption wider than its button (estimate)
    F_TITLE_WIDE,         // tab or entry caption wider than its place
    F_NAME_CASE,          // note: file named in another case than on disc
    F_ISO_LEVEL1,         // not an ISO 9660 level 1 name
    F_JOLIET_LONG,        // over Joliet's 64 characters
    F_ISO_DEPTH,          // deeper than ISO 9660's eight levels
    F_PALETTE_FAR,        // picture far from the 256-colour palette
    F_NO_MENU_EXE,        // note: MENU.EXE not in the folder yet
    F_NO_AUTORUN,         // note: no autorun.inf
    F_W9X_COORDINATES,    // a place beyond Windows 9x's 16-bit coordinates
    F_W9X_MASKS,          // bit-field masks Windows 9x does not draw
    F_W9X_BITMAP_SIZE,    // a bitmap over Windows 9x's 16 MB
    F_W9X_PROFILE_SIZE,   // MENU.DAT over the 64 KB of the 9x profile reader
    F_BELOW_ROOT,         // autorun.inf or MENU.DAT one folder down, not at the root
    F_AUTORUN_ENCODING,   // UTF-16 or a UTF-8 byte-order mark
    F_AUTORUN_NO_SECTION, // no [autorun] section
    F_AUTORUN_NO_OPEN,    // neither open nor shellexecute
    F_AUTORUN_MISSING,    // open, shellexecute or a shell command names no file of the disc
    F_AUTORUN_OFF_DISC,   // names another drive
    F_AUTORUN_OPEN_DOCUMENT,  // open names a document: only shellexecute opens one
    F_AUTORUN_NOT_8_3,    // note: the file's ISO 9660 name is not the one written
    F_AUTORUN_ICON,       // icon file missing
    F_AUTORUN_LABEL_LONG, // label over what Windows shows
    F_AUTORUN_LABEL_CODE, // label not in the disc's code page
    F_AUTORUN_USEAUTOPLAY,// takes open and shellexecute away
    F_AUTORUN_CD_IGNORES, // note: a key Windows reads only from other drives
    F_AUTORUN_UNKNOWN_KEY,// a key Windows never reads
    F_WALK_CUT,           // note: only the first names of the folder looked at
    F_FINDING_CODES
};

enum { FINDING_ARGS = 4, FINDING_ARG_BYTES = 400, WHERE_BYTES = 200 };

struct Finding {
    Severity severity;
    FindingCode code;
    char where[WHERE_BYTES];  // UTF-8: "[SECTION] Key", a file, or ""
    int line;                 // line in MENU.DAT, 0 when none
    char args[FINDING_ARGS][FINDING_ARG_BYTES];  // UTF-8
};

// Why a picture is not drawn, in the order the reader refuses.
enum PictureReason {
    PICTURE_OK,
    PICTURE_NOT_FOUND,
    PICTURE_OFF_DISC,      // named on another drive
    PICTURE_SHORT_HEADER,  // fewer than 14 bytes
    PICTURE_NOT_BM,
    PICTURE_BAD_SIZE,      // bfSize too small or over the reader's limit
    PICTURE_TRUNCATED,     // fewer bytes than bfSize says
    PICTURE_HEADER,        // header size under 16 (but 12) or past the data
    PICTURE_FORMAT,        // bit count and compression not drawn
    PICTURE_DIMENSIONS,    // width or height 0 or over 65535
    PICTURE_TOP_DOWN_RLE,
    PICTURE_TABLE,         // colour table past the end of the data
    PICTURE_BITS,          // pixel bits past the end of the data
    PICTURE_REFUSED,       // refused for a reason not told apart here
};

enum { DISC_PATH_BYTES = 300, HOST_PATH_BYTES = 4096 };

struct PictureInfo {           // one picture file named in MENU.DAT
    char discPath[DISC_PATH_BYTES];  // Shift-JIS, e.g. Q:\PIC\A.BMP
    PictureReason reason;
    int width, height;         // as the menu measures them (0 when refused)
    int bitCount;
    int distanceKnown;         // palette distances measured
    double meanDistance;       // per pixel, RGB, to the nearest entry
    double maxDistance;
    double exactShare;         // share of pixels exactly in the palette
    unsigned compression;      // biCompression (0 for core headers)
    unsigned long masks[3];    // red, green, blue when bit fields
};

struct PageInfo {
    char section[NAME_BYTES];  // Shift-JIS, as the menu holds them
    char title[NAME_BYTES];
    int sectionExists;
    int firstEntry;            // index into CheckReport::entries
    int entryCount;
};

struct EntryInfo {
    int page;                  // 0-4
    int number;                // 1-based within the page
    char section[NAME_BYTES];
    char title[NAME_BYTES];
    int sectionExists;
    int firstCommand, commandCount;       // into CheckReport::commands
    int firstDecoration, decorationCount; // into CheckReport::decorations
};

struct LaunchInfo {
    LaunchPlan plan;           // planLaunch's own answer
    char expanded[WORK_LINE_BYTES];        // the line after the macros
    char startDirectory[DISC_PATH_BYTES];  // current directory at the start
    char target[DISC_PATH_BYTES];          // file started or opened, or ""
    int targetOnDisc;          // 1 when target is a file of the disc
    int systemProgram;         // left to Windows' own folders
};

struct CommandInfo {
    int entry;                 // index into entries
    int number;                // 1-based
    CommandButton button;      // as the model made it (picture: see below)
    int picture;               // index into pictures, -1 for the built-in one
    int visible;               // 0 when its picture file failed
    LaunchInfo launch;
};

struct DecorationInfo {
    int entry;                 // index into entries, -1 for the start screen
    int number;
    int x, y, width, height;   // width and height 0 when not drawn
    int picture;               // index into pictures
};

struct CheckOptions {
    const char* folder;        // the disc folder (folder of MENU.EXE)
    char drive;                // drive letter of the disc, 'Q' by default
    const unsigned char* palette;  // 256 x RGB, null: no palette check
    int paletteCount;
    int maxNames;              // names of the folder looked at; 0: the checker's own bound
};

struct CheckReport {
    char folder[HOST_PATH_BYTES];
    char drive;
    int menuFound;
    const char* encoding;      // "shift_jis", "utf-8", "utf-16", "ascii"
    long menuBytes;

    int pageCount;             // pages read (tabs enabled)
    PageInfo pages[PAGE_SLOTS];
    EntryInfo* entries;        int entryCount;
    CommandInfo* commands;     int commandCount;
    DecorationInfo* decorations; int decorationCount;
    int startDecorations;      // the first decorationCount of the start screen
    PictureInfo* pictures;     int pictureCount;
    Finding* findings;         int findingCount;
    int errors, warnings, notes;
};

// Checks the folder; the report is filled even when MENU.DAT is missing.
// Returns 0 when the check itself could not run (folder unreadable, out of
// memory), else 1. Exit status: 2 with errors, 1 with warnings, else 0.
int runCheck(const CheckOptions* options, CheckReport* report);
// The same check reading menuFile (a copy being edited) in place of the
// folder's MENU.DAT; everything else is still looked for in the folder.
int runCheckOf(const CheckOptions* options, const char* menuFile, CheckReport* report);
void freeReport(CheckReport* report);
int reportStatus(const CheckReport* report);

// The palette of the built-in background (picture 102), 256 RGB triples.
extern const unsigned char backgroundPalette[256 * 3];
extern const int backgroundPaletteCount;

// Reads the colour table of an 8-bit BMP file into rgb (256 x 3 bytes);
// returns the entry count, 0 when the file has none.
int readPaletteFile(const char* path, unsigned char* rgb);

#endif
