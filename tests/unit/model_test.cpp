// The menu model read from real MENU.DAT files: natively through our own
// profile reader, under Wine through GetPrivateProfileStringA.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

#include "graphics/layout.h"
#include "menu/home.h"
#include "menu/model.h"
#include "support.h"

namespace {

// Stands in for the built-in default button picture.
const unsigned char builtInButton[64] = {40};

class Model : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override
    {
        dir = tempFolder("model");
        std::string module = dir + "\\MENU.EXE";
        setHome(module.c_str());
        defaultButtonPicture = builtInButton;
        for (int i = 0; i < CONTROL_COUNT; i++) {
            controlDisabled[i] = 1;
            controlPressed[i] = 0;
        }
        controlDisabled[CONTROL_EXIT] = 0;
    }
    void TearDown() override
    {
        freeDecorations();
        freeCommands();
        freeEntries();
    }
    void menu(const std::string& text) { writeFile(dir, "MENU.DAT", text); }
    void file(const std::string& name, const std::string& bytes)
    {
        writeFile(dir, name, bytes);
    }
};

const char workedExample[] =
    "[MENU]\r\nPage1=PAGE_A\r\nPage2=PAGE_B\r\nBmp1=LOGO.BMP,20,10\r\n\r\n"
    "[PAGE_A]\r\nTitle=Install\r\nMenu1=ITEM_A1\r\nMenu2=ITEM_A2\r\n\r\n"
    "[ITEM_A1]\r\nTitle=Viewer\r\nCommand1=Install,SETUP.EXE /Q\r\n"
    "Command2=Read me,README.TXT\r\nBtnPos2=250,300\r\nBtnTextCol1=255,255,0\r\n"
    "BtnBmp2=BTN\\README.BMP\r\nBmp1=PIC\\VIEWER.BMP,0,0\r\n";

TEST_F(Model, WorkedExampleFieldByField)
{
    menu(workedExample);
    file("LOGO.BMP", bmpFile(100, 50));
    file("BTN\\README.BMP", bmpFile(249, 40));
    file("PIC\\VIEWER.BMP", bmpFile(16, 16));

    loadDecorations("Menu");
    loadPages();
    EXPECT_STREQ("PAGE_A", pageSection[0]);
    EXPECT_STREQ("Install", pageTitle[0]);
    EXPECT_STREQ("PAGE_B", pageSection[1]);
    EXPECT_STREQ("", pageTitle[1]);
    EXPECT_STREQ("", pageSection[2]);
    const int tabs[5] = {0, 0, 1, 1, 1};
    for (int t = 0; t < 5; t++)
        EXPECT_EQ(tabs[t], controlDisabled[CONTROL_FIRST_TAB + t]) << "tab " << t + 1;
    ASSERT_EQ(1, decorationCount);
    ASSERT_TRUE(decorationPictures[0] != nullptr);
    EXPECT_EQ(100u, dibWidth(decorationPictures[0]));
    EXPECT_EQ(31, decorationPositions[0].x);
    EXPECT_EQ(115, decorationPositions[0].y);

    freeEntries();
    loadEntries(0);
    ASSERT_EQ(2, entryCount);
    EXPECT_STREQ("ITEM_A1", entrySection[0]);
    EXPECT_STREQ("Viewer", entryTitle[0]);
    EXPECT_STREQ("ITEM_A2", entrySection[1]);
    EXPECT_STREQ("", entryTitle[1]);
    EXPECT_EQ(0, subPage);
    EXPECT_EQ(1, subPageCount);

    freeDecorations();
    freeCommands();
    loadCommands(entrySection[0]);
    loadDecorations(entrySection[0]);
    ASSERT_EQ(2, commandCount);
    const CommandButton& install = commandList[0];
    EXPECT_STREQ("Install", install.caption);
    EXPECT_STREQ("SETUP.EXE /Q", install.commandLine);
    EXPECT_EQ(141, install.x);
    EXPECT_EQ(449, install.y);
    EXPECT_EQ(124, install.width);
    EXPECT_EQ(32, install.height);
    EXPECT_EQ(0x00FFFFu, install.textColour);
    EXPECT_EQ(PackedDib(builtInButton), install.picture);
    const CommandButton& readme = commandList[1];
    EXPECT_STREQ("Read me", readme.caption);
    EXPECT_STREQ("README.TXT", readme.commandLine);
    EXPECT_EQ(261, readme.x);
    EXPECT_EQ(405, readme.y);
    EXPECT_EQ(124, readme.width);  // 249 / 2
    EXPECT_EQ(40, readme.height);
    EXPECT_EQ(0u, readme.textColour);
    ASSERT_TRUE(readme.picture != nullptr);
    EXPECT_NE(PackedDib(builtInButton), readme.picture);
    ASSERT_EQ(1, decorationCount);
    EXPECT_EQ(11, decorationPositions[0].x);
    EXPECT_EQ(105, decorationPositions[0].y);
    EXPECT_TRUE(decorationPictures[0] != nullptr);
}

// homeDir keeps no backslash but a root's, and MENU.DAT is joined with one.
TEST(Home, FolderOfTheProgramAndItsMenuFile)
{
    const struct {
        const char* module;
        const char* home;
        const char* menuFile;
        int drive;
    } cases[] = {
        {"Q:\\MENU.EXE", "Q:\\", "Q:\\MENU.DAT", 17},
        {"Q:\\MENU\\MENU.EXE", "Q:\\MENU", "Q:\\MENU\\MENU.DAT", 17},
        {"q:\\CD\\DISC1\\MENU.EXE", "q:\\CD\\DISC1", "q:\\CD\\DISC1\\MENU.DAT", 17},
        {"\\\\SERVER\\SHARE\\MENU.EXE", "\\\\SERVER\\SHARE", "\\\\SERVER\\SHARE\\MENU.DAT",
         '\\' - 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.module);
        setHome(c.module);
        EXPECT_STREQ(c.home, homeDir);
        EXPECT_STREQ(c.menuFile, menuFilePath);
        EXPECT_EQ(c.drive, driveNumberOf(homeDir));
    }
}

TEST(DefaultLayout, OneToSevenButtons)
{
    // Rows top to bottom, "x@y" per button, in button order.
    const char* expected[8] = {
        "",
        "265@449",
        "141@449 265@449",
        "17@449 141@449 265@449",
        "17@417 141@417 265@417 265@449",
        "17@417 141@417 265@417 141@449 265@449",
        "17@417 141@417 265@417 17@449 141@449 265@449",
        "17@385 141@385 265@385 17@417 141@417 265@417 265@449",
    };
    for (int n = 1; n <= 7; n++) {
        std::string got;
        for (int i = 0; i < n; i++) {
            int x, y;
            defaultButtonPlace(i, n, &x, &y);
            got += (i ? " " : "") + std::to_string(x) + "@" + std::to_string(y);
        }
        EXPECT_EQ(expected[n], got) << n << " buttons";
    }
    int x, y;
    defaultButtonPlace(0, 34, &x, &y);
    EXPECT_EQ(449 - 32 * 11, y);  // above the ContentArea from 34 buttons on
}

TEST_F(Model, PageListEndsAtFirstGapAndStopsAtFive)
{
    menu("[MENU]\nPage2=B\n");
    loadPages();
    for (int t = 0; t < 5; t++)
        EXPECT_EQ(1, controlDisabled[CONTROL_FIRST_TAB + t]);

    menu("[menu]\nPage1=a\nPage2=b\nPage3=c\nPage4=d\nPage5=e\nPage6=f\n[A]\nTitle=Upper\n");
    loadPages();
    for (int t = 0; t < 5; t++)
        EXPECT_EQ(0, controlDisabled[CONTROL_FIRST_TAB + t]);
    EXPECT_STREQ("e", pageSection[4]);
    EXPECT_STREQ("Upper", pageTitle[0]);  // section names ignore case
}

TEST_F(Model, EntryCountsSetSlotsArrowsAndGroups)
{
    struct Case { int entries; int slotsEnabled; int nextDisabled; int groups; };
    const Case cases[] = {{0, 0, 1, 0}, {5, 5, 1, 1}, {6, 5, 0, 2}, {7, 5, 0, 2}, {12, 5, 0, 3}};
    for (const Case& c : cases) {
        std::string text = "[MENU]\nPage1=P\n[P]\n";
        for (int k = 1; k <= c.entries; k++)
            text += "Menu" + std::to_string(k) + "=E" + std::to_string(k) + "\n";
        text += "Menu" + std::to_string(c.entries + 2) + "=AfterGap\n";
        menu(text);
        loadPages();
        freeEntries();
        loadEntries(0);
        EXPECT_EQ(c.entries, entryCount);
        EXPECT_EQ(0, subPage);
        EXPECT_EQ(c.groups, subPageCount);
        EXPECT_EQ(1, controlDisabled[CONTROL_PREVIOUS]);
        EXPECT_EQ(c.nextDisabled, controlDisabled[CONTROL_NEXT]) << c.entries;
        for (int s = 0; s < 5; s++)
            EXPECT_EQ(s < c.slotsEnabled ? 0 : 1, controlDisabled[CONTROL_FIRST_SLOT + s])
                << c.entries << " entries, slot " << s + 1;
    }
    freeEntries();
    EXPECT_EQ(0, entryCount);
    EXPECT_EQ(-1, subPage);
    EXPECT_EQ(-1, subPageCount);
}

TEST_F(Model, CommandValuesAndOverrides)
{
    menu("[E]\nCommand1=Caption only\nCommand2= Go , RUN.EXE $COMMA x \n"
         "Command3=C,X\nCommand4=D,Y\nCommand5=E,Z\nCommand6=F,W\n"
         "BtnPos1=40\nBtnTextCol1=255,128\nBtnTextCol2=256,-1,513\n"
         "BtnBmp3=MISSING.BMP\nBtnPos3=-5,-7\n"
         "BtnPos7=1,1\nBtnBmp7=X.BMP\nBtnTextCol7=1,2,3\n");
    loadCommands("e");
    ASSERT_EQ(6, commandCount);
    EXPECT_STREQ("Caption only", commandList[0].caption);
    EXPECT_STREQ("", commandList[0].commandLine);
    EXPECT_EQ(51, commandList[0].x);
    EXPECT_EQ(105, commandList[0].y);
    EXPECT_EQ(0x0080FFu, commandList[0].textColour);
    EXPECT_STREQ("Go", commandList[1].caption);
    EXPECT_STREQ("RUN.EXE $COMMA x", commandList[1].commandLine);
    EXPECT_EQ(0x01FF00u, commandList[1].textColour);
    // A picture that cannot be read: no picture, default size, its place.
    EXPECT_EQ(nullptr, commandList[2].picture);
    EXPECT_EQ(124, commandList[2].width);
    EXPECT_EQ(32, commandList[2].height);
    EXPECT_EQ(6, commandList[2].x);
    EXPECT_EQ(98, commandList[2].y);
    // The others keep the default layout computed for six buttons.
    EXPECT_EQ(17, commandList[3].x);
    EXPECT_EQ(449, commandList[3].y);
    EXPECT_EQ(265, commandList[5].x);
    EXPECT_EQ(PackedDib(builtInButton), commandList[5].picture);
    freeCommands();
    EXPECT_EQ(0, commandCount);
    EXPECT_EQ(nullptr, commandList);
}

TEST_F(Model, OverLongTextsAreCutAtCharacterBoundaries)
{
    // 38 single bytes and one two-byte character: 40 bytes, one too many
    // for a 40-byte slot; the whole character goes.
    std::string title(38, 'T');
    title += "\x82\xA0";
    std::string caption(45, 'C');
    std::string line(200, 'L');
    menu("[MENU]\nPage1=P\n[P]\nTitle=" + title + "\nMenu1=E\n[E]\nCommand1=" + caption +
         "," + line + "\n");
    loadPages();
    EXPECT_EQ(std::string(38, 'T'), pageTitle[0]);
    loadCommands("E");
    ASSERT_EQ(1, commandCount);
    EXPECT_EQ(std::string(39, 'C'), commandList[0].caption);
    // The whole value is cut to 159 bytes before the fields are taken.
    EXPECT_EQ(std::string(159 - 46, 'L'), commandList[0].commandLine);
}

// A decoration's file name may take the whole 79-byte value; a button's
// keeps its 39-byte field.
TEST_F(Model, PictureFileNameLimits)
{
    const std::string deep = "ARTWORK\\GALLERY\\SPRING2024\\FLOWERS\\PICTURE01.BMP";  // 48
    const std::string longest = "P\\" + std::string(73, 'D') + ".BMP";             // 79
    const std::string button40 = std::string(36, 'B') + ".BMP";                    // 40
    const std::string button39 = std::string(35, 'C') + ".BMP";                    // 39
    for (const std::string* name : {&deep, &longest, &button40, &button39})
        file(*name, bmpFile(10 + (int)name->size(), 8));
    // What a cut name would find instead, if there were one.
    file(std::string(36, 'B') + ".BM", bmpFile(3, 3));
    menu("[E]\nCommand1=A,X\nCommand2=B,Y\nBtnBmp1=" + button40 + "\nBtnBmp2=" + button39 +
         "\nBmp1=" + deep + ",5,6\nBmp2=" + longest + "\nBmp3=" + longest + "X\n");

    loadDecorations("E");
    ASSERT_EQ(3, decorationCount);
    ASSERT_TRUE(decorationPictures[0] != nullptr) << deep;
    EXPECT_EQ(10 + deep.size(), dibWidth(decorationPictures[0]));
    EXPECT_EQ(16, decorationPositions[0].x);
    EXPECT_EQ(111, decorationPositions[0].y);
    ASSERT_TRUE(decorationPictures[1] != nullptr) << longest;
    EXPECT_EQ(10 + longest.size(), dibWidth(decorationPictures[1]));
    // 80 bytes: the value is cut to 79, which names the same file.
    ASSERT_TRUE(decorationPictures[2] != nullptr);
    EXPECT_EQ(10 + longest.size(), dibWidth(decorationPictures[2]));

    loadCommands("E");
    ASSERT_EQ(2, commandCount);
    // Cut to 39 bytes, the name is another file's.
    ASSERT_TRUE(commandList[0].picture != nullptr);
    EXPECT_EQ(1, commandList[0].width);  // 3 / 2
    ASSERT_TRUE(commandList[1].picture != nullptr);
    EXPECT_EQ((10 + 39) / 2, commandList[1].width);
}

TEST_F(Model, EmptyDecorationFieldsCountAsZero)
{
    file("A.BMP", bmpFile(4, 4));
    const struct {
        const char* value;
        int x, y;
    } cases[] = {
        {"A.BMP", 11, 105},      {"A.BMP,", 11, 105},    {"A.BMP,,", 11, 105},
        {"A.BMP,,7", 11, 112},   {"A.BMP, ,7", 11, 112}, {"A.BMP,3,", 14, 105},
        {"A.BMP,3, \t", 14, 105}, {"A.BMP,-3,x", 8, 105}, {" A.BMP , 2 , 9 ", 13, 114},
    };
    std::string text = "[E]\n";
    for (size_t k = 0; k < sizeof cases / sizeof cases[0]; k++)
        text += "Bmp" + std::to_string(k + 1) + "=" + cases[k].value + "\n";
    menu(text);
    loadDecorations("E");
    ASSERT_EQ((int)(sizeof cases / sizeof cases[0]), decorationCount);
    for (int k = 0; k < decorationCount; k++) {
        SCOPED_TRACE(cases[k].value);
        EXPECT_TRUE(decorationPictures[k] != nullptr);
        EXPECT_EQ(cases[k].x, decorationPositions[k].x);
        EXPECT_EQ(cases[k].y, decorationPositions[k].y);
    }
}

TEST_F(Model, HugeNumbersClampInsteadOfOverflowing)
{
    menu("[E]\nCommand1=A,B\nBtnPos1=99999999999999,-999999999999\n"
         "BtnTextCol1=99999999999999999999999999,0,0\n"
         "Bmp1=NONE.BMP,2147483647,-2147483648\n");
    loadCommands("E");
    ASSERT_EQ(1, commandCount);
    EXPECT_EQ(2147483647, commandList[0].x);
    EXPECT_LT(commandList[0].y, -2000000000);
    EXPECT_EQ(0xFFu, commandList[0].textColour);  // INT_MAX & 0xFF
    loadDecorations("E");
    ASSERT_EQ(1, decorationCount);
    EXPECT_EQ(2147483647, decorationPositions[0].x);
    EXPECT_EQ(nullptr, decorationPictures[0]);
}

TEST_F(Model, BadFilesNeverCrash)
{
    std::string junk;
    unsigned seed = 12345;
    for (int i = 0; i < 200000; i++) {
        seed = seed * 1103515245 + 12345;
        junk += char(seed >> 16);
    }
    menu(junk);
    loadDecorations("Menu");
    loadPages();
    freeDecorations();

    std::string big = "[MENU]\nPage1=P\n[P]\n";
    for (int k = 1; k <= 10000; k++)
        big += "Menu" + std::to_string(k) + "=E\n";
    big += "[E]\nTitle=" + std::string(1 << 20, 'x') + "\n";
    menu(big);
    loadPages();
    loadEntries(0);
    EXPECT_EQ(10000, entryCount);
    EXPECT_EQ(2000, subPageCount);
    EXPECT_EQ(std::string(39, 'x'), entryTitle[9999]);
}

TEST_F(Model, MissingFileGivesEmptyMenu)
{
    loadDecorations("Menu");
    loadPages();
    EXPECT_EQ(0, decorationCount);
    for (int t = 0; t < 5; t++)
        EXPECT_EQ(1, controlDisabled[CONTROL_FIRST_TAB + t]);
    loadEntries(0);
    EXPECT_EQ(0, entryCount);
    EXPECT_EQ(0, subPageCount);
    loadCommands("E");
    EXPECT_EQ(0, commandCount);
}

}  // namespace
