/*
 * Setup's registry layout against the real (Wine) registry: the settings
 * are seeded with their defaults but never overwritten, the installation
 * record is always rewritten, and the uninstall entry is written quoted.
 * And the permissions Setup gives an install folder it creates, read from
 * the descriptor it builds: Wine keeps no folder permissions to read back.
 */
#include <string.h>

#include <string>
#include <vector>

#include <aclapi.h>

#include <gtest/gtest.h>

#include "setup/setup.h"
#include "tests/support/support.h"

namespace {

const char kMain[] = "Software\\Veskaro\\Quorvane\\Main";
const char kOption[] = "Software\\Veskaro\\Quorvane\\Option";
const char kSetup[] = "Software\\Veskaro\\Quorvane\\Setup";
const char kUninstall[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veskaro Quorvane";

class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProductRegistry();
        strcpy(InstallPath, "C:\\Program Files\\Veskaro\\Quorvane\\");
    }
    void TearDown() override { ResetProductRegistry(); }
};

::testing::AssertionResult HasDword(const char *key, const char *name, DWORD expected)
{
    DWORD value = 0, type = 0;
    if (!ReadDword(HKEY_CURRENT_USER, key, name, &value, &type))
        return ::testing::AssertionFailure() << name << " missing or not 4 bytes";
    if (type != REG_DWORD)
        return ::testing::AssertionFailure() << name << " has type " << type;
    if (value != expected)
        return ::testing::AssertionFailure() << name << " = " << value << ", expected " << expected;
    return ::testing::AssertionSuccess();
}

TEST_F(Registry, FreshSeedWritesEveryDefaultAndTheRecord)
{
    SeedSettings();
    for (const DwordValue &e : kMainDefaults)
        EXPECT_TRUE(HasDword(kMain, e.name, e.value));
    for (const DwordValue &e : kOptionDefaults)
        EXPECT_TRUE(HasDword(kOption, e.name, e.value));

    std::vector<std::string> names;
    ValueNames(HKEY_CURRENT_USER, kMain, &names);
    EXPECT_EQ(3u, names.size());
    ValueNames(HKEY_CURRENT_USER, kOption, &names);
    EXPECT_EQ(20u, names.size());

    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kSetup, "InstallPath", &data, &type));
    EXPECT_EQ((DWORD)REG_SZ, type);
    /* stored with its terminating NUL */
    EXPECT_EQ(std::string("C:\\Program Files\\Veskaro\\Quorvane\\", 34) + '\0', data);
    EXPECT_TRUE(HasDword(kSetup, "Version", 130));
    ValueNames(HKEY_CURRENT_USER, kSetup, &names);
    EXPECT_EQ(2u, names.size());
    ValueNames(HKEY_CURRENT_USER, "Software\\Veskaro\\Quorvane", &names);
    EXPECT_EQ(0u, names.size());
}

TEST_F(Registry, ExistingSettingsAreKeptWhateverTheirType)
{
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kOption, "IsOnTop", 1));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kOption, "UseActivateKeyCode", 65));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kOption, "ShowTrayIcon", "文字"));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kMain, "WindowTop", 480));

    SeedSettings();

    EXPECT_TRUE(HasDword(kOption, "IsOnTop", 1));
    EXPECT_TRUE(HasDword(kOption, "UseActivateKeyCode", 65));
    EXPECT_TRUE(HasDword(kMain, "WindowTop", 480));
    std::string text;
    EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, kOption, "ShowTrayIcon", &text));
    EXPECT_EQ(std::string("文字") + '\0', text);
    /* the missing ones were added */
    EXPECT_TRUE(HasDword(kOption, "IsSearchAll", 1));
    EXPECT_TRUE(HasDword(kOption, "UseShellExtention", 0));
    EXPECT_TRUE(HasDword(kMain, "History", 0));
}

TEST_F(Registry, InstallationRecordIsAlwaysRewritten)
{
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetup, "Version", 129));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kSetup, "InstallPath", "D:\\Old\\"));
    strcpy(InstallPath, "D:\\表\\");
    SeedSettings();
    EXPECT_TRUE(HasDword(kSetup, "Version", 130));
    std::string path;
    EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, kSetup, "InstallPath", &path));
    EXPECT_EQ(std::string("D:\\表\\") + '\0', path);
}

TEST_F(Registry, ValueHelpers)
{
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kMain));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kMain, 0,
                                           KEY_QUERY_VALUE | KEY_SET_VALUE, &key));
    EXPECT_FALSE(ValueExists(key, "History"));
    EXPECT_TRUE(SetDwordValue(key, "History", 0xFFFFFFFF));
    EXPECT_TRUE(ValueExists(key, "History"));
    EXPECT_TRUE(SetStringValue(key, "Text", ""));
    EXPECT_TRUE(ValueExists(key, "Text"));
    RegCloseKey(key);

    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kMain, "History", &data, &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(std::string("\xff\xff\xff\xff", 4), data);
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kMain, "Text", &data, &type));
    EXPECT_EQ(std::string(1, '\0'), data);
}

TEST_F(Registry, UninstallEntryIsQuotedAndGoesAway)
{
    RegisterUninstallEntry();
    std::string name, command;
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName", &name));
    EXPECT_EQ(std::string("Veskaro Quorvane") + '\0', name);
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString", &command));
    EXPECT_EQ(std::string("\"C:\\Program Files\\Veskaro\\Quorvane\\Setup.exe\"") + '\0',
              command);
    /* what deployment tools run */
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstall, "QuietUninstallString", &command));
    EXPECT_EQ(std::string("\"C:\\Program Files\\Veskaro\\Quorvane\\Setup.exe\" /S /UNINSTALL") +
                  '\0',
              command);

    /* what Programs and Features shows */
    std::string text;
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstall, "DisplayIcon", &text));
    EXPECT_EQ(std::string("C:\\Program Files\\Veskaro\\Quorvane\\Setup.exe") + '\0', text);
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstall, "DisplayVersion", &text));
    EXPECT_EQ(std::string("1.30") + '\0', text);
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstall, "Publisher", &text));
    EXPECT_EQ(std::string("Veskaro") + '\0', text);
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstall, "InstallLocation", &text));
    EXPECT_EQ(std::string("C:\\Program Files\\Veskaro\\Quorvane\\") + '\0', text);
    DWORD value = 0, type = 0;
    ASSERT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kUninstall, "NoModify", &value, &type));
    EXPECT_EQ(1u, value);
    EXPECT_EQ((DWORD)REG_DWORD, type);
    ASSERT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kUninstall, "NoRepair", &value, &type));
    EXPECT_EQ(1u, value);
    EXPECT_EQ((DWORD)REG_DWORD, type);
    std::vector<std::string> names;
    ValueNames(HKEY_LOCAL_MACHINE, kUninstall, &names);
    EXPECT_EQ(9u, names.size());

    DeleteUninstallEntry();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall));
    DeleteUninstallEntry(); /* a second time is no failure */
}

TEST_F(Registry, UninstallEntryIsSkippedWhenTheCommandCannotBeNamed)
{
    /* 251 bytes of folder and Setup.exe make 260: one too many */
    std::string folder = "C:\\" + std::string(247, 'a') + "\\";
    strcpy(InstallPath, folder.c_str());
    RegisterUninstallEntry();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstall));

    folder = "C:\\" + std::string(246, 'a') + "\\";  /* 250 + 9 = 259 */
    strcpy(InstallPath, folder.c_str());
    RegisterUninstallEntry();
    std::string command;
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString", &command));
    EXPECT_EQ("\"" + folder + "Setup.exe\"" + '\0', command);
}

TEST(InstallFolderSecurity, IsProtectedAndGrantsExactlySystemAdministratorsAndUsers)
{
    PSECURITY_DESCRIPTOR descriptor = InstallFolderSecurity();
    ASSERT_NE(nullptr, descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "the parent's permissions would be inherited";
    EXPECT_TRUE(control & SE_DACL_PRESENT);
    BOOL present = FALSE, defaulted = TRUE;
    PACL dacl = NULL;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    ASSERT_NE(nullptr, dacl) << "a NULL DACL lets everyone do everything";
    EXPECT_FALSE(defaulted);

    struct Grant { WELL_KNOWN_SID_TYPE sid; ACCESS_MASK mask; } expected[] = {
        {WinLocalSystemSid, FILE_ALL_ACCESS},
        {WinBuiltinAdministratorsSid, FILE_ALL_ACCESS},
        {WinBuiltinUsersSid, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE},
    };
    ASSERT_EQ(3u, dacl->AceCount);
    for (DWORD i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        ACCESS_ALLOWED_ACE *ace = NULL;
        ASSERT_TRUE(GetAce(dacl, i, (void **)&ace));
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags);
        EXPECT_EQ(expected[i].mask, ace->Mask) << std::hex << ace->Mask;
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof(sid);
        ASSERT_TRUE(CreateWellKnownSid(expected[i].sid, NULL, sid, &size));
        EXPECT_TRUE(EqualSid(sid, &ace->SidStart));
    }
    LocalFree(descriptor);
}

} // namespace
