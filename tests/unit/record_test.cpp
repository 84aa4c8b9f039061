/*
 * The installation record against the real (Wine) registry: read
 * strictly from either key, always rewritten whole with its NUL, and
 * deleted with the maker's keys left where something else is in them.
 */
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "registry_fixture.h"
#include "setup/record.h"
#include "setup/registry.h"
#include "setup/security.h"

namespace {

TEST_F(Registry, AnyRecordOtherThanAVersionAndAnAbsoluteFolderIsUnreadable)
{
    const std::string version = Bytes(QV_VERSION_NUMBER);
    const std::string tools = Text("C:\\Tools\\");
    const RecordRow rows[] = {
        {"an empty key", REG_NONE, "", REG_NONE, ""},
        {"no InstallPath", REG_DWORD, version, REG_NONE, ""},
        {"no Version", REG_NONE, "", REG_SZ, tools},
        {"a Version of 2 bytes", REG_BINARY, std::string("\x82\0", 2), REG_SZ, tools},
        {"a Version of 8 bytes", REG_QWORD, version + Bytes(0), REG_SZ, tools},
        {"a string Version of 3 bytes", REG_SZ, Text("12"), REG_SZ, tools},
        {"an empty InstallPath", REG_DWORD, version, REG_SZ, Text("")},
        {"an InstallPath of another type", REG_DWORD, version, REG_DWORD, Bytes(0x5C3A43)},
        /* 260 characters and the NUL: one byte too many for the buffer */
        {"an InstallPath of 260 bytes", REG_DWORD, version, REG_SZ,
         Text("C:\\" + std::string(256, 'a') + "\\")},
        {"an InstallPath of 304 bytes", REG_DWORD, version, REG_SZ,
         Text("C:\\" + std::string(300, 'a') + "\\")},
        /* relative, device and long-path forms */
        {"a relative folder", REG_DWORD, version, REG_SZ, Text("abc\\")},
        {"a drive-relative folder", REG_DWORD, version, REG_SZ, Text("D:abc\\")},
        {"a rooted folder", REG_DWORD, version, REG_SZ, Text("\\abc\\")},
        {"a long path", REG_DWORD, version, REG_SZ, Text("\\\\?\\C:\\abc\\")},
        {"a device path", REG_DWORD, version, REG_SZ, Text("\\\\.\\C:\\abc\\")},
    };
    for (const RecordRow &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(WriteRecord(row));
        LONG recorded = 0;
        char folder[MAX_PATH];
        memset(folder, 'Z', sizeof(folder));
        EXPECT_EQ(RecordUnreadable, ReadInstallationRecord(HKEY_CURRENT_USER, kSetupKey, &recorded,
                                                           folder, sizeof(folder)));
        EXPECT_STREQ("", folder);
    }
}

TEST_F(Registry, InstallationRecordIsAlwaysRewrittenWithItsNul)
{
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, kVersionValue, QV_VERSION_NUMBER - 1));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kSetupKey, kInstallPathValue, "D:\\Old\\"));
    strcpy(InstallPath, "D:\\表\\");
    ASSERT_TRUE(WriteInstallationRecords());
    /* the machine's, and this account's for older Setups */
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const char *key = root == HKEY_LOCAL_MACHINE ? kMachineSetupKey : kSetupKey;
        SCOPED_TRACE(key);
        DWORD version = 0, type = 0;
        EXPECT_TRUE(ReadDword(root, key, kVersionValue, &version, &type));
        EXPECT_EQ((DWORD)QV_VERSION_NUMBER, version);
        EXPECT_EQ((DWORD)REG_DWORD, type);
        std::string data;
        ASSERT_TRUE(ReadRaw(root, key, kInstallPathValue, &data, &type));
        EXPECT_EQ((DWORD)REG_SZ, type);
        EXPECT_EQ(std::string("D:\\表\\") + '\0', data);
        std::vector<std::string> names;
        ValueNames(root, key, &names);
        EXPECT_EQ(2u, names.size());
    }
}

TEST_F(Registry, LocalSystemWritesNothingForAUser)
{
    /* a deployment tool's run: that HKEY_CURRENT_USER is no user's */
    SystemAccount = 1;
    EXPECT_TRUE(SeedSettings());
    EXPECT_TRUE(WriteInstallationRecords());
    /* nor takes a user's record away */
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, kVersionValue, 1));
    EXPECT_TRUE(DeleteUserRecord());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSetupKey));
    SystemAccount = 0;
    DeleteKeyTree(HKEY_CURRENT_USER, kProductKey);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachineSetupKey));
    /* the tests run as a user */
    EXPECT_EQ(0, RunsAsLocalSystem());
}

TEST_F(Registry, MachineRecordGoesWithTheMakersKeysWhereTheyAreLeftEmpty)
{
    ASSERT_TRUE(WriteInstallationRecords());
    LONG version = 0;
    EXPECT_TRUE(MachineRecordNamesInstallPath(&version));
    EXPECT_EQ(QV_VERSION_NUMBER, version);
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Veskaro\\Other"));
    EXPECT_TRUE(DeleteMachineRecord());
    EXPECT_FALSE(MachineRecordNamesInstallPath(&version));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineProductKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachineMakerKey)) << "another product's";

    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Veskaro\\Other");
    ASSERT_TRUE(WriteInstallationRecords());
    EXPECT_TRUE(DeleteMachineRecord());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineMakerKey));
    EXPECT_TRUE(DeleteMachineRecord()) << "none is no failure";
}

} // namespace
