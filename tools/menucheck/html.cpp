// INDEX.HTM: the menu for a browser. Everything comes from the report, so
// the page says what the menu says: titles as the model cut them, clicks as
// planLaunch read them, files as the checker found them in the folder.
#include "tools/menucheck/html.h"

#include <stdio.h>
#include <string.h>

#include "menu/text.h"
#include "tools/menucheck/discfs.h"
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/host.h"

enum { SHOWN_BYTES = HOST_PATH * 2, ARGUMENT_WORDS = 32 };

// Readable from a phone's width up; no script, no outside file.
static const char style[] =
    "body{font-family:sans-serif;line-height:1.6;margin:0 auto;max-width:44em;"
    "padding:0 1em 2em;color:#111;background:#fff}"
    "h1{font-size:1.5em;margin:.8em 0 .3em}h2{font-size:1.25em;margin:1.4em 0 .4em;"
    "border-bottom:2px solid #2a5ca8}h3{font-size:1.05em;margin:1em 0 .3em}"
    "img{max-width:100%;height:auto}"
    ".windows{background:#eef3fb;border-left:4px solid #2a5ca8;padding:.4em .8em}"
    "ul{padding-left:1.2em}ul.buttons{list-style:none;padding:0;margin:0}"
    "ul.buttons li{margin:.6em 0}.what{display:block;margin:.15em 0 0 .2em}"
    "a.button{display:inline-block;padding:.3em .9em;border:1px solid #2a5ca8;"
    "border-radius:.3em;text-decoration:none;color:#163d7a;background:#f4f7fc}"
    "span.button{display:inline-block;padding:.3em .9em;border:1px solid #aaa;"
    "border-radius:.3em;color:#555}"
    "code{font-size:.9em;word-break:break-all;overflow-wrap:anywhere}"
    ".note{color:#555;font-size:.9em}";

static void add(OutputText* out, const char* text)
{
    appendOutput(out, text, strlen(text));
}

void appendHtmlEscaped(OutputText* out, const char* text)
{
    for (const char* p = text; *p; p++) {
        switch (*p) {
        case '&': add(out, "&amp;"); break;
        case '<': add(out, "&lt;"); break;
        case '>': add(out, "&gt;"); break;
        case '"': add(out, "&quot;"); break;
        case '\'': add(out, "&#39;"); break;
        default: appendOutput(out, p, 1);
        }
    }
}

void appendUrlPath(OutputText* out, const char* path)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const unsigned char* p = (const unsigned char*)path; *p; p++) {
        unsigned char c = *p;
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '.' || c == '_' || c == '~';
        if (c == '\\' || c == '/') {
            add(out, "/");
        } else if (plain) {
            appendOutput(out, (const char*)p, 1);
        } else {
            char escaped[3] = {'%', hex[c >> 4], hex[c & 15]};
            appendOutput(out, escaped, 3);
        }
    }
}

static void addSjis(OutputText* out, const char* sjis)
{
    char text[SHOWN_BYTES];
    sjisToUtf8(sjis, text, sizeof text);
    appendHtmlEscaped(out, text);
}

// The file of the disc at an absolute disc path (Shift-JIS, "Q:\..."), as
// the folder names it: UTF-8, relative to the root, '\' between names.
// 0 when it is no file of the disc.
static int discFileName(const CheckReport* r, const char* absolute, char* out, size_t size)
{
    char host[HOST_PATH];
    int same;
    if (!onDrive(absolute, r->drive) ||
        findOnDisc(r->folder, absolute, host, sizeof host, &same) != DISC_FILE)
        return 0;
    size_t n = strlen(r->folder);
    if (strncmp(host, r->folder, n) != 0)
        return 0;
    const char* relative = host + n;
    while (*relative == '/' || *relative == '\\')
        relative++;
    hostNameToUtf8(relative, out, size);
    for (char* p = out; *p; p++)
        if (*p == '/')
            *p = '\\';
    return out[0] != 0;
}

// A path of the command as the disc holds it: the file's own name from the
// root when it is one of the disc, a path on the disc's drive from the
// root all the same, anything else as written.
static void addPath(OutputText* out, const CheckReport* r, const LaunchInfo* l, const char* path,
                    int isFile)
{
    char shown[SHOWN_BYTES], absolute[DISC_PATH_BYTES];
    if (isFile && discFileName(r, path, shown, sizeof shown)) {
        appendHtmlEscaped(out, shown);
        return;
    }
    absoluteDiscPath(l->startDirectory, path, absolute, sizeof absolute);
    bool qualified = path[0] && path[1] == ':';
    if (qualified && onDrive(absolute, r->drive) && discFileName(r, absolute, shown, sizeof shown))
        appendHtmlEscaped(out, shown);
    else if (qualified && onDrive(absolute, r->drive))
        addSjis(out, absolute + 3);
    else
        addSjis(out, path);
}

// An argument that names a file of the disc: drive-qualified on the disc's
// drive ("$CURDRV:\DOCS\A.TXT" after expansion), or relative to the
// directory the program starts in. Switches ("/Q", "-x") name none.
static int argumentFile(const CheckReport* r, const LaunchInfo* l, const char* word, char* out,
                        size_t size)
{
    if (word[0] == '/' || word[0] == '-' || word[0] == 0)
        return 0;
    char absolute[DISC_PATH_BYTES];
    absoluteDiscPath(l->startDirectory, word, absolute, sizeof absolute);
    return discFileName(r, absolute, out, size);
}

static void addLink(OutputText* out, const char* file, const char* caption)
{
    add(out, "<a class=\"button\" href=\"");
    appendUrlPath(out, file);
    add(out, "\">");
    appendHtmlEscaped(out, caption);
    add(out, "</a>");
}

static void writeButton(OutputText* out, const CheckReport* r, const CommandInfo* c,
                        Language language)
{
    const LaunchInfo* l = &c->launch;
    char caption[SHOWN_BYTES], target[SHOWN_BYTES], word[WORK_LINE_BYTES];
    sjisToUtf8(c->button.caption, caption, sizeof caption);
    add(out, "<li>");
    if (l->plan.mode == LAUNCH_NOTHING) {
        add(out, "<span class=\"button\">");
        appendHtmlEscaped(out, caption);
        add(out, "</span> <span class=\"note\">");
        add(out, labelText(LABEL_HTML_NOTHING, language));
        add(out, "</span></li>\n");
        return;
    }
    // The link goes to what the click starts; for a program of Windows'
    // own, to the first file of the disc it is given.
    int program = l->targetOnDisc && discFileName(r, l->target, target, sizeof target);
    int linked = program;
    const char* rest = l->plan.arguments;
    for (int n = 0; !linked && *rest && n < ARGUMENT_WORDS; n++) {
        rest = getWord(word, sizeof word, rest, 0);
        linked = argumentFile(r, l, word, target, sizeof target);
    }
    if (linked) {
        addLink(out, target, caption);
    } else {
        add(out, "<span class=\"button\">");
        appendHtmlEscaped(out, caption);
        add(out, "</span>");
    }

    // The command as the disc holds it: the program or document by its
    // name from the root, each argument that is a file of the disc too.
    add(out, "\n<span class=\"what\"><code>");
    char shown[SHOWN_BYTES];
    addPath(out, r, l, program ? l->target : l->plan.program, program);
    rest = l->plan.arguments;
    for (int n = 0; *rest && n < ARGUMENT_WORDS; n++) {
        rest = getWord(word, sizeof word, rest, 0);
        add(out, " ");
        if (argumentFile(r, l, word, shown, sizeof shown))
            appendHtmlEscaped(out, shown);
        else if (word[0] != '/' && word[0] != '-')
            addPath(out, r, l, word, 0);
        else
            addSjis(out, word);
    }
    if (*rest) {
        add(out, " ");
        addSjis(out, rest);
    }
    add(out, "</code>");

    char note[SHOWN_BYTES] = "";
    if (l->plan.mode == LAUNCH_PROGRAM && l->targetOnDisc) {
        copyText(note, sizeof note, labelText(LABEL_HTML_PROGRAM, language));
    } else if (l->plan.mode == LAUNCH_PROGRAM && l->systemProgram) {
        char name[SHOWN_BYTES];
        sjisToUtf8(l->plan.program, name, sizeof name);
        formatText(note, sizeof note, labelText(LABEL_HTML_SYSTEM, language), name, 0, 0, 0);
    } else if (!l->targetOnDisc) {
        copyText(note, sizeof note, labelText(LABEL_HTML_ELSEWHERE, language));
    }
    if (note[0]) {
        add(out, " <span class=\"note\">");
        appendHtmlEscaped(out, note);
        add(out, "</span>");
    }
    add(out, "</span></li>\n");
}

static void writeStartPictures(OutputText* out, const CheckReport* r)
{
    int shown = 0;
    for (int i = 0; i < r->startDecorations; i++) {
        const DecorationInfo* d = &r->decorations[i];
        char file[SHOWN_BYTES];
        if (d->picture < 0 || r->pictures[d->picture].reason != PICTURE_OK ||
            !discFileName(r, r->pictures[d->picture].discPath, file, sizeof file))
            continue;
        add(out, shown++ ? "\n" : "<p class=\"start\">");
        char size[64];
        snprintf(size, sizeof size, "\" width=\"%d\" height=\"%d\" alt=\"\">", d->width,
                 d->height);
        add(out, "<img src=\"");
        appendUrlPath(out, file);
        add(out, size);
    }
    if (shown)
        add(out, "</p>\n");
}

void writeHtmlPage(const CheckReport* r, Language language, const char* title, OutputText* out)
{
    if (!title || !title[0])
        title = "MENU";
    add(out, "<!DOCTYPE html>\n<html lang=\"");
    add(out, language == LANGUAGE_JA ? "ja" : "en");
    add(out, "\">\n<head>\n<meta charset=\"utf-8\">\n"
             "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
             "<title>");
    appendHtmlEscaped(out, title);
    add(out, "</title>\n<style>");
    add(out, style);
    add(out, "</style>\n</head>\n<body>\n<h1>");
    appendHtmlEscaped(out, title);
    add(out, "</h1>\n");
    writeStartPictures(out, r);
    add(out, "<p class=\"windows\">");
    appendHtmlEscaped(out, labelText(LABEL_HTML_FULL_MENU, language));
    add(out, "</p>\n");

    if (r->pageCount > 1) {
        add(out, "<nav><h2>");
        add(out, labelText(LABEL_HTML_PAGES, language));
        add(out, "</h2>\n<ul>\n");
        for (int p = 0; p < r->pageCount; p++) {
            char anchor[48];
            snprintf(anchor, sizeof anchor, "<li><a href=\"#page%d\">", p + 1);
            add(out, anchor);
            addSjis(out, r->pages[p].title);
            add(out, "</a></li>\n");
        }
        add(out, "</ul></nav>\n");
    }
    for (int p = 0; p < r->pageCount; p++) {
        const PageInfo* page = &r->pages[p];
        char head[48];
        snprintf(head, sizeof head, "<section id=\"page%d\">\n<h2>", p + 1);
        add(out, head);
        addSjis(out, page->title);
        add(out, "</h2>\n");
        if (page->entryCount == 0) {
            add(out, "<p class=\"note\">");
            add(out, labelText(LABEL_HTML_NO_ENTRIES, language));
            add(out, "</p>\n");
        }
        for (int k = 0; k < page->entryCount; k++) {
            const EntryInfo* e = &r->entries[page->firstEntry + k];
            add(out, "<article>\n<h3>");
            addSjis(out, e->title);
            add(out, "</h3>\n<ul class=\"buttons\">\n");
            for (int i = 0; i < e->commandCount; i++)
                writeButton(out, r, &r->commands[e->firstCommand + i], language);
            add(out, "</ul>\n</article>\n");
        }
        add(out, "</section>\n");
    }
    add(out, "</body>\n</html>\n");
}
