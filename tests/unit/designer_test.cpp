// The designer's MENU.DAT editor: every change against the exact bytes
// before and after it, undo and redo, the limits where the menu would cut,
// findings turned into places, and the checker reading the copy being
// edited. Natively through our profile code, under Wine through the real
// GetPrivateProfileStringA where the reader is asked.
#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>

#include "menu/home.h"
#include "tools/designer/clipboard.h"
#include "tools/designer/document.h"
#include "tools/designer/layout.h"
#include "tools/designer/edit.h"
#include "tools/designer/texts.h"
#include "tools/menucheck/check.h"
#include "support.h"

namespace {

DesignPlace at(int kind, int page, int entry = -1, int item = -1)
{
    DesignPlace place = {kind, page, entry, item};
    return place;
}

std::string shown(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n\n";
        else if (c < 0x20 || c >= 0x80) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else
            out += (char)c;
    }
    return out;
}

// The two pages of a small disc, with a comment, a blank line, an unknown
// key and a key order of the author's own.
const char twoPages[] =
    "; my disc\r\n"
    "[MENU]\r\n"
    "Page1=A\r\n"
    "Page2=B\r\n"
    "Bmp1=LOGO.BMP,12,24\r\n"
    "\r\n"
    "[A]\r\n"
    "Title=First\r\n"
    "Menu1=A1\r\n"
    "Menu2=A2\r\n"
    "\r\n"
    "[A1]\r\n"
    "Title=One\r\n"
    "Command1=Go,SETUP.EXE\r\n"
    "BtnPos1=117,196\r\n"
    "Note=kept\r\n"
    "Command2=Read,README.TXT\r\n"
    "BtnTextCol2=255,0,0\r\n"
    "Command3=Quit,\r\n"
    "BtnBmp3=BTN\\Q.BMP\r\n"
    "Bmp1=PIC\\A.BMP,112,40,extra\r\n"
    "\r\n"
    "[A2]\r\n"
    "Title=Two\r\n"
    "\r\n"
    "[B]\r\n"
    "Title=Second\r\n"
    "Menu1=A2\r\n";

struct EditCase {
    const char* name;
    std::string before;
    std::function<bool(MenuDocument*, DesignPlace*)> edit;
    std::string after;
    DesignPlace place;  // where the designer is after the change
};

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

const DesignPlace entryA1 = {PLACE_ENTRY, 0, 0, -1};

// Lists that end at a gap, with an item behind each gap.
const char behindGap[] =
    "[MENU]\r\nPage1=A\r\nPage3=C\r\n"
    "[A]\r\nMenu1=E\r\nMenu3=OLD\r\n"
    "[E]\r\nCommand1=One,\r\nCommand3=Old,format.exe\r\nBtnPos3=5,5\r\n"
    "Bmp1=A.BMP,0,0\r\nBmp3=OLD.BMP\r\n";

// Keys written twice in one section: the reader takes the first.
const char twiceKeyed[] =
    "[MENU]\r\nPage1=P\r\n[P]\r\nMenu1=E\r\n"
    "[E]\r\nCommand1=One,\r\nCommand2=Two,\r\nCommand3=Three,\r\nBtnPos2=10,10\r\n"
    "BtnPos2=200,200\r\nBtnPos3=30,30\r\n";

TEST(DesignerEdit, EachChangeRewritesOnlyItsLines)
{
    const std::string two = twoPages;
    const EditCase cases[] = {
        {"page title", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_PAGE, 0);
             return setField(d, *p, FIELD_TITLE, "Install");
         },
         replaced(two, "Title=First", "Title=Install"), at(PLACE_PAGE, 0)},
        {"button dragged 20 pixels right", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_BUTTON, 0, 0, 0);
             return setPosition(d, *p, 137, 196, false);
         },
         replaced(two, "BtnPos1=117,196", "BtnPos1=137,196"), at(PLACE_BUTTON, 0, 0, 0)},
        {"button without BtnPos gets one at the end of its section", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_BUTTON, 0, 0, 1);
             return setPosition(d, *p, -5, 300, false);
         },
         replaced(two, "extra\r\n\r\n[A2]", "extra\r\nBtnPos2=-5,300\r\n\r\n[A2]"),
         at(PLACE_BUTTON, 0, 0, 1)},
        {"decoration moved keeps its file and its extra field", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_DECORATION, 0, 0, 0);
             return setPosition(d, *p, 100, 0, false);
         },
         replaced(two, "Bmp1=PIC\\A.BMP,112,40,extra", "Bmp1=PIC\\A.BMP,100,0,extra"),
         at(PLACE_DECORATION, 0, 0, 0)},
        {"x typed: y keeps its text as written", "[MENU]\r\nPage1=A\r\n[A]\r\nMenu1=E\r\n"
                                                "[E]\r\nCommand1=a,\r\nBtnPos1= 117 , 0196 \r\n",
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_BUTTON, 0, 0, 0);
             return setCoordinate(d, *p, 0, 5, 999);
         },
         "[MENU]\r\nPage1=A\r\n[A]\r\nMenu1=E\r\n[E]\r\nCommand1=a,\r\nBtnPos1=5, 0196\r\n",
         at(PLACE_BUTTON, 0, 0, 0)},
        {"y typed for a button at its default place: x is written too", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_BUTTON, 0, 0, 2);
             return setCoordinate(d, *p, 1, 300, 254);
         },
         replaced(two, "extra\r\n\r\n[A2]", "extra\r\nBtnPos3=254,300\r\n\r\n[A2]"),
         at(PLACE_BUTTON, 0, 0, 2)},
        {"a decoration's y typed", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_DECORATION, -1, -1, 0);
             return setCoordinate(d, *p, 1, -7, 0);
         },
         replaced(two, "Bmp1=LOGO.BMP,12,24", "Bmp1=LOGO.BMP,12,-7"), at(PLACE_DECORATION, -1, -1, 0)},
        {"start screen decoration", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_DECORATION, -1, -1, 0);
             return setField(d, *p, FIELD_DECORATION_PICTURE, "TOP.BMP");
         },
         replaced(two, "Bmp1=LOGO.BMP,12,24", "Bmp1=TOP.BMP,12,24"),
         at(PLACE_DECORATION, -1, -1, 0)},
        {"caption keeps the command line", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_BUTTON, 0, 0, 1);
             return setField(d, *p, FIELD_CAPTION, "\x93\xC7\x82\xDE");  // 読む
         },
         replaced(two, "Command2=Read,", "Command2=\x93\xC7\x82\xDE,"), at(PLACE_BUTTON, 0, 0, 1)},
        {"button duplicated beside itself", two,
         [](MenuDocument* d, DesignPlace* p) {
             return pasteItem(d, entryA1, copyItem(d, at(PLACE_BUTTON, 0, 0, 0)), 10, 10, 0, p);
         },
         replaced(two, "extra\r\n\r\n[A2]",
                  "extra\r\nCommand4=Go,SETUP.EXE\r\nBtnPos4=127,206\r\n\r\n[A2]"),
         at(PLACE_BUTTON, 0, 0, 3)},
        {"button at its default place pasted into another entry gets where it stood", two,
         [](MenuDocument* d, DesignPlace* p) {
             const int stood[2] = {5, 6};
             return pasteItem(d, at(PLACE_ENTRY, 0, 1), copyItem(d, at(PLACE_BUTTON, 0, 0, 2)), 10,
                              10, stood, p);
         },
         replaced(two, "Title=Two\r\n",
                  "Title=Two\r\nCommand1=Quit,\r\nBtnPos1=5,6\r\nBtnBmp1=BTN\\Q.BMP\r\n"),
         at(PLACE_BUTTON, 0, 1, 0)},
        {"entry pasted into another page with its buttons and pictures", two,
         [](MenuDocument* d, DesignPlace* p) {
             return pasteItem(d, at(PLACE_PAGE, 1), copyItem(d, entryA1), 0, 0, 0, p);
         },
         two + "Menu2=ENTRY1\r\n\r\n[ENTRY1]\r\nTitle=One\r\nCommand1=Go,SETUP.EXE\r\n"
               "BtnPos1=117,196\r\nCommand2=Read,README.TXT\r\nBtnTextCol2=255,0,0\r\n"
               "Command3=Quit,\r\nBtnBmp3=BTN\\Q.BMP\r\nBmp1=PIC\\A.BMP,112,40,extra\r\n",
         at(PLACE_ENTRY, 1, 1)},
        {"start screen picture duplicated", two,
         [](MenuDocument* d, DesignPlace* p) {
             return pasteItem(d, startPlace(), copyItem(d, at(PLACE_DECORATION, -1, -1, 0)), 8,
                              -30, 0, p);
         },
         replaced(two, "Bmp1=LOGO.BMP,12,24\r\n", "Bmp1=LOGO.BMP,12,24\r\nBmp2=LOGO.BMP,20,-6\r\n"),
         at(PLACE_DECORATION, -1, -1, 1)},
        {"a button and a picture moved together", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = entryA1;
             return moveItems(d, entryA1, {at(PLACE_BUTTON, 0, 0, 0), at(PLACE_DECORATION, 0, 0, 0)},
                              {Box{131, 305, 1, 1}, Box{111, 155, 1, 1}});
         },
         replaced(replaced(two, "BtnPos1=117,196", "BtnPos1=120,200"), "PIC\\A.BMP,112,40",
                  "PIC\\A.BMP,100,50"),
         entryA1},
        {"button dragged in the outline from first to last: one step", two,
         [](MenuDocument* d, DesignPlace* p) {
             return moveItemTo(d, at(PLACE_BUTTON, 0, 0, 0), 2, p);
         },
         "; my disc\r\n[MENU]\r\nPage1=A\r\nPage2=B\r\nBmp1=LOGO.BMP,12,24\r\n\r\n[A]\r\n"
         "Title=First\r\nMenu1=A1\r\nMenu2=A2\r\n\r\n[A1]\r\nTitle=One\r\nCommand3=Go,SETUP.EXE\r\n"
         "BtnPos3=117,196\r\nNote=kept\r\nCommand1=Read,README.TXT\r\nBtnTextCol1=255,0,0\r\n"
         "Command2=Quit,\r\nBtnBmp2=BTN\\Q.BMP\r\nBmp1=PIC\\A.BMP,112,40,extra\r\n\r\n[A2]\r\n"
         "Title=Two\r\n\r\n[B]\r\nTitle=Second\r\nMenu1=A2\r\n",
         at(PLACE_BUTTON, 0, 0, 2)},
        {"tidy: keys in numbered order, other lines where they stand",
         "[E]\r\nCommand2=b,\r\nBtnPos2=1,1\r\n; c\r\nCommand1=a,\r\nTitle=t\r\nBtnPos1=2,2\r\n"
         "Bmp2=Q\r\nbmp1=P\r\n[MENU]\r\nPage2=E\r\nPage1=F\r\n",
         [](MenuDocument* d, DesignPlace* p) { return tidyKeys(d, *p); },
         "[E]\r\nCommand1=a,\r\nBtnPos1=2,2\r\n; c\r\nCommand2=b,\r\nTitle=t\r\nBtnPos2=1,1\r\n"
         "bmp1=P\r\nBmp2=Q\r\n[MENU]\r\nPage1=F\r\nPage2=E\r\n",
         startPlace()},
        {"tidy: a bracket after a lead byte starts no section",
         "[E]\r\nCommand2=b,\r\n[\x81]\r\nCommand1=a,\r\n",
         [](MenuDocument* d, DesignPlace* p) { return tidyKeys(d, *p); },
         "[E]\r\nCommand1=a,\r\n[\x81]\r\nCommand2=b,\r\n", startPlace()},
        {"an entry's picture pasted into another entry, moved", two,
         [](MenuDocument* d, DesignPlace* p) {
             return pasteItem(d, at(PLACE_ENTRY, 0, 1), copyItem(d, at(PLACE_DECORATION, 0, 0, 0)),
                              -12, 5, 0, p);
         },
         replaced(two, "Title=Two\r\n", "Title=Two\r\nBmp1=PIC\\A.BMP,100,45,extra\r\n"),
         at(PLACE_DECORATION, 0, 1, 0)},
        {"tidy: a file of bare CRs keeps them", "[E]\rCommand2=b,\rCommand1=a,\r",
         [](MenuDocument* d, DesignPlace* p) { return tidyKeys(d, *p); },
         "[E]\rCommand1=a,\rCommand2=b,\r", startPlace()},
        {"tidy: keys of one name keep their order, the last line stays without a break",
         "[E]\nBtnPos1=1,1\nCommand1=first,\ncommand1=second,",
         [](MenuDocument* d, DesignPlace* p) { return tidyKeys(d, *p); },
         "[E]\nCommand1=first,\ncommand1=second,\nBtnPos1=1,1", startPlace()},
        {"command line keeps the caption", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_BUTTON, 0, 0, 2);
             return setField(d, *p, FIELD_COMMAND, "$CURDRV:\\X.EXE /A$COMMAB");
         },
         replaced(two, "Command3=Quit,", "Command3=Quit,$CURDRV:\\X.EXE /A$COMMAB"),
         at(PLACE_BUTTON, 0, 0, 2)},
        {"picture emptied goes back to the built-in one", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_BUTTON, 0, 0, 2);
             return setField(d, *p, FIELD_BUTTON_PICTURE, "");
         },
         replaced(two, "BtnBmp3=BTN\\Q.BMP\r\n", ""), at(PLACE_BUTTON, 0, 0, 2)},
        {"caption colour", two,
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_BUTTON, 0, 0, 1);
             return setColour(d, *p, 0x00A04000);
         },
         replaced(two, "BtnTextCol2=255,0,0", "BtnTextCol2=0,64,160"), at(PLACE_BUTTON, 0, 0, 1)},
        {"first button deleted: the others move down, their lines with them", two,
         [](MenuDocument* d, DesignPlace* p) {
             return deleteItem(d, at(PLACE_BUTTON, 0, 0, 0), p);
         },
         replaced(two,
                  "Command1=Go,SETUP.EXE\r\nBtnPos1=117,196\r\nNote=kept\r\n"
                  "Command2=Read,README.TXT\r\nBtnTextCol2=255,0,0\r\n"
                  "Command3=Quit,\r\nBtnBmp3=BTN\\Q.BMP\r\n",
                  "Note=kept\r\nCommand1=Read,README.TXT\r\nBtnTextCol1=255,0,0\r\n"
                  "Command2=Quit,\r\nBtnBmp2=BTN\\Q.BMP\r\n"),
         at(PLACE_BUTTON, 0, 0, 0)},
        {"last button deleted", two,
         [](MenuDocument* d, DesignPlace* p) {
             return deleteItem(d, at(PLACE_BUTTON, 0, 0, 2), p);
         },
         replaced(two, "Command3=Quit,\r\nBtnBmp3=BTN\\Q.BMP\r\n", ""), at(PLACE_BUTTON, 0, 0, 1)},
        {"buttons swapped: each keeps its lines, the numbers change", two,
         [](MenuDocument* d, DesignPlace* p) {
             return moveItem(d, at(PLACE_BUTTON, 0, 0, 0), 1, p);
         },
         replaced(two,
                  "Command1=Go,SETUP.EXE\r\nBtnPos1=117,196\r\nNote=kept\r\n"
                  "Command2=Read,README.TXT\r\nBtnTextCol2=255,0,0\r\n",
                  "Command2=Go,SETUP.EXE\r\nBtnPos2=117,196\r\nNote=kept\r\n"
                  "Command1=Read,README.TXT\r\nBtnTextCol1=255,0,0\r\n"),
         at(PLACE_BUTTON, 0, 0, 1)},
        {"pages swapped", two,
         [](MenuDocument* d, DesignPlace* p) {
             return moveItem(d, at(PLACE_PAGE, 1), -1, p);
         },
         replaced(two, "Page1=A\r\nPage2=B", "Page1=B\r\nPage2=A"), at(PLACE_PAGE, 0)},
        {"entry deleted: its section goes, the next entry moves up", two,
         [](MenuDocument* d, DesignPlace* p) { return deleteItem(d, entryA1, p); },
         replaced(replaced(two, "Menu1=A1\r\nMenu2=A2\r\n", "Menu1=A2\r\n"),
                  two.substr(two.find("[A1]"), two.find("[A2]") - two.find("[A1]")), ""),
         at(PLACE_ENTRY, 0, 0)},
        {"page deleted: a section another page still names stays", two,
         [](MenuDocument* d, DesignPlace* p) {
             return deleteItem(d, at(PLACE_PAGE, 0), p);
         },
         replaced(replaced(two, "Page1=A\r\nPage2=B\r\n", "Page1=B\r\n"),
                  two.substr(two.find("[A]"), two.find("[A2]") - two.find("[A]")), ""),
         at(PLACE_PAGE, 0)},
        {"entry added with a fresh section after a blank line", two,
         [](MenuDocument* d, DesignPlace* p) {
             return addEntry(d, at(PLACE_PAGE, 1), "New", p);
         },
         two + "Menu2=ENTRY1\r\n\r\n[ENTRY1]\r\nTitle=New\r\n", at(PLACE_ENTRY, 1, 1)},
        {"button added: stale keys above the count become comments",
         "[MENU]\nPage1=P\n[P]\nMenu1=E\n[E]\nCommand1=A,\nBtnPos2=1,1\n",
         [](MenuDocument* d, DesignPlace* p) {
             return addButton(d, at(PLACE_ENTRY, 0, 0), "B", p);
         },
         "[MENU]\nPage1=P\n[P]\nMenu1=E\n[E]\nCommand1=A,\n;BtnPos2=1,1\nCommand2=B,\r\n",
         at(PLACE_BUTTON, 0, 0, 1)},
        // One Add, one more item: what lies behind the gap stays unread.
        {"button added before a gap: the old one behind it stays unread", behindGap,
         [](MenuDocument* d, DesignPlace* p) {
             return addButton(d, at(PLACE_ENTRY, 0, 0), "B", p);
         },
         replaced(behindGap, "Command3=", ";Command3=") + "Command2=B,\r\n",
         at(PLACE_BUTTON, 0, 0, 1)},
        {"entry added before a gap", behindGap,
         [](MenuDocument* d, DesignPlace* p) { return addEntry(d, at(PLACE_PAGE, 0), "N", p); },
         replaced(behindGap, "Menu3=OLD\r\n", ";Menu3=OLD\r\nMenu2=ENTRY1\r\n") +
             "\r\n[ENTRY1]\r\nTitle=N\r\n",
         at(PLACE_ENTRY, 0, 1)},
        {"page added before a gap", behindGap,
         [](MenuDocument* d, DesignPlace* p) { return addPage(d, startPlace(), "T", p); },
         replaced(behindGap, "Page3=C\r\n", ";Page3=C\r\nPage2=PAGE1\r\n") +
             "\r\n[PAGE1]\r\nTitle=T\r\n",
         at(PLACE_PAGE, 1)},
        {"decoration added before a gap", behindGap,
         [](MenuDocument* d, DesignPlace* p) {
             return addDecoration(d, at(PLACE_ENTRY, 0, 0), "N.BMP", p);
         },
         replaced(behindGap, "Bmp3=OLD.BMP\r\n", ";Bmp3=OLD.BMP\r\nBmp2=N.BMP,0,0\r\n"),
         at(PLACE_DECORATION, 0, 0, 1)},
        // The reader takes the first of two keys: renumbering must not
        // bring the second one in.
        {"button deleted with a BtnPos twice: the next keeps its own place", twiceKeyed,
         [](MenuDocument* d, DesignPlace* p) {
             return deleteItem(d, at(PLACE_BUTTON, 0, 0, 0), p);
         },
         replaced(twiceKeyed,
                  "Command1=One,\r\nCommand2=Two,\r\nCommand3=Three,\r\nBtnPos2=10,10\r\n"
                  "BtnPos2=200,200\r\nBtnPos3=30,30\r\n",
                  "Command1=Two,\r\nCommand2=Three,\r\nBtnPos1=10,10\r\n"
                  ";BtnPos2=200,200\r\nBtnPos2=30,30\r\n"),
         at(PLACE_BUTTON, 0, 0, 0)},
        {"button deleted with a Command twice: the second stays unread",
         replaced(twiceKeyed, "Command3=Three,\r\n", "Command2=Old,old.exe\r\nCommand3=Three,\r\n"),
         [](MenuDocument* d, DesignPlace* p) {
             return deleteItem(d, at(PLACE_BUTTON, 0, 0, 0), p);
         },
         replaced(twiceKeyed,
                  "Command1=One,\r\nCommand2=Two,\r\nCommand3=Three,\r\nBtnPos2=10,10\r\n"
                  "BtnPos2=200,200\r\nBtnPos3=30,30\r\n",
                  "Command1=Two,\r\n;Command2=Old,old.exe\r\nCommand2=Three,\r\n"
                  "BtnPos1=10,10\r\n;BtnPos2=200,200\r\nBtnPos2=30,30\r\n"),
         at(PLACE_BUTTON, 0, 0, 0)},
        {"buttons swapped with a BtnPos twice", twiceKeyed,
         [](MenuDocument* d, DesignPlace* p) {
             return moveItem(d, at(PLACE_BUTTON, 0, 0, 1), 1, p);
         },
         replaced(twiceKeyed,
                  "Command2=Two,\r\nCommand3=Three,\r\nBtnPos2=10,10\r\n"
                  "BtnPos2=200,200\r\nBtnPos3=30,30\r\n",
                  "Command3=Two,\r\nCommand2=Three,\r\nBtnPos3=10,10\r\n"
                  ";BtnPos2=200,200\r\nBtnPos2=30,30\r\n"),
         at(PLACE_BUTTON, 0, 0, 2)},
        {"entry deleted with a Menu twice", "[MENU]\r\nPage1=P\r\n[P]\r\nMenu1=A\r\nMenu2=B\r\n"
                                            "Menu2=Old\r\n",
         [](MenuDocument* d, DesignPlace* p) { return deleteItem(d, at(PLACE_ENTRY, 0, 0), p); },
         "[MENU]\r\nPage1=P\r\n[P]\r\nMenu1=B\r\n;Menu2=Old\r\n", at(PLACE_ENTRY, 0, 0)},
        {"decoration added on the start screen", two,
         [](MenuDocument* d, DesignPlace* p) {
             return addDecoration(d, startPlace(), "PIC\\B.BMP", p);
         },
         replaced(two, "Bmp1=LOGO.BMP,12,24\r\n", "Bmp1=LOGO.BMP,12,24\r\nBmp2=PIC\\B.BMP,0,0\r\n"),
         at(PLACE_DECORATION, -1, -1, 1)},
        {"first page of a new file", "",
         [](MenuDocument* d, DesignPlace* p) { return addPage(d, startPlace(), "Hello", p); },
         "[MENU]\r\nPage1=PAGE1\r\n\r\n[PAGE1]\r\nTitle=Hello\r\n", at(PLACE_PAGE, 0)},
        {"a page's fresh name avoids sections and names already there",
         "[MENU]\r\nPage1=PAGE2\r\n[page1]\r\n",
         [](MenuDocument* d, DesignPlace* p) { return addPage(d, startPlace(), "", p); },
         "[MENU]\r\nPage1=PAGE2\r\nPage2=PAGE3\r\n[page1]\r\n\r\n[PAGE3]\r\nTitle=\r\n",
         at(PLACE_PAGE, 1)},
        // Windows' reader wants CR LF, whatever the file's own lines end with.
        {"LF file gets CR LF lines", "[MENU]\nPage1=A\n\n[A]\nTitle=x\n",
         [](MenuDocument* d, DesignPlace* p) { return addEntry(d, at(PLACE_PAGE, 0), "E", p); },
         "[MENU]\nPage1=A\n\n[A]\nTitle=x\nMenu1=ENTRY1\r\n\r\n[ENTRY1]\r\nTitle=E\r\n",
         at(PLACE_ENTRY, 0, 0)},
        {"CR file gets CR LF lines", "[MENU]\rPage1=A\r\r[A]\rTitle=x\r",
         [](MenuDocument* d, DesignPlace* p) { return addEntry(d, at(PLACE_PAGE, 0), "E", p); },
         "[MENU]\rPage1=A\r\r[A]\rTitle=x\rMenu1=ENTRY1\r\n\r\n[ENTRY1]\r\nTitle=E\r\n",
         at(PLACE_ENTRY, 0, 0)},
        {"Shift-JIS with a second byte of 0x5C stays whole",
         "[MENU]\r\nPage1=A\r\n[A]\r\nTitle=\x95\x5C\r\n",  // 表
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_PAGE, 0);
             return setField(d, *p, FIELD_TITLE, "\x95\x5C\x8E\xA6");  // 表示
         },
         "[MENU]\r\nPage1=A\r\n[A]\r\nTitle=\x95\x5C\x8E\xA6\r\n", at(PLACE_PAGE, 0)},
        {"a caption alone stays a caption alone", "[MENU]\r\nPage1=A\r\n[A]\r\nMenu1=E\r\n"
                                                  "[E]\r\nCommand1=Only\r\n",
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_BUTTON, 0, 0, 0);
             return setField(d, *p, FIELD_CAPTION, "Just");
         },
         "[MENU]\r\nPage1=A\r\n[A]\r\nMenu1=E\r\n[E]\r\nCommand1=Just\r\n", at(PLACE_BUTTON, 0, 0, 0)},
        {"an emptied caption keeps the button", "[MENU]\r\nPage1=A\r\n[A]\r\nMenu1=E\r\n"
                                                "[E]\r\nCommand1=Only\r\n",
         [](MenuDocument* d, DesignPlace* p) {
             *p = at(PLACE_BUTTON, 0, 0, 0);
             return setField(d, *p, FIELD_CAPTION, "");
         },
         "[MENU]\r\nPage1=A\r\n[A]\r\nMenu1=E\r\n[E]\r\nCommand1=,\r\n", at(PLACE_BUTTON, 0, 0, 0)},
    };
    for (const EditCase& c : cases) {
        MenuDocument doc = MenuDocument();
        docOpen(&doc, c.before.data(), c.before.size());
        DesignPlace place = startPlace();
        EXPECT_TRUE(c.edit(&doc, &place)) << c.name;
        EXPECT_EQ(shown(c.after), shown(doc.data)) << c.name;
        EXPECT_EQ(c.place.kind, place.kind) << c.name;
        EXPECT_EQ(c.place.page, place.page) << c.name;
        EXPECT_EQ(c.place.entry, place.entry) << c.name;
        EXPECT_EQ(c.place.item, place.item) << c.name;
        EXPECT_TRUE(docChanged(&doc)) << c.name;
        // One change is one step, and undo gives back the bytes exactly.
        EXPECT_EQ(1u, doc.undo.size()) << c.name;
        docUndo(&doc, 0);
        EXPECT_EQ(shown(c.before), shown(doc.data)) << c.name;
        EXPECT_FALSE(docChanged(&doc)) << c.name;
        docClose(&doc);
    }
}

TEST(DesignerEdit, ImpossibleChangesLeaveTheBytes)
{
    const std::string five = "[MENU]\r\nPage1=A\r\nPage2=B\r\nPage3=C\r\nPage4=D\r\nPage5=E\r\n";
    const struct {
        const char* name;
        std::string before;
        std::function<bool(MenuDocument*)> edit;
    } cases[] = {
        {"a sixth page", five, [](MenuDocument* d) { return addPage(d, startPlace(), "F", 0); }},
        {"a button on the start screen", five,
         [](MenuDocument* d) { return addButton(d, startPlace(), "x", 0); }},
        {"an entry of a page that is not there", five,
         [](MenuDocument* d) { return addEntry(d, at(PLACE_PAGE, 5), "x", 0); }},
        {"a button pasted on the start screen", twoPages,
         [](MenuDocument* d) {
             return pasteItem(d, startPlace(), copyItem(d, at(PLACE_BUTTON, 0, 0, 0)), 0, 0, 0, 0);
         }},
        {"an entry pasted on the start screen", twoPages,
         [](MenuDocument* d) {
             return pasteItem(d, startPlace(), copyItem(d, entryA1), 0, 0, 0, 0);
         }},
        {"a copy of nothing", twoPages,
         [](MenuDocument* d) {
             return pasteItem(d, entryA1, copyItem(d, at(PLACE_BUTTON, 0, 0, 7)), 0, 0, 0, 0);
         }},
        {"nothing moved", twoPages,
         [](MenuDocument* d) { return moveItems(d, entryA1, {}, {}); }},
        {"tidy moves no key into another section", "[A]\r\nCommand2=x\r\n[B]\r\nCommand1=y\r\n",
         [](MenuDocument* d) { return tidyKeys(d, startPlace()); }},
        {"tidy of a file in order", twoPages,
         [](MenuDocument* d) { return tidyKeys(d, startPlace()); }},
        {"a decoration without a picture", twoPages,
         [](MenuDocument* d) { return addDecoration(d, entryA1, "", 0); }},
        {"the last page moved on", five,
         [](MenuDocument* d) { return moveItem(d, at(PLACE_PAGE, 4), 1, 0); }},
        {"a button beyond the list", twoPages,
         [](MenuDocument* d) { return deleteItem(d, at(PLACE_BUTTON, 0, 0, 3), 0); }},
        {"the start screen deleted", twoPages,
         [](MenuDocument* d) { return deleteItem(d, startPlace(), 0); }},
    };
    for (const auto& c : cases) {
        MenuDocument doc = MenuDocument();
        docOpen(&doc, c.before.data(), c.before.size());
        EXPECT_FALSE(c.edit(&doc)) << c.name;
        EXPECT_EQ(c.before, doc.data) << c.name;
        EXPECT_TRUE(doc.undo.empty()) << c.name;
        docClose(&doc);
    }
}

TEST(DesignerEdit, ListsCountAsTheMenuCounts)
{
    const std::string text =
        "[MENU]\r\nPage1=A\r\nPage2=B\r\nPage4=D\r\n"
        "[A]\r\nMenu1=X\r\nMenu2=  \r\nMenu3=Y\r\n"
        "[X]\r\nCommand1=a,\r\nCommand2=b\r\nCommand4=d,\r\nBmp1=P.BMP\r\nBmp2=\"\"\r\n";
    MenuDocument doc = MenuDocument();
    docOpen(&doc, text.data(), text.size());
    EXPECT_EQ(2, countPages(&doc));
    EXPECT_EQ(1, countEntries(&doc, 0));
    EXPECT_EQ(0, countEntries(&doc, 1));  // B has no section
    EXPECT_EQ(0, countEntries(&doc, 2));  // no third page: Page3 ends the list
    EXPECT_EQ(2, countButtons(&doc, "x"));
    EXPECT_EQ(1, countDecorations(&doc, "X"));
    EXPECT_EQ("X", entrySectionOf(&doc, 0, 0));
    EXPECT_EQ("", entrySectionOf(&doc, 0, 1));
    EXPECT_TRUE(sectionExists(&doc, "a"));
    EXPECT_FALSE(sectionExists(&doc, "B"));
    docClose(&doc);

    // Section names are cut where the menu cuts them (39 bytes), so the
    // designer edits the section the menu reads.
    std::string longName(45, 'S');
    std::string cutText = "[MENU]\r\nPage1=" + longName + "\r\n[" + longName.substr(0, 39) +
                          "]\r\nTitle=cut\r\n";
    docOpen(&doc, cutText.data(), cutText.size());
    EXPECT_EQ(longName.substr(0, 39), pageSectionOf(&doc, 0));
    EXPECT_EQ("cut", fieldText(&doc, at(PLACE_PAGE, 0), FIELD_TITLE));
    docClose(&doc);
}

TEST(DesignerEdit, FieldsAreReadAsTheMenuTrimsThem)
{
    MenuDocument doc = MenuDocument();
    docOpen(&doc, twoPages, sizeof twoPages - 1);
    const struct {
        DesignPlace place;
        Field field;
        const char* text;
    } cases[] = {
        {at(PLACE_PAGE, 1), FIELD_TITLE, "Second"},
        {at(PLACE_ENTRY, 0, 1), FIELD_TITLE, "Two"},
        {at(PLACE_BUTTON, 0, 0, 0), FIELD_CAPTION, "Go"},
        {at(PLACE_BUTTON, 0, 0, 0), FIELD_COMMAND, "SETUP.EXE"},
        {at(PLACE_BUTTON, 0, 0, 0), FIELD_POSITION, "117,196"},
        {at(PLACE_BUTTON, 0, 0, 1), FIELD_COLOUR, "255,0,0"},
        {at(PLACE_BUTTON, 0, 0, 2), FIELD_BUTTON_PICTURE, "BTN\\Q.BMP"},
        {at(PLACE_BUTTON, 0, 0, 2), FIELD_COMMAND, ""},
        {at(PLACE_DECORATION, 0, 0, 0), FIELD_DECORATION_PICTURE, "PIC\\A.BMP"},
        {at(PLACE_DECORATION, -1, -1, 0), FIELD_DECORATION_PICTURE, "LOGO.BMP"},
        {at(PLACE_BUTTON, 0, 0, 3), FIELD_CAPTION, ""},        // no such button
        {at(PLACE_DECORATION, 0, 0, 0), FIELD_CAPTION, ""},    // no such field
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, fieldText(&doc, c.place, c.field))
            << c.field << " of " << c.place.kind << "/" << c.place.item;
    docClose(&doc);
}

TEST(DesignerEdit, LimitsWhereTheMenuWouldCut)
{
    const std::string text =
        "[MENU]\r\nPage1=A\r\n[A]\r\nMenu1=E\r\n"
        "[E]\r\nCommand1=" + std::string(30, 'c') + "," + std::string(100, 'x') + "\r\n"
        "Bmp1=P.BMP,1234,-56\r\n";
    MenuDocument doc = MenuDocument();
    docOpen(&doc, text.data(), text.size());
    const DesignPlace button = at(PLACE_BUTTON, 0, 0, 0);
    const DesignPlace picture = at(PLACE_DECORATION, 0, 0, 0);
    const struct {
        const char* name;
        DesignPlace place;
        Field field;
        std::string text;
        TextProblem problem;
        int limit;  // -1: not looked at
    } cases[] = {
        {"title of 39 bytes", at(PLACE_PAGE, 0), FIELD_TITLE, std::string(39, 't'), TEXT_OK, 39},
        {"title of 40 bytes", at(PLACE_PAGE, 0), FIELD_TITLE, std::string(40, 't'), TEXT_TOO_LONG,
         39},
        {"title of 20 two-byte characters: 40 bytes", at(PLACE_ENTRY, 0, 0), FIELD_TITLE,
         std::string(40, '\x82'), TEXT_TOO_LONG, 39},
        {"title with a tab", at(PLACE_PAGE, 0), FIELD_TITLE, "a\tb", TEXT_CONTROL, -1},
        {"caption with a comma", button, FIELD_CAPTION, "a,b", TEXT_COMMA, -1},
        {"caption of 39 bytes", button, FIELD_CAPTION, std::string(39, 'c'), TEXT_OK, 39},
        {"caption of 40 bytes", button, FIELD_CAPTION, std::string(40, 'c'), TEXT_TOO_LONG, 39},
        // Command%d holds 159 bytes: a 30-byte caption and a comma leave 128.
        {"command line to the end of the value", button, FIELD_COMMAND, std::string(128, 'x'),
         TEXT_OK, 128},
        {"command line one byte over", button, FIELD_COMMAND, std::string(129, 'x'),
         TEXT_TOO_LONG, 128},
        {"command line with a comma", button, FIELD_COMMAND, "A.EXE a,b", TEXT_COMMA, -1},
        {"button picture of 39 bytes", button, FIELD_BUTTON_PICTURE, std::string(39, 'p'), TEXT_OK,
         39},
        {"button picture of 40 bytes", button, FIELD_BUTTON_PICTURE, std::string(40, 'p'),
         TEXT_TOO_LONG, 39},
        // Bmp%d holds 79 bytes: ",1234,-56" leaves 70 for the file.
        {"decoration picture that fits beside its numbers", picture, FIELD_DECORATION_PICTURE,
         std::string(70, 'p'), TEXT_OK, 70},
        {"decoration picture one byte over", picture, FIELD_DECORATION_PICTURE,
         std::string(71, 'p'), TEXT_TOO_LONG, 70},
    };
    for (const auto& c : cases) {
        int limit = -1;
        EXPECT_EQ(c.problem, fieldProblem(&doc, c.place, c.field, c.text, &limit)) << c.name;
        if (c.limit >= 0) {
            EXPECT_EQ(c.limit, limit) << c.name;
        }
    }
    docClose(&doc);
}

TEST(DesignerUndo, StepsGoBackAndForthWithTheirPlaces)
{
    MenuDocument doc = MenuDocument();
    docOpen(&doc, twoPages, sizeof twoPages - 1);
    std::string states[4];
    DesignPlace places[4];
    states[0] = doc.data;
    // Each step keeps the label it was made with, for Undo and Redo to say.
    doc.label = 11;
    ASSERT_TRUE(addPage(&doc, at(PLACE_PAGE, 1), "Third", &places[1]));
    states[1] = doc.data;
    doc.label = 12;
    ASSERT_TRUE(addEntry(&doc, places[1], "E", &places[2]));
    states[2] = doc.data;
    doc.label = 13;
    ASSERT_TRUE(deleteItem(&doc, at(PLACE_PAGE, 0), &places[3]));
    states[3] = doc.data;
    ASSERT_EQ(3u, doc.undo.size());

    DesignPlace place;
    for (int i = 3; i > 0; i--) {
        EXPECT_EQ(10 + i, doc.undo.back().label) << i;
        ASSERT_TRUE(docUndo(&doc, &place));
        EXPECT_EQ(10 + i, doc.redo.back().label) << i;
        EXPECT_EQ(shown(states[i - 1]), shown(doc.data)) << "undo to " << i - 1;
    }
    EXPECT_EQ(PLACE_PAGE, place.kind);  // where the first change was made
    EXPECT_EQ(1, place.page);
    EXPECT_FALSE(docUndo(&doc, &place));
    EXPECT_FALSE(docChanged(&doc));
    for (int i = 1; i <= 3; i++) {
        ASSERT_TRUE(docRedo(&doc, &place));
        EXPECT_EQ(shown(states[i]), shown(doc.data)) << "redo to " << i;
        EXPECT_EQ(places[i].kind, place.kind) << i;
        EXPECT_EQ(places[i].page, place.page) << i;
        EXPECT_EQ(places[i].entry, place.entry) << i;
    }
    EXPECT_FALSE(docRedo(&doc, &place));

    // A new change after an undo drops what could have been redone.
    docUndo(&doc, 0);
    ASSERT_TRUE(setField(&doc, at(PLACE_PAGE, 0), FIELD_TITLE, "x"));
    EXPECT_TRUE(doc.redo.empty());
    docClose(&doc);
}

TEST(DesignerUndo, TypingInOneFieldIsOneStep)
{
    MenuDocument doc = MenuDocument();
    docOpen(&doc, twoPages, sizeof twoPages - 1);
    const DesignPlace page = at(PLACE_PAGE, 0);
    for (const char* typed : {"F", "Fi", "Fir", "Firs", "First!"})
        setField(&doc, page, FIELD_TITLE, typed);
    EXPECT_EQ(1u, doc.undo.size());
    // Another field of the same page, and the same field of another page,
    // are steps of their own.
    setField(&doc, at(PLACE_PAGE, 1), FIELD_TITLE, "S");
    setPosition(&doc, at(PLACE_BUTTON, 0, 0, 0), 1, 2, true);
    setPosition(&doc, at(PLACE_BUTTON, 0, 0, 0), 2, 2, true);
    setPosition(&doc, at(PLACE_BUTTON, 0, 0, 0), 3, 2, false);  // a drag
    EXPECT_EQ(4u, doc.undo.size());
    while (docUndo(&doc, 0)) {
    }
    EXPECT_EQ(std::string(twoPages), doc.data);

    // Typing back to the text it began with leaves no step at all.
    setField(&doc, page, FIELD_TITLE, "Firs");
    setField(&doc, page, FIELD_TITLE, "First");
    EXPECT_TRUE(doc.undo.empty());
    EXPECT_FALSE(docChanged(&doc));

    // Nothing merges across a save: undo goes back to what was saved.
    setField(&doc, page, FIELD_TITLE, "Fir");
    docMarkSaved(&doc);
    std::string saved = doc.data;
    setField(&doc, page, FIELD_TITLE, "Fi");
    EXPECT_EQ(2u, doc.undo.size());
    docUndo(&doc, 0);
    EXPECT_EQ(saved, doc.data);
    EXPECT_FALSE(docChanged(&doc));

    // The file read again as another program left it: saved, and one undo
    // from the changes made here.
    setField(&doc, page, FIELD_TITLE, "Mine");
    std::string mine = doc.data;
    docReload(&doc, twoPages, 12, page);
    EXPECT_EQ(std::string(twoPages, 12), doc.data);
    EXPECT_FALSE(docChanged(&doc));
    ASSERT_TRUE(docUndo(&doc, 0));
    EXPECT_EQ(mine, doc.data);
    EXPECT_TRUE(docChanged(&doc));
    docClose(&doc);
}

TEST(DesignerUndo, OldestStepsAreForgotten)
{
    MenuDocument doc = MenuDocument();
    docOpen(&doc, twoPages, sizeof twoPages - 1);
    for (int i = 0; i < UNDO_STEPS + 5; i++)
        setPosition(&doc, at(PLACE_BUTTON, 0, 0, 0), i, 0, false);
    EXPECT_EQ((size_t)UNDO_STEPS, doc.undo.size());
    while (docUndo(&doc, 0)) {
    }
    EXPECT_NE(std::string::npos, doc.data.find("BtnPos1=4,0"));
    docClose(&doc);
}

TEST(DesignerFindings, AFindingSelectsWhatItNames)
{
    MenuDocument doc = MenuDocument();
    docOpen(&doc, twoPages, sizeof twoPages - 1);
    const struct {
        const char* where;
        bool found;
        DesignPlace place;
    } cases[] = {
        {"[A1] BtnPos1", true, at(PLACE_BUTTON, 0, 0, 0)},
        {"[a1] BtnTextCol3", true, at(PLACE_BUTTON, 0, 0, 2)},
        {"[A1] Command4", true, at(PLACE_ENTRY, 0, 0)},  // beyond the list: the entry
        {"[A1] Bmp1", true, at(PLACE_DECORATION, 0, 0, 0)},
        {"[A1] Note", true, at(PLACE_ENTRY, 0, 0)},
        {"[A1]", true, at(PLACE_ENTRY, 0, 0)},
        {"[A2] Title", true, at(PLACE_ENTRY, 0, 1)},  // the first page that lists it
        {"[B] Menu1", true, at(PLACE_ENTRY, 1, 0)},
        {"[A]", true, at(PLACE_PAGE, 0)},
        {"[MENU] Page2", true, at(PLACE_PAGE, 1)},
        {"[MENU] Bmp1", true, at(PLACE_DECORATION, -1, -1, 0)},
        {"[MENU] Page7", true, at(PLACE_START, -1)},
        {"[NOWHERE] Title", false, startPlace()},
        {"LOGO.BMP", false, startPlace()},
        {"", false, startPlace()},
    };
    for (const auto& c : cases) {
        DesignPlace place = startPlace();
        EXPECT_EQ(c.found, placeOfFinding(&doc, c.where, &place)) << c.where;
        EXPECT_EQ(c.place.kind, place.kind) << c.where;
        EXPECT_EQ(c.place.page, place.page) << c.where;
        EXPECT_EQ(c.place.entry, place.entry) << c.where;
        EXPECT_EQ(c.place.item, place.item) << c.where;
    }
    docClose(&doc);

    // Japanese section names, as findings carry them in UTF-8.
    const char sjis[] = "[MENU]\r\nPage1=\x83\x79\x81\x5B\x83\x57\r\n";  // ページ
    docOpen(&doc, sjis, sizeof sjis - 1);
    DesignPlace place = startPlace();
    EXPECT_TRUE(placeOfFinding(&doc, "[\xE3\x83\x9A\xE3\x83\xBC\xE3\x82\xB8] Title", &place));
    EXPECT_EQ(PLACE_PAGE, place.kind);
    docClose(&doc);
}

TEST(DesignerReader, TheCopyReadsAsTheDocument)
{
    std::string dir = tempFolder("designer");
    const std::string text = std::string(twoPages) +
                             "[C]\r\nQuoted=\"a b\"\r\n  Spaced  =  x  \r\n; a=comment\r\n"
                             "Bare\r\nTitle=\x95\x5C\r\n";
    ASSERT_TRUE(writeFile(dir, "COPY.DAT", text));
    MenuDocument doc = MenuDocument();
    docOpen(&doc, text.data(), text.size());
    std::string path = hostPath(dir, "COPY.DAT");
    EXPECT_TRUE(readerDifferences(&doc, path.c_str()).empty());
    docClose(&doc);

    // A copy that says something else is told line by line.
    ASSERT_TRUE(writeFile(dir, "OTHER.DAT", replaced(text, "Title=Two", "Title=Zwei")));
    docOpen(&doc, text.data(), text.size());
    path = hostPath(dir, "OTHER.DAT");
    std::vector<int> lines = readerDifferences(&doc, path.c_str());
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(24, lines[0]);
    docClose(&doc);
}

TEST(DesignerReader, TheCheckerReadsTheCopyBeingEdited)
{
    std::string dir = tempFolder("designer");
    ASSERT_TRUE(writeFile(dir, "MENU.DAT", twoPages));
    ASSERT_TRUE(writeFile(dir, "EDIT.DAT", "[MENU]\r\n"));
    std::string copy = hostPath(dir, "EDIT.DAT");
    // The folder's two names are more than the one looked at: said so.
    CheckOptions options = {dir.c_str(), 'Q', nullptr, 0, 1};
    CheckReport report;
    ASSERT_EQ(1, runCheckOf(&options, copy.c_str(), &report));
    EXPECT_EQ(0, report.pageCount);
    bool noPages = false, cut = false;
    for (int i = 0; i < report.findingCount; i++) {
        noPages = noPages || report.findings[i].code == F_NO_PAGES;
        cut = cut || (report.findings[i].code == F_WALK_CUT &&
                      strcmp(report.findings[i].args[0], "1") == 0);
    }
    EXPECT_TRUE(noPages);
    EXPECT_TRUE(cut);
    freeReport(&report);
    ASSERT_EQ(1, runCheck(&options, &report));
    EXPECT_EQ(2, report.pageCount);
    freeReport(&report);
}

}  // namespace

namespace {

TEST(DesignerEdit, RenamedKeysStayWhereTheyStand)
{
    const struct {
        const char* name;
        const char* before;
        const char* section;
        const char* key;
        const char* newKey;
        const char* after;
    } cases[] = {
        {"blanks and value kept", "[S]\r\n  Btnpos2 = 1,2 \r\nX=1\r\n", "s", "BTNPOS2", "BtnPos1",
         "[S]\r\n  BtnPos1 = 1,2 \r\nX=1\r\n"},
        {"the first key of the name", "[S]\nK=1\nK=2\n", "S", "K", "L", "[S]\nL=1\nK=2\n"},
        {"the first section that holds it", "[S]\nA=1\n[T]\nK=0\n[s]\nK=2\n", "S", "K", "L",
         "[S]\nA=1\n[T]\nK=0\n[s]\nL=2\n"},
        {"a key without a value", "[S]\r\nK\r\n", "S", "K", "L", "[S]\r\nL\r\n"},
        {"no such key", "[S]\r\nK=1\r\n", "S", "M", "L", "[S]\r\nK=1\r\n"},
        {"no such section", "[S]\r\nK=1\r\n", "T", "K", "L", "[S]\r\nK=1\r\n"},
        {"last line without a break", "[S]\r\nK=1", "S", "K", "LL", "[S]\r\nLL=1"},
    };
    for (const auto& c : cases) {
        MenuDocument doc = MenuDocument();
        docOpen(&doc, c.before, strlen(c.before));
        docBegin(&doc, startPlace(), 0);
        docRename(&doc, c.section, c.key, c.newKey);
        docEnd(&doc, startPlace());
        EXPECT_EQ(shown(c.after), shown(doc.data)) << c.name;
        docClose(&doc);
    }
}

}  // namespace

namespace {

// Each text of the designer in both languages, with the same %1 to %4
// and the same keyboard shortcut after a tab.
TEST(DesignerTexts, BothLanguagesSayTheSameThings)
{
    for (int i = 0; i < TEXT_COUNT; i++) {
        const TextEntry& t = textTable[i];
        EXPECT_EQ(i, (int)t.id) << "text " << i << " is out of place: " << t.en;
        ASSERT_TRUE(t.en && t.ja && t.en[0] && t.ja[0]) << i;
        for (const char* mark : {"%1", "%2", "%3", "%4"})
            EXPECT_EQ(strstr(t.en, mark) != nullptr, strstr(t.ja, mark) != nullptr)
                << mark << " in " << t.en;
        const char* enKey = strchr(t.en, '\t');
        const char* jaKey = strchr(t.ja, '\t');
        EXPECT_EQ(std::string(enKey ? enKey : ""), std::string(jaKey ? jaKey : "")) << t.en;
    }
    EXPECT_STREQ(textTable[T_DELETE].ja, textOf(T_DELETE, LANGUAGE_JA));
    EXPECT_STREQ(textTable[T_DELETE].en, textOf(T_DELETE, LANGUAGE_EN));
}

}  // namespace

namespace {

// Any file, junk included, goes through every kind of change and comes
// back byte for byte when they are all undone, and again when redone.
TEST(DesignerUndo, AnyFileComesBackByteForByte)
{
    unsigned seed = 16;
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const char pieces[][24] = {"[MENU]", "[A]", "[a]", "Page1=A", "Page2=B", "Menu1=A",
                               "Command1=x,y", "BtnPos1=1,2", "Bmp1=P.BMP,3", "Title=t",
                               "\r\n", "\n", "\r", ";", "=", ",", "\x81", "\x82\xA0", "\0",
                               " ", "\x1A", "\"q\""};
    int changed = 0;
    for (int file = 0; file < 60; file++) {
        std::string bytes;
        for (int n = (int)(next() % 40); n > 0; n--) {
            const char* p = pieces[next() % (sizeof pieces / sizeof pieces[0])];
            bytes.append(p, p[0] ? strlen(p) : 1);
        }
        MenuDocument doc = MenuDocument();
        docOpen(&doc, bytes.data(), bytes.size());
        DesignPlace place = startPlace();
        for (int step = 0; step < 25; step++) {
            DesignPlace after = place;
            switch (next() % 12) {
            case 0: addPage(&doc, place, "P", &after); break;
            case 1: addEntry(&doc, place, "E", &after); break;
            case 2: addButton(&doc, place, "B", &after); break;
            case 3: addDecoration(&doc, place, "D.BMP", &after); break;
            case 4: deleteItem(&doc, place, &after); break;
            case 5: moveItem(&doc, place, next() % 2 ? 1 : -1, &after); break;
            case 6: setField(&doc, place, (Field)(1 + next() % 7), "v\x82\xA0"); break;
            case 7: setPosition(&doc, place, (int)(next() % 200) - 100, 5, next() % 2); break;
            case 8: pasteItem(&doc, place, copyItem(&doc, place), 4, 4, 0, &after); break;
            case 9: tidyKeys(&doc, place); break;
            case 10: moveItemTo(&doc, place, (int)(next() % 4), &after); break;
            default:
                placeOfFinding(&doc, "[A] Command1", &after);
                break;
            }
            place = after;
        }
        std::string last = doc.data;
        changed += last != bytes;
        while (docUndo(&doc, 0)) {
        }
        ASSERT_EQ(shown(bytes), shown(doc.data)) << "file " << file;
        while (docRedo(&doc, 0)) {
        }
        ASSERT_EQ(shown(last), shown(doc.data)) << "file " << file;
        docClose(&doc);
    }
    EXPECT_GT(changed, 50) << "the changes must have changed something";
}

}  // namespace

namespace {

TEST(DesignerLayout, ABoxSnapsToEdgesAndCentresThenTheGridAndStaysInside)
{
    const std::vector<Box> others = {{100, 200, 124, 32}};
    const struct {
        const char* name;
        Box want;
        int grid;
        bool free;
        Snapped got;
    } cases[] = {
        {"left edge to another's left", {103, 300, 50, 20}, 0, false, {100, 300, 100, -1}},
        {"right edge to the area's centre", {170, 150, 30, 30}, 0, false, {173, 150, 203, -1}},
        {"top to another's bottom", {300, 230, 10, 10}, 0, false, {300, 232, -1, 232}},
        {"the grid where nothing is near", {57, 143, 20, 20}, 10, false, {61, 145, -1, -1}},
        {"held inside the area", {390, 470, 50, 40}, 0, false, {346, 441, -1, -1}},
        {"free: neither snapped nor held", {390, 470, 50, 40}, 10, true, {390, 470, -1, -1}},
        {"a snap outside the area gives way", {5, 100, 10, 10}, 8, false, {11, 105, -1, -1}},
        {"bottom to the area's bottom", {30, 440, 10, 38}, 0, false, {30, 443, -1, 481}},
    };
    for (const auto& c : cases) {
        Snapped s = snapBox(c.want, others, c.grid, c.free);
        EXPECT_EQ(c.got.x, s.x) << c.name;
        EXPECT_EQ(c.got.y, s.y) << c.name;
        EXPECT_EQ(c.got.guideX, s.guideX) << c.name;
        EXPECT_EQ(c.got.guideY, s.guideY) << c.name;
    }
}

TEST(DesignerLayout, ASelectionAlignsOnItsBoundsAndSpreadsEvenly)
{
    const std::vector<Box> three = {{10, 10, 20, 10}, {50, 30, 40, 20}, {30, 60, 10, 10}};
    const struct {
        Alignment how;
        std::vector<Box> boxes;
        bool moves;
        std::vector<int> xy;  // x and y of each box after
    } cases[] = {
        {ALIGN_LEFT, three, true, {10, 10, 10, 30, 10, 60}},
        {ALIGN_RIGHT, three, true, {70, 10, 50, 30, 80, 60}},
        {ALIGN_CENTRE, three, true, {40, 10, 30, 30, 45, 60}},
        {ALIGN_TOP, three, true, {10, 10, 50, 10, 30, 10}},
        {ALIGN_BOTTOM, three, true, {10, 60, 50, 50, 30, 60}},
        {ALIGN_MIDDLE, three, true, {10, 35, 50, 30, 30, 35}},
        {SPREAD_ACROSS, three, true, {10, 10, 50, 30, 35, 60}},
        {SPREAD_DOWN, three, false, {10, 10, 50, 30, 30, 60}},  // already even
        {SPREAD_ACROSS, {{0, 0, 5, 5}, {50, 0, 5, 5}}, false, {0, 0, 50, 0}},
        {ALIGN_LEFT, {{7, 7, 5, 5}}, false, {7, 7}},
        // 13 pixels over 2 gaps: 6 then 7, the outermost stay.
        {SPREAD_ACROSS, {{0, 0, 1, 1}, {2, 0, 1, 1}, {15, 0, 1, 1}}, true, {0, 0, 7, 0, 15, 0}},
    };
    for (const auto& c : cases) {
        std::vector<Box> boxes = c.boxes;
        EXPECT_EQ(c.moves, alignBoxes(&boxes, c.how)) << c.how;
        std::vector<int> xy;
        for (const Box& b : boxes)
            xy.insert(xy.end(), {b.x, b.y});
        EXPECT_EQ(c.xy, xy) << c.how;
    }
}

}  // namespace
