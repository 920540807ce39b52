// The fixed layout of the 640x480 MenuSurface and the state of its 13
// fixed controls: 0 exit button, 1 previous group, 2 next group, 3-7 page
// tabs, 8-12 entry slots.
#ifndef GRAPHICS_LAYOUT_H
#define GRAPHICS_LAYOUT_H

#include "graphics/dib.h"

enum {
    CONTROL_COUNT = 13,
    CONTROL_EXIT = 0,
    CONTROL_PREVIOUS = 1,
    CONTROL_NEXT = 2,
    CONTROL_FIRST_TAB = 3,
    CONTROL_FIRST_SLOT = 8,
    SURFACE_WIDTH = 640,
    SURFACE_HEIGHT = 480,
    CAPTION_HEIGHT = 16,  // height of menuFont
};

extern const int controlPosition[CONTROL_COUNT][2];  // x, y
extern const int controlSource[CONTROL_COUNT][2];    // srcX, srcY in strip
extern const int controlSize[CONTROL_COUNT][2];      // w, h

extern int controlPressed[CONTROL_COUNT];
extern int controlDisabled[CONTROL_COUNT];

// Built-in pictures, locked by the surface from load to teardown.
extern PackedDib backgroundPicture;     // 102, 640x480
extern PackedDib navStrip;              // 103, 180x125
extern PackedDib tabStrip;              // 104, 378x130
extern PackedDib entryStrip;            // 105, 711x175
extern PackedDib defaultButtonPicture;  // 106, 248x32
extern PackedDib counterPicture;        // 107, 40x24
extern PackedDib controlStrip[CONTROL_COUNT];

// ContentArea: origin of button and decoration offsets, repainted after an
// entry change. Right and bottom are exclusive.
enum { CONTENT_LEFT = 11, CONTENT_TOP = 105, CONTENT_RIGHT = 396,
       CONTENT_BOTTOM = 481 };

enum { COUNTER_X = 505, COUNTER_Y = 317, COUNTER_W = 40, COUNTER_H = 24 };

// Half-open hit test: x <= px < x + w and y <= py < y + h.
bool insideRect(long px, long py, int x, int y, int w, int h);

// Source x of control i's cell for its flags (pressed wins over disabled).
int controlCellX(int i);

// Caption positions from a measured text width (divisions truncate).
int centredX(int x, int w, int textWidth);
int captionY(int y, int h);  // y + (h - 16) / 2
void tabCaptionPos(int i, int textWidth, int* x, int* y);
void entryCaptionPos(int i, int* x, int* y);
void counterCaptionPos(int textWidth, int* x, int* y);

// Entry shown on slot i (8-12), or null when the slot shows none.
const char* entryCaptionOf(int i);
// "%d/%d" of subPage + 1 and subPageCount into text (24 bytes or more);
// returns 0 and leaves text empty when the counter shows no numbers.
int counterText(char* text, int size);

#endif
