// Writing the report. Texts of MENU.DAT are Shift-JIS in the report and
// become UTF-8 here; JSON strings are checked to be valid UTF-8 so that a
// stray byte in a folder name cannot spoil the whole document.
#include "tools/menucheck/output.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tools/menucheck/encoding.h"
#include "tools/menucheck/host.h"

enum { TEXT_BYTES = 2048 };

static void put(OutputText* out, const char* text, size_t n)
{
    if (!out->text && out->capacity)
        return;  // memory ran out earlier
    if (out->length + n + 1 > out->capacity) {
        size_t more = out->capacity ? out->capacity * 2 : 4096;
        while (more < out->length + n + 1)
            more *= 2;
        char* bigger = (char*)realloc(out->text, more);
        if (!bigger) {
            free(out->text);
            out->text = 0;
            out->length = 0;
            out->capacity = 1;
            return;
        }
        out->text = bigger;
        out->capacity = more;
    }
    memcpy(out->text + out->length, text, n);
    out->length += n;
    out->text[out->length] = 0;
}

static void puts_(OutputText* out, const char* text)
{
    put(out, text, strlen(text));
}

static void putf(OutputText* out, const char* format, ...)
{
    char text[TEXT_BYTES];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    puts_(out, text);
}

void appendOutput(OutputText* out, const char* text, size_t n)
{
    put(out, text, n);
}

void freeOutput(OutputText* out)
{
    free(out->text);
    out->text = 0;
    out->length = out->capacity = 0;
}

static void utf8(char* out, size_t size, const char* sjis)
{
    sjisToUtf8(sjis, out, size);
}

static void colourText(char* out, size_t size, unsigned colour)
{
    snprintf(out, size, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF,
             (colour >> 16) & 0xFF);
}

static void placeText(char* out, size_t size, int x, int y, int w, int h)
{
    snprintf(out, size, "(%d,%d) %dx%d", x, y, w, h);
}

static void label(OutputText* out, Language language, Label which, const char* indent,
                  const char* a1 = 0, const char* a2 = 0, const char* a3 = 0, const char* a4 = 0)
{
    char text[TEXT_BYTES * 2];
    formatText(text, sizeof text, labelText(which, language), a1, a2, a3, a4);
    puts_(out, indent);
    puts_(out, text);
    puts_(out, "\n");
}

// --- Text ---------------------------------------------------------------------

static void textDecoration(OutputText* out, const CheckReport* r, const DecorationInfo* d,
                           Language language, const char* indent)
{
    char number[16], file[DISC_PATH_BYTES * 3], place[64];
    snprintf(number, sizeof number, "%d", d->number);
    const PictureInfo* p = d->picture >= 0 ? &r->pictures[d->picture] : 0;
    utf8(file, sizeof file, p ? p->discPath : "");
    if (p && p->reason == PICTURE_OK)
        placeText(place, sizeof place, d->x, d->y, d->width, d->height);
    else
        snprintf(place, sizeof place, "(%d,%d), %s", d->x, d->y,
                 labelText(LABEL_PICTURE_NOT_DRAWN, language));
    label(out, language, LABEL_DECORATION, indent, number, file, place);
}

static void textCommand(OutputText* out, const CheckReport* r, const CommandInfo* c,
                        Language language)
{
    const CommandButton* b = &c->button;
    char number[16], caption[NAME_BYTES * 3], place[TEXT_BYTES], colour[16];
    snprintf(number, sizeof number, "%d", c->number);
    utf8(caption, sizeof caption, b->caption);
    placeText(place, sizeof place, b->x, b->y, b->width, b->height);
    colourText(colour, sizeof colour, b->textColour);
    char picture[DISC_PATH_BYTES * 3 + 64], formatted[TEXT_BYTES];
    if (c->picture < 0) {
        snprintf(picture, sizeof picture, "%s", labelText(LABEL_PICTURE_BUILT_IN, language));
    } else {
        char file[DISC_PATH_BYTES * 3];
        utf8(file, sizeof file, r->pictures[c->picture].discPath);
        formatText(picture, sizeof picture, labelText(LABEL_PICTURE_FILE, language), file, 0, 0,
                   0);
        if (!c->visible) {
            strncat(picture, ", ", sizeof picture - strlen(picture) - 1);
            strncat(picture, labelText(LABEL_PICTURE_NOT_DRAWN, language),
                    sizeof picture - strlen(picture) - 1);
        }
    }
    formatText(formatted, sizeof formatted, labelText(LABEL_CAPTION_COLOUR, language), colour, 0,
               0, 0);
    size_t used = strlen(place);
    snprintf(place + used, sizeof place - used, ", %s, %s", picture, formatted);
    label(out, language, LABEL_BUTTON, "      ", number, caption, place);

    const LaunchInfo* l = &c->launch;
    if (l->plan.mode == LAUNCH_NOTHING) {
        label(out, language, LABEL_CLICK_NOTHING, "        ");
        return;
    }
    char expanded[WORK_LINE_BYTES * 3], text[WORK_LINE_BYTES * 3], directory[DISC_PATH_BYTES * 3];
    utf8(expanded, sizeof expanded, l->expanded);
    utf8(directory, sizeof directory, l->startDirectory);
    label(out, language, LABEL_EXPANDED, "        ", expanded);
    if (l->plan.mode == LAUNCH_PROGRAM) {
        utf8(text, sizeof text, l->plan.commandText);
        label(out, language, LABEL_CLICK_PROGRAM, "        ", text, directory);
    } else {
        char arguments[WORK_LINE_BYTES * 3];
        utf8(text, sizeof text, l->plan.fileName);
        utf8(arguments, sizeof arguments, l->plan.arguments);
        label(out, language, LABEL_CLICK_DOCUMENT, "        ", text, arguments, directory);
    }
    if (l->targetOnDisc) {
        char target[DISC_PATH_BYTES * 3];
        utf8(target, sizeof target, l->target);
        label(out, language, LABEL_TARGET_ON_DISC, "        ", target);
    } else {
        label(out, language, l->systemProgram ? LABEL_TARGET_SYSTEM : LABEL_TARGET_MISSING,
              "        ");
    }
}

static void textEntry(OutputText* out, const CheckReport* r, int index, Language language)
{
    const EntryInfo* e = &r->entries[index];
    int position = e->number - 1;
    char slot[16], number[16], section[NAME_BYTES * 3], title[NAME_BYTES * 3];
    snprintf(slot, sizeof slot, "%d", position % 5 + 1);
    snprintf(number, sizeof number, "%d", e->number);
    utf8(section, sizeof section, e->section);
    utf8(title, sizeof title, e->title);
    label(out, language, LABEL_ENTRY, "    ", slot, section, title, number);
    for (int i = 0; i < e->commandCount; i++)
        textCommand(out, r, &r->commands[e->firstCommand + i], language);
    for (int i = 0; i < e->decorationCount; i++)
        textDecoration(out, r, &r->decorations[e->firstDecoration + i], language, "      ");
}

static void textFindings(OutputText* out, const CheckReport* r, Language language)
{
    label(out, language, LABEL_FINDINGS, "");
    if (r->findingCount == 0)
        label(out, language, LABEL_NO_FINDINGS, "  ");
    // In the report's order: the worst first.
    for (int i = 0; i < r->findingCount; i++) {
        const Finding* f = &r->findings[i];
        char message[TEXT_BYTES * 2], line[64];
        findingText(f, language, message, sizeof message);
        Label name = f->severity == FINDING_ERROR     ? LABEL_FINDING_ERROR
                     : f->severity == FINDING_WARNING ? LABEL_FINDING_WARNING
                                                      : LABEL_FINDING_NOTE;
        putf(out, "  %s", labelText(name, language));
        if (f->where[0])
            putf(out, " %s", f->where);
        if (f->line > 0) {
            char number[16];
            snprintf(number, sizeof number, "%d", f->line);
            formatText(line, sizeof line, labelText(LABEL_LINE, language), number, 0, 0, 0);
            putf(out, " (%s)", line);
        }
        putf(out, ": %s\n", message);
    }
}

static void textPalette(OutputText* out, const CheckReport* r, Language language)
{
    label(out, language, LABEL_PALETTE_HEADING, "");
    for (int i = 0; i < r->pictureCount; i++) {
        const PictureInfo* p = &r->pictures[i];
        if (p->reason != PICTURE_OK)
            continue;
        char file[DISC_PATH_BYTES * 3], size[64], mean[32], max[32];
        utf8(file, sizeof file, p->discPath);
        snprintf(size, sizeof size, "%dx%d, %d bits", p->width, p->height, p->bitCount);
        if (!p->distanceKnown) {
            label(out, language, LABEL_PALETTE_NONE, "  ");
            break;
        }
        snprintf(mean, sizeof mean, "%.1f", p->meanDistance);
        snprintf(max, sizeof max, "%.1f", p->maxDistance);
        label(out, language, LABEL_PALETTE_LINE, "  ", file, size, mean, max);
    }
}

void writeTextReport(const CheckReport* r, Language language, OutputText* out)
{
    char folder[HOST_PATH * 2], drive[2] = {r->drive, 0};
    hostNameToUtf8(r->folder, folder, sizeof folder);
    label(out, language, LABEL_HEADING, "", folder, drive);
    if (r->menuFound) {
        char bytes[32];
        snprintf(bytes, sizeof bytes, "%ld", r->menuBytes);
        label(out, language, LABEL_MENU_FILE, "", r->encoding, bytes);
    } else {
        label(out, language, LABEL_MENU_MISSING, "");
    }
    puts_(out, "\n");
    label(out, language, LABEL_START_SCREEN, "");
    if (r->startDecorations == 0)
        label(out, language, LABEL_NO_DECORATIONS, "  ");
    for (int i = 0; i < r->startDecorations; i++)
        textDecoration(out, r, &r->decorations[i], language, "  ");
    if (r->pageCount == 0)
        label(out, language, LABEL_NO_PAGES, "");
    for (int p = 0; p < r->pageCount; p++) {
        const PageInfo* page = &r->pages[p];
        char number[16], section[NAME_BYTES * 3], title[NAME_BYTES * 3], entries[16];
        snprintf(number, sizeof number, "%d", p + 1);
        utf8(section, sizeof section, page->section);
        utf8(title, sizeof title, page->title);
        snprintf(entries, sizeof entries, "%d", page->entryCount);
        puts_(out, "\n");
        label(out, language, page->sectionExists ? LABEL_PAGE : LABEL_PAGE_MISSING, "", number,
              section, title, entries);
        int groups = (page->entryCount + 4) / 5;
        for (int k = 0; k < page->entryCount; k++) {
            if (k % 5 == 0) {
                char group[16], of[16];
                snprintf(group, sizeof group, "%d", k / 5 + 1);
                snprintf(of, sizeof of, "%d", groups);
                label(out, language, LABEL_GROUP, "  ", group, of);
            }
            textEntry(out, r, page->firstEntry + k, language);
        }
    }
    puts_(out, "\n");
    textPalette(out, r, language);
    puts_(out, "\n");
    textFindings(out, r, language);
    char errors[16], warnings[16], notes[16];
    snprintf(errors, sizeof errors, "%d", r->errors);
    snprintf(warnings, sizeof warnings, "%d", r->warnings);
    snprintf(notes, sizeof notes, "%d", r->notes);
    puts_(out, "\n");
    label(out, language, LABEL_SUMMARY, "", errors, warnings, notes);
}

// --- JSON -----------------------------------------------------------------------

// A JSON string of UTF-8 text; bytes that are not UTF-8 become U+FFFD.
static void jsonString(OutputText* out, const char* text)
{
    put(out, "\"", 1);
    const unsigned char* p = (const unsigned char*)text;
    while (*p) {
        unsigned char c = *p;
        if (c == '"' || c == '\\') {
            char escaped[2] = {'\\', (char)c};
            put(out, escaped, 2);
            p++;
        } else if (c < 0x20) {
            putf(out, "\\u%04x", c);
            p++;
        } else if (c < 0x80) {
            put(out, (const char*)p, 1);
            p++;
        } else {
            size_t left = strlen((const char*)p);
            size_t n = 0;
            if (c >= 0xC2 && c <= 0xDF) n = 2;
            else if (c >= 0xE0 && c <= 0xEF) n = 3;
            else if (c >= 0xF0 && c <= 0xF4) n = 4;
            bool valid = n > 0 && n <= left && looksUtf8(p, n);
            if (valid) {
                put(out, (const char*)p, n);
                p += n;
            } else {
                puts_(out, "\xEF\xBF\xBD");  // U+FFFD
                p++;
            }
        }
    }
    put(out, "\"", 1);
}

static void jsonSjis(OutputText* out, const char* sjis)
{
    char text[TEXT_BYTES];
    sjisToUtf8(sjis, text, sizeof text);
    jsonString(out, text);
}

static void jsonKey(OutputText* out, const char* key)
{
    jsonString(out, key);
    puts_(out, ": ");
}

// ", " and a member whose value is Shift-JIS text.
static void jsonNextSjis(OutputText* out, const char* key, const char* sjis)
{
    puts_(out, ", ");
    jsonKey(out, key);
    jsonSjis(out, sjis);
}

static void jsonLaunch(OutputText* out, const LaunchInfo* l)
{
    static const char* const modes[] = {"nothing", "program", "document"};
    puts_(out, "{");
    jsonKey(out, "mode");
    jsonString(out, modes[l->plan.mode]);
    if (l->plan.mode != LAUNCH_NOTHING) {
        jsonNextSjis(out, "expanded", l->expanded);
        jsonNextSjis(out, "program", l->plan.program);
        jsonNextSjis(out, "directory", l->plan.directory);
        jsonNextSjis(out, "fileName", l->plan.fileName);
        jsonNextSjis(out, "arguments", l->plan.arguments);
        if (l->plan.mode == LAUNCH_PROGRAM) {
            jsonNextSjis(out, "commandText", l->plan.commandText);
        }
        jsonNextSjis(out, "startDirectory", l->startDirectory);
        jsonNextSjis(out, "target", l->target);
        putf(out, ", \"onDisc\": %s, \"systemProgram\": %s", l->targetOnDisc ? "true" : "false",
             l->systemProgram ? "true" : "false");
    }
    puts_(out, "}");
}

static void jsonDecorations(OutputText* out, const CheckReport* r, int first, int count)
{
    puts_(out, "[");
    for (int i = 0; i < count; i++) {
        const DecorationInfo* d = &r->decorations[first + i];
        putf(out, "%s{\"number\": %d, \"x\": %d, \"y\": %d, \"width\": %d, \"height\": %d, "
                  "\"picture\": %d}",
             i ? ", " : "", d->number, d->x, d->y, d->width, d->height, d->picture);
    }
    puts_(out, "]");
}

void writeJsonReport(const CheckReport* r, Language language, OutputText* out)
{
    char folder[HOST_PATH * 2], drive[2] = {r->drive, 0};
    hostNameToUtf8(r->folder, folder, sizeof folder);
    puts_(out, "{\n  ");
    jsonKey(out, "folder");
    jsonString(out, folder);
    puts_(out, ",\n  ");
    jsonKey(out, "drive");
    jsonString(out, drive);
    putf(out, ",\n  \"menuFound\": %s, \"menuBytes\": %ld, ", r->menuFound ? "true" : "false",
         r->menuBytes);
    jsonKey(out, "encoding");
    jsonString(out, r->encoding);
    puts_(out, ",\n  \"startDecorations\": ");
    jsonDecorations(out, r, 0, r->startDecorations);
    puts_(out, ",\n  \"pages\": [");
    for (int p = 0; p < r->pageCount; p++) {
        const PageInfo* page = &r->pages[p];
        putf(out, "%s\n    {\"number\": %d, ", p ? "," : "", p + 1);
        jsonKey(out, "section");
        jsonSjis(out, page->section);
        jsonNextSjis(out, "title", page->title);
        putf(out, ", \"sectionExists\": %s, \"groups\": %d, \"entries\": [",
             page->sectionExists ? "true" : "false", (page->entryCount + 4) / 5);
        for (int k = 0; k < page->entryCount; k++) {
            const EntryInfo* e = &r->entries[page->firstEntry + k];
            putf(out, "%s\n      {\"number\": %d, \"group\": %d, \"slot\": %d, ", k ? "," : "",
                 e->number, k / 5 + 1, k % 5 + 1);
            jsonKey(out, "section");
            jsonSjis(out, e->section);
            jsonNextSjis(out, "title", e->title);
            putf(out, ", \"sectionExists\": %s,\n       \"commands\": [",
                 e->sectionExists ? "true" : "false");
            for (int i = 0; i < e->commandCount; i++) {
                const CommandInfo* c = &r->commands[e->firstCommand + i];
                const CommandButton* b = &c->button;
                char colour[16];
                colourText(colour, sizeof colour, b->textColour);
                putf(out, "%s\n        {\"number\": %d, \"x\": %d, \"y\": %d, \"width\": %d, "
                          "\"height\": %d, \"picture\": %d, \"visible\": %s, ",
                     i ? "," : "", c->number, b->x, b->y, b->width, b->height, c->picture,
                     c->visible ? "true" : "false");
                jsonKey(out, "textColour");
                jsonString(out, colour);
                jsonNextSjis(out, "caption", b->caption);
                jsonNextSjis(out, "commandLine", b->commandLine);
                puts_(out, ",\n         \"launch\": ");
                jsonLaunch(out, &c->launch);
                puts_(out, "}");
            }
            puts_(out, "],\n       \"decorations\": ");
            jsonDecorations(out, r, e->firstDecoration, e->decorationCount);
            puts_(out, "}");
        }
        puts_(out, "]}");
    }
    puts_(out, "],\n  \"pictures\": [");
    for (int i = 0; i < r->pictureCount; i++) {
        const PictureInfo* p = &r->pictures[i];
        putf(out, "%s\n    {\"index\": %d, ", i ? "," : "", i);
        jsonKey(out, "path");
        jsonSjis(out, p->discPath);
        puts_(out, ", ");
        jsonKey(out, "status");
        jsonString(out, pictureReasonName(p->reason));
        putf(out, ", \"width\": %d, \"height\": %d, \"bitCount\": %d", p->width, p->height,
             p->bitCount);
        if (p->distanceKnown)
            putf(out, ", \"palette\": {\"mean\": %.2f, \"max\": %.2f, \"exact\": %.4f}",
                 p->meanDistance, p->maxDistance, p->exactShare);
        puts_(out, "}");
    }
    puts_(out, "],\n  \"findings\": [");
    for (int i = 0; i < r->findingCount; i++) {
        const Finding* f = &r->findings[i];
        char message[TEXT_BYTES * 2];
        findingText(f, language, message, sizeof message);
        putf(out, "%s\n    {\"severity\": \"%s\", \"code\": \"%s\", ", i ? "," : "",
             severityName(f->severity), findingName(f->code));
        jsonKey(out, "where");
        jsonString(out, f->where);
        putf(out, ", \"line\": %d, \"args\": [", f->line);
        for (int a = 0; a < FINDING_ARGS; a++) {
            if (a)
                puts_(out, ", ");
            jsonString(out, f->args[a]);
        }
        puts_(out, "], ");
        jsonKey(out, "message");
        jsonString(out, message);
        puts_(out, "}");
    }
    putf(out, "],\n  \"summary\": {\"errors\": %d, \"warnings\": %d, \"notes\": %d},\n"
              "  \"status\": %d\n}\n",
         r->errors, r->warnings, r->notes, reportStatus(r));
}
