// The test run: MENU.EXE started from a drive letter whose root is the disc
// folder, as it starts from the disc, so that $CURDRV and every path of
// MENU.DAT mean there what they will mean on the disc. Changes not saved
// yet run from a temporary copy of the folder. The menu takes no options:
// it is brought to the page and entry selected here by the clicks a person
// would make, posted to its surface once it has loaded.
#include <windows.h>
#include <winioctl.h>

#include <string.h>

#include "graphics/layout.h"
#include "shell/shell.h"
#include "tools/designer/designer.h"
#include "tools/designer/edit.h"

static char chosenDrive;         // the letter picked for the open folder; 0: none yet

static HANDLE runProcess;        // the menu of the test run
static HANDLE runJob;            // it and what it starts; null when none could be made
static DWORD runId;
static DesignPlace runPlace;     // where the menu is to be brought
static bool runClicked;
static wchar_t heldDrive;        // the letter defined for the run; 0: none
static std::wstring heldTarget;
static bool heldByWine;          // defined through Wine's mount manager
static std::wstring runCopy;     // the temporary copy; "" when none
static std::wstring runSource;   // the folder it copies

enum { COPY_DEPTH = 9 };

static bool isDriveRoot(const std::wstring& path)
{
    return path.size() == 3 && path[1] == L':' && path[2] == L'\\';
}

static char upper(wchar_t c)
{
    return (char)(c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c);
}

static bool driveFree(char letter)
{
    return letter >= 'A' && letter <= 'Z' && !(GetLogicalDrives() & (1u << (letter - 'A')));
}

// Q, as the checker assumes a disc's letter to be, or the first free one
// after it (A to C are never taken).
static char freeDrive(char avoid)
{
    static const char order[] = "QRSTUVWXYZDEFGHIJKLMNOP";
    for (const char* c = order; *c; c++)
        if (*c != avoid && driveFree(*c))
            return *c;
    return 0;
}

char discDrive(void)
{
    if (isDriveRoot(folder))
        return upper(folder[0]);
    if (heldDrive)
        return (char)heldDrive;
    if (!chosenDrive || !driveFree(chosenDrive)) {
        char letter = freeDrive(0);
        chosenDrive = letter ? letter : 'Q';
    }
    return chosenDrive;
}

void folderOpened(void)
{
    chosenDrive = 0;
}

// --- The drive letter ----------------------------------------------------------------------

// Whether two paths are the same directory.
static bool sameFolder(const std::wstring& a, const std::wstring& b)
{
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::wstring* paths[2] = {&a, &b};
    for (int i = 0; i < 2; i++) {
        HANDLE h = CreateFileW(paths[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE |
                               FILE_SHARE_DELETE, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        BOOL ok = GetFileInformationByHandle(h, &info[i]);
        CloseHandle(h);
        if (!ok)
            return false;
    }
    return info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// Wine's DefineDosDevice makes a name that its file system does not follow;
// its own mount manager, which winecfg uses, makes a drive of a Unix path.
struct WineDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

static bool wineDrive(wchar_t letter, const std::wstring* target)
{
    typedef char*(CDECL * UnixName)(const WCHAR*);
    UnixName unixName =
        (UnixName)(void*)GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name");
    if (!unixName)
        return false;
    char* path = target ? unixName(target->c_str()) : 0;
    if (target && !path)
        return false;
    size_t length = path ? strlen(path) + 1 : 0;
    std::vector<ULONGLONG> buffer((sizeof(WineDrive) + length) / sizeof(ULONGLONG) + 1);
    WineDrive* drive = (WineDrive*)&buffer[0];
    drive->size = (ULONG)(sizeof(WineDrive) + length);
    drive->type = path ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
    drive->letter = (WCHAR)(letter - L'A' + L'a');
    if (path) {
        memcpy(drive + 1, path, length);
        drive->mountPointOffset = sizeof(WineDrive);
        HeapFree(GetProcessHeap(), 0, path);
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    DWORD got = 0;
    BOOL ok = DeviceIoControl(manager, CTL_CODE('m', 32, METHOD_BUFFERED,
                                                FILE_READ_ACCESS | FILE_WRITE_ACCESS),
                              drive, drive->size, 0, 0, &got, 0);
    CloseHandle(manager);
    return ok != FALSE;
}

static void giveBackDrive(void)
{
    if (!heldDrive)
        return;
    wchar_t device[3] = {heldDrive, L':', 0};
    if (heldByWine)
        wineDrive(heldDrive, 0);
    else
        DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, device,
                         heldTarget.c_str());
    heldDrive = 0;
}

// Makes the letter stand for the folder; true when its root is the folder.
static bool holdDrive(char letter, const std::wstring& target)
{
    wchar_t device[3] = {(wchar_t)letter, L':', 0};
    std::wstring root = std::wstring(device) + L"\\";
    heldTarget = target;
    if (DefineDosDeviceW(0, device, target.c_str())) {
        heldDrive = (wchar_t)letter;
        heldByWine = false;
        if (sameFolder(root, target))
            return true;
        giveBackDrive();
    }
    if (wineDrive((wchar_t)letter, &target)) {
        heldDrive = (wchar_t)letter;
        heldByWine = true;
        if (sameFolder(root, target))
            return true;
        giveBackDrive();
    }
    return false;
}

// --- The temporary copy --------------------------------------------------------------------

// The folder's files linked (copied where links cannot be made) into to,
// at most *budget names; false when it cannot be done whole.
static bool mirror(const std::wstring& from, const std::wstring& to, int depth, int* budget)
{
    if (!CreateDirectoryW(to.c_str(), 0) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    bool ok = true;
    do {
        const wchar_t* name = found.cFileName;
        if (!lstrcmpW(name, L".") || !lstrcmpW(name, L".."))
            continue;
        // MENU.DAT is written afresh: through a link it would be the folder's own.
        if (depth == 0 && !lstrcmpiW(name, L"MENU.DAT"))
            continue;
        if (--*budget < 0) {
            ok = false;
            break;
        }
        std::wstring source = from + L"\\" + name, target = to + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = depth < COPY_DEPTH && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                     ? mirror(source, target, depth + 1, budget)
                     : true;
        else
            ok = CreateHardLinkW(target.c_str(), source.c_str(), 0) ||
                 CopyFileW(source.c_str(), target.c_str(), TRUE);
    } while (ok && FindNextFileW(search, &found));
    FindClose(search);
    return ok;
}

// Deletes the copy. A read-only file can only be deleted with the mark
// taken off, which its link shares with the folder's file: it is put back.
static void removeTree(const std::wstring& dir, const std::wstring& source, int depth)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const wchar_t* name = found.cFileName;
            if (!lstrcmpW(name, L".") || !lstrcmpW(name, L".."))
                continue;
            std::wstring path = dir + L"\\" + name, original = source + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (depth < COPY_DEPTH + 1)
                    removeTree(path, original, depth + 1);
            } else if (!DeleteFileW(path.c_str()) &&
                       (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
                SetFileAttributesW(path.c_str(), found.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
                if (DeleteFileW(path.c_str()))
                    SetFileAttributesW(original.c_str(), found.dwFileAttributes);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
}

static void removeCopy(void)
{
    if (!runCopy.empty())
        removeTree(runCopy, runSource, 0);
    runCopy.clear();
}

// The folder with MENU.DAT as edited here, in the temporary folder.
static bool makeCopy(void)
{
    wchar_t temp[MAX_PATH], name[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    if (n == 0 || n >= MAX_PATH || !GetTempFileNameW(temp, L"MED", 0, name))
        return false;
    DeleteFileW(name);
    runCopy = name;
    runSource = folder;
    int budget = FOLDER_NAMES;
    std::wstring source = isDriveRoot(folder) ? folder.substr(0, 2) : folder;
    bool ok = mirror(source, runCopy, 0, &budget);
    if (ok) {
        HANDLE file = CreateFileW((runCopy + L"\\MENU.DAT").c_str(), GENERIC_WRITE, 0, 0,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
        DWORD put = 0;
        ok = file != INVALID_HANDLE_VALUE &&
             (document.data.empty() ||
              (WriteFile(file, document.data.data(), (DWORD)document.data.size(), &put, 0) &&
               put == document.data.size()));
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    if (!ok)
        removeCopy();
    return ok;
}

// --- The run ---------------------------------------------------------------------------------

static bool running(void)
{
    if (!runProcess)
        return false;
    if (WaitForSingleObject(runProcess, 0) == WAIT_TIMEOUT)
        return true;
    // Programs the menu started may still use the drive.
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
    return runJob && QueryInformationJobObject(runJob, JobObjectBasicAccountingInformation, &info,
                                               sizeof info, 0) &&
           info.ActiveProcesses > 0;
}

void endTestRun(void)
{
    KillTimer(frameWindow, TIMER_TEST_RUN);
    if (runProcess)
        CloseHandle(runProcess);
    if (runJob)
        CloseHandle(runJob);
    runProcess = runJob = 0;
    giveBackDrive();
    removeCopy();
}

static HWND menuWindow(void)
{
    HWND window = 0;
    while ((window = FindWindowExA(0, window, FRAME_CLASS, 0)) != 0) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == runId)
            return window;
    }
    return 0;
}

// A press and a release in the middle of a fixed control, as the pointer
// would make them.
static void clickControl(HWND surface, int control)
{
    LPARAM at = MAKELPARAM(controlPosition[control][0] + controlSize[control][0] / 2,
                           controlPosition[control][1] + controlSize[control][1] / 2);
    PostMessageW(surface, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(surface, WM_LBUTTONUP, 0, at);
}

// The tab, the arrow to the entry's group of five, the entry's slot: the
// way the designer itself goes there.
static void bringToPlace(HWND menu)
{
    HWND surface = GetDlgItem(menu, 1);
    if (!surface || runPlace.page < 0)
        return;
    clickControl(surface, CONTROL_FIRST_TAB + runPlace.page);
    if (runPlace.entry < 0)
        return;
    for (int g = 0; g < runPlace.entry / 5; g++)
        clickControl(surface, CONTROL_NEXT);
    if (runPlace.entry % 5)
        clickControl(surface, CONTROL_FIRST_SLOT + runPlace.entry % 5);
}

void onTestRunTimer(void)
{
    if (!runProcess) {
        KillTimer(frameWindow, TIMER_TEST_RUN);
        return;
    }
    // Waiting for input, the menu has loaded: clicks before that are not taken.
    if (!runClicked && WaitForInputIdle(runProcess, 0) == 0) {
        if (HWND menu = menuWindow()) {
            bringToPlace(menu);
            runClicked = true;
        }
    }
    if (!running()) {
        wchar_t letter = heldDrive;
        endTestRun();
        if (letter)
            setStatus(say(T_TEST_ENDED, std::string(1, (char)letter)));
    }
}

// MENU.EXE in the folder, copied in from beside the designer when the
// author agrees; false when there is none.
static bool menuInFolder(void)
{
    std::wstring exe = folder + (isDriveRoot(folder) ? L"" : L"\\") + L"MENU.EXE";
    if (GetFileAttributesW(exe.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    wchar_t module[MAX_PATH];
    DWORD n = GetModuleFileNameW(0, module, MAX_PATH);
    std::wstring beside = n && n < MAX_PATH ? module : L"";
    beside = beside.substr(0, beside.find_last_of(L'\\') + 1) + L"MENU.EXE";
    if (GetFileAttributesW(beside.c_str()) == INVALID_FILE_ATTRIBUTES) {
        tell(say(T_TEST_NO_EXE, narrowUtf8(beside)), MB_ICONERROR);
        return false;
    }
    if (ask(T_TEST_COPY, MB_YESNO, narrowUtf8(folder)) != IDYES)
        return false;
    if (!CopyFileW(beside.c_str(), exe.c_str(), TRUE)) {
        tell(say(T_TEST_FAILED, narrowUtf8(systemMessage(GetLastError()))), MB_ICONERROR);
        return false;
    }
    SetTimer(frameWindow, TIMER_CHECK, CHECK_DELAY_MS, 0);  // its note goes
    return true;
}

void testRun(void)
{
    if (folder.empty()) {
        tell(say(T_NO_FOLDER), MB_ICONINFORMATION);
        return;
    }
    if (running()) {
        if (HWND menu = menuWindow())
            SetForegroundWindow(menu);
        setStatus(say(T_TEST_STILL_RUNNING));
        return;
    }
    endTestRun();
    if (!menuInFolder())
        return;
    // Changes not saved yet are tested as they are, from a copy; only when
    // no copy can be made is the author asked to save first.
    std::wstring root = folder;
    bool fromCopy = false;
    if (docChanged(&document)) {
        fromCopy = makeCopy();
        if (fromCopy) {
            root = runCopy;
        } else {
            int answer = ask(T_TEST_SAVE_FIRST, MB_YESNOCANCEL);
            if (answer == IDCANCEL || (answer == IDYES && !saveDocument()))
                return;
        }
    }
    char letter = discDrive();
    if (fromCopy && isDriveRoot(folder))
        letter = freeDrive(letter);  // the folder's own letter is the folder's
    bool onDrive = !fromCopy && isDriveRoot(folder);
    if (!onDrive && letter)
        onDrive = holdDrive(letter, root);
    std::wstring start = onDrive ? std::wstring(1, (wchar_t)letter) + L":\\"
                       : isDriveRoot(root) ? root : root + L"\\";
    std::wstring exe = start + L"MENU.EXE";
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(exe.c_str(), &commandLine[0], 0, 0, FALSE, CREATE_SUSPENDED, 0,
                        start.c_str(), &startup, &process)) {
        DWORD error = GetLastError();
        endTestRun();
        tell(say(T_TEST_FAILED, narrowUtf8(systemMessage(error))), MB_ICONERROR);
        return;
    }
    // Everything the menu starts belongs to the run: the drive stays until
    // the last of them has ended.
    runJob = CreateJobObjectW(0, 0);
    if (runJob && !AssignProcessToJobObject(runJob, process.hProcess)) {
        CloseHandle(runJob);
        runJob = 0;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    runProcess = process.hProcess;
    runId = process.dwProcessId;
    runPlace = place;
    runClicked = false;
    SetTimer(frameWindow, TIMER_TEST_RUN, TEST_RUN_POLL_MS, 0);
    std::string drive(1, letter);
    if (!onDrive)
        setStatus(say(T_TEST_NO_DRIVE, narrowUtf8(root)));
    else if (fromCopy)
        setStatus(say(T_TEST_STARTED_COPY, drive, narrowUtf8(folder)));
    else
        setStatus(say(T_TEST_STARTED, drive, narrowUtf8(folder)));
}
