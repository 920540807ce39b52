// What a click on each command button does: the line as planLaunch reads
// it, the directory made current, and the file Windows would find.
#include "tools/menucheck/checkrun.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "menu/text.h"
#include "tools/menucheck/encoding.h"

namespace check {

// Programs every Windows has in its own folders, started by bare name.
static const char* const systemPrograms[] = {
    "notepad.exe", "write.exe", "calc.exe", "explorer.exe", "winhelp.exe", "winhlp32.exe",
    "control.exe", "regedit.exe", "mspaint.exe", "mplay32.exe", "sndrec32.exe", "cmd.exe",
    "rundll32.exe", "hh.exe",
};

// --- Launching ------------------------------------------------------------------

static bool startsWithIgnoringCase(const char* text, const char* prefix)
{
    for (; *prefix; text++, prefix++) {
        char a = *text >= 'a' && *text <= 'z' ? (char)(*text - 32) : *text;
        if (a != *prefix)
            return false;
    }
    return true;
}

static void checkMacros(const char* line, const char* where, int lineNumber)
{
    for (const char* p = line; *p; p++) {
        if (*p != '$')
            continue;
        if (startsWithIgnoringCase(p, "$CURDRV") && strncmp(p, "$CURDRV", 7) != 0) {
            char written[8];
            copyText(written, sizeof written, p);
            addFinding(FINDING_WARNING, F_MACRO_CASE, where, lineNumber, written);
        } else if (startsWithIgnoringCase(p, "$COMMA") && strncmp(p, "$COMMA", 6) != 0) {
            char written[7];
            copyText(written, sizeof written, p);
            addFinding(FINDING_WARNING, F_MACRO_CASE, where, lineNumber, written);
        }
        if ((strncmp(p, "$CURDRV", 7) == 0 && p[7] == '\\') ||
            (strncmp(p, "$COMMA", 6) == 0 && p[6] == '\\'))
            addFinding(FINDING_WARNING, F_MACRO_BACKSLASH, where, lineNumber,
                       p[1] == 'C' && p[2] == 'U' ? "$CURDRV" : "$COMMA");
    }
}

static void inFolder(char* out, size_t size, const char* folder, const char* name)
{
    char joined[DISC_PATH_BYTES * 2];
    snprintf(joined, sizeof joined, "%s%s%s", folder,
             folder[0] && folder[strlen(folder) - 1] != '\\' ? "\\" : "", name);
    absoluteDiscPath(discRoot, joined, out, size);
}


static bool isSystemProgram(const char* name)
{
    for (size_t i = 0; i < sizeof systemPrograms / sizeof systemPrograms[0]; i++)
        if (sameKeyName(systemPrograms[i], name))
            return true;
    return false;
}

// A program path written with blanks: the first word is not a file of the
// disc, but the first words together are.
static void checkBlankPath(const LaunchInfo* l, const char* where, int line)
{
    char joined[WORK_LINE_BYTES];
    copyText(joined, sizeof joined, l->plan.program);
    const char* rest = l->plan.arguments;
    for (int words = 0; words < 6 && *rest; words++) {
        char word[WORK_LINE_BYTES];
        rest = getWord(word, sizeof word, rest, 0);
        size_t used = strlen(joined);
        if (used + 1 + strlen(word) + 1 > sizeof joined)
            return;
        joined[used] = ' ';
        copyText(joined + used + 1, sizeof joined - used - 1, word);
        char absolute[DISC_PATH_BYTES];
        absoluteDiscPath(discRoot, joined, absolute, sizeof absolute);
        if (findAbsolute(absolute) == DISC_FILE) {
            char shown[FINDING_ARG_BYTES];
            sjisToUtf8(joined, shown, sizeof shown);
            addFinding(FINDING_WARNING, F_PROGRAM_BLANK, where, line, shown);
            return;
        }
    }
}

void planCommand(CommandInfo* c, const char* section)
{
    LaunchInfo* l = &c->launch;
    const char* commandLine = c->button.commandLine;
    char key[SCAN_NAME_BYTES], where[WHERE_BYTES];
    numberedKey(key, sizeof key, "Command", c->number);
    whereKey(where, sizeof where, section, key);
    int line = keyLine(section, key);

    planLaunch(commandLine, driveNumber, &l->plan);
    copyText(l->expanded, sizeof l->expanded, commandLine);
    expandMacros(l->expanded, driveNumber);
    if (l->plan.mode == LAUNCH_NOTHING) {
        char value[COMMAND_VALUE];
        readCut(section, key, value, sizeof value);
        bool comma = strchr(value, ',') != 0;
        addFinding(comma ? FINDING_NOTE : FINDING_WARNING, comma ? F_EMPTY_COMMAND : F_NO_COMMA,
                   where, line);
        return;
    }
    checkMacros(commandLine, where, line);

    char firstWord[WORK_LINE_BYTES];
    const char* p = commandLine;
    while (*p == ' ' || *p == '\t')
        p++;
    getWord(firstWord, sizeof firstWord, p, 0);
    if (*p == '"')
        addFinding(FINDING_WARNING, F_QUOTED_PROGRAM, where, line);
    if (((firstWord[0] >= 'A' && firstWord[0] <= 'Z') ||
         (firstWord[0] >= 'a' && firstWord[0] <= 'z')) && firstWord[1] == ':') {
        char letter[2] = {firstWord[0], 0};
        addFinding(FINDING_WARNING, F_FIXED_DRIVE, where, line, letter);
    }

    // The whole last name of the program path, before the 12-byte cut.
    char directory[WORK_LINE_BYTES];
    copyText(directory, sizeof directory, l->plan.program);
    splitFileName(0, directory);
    const char* fullName = l->plan.program + strlen(directory);
    if (*fullName == '\\' || *fullName == '/')
        fullName++;
    char fullUtf8[FINDING_ARG_BYTES], keptUtf8[FINDING_ARG_BYTES];
    sjisToUtf8(fullName, fullUtf8, sizeof fullUtf8);
    sjisToUtf8(l->plan.fileName, keptUtf8, sizeof keptUtf8);
    if (strlen(fullName) > 12) {
        char length[16];
        numberText(length, sizeof length, (long long)strlen(fullName));
        addFinding(FINDING_WARNING, F_LONG_FILE_NAME, where, line, fullUtf8, length, keptUtf8);
    }
    int dots = 0;
    for (const char* d = fullName; *d; d++)
        dots += *d == '.';
    if (dots > 1) {
        const char* extension = strchr(l->plan.fileName, '.');
        addFinding(FINDING_WARNING, F_SEVERAL_DOTS, where, line, fullUtf8,
                   extension ? extension + 1 : "",
                   l->plan.mode == LAUNCH_PROGRAM ? "program" : "document");
    }
    if (!l->plan.fileName[0] && l->plan.mode == LAUNCH_PROGRAM)
        addFinding(FINDING_WARNING, F_EMPTY_FILE_NAME, where, line);

    // The current directory: the drive first, then the directory itself;
    // a failure of either leaves what was current, silently.
    char cwd[DISC_PATH_BYTES];
    copyText(cwd, sizeof cwd, discRoot);
    if (l->plan.drive && l->plan.drive != driveNumber)
        snprintf(cwd, sizeof cwd, "%c:\\", (char)(64 + l->plan.drive));
    // The path as written, for findings: what the author meant to start.
    char meant[DISC_PATH_BYTES];
    absoluteDiscPath(cwd, l->plan.program, meant, sizeof meant);
    bool directoryMissing = false;
    char missingDirectory[DISC_PATH_BYTES];
    if (l->plan.directory[0]) {
        absoluteDiscPath(cwd, l->plan.directory, missingDirectory, sizeof missingDirectory);
        if (!onDrive(missingDirectory, options->drive) ||
            findAbsolute(missingDirectory) == DISC_DIRECTORY)
            copyText(cwd, sizeof cwd, missingDirectory);
        else
            directoryMissing = true;
    }
    copyText(l->startDirectory, sizeof l->startDirectory, cwd);
    bool cwdOnDisc = onDrive(cwd, options->drive) != 0;

    // Where Windows looks: for a program (started by its bare name) the
    // folder of MENU.EXE, then the current directory, then its own; for a
    // document the directory given to the shell, then the same folders.
    char name[WORK_LINE_BYTES];
    char candidates[3][DISC_PATH_BYTES];
    int candidateCount = 0;
    if (l->plan.mode == LAUNCH_PROGRAM) {
        const char* text = l->plan.commandText;
        while (*text == ' ' || *text == '\t')
            text++;
        getWord(name, sizeof name, text, 0);
        // A name without a full stop is looked for with ".exe" added.
        if (name[0] && !strchr(name, '.') && strlen(name) + 5 < sizeof name)
            strcat(name, ".exe");
    } else {
        copyText(name, sizeof name, l->plan.fileName);
        if (l->plan.directory[0]) {
            char given[DISC_PATH_BYTES];
            absoluteDiscPath(cwd, l->plan.directory, given, sizeof given);
            inFolder(candidates[candidateCount++], DISC_PATH_BYTES, given, name);
        }
    }
    bool hasPath = hasPathPart(name);
    if (hasPath) {
        absoluteDiscPath(cwd, name, candidates[candidateCount++], DISC_PATH_BYTES);
    } else if (name[0]) {
        inFolder(candidates[candidateCount++], DISC_PATH_BYTES, discRoot, name);
        inFolder(candidates[candidateCount++], DISC_PATH_BYTES, cwd, name);
    }
    int found = -1;
    bool anyOnDisc = false;
    for (int i = 0; i < candidateCount; i++) {
        anyOnDisc = anyOnDisc || onDrive(candidates[i], options->drive);
        if (found < 0 && findAbsolute(candidates[i]) == DISC_FILE)
            found = i;
    }

    char nameUtf8[FINDING_ARG_BYTES], shown[FINDING_ARG_BYTES];
    sjisToUtf8(name, nameUtf8, sizeof nameUtf8);
    int last = candidateCount - 1;
    if (found >= 0) {
        copyText(l->target, sizeof l->target, candidates[found]);
        l->targetOnDisc = 1;
        // A file of the same name beside MENU.EXE is found before the one
        // in the program's own directory.
        if (!hasPath && found < last && !sameKeyName(candidates[found], candidates[last]) &&
            findAbsolute(candidates[last]) == DISC_FILE) {
            char meant[FINDING_ARG_BYTES];
            sjisToUtf8(candidates[found], shown, sizeof shown);
            sjisToUtf8(candidates[last], meant, sizeof meant);
            addFinding(FINDING_WARNING, F_SHADOWED, where, line, shown, meant);
        }
    } else if (!name[0]) {
        addFinding(FINDING_ERROR, F_NO_TARGET_NAME, where, line);
    } else if (l->plan.mode == LAUNCH_PROGRAM && !l->plan.directory[0] && !hasPath) {
        // A bare name: Windows goes on to look in its own folders.
        l->systemProgram = 1;
        if (isSystemProgram(name))
            addFinding(FINDING_NOTE, F_SYSTEM_PROGRAM, where, line, nameUtf8);
        else
            addFinding(FINDING_WARNING, F_UNKNOWN_PROGRAM, where, line, nameUtf8);
    } else if (!cwdOnDisc || !anyOnDisc || !onDrive(meant, options->drive)) {
        // Looked for on another drive too: that cannot be checked here.
        sjisToUtf8(meant, shown, sizeof shown);
        addFinding(FINDING_WARNING, F_TARGET_OFF_DISC, where, line, shown);
    } else {
        sjisToUtf8(meant, shown, sizeof shown);
        addFinding(FINDING_ERROR, F_TARGET_MISSING, where, line, shown);
    }
    // A missing directory matters where something is started all the same.
    if (directoryMissing && (found >= 0 || l->systemProgram)) {
        char stays[FINDING_ARG_BYTES];
        sjisToUtf8(missingDirectory, shown, sizeof shown);
        sjisToUtf8(cwd, stays, sizeof stays);
        addFinding(FINDING_WARNING, F_DIRECTORY_MISSING, where, line, shown, stays);
    }
    if (found < 0 && l->plan.arguments[0])
        checkBlankPath(l, where, line);

    // Arguments that name files of the disc's drive.
    const char* rest = l->plan.arguments;
    for (int words = 0; words < 32 && *rest; words++) {
        char word[WORK_LINE_BYTES];
        rest = getWord(word, sizeof word, rest, 0);
        if (!onDrive(word, options->drive) || (word[2] != '\\' && word[2] != '/'))
            continue;
        char absolute[DISC_PATH_BYTES];
        absoluteDiscPath(discRoot, word, absolute, sizeof absolute);
        if (findAbsolute(absolute) == DISC_MISSING) {
            sjisToUtf8(word, shown, sizeof shown);
            addFinding(FINDING_WARNING, F_ARGUMENT_MISSING, where, line, shown);
        }
    }
}

}  // namespace check
