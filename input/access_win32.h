// The MenuSurface's accessible object and its announcements (Win32).
#ifndef INPUT_ACCESS_WIN32_H
#define INPUT_ACCESS_WIN32_H

#include <windows.h>

// NotifyWinEvent for an item of input/access.h (-1: the surface itself),
// where the system has it.
void announce(HWND window, DWORD event, int item);

#endif
