// Announcements to screen readers (Active Accessibility): focus and
// selection changes on the MenuSurface, child id = reading position + 1.
// NotifyWinEvent is looked up when first needed: Windows 95 lacks it.
#include <windows.h>

#include "input/access.h"
#include "input/access_win32.h"

typedef void(WINAPI* NotifyWinEventFn)(DWORD, HWND, LONG, LONG);

static int notifyLooked;
static NotifyWinEventFn notifyWinEvent;  // not on Windows 95

void announce(HWND window, DWORD event, int item)
{
    if (!notifyLooked) {
        notifyLooked = 1;
        HMODULE user = GetModuleHandleA("USER32.DLL");
        if (user)
            notifyWinEvent = (NotifyWinEventFn)(void*)GetProcAddress(user, "NotifyWinEvent");
    }
    if (notifyWinEvent)
        notifyWinEvent(event, window, OBJID_CLIENT,
                       item < 0 ? CHILDID_SELF : positionOfItem(item) + 1);
}
