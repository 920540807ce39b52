// The side panel for what is selected, the findings list and the status
// line. Every field is checked as it is typed against what the menu would
// cut or cannot show, and written into the document at once.
#include <windows.h>
#include <commdlg.h>

#include <string.h>

#include "graphics/draw.h"
#include "graphics/layout.h"
#include "menu/model.h"
#include "shell/shell.h"
#include "tools/designer/designer.h"
#include "tools/designer/edit.h"
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/scan.h"

enum { CONTROL_SLOTS = IDC_LAST - IDC_STATUS };

static bool updating;                            // texts set by the panel itself
static std::wstring lastGood[CONTROL_SLOTS];     // the text each field last took
static bool noteWarns[CONTROL_SLOTS];            // a note drawn red
static bool refused[CONTROL_SLOTS];              // the note tells of a refused keystroke,
static std::string refusedOver[CONTROL_SLOTS];   // made while the document was this
static DesignPlace shownPlace = {-1, -2, -2, -2};  // what the panel shows
static COLORREF swatchColour;
static HBRUSH swatchBrush;
static std::vector<std::string> findingPlaces;   // per row: "[SECTION] Key" or ""
static std::vector<std::wstring> findingRows;    // per row: its whole text
static std::vector<int> findingCodes;            // per row: FindingCode, -1 for the reader's

static void fixFinding(void);

static int slot(int id)
{
    return id >= IDC_STATUS && id < IDC_LAST ? id - IDC_STATUS : 0;
}

static HWND item(int id)
{
    return GetDlgItem(frameWindow, id);
}

static const wchar_t WC_STATICW[] = L"STATIC", WC_EDITW[] = L"EDIT", WC_BUTTONW[] = L"BUTTON",
                     WC_LISTBOXW[] = L"LISTBOX";

static void make(HWND frame, int id, const wchar_t* cls, DWORD style, HFONT font = 0)
{
    bool sunken = cls == WC_EDITW || cls == WC_LISTBOXW;
    HWND c = CreateWindowExW(sunken ? WS_EX_CLIENTEDGE : 0, cls,
                             L"", WS_CHILD | style, 0, 0, 10, 10, frame, (HMENU)(INT_PTR)id,
                             appInstance, 0);
    SendMessageW(c, WM_SETFONT, (WPARAM)(font ? font : uiFont), FALSE);
}

static void label(int id, Text text)
{
    SetWindowTextW(item(id), say(text).c_str());
}

void createPanel(HWND frame)
{
    createCanvas(frame);
    createOutline(frame);
    const DWORD text = SS_LEFT | SS_NOPREFIX;
    const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    make(frame, IDC_HEADING, WC_STATICW, text, uiBoldFont);
    make(frame, IDC_HINT, WC_STATICW, text);
    const struct {
        int label, edit, note;
        Text title;
    } fields[] = {
        {IDC_TITLE_LABEL, IDC_TITLE, IDC_TITLE_NOTE, T_LABEL_TITLE},
        {IDC_CAPTION_LABEL, IDC_CAPTION, IDC_CAPTION_NOTE, T_LABEL_CAPTION},
        {IDC_COMMAND_LABEL, IDC_COMMAND, IDC_COMMAND_NOTE, T_LABEL_COMMAND},
        {IDC_PICTURE_LABEL, IDC_PICTURE, IDC_PICTURE_NOTE, T_LABEL_PICTURE},
    };
    for (const auto& f : fields) {
        make(frame, f.label, WC_STATICW, text);
        make(frame, f.edit, WC_EDITW, edit);
        // Whole values, however long: a field cut by the control would be
        // written back cut.
        SendMessageW(item(f.edit), EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
        make(frame, f.note, WC_STATICW, text);
        label(f.label, f.title);
    }
    make(frame, IDC_COMMAND_HELP, WC_STATICW, text);
    label(IDC_COMMAND_HELP, T_COMMAND_HELP);
    make(frame, IDC_COMMAND_PLAN, WC_STATICW, text);
    make(frame, IDC_PICTURE_BROWSE, WC_BUTTONW, button);
    label(IDC_PICTURE_BROWSE, T_BROWSE);
    make(frame, IDC_PICTURE_DEFAULT, WC_BUTTONW, button);
    label(IDC_PICTURE_DEFAULT, T_BUILT_IN);
    make(frame, IDC_COLOUR_LABEL, WC_STATICW, text);
    label(IDC_COLOUR_LABEL, T_LABEL_COLOUR);
    make(frame, IDC_COLOUR_SWATCH, WC_STATICW, SS_LEFT | WS_BORDER);
    make(frame, IDC_COLOUR_CHOOSE, WC_BUTTONW, button);
    label(IDC_COLOUR_CHOOSE, T_CHOOSE_COLOUR);
    make(frame, IDC_COLOUR_DEFAULT, WC_BUTTONW, button);
    label(IDC_COLOUR_DEFAULT, T_BLACK);
    make(frame, IDC_COLOUR_NUMBERS, WC_STATICW, text);
    make(frame, IDC_POSITION_LABEL, WC_STATICW, text);
    label(IDC_POSITION_LABEL, T_LABEL_POSITION);
    make(frame, IDC_POS_X_LABEL, WC_STATICW, text);
    SetWindowTextW(item(IDC_POS_X_LABEL), L"x");
    make(frame, IDC_POS_X, WC_EDITW, edit);
    make(frame, IDC_POS_Y_LABEL, WC_STATICW, text);
    SetWindowTextW(item(IDC_POS_Y_LABEL), L"y");
    make(frame, IDC_POS_Y, WC_EDITW, edit);
    make(frame, IDC_POS_DEFAULT, WC_BUTTONW, button);
    label(IDC_POS_DEFAULT, T_DEFAULT_PLACE);
    make(frame, IDC_POSITION_NOTE, WC_STATICW, text);
    const struct {
        int id;
        Text text;
    } buttons[] = {
        {IDC_EARLIER, T_EARLIER},       {IDC_LATER, T_LATER},
        {IDC_DELETE, T_DELETE},         {IDC_ADD_PAGE, T_ADD_PAGE},
        {IDC_ADD_ENTRY, T_ADD_ENTRY},   {IDC_ADD_BUTTON, T_ADD_BUTTON},
        {IDC_ADD_DECORATION, T_ADD_DECORATION},
    };
    for (const auto& b : buttons) {
        make(frame, b.id, WC_BUTTONW, button);
        label(b.id, b.text);
    }
    make(frame, IDC_FINDINGS_HEAD, WC_STATICW, text | WS_VISIBLE | SS_ENDELLIPSIS);
    make(frame, IDC_FINDINGS, WC_LISTBOXW,
         WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
    make(frame, IDC_STATUS, WC_STATICW, text | WS_VISIBLE | SS_ENDELLIPSIS);
    make(frame, IDC_FINDING_WHOLE, WC_STATICW, text | WS_VISIBLE);
    make(frame, IDC_FINDING_FIX, WC_BUTTONW, button);
    const int findingsX = MARGIN + OUTLINE_W + MARGIN, findingsW = 640 - OUTLINE_W - MARGIN;
    MoveWindow(item(IDC_FINDINGS_HEAD), MARGIN, FINDINGS_Y, 640, 16, FALSE);
    MoveWindow(item(IDC_FINDINGS), findingsX, FINDINGS_Y + 18, findingsW, FINDINGS_H, FALSE);
    // The chosen finding whole, wrapped, in the panel's column above the Add buttons.
    MoveWindow(item(IDC_FINDING_WHOLE), PANEL_X, PANEL_BOTTOM - 52 - 108, PANEL_W, 78, FALSE);
    MoveWindow(item(IDC_FINDING_FIX), PANEL_X, PANEL_BOTTOM - 52 - 28, PANEL_W, 24, FALSE);
    MoveWindow(item(IDC_STATUS), MARGIN, FINDINGS_Y + 18 + FINDINGS_H + 4, CLIENT_W - 2 * MARGIN,
               STATUS_H, FALSE);
    SendMessageW(item(IDC_FINDINGS), LB_SETHORIZONTALEXTENT, 3000, 0);
    setStatus(say(T_STATUS_READY));
}

// --- Layout -----------------------------------------------------------------------------

static int rowY;

static void put(int id, int x, int w, int h)
{
    MoveWindow(item(id), PANEL_X + x, rowY, w, h, TRUE);
    ShowWindow(item(id), SW_SHOWNA);
}

static void layoutField(int labelId, int editId, int noteId)
{
    put(labelId, 0, PANEL_W, 16);
    rowY += 17;
    put(editId, 0, PANEL_W, 22);
    rowY += 23;
    put(noteId, 0, PANEL_W, 28);
    rowY += 30;
}

static void layoutPicture(bool button)
{
    put(IDC_PICTURE_LABEL, 0, PANEL_W, 16);
    rowY += 17;
    put(IDC_PICTURE, 0, button ? 178 : 238, 22);
    put(IDC_PICTURE_BROWSE, button ? 182 : 242, button ? 72 : 78, 22);
    if (button)
        put(IDC_PICTURE_DEFAULT, 258, 62, 22);
    rowY += 23;
    put(IDC_PICTURE_NOTE, 0, PANEL_W, 28);
    rowY += 30;
}

static void layoutPosition(bool button)
{
    put(IDC_POSITION_LABEL, 0, PANEL_W, 16);
    rowY += 17;
    put(IDC_POS_X_LABEL, 0, 12, 20);
    put(IDC_POS_X, 14, 64, 22);
    put(IDC_POS_Y_LABEL, 88, 12, 20);
    put(IDC_POS_Y, 102, 64, 22);
    if (button)
        put(IDC_POS_DEFAULT, 176, 144, 22);
    rowY += 23;
    put(IDC_POSITION_NOTE, 0, PANEL_W, 28);
    rowY += 30;
}

static void layoutPanel(int kind)
{
    static int laidOut = -2;
    if (kind == laidOut)
        return;
    laidOut = kind;
    for (int id = IDC_HEADING; id < IDC_LAST; id++)
        if (id != IDC_FINDINGS && id != IDC_FINDINGS_HEAD)
            ShowWindow(item(id), SW_HIDE);
    ShowWindow(item(IDC_COLOUR_NUMBERS), SW_HIDE);
    rowY = CANVAS_Y;
    put(IDC_HEADING, 0, PANEL_W, 18);
    rowY += 22;
    if (folder.empty())
        return;
    switch (kind) {
    case PLACE_START:
        put(IDC_HINT, 0, PANEL_W, 44);
        rowY += 48;
        break;
    case PLACE_PAGE:
    case PLACE_ENTRY:
        put(IDC_HINT, 0, PANEL_W, 30);
        rowY += 34;
        layoutField(IDC_TITLE_LABEL, IDC_TITLE, IDC_TITLE_NOTE);
        break;
    case PLACE_BUTTON:
        layoutField(IDC_CAPTION_LABEL, IDC_CAPTION, IDC_CAPTION_NOTE);
        layoutField(IDC_COMMAND_LABEL, IDC_COMMAND, IDC_COMMAND_NOTE);
        rowY -= 2;
        put(IDC_COMMAND_HELP, 0, PANEL_W, 44);
        rowY += 46;
        put(IDC_COMMAND_PLAN, 0, PANEL_W, 44);
        rowY += 48;
        layoutPicture(true);
        put(IDC_COLOUR_LABEL, 0, PANEL_W, 16);
        rowY += 17;
        put(IDC_COLOUR_SWATCH, 0, 40, 22);
        put(IDC_COLOUR_CHOOSE, 48, 110, 22);
        put(IDC_COLOUR_DEFAULT, 162, 80, 22);
        put(IDC_COLOUR_NUMBERS, 250, 70, 20);
        rowY += 28;
        layoutPosition(true);
        break;
    case PLACE_DECORATION:
        layoutPicture(false);
        layoutPosition(false);
        break;
    default:
        break;
    }
    if (kind != PLACE_START) {
        put(IDC_EARLIER, 0, 96, 24);
        put(IDC_LATER, 100, 96, 24);
        put(IDC_DELETE, PANEL_W - 96, 96, 24);
    }
    rowY = PANEL_BOTTOM - 52;
    put(IDC_ADD_PAGE, 0, 156, 24);
    put(IDC_ADD_ENTRY, PANEL_W - 156, 156, 24);
    rowY += 28;
    put(IDC_ADD_BUTTON, 0, 156, 24);
    put(IDC_ADD_DECORATION, PANEL_W - 156, 156, 24);
}

// --- Filling in -----------------------------------------------------------------------------

static std::string utf8Of(const char* sjis)
{
    std::string out(strlen(sjis) * 3 + 4, '\0');
    sjisToUtf8(sjis, &out[0], out.size());
    out.resize(strlen(out.c_str()));
    return out;
}

static std::wstring windowText(int id)
{
    HWND c = item(id);
    int n = GetWindowTextLengthW(c);
    std::wstring text((size_t)n + 1, L'\0');
    n = GetWindowTextW(c, &text[0], n + 1);
    text.resize((size_t)(n > 0 ? n : 0));
    return text;
}

// Sets a field's text unless it is the field being typed in.
static void showText(int id, const std::wstring& text, bool samePlace)
{
    HWND c = item(id);
    if (samePlace && GetFocus() == c)
        return;
    lastGood[slot(id)] = text;
    if (windowText(id) != text) {
        SetWindowTextW(c, text.c_str());
        if (GetFocus() == c)
            SendMessageW(c, EM_SETSEL, text.size(), text.size());
    }
}

void refillPanel(void)
{
    shownPlace.kind = -1;
}

static void setNote(int id, const std::wstring& text, bool warns)
{
    noteWarns[slot(id)] = warns;
    SetWindowTextW(item(id), text.c_str());
    InvalidateRect(item(id), 0, TRUE);
}

static Field fieldOfControl(int id)
{
    switch (id) {
    case IDC_TITLE:
        return FIELD_TITLE;
    case IDC_CAPTION:
        return FIELD_CAPTION;
    case IDC_COMMAND:
        return FIELD_COMMAND;
    default:
        return place.kind == PLACE_BUTTON ? FIELD_BUTTON_PICTURE : FIELD_DECORATION_PICTURE;
    }
}

static int noteOf(int id)
{
    return id == IDC_TITLE ? IDC_TITLE_NOTE
         : id == IDC_CAPTION ? IDC_CAPTION_NOTE
         : id == IDC_COMMAND ? IDC_COMMAND_NOTE : IDC_PICTURE_NOTE;
}

// The caption's width in the menu's own caption font, as the menu measures it.
static int captionWidth(const std::string& sjis)
{
    HDC dc = GetDC(frameWindow);
    HGDIOBJ old = SelectObject(dc, menuFont);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, sjis.c_str(), (int)sjis.size(), &size);
    SelectObject(dc, old);
    ReleaseDC(frameWindow, dc);
    return (int)size.cx;
}

static void countNote(int id, const std::string& sjis)
{
    int limit = 0;
    fieldProblem(&document, place, fieldOfControl(id), sjis, &limit);
    std::wstring note = say(T_BYTES, number((long long)sjis.size()), number(limit));
    bool warns = (long long)sjis.size() > limit;
    if (id == IDC_CAPTION && place.kind == PLACE_BUTTON && place.item < commandCount) {
        int wide = captionWidth(sjis), room = commandList[place.item].width;
        note += L"   " + say(wide > room ? T_PIXELS_WIDE : T_PIXELS, number(wide), number(room));
        warns = warns || wide > room;
    }
    setNote(noteOf(id), note, warns);
}

// A refusal stays said while the document is as it was refused over;
// every other note is said again from what the field holds now.
static void fillField(int id, bool samePlace)
{
    std::string sjis = fieldText(&document, place, fieldOfControl(id));
    showText(id, fromShiftJis(sjis), samePlace);
    int note = slot(noteOf(id));
    if (!(samePlace && refused[note] && refusedOver[note] == document.data)) {
        refused[note] = false;
        countNote(id, sjis);
    }
}

// What the checker says a click on the selected button does.
static std::wstring clickText(void)
{
    const CheckReport& r = checkReport;
    for (int c = 0; c < r.commandCount; c++) {
        const CommandInfo& info = r.commands[c];
        const EntryInfo& e = r.entries[info.entry];
        if (e.page != place.page || e.number != place.entry + 1 || info.number != place.item + 1)
            continue;
        const LaunchInfo& l = info.launch;
        char line[2048];
        if (l.plan.mode == LAUNCH_NOTHING) {
            formatText(line, sizeof line, labelText(LABEL_CLICK_NOTHING, uiLanguage), 0, 0, 0, 0);
            return widen(line);
        }
        std::string directory = utf8Of(l.startDirectory);
        if (l.plan.mode == LAUNCH_PROGRAM)
            formatText(line, sizeof line, labelText(LABEL_CLICK_PROGRAM, uiLanguage),
                       utf8Of(l.plan.commandText).c_str(), directory.c_str(), 0, 0);
        else
            formatText(line, sizeof line, labelText(LABEL_CLICK_DOCUMENT, uiLanguage),
                       utf8Of(l.plan.fileName).c_str(), utf8Of(l.plan.arguments).c_str(),
                       directory.c_str(), 0);
        std::wstring text = widen(line);
        char target[1024];
        if (l.targetOnDisc)
            formatText(target, sizeof target, labelText(LABEL_TARGET_ON_DISC, uiLanguage),
                       utf8Of(l.target).c_str(), 0, 0, 0);
        else
            formatText(target, sizeof target,
                       labelText(l.systemProgram ? LABEL_TARGET_SYSTEM : LABEL_TARGET_MISSING,
                                 uiLanguage),
                       0, 0, 0, 0);
        return text + L"\r\n" + widen(target);
    }
    return std::wstring();
}

// Why the checker found the selected item's picture not drawn.
static PictureReason pictureReason(void)
{
    const CheckReport& r = checkReport;
    int picture = -1;
    for (int c = 0; c < r.commandCount && place.kind == PLACE_BUTTON; c++) {
        const EntryInfo& e = r.entries[r.commands[c].entry];
        if (e.page == place.page && e.number == place.entry + 1 &&
            r.commands[c].number == place.item + 1)
            picture = r.commands[c].picture;
    }
    for (int d = 0; d < r.decorationCount && place.kind == PLACE_DECORATION; d++) {
        const DecorationInfo& info = r.decorations[d];
        bool start = info.entry < 0;
        bool here = start ? place.page < 0
                          : r.entries[info.entry].page == place.page &&
                                r.entries[info.entry].number == place.entry + 1;
        if (here && info.number == place.item + 1)
            picture = info.picture;
    }
    return picture >= 0 && picture < r.pictureCount ? r.pictures[picture].reason : PICTURE_OK;
}

static void enable(int id, bool on)
{
    EnableWindow(item(id), on ? TRUE : FALSE);
}

void refreshPanel(void)
{
    updating = true;
    bool samePlace = place.kind == shownPlace.kind && place.page == shownPlace.page &&
                     place.entry == shownPlace.entry && place.item == shownPlace.item;
    shownPlace = place;
    std::string section = itemSectionOf(&document, place);
    std::wstring heading;
    switch (folder.empty() ? -1 : place.kind) {
    case PLACE_START:
        heading = say(T_HEAD_START);
        SetWindowTextW(item(IDC_HINT), say(T_HELP_START).c_str());
        break;
    case PLACE_PAGE:
        heading = say(T_HEAD_PAGE, number(place.page + 1),
                      utf8Of(pageSectionOf(&document, place.page).c_str()));
        SetWindowTextW(item(IDC_HINT), say(T_HELP_PAGE).c_str());
        fillField(IDC_TITLE, samePlace);
        break;
    case PLACE_ENTRY:
        heading = say(T_HEAD_ENTRY, number(place.entry + 1), number(place.page + 1),
                      utf8Of(section.c_str()));
        SetWindowTextW(item(IDC_HINT), say(T_HELP_ENTRY).c_str());
        fillField(IDC_TITLE, samePlace);
        break;
    case PLACE_BUTTON:
    case PLACE_DECORATION: {
        bool button = place.kind == PLACE_BUTTON;
        heading = say(button ? T_HEAD_BUTTON : T_HEAD_DECORATION, number(place.item + 1),
                      utf8Of(section.c_str()));
        int x = 0, y = 0;
        fillField(IDC_PICTURE, samePlace);
        if (button && place.item < commandCount) {
            const CommandButton& b = commandList[place.item];
            x = b.x;
            y = b.y;
            fillField(IDC_CAPTION, samePlace);
            fillField(IDC_COMMAND, samePlace);
            SetWindowTextW(item(IDC_COMMAND_PLAN), clickText().c_str());
            swatchColour = b.textColour;
            InvalidateRect(item(IDC_COLOUR_SWATCH), 0, TRUE);
            SetWindowTextW(item(IDC_COLOUR_NUMBERS),
                           widen(number(GetRValue(swatchColour)) + "," +
                                 number(GetGValue(swatchColour)) + "," +
                                 number(GetBValue(swatchColour)))
                               .c_str());
        } else if (!button && place.item < decorationCount) {
            x = decorationPositions[place.item].x;
            y = decorationPositions[place.item].y;
        }
        PictureReason reason = pictureReason();
        if (reason != PICTURE_OK)
            setNote(IDC_PICTURE_NOTE, widen(pictureReasonText(reason, uiLanguage)), true);
        showText(IDC_POS_X, widen(number((long long)x - CONTENT_LEFT)), samePlace);
        showText(IDC_POS_Y, widen(number((long long)y - CONTENT_TOP)), samePlace);
        std::string key = (button ? "BtnPos" : "Bmp") + number(place.item + 1);
        std::string written = fieldText(&document, place, FIELD_POSITION);
        setNote(IDC_POSITION_NOTE,
                written.empty() ? say(T_POSITION_DEFAULT, key)
                                : say(T_POSITION_SET, key, utf8Of(written.c_str())),
                false);
        break;
    }
    default:
        heading = say(T_HINT_OPEN);
        break;
    }
    SetWindowTextW(item(IDC_HEADING), heading.c_str());

    bool open = !folder.empty() && !readOnly;
    int index = place.kind == PLACE_PAGE ? place.page
              : place.kind == PLACE_ENTRY ? place.entry : place.item;
    int count = place.kind == PLACE_PAGE ? countPages(&document)
              : place.kind == PLACE_ENTRY ? countEntries(&document, place.page)
              : place.kind == PLACE_BUTTON ? countButtons(&document, section)
              : place.kind == PLACE_DECORATION ? countDecorations(&document, section) : 0;
    enable(IDC_EARLIER, open && index > 0);
    enable(IDC_LATER, open && index >= 0 && index < count - 1);
    enable(IDC_DELETE, open && index >= 0 && index < count);
    enable(IDC_ADD_PAGE, open && countPages(&document) < PAGE_SLOTS);
    enable(IDC_ADD_ENTRY, open && place.page >= 0);
    enable(IDC_ADD_BUTTON, open && place.page >= 0 && place.entry >= 0);
    enable(IDC_ADD_DECORATION, open && (place.page < 0 || place.entry >= 0));
    for (int id : {IDC_TITLE, IDC_CAPTION, IDC_COMMAND, IDC_PICTURE, IDC_POS_X, IDC_POS_Y})
        SendMessageW(item(id), EM_SETREADONLY, open ? FALSE : TRUE, 0);
    for (int id : {IDC_PICTURE_BROWSE, IDC_PICTURE_DEFAULT, IDC_COLOUR_CHOOSE, IDC_COLOUR_DEFAULT,
                   IDC_POS_DEFAULT})
        enable(id, open);
    layoutPanel(folder.empty() ? -1 : place.kind);
    updating = false;
}

// --- Typing -----------------------------------------------------------------------------

// Puts back the text a field had before a refused keystroke, the caret
// where the keystroke left it.
static void refuse(int id, const std::wstring& why)
{
    MessageBeep(MB_ICONWARNING);
    HWND c = item(id);
    DWORD start = 0, end = 0;
    SendMessageW(c, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    long grown = (long)windowText(id).size() - (long)lastGood[slot(id)].size();
    updating = true;
    SetWindowTextW(c, lastGood[slot(id)].c_str());
    updating = false;
    long caret = (long)end - (grown > 0 ? grown : 0);
    if (caret < 0)
        caret = 0;
    SendMessageW(c, EM_SETSEL, (WPARAM)caret, (LPARAM)caret);
    int note = id == IDC_POS_X || id == IDC_POS_Y ? IDC_POSITION_NOTE : noteOf(id);
    setNote(note, why, true);
    refused[slot(note)] = true;
    refusedOver[slot(note)] = document.data;
}

static void onTextField(int id)
{
    std::wstring text = windowText(id);
    std::string sjis;
    std::wstring bad;
    if (!toShiftJis(text, &sjis, &bad)) {
        refuse(id, say(T_NOT_SJIS, narrowUtf8(bad)));
        return;
    }
    Field field = fieldOfControl(id);
    int limit = 0;
    TextProblem problem = fieldProblem(&document, place, field, sjis, &limit);
    if (problem != TEXT_OK) {
        // What the file already had beyond the menu's limits can still be
        // made shorter; nothing can be made worse.
        std::string before;
        toShiftJis(lastGood[slot(id)], &before, 0);
        int was = 0;
        if (fieldProblem(&document, place, field, before, &was) != problem ||
            sjis.size() >= before.size()) {
            refuse(id, problem == TEXT_TOO_LONG ? say(T_TOO_LONG, number(limit))
                       : problem == TEXT_COMMA  ? say(T_COMMA)
                                                : say(T_CONTROL));
            return;
        }
    }
    lastGood[slot(id)] = text;
    noteWarns[slot(noteOf(id))] = false;
    refused[slot(noteOf(id))] = false;
    if (setField(&document, place, field, sjis))
        documentChanged();
    countNote(id, sjis);
}

// A number as it is being typed: "" and "-" wait for more. The field being
// typed in takes five digits; the other one may still hold what the file
// said, which is held within the same bounds.
static bool typedNumber(const std::wstring& text, bool typing, int* value, bool* complete)
{
    *complete = false;
    size_t at = text.size() && text[0] == L'-' ? 1 : 0;
    if (text.size() == at)
        return true;
    if (text.size() - at > (typing ? 5u : 10u))
        return false;
    long long n = 0;
    for (size_t i = at; i < text.size(); i++) {
        if (text[i] < L'0' || text[i] > L'9')
            return false;
        n = n * 10 + (text[i] - L'0');
    }
    if (n > 99999)
        n = 99999;
    *value = (int)(at ? -n : n);
    *complete = true;
    return true;
}

static void onPositionField(int id)
{
    int x = 0, y = 0;
    bool xDone, yDone;
    if (!typedNumber(windowText(IDC_POS_X), id == IDC_POS_X, &x, &xDone) ||
        !typedNumber(windowText(IDC_POS_Y), id == IDC_POS_Y, &y, &yDone)) {
        refuse(id, say(T_NOT_NUMBER));
        return;
    }
    lastGood[slot(id)] = windowText(id);
    bool typingX = id == IDC_POS_X;
    if ((typingX ? xDone : yDone) &&
        setCoordinate(&document, place, typingX ? 0 : 1, typingX ? x : y, typingX ? y : x))
        documentChanged();
}

// --- Buttons of the panel -------------------------------------------------------------------

static void choosePictureFor(void)
{
    std::string name;
    if (!choosePicture(&name))
        return;
    Field field = place.kind == PLACE_BUTTON ? FIELD_BUTTON_PICTURE : FIELD_DECORATION_PICTURE;
    int limit = 0;
    TextProblem problem = fieldProblem(&document, place, field, name, &limit);
    if (problem != TEXT_OK) {
        tell(problem == TEXT_TOO_LONG ? say(T_TOO_LONG, number(limit)) : say(T_COMMA),
             MB_ICONWARNING);
        return;
    }
    if (setField(&document, place, field, name))
        documentChanged();
}

static void chooseColour(void)
{
    static COLORREF custom[16];
    CHOOSECOLORW choose;
    ZeroMemory(&choose, sizeof choose);
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = frameWindow;
    choose.rgbResult = swatchColour;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorW(&choose) && setColour(&document, place, choose.rgbResult))
        documentChanged();
}

void onPanelCommand(int id, int code)
{
    if (updating)
        return;
    if (id == IDCANCEL) {
        // Escape: nothing selected but what the picture shows.
        place.kind = place.page < 0 ? PLACE_START : place.entry >= 0 ? PLACE_ENTRY : PLACE_PAGE;
        place.item = -1;
        showPlace();
        SetFocus(canvasWindow);
        return;
    }
    if (code == EN_CHANGE) {
        if (readOnly || folder.empty())
            return;
        document.label = id == IDC_POS_X || id == IDC_POS_Y ? T_CHANGE_MOVE : T_CHANGE_TYPING;
        if (id == IDC_POS_X || id == IDC_POS_Y)
            onPositionField(id);
        else if (id == IDC_TITLE || id == IDC_CAPTION || id == IDC_COMMAND || id == IDC_PICTURE)
            onTextField(id);
        return;
    }
    if (id == IDC_FINDINGS) {
        if (code == LBN_SELCHANGE)
            onFindingChosen();
        return;
    }
    if (code != BN_CLICKED)
        return;
    document.label = id == IDC_COLOUR_CHOOSE || id == IDC_COLOUR_DEFAULT ? T_CHANGE_COLOUR
                   : id == IDC_POS_DEFAULT                               ? T_CHANGE_MOVE
                                                                         : T_CHANGE_PICTURE;
    switch (id) {
    case IDC_FINDING_FIX:
        fixFinding();
        break;
    case IDC_PICTURE_BROWSE:
        if (!readOnly)
            choosePictureFor();
        break;
    case IDC_PICTURE_DEFAULT:
        if (!readOnly && setField(&document, place, FIELD_BUTTON_PICTURE, ""))
            documentChanged();
        break;
    case IDC_COLOUR_CHOOSE:
        if (!readOnly)
            chooseColour();
        break;
    case IDC_COLOUR_DEFAULT:
        if (!readOnly && setField(&document, place, FIELD_COLOUR, ""))
            documentChanged();
        break;
    case IDC_POS_DEFAULT:
        if (!readOnly && setField(&document, place, FIELD_POSITION, ""))
            documentChanged();
        break;
    case IDC_EARLIER:
        doCommand(CMD_EARLIER);
        break;
    case IDC_LATER:
        doCommand(CMD_LATER);
        break;
    case IDC_DELETE:
        doCommand(CMD_DELETE);
        break;
    case IDC_ADD_PAGE:
        doCommand(CMD_ADD_PAGE);
        break;
    case IDC_ADD_ENTRY:
        doCommand(CMD_ADD_ENTRY);
        break;
    case IDC_ADD_BUTTON:
        doCommand(CMD_ADD_BUTTON);
        break;
    case IDC_ADD_DECORATION:
        doCommand(CMD_ADD_DECORATION);
        break;
    default:
        break;
    }
}

HBRUSH panelColour(HDC dc, HWND control)
{
    int id = GetDlgCtrlID(control);
    if (id == IDC_COLOUR_SWATCH) {
        if (swatchBrush)
            DeleteObject(swatchBrush);
        swatchBrush = CreateSolidBrush(swatchColour);
        return swatchBrush;
    }
    if (id >= IDC_STATUS && id < IDC_LAST && noteWarns[slot(id)]) {
        SetTextColor(dc, RGB(192, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    return 0;
}

// --- Findings ---------------------------------------------------------------------------------

// "[SECTION] Key" of the key on a line of the document, for the lines
// Windows reads otherwise.
static std::string whereOfLine(int line)
{
    MenuScan scan;
    if (!scanMenuData((const unsigned char*)document.data.data(), document.data.size(), &scan))
        return std::string();
    std::string where;
    for (int s = 0; s < scan.sectionCount && where.empty(); s++)
        for (int k = scan.sections[s].firstKey;
             k < scan.sections[s].firstKey + scan.sections[s].keyCount; k++)
            if (scan.keys[k].line == line) {
                where = "[" + utf8Of(scan.sections[s].name) + "] " + utf8Of(scan.keys[k].name);
                break;
            }
    freeScan(&scan);
    return where;
}

void fillFindings(void)
{
    HWND list = item(IDC_FINDINGS);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    findingPlaces.clear();
    findingRows.clear();
    findingCodes.clear();
    SetWindowTextW(item(IDC_FINDING_WHOLE), L"");
    ShowWindow(item(IDC_FINDING_FIX), SW_HIDE);
    const CheckReport& r = checkReport;
    std::wstring head = r.findingCount || !readerLines.empty()
                            ? say(T_FINDINGS_HEAD, number(r.errors), number(r.warnings),
                                  number(r.notes))
                            : say(T_FINDINGS_NONE);
    // The summary first, whole; the note after it, cut with "..." where
    // the line ends (the status line said it whole).
    if (!fileNote.empty())
        head += L"   " + widen(fileNote);
    SetWindowTextW(item(IDC_FINDINGS_HEAD), head.c_str());
    for (int line : readerLines) {
        std::wstring row = say(T_FINDING, textOf(T_WARNING, uiLanguage),
                               narrowUtf8(say(T_LINE, number(line))),
                               textOf(T_READER_DIFF, uiLanguage));
        SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)row.c_str());
        findingPlaces.push_back(whereOfLine(line));
        findingRows.push_back(row);
        findingCodes.push_back(-1);
    }
    for (int i = 0; i < r.findingCount; i++) {
        const Finding& f = r.findings[i];
        char text[2048];
        findingText(&f, uiLanguage, text, sizeof text);
        Text severity = f.severity == FINDING_ERROR ? T_ERROR
                      : f.severity == FINDING_WARNING ? T_WARNING : T_NOTE;
        std::string where = f.where;
        if (f.line > 0)
            where += (where.empty() ? "" : ", ") + narrowUtf8(say(T_LINE, number(f.line)));
        std::wstring row = say(T_FINDING, textOf(severity, uiLanguage), where, text);
        SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)row.c_str());
        findingPlaces.push_back(f.where);
        findingRows.push_back(row);
        findingCodes.push_back((int)f.code);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, 0, TRUE);
}

// The fix a finding has when it is certain; T_APP for none. A program path
// on the disc's own drive is the same path from the disc's root folder,
// which the menu makes current; its arguments are left as written, since
// the program starts in its own folder.
static Text fixOf(int row, DesignPlace* where, std::string* command)
{
    int code = findingCodes[(size_t)row];
    if (code == F_NO_MENU_EXE)
        return T_FIX_MENU_EXE;
    if (code == F_NO_AUTORUN)
        return T_FIX_AUTORUN;
    DesignPlace found;
    if (!placeOfFinding(&document, findingPlaces[(size_t)row].c_str(), &found) ||
        found.kind != PLACE_BUTTON)
        return T_APP;
    std::string line = fieldText(&document, found, FIELD_COMMAND);
    const char macro[] = "$CURDRV:\\";
    if (line.compare(0, sizeof macro - 1, macro) != 0 || line.size() == sizeof macro - 1)
        return T_APP;
    *where = found;
    *command = line.substr(sizeof macro - 1);
    return T_FIX_RELATIVE;
}

static void fixFinding(void)
{
    int row = (int)SendMessageW(item(IDC_FINDINGS), LB_GETCURSEL, 0, 0);
    if (row < 0 || row >= (int)findingCodes.size() || readOnly || folder.empty())
        return;
    DesignPlace where;
    std::string command;
    Text fix = fixOf(row, &where, &command);
    bool done = false;
    if (fix == T_FIX_RELATIVE) {
        document.label = T_CHANGE_FIX;
        place = where;
        done = setField(&document, where, FIELD_COMMAND, command);
        if (done)
            documentChanged();
    } else if (fix == T_FIX_MENU_EXE) {
        wchar_t beside[MAX_PATH];
        DWORD n = GetModuleFileNameW(0, beside, MAX_PATH);
        std::wstring source(beside, n < MAX_PATH ? n : 0);
        source = source.substr(0, source.find_last_of(L"\\/") + 1) + L"MENU.EXE";
        done = CopyFileW(source.c_str(), (folder + L"\\MENU.EXE").c_str(), TRUE) != 0;
    } else if (fix == T_FIX_AUTORUN) {
        static const char autorun[] = "[autorun]\r\nopen=MENU.EXE\r\nicon=MENU.EXE\r\n";
        HANDLE file = CreateFileW((folder + L"\\autorun.inf").c_str(), GENERIC_WRITE, 0, 0,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
        DWORD written = 0;
        done = file != INVALID_HANDLE_VALUE &&
               WriteFile(file, autorun, sizeof autorun - 1, &written, 0) &&
               written == sizeof autorun - 1;
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    if (!done) {
        wchar_t message[256] = L"";
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, 0,
                       GetLastError(), 0, message, 256, 0);
        tell(say(T_FIX_FAILED, narrowUtf8(message)), MB_ICONWARNING);
        return;
    }
    runChecks();
}

void onFindingChosen(void)
{
    int row = (int)SendMessageW(item(IDC_FINDINGS), LB_GETCURSEL, 0, 0);
    if (row < 0 || row >= (int)findingPlaces.size())
        return;
    SetWindowTextW(item(IDC_FINDING_WHOLE), findingRows[(size_t)row].c_str());
    DesignPlace fixAt;
    std::string command;
    Text fix = fixOf(row, &fixAt, &command);
    if (fix != T_APP && !readOnly) {
        std::string shown(command.size() * 3 + 4, '\0');
        sjisToUtf8(command.c_str(), &shown[0], shown.size());
        shown.resize(strlen(shown.c_str()));
        SetWindowTextW(item(IDC_FINDING_FIX), say(fix, shown).c_str());
        ShowWindow(item(IDC_FINDING_FIX), SW_SHOWNA);
    } else {
        ShowWindow(item(IDC_FINDING_FIX), SW_HIDE);
    }
    DesignPlace found;
    if (!placeOfFinding(&document, findingPlaces[(size_t)row].c_str(), &found))
        return;
    place = found;
    showPlace();
}
