// Painting the MenuSurface: background, fixed controls with their captions,
// the page counter, decorations and command buttons, in that order. Every
// picture goes through drawDib, every text through TextOutA in menuFont.
#include <windows.h>

#include <string.h>

#include "graphics/draw.h"
#include "graphics/layout.h"
#include "input/access.h"
#include "input/navigation.h"
#include "menu/model.h"

HFONT menuFont;

// A device context to draw on: the one given, or the window's own with the
// palette realised. Returns null when there is neither.
static HDC takeDC(HWND window, HDC given, HGDIOBJ* oldFont)
{
    *oldFont = NULL;
    if (given || !window)
        return given;
    HDC dc = GetDC(window);
    if (dc) {
        selectMenuPalette(dc);
        *oldFont = GetCurrentObject(dc, OBJ_FONT);
    }
    return dc;
}

static void giveBackDC(HWND window, HDC given, HDC dc, HGDIOBJ oldFont)
{
    if (dc && dc != given) {
        if (oldFont)
            SelectObject(dc, oldFont);
        ReleaseDC(window, dc);
    }
}

static void textAt(HDC dc, int x, int y, const char* text)
{
    TextOutA(dc, x, y, text, (int)strlen(text));
}

static int textWidth(HDC dc, const char* text)
{
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, (int)strlen(text), &size);
    return size.cx;
}

// The system's focus rectangle over an item just drawn: drawn by inverting,
// it goes again when the item is drawn anew.
static void drawFocus(HDC dc, int item)
{
    if (!focusRectShown(item))
        return;
    int x, y, w, h;
    focusRect(item, &x, &y, &w, &h);
    RECT r = {x, y, x + w, y + h};
    // The dots take the colours of the device context; black is also what
    // the page counter, drawn after the controls, expects to find.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &r);
}

void drawTabCaption(HDC dc, int control)
{
    const char* title = pageTitle[control - CONTROL_FIRST_TAB];
    int x, y;
    tabCaptionPos(control, textWidth(dc, title), &x, &y);
    textAt(dc, x, y, title);
}

void drawEntryCaption(HDC dc, int control)
{
    const char* title = entryCaptionOf(control);
    if (!title)
        return;
    int x, y;
    entryCaptionPos(control, &x, &y);
    textAt(dc, x, y, title);
}

void drawControl(HWND window, HDC given, int i)
{
    HGDIOBJ oldFont;
    HDC dc = takeDC(window, given, &oldFont);
    if (!dc)
        return;
    drawDib(dc, controlPosition[i][0], controlPosition[i][1],
            controlSize[i][0], controlSize[i][1], controlStrip[i],
            controlCellX(i), controlSource[i][1]);
    SelectObject(dc, menuFont);
    SetBkMode(dc, TRANSPARENT);
    if (i >= CONTROL_FIRST_TAB && i < CONTROL_FIRST_SLOT) {
        SetTextColor(dc, RGB(255, 255, 255));
        drawTabCaption(dc, i);
    } else if (i >= CONTROL_FIRST_SLOT) {
        SetTextColor(dc, RGB(0, 0, 0));
        drawEntryCaption(dc, i);
    }
    drawFocus(dc, i);
    giveBackDC(window, given, dc, oldFont);
}

// Font, mode and colour are those the controls drawn before left: menuFont,
// transparent, black.
void drawPageCounter(HDC dc)
{
    drawDib(dc, COUNTER_X, COUNTER_Y, COUNTER_W, COUNTER_H, counterPicture, 0, 0);
    char text[24];
    if (counterText(text, sizeof text) > 0) {
        int x, y;
        counterCaptionPos(textWidth(dc, text), &x, &y);
        textAt(dc, x, y, text);
    }
}

void drawDecorations(HDC dc)
{
    for (int k = 0; k < decorationCount; k++) {
        PackedDib picture = decorationPictures[k];
        if (picture)
            drawDib(dc, decorationPositions[k].x, decorationPositions[k].y,
                    (int)dibWidth(picture), (int)dibHeight(picture), picture, 0, 0);
    }
}

void drawCommandButton(HWND window, HDC given, int j)
{
    if (!commandList || j < 0 || j >= commandCount)
        return;
    const CommandButton* b = &commandList[j];
    if (!b->picture)
        return;  // a button whose picture failed shows nothing, not even text
    HGDIOBJ oldFont;
    HDC dc = takeDC(window, given, &oldFont);
    if (!dc)
        return;
    drawDib(dc, b->x, b->y, b->width, b->height, b->picture,
            j == pressedCommand ? b->width : 0, 0);
    SelectObject(dc, menuFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, b->textColour);
    textAt(dc, centredX(b->x, b->width, textWidth(dc, b->caption)),
           captionY(b->y, b->height), b->caption);
    drawFocus(dc, ITEM_FIRST_COMMAND + j);
    giveBackDC(window, given, dc, oldFont);
}

void paintMenu(HDC dc)
{
    selectMenuPalette(dc);
    drawDib(dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, backgroundPicture, 0, 0);
    for (int i = 0; i < CONTROL_COUNT; i++)
        drawControl(NULL, dc, i);
    drawPageCounter(dc);
    drawDecorations(dc);
    for (int j = 0; j < commandCount; j++)
        drawCommandButton(NULL, dc, j);
}
