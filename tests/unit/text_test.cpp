/*
 * The byte-level path and text routines both programs build on. Paths are
 * code page 932: 表 is 0x95 0x5C and ソ is 0x83 0x5C, so a routine that
 * reads bytes instead of characters takes their second byte for a
 * backslash.
 */
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/text.h"

/* code page 932 bytes spelled out, so that the native sanitizer build,
   whose compiler has no code page 932 literals, reads the same cases */
#define HYO "\x95\x5c"                   /* 表 */
#define SO "\x83\x5c"                    /* ソ */
#define NOU "\x94\x5c"                   /* 能 */
#define SOFUTO SO "\x83\x74\x83\x67"      /* ソフト */

namespace {

TEST(CodePage, DoubleByteSamplesHaveBackslashTrailBytes)
{
    /* the premise of every case below */
#ifdef _WIN32
    EXPECT_EQ(std::string(HYO), std::string("表"));
    EXPECT_EQ(std::string(SO), std::string("ソ"));
    EXPECT_EQ(std::string(NOU), std::string("能"));
    EXPECT_EQ(std::string(SOFUTO), std::string("ソフト"));
#endif
    EXPECT_TRUE(IsLeadByte(0x95));
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0xE0));
    EXPECT_FALSE(IsLeadByte('\\'));
    EXPECT_FALSE(IsLeadByte(0xA0)); /* half-width katakana are single bytes */
}

TEST(EndsWithBackslash, LooksAtTheLastCharacterNotTheLastByte)
{
    struct Row { const char *path; int expected; } rows[] = {
        {"", 0},
        {"\\", 1},
        {"C:\\", 1},
        {"C:\\Tools", 0},
        {"C:\\Tools\\", 1},
        {"C:\\" HYO, 0},
        {"C:\\" SO, 0},
        {"C:\\" NOU, 0},
        {"C:\\" HYO "\\", 1},
        {"\x81\\", 0},   /* a lead byte takes the backslash with it */
        {"a\x81", 0},    /* a lone lead byte at the end */
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(row.expected, EndsWithBackslash(row.path));
    }
}

TEST(DropCutCharacter, DropsOnlyALeadByteWithoutItsTrail)
{
    /* 127 times 表 and the lead byte of one more: a keyword box cut at
       255 bytes */
    std::string wide;
    for (int i = 0; i < 127; i++)
        wide += HYO;
    struct Row { std::string text, expected; } rows[] = {
        {"", ""},
        {"abc", "abc"},
        {"a\x81", "a"},
        {HYO, HYO},
        {HYO "\x95", HYO},
        {"\x81\x81", "\x81\x81"},         /* one character */
        {"\x81\x81\x81", "\x81\x81"},
        {"\\\x81", "\\"},
        {wide + "\x95", wide},
        {wide + "a", wide + "a"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        std::vector<char> buffer(row.text.begin(), row.text.end());
        buffer.push_back('\0');
        buffer.push_back('Z');
        DropCutCharacter(buffer.data());
        EXPECT_EQ(row.expected, std::string(buffer.data()));
        EXPECT_EQ('Z', buffer.back());
    }
}

TEST(IsAbsoluteFolder, TakesDriveRootsAndSharesOnly)
{
    struct Row { const char *path; int expected; } rows[] = {
        {"C:\\", 1},
        {"c:\\Tools\\", 1},
        {"C:\\" HYO "\\", 1},
        {"\\\\server\\share", 1},
        {"\\\\server\\share\\Tools\\", 1},
        {"\\\\" HYO "\\" SO, 1},           /* trail bytes 0x5C inside the names */
        {"", 0},
        {"abc", 0},
        {"abc\\", 0},
        {"..\\x\\", 0},
        {"D:abc\\", 0},
        {"D:", 0},
        {"\\Tools\\", 0},                 /* the current drive's root */
        {"C:/Tools/", 0},
        {"1:\\x", 0},
        {"\\\\server", 0},
        {"\\\\server\\", 0},
        {"\\\\\\share\\", 0},
        {"\\\\?\\C:\\Tools\\", 0},     /* long-path form */
        {"\\\\.\\C:\\", 0},             /* device form */
        {"\\\\?\\UNC\\server\\share\\", 0},
        {"\\\\" "\x81\\" "x\\", 0},     /* the lead byte takes the backslash */
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(row.expected, IsAbsoluteFolder(row.path));
    }
}

TEST(AppendBackslash, AddsOneOnlyWhereTheLastCharacterIsNotOne)
{
    char buffer[16];
    strcpy(buffer, "C:\\" HYO);
    ASSERT_TRUE(AppendBackslash(buffer, sizeof(buffer)));
    EXPECT_STREQ("C:\\" HYO "\\", buffer);

    strcpy(buffer, "C:\\Tools\\");
    ASSERT_TRUE(AppendBackslash(buffer, sizeof(buffer)));
    EXPECT_STREQ("C:\\Tools\\", buffer);
}

TEST(AppendBackslash, RefusesAPathEndingInALoneLeadByte)
{
    /* the backslash would become the lead byte's second byte */
    char buffer[16] = "C:\\abc\x81";
    EXPECT_FALSE(AppendBackslash(buffer, sizeof(buffer)));
    EXPECT_STREQ("C:\\abc\x81", buffer);
}

TEST(AppendBackslash, FailsWithoutRoomAndLeavesThePath)
{
    char buffer[8] = "abcdefg"; /* full: 7 bytes and the terminator */
    EXPECT_FALSE(AppendBackslash(buffer, sizeof(buffer)));
    EXPECT_STREQ("abcdefg", buffer);

    char exact[9] = "abcdefg";
    EXPECT_TRUE(AppendBackslash(exact, sizeof(exact)));
    EXPECT_STREQ("abcdefg\\", exact);
}

TEST(JoinText, FitsExactlyOrFailsWithAnEmptyResult)
{
    char buffer[32];
    memset(buffer, 'Z', sizeof(buffer));
    EXPECT_TRUE(JoinText(buffer, 8, "abc", "defg")); /* 7 bytes + NUL */
    EXPECT_STREQ("abcdefg", buffer);

    memset(buffer, 'Z', sizeof(buffer));
    EXPECT_FALSE(JoinText(buffer, 8, "abcd", "efgh"));
    EXPECT_EQ('\0', buffer[0]);
    for (size_t i = 8; i < sizeof(buffer); i++)
        ASSERT_EQ('Z', buffer[i]) << "written past the buffer at " << i;
}

TEST(FindBackslash, SkipsTrailBytes)
{
    const char *path = "C:\\" HYO SO "\\x";
    const char *first = FindBackslash(path);
    ASSERT_EQ(path + 2, first);
    const char *second = FindBackslash(first + 1);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(7, second - path);
    EXPECT_EQ(nullptr, FindBackslash(second + 1));
}

TEST(LastPathComponent, ReturnsTheTextAfterTheLastBackslash)
{
    struct Row { const char *path; const char *expected; } rows[] = {
        {"C:\\Data\\memo.txt", "memo.txt"},
        {"C:\\Data\\Projects", "Projects"},
        {"D:\\", ""},
        {"memo", "memo"},
        {"", ""},
        {"C:\\Data\\" HYO, HYO},
        {"C:\\Data\\" SOFUTO, SOFUTO},
        {"C:\\" HYO "\\" NOU, NOU},
        {"\\\\server\\share", "share"},
        {"C:/Data/memo.txt", "C:/Data/memo.txt"}, /* only backslashes */
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        const char *result = LastPathComponent(row.path);
        EXPECT_STREQ(row.expected, result);
        EXPECT_GE(result, row.path);
        EXPECT_LE(result, row.path + strlen(row.path));
    }
}

TEST(SplitModuleFolder, CutsTheModulePathAfterItsLastSeparator)
{
    struct Row { const char *path; int ok; const char *expected; } rows[] = {
        {"C:\\Program Files\\Veskaro\\Quorvane\\Helper.exe", 1,
         "C:\\Program Files\\Veskaro\\Quorvane\\"},
        {"C:/Tools/Helper.exe", 1, "C:/Tools/"},
        {"C:\\Tools/sub\\Helper.exe", 1, "C:\\Tools/sub\\"},
        {"C:\\" HYO "\\Helper.exe", 1, "C:\\" HYO "\\"},
        {"C:\\" SO, 1, "C:\\"},
        {"\\\\server\\share\\Helper.exe", 1, "\\\\server\\share\\"},
        {"Helper.exe", 0, ""},
        {"C:Helper.exe", 0, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        char folder[260];
        memset(folder, 'Z', sizeof(folder));
        EXPECT_EQ(row.ok, SplitModuleFolder(row.path, folder, sizeof(folder)));
        EXPECT_STREQ(row.expected, folder);
        for (size_t i = strlen(row.expected); i < sizeof(folder); i++)
            ASSERT_EQ('\0', folder[i]) << "not zero-filled at " << i;
    }
}

TEST(SplitModuleFolder, RefusesADirectoryLongerThan255Bytes)
{
    std::string fits = "C:\\" + std::string(253, 'a') + "\\H.exe";  /* 255 */
    std::string over = "C:\\" + std::string(254, 'a') + "\\H.exe";  /* 256 */
    char folder[260];
    EXPECT_TRUE(SplitModuleFolder(fits.c_str(), folder, sizeof(folder)));
    EXPECT_EQ(257u, strlen(folder));
    EXPECT_FALSE(SplitModuleFolder(over.c_str(), folder, sizeof(folder)));
    EXPECT_STREQ("", folder);
}

std::vector<std::string> Split(const char *commandLine)
{
    std::vector<std::string> args;
    const char *cursor = SkipProgramName(commandLine);
    char buffer[512];
    size_t length = 0;
    while (NextArgument(&cursor, buffer, sizeof(buffer), &length))
        args.push_back(std::string(buffer, length));
    return args;
}

typedef std::vector<std::string> Args;

TEST(CommandLine, ProgramNameIsSkippedAsOneWord)
{
    EXPECT_EQ(Args(), Split("Helper.exe"));
    EXPECT_EQ(Args(), Split("  Helper.exe   "));
    EXPECT_EQ(Args({"a"}), Split("  Helper.exe a"));
    EXPECT_EQ(Args({"x"}), Split("\"C:\\Program Files\\Helper.exe\" x"));
    /* a quoted name ends at its closing quote, whatever follows */
    EXPECT_EQ(Args({"x", "y"}), Split("\"Helper\"x y"));
    /* an unclosed quoted name takes the whole line */
    EXPECT_EQ(Args(), Split("\"C:\\a b\\Helper.exe x y"));
    EXPECT_EQ(Args({"a"}), Split("\tHelper.exe\ta"));
}

TEST(CommandLine, ArgumentsAreCutAtRunsOfSpacesAndTabs)
{
    EXPECT_EQ(Args({"C:\\Data\\memo.txt"}), Split("h C:\\Data\\memo.txt"));
    EXPECT_EQ(Args({"C:\\My", "Data\\memo.txt"}), Split("h C:\\My Data\\memo.txt"));
    EXPECT_EQ(Args({"a", "b", "c"}), Split("h  a \t b\t\tc  "));
    EXPECT_EQ(Args({"*.txt", "?"}), Split("h *.txt ?"));
}

TEST(CommandLine, QuotedRunsKeepBlanksAndLoseTheirQuotes)
{
    EXPECT_EQ(Args({"C:\\My Data\\memo.txt"}), Split("h \"C:\\My Data\\memo.txt\""));
    EXPECT_EQ(Args({"ab cd"}), Split("h a\"b c\"d"));
    EXPECT_EQ(Args({"ab cd", "e"}), Split("h a\"b \"\"c\"d e"));
    EXPECT_EQ(Args({"tail of line"}), Split("h \"tail of line"));
    EXPECT_EQ(Args({"x", "tail "}), Split("h x \"tail "));
}

TEST(CommandLine, EmptyQuotedArgumentsCount)
{
    EXPECT_EQ(Args({""}), Split("h \"\""));
    EXPECT_EQ(Args({"", "x"}), Split("h \"\" x"));
    EXPECT_EQ(Args({""}), Split("h \""));
}

TEST(CommandLine, BackslashQuoteIsALiteralQuote)
{
    EXPECT_EQ(Args({"a\"b"}), Split("h a\\\"b"));
    EXPECT_EQ(Args({"a\"b c"}), Split("h \"a\\\"b c\""));
    /* a drive root between quotes loses its backslash to the quote */
    EXPECT_EQ(Args({"D:\""}), Split("h \"D:\\\""));
    EXPECT_EQ(Args({"D:\\"}), Split("h D:\\"));
    /* two backslashes stay two; only the one before the quote pairs */
    EXPECT_EQ(Args({"a\\\\b"}), Split("h a\\\\b"));
    EXPECT_EQ(Args({"a\\\"b", "c"}), Split("h a\\\\\"b c\""));
    EXPECT_EQ(Args({"\""}), Split("h \\\""));
}

TEST(CommandLine, DoubleByteCharactersAreTakenWhole)
{
    /* the 0x5C of 表 before a quote is no escape: the quote closes */
    EXPECT_EQ(Args({"C:\\" HYO}), Split("h \"C:\\" HYO "\""));
    EXPECT_EQ(Args({"C:\\" SO "x y"}), Split("h C:\\" SO "\"x y\""));
    EXPECT_EQ(Args({HYO, NOU}), Split("h " HYO " " NOU));
    /* a lead byte at the end of the line stands alone */
    EXPECT_EQ(Args({std::string("a\x81")}), Split("h a\x81"));
}

TEST(CommandLine, LongArgumentsAreReportedWhole)
{
    std::string line = "h " + std::string(1000, 'x') + " y";
    const char *cursor = SkipProgramName(line.c_str());
    char small[8];
    memset(small, 'Z', sizeof(small));
    size_t length = 0;
    ASSERT_TRUE(NextArgument(&cursor, small, 4, &length));
    EXPECT_EQ(1000u, length);
    EXPECT_STREQ("xxx", small);
    EXPECT_EQ('Z', small[4]);
    ASSERT_TRUE(NextArgument(&cursor, small, 4, &length));
    EXPECT_STREQ("y", small);
    EXPECT_FALSE(NextArgument(&cursor, small, 4, &length));
}

TEST(KeywordRecord, IsKeywordTargetAndAnEmptyLine)
{
    char record[64];
    size_t n = ComposeKeywordRecord(record, sizeof(record), "memo", "C:\\Data\\memo.txt");
    ASSERT_EQ(26u, n);
    EXPECT_EQ(std::string("memo\r\nC:\\Data\\memo.txt\r\n\r\n"), std::string(record, n));

    n = ComposeKeywordRecord(record, sizeof(record), "", "D:\\");
    EXPECT_EQ(std::string("\r\nD:\\\r\n\r\n"), std::string(record, n));
}

TEST(KeywordRecord, DoesNotFitMeansNothing)
{
    char record[16];
    memset(record, 'Z', sizeof(record));
    /* 1 + 2 + 8 + 4 = 15 bytes and the terminator: exactly fits */
    EXPECT_EQ(15u, ComposeKeywordRecord(record, 16, "k", "12345678"));
    memset(record, 'Z', sizeof(record));
    EXPECT_EQ(0u, ComposeKeywordRecord(record, 15, "k", "12345678"));
    EXPECT_EQ('\0', record[0]);
    EXPECT_EQ('Z', record[15]);
}

} // namespace
