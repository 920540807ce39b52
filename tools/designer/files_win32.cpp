// The designer's files: the disc folder and its MENU.DAT, the working copy
// the menu's model reads, saving without ever leaving a half-written file,
// the checker's run, pictures chosen with the file dialog, the test run.
#include <windows.h>
#include <commdlg.h>

#include <string.h>

#include "menu/home.h"
#include "menu/text.h"
#include "shell/shell.h"
#include "tools/designer/designer.h"
#include "tools/designer/edit.h"
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/scan.h"

CheckReport checkReport;
std::vector<int> readerLines;

static std::string folderAnsi;    // the folder as the menu's code takes paths
static std::string workingCopy;   // the copy of the document the model reads
static std::string written;       // what the copy holds now
static bool writtenOnce;
static bool existedOnDisk;        // MENU.DAT was there when opened or saved

enum { MAX_MENU_BYTES = 16 * 1024 * 1024 };  // as the checker: no menu is larger

std::wstring systemMessage(DWORD error)
{
    wchar_t* text = 0;
    // In the window's language where the system has it, else in its own.
    WORD language = uiLanguage == LANGUAGE_JA ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                              : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    for (DWORD id : {(DWORD)language, (DWORD)0})
        if (!text)
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           0, error, id, (LPWSTR)&text, 0, 0);
    std::wstring message = text ? text : L"";
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' '))
        message.pop_back();
    if (message.empty())
        message = L"error " + widen(number((long long)error));
    return message;
}

static std::wstring inFolder(const wchar_t* name)
{
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path + name;
}

static std::wstring menuPath(void)
{
    return inFolder(L"MENU.DAT");
}

// The whole file, or false with the system's error.
static bool readWhole(const std::wstring& path, std::string* bytes, DWORD* error, bool* tooBig)
{
    *tooBig = false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (ok && size.QuadPart > MAX_MENU_BYTES) {
        *tooBig = true;
        ok = false;
    }
    if (ok) {
        bytes->assign((size_t)size.QuadPart, '\0');
        DWORD got = 0;
        ok = size.QuadPart == 0 ||
             (ReadFile(file, &(*bytes)[0], (DWORD)size.QuadPart, &got, 0) &&
              got == (DWORD)size.QuadPart);
    }
    *error = ok ? 0 : GetLastError();
    CloseHandle(file);
    return ok;
}

static bool writeWhole(const std::wstring& path, const std::string& bytes, DWORD* error)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return false;
    }
    DWORD put = 0;
    bool ok = bytes.empty() || (WriteFile(file, bytes.data(), (DWORD)bytes.size(), &put, 0) &&
                                put == (DWORD)bytes.size());
    ok = ok && FlushFileBuffers(file);
    *error = ok ? 0 : GetLastError();
    if (!CloseHandle(file) && ok) {
        *error = GetLastError();
        ok = false;
    }
    return ok;
}

// --- The working copy -------------------------------------------------------------------

bool writeWorkingCopy(void)
{
    if (workingCopy.empty()) {
        char dir[MAX_PATH], path[MAX_PATH];
        DWORD n = GetTempPathA(sizeof dir, dir);
        if (n == 0 || n >= sizeof dir || !GetTempFileNameA(dir, "MED", 0, path) ||
            strlen(path) >= PATH_BYTES)
            return false;
        workingCopy = path;
    }
    if (writtenOnce && written == document.data)
        return true;
    HANDLE file = CreateFileA(workingCopy.c_str(), GENERIC_WRITE, FILE_SHARE_READ, 0,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD put = 0;
    bool ok = document.data.empty() ||
              (WriteFile(file, document.data.data(), (DWORD)document.data.size(), &put, 0) &&
               put == document.data.size());
    CloseHandle(file);
    // Windows keeps profile files cached (Windows 9x even the contents): an
    // all-null write lets go of them, so the next read sees these bytes.
    WritePrivateProfileStringA(0, 0, 0, workingCopy.c_str());
    copyText(menuFilePath, sizeof menuFilePath, workingCopy.c_str());
    written = document.data;
    writtenOnce = ok;
    return ok;
}

void removeWorkingCopy(void)
{
    if (!workingCopy.empty()) {
        WritePrivateProfileStringA(0, 0, 0, workingCopy.c_str());
        DeleteFileA(workingCopy.c_str());
    }
}

// --- Checking -------------------------------------------------------------------------------

void runChecks(void)
{
    if (folder.empty())
        return;
    writeWorkingCopy();
    // The checker reads the menu's model for lists of its own: the
    // designer's are given back first and read again after.
    releaseSurface();
    freeReport(&checkReport);
    // The drive letter is the test run's, so that what the checker and the
    // panel say a click starts is what the test run starts.
    CheckOptions options = {folderAnsi.c_str(), discDrive(), backgroundPalette,
                            backgroundPaletteCount, FOLDER_NAMES};
    bool checked = runCheckOf(&options, workingCopy.c_str(), &checkReport) != 0;
    copyText(homeDir, sizeof homeDir, folderAnsi.c_str());
    readerLines = readerDifferences(&document, workingCopy.c_str());
    fileNote = currentFileNote();
    fillFindings();
    if (!checked)
        SetDlgItemTextW(frameWindow, IDC_FINDINGS_HEAD, say(T_CHECK_FAILED).c_str());
    showPlace();
}

// --- Opening ----------------------------------------------------------------------------------

void updateTitle(void)
{
    std::wstring title = L"MENUEDIT - ";
    title += folder.empty() ? say(T_UNTITLED) : folder;
    if (docChanged(&document))
        title += L" *";
    SetWindowTextW(frameWindow, title.c_str());
}

// The line of a byte of the document (1-based), as the checker counts.
static int lineOfByte(long offset)
{
    MenuScan scan;
    if (offset < 0 ||
        !scanMenuData((const unsigned char*)document.data.data(), document.data.size(), &scan))
        return 0;
    scan.data = (unsigned char*)document.data.data();
    scan.size = document.data.size();
    int line = lineAt(&scan, (size_t)offset);
    scan.data = 0;
    freeScan(&scan);
    return line;
}

static std::string noteOf(Text text, const std::string& a1 = "", const std::string& a2 = "")
{
    return narrowUtf8(say(text, a1, a2));
}

// What is said about the file above the findings, from what it is now:
// new until first saved, its encoding, the lines Windows reads otherwise.
std::string currentFileNote(bool* plain)
{
    std::string note;
    bool quiet = true;  // said in the status line only, no box
    const unsigned char* data = (const unsigned char*)document.data.data();
    size_t size = document.data.size();
    if (!existedOnDisk) {
        note = noteOf(T_OPEN_NEW);
    } else if (readOnly) {
        note = noteOf(T_OPEN_UTF16);
        quiet = false;
    } else if ((size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) ||
               looksUtf8(data, size)) {
        note = noteOf(T_OPEN_UTF8);
        quiet = false;
    } else {
        long bad = firstBadSjis(data, size, 0);
        if (bad >= 0) {
            note = noteOf(T_OPEN_BAD_SJIS, number(lineOfByte(bad)));
            quiet = false;
        }
    }
    if (!readerLines.empty()) {
        std::string more = noteOf(T_OPEN_DIFF, number((long long)readerLines.size()),
                                  number(readerLines[0]));
        note = note.empty() ? more : note + " " + more;
        quiet = false;
    }
    if (plain)
        *plain = quiet;
    return note;
}

// Names below a folder, counted up to most + 1 and no deeper than a disc
// goes.
static int countNames(const std::wstring& dir, int most, int depth)
{
    int n = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!lstrcmpW(found.cFileName, L".") || !lstrcmpW(found.cFileName, L".."))
            continue;
        n++;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && depth < 9 && n <= most)
            n += countNames(dir + L"\\" + found.cFileName, most - n, depth + 1);
    } while (n <= most && FindNextFileW(search, &found));
    FindClose(search);
    return n;
}

// A drive's root that is no disc, or a folder larger than any disc's, is
// opened only when the author says so.
static bool mayOpenLarge(const std::wstring& chosen)
{
    std::wstring base = chosen.size() == 3 ? chosen.substr(0, 2) : chosen;
    bool root = chosen.size() == 3 && chosen[1] == L':';
    if (root && GetFileAttributesW((base + L"\\MENU.DAT").c_str()) == INVALID_FILE_ATTRIBUTES &&
        GetFileAttributesW((base + L"\\MENU.EXE").c_str()) == INVALID_FILE_ATTRIBUTES)
        return ask(T_OPEN_ROOT, MB_YESNO | MB_DEFBUTTON2, narrowUtf8(chosen),
                   number(FOLDER_NAMES)) == IDYES;
    if (countNames(base, FOLDER_NAMES, 0) > FOLDER_NAMES)
        return ask(T_OPEN_LARGE, MB_YESNO | MB_DEFBUTTON2, narrowUtf8(chosen),
                   number(FOLDER_NAMES)) == IDYES;
    return true;
}

bool openFolder(const std::wstring& path, bool askedToSave)
{
    if (!askedToSave && !mayLeaveDocument())
        return false;
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, 0);
    if (n == 0 || n >= MAX_PATH) {
        tell(say(T_OPEN_NO_FOLDER, narrowUtf8(path)), MB_ICONERROR);
        return false;
    }
    std::wstring chosen = full;
    // No trailing separator but a root's, as the menu's homeDir.
    while (chosen.size() > 3 && (chosen.back() == L'\\' || chosen.back() == L'/'))
        chosen.pop_back();
    DWORD attributes = GetFileAttributesW(chosen.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DWORD error = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY;
        tell(say(T_OPEN_NO_FOLDER, narrowUtf8(chosen + L"\n" + systemMessage(error))),
             MB_ICONERROR);
        return false;
    }
    // The menu's code takes paths in the system's code page: the folder
    // must have a name there, with room for a picture's name after it.
    BOOL lost = FALSE;
    char ansi[PATH_BYTES];
    int got = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, chosen.c_str(), -1, ansi,
                                  sizeof ansi, 0, &lost);
    if (got <= 0 || lost || strlen(ansi) + 2 + DECORATION_FILE_BYTES > PATH_BYTES) {
        tell(say(T_OPEN_PATH), MB_ICONERROR);
        return false;
    }
    if (!mayOpenLarge(chosen))
        return false;

    std::wstring previous = folder;
    folder = chosen;
    std::string bytes;
    DWORD error = 0;
    bool tooBig = false;
    bool found = readWhole(menuPath(), &bytes, &error, &tooBig);
    if (!found && (tooBig || (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND))) {
        folder = previous;
        tell(tooBig ? say(T_OPEN_TOO_BIG)
                    : say(T_OPEN_UNREADABLE, narrowUtf8(systemMessage(error))),
             MB_ICONERROR);
        return false;
    }
    docOpen(&document, bytes.data(), bytes.size());
    existedOnDisk = found;
    folderAnsi = ansi;
    const unsigned char* data = (const unsigned char*)document.data.data();
    size_t size = document.data.size();
    readOnly = found && size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) ||
                                      (data[0] == 0xFE && data[1] == 0xFF));
    copyText(homeDir, sizeof homeDir, folderAnsi.c_str());
    writtenOnce = false;
    writeWorkingCopy();
    readerLines = readerDifferences(&document, workingCopy.c_str());
    bool plain = true;
    fileNote = currentFileNote(&plain);
    folderOpened();
    place = startPlace();
    updateTitle();
    runChecks();
    setStatus(fileNote.empty() ? say(T_STATUS_READY) : widen(fileNote));
    if (!plain)
        tell(widen(fileNote), MB_ICONWARNING);
    return true;
}

// --- Saving -----------------------------------------------------------------------------------

static bool saveFailed(DWORD error)
{
    setStatus(say(T_NOT_SAVED));
    tell(say(T_SAVE_FAILED, narrowUtf8(systemMessage(error))), MB_ICONERROR);
    return false;
}

// A message box whose Yes and No buttons say what they do.
static HHOOK boxHook;
static Text boxYes, boxNo, boxCancel;

static LRESULT CALLBACK nameButtons(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        SetDlgItemTextW((HWND)wParam, IDYES, say(boxYes).c_str());
        SetDlgItemTextW((HWND)wParam, IDNO, say(boxNo).c_str());
        SetDlgItemTextW((HWND)wParam, IDCANCEL, say(boxCancel).c_str());
        UnhookWindowsHookEx(boxHook);
        boxHook = 0;
    }
    return CallNextHookEx(0, code, wParam, lParam);
}

static int askNamed(Text text, Text yes, Text no, Text cancel)
{
    boxYes = yes;
    boxNo = no;
    boxCancel = cancel;
    boxHook = SetWindowsHookExW(WH_CBT, nameButtons, 0, GetCurrentThreadId());
    int answer = ask(text, MB_YESNOCANCEL | MB_DEFBUTTON3);
    if (boxHook)
        UnhookWindowsHookEx(boxHook);
    boxHook = 0;
    return answer;
}

bool saveDocument(void)
{
    if (folder.empty())
        return false;
    if (readOnly) {
        setStatus(say(T_NOT_SAVED));
        tell(say(T_SAVE_READONLY_DOC), MB_ICONINFORMATION);
        return false;
    }
    std::wstring target = menuPath();
    // Changes another program made since the file was read here are not
    // lost without asking.
    std::string onDisk;
    DWORD error = 0;
    bool tooBig = false;
    bool there = readWhole(target, &onDisk, &error, &tooBig);
    if ((there || tooBig) != existedOnDisk || (there && onDisk != document.saved)) {
        int answer = askNamed(T_SAVE_CHANGED, T_BUTTON_OVERWRITE, T_BUTTON_RELOAD,
                              T_BUTTON_CANCEL);
        if (answer == IDNO && !tooBig) {
            docReload(&document, onDisk.data(), onDisk.size(), place);
            existedOnDisk = there;
            documentChanged();
            setStatus(say(T_RELOADED));
            return false;
        }
        if (answer != IDYES) {
            setStatus(say(T_NOT_SAVED_CHANGED));
            return false;
        }
    }
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        setStatus(say(T_NOT_SAVED));
        tell(say(T_SAVE_READONLY_FILE), MB_ICONERROR);
        return false;
    }
    // A new file beside the old one, then the old one replaced by it: a
    // failure at any point leaves MENU.DAT as it was.
    wchar_t temporary[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"MED", 0, temporary))
        return saveFailed(GetLastError());
    if (!writeWhole(temporary, document.data, &error)) {
        DeleteFileW(temporary);
        return saveFailed(error);
    }
    if (!MoveFileExW(temporary, target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        DeleteFileW(temporary);
        return saveFailed(error);
    }
    docMarkSaved(&document);
    existedOnDisk = true;
    updateTitle();
    SetTimer(frameWindow, TIMER_CHECK, CHECK_DELAY_MS, 0);  // the notes are new too
    setStatus(say(T_SAVED, narrowUtf8(target)));
    return true;
}

bool mayLeaveDocument(void)
{
    if (!docChanged(&document))
        return true;
    switch (ask(T_ASK_SAVE, MB_YESNOCANCEL)) {
    case IDYES:
        return saveDocument();
    case IDNO:
        return true;
    default:
        return false;
    }
}

// --- Pictures ---------------------------------------------------------------------------------

static bool startsWithFolder(const std::wstring& path, std::wstring* rest)
{
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\')
        base += L'\\';
    if (path.size() <= base.size() ||
        CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), (int)base.size(),
                       base.c_str(), (int)base.size()) != CSTR_EQUAL)
        return false;
    *rest = path.substr(base.size());
    return true;
}

bool choosePicture(std::string* name)
{
    if (folder.empty())
        return false;
    std::wstring filter = say(T_PICTURE_FILTER);
    filter += L'\0';
    filter += L"*.bmp;*.BMP";
    filter += L'\0';
    filter += say(T_ALL_FILES);
    filter += L'\0';
    filter += L"*.*";
    filter += L'\0';
    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW open;
    ZeroMemory(&open, sizeof open);
    open.lStructSize = sizeof open;
    open.hwndOwner = frameWindow;
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.lpstrInitialDir = folder.c_str();
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&open))
        return false;
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(file, MAX_PATH, full, 0);
    if (n == 0 || n >= MAX_PATH)
        return false;
    std::wstring relative;
    if (!startsWithFolder(full, &relative)) {
        // Only what is on the disc can be drawn from the disc.
        std::wstring base = full;
        base = base.substr(base.find_last_of(L"\\/") + 1);
        if (ask(T_PICTURE_OUTSIDE, MB_YESNO, narrowUtf8(full)) != IDYES)
            return false;
        std::wstring target = inFolder(base.c_str());
        if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
            tell(say(T_PICTURE_EXISTS, narrowUtf8(base)), MB_ICONWARNING);
            return false;
        }
        if (!CopyFileW(full, target.c_str(), TRUE)) {
            tell(say(T_PICTURE_NAME, narrowUtf8(systemMessage(GetLastError()))), MB_ICONERROR);
            return false;
        }
        relative = base;
    }
    std::wstring bad;
    if (!toShiftJis(relative, name, &bad)) {
        tell(say(T_PICTURE_NAME, narrowUtf8(say(T_NOT_SJIS, narrowUtf8(bad)))), MB_ICONWARNING);
        return false;
    }
    return true;
}
