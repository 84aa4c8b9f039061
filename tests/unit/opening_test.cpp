/*
 * The install folder opened after a completed run: through the machine's
 * own folder class, never one merged from the user's classes.
 */
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "setup/opening.h"
#include "setup/setup.h"
#include "tests/support/support.h"

namespace {

TEST(FolderOpening, GoesThroughTheMachinesFolderClass)
{
    /* the class Setup opens: the machine's, marked here to tell it. Wine
       merges no user classes into HKEY_CLASSES_ROOT, so HKEY_CLASSES_ROOT
       is pointed at classes of the user's own while Setup opens it: a
       class taken from there would carry their mark */
    const char kFolder[] = "SOFTWARE\\Classes\\Folder";
    const char kUserClasses[] = "Software\\QuorvaneTestClasses";
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kFolder, "QuorvaneTest", "machine"));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, (std::string(kUserClasses) + "\\Folder").c_str(),
                            "QuorvaneTest", "user"));
    HKEY userClasses = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kUserClasses, 0, KEY_READ,
                                           &userClasses));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, userClasses));
    HKEY folderClass = OpenFolderClass();
    RegOverridePredefKey(HKEY_CLASSES_ROOT, NULL);
    RegCloseKey(userClasses);
    DeleteKeyTree(HKEY_CURRENT_USER, kUserClasses);
    ASSERT_NE(nullptr, folderClass);
    char mark[16] = "";
    DWORD size = sizeof(mark);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(folderClass, "QuorvaneTest", NULL, NULL,
                                              (BYTE *)mark, &size));
    EXPECT_STREQ("machine", mark);

    /* Wine merges no user classes, so the opening itself cannot show that
       it asks for the class it was given: what it asks for is read here */
    strcpy(InstallPath, "C:\\Tools\\");
    SHELLEXECUTEINFOA info;
    DescribeFolderOpening(&info, folderClass, NULL);
    EXPECT_EQ((ULONG)SEE_MASK_CLASSKEY, info.fMask & SEE_MASK_CLASSKEY);
    EXPECT_EQ((ULONG)SEE_MASK_FLAG_NO_UI, info.fMask & SEE_MASK_FLAG_NO_UI);
    EXPECT_EQ(folderClass, info.hkeyClass);
    EXPECT_STREQ("explore", info.lpVerb);
    EXPECT_EQ(InstallPath, info.lpFile);
    RegCloseKey(folderClass);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFolder, 0, KEY_SET_VALUE, &key));
    RegDeleteValueA(key, "QuorvaneTest");
    RegCloseKey(key);
}

} // namespace
