// The MenuSurface's window procedure under Wine: what it does with button
// messages and paints before and while the menu loads, and the palette made
// ready on every device context it draws on at 256 colours. What the menu
// asks of the system is watched through this program's imports.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <map>
#include <string>
#include <vector>

#include "graphics/draw.h"
#include "graphics/layout.h"
#include "input/navigation.h"
#include "menu/home.h"
#include "menu/model.h"
#include "shell/shell.h"
#include "support.h"

HINSTANCE appInstance;  // the entry routine's (shell/frame.cpp stays with the program)

namespace {

// --- What the menu asks of the system -------------------------------------

enum CallKind { WINDOW_DC, PAINT_DC, SELECT_PALETTE, REALIZE, CONVERT, SOUND };
struct Call {
    CallKind kind;
    HDC dc;
    HPALETTE palette;
    BOOL background;
};
std::vector<Call> calls;

typedef HDC(WINAPI* GetDCFn)(HWND);
typedef HDC(WINAPI* BeginPaintFn)(HWND, LPPAINTSTRUCT);
typedef HPALETTE(WINAPI* SelectPaletteFn)(HDC, HPALETTE, BOOL);
typedef UINT(WINAPI* RealizePaletteFn)(HDC);
typedef HBITMAP(WINAPI* CreateDIBitmapFn)(HDC, const BITMAPINFOHEADER*, DWORD, const void*,
                                          const BITMAPINFO*, UINT);
GetDCFn realGetDC;
BeginPaintFn realBeginPaint;
SelectPaletteFn realSelectPalette;
RealizePaletteFn realRealizePalette;
CreateDIBitmapFn realCreateDIBitmap;
void* realSound;

HDC WINAPI watchGetDC(HWND window)
{
    HDC dc = realGetDC(window);
    calls.push_back({WINDOW_DC, dc, 0, FALSE});
    return dc;
}

HDC WINAPI watchBeginPaint(HWND window, LPPAINTSTRUCT ps)
{
    HDC dc = realBeginPaint(window, ps);
    calls.push_back({PAINT_DC, dc, 0, FALSE});
    return dc;
}

HPALETTE WINAPI watchSelectPalette(HDC dc, HPALETTE palette, BOOL background)
{
    calls.push_back({SELECT_PALETTE, dc, palette, background});
    return realSelectPalette(dc, palette, background);
}

UINT WINAPI watchRealizePalette(HDC dc)
{
    calls.push_back({REALIZE, dc, 0, FALSE});
    return realRealizePalette(dc);
}

HBITMAP WINAPI watchCreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init,
                                   const void* bits, const BITMAPINFO* info, UINT usage)
{
    calls.push_back({CONVERT, dc, 0, FALSE});
    return realCreateDIBitmap(dc, header, init, bits, info, usage);
}

// Counted, not played: the exit button's click would hold the thread.
BOOL WINAPI watchSound(LPCSTR, UINT)
{
    calls.push_back({SOUND, 0, 0, FALSE});
    return TRUE;
}

int count(CallKind kind)
{
    int n = 0;
    for (const Call& c : calls)
        n += c.kind == kind;
    return n;
}

// Pictures converted, and how many of them on a device context that had
// not had menuPalette selected in the foreground and realised since it was
// taken.
struct Conversions {
    int all;
    int withoutPalette;
};

Conversions conversions()
{
    std::map<HDC, int> ready;  // 0 taken, 1 palette selected, 2 realised too
    Conversions result = {0, 0};
    for (const Call& c : calls) {
        switch (c.kind) {
        case WINDOW_DC:
        case PAINT_DC: ready[c.dc] = 0; break;
        case SELECT_PALETTE:
            ready[c.dc] = c.palette == menuPalette && menuPalette && !c.background ? 1 : 0;
            break;
        case REALIZE:
            if (ready[c.dc] == 1)
                ready[c.dc] = 2;
            break;
        case CONVERT:
            result.all++;
            result.withoutPalette += ready[c.dc] != 2;
            break;
        case SOUND: break;
        }
    }
    return result;
}

// --- The surface ---------------------------------------------------------------

// An 8x8 picture of 8 bits, to stand in for every built-in one.
std::vector<unsigned char> makePicture()
{
    std::string file = bmpFile(8, 8, 8);
    return std::vector<unsigned char>(file.begin() + 14, file.end());
}

const char frameClass[] = "SurfaceTestFrame";

// Page 1 holds seven entries (two groups); entry 6 has one button at the
// top-left corner of the ContentArea.
const char menuDat[] =
    "[MENU]\r\nPage1=P\r\n[P]\r\nTitle=Page\r\n"
    "Menu1=E1\r\nMenu2=E2\r\nMenu3=E3\r\nMenu4=E4\r\nMenu5=E5\r\nMenu6=E6\r\nMenu7=E7\r\n"
    "[E1]\r\nTitle=One\r\nCommand1=First\r\n"
    "[E6]\r\nTitle=Six\r\nCommand1=Sixth\r\nBtnPos1=0,0\r\n";

const POINT exitButton = {610, 457}, tab1 = {64, 69}, slot2 = {520, 164},
            nextArrow = {586, 330}, outside = {5, 5}, button = {20, 110};

class Surface : public ::testing::Test {
protected:
    HWND frame = 0, surface = 0;
    std::vector<unsigned char> picture = makePicture();
    int savedDisplayBits = displayBits;

    void SetUp() override
    {
        std::string dir = tempFolder("surface");
        writeFile(dir, "MENU.DAT", menuDat);
        setHome((dir + "\\MENU.EXE").c_str());
        appInstance = GetModuleHandleA(0);
        static bool registered;
        if (!registered) {
            WNDCLASSA wc;
            ZeroMemory(&wc, sizeof wc);
            wc.style = CS_HREDRAW | CS_VREDRAW;
            wc.lpfnWndProc = surfaceWndProc;
            wc.hInstance = appInstance;
            wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
            wc.lpszClassName = SURFACE_CLASS;
            RegisterClassA(&wc);
            wc.lpfnWndProc = DefWindowProcA;
            wc.lpszClassName = frameClass;
            RegisterClassA(&wc);
            registered = true;
        }
        realGetDC = (GetDCFn)swapImport("user32.dll", "GetDC", (void*)watchGetDC);
        realBeginPaint =
            (BeginPaintFn)swapImport("user32.dll", "BeginPaint", (void*)watchBeginPaint);
        realSelectPalette = (SelectPaletteFn)swapImport("gdi32.dll", "SelectPalette",
                                                        (void*)watchSelectPalette);
        realRealizePalette = (RealizePaletteFn)swapImport("gdi32.dll", "RealizePalette",
                                                          (void*)watchRealizePalette);
        realCreateDIBitmap = (CreateDIBitmapFn)swapImport("gdi32.dll", "CreateDIBitmap",
                                                          (void*)watchCreateDIBitmap);
        realSound = swapImport("winmm.dll", "sndPlaySoundA", (void*)watchSound);
        ASSERT_TRUE(realGetDC && realBeginPaint && realSelectPalette && realRealizePalette &&
                    realCreateDIBitmap && realSound)
            << "an import of the drawing code was not found";
        calls.clear();

        resetPointer();
        frame = CreateWindowExA(0, frameClass, "frame", WS_OVERLAPPED | WS_CAPTION, 0, 0, 700,
                                560, 0, 0, appInstance, 0);
        surface = CreateWindowExA(0, SURFACE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 640, 480,
                                  frame, (HMENU)(INT_PTR)SURFACE_ID, appInstance, 0);
        ASSERT_TRUE(frame && surface);
    }

    void TearDown() override
    {
        // The windows go first: the model's free still knows which button
        // picture is the shared one.
        if (frame)
            DestroyWindow(frame);
        MSG m;
        while (PeekMessageA(&m, 0, 0, 0, PM_REMOVE))
            ;
        backgroundPicture = counterPicture = defaultButtonPicture = 0;
        for (int i = 0; i < CONTROL_COUNT; i++)
            controlStrip[i] = 0;
        displayBits = savedDisplayBits;
        if (realGetDC) {
            swapImport("user32.dll", "GetDC", (void*)realGetDC);
            swapImport("user32.dll", "BeginPaint", (void*)realBeginPaint);
            swapImport("gdi32.dll", "SelectPalette", (void*)realSelectPalette);
            swapImport("gdi32.dll", "RealizePalette", (void*)realRealizePalette);
            swapImport("gdi32.dll", "CreateDIBitmap", (void*)realCreateDIBitmap);
            swapImport("winmm.dll", "sndPlaySoundA", realSound);
        }
    }

    void paint() { SendMessageA(surface, WM_PAINT, 0, 0); }
    void down(POINT p) { SendMessageA(surface, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
    void up(POINT p) { SendMessageA(surface, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y)); }

    // Takes the posted messages of one kind off the queue; returns how many.
    int takePosted(HWND window, UINT message)
    {
        MSG m;
        int n = 0;
        while (PeekMessageA(&m, window, message, message, PM_REMOVE))
            n++;
        return n;
    }

    // Through the first paint and both loading messages to the ready state.
    void load()
    {
        paint();
        ASSERT_EQ(1, takePosted(surface, MSG_LOADMENU));
        SendMessageA(surface, MSG_LOADMENU, 0, 0);
        ASSERT_EQ(1, takePosted(surface, MSG_SHOWMENU));
        SendMessageA(surface, MSG_SHOWMENU, 0, 0);
    }

    // Whether Tab moved the keyboard focus.
    bool tabActed()
    {
        int before = focusItem;
        SendMessageA(surface, WM_KEYDOWN, VK_TAB, 1);
        SendMessageA(surface, WM_KEYUP, VK_TAB, 0xC0000001);
        return focusItem != before;
    }

    // Whether a press on the exit button acted: sound, capture, its flag.
    bool exitPressActed()
    {
        calls.clear();
        down(exitButton);
        bool acted = count(SOUND) > 0 || GetCapture() == surface || controlPressed[CONTROL_EXIT];
        up(exitButton);
        return acted;
    }
};

TEST_F(Surface, ButtonsWaitForTheLoadingAndLoadingStartsOnce)
{
    // Every control enabled, so that a press that is not ignored shows.
    for (int i = 0; i < CONTROL_COUNT; i++) {
        controlDisabled[i] = 0;
        controlPressed[i] = 0;
    }
    EXPECT_FALSE(exitPressActed()) << "before the first paint";
    EXPECT_FALSE(tabActed()) << "before the first paint";
    EXPECT_EQ(0, takePosted(frame, WM_CLOSE));

    // However many paints come before it is handled, one MSG_LOADMENU.
    backgroundPicture = picture.data();
    calls.clear();
    paint();
    paint();
    paint();
    EXPECT_EQ(0, count(CONVERT)) << "the first paints draw nothing";
    EXPECT_EQ(1, takePosted(surface, MSG_LOADMENU));
    EXPECT_FALSE(exitPressActed()) << "MSG_LOADMENU not yet handled";

    SendMessageA(surface, MSG_LOADMENU, 0, 0);
    EXPECT_EQ(0, controlDisabled[CONTROL_FIRST_TAB]) << "MENU.DAT's page";
    EXPECT_EQ(1, controlDisabled[CONTROL_FIRST_TAB + 1]);
    EXPECT_EQ(1, takePosted(surface, MSG_SHOWMENU));
    backgroundPicture = picture.data();  // the resource this program lacks
    calls.clear();
    paint();
    EXPECT_EQ(0, count(CONVERT)) << "a paint while loading draws nothing";
    EXPECT_FALSE(exitPressActed()) << "MSG_SHOWMENU not yet handled";
    EXPECT_FALSE(tabActed()) << "MSG_SHOWMENU not yet handled";
    EXPECT_EQ(0, takePosted(frame, WM_CLOSE));

    SendMessageA(surface, MSG_SHOWMENU, 0, 0);
    calls.clear();
    paint();
    EXPECT_GT(count(CONVERT), 0) << "ready: the paint draws the menu";
    calls.clear();
    down(exitButton);
    EXPECT_EQ(1, count(SOUND));
    EXPECT_EQ(surface, GetCapture());
    EXPECT_EQ(1, controlPressed[CONTROL_EXIT]);
    up(exitButton);
    EXPECT_EQ(1, takePosted(frame, WM_CLOSE));
    EXPECT_EQ(0, takePosted(surface, MSG_LOADMENU)) << "loading is over for good";
    EXPECT_TRUE(tabActed());
    EXPECT_EQ(CONTROL_FIRST_TAB, focusItem) << "the one page's tab";
}

TEST_F(Surface, EveryDrawingAtTwoHundredFiftySixColoursRealisesThePaletteFirst)
{
    load();
    for (int i = 0; i < CONTROL_COUNT; i++)
        controlStrip[i] = picture.data();
    backgroundPicture = counterPicture = defaultButtonPicture = picture.data();

    displayBits = 8;
    std::vector<unsigned char> block(sizeof(LOGPALETTE) + 31 * sizeof(PALETTEENTRY));
    LOGPALETTE* table = (LOGPALETTE*)block.data();
    table->palVersion = 0x300;
    table->palNumEntries = 32;
    PALETTEENTRY* entry = table->palPalEntry;  // the block holds 32
    for (int i = 0; i < 32; i++)
        entry[i] = {(BYTE)(i * 8), (BYTE)(255 - i * 8), (BYTE)(i * 3), 0};
    menuPalette = CreatePalette(table);  // deleted with the surface
    ASSERT_TRUE(menuPalette != nullptr);

    const struct {
        const char* name;
        std::vector<std::pair<bool, POINT>> presses;  // down (true) or up, where
    } actions[] = {
        {"exit button held and let go outside", {{true, exitButton}, {false, outside}}},
        {"page selected", {{true, tab1}, {false, tab1}}},
        {"entry selected", {{true, slot2}, {false, slot2}}},
        {"next group", {{true, nextArrow}, {false, nextArrow}}},
        {"command button held and let go outside", {{true, button}, {false, outside}}},
    };
    for (const auto& a : actions) {
        SCOPED_TRACE(a.name);
        calls.clear();
        for (const auto& p : a.presses)
            p.first ? down(p.second) : up(p.second);
        Conversions c = conversions();
        EXPECT_GT(c.all, 0) << "nothing drawn";
        EXPECT_EQ(0, c.withoutPalette);
    }
    ASSERT_EQ(1, subPage) << "the arrow moved to the second group";
    ASSERT_EQ(1, commandCount);
    calls.clear();
    paint();
    EXPECT_GT(conversions().all, CONTROL_COUNT);
    EXPECT_EQ(0, conversions().withoutPalette) << "full paint";

    // At any other depth no palette is selected at all.
    displayBits = 24;
    calls.clear();
    paint();
    down(exitButton);
    up(outside);
    EXPECT_GT(count(CONVERT), 0);
    EXPECT_EQ(0, count(SELECT_PALETTE));
    EXPECT_EQ(0, count(REALIZE));
}

}  // namespace
