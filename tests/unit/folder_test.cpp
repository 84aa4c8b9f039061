/*
 * The install folder on disk: which rule each folder from the root down
 * must pass, the rule against the modes Wine reports, and the folders
 * Setup creates, which the undo takes away again.
 */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "setup/folder.h"
#include "setup/paths.h"
#include "setup/security.h"
#include "setup/setup.h"
#include "setup/transaction.h"
#include "tests/support/support.h"

namespace {

TEST(FolderLevels, EachFolderFromTheRootDownWithItsPlace)
{
    struct Level {
        const char *folder;
        int place;
    };
    struct Row {
        const char *folder;
        std::vector<Level> levels;
    } rows[] = {
        {"C:\\A\\B\\",
         {{"C:\\", DriveRootPlace}, {"C:\\A\\", FolderAbovePlace}, {"C:\\A\\B\\", InstallFolderPlace}}},
        /* without its backslash, and 表 ending in 0x5C */
        {"C:\\表\\B", {{"C:\\", DriveRootPlace}, {"C:\\表\\", FolderAbovePlace}, {"C:\\表\\B\\", InstallFolderPlace}}},
        /* a drive's root as the install folder is one */
        {"D:\\", {{"D:\\", InstallFolderPlace}}},
        /* "\\" and "\\server\" are no folders */
        {"\\\\server\\share\\Q\\",
         {{"\\\\server\\share\\", DriveRootPlace}, {"\\\\server\\share\\Q\\", InstallFolderPlace}}},
        {"relative\\", {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.folder);
        std::vector<Level> found;
        char level[MAX_PATH];
        int place = -1;
        std::vector<std::string> names;
        for (int i = 0; FolderLevelAt(row.folder, i, level, sizeof(level), &place); i++)
            names.push_back(level), found.push_back({NULL, place});
        ASSERT_EQ(row.levels.size(), names.size());
        for (size_t i = 0; i < names.size(); i++) {
            EXPECT_EQ(row.levels[i].folder, names[i]);
            EXPECT_EQ(row.levels[i].place, found[i].place) << names[i];
        }
    }
}

TEST(FolderSecurity, TheFoldersOfAnInstallAreCheckedFromTheirRoot)
{
    /* Wine reports a folder's mode: what the tests make is 755, Z:\tmp
       is 1777 */
    char unsafe[MAX_PATH];
    std::string folder = TestRoot() + "made\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    EXPECT_EQ(0, FindUnsafeFolder((folder + "not yet\\").c_str(), unsafe, sizeof(unsafe)));
    EXPECT_EQ(1, FindUnsafeFolder("Z:\\tmp\\qv-not-yet\\Quorvane\\", unsafe, sizeof(unsafe)));
    EXPECT_STREQ("Z:\\tmp\\", unsafe);
    /* a drive whose root every user may change (O:, made by the tests'
       set-up, tests/CMakeLists.txt) */
    EXPECT_EQ(1, FindUnsafeFolder("O:\\Quorvane\\", unsafe, sizeof(unsafe)));
    EXPECT_STREQ("O:\\", unsafe);
    DeleteTree(TestRoot());
}

TEST(CreateFolderChain, MakesEveryMissingLevelAndTheUndoTakesThemAway)
{
    const std::string above = TestRoot() + "made\\";
    ASSERT_TRUE(MakeFreshFolder(above));
    strcpy(InstallPath, (above + "one\\two\\").c_str());
    BeginChanges(JournalChange);
    ASSERT_TRUE(CreateFolderChain(InstallPath));
    EXPECT_TRUE(FolderExists(above + "one\\two\\"));
    /* made with their own permissions: Wine turns them into a mode that
       gives others nothing */
    EXPECT_EQ(0, EveryoneAccess(above + "one\\"));
    UndoChanges();
    EXPECT_FALSE(FolderExists(above + "one\\"));
    EXPECT_TRUE(FolderExists(above)) << "it was there before";
    DeleteTree(TestRoot());
}

} // namespace
