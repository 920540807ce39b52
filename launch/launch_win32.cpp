// Starting a command button's command, and asking the started programs to
// close at exit: the Win32 side of the launcher.
#include "launch/cleanup.h"
#include "launch/launch.h"
#include "menu/home.h"
#include "menu/model.h"
#include "platform/platform.h"

#include <windows.h>
#include <shellapi.h>
#include <string.h>

// GetProcessId came with Windows XP SP1: a program that imports it does not
// load at all on older systems. Looked up when first needed; without it a
// document's program is not recorded (and so not asked to close at exit).
typedef DWORD(WINAPI* ProcessIdOf)(HANDLE);

static int processIdLooked;             // 1 once KERNEL32 has been asked
static ProcessIdOf processIdFunction;   // GetProcessId, or null on older systems

static unsigned long processIdOf(HANDLE process)
{
    if (!processIdLooked) {
        processIdLooked = 1;
        HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
        if (kernel)
            processIdFunction = (ProcessIdOf)(void*)GetProcAddress(kernel, "GetProcessId");
    }
    return processIdFunction ? processIdFunction(process) : 0;
}

// Opens file through the shell, as ShellExecuteA does (which shows no error
// box of the shell's own: ours is the only message); the shell also asks
// for consent where a program must run elevated. The shell names the
// process only when it started a new one. declined: the person said no.
static unsigned long shellStart(HWND window, const char* file, const LaunchPlan* plan,
                                unsigned long* processId, bool* declined)
{
    SHELLEXECUTEINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = window;
    info.lpVerb = 0;
    info.lpFile = file;
    info.lpParameters = plan->arguments;
    info.lpDirectory = plan->directory;
    info.nShow = SW_SHOWNORMAL;
    bool started = ShellExecuteExA(&info) != FALSE;
    unsigned long lastError = started ? 0 : GetLastError();
    if (info.hProcess) {
        *processId = processIdOf(info.hProcess);
        CloseHandle(info.hProcess);
    }
    return shellStartResult(started, (unsigned long)(ULONG_PTR)info.hInstApp, lastError,
                            declined);
}

// Starts a program as WinExec does inside (same command text, so the same
// search order, and the same show mode) without waiting for it, and keeps
// what WinExec loses: the process id. A program that must run elevated
// (Vista and later) is started again through the shell, which asks for
// consent: the same file as the system found it, arguments and directory.
static unsigned long startProgram(HWND window, const LaunchPlan* plan,
                                  unsigned long* processId, bool* declined)
{
    char commandText[sizeof plan->commandText];  // CreateProcessA may write to it
    memcpy(commandText, plan->commandText, sizeof commandText);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    if (CreateProcessA(0, commandText, 0, 0, FALSE, 0, 0, 0, &startup, &process)) {
        *processId = process.dwProcessId;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return programStartResult(true, 0);
    }
    unsigned long lastError = GetLastError();
    if (!startThroughShell(lastError))
        return programStartResult(false, lastError);
    // The search the system made for the command's first word, so that the
    // shell starts that very file (the menu's own folder comes first).
    char found[MAX_PATH];
    char* namePart;
    DWORD n = SearchPathA(NULL, plan->fileName, ".exe", sizeof found, found, &namePart);
    const char* file = n > 0 && n < sizeof found ? found : plan->fileName;
    return shellStart(window, file, plan, processId, declined);
}

void launchCommand(void* window, int j)
{
    if (!commandList || j < 0 || j >= commandCount)
        return;
    LaunchPlan plan;
    planLaunch(commandList[j].commandLine, currentDrive(), &plan);
    if (plan.mode == LAUNCH_NOTHING)
        return;

    // Failures to change drive or directory are not reported: the start is
    // tried wherever we then are.
    if (plan.drive)
        changeDrive(plan.drive);
    changeDirectory(plan.directory);

    unsigned long processId = 0;
    bool declined = false;
    unsigned long result =
        plan.mode == LAUNCH_PROGRAM
            ? startProgram((HWND)window, &plan, &processId, &declined)
            : shellStart((HWND)window, plan.fileName, &plan, &processId, &declined);

    changeDrive(driveNumberOf(homeDir));
    changeDirectory(homeDir);

    switch (judgeLaunch(result, declined)) {
    case LAUNCH_RECORD:
        recordLaunch(processId);
        return;
    case LAUNCH_QUIET:
        return;  // the person's own choice at the consent prompt
    case LAUNCH_TELL:
        break;
    }
    MessageBoxA((HWND)window, launchFailureText(result), launchFailureCaption,
                MB_OK | MB_ICONEXCLAMATION);
}

// A window belongs to a started program when the process that owns it is
// in the LaunchTable. Disabled windows (behind a modal dialog) are left
// alone. Always TRUE, so that every top-level window is seen.
static BOOL CALLBACK closeIfLaunched(HWND window, LPARAM)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    for (int i = 0; i < launchCount && i < LAUNCH_TABLE_SIZE; i++) {
        if (launchTable[i] != processId)
            continue;
        if (IsWindowEnabled(window))
            PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    }
    return TRUE;
}

void closeLaunchedPrograms(void)
{
    EnumWindows(closeIfLaunched, 0);
}
