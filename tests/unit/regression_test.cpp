// Inputs found by fuzzing, kept as cases.
#include <gtest/gtest.h>

#include <string>

#include "menu/ini.h"

namespace {

std::string rewrite(const std::string& data, const char* key, const char* value)
{
    size_t n = iniRewrite(data.data(), data.size(), "XervoCD-ROM", key, value, 0, 0);
    std::string out(n, '\0');
    iniRewrite(data.data(), data.size(), "XervoCD-ROM", key, value, &out[0], n);
    return out;
}

std::string read(const std::string& data, const char* key)
{
    char value[300];
    int n = iniReadString(data.data(), data.size(), "XervoCD-ROM", key, value, sizeof value);
    return std::string(value, n > 0 ? n : 0);
}

// A value read from a profile can hold a CR, LF or blank as the second byte
// of a character: the reader takes the lead byte and the next byte together.
// Written back, such a value was cut at that byte (and the lone lead byte
// before it dropped), so a DelDir%d value kept at exit could come back empty
// and end the list before the directories after it.
TEST(ProfileValues, WrittenAsTheyWereRead)
{
    const char* const values[] = {
        "\xf7\r\xf7\xf7\\..",  // a CR inside
        "A\x81\nB",            // an LF inside
        "Q:\\\x81 ",           // a blank as the last byte
        "\x81\t",              // a tab, and nothing else
    };
    for (const char* value : values) {
        std::string data = rewrite("[XervoCD-ROM]\r\nDelDir1=x\r\n", "DelDir1", value);
        data = rewrite(data, "DelDir2", "R:\\");
        EXPECT_EQ(value, read(data, "DelDir1")) << data;
        EXPECT_EQ("R:\\", read(data, "DelDir2")) << data;
        // And what is read that way is written the same way again.
        std::string again = rewrite(data, "DelDir1", read(data, "DelDir1").c_str());
        EXPECT_EQ(data, again);
    }
}

}  // namespace
