// Starting a command button's command, and asking the started programs to
// close at exit: the Win32 side of the launcher.
#include "launch/cleanup.h"
#include "launch/launch.h"
#include "menu/home.h"
#include "menu/model.h"
#include "menu/text.h"
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

// Some file types' shell handlers are COM objects, which want COM on the
// calling thread: set up once, apartment-threaded, before the first start
// through the shell, and left to the end of the process. OLE32 is loaded
// only then, so that a start-up without the shell never loads it;
// CoInitialize, because Windows 95 without DCOM has no CoInitializeEx.
typedef HRESULT(WINAPI* ComStart)(LPVOID);

static int comStarted;  // 1 once COM was set up (or found missing)

static void startCom(void)
{
    if (comStarted)
        return;
    comStarted = 1;
    HMODULE ole = LoadLibraryA("OLE32.DLL");
    ComStart start = ole ? (ComStart)(void*)GetProcAddress(ole, "CoInitialize") : 0;
    if (start)
        start(0);
}

// Handles of the started programs, beside their ids in the LaunchTable.
// Windows gives an id to another process once no handle to the ended one is
// open, so each is held until exit: only then does an id still name the
// program the menu started.
static HANDLE launchHandles[LAUNCH_TABLE_SIZE];

// Records a start with its process handle; a start that is not recorded
// (no id, table full) lets its handle go.
static void keepLaunch(unsigned long processId, HANDLE process)
{
    int slot = launchCount;
    recordLaunch(processId);
    if (slot >= 0 && slot < LAUNCH_TABLE_SIZE && launchCount == slot + 1) {
        if (launchHandles[slot])
            CloseHandle(launchHandles[slot]);
        launchHandles[slot] = process;
    } else if (process) {
        CloseHandle(process);
    }
}

// Opens file through the shell, as ShellExecuteA does (which shows no error
// box of the shell's own: ours is the only message); the shell also asks
// for consent where a program must run elevated. The shell names the
// process only when it started a new one. declined: the person said no.
// directory is a full path: the shell resolves a relative one against the
// current directory, which is that folder already.
static unsigned long shellStart(HWND window, const char* file, const char* directory,
                                const LaunchPlan* plan, unsigned long* processId,
                                HANDLE* process, bool* declined)
{
    startCom();
    SHELLEXECUTEINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = window;
    info.lpVerb = 0;
    info.lpFile = file;
    info.lpParameters = plan->arguments;
    info.lpDirectory = directory;
    info.nShow = SW_SHOWNORMAL;
    bool started = ShellExecuteExA(&info) != FALSE;
    unsigned long lastError = started ? 0 : GetLastError();
    if (info.hProcess) {
        *processId = processIdOf(info.hProcess);
        *process = info.hProcess;
    }
    return shellStartResult(started, (unsigned long)(ULONG_PTR)info.hInstApp, lastError,
                            declined);
}

// Appends folder and a ';' to the list; false when it does not fit.
static bool addFolder(char* list, size_t size, const char* folder)
{
    size_t used = strlen(list), length = strlen(folder);
    if (length == 0 || used + length + 2 > size)
        return false;
    memcpy(list + used, folder, length);
    list[used + length] = ';';
    list[used + length + 1] = 0;
    return true;
}

// The file that CreateProcess found for a bare program name, looked up in
// its own order: the folder the menu was loaded from, the current
// directory, the system folders, the Windows folder, then PATH. The default
// order of SearchPath puts the current directory after the system folders
// on newer systems, where a disc program named like a system one would be
// passed over.
static bool findAsStarted(const char* name, const char* currentDirectory, char* found,
                          DWORD size)
{
    char list[4 * MAX_PATH + 8];
    char folder[MAX_PATH + 8];
    list[0] = 0;
    DWORD n = GetModuleFileNameA(0, folder, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        folder[n] = 0;
        char* cut = folder;
        for (char* p = folder; *p; p += (isLeadByte((unsigned char)*p) && p[1]) ? 2 : 1)
            if (*p == '\\')
                cut = p;
        *cut = 0;
        addFolder(list, sizeof list, folder);
    }
    addFolder(list, sizeof list, currentDirectory);
    n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        addFolder(list, sizeof list, folder);
    n = GetWindowsDirectoryA(folder, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        folder[n] = 0;
        char windows[MAX_PATH + 8];
        memcpy(windows, folder, n + 1);
        joinPath(folder, sizeof folder, "SYSTEM");  // 16-bit system folder
        addFolder(list, sizeof list, folder);
        addFolder(list, sizeof list, windows);
    }
    char* namePart;
    n = SearchPathA(list, name, ".exe", size, found, &namePart);
    if (n > 0 && n < size)
        return true;
    // Not in those folders: the default search, whose other folders are
    // the same ones, can now find it only through PATH.
    n = SearchPathA(NULL, name, ".exe", size, found, &namePart);
    return n > 0 && n < size;
}

// Starts a program as WinExec does inside (same command text, so the same
// search order, and the same show mode) without waiting for it, and keeps
// what WinExec loses: the process id and handle. A program that must run
// elevated (Vista and later) is started again through the shell, which
// asks for consent: the same file as the system found it, arguments and
// directory.
static unsigned long startProgram(HWND window, const LaunchPlan* plan, const char* directory,
                                  unsigned long* processId, HANDLE* process, bool* declined)
{
    char commandText[sizeof plan->commandText];  // CreateProcessA may write to it
    memcpy(commandText, plan->commandText, sizeof commandText);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started;
    if (CreateProcessA(0, commandText, 0, 0, FALSE, 0, 0, 0, &startup, &started)) {
        *processId = started.dwProcessId;
        *process = started.hProcess;
        CloseHandle(started.hThread);
        return programStartResult(true, 0);
    }
    unsigned long lastError = GetLastError();
    if (!startThroughShell(lastError))
        return programStartResult(false, lastError);
    char found[MAX_PATH];
    const char* file = findAsStarted(plan->fileName, directory, found, sizeof found)
                           ? found
                           : plan->fileName;
    return shellStart(window, file, directory, plan, processId, process, declined);
}

// A message box with Shift-JIS texts. MessageBoxA reads its texts in the
// system's code page, which on a Windows of another language turns
// Japanese into other letters: the texts go as Unicode wherever code page
// 932 is installed, and as they are where it is not (a Western Windows 95,
// which could not show them either way).
static void showMessage(HWND window, const char* text, const char* caption, UINT type)
{
    WCHAR wideText[256], wideCaption[64];
    if (IsValidCodePage(932) &&
        MultiByteToWideChar(932, 0, text, -1, wideText, sizeof wideText / sizeof *wideText) &&
        MultiByteToWideChar(932, 0, caption, -1, wideCaption,
                            sizeof wideCaption / sizeof *wideCaption)) {
        MessageBoxW(window, wideText, wideCaption, type);
        return;
    }
    MessageBoxA(window, text, caption, type);
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
    // Where the start is made, whether or not the change succeeded.
    char directory[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory)
        directory[0] = 0;

    unsigned long processId = 0;
    HANDLE process = 0;
    bool declined = false;
    unsigned long result =
        plan.mode == LAUNCH_PROGRAM
            ? startProgram((HWND)window, &plan, directory, &processId, &process, &declined)
            : shellStart((HWND)window, plan.fileName, directory, &plan, &processId, &process,
                         &declined);

    changeDrive(driveNumberOf(homeDir));
    changeDirectory(homeDir);

    LaunchVerdict verdict = judgeLaunch(result, declined);
    if (verdict == LAUNCH_RECORD) {
        keepLaunch(processId, process);
        return;
    }
    if (process)
        CloseHandle(process);
    if (verdict == LAUNCH_QUIET)
        return;  // the person's own choice at the consent prompt
    showMessage((HWND)window, launchFailureText(result), launchFailureCaption,
                MB_OK | MB_ICONEXCLAMATION);
}

// A window belongs to a started program when the process that owns it is
// in the LaunchTable and still runs: its handle, held since the start,
// keeps its id from being given to another process. Disabled windows
// (behind a modal dialog) are left alone. Always TRUE, so that every
// top-level window is seen.
static BOOL CALLBACK closeIfLaunched(HWND window, LPARAM)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    for (int i = 0; i < launchCount && i < LAUNCH_TABLE_SIZE; i++) {
        if (launchTable[i] != processId)
            continue;
        HANDLE process = launchHandles[i];
        if (process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT && IsWindowEnabled(window))
            PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    }
    return TRUE;
}

void closeLaunchedPrograms(void)
{
    EnumWindows(closeIfLaunched, 0);
    for (int i = 0; i < LAUNCH_TABLE_SIZE; i++) {
        if (launchHandles[i])
            CloseHandle(launchHandles[i]);
        launchHandles[i] = 0;
    }
}
