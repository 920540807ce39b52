// Command lines: macro expansion in place, and the plan of what a line
// starts. Expansion is compared with a plain copying version; the plan's
// texts must be terminated within their fields and agree with each other.
//
// Input: [drive] then the command line (up to the first NUL).
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

#include "launch/launch.h"
#include "menu/text.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

// Expansion into a separate string: no rewriting where the text stands.
std::string expandedCopy(const char* text, int drive)
{
    std::string out;
    for (size_t at = 0; text[at];) {
        size_t skip = 0;
        if (strncmp(text + at, "$CURDRV", 7) == 0) {
            out += (char)(64 + drive);
            skip = 7;
        } else if (strncmp(text + at, "$COMMA", 6) == 0) {
            out += ',';
            skip = 6;
        }
        if (!skip) {
            out += text[at++];
            continue;
        }
        at += skip;
        if (text[at] == '\\')
            at++;
    }
    return out;
}

// The first bytes of text that fit limit, no two-byte character split.
std::string cutText(const char* text, size_t limit)
{
    return std::string(text, cutLength(text, limit));
}

bool endsWith(const std::string& text, const char* end)
{
    size_t n = strlen(end);
    return n <= text.size() && text.compare(text.size() - n, n, end) == 0;
}

void checkPlan(const char* line, int drive)
{
    LaunchPlan* plan = (LaunchPlan*)malloc(sizeof *plan);
    memset(plan, 'J', sizeof *plan);
    planLaunch(line, drive, plan);
    require(terminated(plan->program) && terminated(plan->directory) &&
                terminated(plan->fileName) && terminated(plan->arguments) &&
                terminated(plan->commandText),
            "planLaunch: a field is not terminated");
    if (!line[0]) {
        require(plan->mode == LAUNCH_NOTHING, "planLaunch: an empty line starts something");
        free(plan);
        return;
    }
    require(plan->mode == LAUNCH_PROGRAM || plan->mode == LAUNCH_DOCUMENT,
            "planLaunch: a line that starts nothing");
    // The line is cut to the work line first, then expanded.
    std::string work = expandedCopy(cutText(line, WORK_LINE_BYTES - 1).c_str(), drive);
    size_t programLength = strlen(plan->program);
    require(work.compare(0, programLength, plan->program) == 0 &&
                strchr(" \t\r", work.c_str()[programLength]),  // or the end
            "planLaunch: program is not the first word of the line");
    require(endsWith(work, plan->arguments), "planLaunch: arguments are not the line's rest");
    require(strlen(plan->fileName) <= 12, "planLaunch: file name over 12 bytes");
    require(plan->drive >= 0 && plan->drive <= 26, "planLaunch: no such drive");
    require(!strpbrk(plan->program, " \t\r"), "planLaunch: a blank inside the program");
    require(strncmp(plan->program, plan->directory, strlen(plan->directory)) == 0,
            "planLaunch: directory is not the start of the program path");
    // The file name, lower-cased, comes from the program path after the
    // directory.
    std::string tail(plan->program + strlen(plan->directory));
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c + 0x20);
    require(tail.find(plan->fileName) != std::string::npos,
            "planLaunch: file name is not from the program path");
    if (plan->mode == LAUNCH_PROGRAM) {
        size_t n = strlen(plan->fileName);
        require(strncmp(plan->commandText, plan->fileName, n) == 0 &&
                    plan->commandText[n] == ' ',
                "planLaunch: start text is not the name and a blank");
        require(strcmp(plan->commandText + n + 1, plan->arguments) == 0,
                "planLaunch: start text does not carry the arguments");
    }
    free(plan);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    int drive = data[0] % 27;  // 0: no drive, 1-26: A-Z
    const uint8_t* nul = (const uint8_t*)memchr(data + 1, 0, size - 1);
    size_t length = nul ? (size_t)(nul - data - 1) : size - 1;
    char* line = (char*)malloc(length + 1);
    memcpy(line, data + 1, length);
    line[length] = 0;

    std::string expected = expandedCopy(line, drive);
    char* expanded = (char*)malloc(length + 1);
    memcpy(expanded, line, length + 1);
    expandMacros(expanded, drive);
    require(expected == expanded, "expandMacros: differs from expansion by copying");

    checkPlan(line, drive);
    free(expanded);
    free(line);
    return 0;
}
