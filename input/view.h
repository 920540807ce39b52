// What the pointer logic asks of the screen and the system. The Win32 layer
// implements these over the MenuSurface window (input/view_win32.cpp); the
// unit tests implement them as a log of calls.
#ifndef INPUT_VIEW_H
#define INPUT_VIEW_H

typedef void* SurfaceWindow;  // the MenuSurface's HWND

enum { SOUND_SYNC = 6, SOUND_ASYNC = 7 };  // SND_MEMORY|SND_NODEFAULT[|SND_ASYNC]

void viewPlayClick(int flags);
void viewCapture(SurfaceWindow window);
void viewReleaseCapture(void);
// Wait cursor on; returns the previous cursor for viewRestoreCursor.
void* viewWaitCursor(void);
void viewRestoreCursor(void* previous);
// A window device context with the palette realised, for a sequence of
// redraws; viewDrawControl and viewDrawCounter draw on it while it is open,
// and viewDrawControl draws on a fresh one of its own otherwise.
void viewOpen(SurfaceWindow window);
void viewClose(SurfaceWindow window);
void viewDrawControl(SurfaceWindow window, int control);
void viewDrawCounter(SurfaceWindow window);
void viewDrawCommand(SurfaceWindow window, int button);
void viewInvalidateContent(SurfaceWindow window);
void viewCloseFrame(SurfaceWindow window);  // WM_CLOSE posted to the parent
void viewLaunch(SurfaceWindow window, int button);
// Tells screen readers that an item (input/access.h) took the keyboard
// focus or was selected.
enum { ANNOUNCE_FOCUS, ANNOUNCE_SELECTION };
void viewAnnounce(SurfaceWindow window, int event, int item);

#endif
