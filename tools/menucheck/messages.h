// The checker's own texts, in English and Japanese (UTF-8).
#ifndef TOOLS_MENUCHECK_MESSAGES_H
#define TOOLS_MENUCHECK_MESSAGES_H

#include <stddef.h>

#include "tools/menucheck/check.h"

enum Language { LANGUAGE_EN, LANGUAGE_JA };

// Japanese when a locale variable (LC_ALL, then LC_MESSAGES, then LANG)
// starts with "ja".
Language languageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);

// A stable name of the finding for JSON and tests ("list-gap").
const char* findingName(FindingCode code);
const char* severityName(Severity severity);  // "error", "warning", "note"

// The finding's message with its arguments put in.
void findingText(const Finding* finding, Language language, char* out, size_t size);

// Why a picture is not drawn, as a phrase.
const char* pictureReasonText(PictureReason reason, Language language);
const char* pictureReasonName(PictureReason reason);  // for JSON

// Texts of the report around the findings.
enum Label {
    LABEL_HEADING,        // %1 folder, %2 drive letter
    LABEL_MENU_FILE,      // %1 encoding, %2 bytes
    LABEL_MENU_MISSING,
    LABEL_START_SCREEN,
    LABEL_PAGE,           // %1 number, %2 section, %3 title, %4 entries
    LABEL_PAGE_MISSING,   // %1 number, %2 section
    LABEL_GROUP,          // %1 group, %2 of
    LABEL_ENTRY,          // %1 slot, %2 section, %3 title, %4 number
    LABEL_BUTTON,         // %1 number, %2 caption, %3 place and size
    LABEL_PICTURE_FILE,   // %1 file
    LABEL_PICTURE_BUILT_IN,
    LABEL_PICTURE_NOT_DRAWN,
    LABEL_CAPTION_COLOUR, // %1 #rrggbb
    LABEL_CLICK_NOTHING,
    LABEL_CLICK_PROGRAM,  // %1 command text, %2 directory
    LABEL_CLICK_DOCUMENT, // %1 file, %2 arguments, %3 directory
    LABEL_EXPANDED,       // %1 line
    LABEL_TARGET_ON_DISC, // %1 path
    LABEL_TARGET_SYSTEM,
    LABEL_TARGET_MISSING,
    LABEL_DECORATION,     // %1 number, %2 file, %3 place and size
    LABEL_NO_DECORATIONS,
    LABEL_PALETTE_HEADING,
    LABEL_PALETTE_LINE,   // %1 file, %2 size and bits, %3 mean, %4 max
    LABEL_PALETTE_NONE,
    LABEL_FINDINGS,
    LABEL_NO_FINDINGS,
    LABEL_LINE,           // %1 line number
    LABEL_SUMMARY,        // %1 errors, %2 warnings, %3 notes
    LABEL_FINDING_ERROR,
    LABEL_FINDING_WARNING,
    LABEL_FINDING_NOTE,
    LABEL_NO_PAGES,
    // The page for browsers (INDEX.HTM)
    LABEL_HTML_FULL_MENU,  // on Windows MENU.EXE shows the full menu
    LABEL_HTML_PAGES,      // heading of the list of pages
    LABEL_HTML_NO_ENTRIES,
    LABEL_HTML_PROGRAM,    // a program of the disc: runs on Windows
    LABEL_HTML_SYSTEM,     // %1 a program Windows brings along
    LABEL_HTML_NOTHING,    // a button that starts nothing
    LABEL_HTML_ELSEWHERE,  // not a file of this disc
    LABEL_COUNT
};

const char* labelText(Label label, Language language);

// Puts up to four arguments into a text with %1 to %4.
void formatText(char* out, size_t size, const char* text, const char* a1, const char* a2,
                const char* a3, const char* a4);

#endif
