// The DelDir%d list at exit, against real folders made for each test and
// the user profile (win.ini under Windows; natively the file named by
// MENU_USER_PROFILE, pointed into the test's own folder).
#include "launch/cleanup.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

TEST(IsRootDirectory, Cases)
{
    const struct {
        const char* path;
        bool root;
    } cases[] = {
        {"D:", true}, {"d:", true}, {"D:\\", true}, {"D:/", true}, {"D:\\\\", true},
        {"\\", true}, {"/", true}, {"\\\\server\\share", true}, {"\\\\server\\share\\", true},
        {"//server/share/", true}, {"\\\\server", true}, {"\\\\?\\C:\\", true},
        {"\\\\.\\C:", true}, {"\\\\?\\UNC\\server\\share\\", true},
        // Devices other than a drive letter or a share, with or without a
        // folder after them.
        {"\\\\?\\GLOBALROOT\\??\\C:\\", true},
        {"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume3\\", true},
        {"\\\\.\\GLOBALROOT\\DosDevices\\C:", true},
        {"\\\\?\\GLOBALROOT\\Device\\Mup\\srv\\share", true},
        {"\\\\?\\GLOBALROOT\\??\\C:\\DIR", true},
        {"\\\\?\\Volume{0a1b2c3d-0000-0000-0000-000000000000}\\DIR", true},
        {"\\\\.\\pipe\\DIR", true}, {"\\\\?\\C:DIR", true}, {"\\\\?\\", true},
        {"//?/GLOBALROOT/Device/HarddiskVolume3/DIR", true},
        // Names that resolve to a root.
        {"D:\\.", true}, {"D:.", true}, {"D:\\DIR\\..", true}, {"D:\\A\\B\\..\\..\\", true},
        {"D:\\ ", true}, {"D:\\...", true}, {"\\\\server\\share\\DIR\\..", true}, {".", true},
        // Directories below a root.
        {"D:\\DIR", false}, {"D:/DIR/", false}, {"D:DIR", false}, {"\\DIR", false},
        {"DIR", false}, {"D:\\..\\DIR", false}, {"D:\\DIR\\.", false}, {"D:\\.DIR", false},
        {"\\\\server\\share\\DIR", false}, {"\\\\?\\C:\\DIR", false},
        {"\\\\?\\UNC\\server\\share\\DIR", false}, {"\\\\.\\c:\\DIR", false},
        {"/tmp", false},
        {"D:\\\x95\x5C..", false},  // 表 ends in 0x5C: one name, not a name and ".."
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.root, isRootDirectory(c.path)) << "path: " << c.path;
}

#ifdef _WIN32
const char SEP = '\\';
#else
const char SEP = '/';
#endif

bool makeDir(const std::string& path)
{
#ifdef _WIN32
    return CreateDirectoryA(path.c_str(), 0) != 0;
#else
    return mkdir(path.c_str(), 0700) == 0;
#endif
}

bool makeFile(const std::string& path)
{
    FILE* f = fopen(path.c_str(), "wb");
    return f && fclose(f) == 0;
}

bool exists(const std::string& path)
{
#ifdef _WIN32
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat st;
    return stat(path.c_str(), &st) == 0;
#endif
}

// Removes a folder this test made, with everything in it.
void removeTree(const std::string& path)
{
    DirEntry entry;
    void* search = dirFindFirst((path + SEP + "*.*").c_str(), &entry);
    if (search) {
        do {
            std::string child = path + SEP + entry.name;
            if (!entry.isDirectory)
                removeFile(child.c_str());
            else if (strcmp(entry.name, ".") != 0 && strcmp(entry.name, "..") != 0)
                removeTree(child);
        } while (dirFindNext(search, &entry));
        dirFindClose(search);
    }
    removeDirectory(path.c_str());
}

std::string readKey(const std::string& key)
{
    char value[300];
    int n = readUserProfile(delDirSection, key.c_str(), value, sizeof value);
    return n >= 0 && n < (int)sizeof value ? std::string(value, n) : "(bad read)";
}

void writeKey(const std::string& key, const std::string& value)
{
    writeUserProfile(delDirSection, key.c_str(), value.c_str());
}

class DelDirs : public ::testing::Test {
protected:
    std::string root;  // this test's own folder
    std::string savedProfile;
    bool hadProfile = false;

    void SetUp() override
    {
#ifdef _WIN32
        char base[MAX_PATH];
        DWORD n = GetTempPathA(sizeof base, base);
        ASSERT_TRUE(n > 0 && n < sizeof base);
        root = base + std::string("menu-cleanup-") + std::to_string(GetCurrentProcessId());
        removeTree(root);  // left by a crashed run of the same id
        ASSERT_TRUE(makeDir(root)) << root;
#else
        char path[] = "/tmp/menu-cleanup-XXXXXX";
        ASSERT_TRUE(mkdtemp(path) != 0);
        root = path;
        const char* profile = getenv("MENU_USER_PROFILE");
        hadProfile = profile != 0;
        savedProfile = profile ? profile : "";
        setenv("MENU_USER_PROFILE", (root + "/win.ini").c_str(), 1);
#endif
        writeUserProfile(delDirSection, 0, 0);
    }

    void TearDown() override
    {
        writeUserProfile(delDirSection, 0, 0);
        removeTree(root);
#ifndef _WIN32
        if (hadProfile)
            setenv("MENU_USER_PROFILE", savedProfile.c_str(), 1);
        else
            unsetenv("MENU_USER_PROFILE");
#endif
    }

    std::string path(const std::string& name) const { return root + SEP + name; }

    // A folder of kind 'r' (files only: removed) or 's' (a file and a
    // subfolder with a file: the first file goes, the rest stays).
    void makeFolder(const std::string& dir, char kind)
    {
        ASSERT_TRUE(makeDir(dir));
        ASSERT_TRUE(makeFile(dir + SEP + "a.txt"));
        ASSERT_TRUE(makeFile(dir + SEP + "b"));
        if (kind == 's') {
            ASSERT_TRUE(makeDir(dir + SEP + "sub"));
            ASSERT_TRUE(makeFile(dir + SEP + "sub" + SEP + "keep.txt"));
        }
    }
};

TEST_F(DelDirs, ListIsRewritten)
{
    // Kinds: 'r' removed, 's' stays (has a subfolder), 'x' missing, 'e' an
    // empty value, '-' no key.
    const struct {
        const char* title;
        const char* before;  // kinds of DelDir1, DelDir2, ...
        const char* after;   // DelDir1..4 after: the digit of the DelDir they
                             // held before, '.' for nothing
        bool sectionGone;
    } cases[] = {
        {"no section", "", "....", true},
        {"one removed", "r", "....", true},
        {"removed, then a failure", "rs", "2...", false},
        {"two failures", "ss", "12..", false},
        {"two removed, then a failure", "rrs", "3.3.", false},  // 3 left beyond the end
        {"missing, then a failure", "xs", "2...", false},
        {"only a missing one", "x", "....", true},
        {"DelDir1 empty", "er", "....", true},
        {"gap, first removed", "r-r", "....", true},
        {"gap, first fails", "s-r", "1.3.", false},
        {"all outcomes", "sxrs", "14.4", false},
    };
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; n++) {
        const auto& c = cases[n];
        SCOPED_TRACE(c.title);
        std::string dirs[4];
        bool read = true;  // reading stops at the first missing or empty key
        bool isRead[4] = {};
        for (int i = 0; c.before[i]; i++) {
            char kind = c.before[i];
            dirs[i] = path("case" + std::to_string(n) + "-" + std::to_string(i + 1));
            if (kind == 'r' || kind == 's')
                makeFolder(dirs[i], kind);
            read = read && kind != 'e' && kind != '-';
            isRead[i] = read;
            if (kind != '-')
                writeKey("DelDir" + std::to_string(i + 1), kind == 'e' ? "" : dirs[i]);
        }
        if (c.before[0])
            writeKey("Other", "keep");

        removeDelDirs();

        for (int i = 0; i < 4; i++) {
            char was = c.after[i];
            EXPECT_EQ(was == '.' ? "" : dirs[was - '1'], readKey("DelDir" + std::to_string(i + 1)))
                << "DelDir" << i + 1;
        }
        EXPECT_EQ(c.sectionGone || !c.before[0] ? "" : "keep", readKey("Other"));
        for (int i = 0; c.before[i]; i++) {
            SCOPED_TRACE(i + 1);
            char kind = c.before[i];
            if (kind == 'r' && isRead[i]) {
                EXPECT_FALSE(exists(dirs[i]));
            } else if (kind == 'r') {  // beyond the end of the list: untouched
                EXPECT_TRUE(exists(dirs[i] + SEP + "a.txt"));
            } else if (kind == 's') {
                EXPECT_FALSE(exists(dirs[i] + SEP + "a.txt"));
                EXPECT_TRUE(exists(dirs[i] + SEP + "sub" + SEP + "keep.txt"));
            }
        }
        writeUserProfile(delDirSection, 0, 0);
    }
}

TEST_F(DelDirs, RootsStayListedUntouched)
{
    // A drive letter that names no drive here, so that a fault lists
    // nothing real.
    char letter = 'Y';
#ifdef _WIN32
    DWORD drives = GetLogicalDrives();
    while (letter > 'D' && (drives & (1u << (letter - 'A'))))
        letter--;
    ASSERT_GT(letter, 'D');
#endif
    std::string bare = std::string(1, letter) + ":";
    std::string dir = path("P");
    makeFolder(dir, 'r');
    const std::string values[] = {bare, dir + SEP, bare + "\\", "\\\\nosuchserver\\share", bare + "/"};
    for (int i = 0; i < 5; i++)
        writeKey("DelDir" + std::to_string(i + 1), values[i]);

    removeDelDirs();

    EXPECT_FALSE(exists(dir));  // the one directory listed, with a separator
    EXPECT_EQ(bare, readKey("DelDir1"));
    EXPECT_EQ(bare + "\\", readKey("DelDir2"));
    EXPECT_EQ("\\\\nosuchserver\\share", readKey("DelDir3"));
    EXPECT_EQ(bare + "/", readKey("DelDir4"));
    EXPECT_EQ("", readKey("DelDir5"));
}

TEST_F(DelDirs, FilesWhosePathIsTooLongStay)
{
    // The directory and a file name must fit the 255 bytes of the work path.
    std::string dir = path(std::string(200 - root.size() - 1, 'd'));
    ASSERT_EQ(200u, dir.size());
    ASSERT_TRUE(makeDir(dir));
    std::string fits = dir + SEP + std::string(54, 'f');       // 255 bytes
    std::string tooLong = dir + SEP + std::string(55, 'g');    // 256 bytes
    ASSERT_TRUE(makeFile(fits));
    ASSERT_TRUE(makeFile(tooLong));
    writeKey("DelDir1", dir);

    removeDelDirs();

    EXPECT_FALSE(exists(fits));
    EXPECT_TRUE(exists(tooLong));
    EXPECT_EQ(dir, readKey("DelDir1"));
    EXPECT_EQ("", readKey("DelDir2"));
}

// A value of 252 to 255 bytes leaves no room for "\*.*" in the work path:
// its search cannot be started, so the directory is neither removed nor
// listed again, whether or not it is there.
TEST_F(DelDirs, PatternThatDoesNotFitIsASearchNotStarted)
{
    for (size_t length : {252u, 253u, 255u}) {
        SCOPED_TRACE(length);
        std::string missing = path(std::string(length - root.size() - 1, 'm'));
        ASSERT_EQ(length, missing.size());
        // Followed by one that stays, so that the list is rewritten.
        std::string stays = path("stays");
        makeFolder(stays, 's');
        writeKey("DelDir1", missing);
        writeKey("DelDir2", stays);

        removeDelDirs();

        EXPECT_EQ(stays, readKey("DelDir1"));
        EXPECT_EQ("", readKey("DelDir2"));
        removeTree(stays);
        writeUserProfile(delDirSection, 0, 0);
    }
    // With room for the pattern, a missing directory drops out the same way.
    writeKey("DelDir1", path(std::string(251 - root.size() - 1, 'm')));
    removeDelDirs();
    EXPECT_EQ("", readKey("DelDir1"));
}

// A value ending in a lead byte without its second byte: joined with the
// separator, the two would read as one character (0x81 0x5C is a dash) and
// the search would run in the parent folder, among FOO<dash>... names.
// Such a search cannot be started: nothing is removed or listed again.
TEST_F(DelDirs, LoneLeadByteAtTheEndIsASearchNotStarted)
{
#ifdef _WIN32
    if (GetACP() != 932)
        GTEST_SKIP() << "the neighbour's name is Shift-JIS";
#endif
    std::string dir = path("FOO\x81");
    std::string neighbour = path("FOO\x81\x5C" "name.txt");
    ASSERT_TRUE(makeFile(neighbour));
#ifdef _WIN32
    writeKey("DelDir1", dir);
    if (readKey("DelDir1") != dir)
        GTEST_SKIP() << "this system's profile does not keep such a value";
#else
    // Here the byte is just a byte, and such a folder can be made. A
    // profile writer drops such a byte; other software's, as on Windows 95,
    // writes it as it is, here at the end of the file.
    makeFolder(dir, 'r');
    FILE* profile = fopen((root + "/win.ini").c_str(), "wb");
    ASSERT_TRUE(profile != 0);
    fprintf(profile, "[%s]\r\nDelDir1=%s", delDirSection, dir.c_str());
    fclose(profile);
    ASSERT_EQ(dir, readKey("DelDir1"));
#endif

    removeDelDirs();

    EXPECT_TRUE(exists(neighbour));
#ifndef _WIN32
    EXPECT_TRUE(exists(dir + SEP + "a.txt"));
#endif
    EXPECT_EQ("", readKey("DelDir1"));
}

#ifndef _WIN32
// Windows makes no directory this long through its ANSI calls.
TEST_F(DelDirs, DirectoryTooLongForThePatternIsLeftAlone)
{
    std::string empty = path(std::string(253 - root.size() - 1, 'e'));
    std::string full = path(std::string(253 - root.size() - 1, 'f'));
    ASSERT_TRUE(makeDir(empty));
    ASSERT_TRUE(makeDir(full));
    ASSERT_TRUE(makeFile(full + "/x"));
    writeKey("DelDir1", empty);
    writeKey("DelDir2", full);

    removeDelDirs();

    EXPECT_TRUE(exists(empty));
    EXPECT_TRUE(exists(full + "/x"));
    EXPECT_EQ("", readKey("DelDir1"));  // nothing stays listed: the section goes
    EXPECT_EQ("", readKey("DelDir2"));
}
#endif

}  // namespace
