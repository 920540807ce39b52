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

// Starts a program as WinExec does inside (same command text, so the same
// search order, and the same show mode) without waiting for it, and keeps
// what WinExec loses: the process id.
static unsigned long startProgram(const LaunchPlan* plan, unsigned long* processId)
{
    char commandText[sizeof plan->commandText];  // CreateProcessA may write to it
    memcpy(commandText, plan->commandText, sizeof commandText);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(0, commandText, 0, 0, FALSE, 0, 0, 0, &startup, &process))
        return programStartResult(false, GetLastError());
    *processId = process.dwProcessId;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return programStartResult(true, 0);
}

// Opens a document by its registered application, as ShellExecuteA does
// (which shows no error box of the shell's own: ours is the only message).
// The shell names the process only when it started a new one.
static unsigned long openDocument(HWND window, const LaunchPlan* plan,
                                  unsigned long* processId)
{
    SHELLEXECUTEINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = window;
    info.lpVerb = 0;
    info.lpFile = plan->fileName;
    info.lpParameters = plan->arguments;
    info.lpDirectory = plan->directory;
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
    if (info.hProcess) {
        *processId = GetProcessId(info.hProcess);
        CloseHandle(info.hProcess);
    }
    return (unsigned long)(ULONG_PTR)info.hInstApp;
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
    unsigned long result = plan.mode == LAUNCH_PROGRAM
                               ? startProgram(&plan, &processId)
                               : openDocument((HWND)window, &plan, &processId);

    changeDrive(driveNumberOf(homeDir));
    changeDirectory(homeDir);

    if (launchSucceeded(result)) {
        recordLaunch(processId);
        return;
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
