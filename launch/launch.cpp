// What a command line does: macro expansion, the split into program,
// directory, file name and arguments, the choice between starting a program
// and opening a document, and the record of the programs started.
#include "launch/launch.h"

#include "menu/text.h"

#include <string.h>

unsigned long launchTable[LAUNCH_TABLE_SIZE];  // process ids, launch order
int launchCount;                               // entries in use

// メモリ不足のためこのアプリケーションを起動できません。
// いくつかのアプリケーションを終了してからやり直してください。
static const char memoryText[] =
    "\x83\x81\x83\x82\x83\x8A\x95\x73\x91\xAB\x82\xCC\x82\xBD\x82\xDF"  // メモリ不足のため
    "\x82\xB1\x82\xCC\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56"  // このアプリケーシ
    "\x83\x87\x83\x93\x82\xF0\x8B\x4E\x93\xAE\x82\xC5\x82\xAB\x82\xDC"  // ョンを起動できま
    "\x82\xB9\x82\xF1\x81\x42"                                          // せん。
    "\x82\xA2\x82\xAD\x82\xC2\x82\xA9\x82\xCC\x83\x41\x83\x76\x83\x8A"  // いくつかのアプリ
    "\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93\x82\xF0\x8F\x49\x97\xB9"  // ケーションを終了
    "\x82\xB5\x82\xC4\x82\xA9\x82\xE7\x82\xE2\x82\xE8\x92\xBC\x82\xB5"  // してからやり直し
    "\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";                 // てください。

// アプリケーションを起動できません。
static const char cannotStartText[] =
    "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93"  // アプリケーション
    "\x82\xF0\x8B\x4E\x93\xAE\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"  // を起動できません
    "\x81\x42";                                                         // 。

const char launchFailureCaption[] = "\x83\x47\x83\x89\x81\x5B";  // エラー

enum { RESULT_OUT_OF_MEMORY = 8, RESULT_FIRST_SUCCESS = 32 };

static bool startsWith(const char* text, const char* prefix)
{
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

void expandMacros(char* text, int drive)
{
    // Every macro shrinks to one byte, so the output never overtakes the
    // input and the text can be rewritten where it stands.
    const char* in = text;
    char* out = text;
    while (*in) {
        bool replaced = false;
        if (*in == '$') {
            if (startsWith(in, "$CURDRV")) {
                *out++ = (char)(64 + drive);
                in += 7;
                replaced = true;
            } else if (startsWith(in, "$COMMA")) {
                *out++ = ',';
                in += 6;
                replaced = true;
            }
        }
        if (!replaced) {
            *out++ = *in++;
            continue;
        }
        if (*in == '\\')
            in++;
    }
    *out = 0;
}

void planLaunch(const char* commandLine, int drive, LaunchPlan* plan)
{
    memset(plan, 0, sizeof *plan);
    plan->mode = LAUNCH_NOTHING;
    if (!commandLine || !commandLine[0])
        return;

    char work[WORK_LINE_BYTES];
    copyText(work, sizeof work, commandLine);
    expandMacros(work, drive);

    // The program path is held as long as the work line, so a long first
    // word reaches the system whole instead of being cut somewhere odd.
    const char* rest = getWord(plan->program, sizeof plan->program, work, 0);
    copyText(plan->arguments, sizeof plan->arguments, rest);

    copyText(plan->directory, sizeof plan->directory, plan->program);
    splitFileName(plan->fileName, plan->directory);
    // Byte by byte, as the runtime's lower-casing does: a second byte in
    // A-Z is lowered too.
    for (char* p = plan->fileName; *p; p++)
        if (*p >= 'A' && *p <= 'Z')
            *p = (char)(*p + 0x20);

    if (hasExtension(plan->fileName, "scr") || hasExtension(plan->fileName, "exe") ||
        hasExtension(plan->fileName, "")) {
        plan->mode = LAUNCH_PROGRAM;
        // Always one blank, even before empty arguments.
        copyText(plan->commandText, sizeof plan->commandText, plan->fileName);
        size_t used = strlen(plan->commandText);
        plan->commandText[used] = ' ';
        copyText(plan->commandText + used + 1, sizeof plan->commandText - used - 1,
                 plan->arguments);
    } else {
        plan->mode = LAUNCH_DOCUMENT;
    }

    if (plan->directory[0] && plan->directory[1] == ':') {
        unsigned char letter = (unsigned char)plan->directory[0];
        if (letter >= 'a' && letter <= 'z')
            letter = (unsigned char)(letter - 0x20);
        // Anything but A-Z names no drive: the drive then stays as it is.
        if (letter >= 'A' && letter <= 'Z')
            plan->drive = letter - 64;
    }
}

bool launchSucceeded(unsigned long result)
{
    return result >= RESULT_FIRST_SUCCESS;
}

unsigned long programStartResult(bool started, unsigned long lastError)
{
    // The values a program start by command line has always given: 33 for
    // a start, the error code for a failure, 11 for an error code that
    // would read as a success.
    if (started)
        return 33;
    return lastError >= RESULT_FIRST_SUCCESS ? 11 : lastError;
}

bool startThroughShell(unsigned long lastError)
{
    return lastError == START_NEEDS_ELEVATION;
}

unsigned long shellStartResult(bool started, unsigned long instance,
                               unsigned long lastError, bool* declined)
{
    *declined = !started && lastError == START_DECLINED;
    if (started)
        return instance >= RESULT_FIRST_SUCCESS ? instance : 33;
    return instance < RESULT_FIRST_SUCCESS ? instance : 11;
}

LaunchVerdict judgeLaunch(unsigned long result, bool declined)
{
    if (launchSucceeded(result))
        return LAUNCH_RECORD;
    return declined ? LAUNCH_QUIET : LAUNCH_TELL;
}

void recordLaunch(unsigned long processId)
{
    // Id 0 names no process; a full table drops the rest without notice.
    if (processId == 0 || launchCount < 0 || launchCount >= LAUNCH_TABLE_SIZE)
        return;
    launchTable[launchCount++] = processId;
}

const char* launchFailureText(unsigned long result)
{
    return result == RESULT_OUT_OF_MEMORY ? memoryText : cannotStartText;
}
