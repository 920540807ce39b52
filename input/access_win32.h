// The MenuSurface's accessible object and its announcements (Win32).
#ifndef INPUT_ACCESS_WIN32_H
#define INPUT_ACCESS_WIN32_H

#include <windows.h>

// WM_GETOBJECT: true with the result when the surface's object answers;
// false (pass the message on) for other objects or without OLEACC.
bool answerGetObject(HWND window, WPARAM wParam, LPARAM lParam, LRESULT* result);
// NotifyWinEvent for an item of input/access.h (-1: the surface itself),
// where the system has it.
void announce(HWND window, DWORD event, int item);

#endif
