/*
 * Setup's registry layout against the real (Wine) registry: the settings
 * are seeded with their defaults but never overwritten, and the uninstall
 * entry is written whole and quoted, and read back as earlier Setups
 * wrote it.
 */
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "registry_fixture.h"
#include "setup/registry.h"

namespace {

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

TEST_F(Registry, FreshSeedWritesEveryDefault)
{
    EXPECT_TRUE(SeedSettings());
    for (const DwordValue &e : kMainDefaults)
        EXPECT_TRUE(HasDword(kMainKey, e.name, e.value));
    for (const DwordValue &e : kOptionDefaults)
        EXPECT_TRUE(HasDword(kOptionKey, e.name, e.value));

    std::vector<std::string> names;
    ValueNames(HKEY_CURRENT_USER, kMainKey, &names);
    EXPECT_EQ(sizeof(kMainDefaults) / sizeof(kMainDefaults[0]), names.size());
    ValueNames(HKEY_CURRENT_USER, kOptionKey, &names);
    EXPECT_EQ(sizeof(kOptionDefaults) / sizeof(kOptionDefaults[0]), names.size());
    ValueNames(HKEY_CURRENT_USER, kProductKey, &names);
    EXPECT_EQ(0u, names.size());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSetupKey)) << "the record is written apart";
}

TEST_F(Registry, ExistingSettingsAreKeptWhateverTheirType)
{
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kOptionKey, "IsOnTop", 1));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kOptionKey, "UseActivateKeyCode", 65));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kOptionKey, "ShowTrayIcon", "文字"));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kMainKey, "History", REG_BINARY, "\x01\x02", 2));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kMainKey, "WindowTop", 480));

    EXPECT_TRUE(SeedSettings());

    EXPECT_TRUE(HasDword(kOptionKey, "IsOnTop", 1));
    EXPECT_TRUE(HasDword(kOptionKey, "UseActivateKeyCode", 65));
    EXPECT_TRUE(HasDword(kMainKey, "WindowTop", 480));
    std::string data;
    DWORD type = 0;
    EXPECT_TRUE(ReadRaw(HKEY_CURRENT_USER, kOptionKey, "ShowTrayIcon", &data, &type));
    EXPECT_EQ(std::string("文字") + '\0', data);
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_TRUE(ReadRaw(HKEY_CURRENT_USER, kMainKey, "History", &data, &type));
    EXPECT_EQ(std::string("\x01\x02", 2), data);
    EXPECT_EQ((DWORD)REG_BINARY, type);
    /* the missing ones were added */
    EXPECT_TRUE(HasDword(kOptionKey, "IsSearchAll", 1));
    EXPECT_TRUE(HasDword(kOptionKey, "UseShellExtention", 0));
    EXPECT_TRUE(HasDword(kMainKey, "WindowLeft", 0));
}

TEST_F(Registry, ValueHelpers)
{
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kMainKey));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kMainKey, 0,
                                           KEY_QUERY_VALUE | KEY_SET_VALUE, &key));
    EXPECT_FALSE(ValueExists(key, "History"));
    EXPECT_TRUE(SetDwordValue(key, "History", 0xFFFFFFFF));
    EXPECT_TRUE(ValueExists(key, "History"));
    EXPECT_TRUE(SetStringValue(key, "Text", ""));
    EXPECT_TRUE(ValueExists(key, "Text"));
    RegCloseKey(key);

    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kMainKey, "History", &data, &type));
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(std::string("\xff\xff\xff\xff", 4), data);
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kMainKey, "Text", &data, &type));
    EXPECT_EQ(std::string(1, '\0'), data);
}

TEST_F(Registry, UninstallEntryIsQuotedAndGoesAway)
{
    const std::string program = std::string(SETUP_DEFAULT_FOLDER) + QV_SETUP_EXE;
    ASSERT_TRUE(RegisterUninstallEntry());
    /* a new entry names its version once the record has committed it */
    std::string version;
    EXPECT_FALSE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", &version));
    ASSERT_TRUE(CompleteEntryVersion());
    struct Row {
        const char *name;
        std::string text;
    } strings[] = {
        {"DisplayName", QV_DISPLAY_NAME},
        /* quoted: a folder with spaces must not start C:\Program.exe */
        {"UninstallString", "\"" + program + "\""},
        /* what deployment tools run */
        {"QuietUninstallString", "\"" + program + "\" /S /UNINSTALL"},
        /* what Programs and Features shows */
        {"DisplayIcon", program},
        {"DisplayVersion", QV_VERSION_TEXT},
        {"Publisher", QV_MAKER_NAME},
        {"InstallLocation", SETUP_DEFAULT_FOLDER},
    };
    for (const Row &row : strings) {
        SCOPED_TRACE(row.name);
        std::string text;
        ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, row.name, &text));
        EXPECT_EQ(row.text + '\0', text);
    }
    for (const char *name : {"NoModify", "NoRepair"}) {
        DWORD value = 0, type = 0;
        ASSERT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, name, &value, &type));
        EXPECT_EQ(1u, value);
        EXPECT_EQ((DWORD)REG_DWORD, type);
    }
    std::vector<std::string> names;
    ValueNames(HKEY_LOCAL_MACHINE, kUninstallKey, &names);
    EXPECT_EQ(sizeof(strings) / sizeof(strings[0]) + 2, names.size());

    /* read back as every Setup wrote it */
    char command[MAX_PATH + 2];
    EXPECT_TRUE(ReadUninstallCommand(command, sizeof(command)));
    EXPECT_EQ("\"" + program + "\"", std::string(command));

    EXPECT_TRUE(DeleteUninstallEntry());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(DeleteUninstallEntry()); /* a second time is no failure */
    EXPECT_FALSE(ReadUninstallCommand(command, sizeof(command)));
}

TEST_F(Registry, UninstallEntryIsSkippedWhenTheCommandCannotBeNamed)
{
    /* 251 bytes of folder and Setup.exe make 260: one too many */
    std::string folder = "C:\\" + std::string(247, 'a') + "\\";
    strcpy(InstallPath, folder.c_str());
    EXPECT_FALSE(RegisterUninstallEntry());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    folder = "C:\\" + std::string(246, 'a') + "\\";  /* 250 + 9 = 259 */
    strcpy(InstallPath, folder.c_str());
    EXPECT_TRUE(RegisterUninstallEntry());
    std::string command;
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &command));
    EXPECT_EQ("\"" + folder + QV_SETUP_EXE + "\"" + '\0', command);
}

} // namespace
