// Starting a command button's command line, and the record of what started.
#ifndef LAUNCH_LAUNCH_H
#define LAUNCH_LAUNCH_H

enum { LAUNCH_TABLE_SIZE = 100, WORK_LINE_BYTES = 256 };

// Process ids of the programs started, in launch order.
extern unsigned long launchTable[LAUNCH_TABLE_SIZE];
extern int launchCount;

// Expands "$CURDRV" (the drive letter: 64 + drive) and "$COMMA" in place;
// a backslash right after a macro is dropped. Never lengthens the text.
void expandMacros(char* text, int drive);

enum LaunchMode { LAUNCH_NOTHING, LAUNCH_PROGRAM, LAUNCH_DOCUMENT };

struct LaunchPlan {
    LaunchMode mode;
    char program[WORK_LINE_BYTES];    // first word of the expanded line
    char directory[WORK_LINE_BYTES];  // its directory part, made current
    char fileName[13];                // last component, lower-cased
    char arguments[WORK_LINE_BYTES];  // the rest of the line
    char commandText[WORK_LINE_BYTES + 16];  // program start: name, blank, args
    int drive;  // drive to make current first (1 = A), 0 for none
};

// Works out what a command line does when the current drive is drive.
void planLaunch(const char* commandLine, int drive, LaunchPlan* plan);

// Records a successful start; the 101st and later are dropped.
void recordLaunch(unsigned long processId);

// Results of a start as the message choice reads them: 32 or more is a
// success. A program start gives 33, or its error code (11 for one of 32
// or more); opening a document gives the shell's instance value.
bool launchSucceeded(unsigned long result);
unsigned long programStartResult(bool started, unsigned long lastError);

// Windows Vista and later refuse to start a program that must run elevated
// (a requireAdministrator manifest, or a name such as SETUP.EXE that their
// installer detection takes for an installer) with this error; only the
// shell can ask the person for consent. The shell answers a declined
// consent prompt with the other one.
enum { START_NEEDS_ELEVATION = 740, START_DECLINED = 1223 };

// Whether a program start that failed with lastError is tried again
// through the shell.
bool startThroughShell(unsigned long lastError);

// Result of a start through the shell as the message choice reads it: the
// instance value the shell gave on success (33 when it gave a value that
// would read as a failure), else that value (or 11 where it would read as
// a success). declined is set when the person said no to the consent
// prompt: nothing is recorded and nothing is shown.
unsigned long shellStartResult(bool started, unsigned long instance,
                               unsigned long lastError, bool* declined);

// What follows a start: the start recorded, the failure message shown, or
// nothing at all (a declined consent prompt).
enum LaunchVerdict { LAUNCH_RECORD, LAUNCH_TELL, LAUNCH_QUIET };
LaunchVerdict judgeLaunch(unsigned long result, bool declined);

// The message for a failed start (Shift-JIS): memory text for 8.
const char* launchFailureText(unsigned long result);
extern const char launchFailureCaption[];

// Starts command button j of the CommandList (Win32 layer).
void launchCommand(void* window, int j);

#endif
