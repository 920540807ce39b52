// menucheck's findings on small disc folders, one folder per finding, and
// its predictions on the sample disc. Natively the menu's own profile
// reader answers; under Wine GetPrivateProfileStringA does.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "graphics/dib.h"
#include "graphics/layout.h"
#include "menu/home.h"
#include "menu/text.h"
#include "tools/menucheck/check.h"
#include "tools/menucheck/discfs.h"
#include "tools/menucheck/encoding.h"
#include "tools/menucheck/html.h"
#include "tools/menucheck/messages.h"
#include "tools/menucheck/picture.h"
#include "support.h"

namespace {


// A 24x24 picture of 16 bits a pixel with bit-field masks.
std::string bitFieldsFile(unsigned red, unsigned green, unsigned blue)
{
    std::string s = bmpFile(24, 24, 16);
    std::string masks;
    for (unsigned mask : {red, green, blue})
        for (int i = 0; i < 4; i++)
            masks += char((mask >> (8 * i)) & 255);
    s.insert(14 + 40, masks);
    s[14 + 16] = 3;  // BI_BITFIELDS
    unsigned size = (unsigned)s.size(), offset = 14 + 40 + 12;
    for (int i = 0; i < 4; i++) {
        s[2 + i] = char((size >> (8 * i)) & 255);
        s[10 + i] = char((offset >> (8 * i)) & 255);
    }
    return s;
}

// Contents by name, so that a table row needs only names: pictures by
// their stem, anything else a stand-in program.
std::string contentFor(const std::string& name)
{
    if (name.find(".INF") != std::string::npos)
        return "[autorun]\r\nopen=MENU.EXE\r\nicon=MENU.EXE,0\r\n";
    if (name.find(".BMP") == std::string::npos)
        return "MZ";
    if (name.find("NOTBM") != std::string::npos)
        return "hello";
    if (name.find("WIDE") != std::string::npos)
        return bmpFile(700, 32);
    if (name.find("TRUNC") != std::string::npos)
        return bmpFile(24, 24).substr(0, 100);
    if (name.find("HUGE") != std::string::npos)
        return bmpFile(2049, 2048, 8);  // 2049 x 2048 x 4 bytes: just over 16 MB
    if (name.find("MASK") != std::string::npos)
        return bitFieldsFile(name.find("565") != std::string::npos ? 0xF800 : 0x0F00,
                             name.find("565") != std::string::npos ? 0x07E0 : 0x00F0,
                             name.find("565") != std::string::npos ? 0x001F : 0x000F);
    return bmpFile(24, 24);
}

struct Disc {
    std::string dir;
    CheckReport report;
    int ran = 0;

    Disc() : dir(tempFolder("check")) { memset(&report, 0, sizeof report); }
    ~Disc() { freeReport(&report); }

    void file(const std::string& name, const std::string& bytes) { writeFile(dir, name, bytes); }
    void files(const char* names)  // "A.BMP|SUB\\SETUP.EXE"
    {
        std::string all = names ? names : "";
        size_t at = 0;
        while (at < all.size()) {
            size_t bar = all.find('|', at);
            if (bar == std::string::npos)
                bar = all.size();
            std::string name = all.substr(at, bar - at);
            file(name, contentFor(name));
            at = bar + 1;
        }
    }
    // The folder as it goes on a disc: MENU.EXE and autorun.inf beside it.
    void standard() { files("MENU.EXE|AUTORUN.INF"); }
    const CheckReport& check(char drive = 'Q', const unsigned char* palette = 0, int count = 0)
    {
        freeReport(&report);
        CheckOptions options = {dir.c_str(), drive, palette, count, 0};
        ran = runCheck(&options, &report);
        EXPECT_EQ(1, ran) << dir;
        return report;
    }
    const Finding* find(FindingCode code) const
    {
        for (int i = 0; i < report.findingCount; i++)
            if (report.findings[i].code == code)
                return &report.findings[i];
        return nullptr;
    }
    std::string listing() const
    {
        std::string all;
        for (int i = 0; i < report.findingCount; i++) {
            char text[2048];
            findingText(&report.findings[i], LANGUAGE_EN, text, sizeof text);
            all += std::string("\n  ") + severityName(report.findings[i].severity) + " " +
                   report.findings[i].where + ": " + text;
        }
        return all;
    }
};

const char* const entryHead = "[MENU]\r\nPage1=P\r\n[P]\r\nTitle=Page\r\nMenu1=E\r\n[E]\r\nTitle=Entry\r\n";

struct FindingCase {
    const char* name;
    const char* menu;   // MENU.DAT; null: none; a leading '+' puts entryHead first
    const char* files;  // '|'-separated names (contentFor)
    FindingCode code;
    Severity severity;
    const char* where;  // the finding's place
    const char* arg0;   // its first argument, or null
    int problems;       // errors and warnings in all
    const char* autorun = nullptr;  // autorun.inf; null: the usual one; "-": none at the root
};

const char* const goReadme = "+Command1=Go,README.TXT\r\n";

const FindingCase findingCases[] = {
    {"no MENU.DAT", nullptr, "", F_MENU_MISSING, FINDING_ERROR, "MENU.DAT", nullptr, 1},
    {"Page1 missing", "[MENU]\r\nPage2=P\r\n[P]\r\nTitle=x\r\n", "", F_NO_PAGES,
     FINDING_ERROR, "[MENU] Page1", nullptr, 2},
    {"Menu4 after a gap",
     "[MENU]\r\nPage1=P\r\n[P]\r\nMenu1=A\r\nMenu2=B\r\nMenu4=D\r\n[A]\r\n[B]\r\n[D]\r\n", "",
     F_LIST_GAP, FINDING_WARNING, "[P] Menu4", "Menu4", 1},
    {"Page6",
     "[MENU]\r\nPage1=A\r\nPage2=A\r\nPage3=A\r\nPage4=A\r\nPage5=A\r\nPage6=A\r\n[A]\r\n", "",
     F_PAGE_BEYOND_FIVE, FINDING_WARNING, "[MENU] Page6", "Page6", 1},
    {"BtnPos2 with one command", "+Command1=Go,README.TXT\r\nBtnPos2=0,0\r\n", "README.TXT",
     F_KEY_ABOVE_COUNT, FINDING_WARNING, "[E] BtnPos2", "BtnPos2", 1},
    {"Menu01", "[MENU]\r\nPage1=P\r\n[P]\r\nMenu01=E\r\n[E]\r\n", "", F_KEY_NUMBER_FORM,
     FINDING_WARNING, "[P] Menu01", "Menu01", 1},
    {"a misspelt key", "+Titel=x\r\n", "", F_UNKNOWN_KEY, FINDING_WARNING, "[E] Titel", "Titel",
     1},
    {"keys before [MENU]", "Page1=P\r\n[MENU]\r\n", "", F_KEYS_BEFORE_SECTION, FINDING_WARNING,
     "", "Page1", 2},
    {"a page without its section", "[MENU]\r\nPage1=NOPE\r\n", "", F_MISSING_SECTION,
     FINDING_WARNING, "[MENU] Page1", "NOPE", 1},
    {"a section twice", "+[P]\r\nTitle=Again\r\n", "", F_DUPLICATE_SECTION, FINDING_WARNING,
     "[P]", "3", 1},
    {"a key twice", "+Title=Again\r\n", "", F_DUPLICATE_KEY, FINDING_WARNING, "[E] Title",
     "Title", 1},
    {"a value over 29 bytes",
     "+Command1=Go,README.TXT\r\nBtnTextCol1=1,2,3,xxxxxxxxxxxxxxxxxxxxxxxxxxxx\r\n",
     "README.TXT", F_VALUE_CUT, FINDING_WARNING, "[E] BtnTextCol1", "34", 1},
    {"a caption over 39 bytes",
     "+Command1=0123456789012345678901234567890123456789AB,README.TXT\r\n"
     "BtnBmp1=WIDE.BMP\r\nBtnPos1=0,0\r\n",
     "README.TXT|WIDE.BMP", F_FIELD_CUT, FINDING_WARNING, "[E] Command1", "1", 1},
    // 41 bytes: cut to 39, the name is no file's.
    {"a button picture name over 39 bytes",
     "+Command1=Go,README.TXT\r\nBtnBmp1=BUTTONS\\SET0001\\LARGE001\\WIDE\\ONE\\BIG.BMP\r\n",
     "README.TXT|BUTTONS\\SET0001\\LARGE001\\WIDE\\ONE\\BIG.BMP", F_FIELD_CUT, FINDING_WARNING,
     "[E] BtnBmp1", "1", 2},
    {"a command without a comma", "+Command1=Install\r\n", "", F_NO_COMMA, FINDING_WARNING,
     "[E] Command1", nullptr, 1},
    {"a command line left empty", "+Command1=Install,\r\n", "", F_EMPTY_COMMAND, FINDING_NOTE,
     "[E] Command1", nullptr, 0},
    {"$Comma", "+Command1=Go,README.TXT A$CommaB\r\n", "README.TXT", F_MACRO_CASE,
     FINDING_WARNING, "[E] Command1", "$Comma", 1},
    {"$CURDRV\\", "+Command1=Go,$CURDRV\\README.TXT\r\n", "README.TXT", F_MACRO_BACKSLASH,
     FINDING_WARNING, "[E] Command1", "$CURDRV", 2},
    {"a drive letter written out", "+Command1=Go,Q:\\README.TXT\r\n", "README.TXT",
     F_FIXED_DRIVE, FINDING_WARNING, "[E] Command1", "Q", 1},
    {"quotation marks", "+Command1=Go,\"README.TXT\"\r\n", "README.TXT", F_QUOTED_PROGRAM,
     FINDING_WARNING, "[E] Command1", nullptr, 2},
    {"a blank in the program path", "+Command1=Go,MY PROG\\RUN.EXE\r\n", "MY PROG\\RUN.EXE",
     F_PROGRAM_BLANK, FINDING_WARNING, "[E] Command1", "MY PROG\\RUN.EXE", 3},
    {"a file name over 12 bytes", "+Command1=Go,INSTALLER.EXE\r\n", "INSTALLER.EXE",
     F_LONG_FILE_NAME, FINDING_WARNING, "[E] Command1", "INSTALLER.EXE", 3},
    {"several full stops", "+Command1=Go,A.B.EXE\r\n", "A.B.EXE", F_SEVERAL_DOTS,
     FINDING_WARNING, "[E] Command1", "A.B.EXE", 2},
    {"a program path ending in a separator", "+Command1=Go,SUB\\ RUN.EXE\r\n", "RUN.EXE",
     F_EMPTY_FILE_NAME, FINDING_WARNING, "[E] Command1", nullptr, 2},
    {"a directory not on the disc", "+Command1=Go,NODIR\\README.TXT\r\n", "README.TXT",
     F_DIRECTORY_MISSING, FINDING_WARNING, "[E] Command1", "Q:\\NODIR", 1},
    {"a document not on the disc", "+Command1=Go,DOCS\\NONE.TXT\r\n", "DOCS\\README.TXT",
     F_TARGET_MISSING, FINDING_ERROR, "[E] Command1", "Q:\\DOCS\\NONE.TXT", 1},
    {"a program neither on the disc nor Windows' own", "+Command1=Go,FOO.EXE\r\n", "",
     F_UNKNOWN_PROGRAM, FINDING_WARNING, "[E] Command1", "foo.exe", 1},
    {"Windows' own program", "+Command1=Go,NOTEPAD.EXE\r\n", "", F_SYSTEM_PROGRAM,
     FINDING_NOTE, "[E] Command1", "notepad.exe", 0},
    {"a program on another drive", "+Command1=Go,C:\\TOOLS\\RUN.EXE\r\n", "", F_TARGET_OFF_DISC,
     FINDING_WARNING, "[E] Command1", "C:\\TOOLS\\RUN.EXE", 2},
    {"the same name beside MENU.EXE", "+Command1=Go,SUB\\SETUP.EXE\r\n", "SETUP.EXE|SUB\\SETUP.EXE",
     F_SHADOWED, FINDING_WARNING, "[E] Command1", "Q:\\setup.exe", 1},
    {"an argument not on the disc", "+Command1=Go,NOTEPAD.EXE $CURDRV:\\NONE.TXT\r\n", "",
     F_ARGUMENT_MISSING, FINDING_WARNING, "[E] Command1", "Q:\\NONE.TXT", 1},
    {"a button picture that is no BMP",
     "+Command1=Go,README.TXT\r\nBtnBmp1=NOTBM.BMP\r\n", "README.TXT|NOTBM.BMP",
     F_BUTTON_PICTURE, FINDING_ERROR, "[E] BtnBmp1", "Q:\\NOTBM.BMP", 1},
    {"a cut decoration picture", "+Bmp1=TRUNC.BMP\r\n", "TRUNC.BMP", F_PICTURE_UNREADABLE,
     FINDING_ERROR, "[E] Bmp1", "Q:\\TRUNC.BMP", 1},
    {"a picture on another drive", "+Bmp1=C:\\ART\\A.BMP\r\n", "", F_PICTURE_OFF_DISC,
     FINDING_WARNING, "[E] Bmp1", "C:\\ART\\A.BMP", 1},
    {"a picture named in another case", "+Bmp1=a.bmp\r\n", "A.BMP", F_NAME_CASE, FINDING_NOTE,
     "[E] Bmp1", "Q:\\a.bmp", 0},
    {"a picture left of the ContentArea", "+Bmp1=A.BMP,-20,0\r\n", "A.BMP", F_OUTSIDE_CONTENT,
     FINDING_WARNING, "[E] Bmp1", "(-9,105)-(15,129)", 1},
    {"a button over entry slot 1", "+Command1=Go,README.TXT\r\nBtnPos1=400,0\r\n", "README.TXT",
     F_OVER_CONTROL, FINDING_WARNING, "[E] Command1", "slot1", 2},
    {"overlapping buttons",
     "+Command1=A,README.TXT\r\nCommand2=B,README.TXT\r\nBtnPos1=0,0\r\nBtnPos2=10,10\r\n",
     "README.TXT", F_BUTTONS_OVERLAP, FINDING_WARNING, "[E] Command1", "1", 1},
    // あ x 16: 256 px on a 124-px button.
    {"a caption wider than its button",
     "+Command1=\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0"
     "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0,README.TXT\r\n",
     "README.TXT", F_CAPTION_WIDE, FINDING_WARNING, "[E] Command1", nullptr, 1},
    // インストール先です: 9 two-byte characters, 144 px on a 126-px tab.
    {"a tab caption wider than its tab",
     "[MENU]\r\nPage1=P\r\n[P]\r\nTitle=\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b"
     "\x90\xe6\x82\xc5\x82\xb7\r\n",
     "", F_TITLE_WIDE, FINDING_WARNING, "[P] Title", nullptr, 1},
    {"a UTF-8 byte-order mark", "\xEF\xBB\xBF[MENU]\r\nPage1=P\r\n[P]\r\n", "", F_BOM_UTF8,
     FINDING_ERROR, "MENU.DAT", nullptr, 1},
    {"UTF-16", "\xFF\xFE[\0M\0", "", F_BOM_UTF16, FINDING_ERROR, "MENU.DAT", nullptr, 2},
    // インストール in UTF-8.
    {"texts in UTF-8",
     "[MENU]\r\nPage1=P\r\n[P]\r\nTitle=\xE3\x82\xA4\xE3\x83\xB3\xE3\x82\xB9\xE3\x83\x88\r\n",
     "", F_UTF8_TEXT, FINDING_ERROR, "MENU.DAT", nullptr, 1},
    {"a byte that is no Shift-JIS", "[MENU]\r\nPage1=P\r\n[P]\r\nTitle=A\x80Z\r\n", "",
     F_BAD_SJIS, FINDING_WARNING, "MENU.DAT", "80", 1},
    {"a long name for ISO 9660", "+Command1=Go,README.TXT\r\n", "README.TXT|LONGNAME1.TXT",
     F_ISO_LEVEL1, FINDING_WARNING, "LONGNAME1.TXT", "file", 1},
    {"a name over Joliet's 64",
     "+Command1=Go,README.TXT\r\n", "README.TXT|"
     "A234567890123456789012345678901234567890123456789012345678901234567.TXT",
     F_JOLIET_LONG, FINDING_ERROR, nullptr, "71", 2},
    // Windows 95, 98 and Me: 16-bit coordinates, three kinds of masks, 16 MB
    // bitmaps, 64 KB profiles (the file is padded out below).
    {"a picture beyond 16-bit coordinates", "+Bmp1=A.BMP,40000,0\r\n", "A.BMP",
     F_W9X_COORDINATES, FINDING_WARNING, "[E] Bmp1", "(40011,105)-(40035,129)", 2},
    {"a button whose right side passes 32767",
     "+Command1=Go,README.TXT\r\nBtnPos1=32700,0\r\n", "README.TXT", F_W9X_COORDINATES,
     FINDING_WARNING, "[E] Command1", "(32711,105)-(32835,137)", 2},
    {"4-4-4 bit-field masks", "+Bmp1=MASK444.BMP\r\n", "MASK444.BMP", F_W9X_MASKS,
     FINDING_WARNING, "Q:\\MASK444.BMP", "0x00000F00", 1},
    {"a picture over 16 MB as a bitmap", "+Bmp1=HUGE.BMP\r\n", "HUGE.BMP", F_W9X_BITMAP_SIZE,
     FINDING_WARNING, "Q:\\HUGE.BMP", "16785408", 11},
    {"MENU.DAT over 64 KB", "+Command1=Go,README.TXT\r\n", "README.TXT", F_W9X_PROFILE_SIZE,
     FINDING_WARNING, "MENU.DAT", nullptr, 1},
    {"eight directories deep", "+Command1=Go,README.TXT\r\n", "README.TXT|A\\B\\C\\D\\E\\F\\G\\H\\X.TXT",
     F_ISO_DEPTH, FINDING_WARNING, "A\\B\\C\\D\\E\\F\\G\\H", nullptr, 1},
    // autorun.inf
    {"no autorun.inf", goReadme, "README.TXT", F_NO_AUTORUN, FINDING_NOTE, "autorun.inf",
     nullptr, 0, "-"},
    {"the disc's root one folder down", goReadme, "README.TXT|DISC\\AUTORUN.INF",
     F_BELOW_ROOT, FINDING_WARNING, "DISC\\AUTORUN.INF", "DISC\\AUTORUN.INF", 1, "-"},
    {"no [autorun] section", goReadme, "README.TXT", F_AUTORUN_NO_SECTION, FINDING_ERROR,
     "autorun.inf", nullptr, 1, "open=MENU.EXE\r\n"},
    {"a byte-order mark", goReadme, "README.TXT", F_AUTORUN_ENCODING,
     FINDING_WARNING, "autorun.inf", "UTF-8", 1, "\xEF\xBB\xBF[autorun]\r\nopen=MENU.EXE\r\n"},
    {"nothing to start", goReadme, "README.TXT", F_AUTORUN_NO_OPEN, FINDING_WARNING,
     "autorun.inf", nullptr, 1, "[autorun]\r\nicon=MENU.EXE\r\nopen=\r\n"},
    {"open names a file not there", goReadme, "README.TXT", F_AUTORUN_MISSING, FINDING_ERROR,
     "autorun.inf OPEN", "START.EXE", 1, "[AutoRun]\r\nOPEN=START.EXE /X\r\n"},
    {"a quoted program in a folder not there", goReadme, "README.TXT|BIN\\START.EXE",
     F_AUTORUN_MISSING, FINDING_ERROR, "autorun.inf open", "BIN\\GO.EXE", 1,
     "[autorun]\r\nopen=\"BIN\\GO.EXE\" -x\r\n"},
    {"a menu command's program not there", goReadme, "README.TXT", F_AUTORUN_MISSING,
     FINDING_ERROR, "autorun.inf shell\\readme\\command", "TOOLS\\VIEW.EXE", 1,
     "[autorun]\r\nopen=MENU.EXE\r\nshell\\readme\\command=TOOLS\\VIEW.EXE README.TXT\r\n"
     "shell\\notes\\command=notepad.exe README.TXT\r\n"},
    {"open on another drive", goReadme, "README.TXT", F_AUTORUN_OFF_DISC, FINDING_WARNING,
     "autorun.inf open", "C:\\GO.EXE", 1, "[autorun]\r\nopen=C:\\GO.EXE\r\n"},
    {"open names a document", goReadme, "README.TXT", F_AUTORUN_OPEN_DOCUMENT, FINDING_WARNING,
     "autorun.inf open", "README.TXT", 1, "[autorun]\r\nopen=README.TXT\r\n"},
    {"a long program name", goReadme, "README.TXT|LAUNCHER2.EXE", F_AUTORUN_NOT_8_3,
     FINDING_NOTE, "autorun.inf open", "launcher2.exe", 1,
     "[autorun]\r\nopen=launcher2.exe\r\n"},
    {"an icon not there", goReadme, "README.TXT", F_AUTORUN_ICON, FINDING_WARNING,
     "autorun.inf icon", "DISC.ICO", 1, "[autorun]\r\nopen=MENU.EXE\r\nicon=DISC.ICO,0\r\n"},
    {"a label longer than Windows shows", goReadme, "README.TXT", F_AUTORUN_LABEL_LONG,
     FINDING_WARNING, "autorun.inf label", "33", 1,
     "[autorun]\r\nopen=MENU.EXE\r\nlabel=123456789012345678901234567890123\r\n"},
    // サンプル in UTF-8, not Shift-JIS.
    {"a label in UTF-8", goReadme, "README.TXT", F_AUTORUN_LABEL_CODE, FINDING_WARNING,
     "autorun.inf label", "\xe3\x82\xb5\xe3\x83\xb3\xe3\x83\x97\xe3\x83\xab", 1,
     "[autorun]\r\nopen=MENU.EXE\r\nlabel=\xe3\x82\xb5\xe3\x83\xb3\xe3\x83\x97\xe3\x83\xab\r\n"},
    {"UseAutoPlay", goReadme, "README.TXT", F_AUTORUN_USEAUTOPLAY, FINDING_WARNING,
     "autorun.inf UseAutoPlay", nullptr, 1, "[autorun]\r\nopen=MENU.EXE\r\nUseAutoPlay=1\r\n"},
    // 32 two-byte characters of Shift-JIS are a label that fits.
    {"action is for USB drives", goReadme, "README.TXT", F_AUTORUN_CD_IGNORES, FINDING_NOTE,
     "autorun.inf action", "action", 0,
     "[autorun]\r\nopen=MENU.EXE\r\naction=Start\r\nlabel="
     "\x83\x54\x83\x93\x83\x76\x83\x8b\x83\x54\x83\x93\x83\x76\x83\x8b"
     "\x83\x54\x83\x93\x83\x76\x83\x8b\x83\x54\x83\x93\x83\x76\x83\x8b"
     "\x83\x54\x83\x93\x83\x76\x83\x8b\x83\x54\x83\x93\x83\x76\x83\x8b"
     "\x83\x54\x83\x93\x83\x76\x83\x8b\x83\x54\x83\x93\x83\x76\x83\x8b\r\n"},
    {"a key Windows never reads", goReadme, "README.TXT", F_AUTORUN_UNKNOWN_KEY,
     FINDING_WARNING, "autorun.inf run", "run", 1, "[autorun]\r\nopen=MENU.EXE\r\nrun=MENU.EXE\r\n"},
};

TEST(MenuCheck, EachFindingOnItsOwnDisc)
{
    for (const FindingCase& c : findingCases) {
        SCOPED_TRACE(c.name);
        Disc disc;
        disc.files("MENU.EXE");
        if (!c.autorun)
            disc.files("AUTORUN.INF");
        else if (strcmp(c.autorun, "-") != 0)
            disc.file("autorun.inf", c.autorun);
        disc.files(c.files);
        if (c.menu) {
            std::string menu = c.menu[0] == '+' ? std::string(entryHead) + (c.menu + 1) : c.menu;
            if (c.code == F_BOM_UTF16)
                menu.assign(c.menu, 6);
            if (c.code == F_W9X_PROFILE_SIZE)
                while (menu.size() <= 65536)
                    menu += ";" + std::string(77, '-') + "\r\n";
            disc.file("MENU.DAT", menu);
        }
        disc.check();
        const Finding* f = disc.find(c.code);
        ASSERT_TRUE(f != nullptr) << "missing " << findingName(c.code) << disc.listing();
        EXPECT_EQ(c.severity, f->severity) << disc.listing();
        if (c.where) {
            EXPECT_STREQ(c.where, f->where);
        }
        if (c.arg0) {
            EXPECT_STREQ(c.arg0, f->args[0]);
        }
        EXPECT_EQ(c.problems, disc.report.errors + disc.report.warnings) << disc.listing();
    }
}

// A menu that does everything right draws no finding but the notes.
TEST(MenuCheck, CleanDiscHasNoProblems)
{
    Disc disc;
    disc.standard();
    disc.files("README.TXT|SETUP\\SETUP.EXE|PIC\\A.BMP|BTN\\WIDE.BMP");
    disc.file("MENU.DAT", std::string(entryHead) +
                              "Command1=Install,$CURDRV:\\SETUP\\SETUP.EXE /Q\r\n"
                              "Command2=Read,README.TXT\r\nBtnBmp1=BTN\\WIDE.BMP\r\n"
                              "BtnPos1=0,100\r\nBtnTextCol1=255,255,0\r\nBmp1=PIC\\A.BMP,5,5\r\n");
    const CheckReport& r = disc.check();
    EXPECT_EQ(0, reportStatus(&r)) << disc.listing();
    ASSERT_EQ(2, r.commandCount);
    const CommandInfo& setup = r.commands[0];
    EXPECT_EQ(11, setup.button.x);
    EXPECT_EQ(205, setup.button.y);
    EXPECT_EQ(350, setup.button.width);  // half the 700-pixel picture
    EXPECT_EQ(0x00FFFFu, setup.button.textColour);
    EXPECT_EQ(LAUNCH_PROGRAM, setup.launch.plan.mode);
    EXPECT_STREQ("setup.exe /Q", setup.launch.plan.commandText);
    EXPECT_STREQ("Q:\\SETUP", setup.launch.startDirectory);
    EXPECT_STREQ("Q:\\SETUP\\setup.exe", setup.launch.target);
    const CommandInfo& read = r.commands[1];
    EXPECT_EQ(LAUNCH_DOCUMENT, read.launch.plan.mode);
    EXPECT_STREQ("Q:\\readme.txt", read.launch.target);
    ASSERT_EQ(1, r.decorationCount);
    EXPECT_EQ(16, r.decorations[0].x);
    EXPECT_EQ(24, r.decorations[0].width);
}

// A decoration's file name may take the whole 79-byte value of Bmp%d.
TEST(MenuCheck, DecorationNamesUpToTheWholeValue)
{
    const std::string deep = "ARTWORK\\GALLERY\\SPRING24\\FLOWERS\\SET01\\PICTURE1.BMP";  // 51
    Disc disc;
    disc.standard();
    disc.files(("README.TXT|" + deep).c_str());
    disc.file("MENU.DAT", std::string(entryHead) + "Command1=Go,README.TXT\r\nBmp1=" + deep +
                              ",0,0\r\n");
    const CheckReport& r = disc.check();
    EXPECT_EQ(0, reportStatus(&r)) << disc.listing();
    ASSERT_EQ(1, r.decorationCount);
    ASSERT_GE(r.decorations[0].picture, 0);
    EXPECT_EQ(PICTURE_OK, r.pictures[r.decorations[0].picture].reason);
    EXPECT_EQ(24, r.decorations[0].width);

    // 80 bytes, each field within its own limit: one too many for the value.
    disc.file("MENU.DAT", std::string(entryHead) + "Command1=Go,README.TXT\r\nBmp1=" + deep +
                              "," + std::string(19, '0') + "," + std::string(8, '0') + "\r\n");
    disc.check();
    const Finding* cut = disc.find(F_VALUE_CUT);
    ASSERT_TRUE(cut != nullptr) << disc.listing();
    EXPECT_STREQ("[E] Bmp1", cut->where);
    EXPECT_EQ(nullptr, disc.find(F_FIELD_CUT)) << disc.listing();
}

TEST(MenuCheck, StatusFollowsTheWorstFinding)
{
    CheckReport r;
    memset(&r, 0, sizeof r);
    EXPECT_EQ(0, reportStatus(&r));
    r.notes = 3;
    EXPECT_EQ(0, reportStatus(&r));
    r.warnings = 1;
    EXPECT_EQ(1, reportStatus(&r));
    r.errors = 1;
    EXPECT_EQ(2, reportStatus(&r));
}

TEST(MenuCheck, MissingFolderCannotBeChecked)
{
    CheckOptions options = {"/no/such/folder/anywhere", 'Q', nullptr, 0, 0};
    CheckReport r;
    EXPECT_EQ(0, runCheck(&options, &r));
    freeReport(&r);
}

// The drive the disc is checked as goes into $CURDRV and into every path.
TEST(MenuCheck, DriveLetterOfTheDisc)
{
    Disc disc;
    disc.standard();
    disc.files("SETUP\\SETUP.EXE");
    disc.file("MENU.DAT", std::string(entryHead) + "Command1=Go,$CURDRV:\\SETUP\\SETUP.EXE\r\n");
    const CheckReport& r = disc.check('D');
    ASSERT_EQ(1, r.commandCount);
    EXPECT_STREQ("D:\\SETUP\\SETUP.EXE", r.commands[0].launch.expanded);
    EXPECT_STREQ("D:\\SETUP\\setup.exe", r.commands[0].launch.target);
    EXPECT_EQ(0, reportStatus(&r)) << disc.listing();
}

// Japanese names in MENU.DAT (Shift-JIS) find the files of the folder,
// whose names the host keeps in UTF-8 natively and in Shift-JIS under
// Windows; 表 ends in the byte of a backslash.
TEST(MenuCheck, JapaneseNamesAreFound)
{
    Disc disc;
    disc.standard();
#ifdef _WIN32
    disc.file("\x89\xe6\x91\x9c\\\x95\x5c.BMP", bmpFile(24, 24));  // 画像\表.BMP
    disc.file("\x95\x5c.TXT", "x");                                   // 表.TXT
#else
    disc.file("\xe7\x94\xbb\xe5\x83\x8f\\\xe8\xa1\xa8.BMP", bmpFile(24, 24));
    disc.file("\xe8\xa1\xa8.TXT", "x");
#endif
    disc.file("MENU.DAT", std::string(entryHead) + "Bmp1=\x89\xe6\x91\x9c\\\x95\x5c.BMP\r\n"
                                                   "Command1=Go,\x95\x5c.TXT\r\n");
    const CheckReport& r = disc.check();
    ASSERT_EQ(1, r.pictureCount);
    EXPECT_EQ(PICTURE_OK, r.pictures[0].reason);
    EXPECT_STREQ("Q:\\\x89\xe6\x91\x9c\\\x95\x5c.BMP", r.pictures[0].discPath);
    ASSERT_EQ(1, r.commandCount);
    EXPECT_STREQ("Q:\\\x95\x5c.txt", r.commands[0].launch.target);
    // Only ISO 9660 level 1 minds the names: the folder and the two files.
    EXPECT_EQ(0, r.errors) << disc.listing();
    EXPECT_EQ(3, r.warnings) << disc.listing();
    // A browser is given them in UTF-8, percent-encoded.
    OutputText out = {0, 0, 0};
    writeHtmlPage(&r, LANGUAGE_JA, nullptr, &out);
    ASSERT_TRUE(out.text != nullptr);
    EXPECT_NE(nullptr, strstr(out.text, "href=\"%E8%A1%A8.TXT\">Go</a>")) << out.text;
    freeOutput(&out);
}

// The model's menu globals are the menu's own: a check leaves them as found.
TEST(MenuCheck, LeavesTheModelAsItWas)
{
    Disc disc;
    disc.standard();
    disc.file("MENU.DAT", std::string(entryHead) + "Command1=Go,NOTEPAD.EXE\r\n");
    const unsigned char mine[4] = {40};
    defaultButtonPicture = mine;
    strcpy(homeDir, "C:\\HOME");
    disc.check();
    EXPECT_EQ(mine, defaultButtonPicture);
    EXPECT_STREQ("C:\\HOME", homeDir);
    EXPECT_EQ(0, commandCount);
    EXPECT_EQ(-1, subPage);
    defaultButtonPicture = nullptr;
    homeDir[0] = 0;
}

// --- Pictures -----------------------------------------------------------------

struct PictureCase {
    const char* name;
    std::string bytes;
    PictureReason reason;
};

std::string patched(std::string s, size_t at, unsigned value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        s[at + i] = char((value >> (8 * i)) & 255);
    return s;
}

// Every reason agrees with the reader: refused exactly when it says so.
TEST(MenuCheck, PictureReasonsFollowTheReader)
{
    const std::string good = bmpFile(4, 2, 8);
    const PictureCase cases[] = {
        {"drawn", good, PICTURE_OK},
        {"shorter than a file header", "BM\x10", PICTURE_SHORT_HEADER},
        {"not BM", "PK" + good.substr(2), PICTURE_NOT_BM},
        {"file size below a header", patched(good, 2, 20, 4), PICTURE_BAD_SIZE},
        {"file size over 64 MB", patched(good, 2, 0x7FFFFFFF, 4), PICTURE_BAD_SIZE},
        {"shorter than its file size", good.substr(0, good.size() - 1), PICTURE_TRUNCATED},
        {"13-byte header", patched(good, 14, 13, 4), PICTURE_HEADER},
        {"header past the end", patched(good, 14, 0x10000, 4), PICTURE_HEADER},
        {"64-byte header: the table moves past the end", patched(good, 14, 64, 4),
         PICTURE_TABLE},
        {"two planes: not read", patched(good, 26, 2, 2), PICTURE_OK},
        {"7 bits", patched(good, 28, 7, 2), PICTURE_FORMAT},
        {"RLE4 at 8 bits", patched(good, 30, 2, 4), PICTURE_FORMAT},
        {"width 0", patched(good, 18, 0, 4), PICTURE_DIMENSIONS},
        {"top-down RLE8", patched(patched(good, 30, 1, 4), 22, 0xFFFFFFFE, 4),
         PICTURE_TOP_DOWN_RLE},
        {"table past the end", patched(good, 46, 300, 4) , PICTURE_TABLE},
        {"pixels past the end", patched(good, 22, 9, 4), PICTURE_BITS},
    };
    Disc disc;
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.name);
        disc.file("P.BMP", c.bytes);
        std::string path = hostPath(disc.dir, "P.BMP");
        PictureInfo info;
        memset(&info, 0, sizeof info);
        examinePicture(path.c_str(), nullptr, 0, &info);
        EXPECT_EQ(c.reason, info.reason) << pictureReasonName(info.reason);
        PackedDib dib = loadDibFile(path.c_str());
        EXPECT_EQ(c.reason == PICTURE_OK, dib != nullptr);
        freeDibFile(dib);
    }
    PictureInfo info;
    examinePicture(hostPath(disc.dir, "NONE.BMP").c_str(), nullptr, 0, &info);
    EXPECT_EQ(PICTURE_NOT_FOUND, info.reason);
}

// Distances to a palette of black and white: white pixels sit on an
// entry, mid-grey ones half-way, weighted by how many pixels there are.
TEST(MenuCheck, PaletteDistanceIsPerPixel)
{
    const unsigned char blackWhite[6] = {0, 0, 0, 255, 255, 255};
    Disc disc;
    disc.standard();
    std::string picture = bmpFile(16, 1, 24, 0xFFFFFF);
    // The last pixel grey 0x80: distance sqrt(3) * 127 from white.
    picture[14 + 40 + 45] = picture[14 + 40 + 46] = picture[14 + 40 + 47] = char(0x80);
    disc.file("G.BMP", picture);
    disc.file("MENU.DAT", "[MENU]\r\nBmp1=G.BMP\r\n");
    const CheckReport& r = disc.check('Q', blackWhite, 2);
    ASSERT_EQ(1, r.pictureCount);
    const PictureInfo& p = r.pictures[0];
    ASSERT_TRUE(p.distanceKnown);
    EXPECT_NEAR(127 * 1.7320508 / 16, p.meanDistance, 0.01);
    EXPECT_NEAR(127 * 1.7320508, p.maxDistance, 0.01);
    EXPECT_DOUBLE_EQ(15.0 / 16, p.exactShare);
    EXPECT_EQ(nullptr, disc.find(F_PALETTE_FAR));  // 13.7 on average: a small shift

    disc.file("G.BMP", bmpFile(4, 4, 24, 0x808080));
    disc.check('Q', blackWhite, 2);
    const Finding* shifted = disc.find(F_PALETTE_FAR);
    ASSERT_NE(nullptr, shifted);
    EXPECT_STREQ("220.0", shifted->args[0]);
}

// 8-bit pictures are measured through their colour table, counted by use.
TEST(MenuCheck, PaletteDistanceOfIndexedPictures)
{
    unsigned char grey[256 * 3];
    for (int i = 0; i < 256; i++)
        grey[3 * i] = grey[3 * i + 1] = grey[3 * i + 2] = (unsigned char)i;
    Disc disc;
    disc.file("I.BMP", bmpFile(8, 2, 8));  // indices 0-7 into a grey table
    PictureInfo info;
    examinePicture(hostPath(disc.dir, "I.BMP").c_str(), grey, 256, &info);
    ASSERT_TRUE(info.distanceKnown);
    EXPECT_EQ(0.0, info.maxDistance);
    const unsigned char black[3] = {0, 0, 0};
    examinePicture(hostPath(disc.dir, "I.BMP").c_str(), black, 1, &info);
    // Greys 0-7, each in a quarter... every index twice: mean of 0..7 times sqrt 3.
    EXPECT_NEAR(3.5 * 1.7320508, info.meanDistance, 0.001);
}

TEST(MenuCheck, BackgroundPaletteIsTheBuiltInOne)
{
    EXPECT_EQ(256, backgroundPaletteCount);
    // The table is the picture's, not zeros.
    int nonZero = 0;
    for (int i = 0; i < 256 * 3; i++)
        nonZero += backgroundPalette[i] != 0;
    EXPECT_GT(nonZero, 200);
}

// --- Paths, names, texts ----------------------------------------------------------

TEST(MenuCheck, AbsolutePathsAsWindowsMakesThem)
{
    const struct {
        const char* cwd;
        const char* path;
        const char* result;
    } cases[] = {
        {"Q:\\", "PIC\\A.BMP", "Q:\\PIC\\A.BMP"},
        {"Q:\\DOCS", "README.TXT", "Q:\\DOCS\\README.TXT"},
        {"Q:\\DOCS", "\\SETUP\\SETUP.EXE", "Q:\\SETUP\\SETUP.EXE"},
        {"Q:\\DOCS", "Q:SUB", "Q:\\DOCS\\SUB"},
        {"Q:\\DOCS", "C:SUB", "C:\\SUB"},
        {"Q:\\", "a/b/../c/./d", "Q:\\a\\c\\d"},
        {"Q:\\", "..\\..\\X", "Q:\\X"},
        {"Q:\\", "DOCS.\\X ", "Q:\\DOCS\\X"},
        {"Q:\\", "\\\\server\\share\\A", "\\\\server\\share\\A"},
        // 表\A: the second byte of 表 is 0x5C and splits nothing.
        {"Q:\\", "\x95\x5C\\A", "Q:\\\x95\x5C\\A"},
    };
    for (const auto& c : cases) {
        char out[DISC_PATH_BYTES];
        absoluteDiscPath(c.cwd, c.path, out, sizeof out);
        EXPECT_STREQ(c.result, out) << c.cwd << " + " << c.path;
    }
}

TEST(MenuCheck, FileSystemNameRules)
{
    const struct {
        const char* name;
        int directory;
        int depth;
        int problems;
    } cases[] = {
        {"README.TXT", 0, 0, 0},
        {"readme.txt", 0, 0, 0},  // written in upper case on the disc
        {"SETUP", 1, 0, 0},
        {"A_1.B", 0, 0, 0},
        {"LONGNAME1.TXT", 0, 0, NAME_NOT_8_3},
        {"READ.ME.TXT", 0, 0, NAME_NOT_8_3},
        {"FILE.TEXT", 0, 0, NAME_NOT_8_3},
        {"MY DOCS", 1, 0, NAME_NOT_8_3},
        {"DOCS.D", 1, 0, NAME_NOT_8_3},
        {"A-B.TXT", 0, 0, NAME_NOT_8_3},
        {"DEEP", 1, 6, 0},
        {"DEEPER", 1, 7, NAME_TOO_DEEP},
        {"X.TXT", 0, 9, 0},
        {"A234567890123456789012345678901234567890123456789012345678901234", 0, 0,
         NAME_NOT_8_3},
        {"A2345678901234567890123456789012345678901234567890123456789012345", 0, 0,
         NAME_NOT_8_3 | NAME_JOLIET_LONG},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.problems, nameProblems(c.name, c.directory, c.depth)) << c.name;
}

TEST(MenuCheck, ShiftJisToUtf8)
{
    const struct {
        const char* sjis;
        size_t size;
        const char* utf8;
    } cases[] = {
        {"ABC", 16, "ABC"},
        {"\x82\xa0", 16, "\xE3\x81\x82"},                   // あ
        {"\xB1", 16, "\xEF\xBD\xB1"},                       // ｱ, half-width
        {"\x95\x5C", 16, "\xE8\xA1\xA8"},                   // 表: 0x5C second byte
        {"A\x80", 16, "A\xEF\xBF\xBD"},                     // no character
        {"A\x82", 16, "A\xEF\xBF\xBD"},                     // lead byte at the end
        {"A\x82\r", 16, "A\xEF\xBF\xBD\xEF\xBF\xBD"},         // and a control byte
        {"\x82\xa0\x82\xa2", 6, "\xE3\x81\x82"},            // あい cut whole
        {"", 4, ""},
    };
    for (const auto& c : cases) {
        char out[32];
        sjisToUtf8(c.sjis, out, c.size);
        EXPECT_STREQ(c.utf8, out) << c.sjis;
    }
}

TEST(MenuCheck, CaptionWidthEstimate)
{
    EXPECT_EQ(0, estimateCaptionWidth(""));
    EXPECT_EQ(24, estimateCaptionWidth("Go!"));
    EXPECT_EQ(32, estimateCaptionWidth("\x8a\x4a\x82\xad"));  // 開く
    EXPECT_EQ(16, estimateCaptionWidth("\xB1\xB2"));          // ｱｲ: single bytes
    EXPECT_EQ(8 + 16 + 8, estimateCaptionWidth("A\x82\xa0Z"));
}

TEST(MenuCheck, EncodingDetection)
{
    const unsigned char sjis[] = {0x83, 0x43, 0x83, 0x93};  // イン
    const unsigned char utf8[] = {0xE3, 0x82, 0xA4};        // イ
    const unsigned char ascii[] = {'A', 'B'};
    const unsigned char overlong[] = {0xC0, 0xAF};
    EXPECT_FALSE(looksUtf8(sjis, sizeof sjis));
    EXPECT_TRUE(looksUtf8(utf8, sizeof utf8));
    EXPECT_FALSE(looksUtf8(ascii, sizeof ascii));  // nothing to tell
    EXPECT_FALSE(looksUtf8(overlong, sizeof overlong));
    EXPECT_EQ(-1, firstBadSjis(sjis, sizeof sjis, 0));
    const unsigned char bad[] = {'A', 0x83, 0x43, 0xFF, 0x82};
    EXPECT_EQ(3, firstBadSjis(bad, sizeof bad, 0));
    EXPECT_EQ(4, firstBadSjis(bad, sizeof bad, 4));  // a lead byte at the end
}

// Every finding has a name of its own and a text in both languages.
TEST(MenuCheck, EveryFindingHasItsTexts)
{
    std::vector<std::string> names;
    for (int code = 0; code < F_FINDING_CODES; code++) {
        std::string name = findingName((FindingCode)code);
        EXPECT_NE("unknown", name) << code;
        for (const std::string& other : names)
            EXPECT_NE(other, name);
        names.push_back(name);
        Finding f;
        memset(&f, 0, sizeof f);
        f.code = (FindingCode)code;
        char en[2048], ja[2048];
        findingText(&f, LANGUAGE_EN, en, sizeof en);
        findingText(&f, LANGUAGE_JA, ja, sizeof ja);
        EXPECT_GT(strlen(en), 10u) << name;
        EXPECT_STRNE(en, ja) << name;
    }
}

TEST(MenuCheck, LanguageFromLocale)
{
    EXPECT_EQ(LANGUAGE_JA, languageFromLocale("ja_JP.UTF-8", nullptr, "C"));
    EXPECT_EQ(LANGUAGE_EN, languageFromLocale("C", nullptr, "ja_JP.UTF-8"));  // LC_ALL wins
    EXPECT_EQ(LANGUAGE_JA, languageFromLocale("", "ja", "en_US"));
    EXPECT_EQ(LANGUAGE_JA, languageFromLocale(nullptr, nullptr, "ja_JP.eucJP"));
    EXPECT_EQ(LANGUAGE_EN, languageFromLocale(nullptr, nullptr, nullptr));
}

// --- The page for browsers -----------------------------------------------------

struct HtmlCase {
    const char* name;
    const char* menu;      // a leading '+' puts entryHead first
    const char* files;
    const char* shows;     // in the page
    const char* never;     // not in the page, or null
};

const HtmlCase htmlCases[] = {
    {"texts escaped", "+Command1=<b>&\"'</b>,A.TXT\r\n", "A.TXT",
     ">&lt;b&gt;&amp;&quot;&#39;&lt;/b&gt;</a>", "<b>"},
    {"the link names the file as the folder does", "+Command1=Go,DOCS\\README.TXT\r\n",
     "Docs\\ReadMe.txt", "href=\"Docs/ReadMe.txt\">Go</a>\n<span class=\"what\"><code>Docs\\ReadMe.txt</code>",
     nullptr},
    {"a program from the root of the disc, arguments kept",
     "+Command1=Go,$CURDRV:\\SETUP\\SETUP.EXE /Q $CURDRV:\\X\r\n", "SETUP\\SETUP.EXE",
     "href=\"SETUP/SETUP.EXE\">Go</a>\n<span class=\"what\"><code>SETUP\\SETUP.EXE /Q X</code> "
     "<span class=\"note\">A program: it runs on Windows.</span>", "Q:"},
    {"Windows' own program links the disc's file it opens",
     "+Command1=Read,NOTEPAD.EXE $CURDRV:\\DOCS\\A.TXT\r\n", "DOCS\\A.TXT",
     "href=\"DOCS/A.TXT\">Read</a>\n<span class=\"what\"><code>NOTEPAD.EXE DOCS\\A.TXT</code> "
     "<span class=\"note\">Opens with NOTEPAD.EXE of Windows.</span>", nullptr},
    {"a caption that starts nothing is no link", "+Command1=Soon,\r\n", "",
     "<span class=\"button\">Soon</span> <span class=\"note\">Starts nothing.</span>", "<a class"},
    {"the start screen's picture, pages and entries",
     "[MENU]\r\nPage1=P\r\nBmp1=LOGO.BMP,0,0\r\n[P]\r\nTitle=First\r\nMenu1=E\r\n"
     "[E]\r\nTitle=Entry one\r\n",
     "LOGO.BMP", "<img src=\"LOGO.BMP\" width=\"24\" height=\"24\" alt=\"\">", "<script"},
};

TEST(MenuCheck, PageForBrowsers)
{
    for (const HtmlCase& c : htmlCases) {
        SCOPED_TRACE(c.name);
        Disc disc;
        disc.standard();
        disc.files(c.files);
        disc.file("MENU.DAT", c.menu[0] == '+' ? std::string(entryHead) + (c.menu + 1) : c.menu);
        disc.check();
        OutputText out = {0, 0, 0};
        writeHtmlPage(&disc.report, LANGUAGE_EN, "T<1>", &out);
        ASSERT_TRUE(out.text != nullptr);
        std::string page = out.text;
        freeOutput(&out);
        EXPECT_NE(std::string::npos, page.find(c.shows)) << page;
        if (c.never) {
            EXPECT_EQ(std::string::npos, page.find(c.never)) << page;
        }
        EXPECT_NE(std::string::npos, page.find("<title>T&lt;1&gt;</title>"));
        EXPECT_NE(std::string::npos, page.find("MENU.EXE"));
    }
}

// --- The sample disc ----------------------------------------------------------------

std::string sampleDir()
{
#ifdef _WIN32
    std::string p = std::string("Z:") + MENUCHECK_SAMPLE_DIR;  // Wine's view of /
    for (char& c : p)
        if (c == '/')
            c = '\\';
    return p;
#else
    return MENUCHECK_SAMPLE_DIR;
#endif
}

struct CopyContext {
    std::string from, to;
};

void copyOne(const char* relative, const char*, int isDirectory, int, void* context)
{
    CopyContext* c = (CopyContext*)context;
    if (isDirectory)
        return;
    std::string from = hostPath(c->from, relative);
    FILE* f = fopen(from.c_str(), "rb");
    ASSERT_TRUE(f != nullptr) << from;
    std::string bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    writeFile(c->to, relative, bytes);
}

// The sample as a disc is made of it: MENU.EXE and the stand-in
// SETUP\SETUP.EXE beside its own files.
TEST(MenuCheck, StagedSampleIsClean)
{
    Disc disc;
    CopyContext copy = {sampleDir(), disc.dir};
    ASSERT_GT(walkDisc(copy.from.c_str(), copyOne, &copy, 1000), 10);
    disc.files("MENU.EXE|SETUP\\SETUP.EXE");
    const CheckReport& r = disc.check();
    EXPECT_EQ(0, reportStatus(&r)) << disc.listing();
    EXPECT_STREQ("shift_jis", r.encoding);
    EXPECT_EQ(4, r.pageCount);
    EXPECT_EQ(7, r.pages[2].entryCount);  // two groups of five
    EXPECT_EQ(1, r.startDecorations);

    // [FULL] Command1: its own picture and place, started from SETUP.
    const CommandInfo& install = r.commands[0];
    EXPECT_EQ(128, install.button.x);
    EXPECT_EQ(301, install.button.y);
    EXPECT_EQ(150, install.button.width);
    EXPECT_EQ(40, install.button.height);
    EXPECT_STREQ("Q:\\SETUP\\SETUP.EXE /FULL", install.launch.expanded);
    EXPECT_STREQ("setup.exe /FULL", install.launch.plan.commandText);
    EXPECT_STREQ("Q:\\SETUP", install.launch.startDirectory);
    EXPECT_TRUE(install.launch.targetOnDisc);

    // [FULL] Command2: a document opened from DOCS.
    const CommandInfo& readme = r.commands[1];
    EXPECT_EQ(LAUNCH_DOCUMENT, readme.launch.plan.mode);
    EXPECT_STREQ("Q:\\DOCS", readme.launch.startDirectory);
    EXPECT_STREQ("Q:\\DOCS\\readme.txt", readme.launch.target);

    // The notes: the program of Windows' own and the empty support page.
    EXPECT_NE(nullptr, disc.find(F_SYSTEM_PROGRAM));
    EXPECT_NE(nullptr, disc.find(F_EMPTY_PAGE));
}

// The sample folder itself lacks what the disc command adds: its installer
// clicks point at SETUP\SETUP.EXE, and nothing else is wrong.
TEST(MenuCheck, SampleFolderLacksOnlyTheInstaller)
{
    CheckOptions options = {nullptr, 'Q', nullptr, 0, 0};
    std::string dir = sampleDir();
    options.folder = dir.c_str();
    CheckReport r;
    ASSERT_EQ(1, runCheck(&options, &r));
    EXPECT_EQ(0, r.warnings);
    EXPECT_EQ(4, r.errors);
    for (int i = 0; i < r.findingCount; i++)
        if (r.findings[i].severity == FINDING_ERROR) {
            EXPECT_EQ(F_TARGET_MISSING, r.findings[i].code);
            EXPECT_STREQ("Q:\\SETUP\\SETUP.EXE", r.findings[i].args[0]);
        }
    freeReport(&r);
}

}  // namespace
