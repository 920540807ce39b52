// Presses and releases against a MENU.DAT on disk, with the screen and the
// system replaced by a log of what the pointer logic asked for.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <unistd.h>

#include "graphics/layout.h"
#include "input/navigation.h"
#include "menu/home.h"
#include "menu/model.h"

static std::string viewLog;
static void logCall(const std::string& s) { viewLog += (viewLog.empty() ? "" : " ") + s; }

void viewPlayClick(int flags) { logCall("sound" + std::to_string(flags)); }
void viewCapture(SurfaceWindow) { logCall("capture"); }
void viewReleaseCapture(void) { logCall("release"); }
void* viewWaitCursor(void) { logCall("wait"); return nullptr; }
void viewRestoreCursor(void*) { logCall("cursor"); }
void viewOpen(SurfaceWindow) { logCall("open"); }
void viewClose(SurfaceWindow) { logCall("close"); }
void viewDrawControl(SurfaceWindow, int c) { logCall("c" + std::to_string(c)); }
void viewDrawCounter(SurfaceWindow) { logCall("counter"); }
void viewDrawCommand(SurfaceWindow, int b) { logCall("b" + std::to_string(b)); }
void viewInvalidateContent(SurfaceWindow) { logCall("content"); }
void viewCloseFrame(SurfaceWindow) { logCall("quit"); }
void viewLaunch(SurfaceWindow, int b) { logCall("launch" + std::to_string(b)); }

namespace {

const unsigned char builtInButton[64] = {40};

// Pages of 0, 5, 6, 7 and 12 entries; every entry has two buttons, and the
// first entry of page 4's second group has a button over the next arrow.
std::string menuText()
{
    const int sizes[5] = {0, 5, 6, 7, 12};
    std::string s = "[MENU]\n";
    for (int p = 0; p < 5; p++)
        s += "Page" + std::to_string(p + 1) + "=P" + std::to_string(p) + "\n";
    for (int p = 0; p < 5; p++) {
        s += "[P" + std::to_string(p) + "]\nTitle=Page " + std::to_string(p) + "\n";
        for (int e = 0; e < sizes[p]; e++)
            s += "Menu" + std::to_string(e + 1) + "=E" + std::to_string(p) + "_" +
                 std::to_string(e) + "\n";
    }
    for (int p = 0; p < 5; p++)
        for (int e = 0; e < sizes[p]; e++) {
            s += "[E" + std::to_string(p) + "_" + std::to_string(e) + "]\nTitle=T" +
                 std::to_string(e) + "\nCommand1=One,ONE.EXE\nCommand2=Two,TWO.EXE\n";
            if (p == 4 && e == 0)
                s += "Command3=Three,X\nBtnPos3=555,205\n";  // covers (566..605, 310..)
        }
    return s;
}

class Navigation : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/navXXXXXX";
        ASSERT_TRUE(mkdtemp(dir));
        folder = dir;
        setHome((folder + "/MENU.EXE").c_str());
        FILE* f = fopen((folder + "/MENU.DAT").c_str(), "wb");
        std::string text = menuText();
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        defaultButtonPicture = builtInButton;
        for (int i = 0; i < CONTROL_COUNT; i++) {
            controlDisabled[i] = 1;
            controlPressed[i] = 0;
        }
        controlDisabled[CONTROL_EXIT] = 0;
        loadDecorations("Menu");
        loadPages();
        resetPointer();
        viewLog.clear();
    }
    void TearDown() override
    {
        freeDecorations();
        freeCommands();
        freeEntries();
        (void)!system(("rm -rf " + folder).c_str());
    }
    void click(unsigned x, unsigned y)
    {
        onPointerDown(nullptr, x, y);
        onPointerUp(nullptr, x, y);
    }
    // Centre of fixed control i.
    unsigned cx(int i) { return controlPosition[i][0] + controlSize[i][0] / 2; }
    unsigned cy(int i) { return controlPosition[i][1] + controlSize[i][1] / 2; }
    std::string flags(const int* f)
    {
        std::string s;
        for (int i = 0; i < CONTROL_COUNT; i++)
            s += char('0' + f[i]);
        return s;
    }
    std::string folder;
};

TEST(HitTest, EveryEdgeOfEveryControl)
{
    for (int i = 0; i < CONTROL_COUNT; i++)
        controlDisabled[i] = 0;
    for (int i = 0; i < CONTROL_COUNT; i++) {
        int x = controlPosition[i][0], y = controlPosition[i][1];
        int w = controlSize[i][0], h = controlSize[i][1];
        EXPECT_EQ(i, hitControl(x, y)) << i;
        EXPECT_EQ(i, hitControl(x + w - 1, y + h - 1)) << i;
        EXPECT_NE(i, hitControl(x + w, y)) << i;
        EXPECT_NE(i, hitControl(x, y + h)) << i;
        EXPECT_NE(i, hitControl(x - 1, y)) << i;
        EXPECT_NE(i, hitControl(x, y - 1)) << i;
        controlDisabled[i] = 1;
        EXPECT_EQ(-1, hitControl(x, y)) << "disabled " << i;
        controlDisabled[i] = 0;
    }
    EXPECT_EQ(0, hitControl(580, 435));
    EXPECT_EQ(0, hitControl(639, 479));
    EXPECT_EQ(-1, hitControl(640, 479));
    EXPECT_EQ(-1, hitControl(639, 480));
    EXPECT_EQ(-1, hitControl(65535, 65535));
    EXPECT_EQ(-1, hitControl(65535, 440));
    EXPECT_EQ(-1, hitCommand(0, 0));  // no command list
}

TEST_F(Navigation, StartScreenRespondsToExitAndPresentTabsOnly)
{
    EXPECT_EQ("0110000011111", flags(controlDisabled));
    click(cx(CONTROL_FIRST_SLOT), cy(CONTROL_FIRST_SLOT));
    click(cx(CONTROL_NEXT), cy(CONTROL_NEXT));
    EXPECT_EQ("", viewLog);  // no sound for a press that hits nothing
}

TEST_F(Navigation, SelectingAPageDrawsInOrderAndSelectsTheFirstEntry)
{
    onPointerDown(nullptr, cx(4), cy(4));  // page of 5 entries
    EXPECT_EQ("sound7 wait open c4 c4 c8 c9 c10 c11 c12 c2 c1 counter close "
              "wait open c8 close content cursor cursor", viewLog);
    EXPECT_EQ("0000100010000", flags(controlPressed));
    EXPECT_EQ("0110000000000", flags(controlDisabled));
    EXPECT_EQ(2, commandCount);

    viewLog.clear();
    onPointerDown(nullptr, cx(5), cy(5));  // another page: the old tab is redrawn first
    EXPECT_EQ(0u, viewLog.find("sound7 wait open c4 c5 c5 c8"));

    viewLog.clear();
    onPointerDown(nullptr, cx(5), cy(5));  // the selected tab only sounds
    EXPECT_EQ("sound7", viewLog);
    onPointerDown(nullptr, cx(8), cy(8));  // so does the selected slot
    EXPECT_EQ("sound7 sound7", viewLog);
}

TEST_F(Navigation, PagesOfZeroFiveSixSevenTwelveEntries)
{
    struct Case { int tab; const char* disabled; int groups; };
    const Case cases[] = {
        {3, "0110000011111", 0},  // no entries: slot 1 still marked selected
        {4, "0110000000000", 1},
        {5, "0100000000000", 2},
        {6, "0100000000000", 2},
        {7, "0100000000000", 3},
    };
    for (const Case& c : cases) {
        onPointerDown(nullptr, cx(c.tab), cy(c.tab));
        EXPECT_EQ(c.disabled, flags(controlDisabled)) << "tab " << c.tab;
        EXPECT_EQ(1, controlPressed[CONTROL_FIRST_SLOT]);
        EXPECT_EQ(1, controlPressed[c.tab]);
        EXPECT_EQ(c.groups, subPageCount);
        EXPECT_EQ(c.groups == 0 ? 0 : c.tab == 7 ? 3 : 2, commandCount);
    }
}

TEST_F(Navigation, ArrowsMoveBetweenGroupsAndSelectSlotOne)
{
    click(cx(6), cy(6));  // 7 entries
    click(cx(9), cy(9));
    EXPECT_EQ(1, controlPressed[9]);
    viewLog.clear();
    click(cx(CONTROL_NEXT), cy(CONTROL_NEXT));
    EXPECT_EQ("capture c2 sound7 release c2 open c2 c1 counter c8 c9 c10 c11 c12 close "
              "wait open c8 close content cursor", viewLog);
    EXPECT_EQ(1, subPage);
    EXPECT_EQ("0010000000111", flags(controlDisabled));
    EXPECT_EQ("0000001010000", flags(controlPressed));

    click(cx(CONTROL_PREVIOUS), cy(CONTROL_PREVIOUS));
    EXPECT_EQ(0, subPage);
    EXPECT_EQ("0100000000000", flags(controlDisabled));
}

TEST_F(Navigation, ReleaseOutsideDoesNothing)
{
    onPointerDown(nullptr, 600, 450);
    EXPECT_EQ("capture c0 sound6", viewLog);
    EXPECT_EQ(1, controlPressed[CONTROL_EXIT]);
    viewLog.clear();
    onPointerUp(nullptr, 640, 450);
    EXPECT_EQ("release c0", viewLog);
    EXPECT_EQ(0, controlPressed[CONTROL_EXIT]);
    viewLog.clear();
    click(580, 435);
    EXPECT_EQ("capture c0 sound6 release c0 quit", viewLog);
}

TEST_F(Navigation, CommandButtonsCaptureAndLaunchOnReleaseInside)
{
    click(cx(4), cy(4));
    ASSERT_EQ(2, commandCount);
    viewLog.clear();
    onPointerDown(nullptr, 141, 449);
    EXPECT_EQ("sound7 capture b0", viewLog);
    EXPECT_EQ(0, pressedCommand);
    viewLog.clear();
    onPointerUp(nullptr, 265, 449);  // outside: redrawn released only
    EXPECT_EQ("release b0", viewLog);
    viewLog.clear();
    click(265 + 123, 449 + 31);
    EXPECT_EQ("sound7 capture b1 release b1 launch1", viewLog);
    EXPECT_EQ(-1, pressedCommand);
    EXPECT_EQ(0, pointerCaptured);
}

TEST_F(Navigation, OnePressOnArrowAndButtonHandlesBothControlFirst)
{
    click(cx(7), cy(7));  // 12 entries; entry 0 has a third button over the arrow
    ASSERT_EQ(3, commandCount);
    viewLog.clear();
    click(cx(CONTROL_NEXT), cy(CONTROL_NEXT));
    // The move replaced the list with one of two buttons: index 2 is gone.
    EXPECT_EQ("capture c2 sound7 sound7 capture b2 release c2 open c2 c1 counter "
              "c8 c9 c10 c11 c12 close wait open c8 close content cursor", viewLog);
    EXPECT_EQ(1, subPage);
    EXPECT_EQ(2, commandCount);
}

TEST_F(Navigation, ReleaseWithoutPressOnlyResets)
{
    onPointerUp(nullptr, 600, 450);
    EXPECT_EQ("", viewLog);
}

}  // namespace
