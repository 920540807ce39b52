// MENUEDIT.EXE [--lang=en|ja] [folder]: the entry routine, the frame with
// its menus and keys, the commands, and the texts of the window.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string.h>

#include "graphics/draw.h"
#include "graphics/layout.h"
#include "menu/text.h"
#include "shell/shell.h"
#include "tools/designer/designer.h"
#include "tools/designer/clipboard.h"
#include "tools/designer/edit.h"
#include "tools/designer/layout.h"

HINSTANCE appInstance;  // the shell's loading takes the built-in pictures from it
HWND frameWindow;
HWND canvasWindow;
HWND sinkWindow;
HFONT uiFont;
HFONT uiBoldFont;
Language uiLanguage;

MenuDocument document;
DesignPlace place = {PLACE_START, -1, -1, -1};
std::wstring folder;
bool readOnly;
std::string fileNote;

static HACCEL accelerators;
static ItemCopy copied = {PLACE_START, {}, {}, {}};  // what Copy took
static const wchar_t frameClass[] = L"MenuEditFrame";

// --- Texts -------------------------------------------------------------------------

static std::wstring convert(UINT codePage, const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), 0, 0);
    std::wstring out((size_t)(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), &out[0], n);
    return out;
}

std::wstring widen(const std::string& utf8)
{
    return convert(CP_UTF8, utf8);
}

std::string narrowUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), 0, 0, 0, 0);
    std::string out((size_t)(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &out[0], n, 0, 0);
    return out;
}

std::wstring fromShiftJis(const std::string& sjis)
{
    // Up to the first NUL, as the menu holds its texts.
    return convert(932, std::string(sjis.c_str()));
}

bool toShiftJis(const std::wstring& text, std::string* sjis, std::wstring* bad)
{
    sjis->clear();
    // Character by character, so that the one Shift-JIS lacks can be named.
    for (size_t i = 0; i < text.size();) {
        size_t n = IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() ? 2 : 1;
        char bytes[8];
        BOOL lost = FALSE;
        int got = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data() + i, (int)n, bytes,
                                      sizeof bytes, 0, &lost);
        // A character that comes back as another one is lost too.
        if (got > 0 && !lost && convert(932, std::string(bytes, (size_t)got)) != text.substr(i, n))
            lost = TRUE;
        if (got <= 0 || lost) {
            if (bad)
                *bad = text.substr(i, n);
            return false;
        }
        sjis->append(bytes, (size_t)got);
        i += n;
    }
    return true;
}

std::string number(long long n)
{
    char text[24] = "";
    unsigned long long magnitude = n < 0 ? 0ull - (unsigned long long)n : (unsigned long long)n;
    size_t at = 0;
    if (n < 0)
        text[at++] = '-';
    char digits[24];
    int count = 0;
    do {
        digits[count++] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    while (count)
        text[at++] = digits[--count];
    text[at] = 0;
    return text;
}

std::wstring say(Text text, const std::string& a1, const std::string& a2, const std::string& a3,
                 const std::string& a4)
{
    std::string out(4096, '\0');
    formatText(&out[0], out.size(), textOf(text, uiLanguage), a1.c_str(), a2.c_str(), a3.c_str(),
               a4.c_str());
    out.resize(strlen(out.c_str()));
    return widen(out);
}

int ask(Text text, UINT buttons, const std::string& a1, const std::string& a2)
{
    return MessageBoxW(frameWindow, say(text, a1, a2).c_str(), L"MENUEDIT",
                       buttons | MB_ICONQUESTION);
}

void tell(const std::wstring& message, UINT icon)
{
    MessageBoxW(frameWindow, message.c_str(), L"MENUEDIT", MB_OK | icon);
}

// --- Commands ------------------------------------------------------------------------

// The entry the picture shows; -1 when none.
static int shownEntry(void)
{
    return place.page >= 0 ? place.entry : -1;
}

static bool mayEdit(void)
{
    if (folder.empty()) {
        tell(say(T_NO_FOLDER), MB_ICONINFORMATION);
        return false;
    }
    if (readOnly) {
        tell(say(T_READ_ONLY), MB_ICONINFORMATION);
        return false;
    }
    return true;
}

static std::string newText(Text text)
{
    std::string sjis;
    toShiftJis(say(text), &sjis, 0);
    return sjis;
}

// Puts the caret into a panel field with its text selected, ready to type over.
static void focusField(int id)
{
    HWND edit = GetDlgItem(frameWindow, id);
    if (edit && IsWindowVisible(edit)) {
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
    }
}

void documentChanged(void)
{
    showPlace();
    updateTitle();
    SetTimer(frameWindow, TIMER_CHECK, CHECK_DELAY_MS, 0);
}

// The folder dialog opens on the folder being edited.
static int CALLBACK folderDialogEvent(HWND dialog, UINT message, LPARAM, LPARAM)
{
    if (message == BFFM_INITIALIZED && !folder.empty())
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, (LPARAM)folder.c_str());
    return 0;
}

// A folder chosen in the folder dialog; false when none was.
static bool pickFolder(Text title, std::wstring* path)
{
    std::wstring text = say(title);
    BROWSEINFOW browse;
    ZeroMemory(&browse, sizeof browse);
    browse.hwndOwner = frameWindow;
    browse.lpszTitle = text.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    browse.lpfn = folderDialogEvent;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
    if (!chosen)
        return false;
    wchar_t buffer[MAX_PATH];
    BOOL ok = SHGetPathFromIDListW(chosen, buffer);
    CoTaskMemFree(chosen);
    if (ok)
        *path = buffer;
    return ok != FALSE;
}

// --- Recent folders: kept for the person, newest first ---------------------------------

static const wchar_t recentKey[] = L"Software\\MENUEDIT\\Recent";
static HMENU recentMenu;  // the File menu's list of them

static std::vector<std::wstring> recentFolders(void)
{
    std::vector<std::wstring> list;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, recentKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return list;
    for (int i = 0; i < RECENT_FOLDERS; i++) {
        wchar_t name[16], value[MAX_PATH + 1];
        wsprintfW(name, L"%d", i + 1);
        DWORD type = 0, size = sizeof value - sizeof value[0];
        if (RegQueryValueExW(key, name, 0, &type, (BYTE*)value, &size) == ERROR_SUCCESS &&
            type == REG_SZ && size >= sizeof value[0]) {
            value[size / sizeof value[0]] = 0;
            if (value[0])
                list.push_back(value);
        }
    }
    RegCloseKey(key);
    return list;
}

static void rememberFolder(const std::wstring& path)
{
    std::vector<std::wstring> list = recentFolders();
    for (size_t i = 0; i < list.size(); i++)
        if (lstrcmpiW(list[i].c_str(), path.c_str()) == 0)
            list.erase(list.begin() + (long)i--);
    list.insert(list.begin(), path);
    if (list.size() > RECENT_FOLDERS)
        list.resize(RECENT_FOLDERS);
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, recentKey, 0, 0, 0, KEY_WRITE, 0, &key, 0) !=
        ERROR_SUCCESS)
        return;
    for (size_t i = 0; i < list.size(); i++) {
        wchar_t name[16];
        wsprintfW(name, L"%d", (int)i + 1);
        RegSetValueExW(key, name, 0, REG_SZ, (const BYTE*)list[i].c_str(),
                       (DWORD)((list[i].size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
}

static void fillRecentMenu(void)
{
    while (GetMenuItemCount(recentMenu) > 0)
        DeleteMenu(recentMenu, 0, MF_BYPOSITION);
    std::vector<std::wstring> list = recentFolders();
    for (size_t i = 0; i < list.size(); i++) {
        wchar_t number[8];
        wsprintfW(number, L"&%d ", (int)i + 1);
        AppendMenuW(recentMenu, MF_STRING, (UINT_PTR)(CMD_RECENT_FIRST + (int)i),
                    (number + list[i]).c_str());
    }
    if (list.empty())
        AppendMenuW(recentMenu, MF_STRING | MF_GRAYED, 0, say(T_UNTITLED).c_str());
}

static bool openRemembered(const std::wstring& path, bool askedToSave = false)
{
    bool opened = openFolder(path, askedToSave);
    if (opened)
        rememberFolder(path);
    return opened;
}

static void chooseFolder(void)
{
    if (!mayLeaveDocument())
        return;
    std::wstring path;
    if (pickFolder(T_OPEN_FOLDER_TITLE, &path))
        openRemembered(path, true);
}

// Save as: MENU.DAT written into another folder, which is then the one
// being edited (read back from there, as Open would).
static void saveAs(void)
{
    std::wstring path;
    if (folder.empty() || !pickFolder(T_SAVE_AS_TITLE, &path))
        return;
    std::wstring target = path + (path.size() && path.back() == L'\\' ? L"" : L"\\") + L"MENU.DAT";
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES &&
        ask(T_SAVE_AS_EXISTS, MB_YESNO | MB_DEFBUTTON2, narrowUtf8(path)) != IDYES)
        return;
    // A new file beside the old one, then put in its place: a failure
    // leaves what was there.
    wchar_t temporary[MAX_PATH];
    DWORD written = 0, error = 0;
    if (!GetTempFileNameW(path.c_str(), L"MED", 0, temporary)) {
        error = GetLastError();
    } else {
        HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, 0, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, 0);
        bool ok = file != INVALID_HANDLE_VALUE &&
                  WriteFile(file, document.data.data(), (DWORD)document.data.size(), &written, 0) &&
                  written == document.data.size();
        error = ok ? 0 : GetLastError();
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        if (ok && !MoveFileExW(temporary, target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            error = GetLastError();
        if (error)
            DeleteFileW(temporary);
    }
    if (error) {
        wchar_t message[256] = L"";
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, 0, error, 0,
                       message, 256, 0);
        tell(say(T_SAVE_FAILED, narrowUtf8(message)), MB_ICONERROR);
        return;
    }
    docMarkSaved(&document);  // nothing is asked about what is now on disk
    openRemembered(path, true);
}

// Lines made comments: an Add makes one of what stood behind a gap.
static int commentLines(const std::string& data)
{
    int n = !data.empty() && data[0] == ';';
    for (size_t at = data.find(";"); at != std::string::npos; at = data.find(";", at + 1))
        n += at > 0 && (data[at - 1] == '\n' || data[at - 1] == '\r');
    return n;
}

void doCommand(int command)
{
    DesignPlace after = place;
    bool changed = false;
    int comments = commentLines(document.data);
    switch (command) {
    case CMD_OPEN:
        chooseFolder();
        return;
    case CMD_SAVE:
        saveDocument();
        return;
    case CMD_SAVE_AS:
        saveAs();
        return;
    case CMD_TEST_RUN:
        testRun();
        return;
    case CMD_EXIT:
        PostMessageW(frameWindow, WM_CLOSE, 0, 0);
        return;
    case CMD_START_SCREEN:
        place = startPlace();
        showPlace();
        return;
    case CMD_GRID:
        gridSize = gridSize ? 0 : 8;
        InvalidateRect(canvasWindow, 0, FALSE);
        return;
    case CMD_OUTLINE:
        focusOutline();
        return;
    case CMD_COPY:
        copied = copyItem(&document, place);
        if (copied.kind == PLACE_START)
            MessageBeep(MB_OK);
        return;
    case CMD_UNDO:
        changed = docUndo(&document, &after);
        break;
    case CMD_REDO:
        changed = docRedo(&document, &after);
        break;
    default:
        if (command >= CMD_RECENT_FIRST && command < CMD_RECENT_FIRST + RECENT_FOLDERS) {
            std::vector<std::wstring> list = recentFolders();
            size_t i = (size_t)(command - CMD_RECENT_FIRST);
            if (i < list.size() && mayLeaveDocument())
                openRemembered(list[i], true);
            return;
        }
        break;
    }
    if (command != CMD_UNDO && command != CMD_REDO) {
        if (!mayEdit())
            return;
        document.label = command == CMD_DELETE                             ? T_CHANGE_DELETE
                         : command == CMD_EARLIER || command == CMD_LATER   ? T_CHANGE_ORDER
                         : command == CMD_PASTE                              ? T_CHANGE_PASTE
                         : command == CMD_DUPLICATE                          ? T_CHANGE_DUPLICATE
                         : command == CMD_TIDY                               ? T_CHANGE_TIDY
                         : command >= CMD_ALIGN_FIRST && command <= CMD_ALIGN_LAST ? T_CHANGE_ALIGN
                                                                             : T_CHANGE_ADD;
        switch (command) {
        case CMD_DELETE:
            if (selection.size() > 1) {
                // Highest numbers first, so the numbers still to go stay right.
                std::vector<DesignPlace> items = selection;
                for (size_t i = 0; i < items.size(); i++)
                    for (size_t k = i + 1; k < items.size(); k++)
                        if (items[k].kind > items[i].kind ||
                            (items[k].kind == items[i].kind && items[k].item > items[i].item))
                            std::swap(items[i], items[k]);
                docBegin(&document, place, 0);
                for (const DesignPlace& p : items)
                    changed = deleteItem(&document, p, &after) || changed;
                docEnd(&document, after);
                selection.clear();
                break;
            }
            changed = deleteItem(&document, place, &after);
            break;
        case CMD_EARLIER:
        case CMD_LATER:
            changed = moveItem(&document, place, command == CMD_EARLIER ? -1 : 1, &after);
            break;
        case CMD_PASTE:
            changed = pasteItem(&document, place, copied, 0, 0, 0, &after);
            break;
        case CMD_DUPLICATE: {
            ItemCopy copy = copyItem(&document, place);
            Box b = itemBox(place);
            const int at[2] = {b.x - CONTENT_LEFT + 10, b.y - CONTENT_TOP + 10};
            DesignPlace into = place;
            if (copy.kind == PLACE_ENTRY)
                into.kind = PLACE_PAGE;
            changed = pasteItem(&document, into, copy, 10, 10, at, &after);
            break;
        }
        case CMD_TIDY:
            changed = tidyKeys(&document, place);
            break;
        case CMD_ADD_PAGE:
            if (countPages(&document) >= 5) {
                tell(say(T_FIVE_PAGES), MB_ICONINFORMATION);
                return;
            }
            changed = addPage(&document, place, newText(T_NEW_PAGE).c_str(), &after);
            break;
        case CMD_ADD_ENTRY:
            changed = addEntry(&document, place, newText(T_NEW_ENTRY).c_str(), &after);
            break;
        case CMD_ADD_BUTTON:
            changed = shownEntry() >= 0 &&
                      addButton(&document, place, newText(T_NEW_BUTTON).c_str(), &after);
            break;
        case CMD_ADD_DECORATION: {
            std::string name;
            if (place.page >= 0 && shownEntry() < 0)
                return;
            if (!choosePicture(&name))
                return;
            int limit = 0;
            DesignPlace start = place;
            if (fieldProblem(&document, start, FIELD_DECORATION_PICTURE, name, &limit) ==
                TEXT_TOO_LONG) {
                tell(say(T_TOO_LONG, number(limit)), MB_ICONWARNING);
                return;
            }
            changed = addDecoration(&document, place, name.c_str(), &after);
            break;
        }
        default:
            if (command >= CMD_ALIGN_FIRST && command <= CMD_ALIGN_LAST) {
                std::vector<DesignPlace> items = chosenItems();
                std::vector<Box> boxes;
                for (const DesignPlace& p : items)
                    boxes.push_back(itemBox(p));
                changed = alignBoxes(&boxes, (Alignment)(command - CMD_ALIGN_FIRST)) &&
                          moveItems(&document, place, items, boxes);
                break;
            }
            return;
        }
    }
    if (!changed) {
        MessageBeep(MB_OK);
        return;
    }
    place = after;
    if (command == CMD_UNDO || command == CMD_REDO)
        refillPanel();
    documentChanged();
    if (command >= CMD_ADD_PAGE && command <= CMD_ADD_DECORATION &&
        commentLines(document.data) > comments)
        setStatus(say(T_ADD_PARKED));
    if (command == CMD_ADD_PAGE || command == CMD_ADD_ENTRY)
        focusField(IDC_TITLE);
    else if (command == CMD_ADD_BUTTON)
        focusField(IDC_CAPTION);
}

bool sharedKey(WPARAM key)
{
    bool control = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_DELETE && !control)
        doCommand(CMD_DELETE);
    else if (key == 'C' && control)
        doCommand(CMD_COPY);
    else if (key == 'V' && control)
        doCommand(CMD_PASTE);
    else
        return false;
    return true;
}

// --- The frame -----------------------------------------------------------------------

static HMENU buildMenus(void)
{
    struct Item {
        int command;  // 0: separator
        Text text;
    };
    static const Item file[] = {{CMD_OPEN, T_MENU_OPEN}, {CMD_RECENT_FIRST, T_MENU_RECENT},
                                {CMD_SAVE, T_MENU_SAVE}, {CMD_SAVE_AS, T_MENU_SAVE_AS},
                                {0, T_APP}, {CMD_TEST_RUN, T_MENU_TEST_RUN},
                                {0, T_APP}, {CMD_EXIT, T_MENU_EXIT}};
    static const Item edit[] = {{CMD_UNDO, T_MENU_UNDO}, {CMD_REDO, T_MENU_REDO},
                                {0, T_APP}, {CMD_COPY, T_MENU_COPY}, {CMD_PASTE, T_MENU_PASTE},
                                {CMD_DUPLICATE, T_MENU_DUPLICATE}, {CMD_DELETE, T_MENU_DELETE},
                                {0, T_APP},
                                {CMD_EARLIER, T_MENU_EARLIER}, {CMD_LATER, T_MENU_LATER},
                                {0, T_APP}, {CMD_TIDY, T_MENU_TIDY}};
    static const Item arrange[] = {
        {CMD_ALIGN_FIRST + ALIGN_LEFT, T_MENU_ALIGN_LEFT},
        {CMD_ALIGN_FIRST + ALIGN_CENTRE, T_MENU_ALIGN_CENTRE},
        {CMD_ALIGN_FIRST + ALIGN_RIGHT, T_MENU_ALIGN_RIGHT}, {0, T_APP},
        {CMD_ALIGN_FIRST + ALIGN_TOP, T_MENU_ALIGN_TOP},
        {CMD_ALIGN_FIRST + ALIGN_MIDDLE, T_MENU_ALIGN_MIDDLE},
        {CMD_ALIGN_FIRST + ALIGN_BOTTOM, T_MENU_ALIGN_BOTTOM}, {0, T_APP},
        {CMD_ALIGN_FIRST + SPREAD_ACROSS, T_MENU_SPREAD_ACROSS},
        {CMD_ALIGN_FIRST + SPREAD_DOWN, T_MENU_SPREAD_DOWN}};
    static const Item add[] = {{CMD_ADD_PAGE, T_MENU_ADD_PAGE}, {CMD_ADD_ENTRY, T_MENU_ADD_ENTRY},
                               {CMD_ADD_BUTTON, T_MENU_ADD_BUTTON},
                               {CMD_ADD_DECORATION, T_MENU_ADD_DECORATION}};
    static const Item view[] = {{CMD_START_SCREEN, T_MENU_START_SCREEN},
                                {CMD_OUTLINE, T_MENU_OUTLINE}, {CMD_GRID, T_MENU_GRID}};
    const struct {
        Text title;
        const Item* items;
        size_t count;
    } menus[] = {{T_MENU_FILE, file, sizeof file / sizeof file[0]},
                 {T_MENU_EDIT, edit, sizeof edit / sizeof edit[0]},
                 {T_MENU_ADD, add, sizeof add / sizeof add[0]},
                 {T_MENU_ARRANGE, arrange, sizeof arrange / sizeof arrange[0]},
                 {T_MENU_VIEW, view, sizeof view / sizeof view[0]}};
    HMENU bar = CreateMenu();
    for (const auto& m : menus) {
        HMENU popup = CreatePopupMenu();
        for (size_t i = 0; i < m.count; i++) {
            if (m.items[i].command == CMD_RECENT_FIRST) {
                recentMenu = CreatePopupMenu();
                AppendMenuW(popup, MF_POPUP, (UINT_PTR)recentMenu, say(m.items[i].text).c_str());
            } else if (m.items[i].command) {
                AppendMenuW(popup, MF_STRING, (UINT_PTR)m.items[i].command,
                            say(m.items[i].text).c_str());
            }
            else
                AppendMenuW(popup, MF_SEPARATOR, 0, 0);
        }
        AppendMenuW(bar, MF_POPUP, (UINT_PTR)popup, say(m.title).c_str());
    }
    return bar;
}

static void enableMenus(HMENU menu)
{
    bool open = !folder.empty() && !readOnly;
    const struct {
        int command;
        bool enabled;
    } states[] = {
        {CMD_SAVE, !folder.empty()},  // a read-only file says why it is not saved
        {CMD_SAVE_AS, !folder.empty()},
        {CMD_TEST_RUN, !folder.empty()},
        {CMD_UNDO, !document.undo.empty()},
        {CMD_REDO, !document.redo.empty()},
        {CMD_DELETE, open && place.kind != PLACE_START},
        {CMD_EARLIER, open && place.kind != PLACE_START},
        {CMD_LATER, open && place.kind != PLACE_START},
        {CMD_ADD_PAGE, open},
        {CMD_ADD_ENTRY, open && place.page >= 0},
        {CMD_ADD_BUTTON, open && shownEntry() >= 0},
        {CMD_ADD_DECORATION, open && (place.page < 0 || shownEntry() >= 0)},
        {CMD_START_SCREEN, !folder.empty()},
    };
    for (const auto& s : states)
        EnableMenuItem(menu, (UINT)s.command, MF_BYCOMMAND | (s.enabled ? MF_ENABLED : MF_GRAYED));
    size_t chosen = chosenItems().size();
    for (int c = CMD_ALIGN_FIRST; c <= CMD_ALIGN_LAST; c++)
        EnableMenuItem(menu, (UINT)c, MF_BYCOMMAND | (open && chosen >= (c >= CMD_ALIGN_FIRST +
                                                                       SPREAD_ACROSS ? 3u : 2u)
                                                          ? MF_ENABLED : MF_GRAYED));
    bool item = place.kind == PLACE_BUTTON || place.kind == PLACE_DECORATION ||
                (place.kind == PLACE_ENTRY && place.entry >= 0);
    EnableMenuItem(menu, CMD_COPY, MF_BYCOMMAND | (item ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, CMD_DUPLICATE, MF_BYCOMMAND | (open && item ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, CMD_PASTE,
                   MF_BYCOMMAND | (open && copied.kind != PLACE_START ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, CMD_TIDY, MF_BYCOMMAND | (open ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, CMD_GRID, MF_BYCOMMAND | (gridSize ? MF_CHECKED : MF_UNCHECKED));
    // Undo and Redo say what they take back or make again.
    const struct {
        int command;
        const std::vector<DocStep>* steps;
        Text plain, named;
    } names[] = {{CMD_UNDO, &document.undo, T_MENU_UNDO, T_MENU_UNDO_NAMED},
                 {CMD_REDO, &document.redo, T_MENU_REDO, T_MENU_REDO_NAMED}};
    for (const auto& n : names) {
        int label = n.steps->empty() ? 0 : n.steps->back().label;
        std::wstring text = label > 0 && label < TEXT_COUNT
                                ? say(n.named, textOf((Text)label, uiLanguage))
                                : say(n.plain);
        ModifyMenuW(menu, (UINT)n.command, MF_BYCOMMAND | MF_STRING, (UINT_PTR)n.command,
                    text.c_str());
        EnableMenuItem(menu, (UINT)n.command,
                       MF_BYCOMMAND | (n.steps->empty() ? MF_GRAYED : MF_ENABLED));
    }
}

static void createFonts(void)
{
    NONCLIENTMETRICSW metrics;
    ZeroMemory(&metrics, sizeof metrics);
    // The size of Windows XP's structure, which later systems also take.
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW);
    LOGFONTW font;
    ZeroMemory(&font, sizeof font);
    font.lfHeight = -12;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        font = metrics.lfMessageFont;
    // Captions are Japanese whatever the language of the window: a face
    // with Japanese characters, as the menu itself asks for its captions.
    lstrcpyW(font.lfFaceName, L"MS UI Gothic");
    font.lfCharSet = SHIFTJIS_CHARSET;
    uiFont = CreateFontIndirectW(&font);
    font.lfWeight = FW_BOLD;
    uiBoldFont = CreateFontIndirectW(&font);
}

static LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        frameWindow = window;
        createPanel(window);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) >= CMD_OPEN && lParam == 0)
            doCommand(LOWORD(wParam));
        else
            onPanelCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        if (((NMHDR*)lParam)->idFrom == IDC_OUTLINE)
            return onOutlineNotify((NMHDR*)lParam);
        break;
    case WM_INITMENUPOPUP:
        if ((HMENU)wParam == recentMenu)
            fillRecentMenu();
        else
            enableMenus((HMENU)wParam);
        return 0;
    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush = panelColour((HDC)wParam, (HWND)lParam))
            return (LRESULT)brush;
        break;
    case WM_TIMER:
        if (wParam == TIMER_CHECK) {
            KillTimer(window, TIMER_CHECK);
            runChecks();
        } else if (wParam == TIMER_TEST_RUN) {
            onTestRunTimer();
        }
        if (wParam == TIMER_OUTLINE)
            outlineTexts();
        return 0;
    case WM_ACTIVATE:
    case WM_PALETTECHANGED:
        // On 256 colours the picture realises the menu's palette again.
        if (displayBits == 8 && (message == WM_ACTIVATE || (HWND)wParam != window))
            InvalidateRect(canvasWindow, 0, FALSE);
        break;
    case WM_CLOSE:
        if (mayLeaveDocument())
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, TIMER_CHECK);
        KillTimer(window, TIMER_OUTLINE);
        endTestRun();
        removeWorkingCopy();
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static void createFrame(HINSTANCE instance)
{
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = frameProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    wc.hCursor = LoadCursorW(0, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = frameClass;
    RegisterClassW(&wc);
    registerCanvas(instance);

    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    HMENU menus = buildMenus();
    RECT r = {0, 0, CLIENT_W, CLIENT_H};
    AdjustWindowRect(&r, style, TRUE);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    CreateWindowExW(WS_EX_CONTROLPARENT, frameClass, L"MENUEDIT", style, x < 0 ? 0 : x,
                    y < 0 ? 0 : y, w, h, 0, menus, instance, 0);
    // A menu bar that wraps makes the client area smaller: grow to fit.
    RECT client;
    GetClientRect(frameWindow, &client);
    if (client.bottom < CLIENT_H) {
        GetWindowRect(frameWindow, &r);
        SetWindowPos(frameWindow, 0, 0, 0, r.right - r.left,
                     r.bottom - r.top + CLIENT_H - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    }
}

static void createAccelerators(void)
{
    ACCEL keys[] = {
        {FCONTROL | FVIRTKEY, 'O', CMD_OPEN},     {FCONTROL | FVIRTKEY, 'S', CMD_SAVE},
        {FVIRTKEY, VK_F5, CMD_TEST_RUN},          {FCONTROL | FVIRTKEY, 'Z', CMD_UNDO},
        {FCONTROL | FVIRTKEY, 'Y', CMD_REDO},
        {FCONTROL | FSHIFT | FVIRTKEY, 'Z', CMD_REDO},
        {FCONTROL | FVIRTKEY, 'D', CMD_DUPLICATE},   {FVIRTKEY, VK_F6, CMD_OUTLINE},
    };
    accelerators = CreateAcceleratorTableW(keys, sizeof keys / sizeof keys[0]);
}

// Ctrl+A selects a field's whole text, which the edit controls of
// Windows XP do not do themselves.
static bool selectAllKey(const MSG* msg)
{
    if (msg->message != WM_KEYDOWN || msg->wParam != 'A' || GetKeyState(VK_CONTROL) >= 0)
        return false;
    wchar_t cls[16];
    if (!GetClassNameW(msg->hwnd, cls, 16) || lstrcmpiW(cls, L"Edit") != 0)
        return false;
    SendMessageW(msg->hwnd, EM_SETSEL, 0, -1);
    return true;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show)
{
    appInstance = instance;
    OleInitialize(0);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    uiLanguage = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? LANGUAGE_JA
                                                                             : LANGUAGE_EN;
    std::wstring start;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; i++) {
        if (wcsncmp(argv[i], L"--lang=", 7) == 0)
            uiLanguage = wcsncmp(argv[i] + 7, L"ja", 2) == 0 ? LANGUAGE_JA : LANGUAGE_EN;
        else
            start = argv[i];
    }
    LocalFree(argv);

    HDC screen = GetDC(0);
    displayBits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(0, screen);
    createMenuFont();
    createFonts();
    createAccelerators();
    createFrame(instance);
    if (!frameWindow)
        return 1;
    ShowWindow(frameWindow, show);
    UpdateWindow(frameWindow);
    showPlace();
    if (!start.empty())
        openRemembered(start);
    else
        PostMessageW(frameWindow, WM_COMMAND, CMD_OPEN, 0);

    MSG msg;
    while (GetMessageW(&msg, 0, 0, 0) > 0) {
        if (TranslateAcceleratorW(frameWindow, accelerators, &msg))
            continue;
        if (selectAllKey(&msg))
            continue;
        if (IsDialogMessageW(frameWindow, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    releaseSurface();
    DeleteObject(menuFont);
    DeleteObject(uiFont);
    DeleteObject(uiBoldFont);
    docClose(&document);
    OleUninitialize();
    return (int)msg.wParam;
}
