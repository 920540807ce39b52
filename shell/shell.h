// The application shell: the MainFrame and the MenuSurface.
#ifndef SHELL_SHELL_H
#define SHELL_SHELL_H

#include <windows.h>

#define FRAME_CLASS "XERVOMENUClass"
#define SURFACE_CLASS "XERVOMENUCHILDClass"
#define FRAME_TITLE "XERVO CD-ROM MENU"
#define SURFACE_ID 1

enum {
    MSG_LOADMENU = WM_USER + 1,  // do the loading, then MSG_SHOWMENU
    MSG_SHOWMENU = WM_USER + 2,  // end the loading state, repaint all
    MSG_ACTIVATE = WM_USER + 3,  // a screen reader's click on item wParam
};

extern HINSTANCE appInstance;
extern int screenWidth, screenHeight;
extern HWND surfaceWindow;

extern const BYTE *clickSound;  // the locked WAVE resource "CLICK"

LRESULT CALLBACK frameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK surfaceWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void loadSurface(void);
void releaseSurface(void);

#endif
