// Pictures on the screen: drawing a packed DIB, and the palette that
// 256-colour displays need.
#include <windows.h>

#include "graphics/draw.h"

int displayBits;        // bits per pixel x planes of the display
HPALETTE menuPalette;   // from backgroundPicture on 8-bit displays, else null

// A header GDI reads as BITMAPINFO, aligned as one.
union DrawInfo {
    BITMAPINFOHEADER header;
    unsigned char bytes[DIB_DRAW_INFO_SIZE];
};

void drawDib(HDC dc, int x, int y, int w, int h, PackedDib dib, int srcX, int srcY)
{
    if (!dib)
        return;
    // Our own copy of the header: core and OS/2 forms become an info header,
    // and V4/V5 colour spaces and profile offsets never reach GDI.
    DrawInfo info;
    if (!dibDrawInfo(dib, info.bytes, sizeof info.bytes))
        return;
    // The whole picture, converted through the palette selected in dc.
    HBITMAP bitmap = CreateDIBitmap(dc, &info.header, CBM_INIT, dibBits(dib),
                                    (const BITMAPINFO*)&info, DIB_RGB_COLORS);
    if (!bitmap)
        return;
    HDC memory = CreateCompatibleDC(dc);
    if (memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        SetMapMode(memory, GetMapMode(dc));
        // The bitmap is the picture as displayed: (srcX, srcY) counts from
        // its top-left pixel, whatever the row order of the bits.
        BitBlt(dc, x, y, w, h, memory, srcX, srcY, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    DeleteObject(bitmap);
}

HPALETTE createDibPalette(PackedDib dib)
{
    if (displayBits > 8 || !dib)
        return 0;
    unsigned long count = dibPaletteCount(dib);
    if (!count)
        return 0;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE,
                                sizeof(LOGPALETTE) + (count - 1) * sizeof(PALETTEENTRY));
    if (!block)
        return 0;
    LOGPALETTE* palette = (LOGPALETTE*)GlobalLock(block);
    if (!palette) {
        GlobalFree(block);
        return 0;
    }
    palette->palVersion = 0x300;
    palette->palNumEntries = (WORD)count;  // 17 to 256
    // Bit-field masks, when the table holds them, come before the colours.
    unsigned step = dibColourEntrySize(dib);
    const unsigned char* colour = dibColours(dib) + (dibColourCount(dib) - count) * step;
    // The block holds count entries, though LOGPALETTE declares one.
    PALETTEENTRY* entry = palette->palPalEntry;
    for (unsigned long i = 0; i < count; i++, colour += step) {
        entry[i].peRed = colour[2];
        entry[i].peGreen = colour[1];
        entry[i].peBlue = colour[0];
        entry[i].peFlags = 0;
    }
    HPALETTE result = CreatePalette(palette);
    GlobalUnlock(block);
    GlobalFree(block);
    return result;
}

void selectMenuPalette(HDC dc)
{
    if (displayBits == 8 && menuPalette) {
        SelectPalette(dc, menuPalette, FALSE);  // foreground palette
        RealizePalette(dc);
    }
}
