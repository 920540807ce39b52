// The pictures MENU.DAT names: found on the disc, read by the menu's own
// reader, and measured against the 256-colour palette.
#include "tools/menucheck/checkrun.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "menu/text.h"
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/picture.h"

namespace check {

// On a 256-colour display, colours this far (mean over the pixels, in RGB
// units) from the palette look plainly different from the picture.
static const double PALETTE_WARNING_DISTANCE = 24.0;

// --- Pictures -----------------------------------------------------------------

static void reasonText(char* out, size_t size, PictureReason reason)
{
    // The code travels in the finding; messages.cpp words it.
    numberText(out, size, reason);
}

// The bit-field masks Windows 95, 98 and Me draw: 5-5-5 and 5-6-5 at 16
// bits, 8-8-8 at 32 (red, green, blue).
static const unsigned long oldWindowsMasks[3][3] = {
    {0x7C00, 0x03E0, 0x001F},
    {0xF800, 0x07E0, 0x001F},
    {0x00FF0000, 0x0000FF00, 0x000000FF},
};

// Windows 95, 98 and Me refuse a bitmap over 16 MB; the menu makes one in
// the display's format at every draw, 4 bytes a pixel on a 32-bit display.
static const unsigned long long OLD_WINDOWS_BITMAP_BYTES = 16ULL * 1024 * 1024;

// What a picture that the menu draws does on Windows 95, 98 and Me.
static void checkOldWindows(const PictureInfo* p, const char* shown)
{
    if (p->compression == 3) {  // BI_BITFIELDS
        bool drawn = false;
        for (int m = 0; m < 3; m++)
            drawn = drawn || (p->masks[0] == oldWindowsMasks[m][0] &&
                              p->masks[1] == oldWindowsMasks[m][1] &&
                              p->masks[2] == oldWindowsMasks[m][2] &&
                              (m == 2) == (p->bitCount == 32));
        if (!drawn) {
            char masks[3][16];
            for (int i = 0; i < 3; i++)
                snprintf(masks[i], sizeof masks[i], "0x%08lX", p->masks[i]);
            addFinding(FINDING_WARNING, F_W9X_MASKS, shown, 0, masks[0], masks[1], masks[2]);
        }
    }
    unsigned long long bytes = (unsigned long long)p->width * (unsigned long long)p->height * 4;
    if (bytes > OLD_WINDOWS_BITMAP_BYTES) {
        char size[32];
        numberText(size, sizeof size, (long long)bytes);
        addFinding(FINDING_WARNING, F_W9X_BITMAP_SIZE, shown, 0, size);
    }
}

// The picture a BtnBmp%d or Bmp%d file name gives: joined to the menu's
// folder (the disc's root) as the model joins it.
int pictureFor(const char* name, const char* where, int line, bool button)
{
    char joined[DISC_PATH_BYTES], absolute[DISC_PATH_BYTES];
    copyText(joined, sizeof joined, discRoot);
    joinPath(joined, sizeof joined, name);
    absoluteDiscPath(discRoot, joined, absolute, sizeof absolute);
    char shown[FINDING_ARG_BYTES];
    sjisToUtf8(absolute, shown, sizeof shown);

    int index = -1;
    for (int i = 0; i < report->pictureCount; i++)
        if (sameKeyName(report->pictures[i].discPath, absolute))
            index = i;
    if (index < 0) {
        if (!grow((void**)&report->pictures, report->pictureCount, &pictureRoom,
                  sizeof(PictureInfo)))
            return -1;
        index = report->pictureCount++;
        PictureInfo* p = &report->pictures[index];
        memset(p, 0, sizeof *p);
        copyText(p->discPath, sizeof p->discPath, absolute);
        char host[HOST_PATH];
        int same = 1;
        if (!onDrive(absolute, options->drive))
            p->reason = PICTURE_OFF_DISC;
        else if (findOnDisc(hostFolder, absolute, host, sizeof host, &same) != DISC_FILE)
            p->reason = PICTURE_NOT_FOUND;
        else
            examinePicture(host, options->palette, options->paletteCount, p);
        if (p->reason == PICTURE_OK && !same)
            addFinding(FINDING_NOTE, F_NAME_CASE, where, line, shown);
        if (p->reason == PICTURE_OK)
            checkOldWindows(p, shown);
        if (p->distanceKnown && p->meanDistance > PALETTE_WARNING_DISTANCE) {
            char mean[32], max[32];
            snprintf(mean, sizeof mean, "%.1f", p->meanDistance);
            snprintf(max, sizeof max, "%.1f", p->maxDistance);
            addFinding(FINDING_WARNING, F_PALETTE_FAR, shown, 0, mean, max);
        }
    }
    const PictureInfo* p = &report->pictures[index];
    if (p->reason == PICTURE_OFF_DISC) {
        addFinding(FINDING_WARNING, F_PICTURE_OFF_DISC, where, line, shown);
    } else if (p->reason != PICTURE_OK) {
        char reason[16];
        reasonText(reason, sizeof reason, p->reason);
        addFinding(FINDING_ERROR, button ? F_BUTTON_PICTURE : F_PICTURE_UNREADABLE, where,
                   line, shown, reason);
    }
    return index;
}

}  // namespace check
