// Inputs found by fuzzing that only a POSIX file system can give.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "graphics/dib.h"
#include "launch/cleanup.h"
#include "platform/platform.h"

namespace {

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool makeFile(const std::string& path)
{
    FILE* f = fopen(path.c_str(), "wb");
    return f && fclose(f) == 0;
}

std::string readKey(const char* key)
{
    char value[300];
    int n = readUserProfile(delDirSection, key, value, sizeof value);
    return std::string(value, n > 0 ? n : 0);
}

// A directory search here can give names that no Windows search gives: a
// drive, a root or separators inside. Joined to the listed directory as
// paths they would point outside it; they stay, and so does the directory.
TEST(DelDirsOnPosix, NamesThatReadAsPathsAreNotFollowed)
{
    char made[] = "/tmp/menu-regress-XXXXXX";
    ASSERT_TRUE(mkdtemp(made) != 0);
    std::string root = made;
    std::string listed = root + "/listed";
    ASSERT_EQ(0, mkdir(listed.c_str(), 0700));

    std::string rooted = root;  // "\tmp\menu-regress-...\victim2"
    for (char& c : rooted)
        if (c == '/')
            c = '\\';
    const struct {
        std::string entry;   // name inside the listed directory
        std::string victim;  // what the name points at if taken as a path
    } cases[] = {
        {"..\\victim1", root + "/victim1"},
        {rooted + "\\victim2", root + "/victim2"},
        {"B:victim3", root + "/B:victim3"},  // the current directory's
        {"\x8e:victim4", root + "/\x8e:victim4"},  // a drive after a lead byte
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(makeFile(listed + "/" + c.entry)) << c.entry;
        ASSERT_TRUE(makeFile(c.victim)) << c.victim;
    }
    ASSERT_TRUE(makeFile(listed + "/plain.txt"));

    const char* saved = getenv("MENU_USER_PROFILE");
    std::string savedProfile = saved ? saved : "";
    setenv("MENU_USER_PROFILE", (root + "/win.ini").c_str(), 1);
    char cwd[PATH_MAX];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd) != 0);
    ASSERT_EQ(0, chdir(root.c_str()));
    writeUserProfile(delDirSection, "DelDir1", listed.c_str());

    removeDelDirs();

    EXPECT_EQ(0, chdir(cwd));
    EXPECT_FALSE(exists(listed + "/plain.txt"));
    for (const auto& c : cases) {
        EXPECT_TRUE(exists(c.victim)) << c.victim;
        EXPECT_TRUE(exists(listed + "/" + c.entry)) << c.entry;
    }
    EXPECT_EQ(listed, readKey("DelDir1"));

    if (saved)
        setenv("MENU_USER_PROFILE", savedProfile.c_str(), 1);
    else
        unsetenv("MENU_USER_PROFILE");
    for (const auto& c : cases) {
        unlink(c.victim.c_str());
        unlink((listed + "/" + c.entry).c_str());
    }
    rmdir(listed.c_str());
    unlink((root + "/win.ini").c_str());
    rmdir(root.c_str());
}

}  // namespace

// A FIFO named as a picture: opening it for reading would wait for a writer
// that never comes. It is no picture, and the reader goes on at once.
TEST(PictureFileOnPosix, FifoIsRefusedWithoutWaiting)
{
    char dir[] = "/tmp/fifoXXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    std::string fifo = std::string(dir) + "/PIPE.BMP";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    EXPECT_EQ(-1, fileOpenRead(fifo.c_str()));
    EXPECT_EQ(nullptr, loadDibFile(fifo.c_str()));
    unlink(fifo.c_str());
    rmdir(dir);
}
