// What the pointer logic asks of the screen and the system, on Win32.
#include "input/view.h"

#include <windows.h>
#include <mmsystem.h>

#include "graphics/draw.h"
#include "graphics/layout.h"
#include "input/access_win32.h"
#include "launch/launch.h"
#include "shell/shell.h"

static HDC sequenceDC;         // window DC of an open redraw sequence, or null
static HGDIOBJ sequenceFont;   // its font before the sequence, put back after

void viewPlayClick(int flags)
{
    sndPlaySoundA((LPCSTR)clickSound, (UINT)flags);
}

void viewCapture(SurfaceWindow window)
{
    SetCapture((HWND)window);
}

void viewReleaseCapture(void)
{
    ReleaseCapture();
}

void* viewWaitCursor(void)
{
    return SetCursor(LoadCursorA(NULL, IDC_WAIT));
}

void viewRestoreCursor(void* previous)
{
    SetCursor((HCURSOR)previous);
}

void viewOpen(SurfaceWindow window)
{
    sequenceDC = GetDC((HWND)window);
    sequenceFont = GetCurrentObject(sequenceDC, OBJ_FONT);
    selectMenuPalette(sequenceDC);
}

void viewClose(SurfaceWindow window)
{
    if (sequenceFont)
        SelectObject(sequenceDC, sequenceFont);
    ReleaseDC((HWND)window, sequenceDC);
    sequenceDC = NULL;
}

void viewDrawControl(SurfaceWindow window, int control)
{
    drawControl((HWND)window, sequenceDC, control);
}

void viewDrawCounter(SurfaceWindow)
{
    if (sequenceDC)
        drawPageCounter(sequenceDC);
}

void viewDrawCommand(SurfaceWindow window, int button)
{
    drawCommandButton((HWND)window, NULL, button);
}

void viewInvalidateContent(SurfaceWindow window)
{
    RECT content;
    SetRect(&content, CONTENT_LEFT, CONTENT_TOP, CONTENT_RIGHT, CONTENT_BOTTOM);
    InvalidateRect((HWND)window, &content, FALSE);
    announce((HWND)window, EVENT_OBJECT_REORDER, -1);  // other command buttons
}

void viewCloseFrame(SurfaceWindow window)
{
    PostMessageA(GetParent((HWND)window), WM_CLOSE, 0, 0);
}

void viewLaunch(SurfaceWindow window, int button)
{
    launchCommand(window, button);
}

void viewAnnounce(SurfaceWindow window, int event, int item)
{
    announce((HWND)window, event == ANNOUNCE_FOCUS ? EVENT_OBJECT_FOCUS : EVENT_OBJECT_SELECTION,
             item);
}
