// The profile reader and the user profile, held to one table natively (the
// POSIX reader over menu/ini) and under Wine (the real Win32 functions):
// each case is a file's bytes, a lookup and the buffer size.
#include "menu/ini.h"
#include "menu/text.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const char FILL = '*';

std::string tempPath(const std::string& name)
{
#ifdef _WIN32
    char dir[MAX_PATH];
    DWORD n = GetTempPathA(sizeof dir, dir);
    std::string base = n > 0 && n < sizeof dir ? dir : "C:\\";
    return base + "menu_" + std::to_string(GetCurrentProcessId()) + "_" + name;
#else
    const char* dir = getenv("TMPDIR");
    std::string base = dir && dir[0] ? dir : "/tmp";
    return base + "/menu_" + std::to_string(getpid()) + "_" + name;
#endif
}

bool writeFile(const std::string& path, const char* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

std::string readFile(const std::string& path)
{
    std::string text;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, got);
    fclose(f);
    return text;
}

// The file name as the menu gives it: Windows-style, with backslashes.
std::string windowsStyle(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

struct ReadCase {
    const char* what;
    const char* file;  // null: no file
    size_t fileSize;
    const char* section;
    const char* key;
    int size;
    const char* want;  // null: buffer untouched
    int count;
    // Where the Win32 reader under Wine gives another result, that result
    // (FILL marks a byte it leaves as it was); null when it agrees.
    const char* win32Want;
    int win32Count;
};

#define BYTES(text) text, sizeof(text) - 1

const ReadCase readCases[] = {
    {"CR LF line ends", BYTES("[a]\r\nk=v\r\nj=w\r\n"), "a", "j", 40, "w", 1, 0, 0},
    {"CR line ends", BYTES("[a]\rk=v\rj=w\r"), "a", "j", 40, "w", 1, 0, 0},
    {"LF line ends, no final line break", BYTES("[a]\nk=v\nj=w"), "a", "j", 40, "w", 1, 0, 0},
    {"blank lines and a lone '='", BYTES("[a]\n  \n\n=\nk=v\n"), "a", "k", 40, "v", 1, 0, 0},
    {"blanks and tabs around names and values",
     BYTES(" \t[ a ] x\n \tk \t= \t v v \t\n"), "a", "k", 40, "v v", 3, 0, 0},
    {"^Z, VT and FF count as blanks", BYTES("[a]\nk\v=\fv\x1a\n"), "a", "k", 40, "v", 1, 0, 0},
    {"names looked up trimmed", BYTES("[a]\nk=v\n"), " a ", "  k ", 40, "v", 1, 0, 0},
    {"names without regard to ASCII case", BYTES("[sEc]\nKeY=v\n"), "SeC", "kEy", 40, "v", 1, 0, 0},
    // [Ａ] looked up as ａ: only ASCII letters fold.
    {"full-width letters keep their case", BYTES("[\x82\x60]\nk=v\n"), "\x82\x81", "k", 40, "", 0, 0, 0},
    // [ア] looked up with second byte 0x61: second bytes never fold.
    {"second bytes compared exactly", BYTES("[\x83\x41]\nk=v\n"), "\x83\x61", "k", 40, "", 0, 0, 0},
    // [ム]: its second byte is ']'.
    {"second byte ']' inside a section name", BYTES("[\x83\x5d]\nk=v\n"), "\x83\x5d", "k", 40, "v", 1, 0, 0},
    {"a second byte ']' closes no header",
     BYTES("[\x83\x5d\nk=v\n"), "", "k", 40, "v", 1, 0, 0},
    {"'[a' is no header", BYTES("[a\nk=v\n"), "a", "k", 40, "", 0, 0, 0},
    {"the last ']' closes the name", BYTES("[a]x]\nk=v\n"), "a]x", "k", 40, "v", 1, 0, 0},
    {"keys before any section: section \"\"", BYTES("k=0\n[a]\nk=1\n"), "", "k", 40, "0", 1, 0, 0},
    {"\"[]\" is hidden by the keys before any section", BYTES("[]\nk=v\n"), "", "k", 40, "", 0, 0, 0},
    {"duplicate keys: the first counts", BYTES("[a]\nk=1\nk=2\n"), "a", "k", 40, "1", 1, 0, 0},
    {"a line without '=' hides a later key", BYTES("[a]\nk\nk=2\n"), "a", "k", 40, "", 0, 0, 0},
    {"duplicate sections: only the first is read", BYTES("[a]\nk=1\n[a]\nj=2\n"), "a", "j", 40, "", 0, 0, 0},
    {"duplicate sections in other case", BYTES("[a]\nk=1\n[A]\nk=2\n"), "A", "k", 40, "1", 1, 0, 0},
    {"';' starts no comment", BYTES("[a]\n;k=1\nk=2\n"), "a", ";k", 40, "1", 1, 0, 0},
    {"a ';' line is no key k", BYTES("[a]\n;k=1\nk=2\n"), "a", "k", 40, "2", 1, 0, 0},
    {"'#' starts no comment", BYTES("[a]\n#k=1\n"), "a", "#k", 40, "1", 1, 0, 0},
    {"text after a value stays", BYTES("[a]\nk=1 ;c\n"), "a", "k", 40, "1 ;c", 4, 0, 0},
    {"only the first '=' splits", BYTES("[a]\nk==v\n"), "a", "k", 40, "=v", 2, 0, 0},
    {"the empty key name", BYTES("[a]\n=v\n"), "a", "", 40, "v", 1, 0, 0},
    {"empty value", BYTES("[a]\nk=\t\n"), "a", "k", 40, "", 0, 0, 0},
    {"double quotes come off", BYTES("[a]\nk = \"quoted\" \n"), "a", "k", 40, "quoted", 6, 0, 0},
    {"single quotes come off", BYTES("[a]\nk='q'\n"), "a", "k", 40, "q", 1, 0, 0},
    {"empty quotes", BYTES("[a]\nk=\"\"\n"), "a", "k", 40, "", 0, 0, 0},
    {"one quotation mark stays", BYTES("[a]\nk=\"\n"), "a", "k", 40, "\"", 1, 0, 0},
    {"unmatched quotes stay", BYTES("[a]\nk=\"abc\n"), "a", "k", 40, "\"abc", 4, 0, 0},
    {"mixed quotes stay", BYTES("[a]\nk=\"abc'\n"), "a", "k", 40, "\"abc'", 5, 0, 0},
    {"quoted value cut", BYTES("[a]\nk=\"abc\"\n"), "a", "k", 3, "ab", 2, 0, 0},
    // Wine loses the last character when the unquoted value fits exactly.
    {"quoted value that fits exactly", BYTES("[a]\nk=\"abc\"\n"), "a", "k", 4, "abc", 3, "ab", 2},
    // "あい"
    {"quoted Japanese", BYTES("[a]\nk=\"\x82\xa0\x82\xa2\"\n"), "a", "k", 5, "\x82\xa0\x82\xa2", 4, 0, 0},
    {"a NUL ends a value", BYTES("[a]\nk=v\0w\nj=x\n"), "a", "k", 40, "v", 1, 0, 0},
    {"the line after a NUL is read", BYTES("[a]\nk=v\0w\nj=x\n"), "a", "j", 40, "x", 1, 0, 0},
    {"a blank before a NUL stays", BYTES("[a]\nk=ab \0x\n"), "a", "k", 40, "ab ", 3, 0, 0},
    {"quotes before a NUL come off", BYTES("[a]\nk='ab'\0x\n"), "a", "k", 40, "ab", 2, 0, 0},
    {"a NUL ends a key name", BYTES("[a]\nk\0z=v\n"), "a", "k", 40, "v", 1, 0, 0},
    {"a NUL ends a section name", BYTES("[a\0b]\nk=v\n"), "a", "k", 40, "v", 1, 0, 0},
    {"UTF-8 byte-order mark skipped", BYTES("\xEF\xBB\xBF[a]\nk=v\n"), "a", "k", 40, "v", 1, 0, 0},
    {"a second mark is text", BYTES("\xEF\xBB\xBF\xEF\xBB\xBF[a]\nk=v\n"), "a", "k", 40, "", 0, 0, 0},
    {"missing section", BYTES("[a]\nk=v\n"), "b", "k", 40, "", 0, 0, 0},
    {"missing key", BYTES("[a]\nk=v\n"), "a", "j", 40, "", 0, 0, 0},
    {"missing file", 0, 0, "a", "k", 40, "", 0, 0, 0},
    {"empty file", "", 0, "a", "k", 40, "", 0, 0, 0},
    {"cut to size - 1", BYTES("[a]\nk=abcdef\n"), "a", "k", 4, "abc", 3, 0, 0},
    {"size 1", BYTES("[a]\nk=abcdef\n"), "a", "k", 1, "", 0, 0, 0},
    {"size 0 leaves the buffer alone", BYTES("[a]\nk=abcdef\n"), "a", "k", 0, 0, 0, 0, 0},
    // あいうえ: Wine leaves the byte before the terminator as it was when a
    // cut falls inside a two-byte character, and counts it; the Win32 seam
    // clears the buffer first and counts what it holds.
    {"cut inside a character: before it", BYTES("[a]\nk=\x82\xa0\x82\xa2\x82\xa4\x82\xa6\n"),
     "a", "k", 4, "\x82\xa0", 2, 0, 0},
    {"cut between characters", BYTES("[a]\nk=\x82\xa0\x82\xa2\x82\xa4\x82\xa6\n"),
     "a", "k", 5, "\x82\xa0\x82\xa2", 4, 0, 0},
    {"two-byte value that fits exactly", BYTES("[a]\nk=\x82\xa0\x82\xa2\x82\xa4\x82\xa6\n"),
     "a", "k", 9, "\x82\xa0\x82\xa2\x82\xa4\x82\xa6", 8, 0, 0},
    {"cut inside the last character", BYTES("[a]\nk=\x82\xa0\x82\xa2\x82\xa4\x82\xa6\n"),
     "a", "k", 8, "\x82\xa0\x82\xa2\x82\xa4", 6, 0, 0},
    {"cut after a one-byte character", BYTES("[a]\nk=a\x82\xa0\n"), "a", "k", 3, "a", 1, 0, 0},
    // 表: second byte 0x5C.
    {"second byte 0x5C in a value", BYTES("[a]\nk=\x95\x5c\n"), "a", "k", 40, "\x95\x5c", 2, 0, 0},
    {"bytes outside Shift-JIS pass", BYTES("[a]\nk=\x80\xa0\xfd\n"), "a", "k", 40, "\x80\xa0\xfd", 3, 0, 0},
    {"a lead byte takes the line break with it", BYTES("[a]\nk=x\x81\nj=y\n"), "a", "j", 40, "", 0, 0, 0},
    {"a lead byte before a NUL takes nothing", BYTES("[a]\nk=\x81\0\nj=1\n"), "a", "j", 40, "1", 1, 0, 0},
    {"40 bytes are cut to 39", BYTES("[a]\nk=1234567890123456789012345678901234567890\n"), "a", "k", 40,
     "123456789012345678901234567890123456789", 39, 0, 0},
};

TEST(ProfileRead, SameTableNativelyAndUnderWine)
{
    int index = 0;
    for (const ReadCase& c : readCases) {
        std::string path = tempPath("read" + std::to_string(index++) + ".ini");
        remove(path.c_str());
        if (c.file) {
            ASSERT_TRUE(writeFile(path, c.file, c.fileSize)) << path;
        }

        char buffer[64];
        memset(buffer, FILL, sizeof buffer);
        int got = readProfileString(c.section, c.key, buffer, c.size,
                                    windowsStyle(path).c_str());
        remove(path.c_str());

        const char* want = c.want;
        int count = c.count;
#ifdef _WIN32
        if (c.win32Want) {
            want = c.win32Want;
            count = c.win32Count;
        }
#endif
        EXPECT_EQ(count, got) << c.what;
        if (!want) {
            for (char b : buffer)
                ASSERT_EQ(FILL, b) << c.what;
            continue;
        }
        size_t n = strlen(want);
        EXPECT_EQ(std::string(want), std::string(buffer, n)) << c.what;
        EXPECT_EQ(0, buffer[n]) << c.what;
        for (size_t i = (size_t)c.size; i < sizeof buffer; i++)
            ASSERT_EQ(FILL, buffer[i]) << c.what << ": byte " << i << " beyond the size";
    }
}

std::string readValue(const std::string& path, const char* section, const char* key)
{
    char buffer[64];
    int n = readProfileString(section, key, buffer, sizeof buffer, windowsStyle(path).c_str());
    return std::to_string(n) + ":" + buffer;
}

// Readers may keep a parsed file between calls; a change must always show.
TEST(ProfileRead, ChangedFileReadsAnew)
{
    std::string path = tempPath("change.ini");
    // Same size each time; where file times are coarse, several of these
    // rewrites also share one file time.
    for (int i = 0; i < 50; i++) {
        char text[] = "[a]\nk=0\n";
        text[6] = (char)('0' + i % 10);
        ASSERT_TRUE(writeFile(path, text, sizeof text - 1));
        EXPECT_EQ(std::string("1:") + text[6], readValue(path, "a", "k")) << i;
    }
    remove(path.c_str());
    EXPECT_EQ("0:", readValue(path, "a", "k"));
}

TEST(ProfileRead, LongKeyListFindsEveryKey)
{
    std::string text = "[a]\n";
    for (int k = 1; k <= 3000; k++)
        text += "Menu" + std::to_string(k) + "=E" + std::to_string(k) + "\n";
    text += "[b]\nMenu7=other\n";
    std::string path = tempPath("long.ini");
    ASSERT_TRUE(writeFile(path, text.data(), text.size()));
    for (int k = 1; k <= 3000; k += 333) {
        std::string want = "E" + std::to_string(k);
        std::string key = "menu" + std::to_string(k);
        EXPECT_EQ(std::to_string(want.size()) + ":" + want, readValue(path, "a", key.c_str()));
    }
    EXPECT_EQ("5:other", readValue(path, "B", "Menu7"));
    EXPECT_EQ("0:", readValue(path, "a", "Menu3001"));
    remove(path.c_str());
}

#ifndef _WIN32
// Copying tools keep a file's modification time; the change time still
// tells that the bytes are new.
TEST(ProfileRead, RewriteThatKeepsTheModificationTimeReadsAnew)
{
    std::string path = tempPath("kept.ini");
    struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_TRUE(writeFile(path, BYTES("[a]\nk=1\n")));
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), old, 0));
    EXPECT_EQ("1:1", readValue(path, "a", "k"));
    EXPECT_EQ("1:1", readValue(path, "a", "k"));
    ASSERT_TRUE(writeFile(path, BYTES("[a]\nk=2\n")));
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), old, 0));
    EXPECT_EQ("1:2", readValue(path, "a", "k"));
    remove(path.c_str());
}
#endif

// --- The user profile (win.ini) ------------------------------------------

const char SECTION[] = "MenuTextProfileTest";

std::string userProfilePath()
{
#ifdef _WIN32
    char dir[MAX_PATH];
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    return n > 0 && n < sizeof dir ? std::string(dir) + "\\win.ini" : "";
#else
    const char* path = getenv("MENU_USER_PROFILE");
    return path ? path : "";
#endif
}

// The test section's lines as the file holds them, header included; empty
// when the section is not there.
std::string sectionText(const std::string& file)
{
    std::string header = std::string("[") + SECTION + "]";
    size_t at = 0;
    for (;;) {
        at = file.find(header, at);
        if (at == std::string::npos)
            return "";
        if (at == 0 || file[at - 1] == '\n' || file[at - 1] == '\r')
            break;
        at++;
    }
    size_t end = at + header.size();
    for (;;) {
        end = file.find('[', end);
        if (end == std::string::npos) {
            end = file.size();
            break;
        }
        if (file[end - 1] == '\n' || file[end - 1] == '\r')
            break;
        end++;
    }
    return file.substr(at, end - at);
}

class UserProfile : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifndef _WIN32
        path = tempPath("win.ini");
        remove(path.c_str());
        setenv("MENU_USER_PROFILE", path.c_str(), 1);
#endif
        writeUserProfile(SECTION, 0, 0);
    }
    void TearDown() override
    {
        writeUserProfile(SECTION, 0, 0);
#ifndef _WIN32
        unsetenv("MENU_USER_PROFILE");
        remove(path.c_str());
#endif
    }
    std::string path;
};

const char* const DELETE_IT = 0;  // a null value or key: WriteProfileStringA deletes

struct Write {
    const char* section;  // the test's section in the case given
    const char* key;
    const char* value;
};

struct Expected {
    const char* key;
    const char* value;
};

struct WriteCase {
    const char* what;
    Write writes[8];
    const char* text;  // the section afterwards as the file holds it
    Expected reads[4];
};

const WriteCase writeCases[] = {
    {"values written in order, blanks around them dropped",
     {{SECTION, "k1", "v1"}, {SECTION, "k2", "  v2 \t"}, {SECTION, "k3", ""}},
     "[MenuTextProfileTest]\r\nk1=v1\r\nk2=v2\r\nk3=\r\n",
     {{"k1", "v1"}, {"k2", "v2"}, {"k3", ""}}},
    {"value replaced in place, the key keeps its name",
     {{SECTION, "k1", "v1"}, {SECTION, "k2", "v2"}, {"menutextprofiletest", "K1", "new"}},
     "[MenuTextProfileTest]\r\nk1=new\r\nk2=v2\r\n",
     {{"k1", "new"}, {"K2", "v2"}}},
    {"key deleted, the keys after it keep their order",
     {{SECTION, "k1", "v1"}, {SECTION, "k2", "v2"}, {SECTION, "k3", "v3"},
      {SECTION, "K2", DELETE_IT}, {SECTION, "k4", "v4"}},
     "[MenuTextProfileTest]\r\nk1=v1\r\nk3=v3\r\nk4=v4\r\n",
     {{"k2", ""}, {"k3", "v3"}, {"k4", "v4"}}},
    {"deleting what is not there changes nothing",
     {{SECTION, "k1", "v1"}, {SECTION, "k9", DELETE_IT}, {"MenuTextProfileNone", "k1", DELETE_IT},
      {"MenuTextProfileNone", DELETE_IT, DELETE_IT}},
     "[MenuTextProfileTest]\r\nk1=v1\r\n",
     {{"k1", "v1"}}},
    {"section deleted with all its keys",
     {{SECTION, "k1", "v1"}, {SECTION, "k2", "v2"}, {"MENUTEXTPROFILETEST", DELETE_IT, DELETE_IT}},
     "",
     {{"k1", ""}, {"k2", ""}}},
    {"a deleted section comes back empty of its old keys",
     {{SECTION, "k1", "v1"}, {SECTION, DELETE_IT, DELETE_IT}, {SECTION, "k2", "v2"}},
     "[MenuTextProfileTest]\r\nk2=v2\r\n",
     {{"k1", ""}, {"k2", "v2"}}},
    // The exit clean-up: 1 = P, 2 = Q, 3 = S; P and Q removed, S stays.
    {"clean-up list rewritten",
     {{SECTION, "DelDir1", "P"}, {SECTION, "DelDir2", "Q"}, {SECTION, "DelDir3", "S"},
      {SECTION, "DelDir1", DELETE_IT}, {SECTION, "DelDir2", DELETE_IT}, {SECTION, "DelDir1", "S"},
      {SECTION, "DelDir2", ""}},
     "[MenuTextProfileTest]\r\nDelDir3=S\r\nDelDir1=S\r\nDelDir2=\r\n",
     {{"DelDir1", "S"}, {"DelDir2", ""}, {"DelDir3", "S"}}},
};

TEST_F(UserProfile, WritesGiveTheSameFileAndReadsNativelyAndUnderWine)
{
    for (const WriteCase& c : writeCases) {
        writeUserProfile(SECTION, 0, 0);
        for (const Write& w : c.writes)
            if (w.section)
                writeUserProfile(w.section, w.key, w.value);
        EXPECT_EQ(std::string(c.text), sectionText(readFile(userProfilePath()))) << c.what;
        for (const Expected& e : c.reads) {
            if (!e.key)
                continue;
            char buffer[64];
            memset(buffer, FILL, sizeof buffer);
            int got = readUserProfile(SECTION, e.key, buffer, sizeof buffer);
            EXPECT_EQ((int)strlen(e.value), got) << c.what << ": " << e.key;
            EXPECT_STREQ(e.value, buffer) << c.what << ": " << e.key;
        }
    }
}

#ifndef _WIN32
// The rest of the file stays byte for byte, and a deletion never creates
// the file.
TEST_F(UserProfile, NativeFileKeepsTheRestAndIsNotCreatedByADeletion)
{
    writeUserProfile(SECTION, "k", DELETE_IT);
    EXPECT_EQ(nullptr, fopen(path.c_str(), "rb"));

    const char before[] = "; c\n[x]\n k = 1 \n\n";
    ASSERT_TRUE(writeFile(path, before, sizeof before - 1));
    writeUserProfile(SECTION, "k", "v");
    EXPECT_EQ(std::string(before) + "[MenuTextProfileTest]\nk=v\n", readFile(path));
    writeUserProfile(SECTION, DELETE_IT, DELETE_IT);
    EXPECT_EQ(before, readFile(path));
}

TEST(UserProfileNative, NoProfileWithoutTheVariable)
{
    unsetenv("MENU_USER_PROFILE");
    writeUserProfile(SECTION, "k", "v");
    char buffer[8];
    memset(buffer, FILL, sizeof buffer);
    EXPECT_EQ(0, readUserProfile(SECTION, "k", buffer, sizeof buffer));
    EXPECT_STREQ("", buffer);
}
#endif

// --- Rewriting in memory -------------------------------------------------

std::string rewrite(const std::string& data, const char* section,
                    const char* key, const char* value)
{
    size_t n = iniRewrite(data.data(), data.size(), section, key, value, 0, 0);
    std::string out(n, '\0');
    EXPECT_EQ(n, iniRewrite(data.data(), data.size(), section, key, value, &out[0], n));
    return out;
}

struct RewriteCase {
    const char* what;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

// Everything the write does not touch stays byte for byte: comments, blank
// lines, spacing, the file's own line breaks.
TEST(IniRewrite, KeepsWhatItDoesNotChange)
{
    const RewriteCase cases[] = {
        {"value replaced, comment and blank line kept",
         "; top\n[a]\n  k = old ; x\n\nj=1\n", "a", "k", "new",
         "; top\n[a]\nk=new\n\nj=1\n"},
        {"new key after the last line, before blank lines",
         "[a]\nk=1\n\n\n[b]\nj=2\n", "a", "n", "v", "[a]\nk=1\nn=v\n\n\n[b]\nj=2\n"},
        {"new key after a last line without a break", "[a]\nk=1", "a", "n", "v",
         "[a]\nk=1\nn=v\n"},
        {"new key under a header alone", "[a]", "a", "n", "v", "[a]\r\nn=v\r\n"},
        {"new section, CR LF as the file has it", "[a]\r\nk=1\r\n", "b", "n", "v",
         "[a]\r\nk=1\r\n[b]\r\nn=v\r\n"},
        {"new section after a last line without a break", "[a]\rk=1", "b", "n", "v",
         "[a]\rk=1\r[b]\rn=v\r"},
        {"new section in an empty file", "", "b", "n", "v", "[b]\r\nn=v\r\n"},
        {"byte-order mark kept", "\xEF\xBB\xBF", "b", "n", "v", "\xEF\xBB\xBF[b]\r\nn=v\r\n"},
        {"a value keeps no line break", "[a]\n", "a", "n", "v\r\n[x]", "[a]\nn=v\n"},
        // A lone lead byte would take the line break after it.
        {"a value loses half a character at its end", "[a]\n", "a", "n", "v\x82\xa0 \x81",
         "[a]\nn=v\x82\xa0\n"},
        {"a last line in half a character gets a blank", "[a]\nk=\x81", "b", "n", "v",
         "[a]\nk=\x81 \n[b]\nn=v\n"},
        {"same value: nothing changes", "[a]\n k = v \n", "a", "k", "v", "[a]\n k = v \n"},
        {"key line deleted with its break", "[a]\r\nk=1\r\nj=2\r\n", "a", "k", 0,
         "[a]\r\nj=2\r\n"},
        {"key in the first section that has it", "[a]\n[b]\n[a]\nk=1\n", "a", "k", 0,
         "[a]\n[b]\n[a]\n"},
        {"first of duplicate sections deleted", "[a]\nk=1\n[b]\n[a]\nk=2\n", "A", 0, 0,
         "[b]\n[a]\nk=2\n"},
        {"keys before any section kept", "x=1\n[a]\nk=1\n", "a", 0, 0, "x=1\n"},
        // 表=1: a second byte 0x5C in a key name.
        {"Japanese key name", "[a]\n\x95\x5c=1\n", "a", "\x95\x5c", "2", "[a]\n\x95\x5c=2\n"},
        {"no section: nothing", "[a]\nk=1\n", 0, "k", "v", "[a]\nk=1\n"},
    };
    for (const RewriteCase& c : cases)
        EXPECT_EQ(std::string(c.after), rewrite(c.before, c.section, c.key, c.value)) << c.what;
}

// Generated profiles, malformed Shift-JIS included: whatever a write does,
// every other lookup reads as before, and the key written reads as it does
// in a profile that holds nothing else.
struct Generator {
    unsigned seed;
    unsigned next(unsigned n)
    {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    }
    const char* pick(const char* const* items, unsigned n) { return items[next(n)]; }
};

// あ, ア (second byte 'A'), ム (second byte ']'), 表 (second byte '\').
const char* const sectionNames[] = {"a", "A", " b ", "\x83\x41", "\x83\x5d", "\x95\x5c", ""};
const char* const keyNames[] = {"k", "K", "j", "\x83\x41", "\x95\x5c", "=", ";k"};
const char* const pieces[] = {"v", " x y ", "\"q\"", "'", "\x82\xa0", "\x95\x5c", "\x81",
                              "\xfc", "]", "[", "=", "\t", "\x1a", ";", "#"};
const char* const breaks[] = {"\r\n", "\n", "\r"};

std::string randomValue(Generator& g)
{
    std::string v;
    for (unsigned n = g.next(4); n > 0; n--)
        v += g.pick(pieces, 15);
    return v;
}

std::string randomProfile(Generator& g)
{
    std::string text = g.next(8) == 0 ? "\xEF\xBB\xBF" : "";
    for (unsigned lines = g.next(12); lines > 0; lines--) {
        switch (g.next(6)) {
        case 0:
            text += std::string("[") + g.pick(sectionNames, 7) + "]";
            break;
        case 1:
        case 2:
            text += std::string(g.pick(keyNames, 7)) + "=" + randomValue(g);
            break;
        case 3:
            text += g.pick(keyNames, 7);  // a key without '='
            break;
        case 4:
            text += randomValue(g);
            break;
        default:
            break;  // a blank line
        }
        if (lines > 1 || g.next(2))
            text += g.pick(breaks, 3);
    }
    return text;
}

// Bytes as C escapes, for failure messages.
std::string escaped(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        char hex[8];
        if (c >= 0x20 && c < 0x7F && c != '\\')
            out += (char)c;
        else {
            snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

std::string lookup(const std::string& data, const char* section, const char* key)
{
    char buffer[512];
    int n = iniReadString(data.data(), data.size(), section, key, buffer, sizeof buffer);
    return std::to_string(n) + ":" + buffer;
}

TEST(IniRewrite, GeneratedProfilesChangeOnlyWhatIsWritten)
{
    Generator g = {20240601u};
    for (int round = 0; round < 3000; round++) {
        std::string before = randomProfile(g);
        const char* section = g.pick(sectionNames, 7);
        const char* key = g.pick(keyNames, 7);
        unsigned op = g.next(4);  // 0 delete section, 1 delete key, else set
        std::string value = randomValue(g);
        const char* k = op == 0 ? nullptr : key;
        const char* v = op <= 1 ? nullptr : value.c_str();
        std::string after = rewrite(before, section, k, v);
        std::string what = "round " + std::to_string(round) + ", op " + std::to_string(op) +
                           " [" + escaped(section) + "] " + escaped(key) + "=" + escaped(value) +
                           "\n before \"" + escaped(before) + "\"\n after  \"" +
                           escaped(after) + "\"";

        for (const char* s2 : sectionNames)
            for (const char* k2 : keyNames) {
                // A blank section name is the one before any header ("[]"
                // is hidden behind it).
                std::string name = section;
                std::string holder = name.find_first_not_of(' ') == std::string::npos
                                         ? "x=1" : "[" + name + "]\nx=1";
                bool sameSection = lookup(holder, s2, "x") == "1:1";
                bool sameKey = lookup("[s]\n" + std::string(key) + "=1", "s", k2) == "1:1";
                if (sameSection && (op == 0 || sameKey))
                    continue;
                std::string was = lookup(before, s2, k2);
                std::string is = lookup(after, s2, k2);
                // The one change allowed: a last line ending in half a
                // character gets a blank as its second byte, so that the
                // line break added after it stays a line break.
                unsigned char end = before.empty() ? 0 : (unsigned char)before.back();
                if (was != is && isLeadByte(end) && is.back() == ' ')
                    was = std::to_string(std::stoi(was) + 1) + was.substr(was.find(':')) + " ";
                EXPECT_EQ(was, is) << what << "\n lookup [" << escaped(s2) << "] " << escaped(k2);
            }
        if (op >= 2) {
            std::string alone = rewrite("", section, key, value.c_str());
            EXPECT_EQ(lookup(alone, section, key), lookup(after, section, key))
                << what;
        }
    }
}

TEST(IniRewrite, SmallOutputGetsAPrefixAndTheWholeLength)
{
    const std::string data = "[a]\nk=1\n";
    char out[8];
    memset(out, FILL, sizeof out);
    size_t n = iniRewrite(data.data(), data.size(), "a", "n", "v", out, 4);
    EXPECT_EQ(std::string("[a]\nk=1\nn=v\n").size(), n);
    EXPECT_EQ("[a]\n", std::string(out, 4));
    EXPECT_EQ(FILL, out[4]);
}

}  // namespace
