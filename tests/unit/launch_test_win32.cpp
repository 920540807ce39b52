// Launching for real: the recorder helper (built beside this program)
// started as a program and opened as a document, the failure message box,
// and WM_CLOSE at exit.
#include "launch/cleanup.h"
#include "launch/launch.h"
#include "menu/home.h"
#include "menu/model.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#include "support.h"

namespace {

// Paths compare as Windows does, without regard to case.
std::string lower(std::string text)
{
    CharLowerBuffA(&text[0], (DWORD)text.size());
    return text;
}

// The recorder's log, lower-cased, after a line end.
std::string readLog(const std::string& path)
{
    std::string text = "\r\n";
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof block, f)) > 0)
        text.append(block, got);
    fclose(f);
    return lower(text);
}

bool hasLine(const std::string& log, const std::string& line)
{
    return log.find("\r\n" + lower(line) + "\r\n") != std::string::npos;
}

template <typename Test>
bool waitUntil(Test test)
{
    for (int waited = 0; waited < 10000 && !test(); waited += 50)
        Sleep(50);
    return test();
}

// What the failure message box showed; a timer closes it from inside its
// own message loop.
int boxCount;
std::wstring boxCaption;
std::wstring boxText;

BOOL CALLBACK collectText(HWND child, LPARAM)
{
    wchar_t text[512];
    if (GetWindowTextW(child, text, 512) > (int)boxText.size())
        boxText = text;
    return TRUE;
}

// How the last box looked: its owner (and whether the owner was disabled
// while the box showed), the buttons it showed and its icon.
HWND boxOwner;
bool boxOwnerEnabled;
std::vector<int> boxButtons;
HICON boxIcon;

BOOL CALLBACK collectControls(HWND child, LPARAM)
{
    char name[32];
    if (!GetClassNameA(child, name, sizeof name))
        return TRUE;
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(name, "Button") == 0 && IsWindowVisible(child))
        boxButtons.push_back(GetDlgCtrlID(child));
    if (lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
        boxIcon = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
    return TRUE;
}

BOOL CALLBACK closeMessageBox(HWND window, LPARAM)
{
    wchar_t name[32];
    if (!GetClassNameW(window, name, 32) || lstrcmpW(name, L"#32770") != 0)
        return TRUE;
    wchar_t caption[64];
    GetWindowTextW(window, caption, 64);
    boxCaption = caption;
    EnumChildWindows(window, collectText, 0);
    boxOwner = GetWindow(window, GW_OWNER);
    boxOwnerEnabled = boxOwner && IsWindowEnabled(boxOwner);
    boxButtons.clear();
    boxIcon = 0;
    EnumChildWindows(window, collectControls, 0);
    boxCount++;
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

VOID CALLBACK dismissMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), closeMessageBox, 0);
}

// CreateProcessA as Windows Vista and later answer for an installer when
// the caller is not elevated.
BOOL WINAPI needsElevation(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                           DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA, LPPROCESS_INFORMATION)
{
    SetLastError(740);  // ERROR_ELEVATION_REQUIRED
    return FALSE;
}

// The shell as the launcher called it; with shellAnswer set, the shell
// gives that error instead of starting anything (1223: consent declined).
typedef BOOL(WINAPI* ShellStart)(SHELLEXECUTEINFOA*);
ShellStart realShellStart;
DWORD shellAnswer;
int shellCalls;
SHELLEXECUTEINFOA shellInfo;
std::string shellFile, shellParameters, shellDirectory;

// Whether COM was set up apartment-threaded on this thread when the shell
// was called: asked for the other model, COM then refuses.
bool comApartment;
bool comIsApartment()
{
    typedef HRESULT(WINAPI * ComStartEx)(LPVOID, DWORD);
    typedef void(WINAPI * ComEnd)(void);
    HMODULE ole = LoadLibraryA("ole32.dll");
    ComStartEx start = (ComStartEx)(void*)GetProcAddress(ole, "CoInitializeEx");
    ComEnd end = (ComEnd)(void*)GetProcAddress(ole, "CoUninitialize");
    HRESULT answer = start(0, COINIT_MULTITHREADED);
    if (SUCCEEDED(answer))
        end();
    return answer == RPC_E_CHANGED_MODE;
}

BOOL WINAPI watchedShellStart(SHELLEXECUTEINFOA* info)
{
    shellCalls++;
    comApartment = comIsApartment();
    shellInfo = *info;
    shellFile = info->lpFile ? info->lpFile : "(null)";
    shellParameters = info->lpParameters ? info->lpParameters : "(null)";
    shellDirectory = info->lpDirectory ? info->lpDirectory : "(null)";
    if (!shellAnswer)
        return realShellStart(info);
    info->hInstApp = (HINSTANCE)(ULONG_PTR)(shellAnswer == ERROR_CANCELLED ? SE_ERR_ACCESSDENIED
                                                                          : SE_ERR_FNF);
    info->hProcess = 0;
    SetLastError(shellAnswer);
    return FALSE;
}

class LaunchWin32 : public ::testing::Test {
protected:
    unsigned long savedTable[LAUNCH_TABLE_SIZE];
    int savedCount = 0;
    char savedHome[PATH_BYTES];
    char savedDirectory[MAX_PATH];
    std::string folder;    // this test's own folder, made homeDir
    std::string logPath;   // where the recorder writes
    std::string recorder;  // the helper built beside this program

    void SetUp() override
    {
        memcpy(savedTable, launchTable, sizeof savedTable);
        savedCount = launchCount;
        memcpy(savedHome, homeDir, sizeof savedHome);
        GetCurrentDirectoryA(sizeof savedDirectory, savedDirectory);
        launchCount = 0;
        boxCount = 0;
        boxCaption.clear();
        boxText.clear();

        char path[MAX_PATH];
        DWORD n = GetTempPathA(sizeof path, path);
        ASSERT_TRUE(n > 0 && n < sizeof path);
        folder = path + std::string("menu-launch-") + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), 0);
        // A command line has no quoting, and holds 159 bytes.
        ASSERT_EQ(std::string::npos, folder.find(' ')) << folder;
        ASSERT_LT(folder.size(), 100u);
        strcpy(homeDir, folder.c_str());
        SetCurrentDirectoryA(homeDir);
        logPath = folder + "\\log.txt";
        DeleteFileA(logPath.c_str());
        SetEnvironmentVariableA("RECORDER_LOG", logPath.c_str());
        n = GetModuleFileNameA(0, path, sizeof path);
        ASSERT_TRUE(n > 0 && n < sizeof path);
        *strrchr(path, '\\') = 0;
        recorder = path + std::string("\\recorder.exe");
    }

    void TearDown() override
    {
        // End what this test started and left running.
        for (int i = 0; i < launchCount; i++) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                                         (DWORD)launchTable[i]);
            if (process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
            }
            if (process)
                CloseHandle(process);
        }
        memcpy(launchTable, savedTable, sizeof savedTable);
        launchCount = savedCount;
        memcpy(homeDir, savedHome, sizeof homeDir);
        SetCurrentDirectoryA(savedDirectory);
        SetEnvironmentVariableA("RECORDER_LOG", 0);
        // The copies of the recorder, then the folder; the log stays if a
        // recorder still holds it.
        for (const char* name : {"\\prog\\RECSTUB.EXE", "\\docs\\RECSTUB.COM", "\\log.zzq",
                                 "\\log.txt"})
            DeleteFileA((folder + name).c_str());
        RemoveDirectoryA((folder + "\\prog").c_str());
        RemoveDirectoryA((folder + "\\docs\\docs").c_str());
        RemoveDirectoryA((folder + "\\docs").c_str());
        RemoveDirectoryA(folder.c_str());
    }

    // A copy of the recorder under a name that the search beside this
    // program does not find first.
    std::string placeRecorder(const char* subfolder, const char* name)
    {
        std::string dir = folder + "\\" + subfolder;
        CreateDirectoryA(dir.c_str(), 0);
        EXPECT_TRUE(CopyFileA(recorder.c_str(), (dir + "\\" + name).c_str(), FALSE));
        return dir;
    }

    // Launches commandLine as command button 0, from window.
    void launch(const std::string& commandLine, HWND window = 0)
    {
        CommandButton button;
        memset(&button, 0, sizeof button);
        ASSERT_LT(commandLine.size(), sizeof button.commandLine);
        strcpy(button.commandLine, commandLine.c_str());
        CommandButton* savedList = commandList;
        int savedCommandCount = commandCount;
        commandList = &button;
        commandCount = 1;
        UINT_PTR timer = SetTimer(0, 0, 100, dismissMessageBox);
        launchCommand(window, 0);
        KillTimer(0, timer);
        commandList = savedList;
        commandCount = savedCommandCount;
    }

    bool homeIsCurrent() const
    {
        char dir[MAX_PATH];
        DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
        return n > 0 && n < sizeof dir && lstrcmpiA(dir, homeDir) == 0;
    }

    bool logged(const std::string& line) const
    {
        return waitUntil([&] { return hasLine(readLog(logPath), line); });
    }

    std::string pid(int i) const { return std::to_string(launchTable[i]); }
};

TEST_F(LaunchWin32, ProgramStartsInItsDirectoryAndDocumentThroughTheShell)
{
    if (GetFileAttributesA(recorder.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no recorder.exe beside the tests";
    std::string prog = placeRecorder("prog", "RECSTUB.EXE");
    // The drive comes from $CURDRV, a comma from $COMMA; arguments keep case.
    launch("$CURDRV" + prog.substr(1) + "\\RECSTUB.EXE Title A$COMMAB /exit");
    ASSERT_EQ(1, launchCount);
    EXPECT_TRUE(homeIsCurrent());
    EXPECT_TRUE(logged("start\t" + pid(0) + "\trecstub.exe Title A,B /exit\t" + prog + "\t" +
                       prog + "\\RECSTUB.EXE"));

    // A .com file is neither "exe" nor "scr": the shell opens it, here by
    // running it, in a new process that it names. Written relative to the
    // menu's folder, it starts in docs, not in the docs folder inside it.
    std::string docs = placeRecorder("docs", "RECSTUB.COM");
    CreateDirectoryA((docs + "\\docs").c_str(), 0);
    launch("docs\\RECSTUB.COM Doc /exit");
    ASSERT_EQ(2, launchCount);
    EXPECT_TRUE(homeIsCurrent());
    // How the shell words the command line is its own affair.
    EXPECT_TRUE(waitUntil([&] {
        std::string log = readLog(logPath);
        size_t line = log.find("\r\nstart\t" + pid(1) + "\t");
        return line != std::string::npos &&
               log.find(" doc /exit\t" + lower(docs) + "\t", line) != std::string::npos;
    }));
    EXPECT_EQ(0, boxCount);
}

TEST_F(LaunchWin32, FailuresShowOneMessageAndRecordNothing)
{
    HANDLE f = CreateFileA((folder + "\\log.zzq").c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS,
                           0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    CloseHandle(f);
    for (const char* name : {"\\NOPROG\\MISSING.EXE /S", "\\NODOCS\\README.TXT", "\\log.zzq"}) {
        SCOPED_TRACE(name);
        boxCount = 0;
        launch(folder + name);
        EXPECT_EQ(0, launchCount);
        EXPECT_EQ(1, boxCount);  // ours, and none of the shell's
        EXPECT_TRUE(homeIsCurrent());
        wchar_t caption[16], text[64];
        MultiByteToWideChar(932, 0, launchFailureCaption, -1, caption, 16);
        MultiByteToWideChar(932, 0, launchFailureText(2), -1, text, 64);
        EXPECT_TRUE(boxCaption == caption && boxText == text);
    }
}

// The arguments the menu gives the message box, seen by standing in for
// MessageBoxW and MessageBoxA; the wide texts as Shift-JIS again.
HWND askedOwner;
std::string askedText, askedCaption, askedBy;
UINT askedType;
int WINAPI recordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    askedBy = "A";
    askedOwner = owner;
    askedText = text ? text : "(null)";
    askedCaption = caption ? caption : "(null)";
    askedType = type;
    return IDOK;
}

std::string toShiftJis(LPCWSTR text)
{
    char bytes[512];
    if (!text || !WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes, 0, 0))
        return "(null)";
    return bytes;
}

int WINAPI recordMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    askedBy = "W";
    askedOwner = owner;
    askedText = toShiftJis(text);
    askedCaption = toShiftJis(caption);
    askedType = type;
    return IDOK;
}

// A Windows without code page 932 (a Western Windows 95).
BOOL WINAPI without932(UINT codePage)
{
    return codePage != 932;
}

// The failure message box belongs to the menu: owned by the MenuSurface's
// frame (which it disables until answered), captioned エラー, with the
// exclamation icon and one OK button. Its texts go as Unicode, converted
// from Shift-JIS, so that any Windows with code page 932 shows them in
// Japanese; without it, as the bytes they are.
TEST_F(LaunchWin32, FailureBoxIsTheMenusWithOneOkButtonAndTheExclamationIcon)
{
    HWND frame = CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                 0, 0, GetModuleHandleA(0), 0);
    HWND surface = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 50,
                                   frame, (HMENU)1, GetModuleHandleA(0), 0);
    ASSERT_TRUE(frame && surface);
    const std::string missing = folder + "\\NOPROG\\MISSING.EXE";
    ASSERT_TRUE(IsValidCodePage(932));

    for (bool has932 : {true, false}) {
        SCOPED_TRACE(has932);
        void* realA = swapImport("user32.dll", "MessageBoxA", (void*)recordMessageBox);
        void* realW = swapImport("user32.dll", "MessageBoxW", (void*)recordMessageBoxW);
        void* realValid =
            has932 ? 0 : swapImport("kernel32.dll", "IsValidCodePage", (void*)without932);
        ASSERT_TRUE(realA && realW) << "MessageBoxA or MessageBoxW is not imported";
        ASSERT_TRUE(has932 || realValid) << "IsValidCodePage is not imported";
        askedType = 0;
        askedBy.clear();
        launch(missing, surface);
        swapImport("user32.dll", "MessageBoxA", realA);
        swapImport("user32.dll", "MessageBoxW", realW);
        if (realValid)
            swapImport("kernel32.dll", "IsValidCodePage", realValid);
        EXPECT_EQ(has932 ? "W" : "A", askedBy);
        EXPECT_EQ(surface, askedOwner);
        EXPECT_EQ(std::string(launchFailureText(2)), askedText);
        EXPECT_EQ(std::string(launchFailureCaption), askedCaption);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONEXCLAMATION), askedType);
    }

    // The box itself, as the system shows it.
    boxCount = 0;
    launch(missing, surface);
    EXPECT_EQ(1, boxCount);
    EXPECT_EQ(frame, boxOwner);
    EXPECT_FALSE(boxOwnerEnabled);
    EXPECT_TRUE(IsWindowEnabled(frame));  // again, once answered
    EXPECT_EQ(std::vector<int>{IDOK}, boxButtons);
    EXPECT_EQ(LoadIconA(0, IDI_EXCLAMATION), boxIcon);
    EXPECT_NE(LoadIconA(0, IDI_HAND), boxIcon);
    EXPECT_EQ(0, launchCount);
    DestroyWindow(frame);
}

TEST_F(LaunchWin32, StartedProgramsAreAskedToCloseUnlessDisabled)
{
    if (GetFileAttributesA(recorder.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no recorder.exe beside the tests";
    std::string prog = placeRecorder("prog", "RECSTUB.EXE");
    launch(prog + "\\RECSTUB.EXE StayOpen");
    launch(prog + "\\RECSTUB.EXE HeldOpen /modal");
    ASSERT_EQ(2, launchCount);
    ASSERT_TRUE(waitUntil([] { return FindWindowA("RecorderWindow", "StayOpen") != 0; }));
    ASSERT_TRUE(waitUntil([] {
        HWND window = FindWindowA("RecorderWindow", "HeldOpen");
        return window && !IsWindowEnabled(window);
    }));
    // The owner is disabled before the dialog box exists: wait for the box.
    ASSERT_TRUE(waitUntil([] {
        HWND box = FindWindowA("#32770", "HeldOpen");
        return box && IsWindowEnabled(box);
    }));

    closeLaunchedPrograms();

    EXPECT_TRUE(logged("closed\t" + pid(0))) << readLog(logPath);
    // The dialog box is an enabled window of the program and is asked (it
    // refuses); the window that it disabled is not.
    EXPECT_TRUE(logged("modal-refused-close\t" + pid(1))) << readLog(logPath);
    Sleep(500);
    EXPECT_FALSE(hasLine(readLog(logPath), "closed\t" + pid(1)));
}

// A started program that has ended keeps its id reserved while the menu
// runs, so the id cannot pass to another program; should a recorded id
// name a program the menu did not start, that one is not asked to close.
TEST_F(LaunchWin32, OnlyProgramsTheMenuStartedAndThatStillRunAreAskedToClose)
{
    if (GetFileAttributesA(recorder.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no recorder.exe beside the tests";
    std::string prog = placeRecorder("prog", "RECSTUB.EXE");
    launch(prog + "\\RECSTUB.EXE Gone /exit");
    ASSERT_EQ(1, launchCount);
    const DWORD gone = (DWORD)launchTable[0];
    HANDLE ended = OpenProcess(SYNCHRONIZE, FALSE, gone);
    EXPECT_TRUE(ended != 0) << "the id of a started program was let go";
    if (ended) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ended, 10000));
        CloseHandle(ended);
    }

    // A program the test starts itself stands for one that was given the id.
    std::string line = "\"" + recorder + "\" Stranger";
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION stranger;
    ASSERT_TRUE(CreateProcessA(0, &line[0], 0, 0, FALSE, 0, 0, 0, &startup, &stranger));
    CloseHandle(stranger.hThread);
    CloseHandle(stranger.hProcess);
    launchTable[0] = stranger.dwProcessId;  // ended by TearDown
    ASSERT_TRUE(waitUntil([] { return FindWindowA("RecorderWindow", "Stranger") != 0; }));

    closeLaunchedPrograms();

    Sleep(500);
    EXPECT_TRUE(FindWindowA("RecorderWindow", "Stranger") != 0);
    EXPECT_FALSE(hasLine(readLog(logPath), "closed\t" + pid(0)));
    // The handles go once the windows were asked.
    ended = OpenProcess(SYNCHRONIZE, FALSE, gone);
    EXPECT_TRUE(ended == 0);
    if (ended)
        CloseHandle(ended);
}

// An installer that must run elevated is started again through the shell,
// which asks for consent; saying no there is the person's choice and shows
// nothing. (Wine itself starts such a program without asking: its user is
// an administrator. So the system's refusal is played here.)
TEST_F(LaunchWin32, ProgramThatNeedsElevationGoesThroughTheShell)
{
    if (GetFileAttributesA(recorder.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no recorder.exe beside the tests";
    std::string prog = placeRecorder("prog", "RECSTUB.EXE");
    void* realCreate = swapImport("kernel32.dll", "CreateProcessA", (void*)needsElevation);
    realShellStart = (ShellStart)swapImport("shell32.dll", "ShellExecuteExA",
                                            (void*)watchedShellStart);
    ASSERT_TRUE(realCreate && realShellStart) << "imports not found";
    CommandButton* savedList = commandList;
    // A program of the same name in the system folder, and the search mode
    // of newer systems, which looks there before the current directory:
    // the file the system started is still the one given to the shell.
    char systemFolder[MAX_PATH];
    UINT length = GetSystemDirectoryA(systemFolder, sizeof systemFolder);
    ASSERT_TRUE(length > 0 && length < sizeof systemFolder);
    const std::string twin = systemFolder + std::string("\\RECSTUB.EXE");
    ASSERT_TRUE(CopyFileA(recorder.c_str(), twin.c_str(), FALSE)) << twin;
    typedef BOOL(WINAPI * SearchMode)(DWORD);
    SearchMode searchMode =
        (SearchMode)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetSearchPathMode");
    if (searchMode)
        searchMode(0x1);  // BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE

    // The program is named by its full path, or relative to the menu's
    // folder: the shell is given the full path of its folder either way.
    struct Case {
        DWORD shellAnswer;
        bool relative;
        int recorded;
        int boxes;
    } cases[] = {{0, false, 1, 0},
                 {ERROR_CANCELLED, false, 0, 0},
                 {ERROR_FILE_NOT_FOUND, false, 0, 1},
                 {ERROR_FILE_NOT_FOUND, true, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shellAnswer);
        SCOPED_TRACE(c.relative);
        shellAnswer = c.shellAnswer;
        shellCalls = 0;
        boxCount = 0;
        launchCount = 0;
        launch((c.relative ? std::string("prog") : prog) + "\\RECSTUB.EXE Elevated /S");
        EXPECT_EQ(1, shellCalls);
        // The file the system's own search finds, its arguments and
        // directory, shown normally.
        EXPECT_EQ(lower(prog + "\\RECSTUB.EXE"), lower(shellFile));
        EXPECT_EQ("Elevated /S", shellParameters);
        EXPECT_EQ(lower(prog), lower(shellDirectory));
        EXPECT_EQ(SW_SHOWNORMAL, shellInfo.nShow);
        EXPECT_TRUE(shellInfo.fMask & SEE_MASK_NOCLOSEPROCESS);
        EXPECT_TRUE(comApartment);
        EXPECT_EQ(c.recorded, launchCount);
        EXPECT_EQ(c.boxes, boxCount);
        EXPECT_TRUE(homeIsCurrent());
    }
    swapImport("kernel32.dll", "CreateProcessA", realCreate);
    swapImport("shell32.dll", "ShellExecuteExA", (void*)realShellStart);
    if (searchMode)
        searchMode(0x10000);  // BASE_SEARCH_PATH_DISABLE_SAFE_SEARCHMODE
    DeleteFileA(twin.c_str());
    EXPECT_EQ(savedList, commandList);
    // The one start the shell made is the recorder's, in the program's
    // directory, and is recorded (how the shell words the command line is
    // its own affair).
    launchCount = 1;
    EXPECT_TRUE(waitUntil([&] {
        std::string log = readLog(logPath);
        size_t line = log.find("\r\nstart\t" + pid(0) + "\t");
        return line != std::string::npos &&
               log.find(" elevated /s\t" + lower(prog) + "\t", line) != std::string::npos;
    })) << readLog(logPath);
}

}  // namespace
