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

void resetPointer(void);  // back to idle, no focus

// Keyboard. The focus is an item of input/access.h, -1 before the first
// key; its rectangle shows once a key was used and until a pointer press,
// and only while the surface has the keyboard focus.
extern int focusItem;
extern int focusShown;
extern int surfaceFocused;

enum { KEY_TAB = 0x09, KEY_RETURN = 0x0D, KEY_SPACE = 0x20, KEY_LEFT = 0x25, KEY_UP = 0x26,
       KEY_RIGHT = 0x27, KEY_DOWN = 0x28 };

// Tab and Shift+Tab through the focusable items in reading order, Left and
// Right among the tabs, Up and Down among the slots; Enter and Space press
// the focused item as the pointer does and let go on their release. A
// repeat is not a new press. False for keys the menu has no use for.
bool onKeyDown(SurfaceWindow window, unsigned key, bool shift, bool repeat);
bool onKeyUp(SurfaceWindow window, unsigned key);
void onFocusChange(SurfaceWindow window, bool focused);
// A click on the item, pressed and let go at once (a screen reader's
// default action); nothing when it cannot be clicked or a press is held.
void activateItem(SurfaceWindow window, int item);
void setFocusItem(SurfaceWindow window, int item);  // focusable items only
bool focusRectShown(int item);

#endif
