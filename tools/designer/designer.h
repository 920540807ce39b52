// MENUEDIT.EXE: the parts of the designer's window and what they share.
// The picture is painted by the menu's own code (graphics/paint_win32.cpp)
// from the menu's own model (menu/model.cpp), read through the system's
// profile reader from a copy of the document; findings come from the
// checker (tools/menucheck).
#ifndef TOOLS_DESIGNER_DESIGNER_H
#define TOOLS_DESIGNER_DESIGNER_H

#include <windows.h>

#include <string>
#include <vector>

#include "tools/designer/document.h"
#include "tools/designer/texts.h"
#include "tools/menucheck/check.h"

// --- Windows and their parts ------------------------------------------------

// The end-to-end tests read the controls numbered here by their numbers.
enum {
    IDC_CANVAS = 1,  // the 640x480 picture; child 1, as the menu's surface is
    IDC_STATUS = 100,
    IDC_FINDINGS_HEAD = 101,
    IDC_FINDINGS = 102,
    IDC_HEADING = 103,
    IDC_HINT,
    IDC_TITLE_LABEL, IDC_TITLE = 106, IDC_TITLE_NOTE = 107,
    IDC_CAPTION_LABEL, IDC_CAPTION = 109, IDC_CAPTION_NOTE,
    IDC_COMMAND_LABEL, IDC_COMMAND = 112, IDC_COMMAND_NOTE, IDC_COMMAND_HELP, IDC_COMMAND_PLAN,
    IDC_PICTURE_LABEL, IDC_PICTURE = 117, IDC_PICTURE_BROWSE, IDC_PICTURE_DEFAULT, IDC_PICTURE_NOTE,
    IDC_COLOUR_LABEL, IDC_COLOUR_SWATCH, IDC_COLOUR_CHOOSE, IDC_COLOUR_DEFAULT,
    IDC_POSITION_LABEL, IDC_POS_X_LABEL, IDC_POS_X = 129, IDC_POS_Y_LABEL, IDC_POS_Y = 131,
    IDC_POS_DEFAULT, IDC_POSITION_NOTE,
    IDC_EARLIER, IDC_LATER, IDC_DELETE,
    IDC_ADD_PAGE, IDC_ADD_ENTRY, IDC_ADD_BUTTON, IDC_ADD_DECORATION,
    IDC_LAST,
};

// Menu commands.
enum {
    CMD_OPEN = 1000, CMD_SAVE, CMD_TEST_RUN, CMD_EXIT,
    CMD_UNDO, CMD_REDO, CMD_DELETE, CMD_EARLIER, CMD_LATER,
    CMD_ADD_PAGE, CMD_ADD_ENTRY, CMD_ADD_BUTTON, CMD_ADD_DECORATION,
    CMD_START_SCREEN,
};

// The layout tools' controls and commands, numbered apart from the rest.
enum {
    IDC_OUTLINE = 200,       // the tree of pages, entries, buttons and pictures
    IDC_FINDING_WHOLE,       // the chosen finding, whole and wrapped
    IDC_FINDING_FIX,
    IDC_COLOUR_NUMBERS,      // the caption colour as r,g,b
};
enum {
    CMD_SAVE_AS = 1100, CMD_COPY, CMD_PASTE, CMD_DUPLICATE, CMD_TIDY, CMD_GRID, CMD_OUTLINE,
    CMD_ALIGN_FIRST,                    // CMD_ALIGN_FIRST + Alignment
    CMD_ALIGN_LAST = CMD_ALIGN_FIRST + 7,
    CMD_RECENT_FIRST = 1150,            // the recent folders, newest first
    RECENT_FOLDERS = 6,
};

enum { TIMER_CHECK = 1, CHECK_DELAY_MS = 300, TIMER_TEST_RUN = 2, TEST_RUN_POLL_MS = 250,
       TIMER_OUTLINE = 3 };

// Files and folders of the disc folder looked at: a folder with more is
// opened only when the author says so.
enum { FOLDER_NAMES = 10000 };

// Layout of the frame's client area.
enum {
    MARGIN = 8,
    CANVAS_X = MARGIN, CANVAS_Y = MARGIN,
    OUTLINE_W = 250,  // under the picture, left of the findings
    PANEL_X = CANVAS_X + 640 + MARGIN, PANEL_W = 320,
    FINDINGS_Y = CANVAS_Y + 480 + MARGIN,
    FINDINGS_H = 132,
    STATUS_H = 20,
    PANEL_BOTTOM = FINDINGS_Y + 18 + FINDINGS_H,
    CLIENT_W = PANEL_X + PANEL_W + MARGIN,
    CLIENT_H = PANEL_BOTTOM + 4 + STATUS_H + 4,
};

extern HWND frameWindow;    // the designer's top-level window
extern HWND canvasWindow;   // the picture
extern HWND sinkWindow;     // hidden: where the menu's navigation draws
extern HFONT uiFont;        // texts of the panel and lists
extern HFONT uiBoldFont;
extern Language uiLanguage;

// --- What is being edited -------------------------------------------------------

extern MenuDocument document;
extern DesignPlace place;     // what is shown and selected
extern std::wstring folder;   // the disc folder, "" before one is open
extern bool readOnly;         // a file the designer must not rewrite
extern std::string fileNote;  // said about the file when it was opened (UTF-8)
extern CheckReport checkReport;     // the checker's last look at the copy
extern std::vector<int> readerLines;  // lines Windows reads otherwise

// --- Texts ----------------------------------------------------------------------

std::wstring widen(const std::string& utf8);
std::string narrowUtf8(const std::wstring& text);
std::wstring fromShiftJis(const std::string& sjis);
// Shift-JIS of the text; false (and the first character that has none in
// *bad) when the text holds a character Shift-JIS lacks.
bool toShiftJis(const std::wstring& text, std::string* sjis, std::wstring* bad);
std::wstring say(Text text, const std::string& a1 = "", const std::string& a2 = "",
                 const std::string& a3 = "", const std::string& a4 = "");
std::string number(long long n);
int ask(Text text, UINT buttons, const std::string& a1 = "", const std::string& a2 = "");
void tell(const std::wstring& message, UINT icon);

// --- Canvas (canvas_win32.cpp) -------------------------------------------------------

void registerCanvas(HINSTANCE instance);
HWND createCanvas(HWND frame);
// Reads the model again from the document and shows the place: the start
// screen, or the page, group and entry, reached as the menu reaches them.
void showPlace(void);
void setStatus(const std::wstring& text);
// The item under a point, or selection keys, as the canvas handles them.
void nudgeSelection(int dx, int dy);

// Items chosen together (Shift+click, a band); place is one of them. Empty
// when one item or none is chosen.
extern std::vector<DesignPlace> selection;
extern int gridSize;  // 0: no grid
// The chosen items (place's alone when there is no selection) and where
// they are drawn.
std::vector<DesignPlace> chosenItems(void);
struct Box;
Box itemBox(const DesignPlace& item);

// --- Outline (outline_win32.cpp) ---------------------------------------------------------

void createOutline(HWND frame);
// Rebuilds the tree when the document changed and selects the place.
void refreshOutline(void);
void focusOutline(void);
void outlineTexts(void);  // the tree's texts after typing
LRESULT onOutlineNotify(NMHDR* header);
// Keys the canvas and the outline share: Delete, copy, paste, duplicate.
bool sharedKey(WPARAM key);

// --- Panel (panel_win32.cpp) ---------------------------------------------------------

void createPanel(HWND frame);
void refreshPanel(void);
// The next refresh fills every field anew, the one typed in too (undo, redo).
void refillPanel(void);
void onPanelCommand(int id, int code);
HBRUSH panelColour(HDC dc, HWND control);
void fillFindings(void);
void onFindingChosen(void);

// --- Files and checks (files_win32.cpp) --------------------------------------------------

// askedToSave: the author was asked about unsaved changes already.
bool openFolder(const std::wstring& path, bool askedToSave = false);
// The system's words for an error, in the window's language where it has them.
std::wstring systemMessage(DWORD error);
bool saveDocument(void);
// Asks about unsaved changes; false when the person cancels.
bool mayLeaveDocument(void);
// Writes the document to the copy the model reads; false when it cannot.
bool writeWorkingCopy(void);
void removeWorkingCopy(void);
// Runs the checker over the copy and fills the findings list.
void runChecks(void);
// A picture chosen with the file dialog, as a Shift-JIS name relative to the
// folder; false when none was chosen or it cannot be used.
bool choosePicture(std::string* name);
void updateTitle(void);
// What is said about the file now (UTF-8); *plain: nothing worth a box.
std::string currentFileNote(bool* plain = 0);

// --- Test run (testrun_win32.cpp) -----------------------------------------------------

// The drive letter the disc folder has in the test run and in the checks:
// the folder's own when it is a drive's root, else Q or, taken, a free one.
char discDrive(void);
void folderOpened(void);  // a new folder: its letter is chosen again
// Starts MENU.EXE from that drive, on the page and entry selected; unsaved
// changes are tested from a temporary copy.
void testRun(void);
void onTestRunTimer(void);
void endTestRun(void);  // the drive and the copy given back
// After every change of the document: the picture, the panel and, a moment
// later, the findings.
void documentChanged(void);
void doCommand(int command);

#endif
