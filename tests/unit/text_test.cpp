// Text fields and paths: the documented example tables, the Shift-JIS walks
// over every lead byte, and the cuts of results that do not fit.
#include "menu/text.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

#include <functional>
#include <string>

namespace {

const char JUNK = (char)0xAA;

// Lead bytes by their documented ranges (not by the routine under test).
bool leadByRange(int b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The longest prefix of text that fits limit bytes without splitting a
// two-byte character.
std::string boundaryPrefix(const std::string& text, size_t limit)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t step = leadByRange((unsigned char)text[at]) && at + 1 < text.size() ? 2 : 1;
        if (at + step > limit)
            break;
        at += step;
    }
    return text.substr(0, at);
}

// Calls write(buffer, size) for every size from firstSize to one past the
// full result and checks that each gives the boundary prefix of full,
// terminated, with nothing written at or past buffer[size].
void expectCutAtBoundaries(const std::string& full,
                           const std::function<void(char*, size_t)>& write,
                           size_t firstSize = 1)
{
    for (size_t size = firstSize; size <= full.size() + 2; size++) {
        char buffer[512];
        ASSERT_LT(full.size() + 8, sizeof buffer);
        memset(buffer, JUNK, sizeof buffer);
        write(buffer, size);
        std::string want = boundaryPrefix(full, size - 1);
        EXPECT_EQ(want, std::string(buffer)) << "size " << size;
        for (size_t i = size; i < sizeof buffer; i++)
            ASSERT_EQ(JUNK, buffer[i]) << "size " << size << ", byte " << i;
    }
}

TEST(IsLeadByte, MatchesTheTwoRangesForEveryByte)
{
    for (int b = 0; b < 256; b++)
        EXPECT_EQ(leadByRange(b), isLeadByte((unsigned char)b)) << "byte " << b;
}

struct FieldCase {
    const char* text;
    int n;
    const char* want;
};

TEST(GetField, Table)
{
    const FieldCase cases[] = {
        {"  ABC ,, x y ,9", 0, "ABC"},
        {"  ABC ,, x y ,9", 1, ""},
        {"  ABC ,, x y ,9", 2, "x y"},
        {"  ABC ,, x y ,9", 3, "9"},
        {"  ABC ,, x y ,9", 4, ""},
        {"  ABC ,, x y ,9", 5, ""},
        {"", 0, ""},
        {" \t ", 0, ""},
        {" \t ", 1, ""},
        {"12\r\n34", 0, "12"},
        {"12\r\n34", 1, ""},
        {"a\r,b", 1, ""},
        {"\t x \t,\ty\t", 0, "x"},
        {"\t x \t,\ty\t", 1, "y"},
        {",", 0, ""},
        {"a,", 1, ""},
        {",,,z", 3, "z"},
        {"Install,SETUP.EXE /Q", 1, "SETUP.EXE /Q"},
        {"Install", 1, ""},
        {"x", -1, "x"},
        // 表示,ソフト: a second byte of 0x5C and Japanese on both sides.
        {"\x95\x5c\x8e\xa6,\x83\x5c\x83\x74\x83\x67", 0, "\x95\x5c\x8e\xa6"},
        {"\x95\x5c\x8e\xa6,\x83\x5c\x83\x74\x83\x67", 1, "\x83\x5c\x83\x74\x83\x67"},
    };
    for (const FieldCase& c : cases) {
        char dest[64];
        memset(dest, JUNK, sizeof dest);
        getField(dest, sizeof dest, c.text, c.n);
        EXPECT_STREQ(c.want, dest) << "text \"" << c.text << "\", n " << c.n;
    }
}

TEST(GetField, CutsAtCharacterBoundariesAndTrimsTheCut)
{
    // 表示ABC: cuts fall before a two-byte character, never inside it.
    expectCutAtBoundaries("\x95\x5c\x8e\xa6" "ABC", [](char* b, size_t n) {
        getField(b, n, "  \x95\x5c\x8e\xa6" "ABC  ,next", 0);
    });
    char dest[4];
    memset(dest, JUNK, sizeof dest);
    getField(dest, sizeof dest, "ab  cd", 0);  // cut "ab " loses its blank
    EXPECT_STREQ("ab", dest);
}

struct WordCase {
    const char* text;
    int n;
    const char* want;
    const char* rest;
};

TEST(GetWord, Table)
{
    const WordCase cases[] = {
        {"SETUP.EXE  /Q /N", 0, "SETUP.EXE", "/Q /N"},
        {"SETUP.EXE  /Q /N", 1, "/Q", "/N"},
        {"SETUP.EXE  /Q /N", 2, "/N", ""},
        {"SETUP.EXE  /Q /N", 3, "", ""},
        {"SETUP.EXE", 0, "SETUP.EXE", ""},
        {" SETUP.EXE /Q", 0, "", "SETUP.EXE /Q"},
        {"\tSETUP.EXE /Q", 0, "", "SETUP.EXE /Q"},
        {"", 0, "", ""},
        {"A.EXE\t\t/Q\tB", 0, "A.EXE", "/Q\tB"},
        {"A.EXE\t/Q\tB", 1, "/Q", "B"},
        {"A.EXE /Q\r\nX", 1, "/Q", "\r\nX"},
        {"A.EXE\r /Q", 0, "A.EXE", "\r /Q"},
        {"A.EXE \r /Q", 1, "", "\r /Q"},
        // 表示.EXE 引数: Japanese words pass through whole.
        {"\x95\x5c\x8e\xa6.EXE \x88\xf8\x90\x94", 0, "\x95\x5c\x8e\xa6.EXE", "\x88\xf8\x90\x94"},
    };
    for (const WordCase& c : cases) {
        char dest[64];
        memset(dest, JUNK, sizeof dest);
        const char* rest = getWord(dest, sizeof dest, c.text, c.n);
        EXPECT_STREQ(c.want, dest) << "text \"" << c.text << "\", n " << c.n;
        EXPECT_STREQ(c.rest, rest) << "text \"" << c.text << "\", n " << c.n;
        EXPECT_TRUE(rest >= c.text && rest <= c.text + strlen(c.text));
    }
}

TEST(GetWord, CutWordStillReturnsTheRestAfterIt)
{
    const char* text = "\x95\x5c\x8e\xa6X.EXE /Q";  // 表示X.EXE
    expectCutAtBoundaries("\x95\x5c\x8e\xa6X.EXE", [&](char* b, size_t n) {
        EXPECT_STREQ("/Q", getWord(b, n, text, 0));
    });
}

struct JoinCase {
    const char* path;
    const char* name;
    const char* want;
};

TEST(JoinPath, Table)
{
    const JoinCase cases[] = {
        {"D:\\APP", "PIC\\A.BMP", "D:\\APP\\PIC\\A.BMP"},
        {"D:\\", "MENU.DAT", "D:\\MENU.DAT"},
        {"D:\\APP", "\\PIC\\A.BMP", "D:\\PIC\\A.BMP"},
        {"\\APP", "\\PIC\\A.BMP", "\\PIC\\A.BMP"},
        {"D:\\APP", "E:\\A.BMP", "E:\\A.BMP"},
        {"D:\\APP", "E:A.BMP", "E:A.BMP"},
        {"D:", "A.BMP", "D:A.BMP"},
        {"", "A.BMP", "A.BMP"},
        {"", "\\A.BMP", "\\A.BMP"},
        {"D:\\APP/", "A.BMP", "D:\\APP/\\A.BMP"},
        {"D:\\\x95\x5c", "A.BMP", "D:\\\x95\x5c\\A.BMP"},
        {"D:\\APP", "", "D:\\APP\\"},
        {"D:\\", "", "D:\\"},
        {"D:", "", "D:"},
        {"", "", ""},
        {"D:\\APP", "*.*", "D:\\APP\\*.*"},
        {"D", "\\A", "\\A"},
        {"D:\\APP", "E", "D:\\APP\\E"},
    };
    for (const JoinCase& c : cases) {
        char path[64];
        memset(path, JUNK, sizeof path);
        strcpy(path, c.path);
        joinPath(path, sizeof path, c.name);
        EXPECT_STREQ(c.want, path) << "path \"" << c.path << "\", name \"" << c.name << "\"";
    }
}

TEST(JoinPath, CutResultIsTheBoundaryPrefixOfTheWhole)
{
    const JoinCase cases[] = {
        {"D:\\APP", "\x95\x5c\x8e\xa6\\A.BMP", "D:\\APP\\\x95\x5c\x8e\xa6\\A.BMP"},
        {"D:\\APP", "\\\x95\x5c.BMP", "D:\\\x95\x5c.BMP"},
        {"D:\\APP", "E:\x95\x5c", "E:\x95\x5c"},
        {"D:\\\x95\x5c", "\x8e\xa6", "D:\\\x95\x5c\\\x8e\xa6"},
    };
    for (const JoinCase& c : cases) {
        // From the smallest buffer that holds the path itself.
        expectCutAtBoundaries(c.want, [&](char* b, size_t n) {
            strcpy(b, c.path);
            joinPath(b, n, c.name);
        }, strlen(c.path) + 1);
    }
}

TEST(JoinPath, UnterminatedPathIsCutToItsBuffer)
{
    char path[8];
    memset(path, 'A', sizeof path);
    joinPath(path, 6, "B");
    EXPECT_STREQ("AAAAA", path);
    EXPECT_EQ('A', path[6]);
}

struct StripCase {
    const char* before;
    const char* after;
};

TEST(StripLastPart, Table)
{
    const StripCase cases[] = {
        {"D:\\APP\\MENU.EXE", "D:\\APP"},
        {"D:\\MENU.EXE", "D:\\"},
        {"D:\\APP\\", "D:\\APP"},
        {"D:\\", "D:\\"},
        {"D:/APP/PIC", "D:/APP"},
        {"\\MENU.EXE", ""},
        {"D:\\APP\\*.*", "D:\\APP"},
        {"D:/", "D:/"},
        {"\\\\SERVER\\SHARE", "\\\\SERVER"},
        // No separator: nothing to remove, the path stays as it is.
        {"D:*.*", "D:*.*"},
        {"MENU.EXE", "MENU.EXE"},
        {"D:", "D:"},
        {"", ""},
        // 表\X: the second byte 0x5C of 表 is no separator.
        {"D:\\\x95\x5cX", "D:\\"},
        {"D:\\A\\\x95\x5c", "D:\\A"},
    };
    for (const StripCase& c : cases) {
        char path[64];
        strcpy(path, c.before);
        stripLastPart(path);
        EXPECT_STREQ(c.after, path) << "path \"" << c.before << "\"";
    }
}

struct SplitCase {
    const char* before;
    const char* after;
    const char* fileName;
};

TEST(SplitFileName, Table)
{
    const SplitCase cases[] = {
        {"D:\\APP\\SETUP.EXE", "D:\\APP", "SETUP.EXE"},
        {"D:\\SETUP.EXE", "D:\\", "SETUP.EXE"},
        {"D:SETUP.EXE", "D:", "SETUP.EXE"},
        {"\\SETUP.EXE", "\\", "SETUP.EXE"},
        {"APP\\SETUP.EXE", "APP", "SETUP.EXE"},
        {"SETUP.EXE", "", "SETUP.EXE"},
        {"D:\\APP\\", "D:\\APP", ""},
        {"D:\\LONGFILENAME.EXE", "D:\\", "LONGFILENAME"},
        {"/APP/SETUP.EXE", "/APP", "SETUP.EXE"},
        {"\\", "\\", ""},
        {"", "", ""},
        {"D:\\APP/SUB\\A.EXE", "D:\\APP/SUB", "A.EXE"},
        {"D:/A.EXE", "D:/", "A.EXE"},
        {"D:", "D:", ""},
        {"ABCDEFGHIJKL", "", "ABCDEFGHIJKL"},
        {"ABCDEFGHIJKLM", "", "ABCDEFGHIJKL"},
        // 表.EXE in the root: 0x5C as second byte stays in the name.
        {"D:\\\x95\x5c.EXE", "D:\\", "\x95\x5c.EXE"},
        // Eleven bytes and 表: the two-byte character does not fit in 12.
        {"D:\\ABCDEFGHIJK\x95\x5c", "D:\\", "ABCDEFGHIJK"},
        {"D:\\ABCDEFGHIJ\x95\x5cZ", "D:\\", "ABCDEFGHIJ\x95\x5c"},
    };
    for (const SplitCase& c : cases) {
        char path[64];
        char fileName[32];
        strcpy(path, c.before);
        memset(fileName, JUNK, sizeof fileName);
        splitFileName(fileName, path);
        EXPECT_STREQ(c.after, path) << "path \"" << c.before << "\"";
        EXPECT_STREQ(c.fileName, fileName) << "path \"" << c.before << "\"";
        for (size_t i = 13; i < sizeof fileName; i++)
            ASSERT_EQ(JUNK, fileName[i]) << "path \"" << c.before << "\", byte " << i;

        char alone[64];
        strcpy(alone, c.before);
        splitFileName(0, alone);
        EXPECT_STREQ(c.after, alone) << "no file-name buffer, path \"" << c.before << "\"";
    }
}

struct ExtensionCase {
    const char* name;
    const char* extension;
    int want;
};

TEST(HasExtension, Table)
{
    const ExtensionCase cases[] = {
        {"setup.exe", "exe", 1},
        {"setup.exe", "EXE", 0},
        {"setup", "", 1},
        {"setup", "exe", 0},
        {"setup.", "", 1},
        {"setup.", "exe", 0},
        {"a.b.exe", "exe", 0},
        {"a.b.exe", "b.exe", 1},
        {"", "", 1},
        {"", "exe", 0},
        {"setup.exe", "", 0},
        {"setup.exe", "ex", 0},
        {"setup.ex", "exe", 0},
        {".scr", "scr", 1},
        {"d:\\app.dir\\setup", "dir\\setup", 1},
    };
    for (const ExtensionCase& c : cases)
        EXPECT_EQ(c.want, hasExtension(c.name, c.extension))
            << "name \"" << c.name << "\", extension \"" << c.extension << "\"";
}

// Every byte value before a second byte of 0x5C or '/': as a lead byte it
// makes one character, otherwise the 0x5C or '/' is a separator.
TEST(PathWalks, EveryLeadByteTakesTheNextByteWithIt)
{
    const char trails[] = {'\\', '/'};
    for (int b = 0x20; b < 0x100; b++) {
        if (b == '\\' || b == '/' || b == ':')
            continue;
        for (char trail : trails) {
            bool lead = leadByRange(b);
            std::string pair = {(char)b, trail};
            char path[32];

            snprintf(path, sizeof path, "D:\\A\\%sX", pair.c_str());
            stripLastPart(path);
            EXPECT_STREQ(lead ? "D:\\A" : ("D:\\A\\" + pair.substr(0, 1)).c_str(), path)
                << "strip, byte " << b << " trail " << trail;

            char fileName[13];
            snprintf(path, sizeof path, "D:\\%sX", pair.c_str());
            splitFileName(fileName, path);
            EXPECT_STREQ(lead ? "D:\\" : ("D:\\" + pair.substr(0, 1)).c_str(), path)
                << "split, byte " << b << " trail " << trail;
            EXPECT_STREQ(lead ? (pair + "X").c_str() : "X", fileName)
                << "split, byte " << b << " trail " << trail;

            snprintf(path, sizeof path, "D:\\%s", pair.c_str());
            joinPath(path, sizeof path, "A");
            bool endsInBackslash = !lead && trail == '\\';
            EXPECT_EQ("D:\\" + pair + (endsInBackslash ? "" : "\\") + "A", std::string(path))
                << "join, byte " << b << " trail " << trail;
        }
    }
}

// A lead byte right before the terminator: the walks stop at the NUL. The
// bytes after it would change every result if a walk went past.
TEST(PathWalks, LoneLeadByteNeverPassesTheTerminator)
{
    for (int b = 0x81; b <= 0xFC; b++) {
        if (!leadByRange(b))
            continue;
        const char tail[] = {'\\', 'Z', ':', '\\', 'Q', 0};
        char path[32];
        char fileName[13];

        snprintf(path, sizeof path, "D:\\A\\%c", (char)b);
        size_t end = strlen(path);
        memcpy(path + end + 1, tail, sizeof tail);
        stripLastPart(path);
        EXPECT_STREQ("D:\\A", path) << "strip, byte " << b;

        snprintf(path, sizeof path, "D:\\A\\%c", (char)b);
        memcpy(path + end + 1, tail, sizeof tail);
        splitFileName(fileName, path);
        EXPECT_STREQ("D:\\A", path) << "split, byte " << b;
        EXPECT_EQ(std::string(1, (char)b), fileName) << "split, byte " << b;

        snprintf(path, sizeof path, "D:\\A\\%c", (char)b);
        memcpy(path + end + 1, tail, sizeof tail);
        joinPath(path, sizeof path, "N");
        EXPECT_EQ(std::string("D:\\A\\") + (char)b + "\\N", path) << "join, byte " << b;
    }
}

TEST(CopyText, CutsAtCharacterBoundaries)
{
    // あいaう and a text of one-byte characters only.
    const char* texts[] = {("\x82\xa0\x82\xa2" "a\x82\xa4"), "ABCDEF", ""};
    for (const char* text : texts)
        expectCutAtBoundaries(text, [&](char* b, size_t n) { copyText(b, n, text); });
}

TEST(CopyText, SizeZeroWritesNothing)
{
    char dest[4];
    memset(dest, JUNK, sizeof dest);
    copyText(dest, 0, "abc");
    getField(dest, 0, "abc", 0);
    EXPECT_STREQ("", getWord(dest, 0, "abc", 0));
    for (char c : dest)
        EXPECT_EQ(JUNK, c);
}

struct IntCase {
    const char* text;
    int want;
};

TEST(ToInt, Table)
{
    const IntCase cases[] = {
        {"", 0},
        {"42", 42},
        {"  42", 42},
        {"\t\n\v\f\r 7", 7},
        {"-17x", -17},
        {"+5", 5},
        {"-", 0},
        {"+-3", 0},
        {"abc", 0},
        {"12 34", 12},
        {" 0x1F", 0},
        {"\x81\x40" "5", 0},  // a full-width blank is not a blank
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"123456789012345678901234567890", INT_MAX},
        {"-123456789012345678901234567890", INT_MIN},
        {"999999999999999999999999999999", INT_MAX},
        {"000000000000000000000000000012", 12},
        {"-000000000000000000000000000012", -12},
        {"99999999999999999999999999999999999999999999999999999999999999", INT_MAX},
    };
    for (const IntCase& c : cases)
        EXPECT_EQ(c.want, toInt(c.text)) << "text \"" << c.text << "\"";
}

struct NameCase {
    const char* prefix;
    unsigned n;
    size_t size;
    const char* want;
};

TEST(NumberedName, Table)
{
    const NameCase cases[] = {
        {"Page", 1, 24, "Page1"},
        {"DelDir", 12, 20, "DelDir12"},
        {"Bmp", 4294967295u, 24, "Bmp4294967295"},
        {"Command", 0, 24, "Command0"},
        // A prefix that leaves no room is cut; the number stays whole.
        {"BtnTextCol", 123, 8, "BtnT123"},
        {"\x82\xa0\x82\xa2", 7, 4, "\x82\xa0" "7"},
        {"\x82\xa0\x82\xa2", 7, 3, "7"},
        // No room even for the number: nothing but the terminator.
        {"Page", 12345, 3, ""},
    };
    for (const NameCase& c : cases) {
        char dest[32];
        memset(dest, JUNK, sizeof dest);
        numberedName(dest, c.size, c.prefix, c.n);
        EXPECT_STREQ(c.want, dest) << c.prefix << " " << c.n << " in " << c.size;
        for (size_t i = c.size; i < sizeof dest; i++)
            ASSERT_EQ(JUNK, dest[i]) << "written past " << c.size;
    }
}

TEST(AppendDecimal, AppendsWholeNumbersOrNothing)
{
    char text[8] = "1/";
    EXPECT_EQ(5u, appendDecimal(text, sizeof text, 200));
    EXPECT_STREQ("1/200", text);
    EXPECT_EQ(5u, appendDecimal(text, sizeof text, 4000));  // 9 bytes: no room
    EXPECT_STREQ("1/200", text);
    EXPECT_EQ(6u, appendDecimal(text, sizeof text, 0));
    EXPECT_EQ(7u, appendDecimal(text, sizeof text, 5));  // exactly fills the buffer
    EXPECT_STREQ("1/20005", text);
}

}  // namespace
