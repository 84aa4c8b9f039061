/*
 * Helper's argument vector: what the Windows side adds to the splitting
 * rule (whose cases are in text_test.cpp): element 0 is the module path
 * whatever the command line calls the program, the count, the closing
 * NULL, and arguments kept whole at any length.
 */
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helper/helper.h"

namespace {

std::string ModulePath()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof(path));
    return std::string(path, n);
}

/* builds the vector from line; elements 1.. as strings */
::testing::AssertionResult Vector(const std::string &line,
                                  std::vector<std::string> *arguments)
{
    arguments->clear();
    if (!MakeArgumentVector(line.c_str()))
        return ::testing::AssertionFailure() << "not built: " << line;
    if (ArgCount < 1 || ArgVector == NULL)
        return ::testing::AssertionFailure() << "count " << ArgCount;
    if (ArgVector[ArgCount] != NULL)
        return ::testing::AssertionFailure() << "no NULL after the last";
    for (int i = 1; i < ArgCount; i++) {
        if (ArgVector[i] == NULL)
            return ::testing::AssertionFailure() << "NULL element " << i;
        arguments->push_back(ArgVector[i]);
    }
    return ::testing::AssertionSuccess();
}

typedef std::vector<std::string> Args;

TEST(HelperArguments, ElementZeroIsTheModulePathNotTheWrittenName)
{
    const char *lines[] = {
        "\"C:\\Program Files\\Veskaro\\Quorvane\\Helper.exe\" C:\\Data",
        "Helper C:\\Data",
        "\"\" C:\\Data",
        "  other.exe\tC:\\Data",
    };
    for (const char *line : lines) {
        SCOPED_TRACE(line);
        Args args;
        ASSERT_TRUE(Vector(line, &args));
        EXPECT_EQ(ModulePath(), ArgVector[0]);
        EXPECT_EQ(Args({"C:\\Data"}), args);
    }
}

TEST(HelperArguments, NoArgumentLeavesACountOfOne)
{
    const char *lines[] = {"Helper.exe", "\"C:\\a b\\Helper.exe\"   \t ", "",
                           "\"C:\\a b\\Helper.exe x y"};
    for (const char *line : lines) {
        SCOPED_TRACE(line);
        Args args;
        ASSERT_TRUE(Vector(line, &args));
        EXPECT_EQ(1, ArgCount);
        EXPECT_EQ(ModulePath(), ArgVector[0]);
    }
}

TEST(HelperArguments, EveryArgumentIsCountedAndKeptInOrder)
{
    Args args;
    ASSERT_TRUE(Vector("h C:\\Data\\a.txt \"C:\\My Data\" \"\" 表 x\\\"y", &args));
    EXPECT_EQ(6, ArgCount);
    EXPECT_EQ(Args({"C:\\Data\\a.txt", "C:\\My Data", "", "表", "x\"y"}), args);
}

TEST(HelperArguments, LongArgumentsAreKeptWhole)
{
    /* the record refuses an overlong target later; the vector must not
       cut it into a shorter, different path first */
    std::string huge(32000, 'x');
    std::string target = "C:\\" + std::string(300, 'a') + "\\表";
    Args args;
    ASSERT_TRUE(Vector("h " + target + " " + huge + " end", &args));
    ASSERT_EQ(3u, args.size());
    EXPECT_EQ(target, args[0]);
    EXPECT_EQ(huge, args[1]);
    EXPECT_EQ("end", args[2]);
}

TEST(HelperArguments, ABuildReplacesTheEarlierVector)
{
    Args args;
    ASSERT_TRUE(Vector("h a b c", &args));
    ASSERT_EQ(4, ArgCount);
    ASSERT_TRUE(Vector("h z", &args));
    EXPECT_EQ(2, ArgCount);
    EXPECT_EQ(Args({"z"}), args);
}

} // namespace
