// Where buttons, pictures and captions land on the 640x480 surface.
#include "tools/menucheck/checkrun.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "graphics/layout.h"
#include "tools/menucheck/encoding.h"

namespace check {

// What the fixed controls and the counter panel are called in findings.
static const char* const controlNames[CONTROL_COUNT] = {
    "exit", "previous", "next", "tab1", "tab2", "tab3", "tab4", "tab5",
    "slot1", "slot2", "slot3", "slot4", "slot5",
};

// --- Places on the surface ----------------------------------------------------

bool overlaps(int ax, int ay, int aw, int ah, int bx, int by, int bw, int bh)
{
    long long l = ax > bx ? ax : bx;
    long long t = ay > by ? ay : by;
    long long r = (long long)ax + aw < (long long)bx + bw ? (long long)ax + aw : (long long)bx + bw;
    long long b = (long long)ay + ah < (long long)by + bh ? (long long)ay + ah : (long long)by + bh;
    return l < r && t < b;
}

static void rectText(char* out, size_t size, int x, int y, int w, int h)
{
    snprintf(out, size, "(%d,%d)-(%lld,%lld)", x, y, (long long)x + w, (long long)y + h);
}

static bool fits16Bits(long long v)
{
    return v >= -32768 && v <= 32767;
}

// A button or picture outside the ContentArea or over a fixed control.
void checkPlace(const char* where, int line, int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0)
        return;
    char rect[64];
    rectText(rect, sizeof rect, x, y, w, h);
    // Windows 95, 98 and Me keep only the low 16 bits of a coordinate.
    if (!fits16Bits(x) || !fits16Bits(y) || !fits16Bits((long long)x + w) ||
        !fits16Bits((long long)y + h))
        addFinding(FINDING_WARNING, F_W9X_COORDINATES, where, line, rect);
    bool inside = x >= CONTENT_LEFT && y >= CONTENT_TOP &&
                  (long long)x + w <= CONTENT_RIGHT && (long long)y + h <= CONTENT_BOTTOM;
    if (inside)
        return;
    addFinding(FINDING_WARNING, F_OUTSIDE_CONTENT, where, line, rect);
    for (int i = 0; i < CONTROL_COUNT; i++)
        if (overlaps(x, y, w, h, controlPosition[i][0], controlPosition[i][1],
                     controlSize[i][0], controlSize[i][1]))
            addFinding(FINDING_WARNING, F_OVER_CONTROL, where, line, controlNames[i]);
    if (overlaps(x, y, w, h, COUNTER_X, COUNTER_Y, COUNTER_W, COUNTER_H))
        addFinding(FINDING_WARNING, F_OVER_CONTROL, where, line, "counter");
}

void checkTitleWidth(const char* section, const char* title, int room)
{
    int width = estimateCaptionWidth(title);
    if (width <= room)
        return;
    char where[WHERE_BYTES], text[FINDING_ARG_BYTES], w[16], r[16];
    whereKey(where, sizeof where, section, "Title");
    sjisToUtf8(title, text, sizeof text);
    numberText(w, sizeof w, width);
    numberText(r, sizeof r, room);
    addFinding(FINDING_WARNING, F_TITLE_WIDE, where, keyLine(section, "Title"), text, w, r);
}

}  // namespace check
