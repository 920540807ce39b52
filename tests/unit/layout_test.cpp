// Cells, caption positions and counter text of the fixed layout.
#include <gtest/gtest.h>

#include <string.h>

#include "graphics/layout.h"
#include "menu/model.h"

namespace {

void setFlags(int i, int pressed, int disabled)
{
    controlPressed[i] = pressed;
    controlDisabled[i] = disabled;
}

TEST(Layout, CellOfEveryControlForEveryFlagCombination)
{
    for (int i = 0; i < CONTROL_COUNT; i++) {
        int w = controlSize[i][0];
        int base = controlSource[i][0];
        setFlags(i, 0, 0);
        EXPECT_EQ(base, controlCellX(i)) << i;
        setFlags(i, 1, 0);
        EXPECT_EQ(base + w, controlCellX(i)) << i;
        setFlags(i, 0, 1);
        EXPECT_EQ(base + 2 * w, controlCellX(i)) << i;
        setFlags(i, 1, 1);
        EXPECT_EQ(base + w, controlCellX(i)) << "pressed wins, " << i;
        setFlags(i, 0, 0);
    }
    struct Example { int control, pressed, disabled, srcX, srcY; };
    const Example examples[] = {
        {0, 1, 0, 60, 0},     // exit pressed
        {1, 0, 1, 80, 45},    // previous arrow disabled
        {12, 1, 0, 237, 140}, // entry slot 5 selected
        {7, 0, 1, 252, 104},  // tab 5 disabled
    };
    for (const Example& e : examples) {
        setFlags(e.control, e.pressed, e.disabled);
        EXPECT_EQ(e.srcX, controlCellX(e.control)) << e.control;
        EXPECT_EQ(e.srcY, controlSource[e.control][1]) << e.control;
        setFlags(e.control, 0, 0);
    }
}

TEST(Layout, StripsHoldEveryCell)
{
    // Right edge of the disabled column and bottom of each row, per strip.
    const int stripSize[3][2] = {{180, 125}, {378, 130}, {711, 175}};
    for (int i = 0; i < CONTROL_COUNT; i++) {
        int s = i < CONTROL_FIRST_TAB ? 0 : i < CONTROL_FIRST_SLOT ? 1 : 2;
        EXPECT_LE(controlSource[i][0] + 3 * controlSize[i][0], stripSize[s][0]) << i;
        EXPECT_LE(controlSource[i][1] + controlSize[i][1], stripSize[s][1]) << i;
    }
}

TEST(Layout, CaptionPositions)
{
    int x, y;
    tabCaptionPos(3, 57, &x, &y);
    EXPECT_EQ(1 + 34, x);
    EXPECT_EQ(61, y);
    tabCaptionPos(7, 0, &x, &y);
    EXPECT_EQ(513 + 63, x);
    entryCaptionPos(8, &x, &y);
    EXPECT_EQ(432, x);
    EXPECT_EQ(118, y);
    entryCaptionPos(12, &x, &y);
    EXPECT_EQ(278, y);
    EXPECT_EQ(100 - 2, centredX(100, 124, 129));  // -5 / 2 truncates to -2
    EXPECT_EQ(100 - 3, centredX(100, 124, 130));
    EXPECT_EQ(108, captionY(100, 32));
    EXPECT_EQ(100 - 1, captionY(100, 13));        // -3 / 2 truncates to -1
    counterCaptionPos(21, &x, &y);
    EXPECT_EQ(505 + 9, x);
    EXPECT_EQ(321, y);
    EXPECT_EQ(2147483647, centredX(2147483647, 124, 0));  // clamped, no overflow
}

TEST(Layout, CounterText)
{
    struct Case { int subPage, count; const char* text; };
    const Case cases[] = {
        {-1, -1, ""}, {0, 0, ""}, {0, 1, "1/1"}, {0, 3, "1/3"}, {2, 3, "3/3"},
        {1999, 2000, "2000/2000"},
    };
    for (const Case& c : cases) {
        subPage = c.subPage;
        subPageCount = c.count;
        char text[24];
        memset(text, 'x', sizeof text);
        int n = counterText(text, sizeof text);
        EXPECT_STREQ(c.text, text);
        EXPECT_EQ((int)strlen(c.text), n);
    }
    subPage = subPageCount = -1;
}

TEST(Layout, EntryCaptionOfSlots)
{
    char titles[7][NAME_BYTES] = {"a", "b", "c", "d", "e", "f", "g"};
    entryTitle = titles;
    entryCount = 7;
    subPage = -1;
    EXPECT_EQ(nullptr, entryCaptionOf(8));
    subPage = 1;
    EXPECT_STREQ("g", entryCaptionOf(9));  // slot 2 of group 2: the seventh
    EXPECT_EQ(nullptr, entryCaptionOf(10));
    subPage = 0;
    EXPECT_STREQ("a", entryCaptionOf(8));
    EXPECT_STREQ("e", entryCaptionOf(12));
    entryTitle = nullptr;
    entryCount = 0;
    subPage = -1;
}

TEST(Layout, HalfOpenRectangles)
{
    EXPECT_TRUE(insideRect(580, 435, 580, 435, 60, 45));
    EXPECT_TRUE(insideRect(639, 479, 580, 435, 60, 45));
    EXPECT_FALSE(insideRect(640, 479, 580, 435, 60, 45));
    EXPECT_FALSE(insideRect(639, 480, 580, 435, 60, 45));
    EXPECT_FALSE(insideRect(0, 0, 2147483647, 2147483647, 124, 32));
    EXPECT_TRUE(insideRect(65535, 0, 2147483600, 0, 124, 32) == false);
}

}  // namespace
