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
