/*
 * Paths below the install folder: which folder texts (the wizard's
 * folder page, /D=) are taken, how they are made absolute, and which
 * paths are opened as a folder after a run.
 */
#include <string.h>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "setup/files.h"
#include "setup/paths.h"
#include "setup/setup.h"
#include "tests/support/support.h"

namespace {

/* the folder page's text, and /D=, into InstallPath */
TEST(DecideInstallFolder, TakesFoldersAllTheProductsFilesFitBelowAndMakesThemAbsolute)
{
    /* the longest path below the folder: a file of the table under its
       temporary name while an update swaps it, or the name a journal
       that cannot be read is moved aside to */
    size_t longest = strlen(FILE_ASIDE_JOURNAL);
    for (const ProductFile &file : kProductFiles)
        longest = std::max(longest, strlen(file.name) + strlen(FILE_NEW_SUFFIX));
    const std::string fits = "C:\\" + std::string(MAX_PATH - 1 - longest - 4, 'a') + "\\";
    const std::string over = "C:\\" + std::string(MAX_PATH - longest - 4, 'a') + "\\";
    ASSERT_EQ((size_t)MAX_PATH - 1, fits.size() + longest);
    struct Row {
        std::string text, folder; /* folder empty: refused */
    } rows[] = {
        {"", ""},
        {"ab", ""},
        {"C:", ""},
        {"C:\\", "C:\\"},
        {"D:\\Tools", "D:\\Tools\\"},
        {"D:\\Tools\\", "D:\\Tools\\"},
        /* 表 ends in 0x5C: its own backslash still follows */
        {"D:\\表", "D:\\表\\"},
        {"\\\\server\\share\\Q", "\\\\server\\share\\Q\\"},
        /* made absolute against the current directory and drive */
        {"abc", "C:\\qvtest\\cwd\\abc\\"},
        {"..\\up", "C:\\qvtest\\up\\"},
        {"\\root", "C:\\root\\"},
        {fits, fits},
        {over, ""},
        {"C:\\" + std::string(300, 'a'), ""},
    };
    char previous[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(sizeof(previous), previous));
    ASSERT_TRUE(MakeFreshFolder("C:\\qvtest\\cwd\\"));
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\qvtest\\cwd\\"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        memset(InstallPath, 'Z', sizeof(InstallPath));
        InstallPath[sizeof(InstallPath) - 1] = '\0';
        EXPECT_EQ(!row.folder.empty(), DecideInstallFolder(row.text.c_str()));
        if (!row.folder.empty())
            EXPECT_EQ(row.folder, std::string(InstallPath));
    }
    SetCurrentDirectoryA(previous);
    DeleteTree(TestRoot());
}

TEST(IsFolderToOpen, OnlyAnExistingFolderWithItsBackslash)
{
    const std::string folder = TestRoot() + "opened\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(WriteFileBytes(TestRoot() + "x.bat", "echo ran\r\n"));
    EXPECT_TRUE(IsFolderToOpen(folder.c_str()));
    EXPECT_FALSE(IsFolderToOpen(WithoutBackslash(folder).c_str()));
    /* a recorded file with a backslash added would still be run */
    EXPECT_FALSE(IsFolderToOpen((TestRoot() + "x.bat\\").c_str()));
    EXPECT_FALSE(IsFolderToOpen((TestRoot() + "missing\\").c_str()));
    EXPECT_FALSE(IsFolderToOpen(""));
    DeleteTree(TestRoot());
}

} // namespace
