// autorun.inf at the disc's root, read as Windows reads it: what starts
// when the disc goes in, the icon and label of the drive, and what Windows
// of today ignores on a CD. Also the folder one level too high, the disc's
// root being one folder down.
#ifndef TOOLS_MENUCHECK_AUTORUN_H
#define TOOLS_MENUCHECK_AUTORUN_H

#include "tools/menucheck/check.h"

// Where findings go: where (UTF-8) names the file and key; a0 and a1 are
// the finding's first arguments.
typedef void (*AutorunFinding)(Severity severity, FindingCode code, const char* where,
                               const char* a0, const char* a1);

// hostFolder: the disc folder; drive: the disc's letter.
void checkAutorun(const char* hostFolder, char drive, AutorunFinding add);

// Label limits: what Windows shows of a label, in characters.
enum { AUTORUN_LABEL_CHARS = 32 };

#endif
