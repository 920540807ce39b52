// The page a browser shows of the disc where the menu cannot run (AutoRun
// off, a Mac, Linux, a phone): the model the checker read, as HTML.
#ifndef TOOLS_MENUCHECK_HTML_H
#define TOOLS_MENUCHECK_HTML_H

#include "tools/menucheck/check.h"
#include "tools/menucheck/messages.h"
#include "tools/menucheck/output.h"

// Every page with its entries and their buttons, each button a link to the
// file its click starts, named relative to the disc's root as the folder
// holds it; the start screen's pictures. UTF-8, no scripts. title (UTF-8)
// heads the page; null or empty gives "MENU".
void writeHtmlPage(const CheckReport* report, Language language, const char* title,
                   OutputText* out);

// Text made safe inside HTML elements and attribute values.
void appendHtmlEscaped(OutputText* out, const char* utf8);

// A relative path (UTF-8, '/' or '\' between names) as a URL path: '/'
// between names, every byte but letters, digits and "-._~" percent-encoded.
void appendUrlPath(OutputText* out, const char* utf8);

#endif
