// The fixed layout of the MenuSurface, the control flags, and the caption
// and cell arithmetic that painting and hit testing share.
#include "graphics/layout.h"

#include <limits.h>
#include <string.h>

#include "menu/model.h"
#include "menu/text.h"

const int controlPosition[CONTROL_COUNT][2] = {
    {580, 435}, {443, 310}, {566, 310},                         // exit, arrows
    {1, 56}, {129, 56}, {257, 56}, {385, 56}, {513, 56},        // page tabs
    {402, 107}, {402, 147}, {402, 187}, {402, 227}, {402, 267}, // entry slots
};
const int controlSource[CONTROL_COUNT][2] = {
    {0, 0}, {0, 45}, {0, 85},
    {0, 0}, {0, 26}, {0, 52}, {0, 78}, {0, 104},
    {0, 0}, {0, 35}, {0, 70}, {0, 105}, {0, 140},
};
const int controlSize[CONTROL_COUNT][2] = {
    {60, 45}, {40, 40}, {40, 40},
    {126, 26}, {126, 26}, {126, 26}, {126, 26}, {126, 26},
    {237, 35}, {237, 35}, {237, 35}, {237, 35}, {237, 35},
};

int controlPressed[CONTROL_COUNT];
int controlDisabled[CONTROL_COUNT];

PackedDib backgroundPicture;
PackedDib navStrip;
PackedDib tabStrip;
PackedDib entryStrip;
PackedDib defaultButtonPicture;
PackedDib counterPicture;
PackedDib controlStrip[CONTROL_COUNT];

bool insideRect(long px, long py, int x, int y, int w, int h)
{
    // In 64 bits, so that no rectangle near the int limits wraps.
    long long lx = x, ly = y;
    return lx <= px && px < lx + w && ly <= py && py < ly + h;
}

int controlCellX(int i)
{
    int w = controlSize[i][0];
    if (controlPressed[i])
        return controlSource[i][0] + w;
    if (controlDisabled[i])
        return controlSource[i][0] + 2 * w;
    return controlSource[i][0];
}

// Sums in 64 bits, clamped: a button placed near the int limits by
// MENU.DAT must not overflow.
static int clampSum(long long v)
{
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : (int)v;
}

int centredX(int x, int w, int textWidth)
{
    return clampSum(x + ((long long)w - textWidth) / 2);
}

int captionY(int y, int h)
{
    return clampSum(y + ((long long)h - CAPTION_HEIGHT) / 2);
}

void tabCaptionPos(int i, int textWidth, int* x, int* y)
{
    *x = centredX(controlPosition[i][0], controlSize[i][0], textWidth);
    *y = captionY(controlPosition[i][1], controlSize[i][1]);
}

void entryCaptionPos(int i, int* x, int* y)
{
    *x = controlPosition[i][0] + 30;
    *y = captionY(controlPosition[i][1], controlSize[i][1]) + 2;
}

void counterCaptionPos(int textWidth, int* x, int* y)
{
    *x = centredX(COUNTER_X, COUNTER_W, textWidth);
    *y = captionY(COUNTER_Y, COUNTER_H);
}

const char* entryCaptionOf(int i)
{
    if (subPage < 0)
        return 0;
    long long e = (long long)subPage * 5 + (i - CONTROL_FIRST_SLOT);
    if (e < 0 || e >= entryCount || !entryTitle)
        return 0;
    return entryTitle[e];
}

int counterText(char* text, int size)
{
    if (size <= 0)
        return 0;
    text[0] = 0;
    if (subPageCount < 1 || size < 24)
        return 0;
    appendDecimal(text, (size_t)size, subPage < 0 ? 0u : (unsigned)subPage + 1);
    size_t n = strlen(text);
    text[n++] = '/';
    text[n] = 0;
    return (int)appendDecimal(text, (size_t)size, (unsigned)subPageCount);
}
