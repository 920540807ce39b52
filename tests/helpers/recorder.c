/* A stand-in for the programs a menu starts, for end-to-end tests.
 *
 *   recorder [title] [/modal] [/exit]
 *
 * At start it appends one line to the log file named by the environment
 * variable RECORDER_LOG (else C:\recorder.log), fields separated by tabs:
 *
 *   start <pid> <command line> <current directory> <module file name>
 *
 * the command line exactly as GetCommandLineA gives it; every line ends in
 * CR LF. Then:
 *   (no switch)  shows an enabled top-level window of class "RecorderWindow"
 *                titled by the first argument ("recorder" when there is none
 *                or it is a switch) and stays until the window gets
 *                WM_CLOSE; then it appends "closed <pid>" and exits.
 *   /modal       shows the same window and over it a modal dialog box with
 *                the same title, so the window is disabled. The box refuses
 *                WM_CLOSE (appending "modal-refused-close <pid>" each time)
 *                and has no controls: the program stays, its window disabled,
 *                until it is ended from outside. Should the box fail to
 *                appear, "modal-failed <pid>" is appended and the window
 *                behaves as without the switch.
 *   /exit        exits at once after the start line; no window.
 * Switches are compared without regard to case.
 */
#include <windows.h>
#include <stdlib.h>
#include <string.h>

static const char windowClass[] = "RecorderWindow";
static char logPath[MAX_PATH];  /* where the lines go */

static void appendLine(const char* line)
{
    /* Several recorders share a log. An append is not atomic under Wine
     * (two writers can both take the same end of the file and one line
     * overwrites the other), so writers take turns: one write per line,
     * under a lock held by every recorder on the machine. */
    HANDLE lock = CreateMutexA(NULL, FALSE, "RecorderLogLock");
    HANDLE file;
    DWORD written;
    if (lock)
        WaitForSingleObject(lock, 10000);
    file = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, line, (DWORD)strlen(line), &written, NULL);
        CloseHandle(file);
    }
    if (lock) {
        ReleaseMutex(lock);
        CloseHandle(lock);
    }
}

static void appendEvent(const char* event)
{
    char line[64];
    wsprintfA(line, "%s\t%lu\r\n", event, GetCurrentProcessId());
    appendLine(line);
}

static void appendStart(void)
{
    /* The command line is at most 32767 characters. */
    static char line[32768 + 2 * MAX_PATH + 64];
    char directory[MAX_PATH];
    char module[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
    if (n == 0 || n >= sizeof directory)
        directory[0] = 0;
    n = GetModuleFileNameA(NULL, module, sizeof module);
    if (n == 0 || n >= sizeof module)
        module[0] = 0;
    wsprintfA(line, "start\t%lu\t", GetCurrentProcessId());
    lstrcpynA(line + strlen(line), GetCommandLineA(), 32768);
    strcat(line, "\t");
    strcat(line, directory);
    strcat(line, "\t");
    strcat(line, module);
    strcat(line, "\r\n");
    appendLine(line);
}

static LRESULT CALLBACK recorderProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        appendEvent("closed");
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

/* An in-memory dialog template: no menu, the default class, an empty
 * title (set at WM_INITDIALOG), no controls. */
static struct {
    DLGTEMPLATE box;
    WORD menu, windowClass, title;
} modalBox;

static INT_PTR CALLBACK modalProc(HWND box, UINT message, WPARAM wParam,
                                  LPARAM lParam)
{
    (void)wParam;
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(box, (const char*)lParam);
        return TRUE;
    case WM_CLOSE:
        appendEvent("modal-refused-close");
        return TRUE;
    case WM_COMMAND:
        return TRUE; /* not even Escape ends it */
    default:
        return FALSE;
    }
}

static int isSwitch(const char* argument, const char* name)
{
    return lstrcmpiA(argument, name) == 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                   int show)
{
    const char* title = "recorder";
    int modal = 0;
    int quit = 0;
    int i;
    WNDCLASSA windowClassInfo;
    HWND window;
    MSG message;
    DWORD n;
    (void)previous;
    (void)commandLine;
    (void)show;

    n = GetEnvironmentVariableA("RECORDER_LOG", logPath, sizeof logPath);
    if (n == 0 || n >= sizeof logPath)
        lstrcpyA(logPath, "C:\\recorder.log");

    for (i = 1; i < __argc; i++) {
        if (isSwitch(__argv[i], "/modal"))
            modal = 1;
        else if (isSwitch(__argv[i], "/exit"))
            quit = 1;
        else if (i == 1)
            title = __argv[i];
    }

    appendStart();
    if (quit)
        return 0;

    memset(&windowClassInfo, 0, sizeof windowClassInfo);
    windowClassInfo.lpfnWndProc = recorderProc;
    windowClassInfo.hInstance = instance;
    windowClassInfo.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClassInfo.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClassInfo.lpszClassName = windowClass;
    RegisterClassA(&windowClassInfo);
    window = CreateWindowA(windowClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, 320, 200, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    if (modal) {
        /* The box has no controls and refuses to close: the window stays
         * disabled for the rest of the process. */
        memset(&modalBox, 0, sizeof modalBox);
        modalBox.box.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
        modalBox.box.cx = 160;
        modalBox.box.cy = 40;
        if (DialogBoxIndirectParamA(instance, &modalBox.box, window, modalProc,
                                    (LPARAM)title) == -1)
            appendEvent("modal-failed");
    }

    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
