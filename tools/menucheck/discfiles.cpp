// The disc's own files: MENU.EXE and autorun.inf beside MENU.DAT (autorun.cpp
// reads the latter), and names that ISO 9660 or Joliet would not keep.
#include "tools/menucheck/checkrun.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tools/menucheck/autorun.h"
#include "tools/menucheck/encoding.h"

namespace check {

static void visitName(const char* relative, const char* name, int isDirectory, int depth, void*)
{
    int problems = nameProblems(name, isDirectory, depth);
    if (!problems)
        return;
    char shown[WHERE_BYTES];
    hostNameToUtf8(relative, shown, sizeof shown);
    if (problems & NAME_JOLIET_LONG) {
        char units[16];
        numberText(units, sizeof units, hostNameUnits(name));
        addFinding(FINDING_ERROR, F_JOLIET_LONG, shown, 0, units);
    }
    if (problems & NAME_TOO_DEEP)
        addFinding(FINDING_WARNING, F_ISO_DEPTH, shown, 0);
    if (problems & NAME_NOT_8_3)
        addFinding(FINDING_WARNING, F_ISO_LEVEL1, shown, 0, isDirectory ? "directory" : "file");
}

static void autorunFinding(Severity severity, FindingCode code, const char* where,
                           const char* a0, const char* a1)
{
    addFinding(severity, code, where, 0, a0, a1);
}

void checkDiscFiles(void)
{
    char absolute[16];
    snprintf(absolute, sizeof absolute, "%c:\\MENU.EXE", options->drive);
    if (findAbsolute(absolute) != DISC_FILE)
        addFinding(FINDING_NOTE, F_NO_MENU_EXE, "MENU.EXE", 0);
    checkAutorun(hostFolder, options->drive, autorunFinding);
    int most = options->maxNames > 0 ? options->maxNames : MAX_WALK;
    if (walkDisc(hostFolder, visitName, 0, most) >= most) {
        char count[16];
        numberText(count, sizeof count, most);
        addFinding(FINDING_NOTE, F_WALK_CUT, "", 0, count);
    }
}

}  // namespace check
