// The report as readable text or as JSON, in UTF-8.
#ifndef TOOLS_MENUCHECK_OUTPUT_H
#define TOOLS_MENUCHECK_OUTPUT_H

#include <stddef.h>

#include "tools/menucheck/check.h"
#include "tools/menucheck/messages.h"

// A growing UTF-8 text; text is null when memory ran out.
struct OutputText {
    char* text;
    size_t length;
    size_t capacity;
};

void writeTextReport(const CheckReport* report, Language language, OutputText* out);
void writeJsonReport(const CheckReport* report, Language language, OutputText* out);
void freeOutput(OutputText* out);
// Adds n bytes of text; on running out of memory the text becomes null.
void appendOutput(OutputText* out, const char* text, size_t n);

#endif
