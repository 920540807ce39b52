// Presses and releases against a MENU.DAT on disk, with the screen and the
// system replaced by a log of what the pointer logic asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <unistd.h>

#include "graphics/layout.h"
#include "input/access.h"
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
void viewAnnounce(SurfaceWindow, int event, int item)
{
    logCall((event == ANNOUNCE_FOCUS ? "focus" : "select") + std::to_string(item));
}

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
        startScreen();
    }
    // The menu as loading leaves it.
    void startScreen()
    {
        freeDecorations();
        freeCommands();
        freeEntries();
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
    // Presses key (down and up); returns the log of both.
    std::string key(unsigned k, bool shift = false)
    {
        viewLog.clear();
        onKeyDown(nullptr, k, shift, false);
        onKeyUp(nullptr, k);
        return viewLog;
    }
    // The focus after each of n presses of Tab (or Shift+Tab).
    std::string tabs(int n, bool shift = false)
    {
        std::string s;
        for (int k = 0; k < n; k++) {
            key(KEY_TAB, shift);
            s += (s.empty() ? "" : " ") + std::to_string(focusItem);
        }
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
    EXPECT_EQ("sound7 wait open c4 select4 c4 c8 c9 c10 c11 c12 c2 c1 counter close "
              "wait open c8 close select8 content cursor cursor", viewLog);
    EXPECT_EQ("0000100010000", flags(controlPressed));
    EXPECT_EQ("0110000000000", flags(controlDisabled));
    EXPECT_EQ(2, commandCount);

    viewLog.clear();
    onPointerDown(nullptr, cx(5), cy(5));  // another page: the old tab is redrawn first
    EXPECT_EQ(0u, viewLog.find("sound7 wait open c4 c5 select5 c5 c8"));

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
              "wait open c8 close select8 content cursor", viewLog);
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
              "c8 c9 c10 c11 c12 close wait open c8 close select8 content cursor", viewLog);
    EXPECT_EQ(1, subPage);
    EXPECT_EQ(2, commandCount);
}

TEST_F(Navigation, ReleaseWithoutPressOnlyResets)
{
    onPointerUp(nullptr, 600, 450);
    EXPECT_EQ("", viewLog);
}

// Items: 0 exit, 1-2 arrows, 3-7 tabs, 8-12 slots, 13 counter, 14+ buttons.
TEST_F(Navigation, TabGoesThroughWhatCanBeClickedNowInReadingOrder)
{
    onFocusChange(nullptr, true);
    EXPECT_EQ("3 4 5 6 7 0 3", tabs(7));  // start screen: tabs and exit
    EXPECT_EQ("0 7 6", tabs(3, true));
    struct Case { int tab; const char* forward; };
    const Case cases[] = {
        {3, "3 4 5 6 7 0"},                          // no entries: nothing of the page
        {4, "3 4 5 6 7 8 9 10 11 12 14 15 0"},        // five: no arrow
        {5, "3 4 5 6 7 8 9 10 11 12 2 14 15 0"},      // six: the next arrow
        {7, "3 4 5 6 7 8 9 10 11 12 2 14 15 16 0"},   // a third button
    };
    for (const Case& c : cases) {
        click(cx(c.tab), cy(c.tab));
        focusItem = -1;
        std::string forward = c.forward;
        EXPECT_EQ(forward, tabs((int)std::count(forward.begin(), forward.end(), ' ') + 1))
            << "tab " << c.tab;
    }
    click(cx(CONTROL_NEXT), cy(CONTROL_NEXT));  // group 2 of 12: both arrows
    focusItem = CONTROL_FIRST_SLOT + 4;
    EXPECT_EQ("1 2 14 15 0 3", tabs(6));
}

TEST_F(Navigation, ArrowKeysStayWithinTheTabsAndWithinTheSlots)
{
    onFocusChange(nullptr, true);
    click(cx(6), cy(6));  // 7 entries, first group
    struct Case { int from; unsigned k; int to; };
    const Case cases[] = {
        {3, KEY_RIGHT, 4}, {7, KEY_RIGHT, 7}, {4, KEY_LEFT, 3}, {3, KEY_LEFT, 3},
        {8, KEY_DOWN, 9}, {12, KEY_DOWN, 12}, {9, KEY_UP, 8}, {8, KEY_UP, 8},
        {3, KEY_DOWN, 3}, {8, KEY_RIGHT, 8}, {CONTROL_EXIT, KEY_LEFT, CONTROL_EXIT},
        {ITEM_FIRST_COMMAND, KEY_UP, ITEM_FIRST_COMMAND},
    };
    for (const Case& c : cases) {
        focusItem = c.from;
        key(c.k);
        EXPECT_EQ(c.to, focusItem) << c.from << " key " << c.k;
    }
    click(cx(CONTROL_NEXT), cy(CONTROL_NEXT));  // entries 6 and 7: slots 3-5 disabled
    focusItem = 9;
    key(KEY_DOWN);
    EXPECT_EQ(9, focusItem);
}

TEST_F(Navigation, EnterAndSpaceDoWhatAClickDoesAndTheFocusStaysWhereItWent)
{
    struct Case { int tab, slot, item; const char* down; const char* up; int after; };
    const Case cases[] = {
        {0, 0, 4, "sound7 wait open c4 select4 c4 c8 c9 c10 c11 c12 c2 c1 counter close "
                  "wait open c8 close select8 content cursor cursor", "", 4},
        {4, 0, 9, "sound7 wait open c8 c9 close select9 content cursor", "", 9},
        {4, 9, 9, "sound7", "", 9},  // selected already: the click only sounds
        {0, 0, CONTROL_EXIT, "c0 sound6", "c0 quit", CONTROL_EXIT},
        {4, 0, ITEM_FIRST_COMMAND + 1, "sound7 b1", "b1 launch1", ITEM_FIRST_COMMAND + 1},
        // The last group: the next arrow goes out, the focus to the slot chosen.
        {6, 0, CONTROL_NEXT, "c2 sound7",
         "c2 open c2 c1 counter c8 c9 c10 c11 c12 close wait open c8 close select8 content "
         "cursor c2 c8 focus8", 8},
    };
    for (unsigned k : {(unsigned)KEY_RETURN, (unsigned)KEY_SPACE}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.item) + " key " + std::to_string(k));
            startScreen();
            if (c.tab)
                click(cx(c.tab), cy(c.tab));
            if (c.slot)
                click(cx(c.slot), cy(c.slot));
            onFocusChange(nullptr, true);
            focusItem = c.item;
            focusShown = 1;
            viewLog.clear();
            onKeyDown(nullptr, k, false, false);
            EXPECT_EQ(c.down, viewLog);
            viewLog.clear();
            onKeyDown(nullptr, k, false, true);  // held: the repeats do nothing
            EXPECT_EQ("", viewLog);
            onKeyUp(nullptr, k);
            EXPECT_EQ(c.up, viewLog);
            EXPECT_EQ(c.after, focusItem);
            EXPECT_EQ(-1, pressedControl);
            EXPECT_EQ(-1, pressedCommand);
            EXPECT_EQ(0, pointerCaptured);
        }
    }
    // A disabled control is no stop and does nothing.
    startScreen();
    focusItem = CONTROL_PREVIOUS;
    EXPECT_EQ("c1", key(KEY_RETURN));  // drawn again, without a rectangle; not pressed
    EXPECT_EQ(-1, pressedControl);
}

TEST_F(Navigation, FocusShowsAfterAKeyUntilAPointerPressOrTheFocusGoes)
{
    onFocusChange(nullptr, true);
    EXPECT_EQ("c3 focus3", key(KEY_TAB));
    EXPECT_TRUE(focusRectShown(3));
    EXPECT_FALSE(focusRectShown(4));
    viewLog.clear();
    onPointerDown(nullptr, 5, 5);  // on nothing: only the rectangle goes
    onPointerUp(nullptr, 5, 5);
    EXPECT_EQ("c3", viewLog);
    EXPECT_FALSE(focusRectShown(3));
    EXPECT_EQ(3, focusItem);
    EXPECT_EQ("c3 c3 c4 focus4", key(KEY_TAB));
    viewLog.clear();
    onFocusChange(nullptr, false);
    EXPECT_EQ("c4", viewLog);
    EXPECT_FALSE(focusRectShown(4));
    EXPECT_EQ(0u, itemState(4) & ITEM_FOCUSED);
    onFocusChange(nullptr, true);
    EXPECT_TRUE(focusRectShown(4));
    EXPECT_NE(0u, itemState(4) & ITEM_FOCUSED);
}

TEST_F(Navigation, AHeldKeyPressGivesWayWithoutActing)
{
    onFocusChange(nullptr, true);
    focusItem = CONTROL_EXIT;
    focusShown = 1;
    onKeyDown(nullptr, KEY_SPACE, false, false);
    viewLog.clear();
    onFocusChange(nullptr, false);  // the focus went elsewhere
    onKeyUp(nullptr, KEY_SPACE);
    EXPECT_EQ("c0 c0", viewLog);  // let go, then the focus rectangle hidden
    onFocusChange(nullptr, true);
    onKeyDown(nullptr, KEY_RETURN, false, false);
    viewLog.clear();
    onPointerDown(nullptr, 5, 5);
    onPointerUp(nullptr, 5, 5);
    onKeyUp(nullptr, KEY_RETURN);
    EXPECT_EQ("c0 c0", viewLog);  // let go, then the focus rectangle hidden
    EXPECT_EQ(0, controlPressed[CONTROL_EXIT]);
    // While the pointer holds a control, keys do nothing.
    onPointerDown(nullptr, cx(CONTROL_EXIT), cy(CONTROL_EXIT));
    viewLog.clear();
    onKeyDown(nullptr, KEY_TAB, false, false);
    onKeyDown(nullptr, KEY_RETURN, false, false);
    EXPECT_EQ("", viewLog);
}

TEST_F(Navigation, TheDefaultActionIsAClickOnWhatCanBeClicked)
{
    click(cx(4), cy(4));
    viewLog.clear();
    activateItem(nullptr, ITEM_FIRST_COMMAND);
    EXPECT_EQ("sound7 b0 b0 launch0", viewLog);
    viewLog.clear();
    activateItem(nullptr, 9);
    EXPECT_EQ("sound7 wait open c8 c9 close select9 content cursor", viewLog);
    viewLog.clear();
    for (int item : {(int)CONTROL_PREVIOUS, (int)ITEM_COUNTER, ITEM_FIRST_COMMAND + 2, 99, -1})
        activateItem(nullptr, item);
    EXPECT_EQ("", viewLog);
}

TEST_F(Navigation, ItemsTellTheirRoleStateNameAndPlace)
{
    const unsigned TAB = ITEM_SELECTABLE | ITEM_FOCUSABLE;
    struct Case { int item, role; unsigned state; const char* name; };
    const Case start[] = {
        {3, ITEM_ROLE_PAGETAB, TAB, "Page 0"},
        {8, ITEM_ROLE_LISTITEM, ITEM_SELECTABLE | ITEM_UNAVAILABLE, ""},
        {CONTROL_PREVIOUS, ITEM_ROLE_BUTTON, ITEM_UNAVAILABLE, "\x91\x4f\x82\xd6"},
        {ITEM_COUNTER, ITEM_ROLE_TEXT, ITEM_READONLY, ""},
        {CONTROL_EXIT, ITEM_ROLE_BUTTON, ITEM_FOCUSABLE, "\x8f\x49\x97\xb9"},
    };
    const Case page[] = {  // page of 12 entries, group 2, slot 1 focused
        {6, ITEM_ROLE_PAGETAB, TAB, "Page 3"},
        {7, ITEM_ROLE_PAGETAB, TAB | ITEM_SELECTED, "Page 4"},
        {8, ITEM_ROLE_LISTITEM, TAB | ITEM_SELECTED | ITEM_FOCUSED, "T5"},
        {10, ITEM_ROLE_LISTITEM, TAB, "T7"},
        {CONTROL_NEXT, ITEM_ROLE_BUTTON, ITEM_FOCUSABLE, "\x8e\x9f\x82\xd6"},
        {ITEM_COUNTER, ITEM_ROLE_TEXT, ITEM_READONLY, "2/3"},
        {ITEM_FIRST_COMMAND + 1, ITEM_ROLE_BUTTON, ITEM_FOCUSABLE, "Two"},
    };
    char name[NAME_BYTES];
    for (const Case& c : start) {
        EXPECT_EQ(c.role, itemRole(c.item)) << c.item;
        EXPECT_EQ(c.state, itemState(c.item)) << c.item;
        itemName(c.item, name, sizeof name);
        EXPECT_STREQ(c.name, name) << c.item;
    }
    EXPECT_EQ(14, itemCount());
    click(cx(7), cy(7));
    click(cx(CONTROL_NEXT), cy(CONTROL_NEXT));
    onFocusChange(nullptr, true);
    setFocusItem(nullptr, 8);
    for (const Case& c : page) {
        EXPECT_EQ(c.role, itemRole(c.item)) << c.item;
        EXPECT_EQ(c.state, itemState(c.item)) << c.item;
        itemName(c.item, name, sizeof name);
        EXPECT_STREQ(c.name, name) << c.item;
    }
    // Reading order and places: the buttons before the exit button.
    ASSERT_EQ(16, itemCount());
    EXPECT_EQ(ITEM_FIRST_COMMAND + 1, itemAtPosition(14));
    EXPECT_EQ(CONTROL_EXIT, itemAtPosition(15));
    EXPECT_EQ(-1, itemAtPosition(16));
    for (int k = 0; k < itemCount(); k++)
        EXPECT_EQ(k, positionOfItem(itemAtPosition(k)));
    int x, y, w, h;
    ASSERT_TRUE(itemRect(ITEM_FIRST_COMMAND, &x, &y, &w, &h));
    EXPECT_EQ(ITEM_FIRST_COMMAND, itemAt(x, y));
    EXPECT_EQ(ITEM_COUNTER, itemAt(COUNTER_X, COUNTER_Y));
    EXPECT_EQ(10, itemAt(cx(10), cy(10)));  // disabled, but there to be read
    EXPECT_EQ(-1, itemAt(5, 5));
    focusRect(8, &x, &y, &w, &h);
    EXPECT_EQ(404, x);
    EXPECT_EQ(233, w);
    EXPECT_FALSE(itemRect(ITEM_FIRST_COMMAND + 2, &x, &y, &w, &h));
}

}  // namespace
