// Pointer interaction: hit testing, pressed and selected states, page and
// entry selection and movement between groups of five entries.
#ifndef INPUT_NAVIGATION_H
#define INPUT_NAVIGATION_H

#include "input/view.h"

extern int pressedControl;   // 0-2 captured by a press, -1 when none
extern int pressedCommand;   // command button captured by a press, -1
extern int pointerCaptured;  // 1 from a capturing press to the release

// Px and py are the unsigned 16-bit words of the message's lParam.
void onPointerDown(SurfaceWindow window, unsigned px, unsigned py);
void onPointerUp(SurfaceWindow window, unsigned px, unsigned py);

void selectPage(SurfaceWindow window, int tab);     // tab 3-7
void selectEntry(SurfaceWindow window, int slot);   // slot 8-12
void moveSubPage(SurfaceWindow window, int arrow);  // 1 previous, 2 next

// First enabled fixed control under the point (lowest index wins), or -1.
int hitControl(unsigned px, unsigned py);
// First command button under the point, or -1.
int hitCommand(unsigned px, unsigned py);

void resetPointer(void);  // back to idle

#endif
