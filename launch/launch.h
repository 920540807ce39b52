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

// The message for a failed start (Shift-JIS): memory text for 8.
const char* launchFailureText(unsigned long result);
extern const char launchFailureCaption[];

// Starts command button j of the CommandList (Win32 layer).
void launchCommand(void* window, int j);

#endif
