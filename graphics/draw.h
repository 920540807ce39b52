// Drawing on the MenuSurface (Win32 only): pictures, the palette on
// 256-colour displays, and the painting of the menu.
#ifndef GRAPHICS_DRAW_H
#define GRAPHICS_DRAW_H

#include <windows.h>

#include "graphics/dib.h"

extern int displayBits;        // bits per pixel x planes, measured at start
extern HFONT menuFont;         // the font of every caption
extern HPALETTE menuPalette;   // from the background on 8-bit displays

// Creates menuFont: 16 pixels, bold, Shift-JIS, face "ＭＳ Ｐゴシック"
// (in Shift-JIS below). Here for every program that paints the menu.
inline void createMenuFont(void)
{
    static const char face[] =
        "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
    LOGFONTA font;
    ZeroMemory(&font, sizeof font);
    font.lfHeight = 16;
    font.lfWeight = FW_BOLD;
    font.lfCharSet = SHIFTJIS_CHARSET;
    CopyMemory(font.lfFaceName, face, sizeof face);
    menuFont = CreateFontIndirectA(&font);
}

// Copies the w x h rectangle at (srcX, srcY) of the picture, as displayed
// (top row first), to (x, y). A null picture draws nothing.
void drawDib(HDC dc, int x, int y, int w, int h, PackedDib dib, int srcX, int srcY);
HPALETTE createDibPalette(PackedDib dib);
void selectMenuPalette(HDC dc);

void paintMenu(HDC dc);
// Draws on dc when given; otherwise on the window's own device context,
// palette realised first.
void drawControl(HWND window, HDC dc, int control);
void drawCommandButton(HWND window, HDC dc, int button);
void drawPageCounter(HDC dc);
void drawDecorations(HDC dc);
void drawTabCaption(HDC dc, int control);
void drawEntryCaption(HDC dc, int control);

#endif
