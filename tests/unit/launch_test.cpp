// Macro expansion, the plan of a launch, start results, the record of
// started programs and the failure messages.
#include "launch/launch.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

const int Q = 17;  // drive Q:

TEST(ExpandMacros, Cases)
{
    const struct {
        const char* text;
        int drive;
        const char* expanded;
    } cases[] = {
        {"$CURDRV:\\SETUP\\SETUP.EXE", Q, "Q:\\SETUP\\SETUP.EXE"},  // colon from the line
        {"$CURDRV\\SETUP.EXE", Q, "QSETUP.EXE"},                     // backslash dropped
        {"$CURDRV\\\\SETUP.EXE", Q, "Q\\SETUP.EXE"},                 // only one of them
        {"VIEWER.EXE A$COMMAB", Q, "VIEWER.EXE A,B"},
        {"$COMMA\\X", Q, ",X"},
        {"$X $curdrv $COMM $CURDR", Q, "$X $curdrv $COMM $CURDR"},
        {"$$CURDRV$", Q, "$Q$"},  // a lone "$" stays; the next one starts a macro
        {"$CURDRV$COMMA$CURDRV", 3, "C,C"},
        {"$CURDRV:", 0, "@:"},  // no current drive
        {"\x95\x5C$COMMA\x82\xA0", Q, "\x95\x5C,\x82\xA0"},  // 表, あ pass through
    };
    for (const auto& c : cases) {
        char text[64];
        strcpy(text, c.text);
        expandMacros(text, c.drive);
        EXPECT_STREQ(c.expanded, text) << "text: " << c.text;
    }

    // A full work line of macros: shorter after, nothing written past it.
    char line[WORK_LINE_BYTES + 16];
    memset(line, 0x7F, sizeof line);
    std::string macros;
    for (int i = 0; i < 36; i++)
        macros += "$CURDRV";
    macros += "$$$";  // 255 bytes in all
    memcpy(line, macros.c_str(), macros.size() + 1);
    expandMacros(line, Q);
    EXPECT_EQ(std::string(36, 'Q') + "$$$", line);
    for (size_t i = WORK_LINE_BYTES; i < sizeof line; i++)
        ASSERT_EQ(0x7F, line[i]) << "byte " << i;
}

TEST(PlanLaunch, Cases)
{
    const struct {
        const char* commandLine;
        LaunchMode mode;
        const char* directory;
        const char* fileName;
        const char* arguments;
        const char* commandText;  // for LAUNCH_PROGRAM
        int drive;
    } cases[] = {
        {"Q:\\SETUP\\SETUP.EXE /S", LAUNCH_PROGRAM, "Q:\\SETUP", "setup.exe", "/S",
         "setup.exe /S", Q},
        {"$CURDRV:\\SETUP\\SETUP.EXE  A$COMMAB /Quiet", LAUNCH_PROGRAM, "Q:\\SETUP",
         "setup.exe", "A,B /Quiet", "setup.exe A,B /Quiet", Q},
        {"Q:\\SETUP.EXE", LAUNCH_PROGRAM, "Q:\\", "setup.exe", "", "setup.exe ", Q},
        {"SETUP.EXE", LAUNCH_PROGRAM, "", "setup.exe", "", "setup.exe ", 0},
        {"q:\\SAVER\\Night.Scr", LAUNCH_PROGRAM, "q:\\SAVER", "night.scr", "", "night.scr ", Q},
        {"Q:\\TOOLS\\VIEW", LAUNCH_PROGRAM, "Q:\\TOOLS", "view", "", "view ", Q},
        // An empty file name has no extension.
        {"Q:\\SETUP\\ SETUP.EXE", LAUNCH_PROGRAM, "Q:\\SETUP", "", "SETUP.EXE", " SETUP.EXE", Q},
        {"D:SETUP.EXE", LAUNCH_PROGRAM, "D:", "setup.exe", "", "setup.exe ", 4},
        {"1:\\A.EXE", LAUNCH_PROGRAM, "1:\\", "a.exe", "", "a.exe ", 0},  // no drive
        {"DOCS\\README.TXT", LAUNCH_DOCUMENT, "DOCS", "readme.txt", "", "", 0},
        // Cut to 12 bytes, the name no longer ends in "exe".
        {"Q:\\INSTALLER.EXE", LAUNCH_DOCUMENT, "Q:\\", "installer.ex", "", "", Q},
        {"A.B.EXE", LAUNCH_DOCUMENT, "", "a.b.exe", "", "", 0},  // after the first full stop
        // ア is 0x83 0x41: its second byte is lowered like any other byte.
        {"Q:\\\x83\x41.TXT", LAUNCH_DOCUMENT, "Q:\\", "\x83\x61.txt", "", "", Q},
        // 表 ends in 0x5C, which is no separator.
        {"Q:\\\x95\x5C\\A.EXE", LAUNCH_PROGRAM, "Q:\\\x95\x5C", "a.exe", "", "a.exe ", Q},
        {"", LAUNCH_NOTHING, "", "", "", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        LaunchPlan plan;
        memset(&plan, 0x7F, sizeof plan);
        planLaunch(c.commandLine, Q, &plan);
        EXPECT_EQ(c.mode, plan.mode);
        EXPECT_STREQ(c.directory, plan.directory);
        EXPECT_STREQ(c.fileName, plan.fileName);
        EXPECT_STREQ(c.arguments, plan.arguments);
        if (c.mode == LAUNCH_PROGRAM) {
            EXPECT_STREQ(c.commandText, plan.commandText);
        }
        EXPECT_EQ(c.drive, plan.drive);
    }
}

TEST(PlanLaunch, LongLines)
{
    // A program path of 80 bytes or more is held whole.
    std::string program = "Q:\\" + std::string(100, 'D') + "\\SETUP.EXE";
    LaunchPlan plan;
    planLaunch((program + " /S").c_str(), Q, &plan);
    EXPECT_EQ(program, plan.program);
    EXPECT_EQ(program.substr(0, 103), plan.directory);
    EXPECT_STREQ("setup.exe /S", plan.commandText);

    // 255 bytes fit whole; a longer line loses its end.
    std::string arguments(WORK_LINE_BYTES - 1 - 6, 'a');
    planLaunch(("A.EXE " + arguments + "TAIL").c_str(), Q, &plan);
    EXPECT_EQ(arguments, plan.arguments);
    EXPECT_EQ("a.exe " + arguments, plan.commandText);

    std::string word = "Q:\\" + std::string(300, 'D') + "\\B.EXE";
    planLaunch(word.c_str(), Q, &plan);
    EXPECT_EQ(word.substr(0, WORK_LINE_BYTES - 1), plan.program);
    EXPECT_STREQ("dddddddddddd", plan.fileName);
    EXPECT_STREQ("", plan.arguments);
}

TEST(LaunchResult, Judgement)
{
    const struct {
        bool started;
        unsigned long lastError;
        unsigned long result;  // what a command-line start gave
    } starts[] = {
        {true, 5, 33}, {false, 0, 0}, {false, 2, 2}, {false, 8, 8},
        {false, 31, 31}, {false, 32, 11}, {false, 193, 11},
    };
    for (const auto& c : starts)
        EXPECT_EQ(c.result, programStartResult(c.started, c.lastError))
            << c.started << " " << c.lastError;

    for (unsigned long result : {0ul, 2ul, 8ul, 31ul})
        EXPECT_FALSE(launchSucceeded(result)) << result;
    for (unsigned long result : {32ul, 33ul, 42ul, 0xFFFFFFFFul})
        EXPECT_TRUE(launchSucceeded(result)) << result;
}

// A program start as the launcher takes it step by step: the system's
// start, then (only for a program that must run elevated) the shell's,
// then what is done about the outcome.
TEST(LaunchResult, ElevationGoesThroughTheShellAndADeclineIsQuiet)
{
    const struct {
        const char* what;
        unsigned long createError;  // 0: CreateProcessA started it
        bool shellStarted;          // the shell's answer, when it is asked
        unsigned long instance;
        unsigned long shellError;
        bool asksShell;
        LaunchVerdict verdict;
        unsigned long result;
    } rows[] = {
        {"started", 0, false, 0, 0, false, LAUNCH_RECORD, 33},
        {"not found", 2, false, 0, 0, false, LAUNCH_TELL, 2},
        {"out of memory", 8, false, 0, 0, false, LAUNCH_TELL, 8},
        {"access denied", 5, false, 0, 0, false, LAUNCH_TELL, 5},
        {"not a program", 193, false, 0, 0, false, LAUNCH_TELL, 11},
        {"cancelled by itself", 1223, false, 0, 0, false, LAUNCH_TELL, 11},
        {"elevated, consent given", 740, true, 42, 0, true, LAUNCH_RECORD, 42},
        {"elevated, shell gave no value", 740, true, 0, 0, true, LAUNCH_RECORD, 33},
        {"elevated, consent declined", 740, false, 5, 1223, true, LAUNCH_QUIET, 5},
        {"elevated, declined, no value", 740, false, 0, 1223, true, LAUNCH_QUIET, 0},
        {"elevated, shell failed", 740, false, 2, 2, true, LAUNCH_TELL, 2},
        {"elevated, shell out of memory", 740, false, 8, 8, true, LAUNCH_TELL, 8},
        {"elevated, shell failed oddly", 740, false, 42, 1155, true, LAUNCH_TELL, 11},
    };
    for (const auto& r : rows) {
        bool started = r.createError == 0;
        EXPECT_EQ(r.asksShell, !started && startThroughShell(r.createError)) << r.what;
        unsigned long result;
        bool declined = false;
        if (r.asksShell)
            result = shellStartResult(r.shellStarted, r.instance, r.shellError, &declined);
        else
            result = programStartResult(started, r.createError);
        EXPECT_EQ(r.result, result) << r.what;
        EXPECT_EQ(r.verdict, judgeLaunch(result, declined)) << r.what;
    }
    // A document opened through the shell is judged the same way.
    bool declined = true;
    EXPECT_EQ(33ul, shellStartResult(true, 33, 0, &declined));
    EXPECT_FALSE(declined);
    EXPECT_EQ(31ul, shellStartResult(false, 31, 1155, &declined));
    EXPECT_FALSE(declined);
}

std::string toUtf8(const char* shiftJis)
{
    char out[768] = "(not Shift-JIS)";
#ifdef _WIN32
    wchar_t wide[256];
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, shiftJis, -1, wide, 256) > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, sizeof out, 0, 0);
#else
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == (iconv_t)-1)
        return "(no converter)";
    char converted[768];
    char* in = const_cast<char*>(shiftJis);
    char* o = converted;
    size_t inLeft = strlen(shiftJis);
    size_t outLeft = sizeof converted - 1;
    if (iconv(cd, &in, &inLeft, &o, &outLeft) != (size_t)-1) {
        *o = 0;
        strcpy(out, converted);
    }
    iconv_close(cd);
#endif
    return out;
}

TEST(LaunchFailure, TextsAreTheShiftJisMessages)
{
    EXPECT_EQ(u8"メモリ不足のためこのアプリケーションを起動できません。"
              u8"いくつかのアプリケーションを終了してからやり直してください。",
              toUtf8(launchFailureText(8)));
    for (unsigned long result : {0ul, 2ul, 7ul, 9ul, 31ul})
        EXPECT_EQ(u8"アプリケーションを起動できません。", toUtf8(launchFailureText(result)))
            << result;
    EXPECT_EQ(u8"エラー", toUtf8(launchFailureCaption));
}

TEST(RecordLaunch, KeepsTheFirstHundredInOrder)
{
    int savedCount = launchCount;
    launchCount = 0;
    recordLaunch(0);  // names no process
    EXPECT_EQ(0, launchCount);
    for (unsigned long id = 1; id <= LAUNCH_TABLE_SIZE + 1; id++)
        recordLaunch(1000 + id);
    EXPECT_EQ(LAUNCH_TABLE_SIZE, launchCount);
    EXPECT_EQ(1001ul, launchTable[0]);
    EXPECT_EQ(1000ul + LAUNCH_TABLE_SIZE, launchTable[LAUNCH_TABLE_SIZE - 1]);
    launchCount = savedCount;
}

}  // namespace
