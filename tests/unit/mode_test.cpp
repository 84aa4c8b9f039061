/*
 * The mode of a run from the records as they may be found: the machine's
 * decides wherever it exists; this account's, which any program of the
 * user may write, refuses alone but names a folder to update or
 * uninstall only where the machine confirms it.
 */
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "registry_fixture.h"
#include "setup/mode.h"

namespace {

TEST_F(Registry, TheMachinesRecordGivesTheModeByItsVersion)
{
    const std::string tools = Text("C:\\Tools");
    const std::string longest = "C:\\" + std::string(255, 'a') + "\\";
    const DWORD older = QV_VERSION_NUMBER - 1;
    struct Row {
        RecordRow record;
        SetupModeKind mode;
        /* with its backslash, whether it was recorded so or not */
        std::string folder;
    } rows[] = {
        {{"an older version", REG_DWORD, Bytes(older), REG_SZ, tools}, Update, "C:\\Tools\\"},
        {{"-1", REG_DWORD, Bytes(0xFFFFFFFF), REG_SZ, tools}, Update, "C:\\Tools\\"},
        {{"0", REG_DWORD, Bytes(0), REG_SZ, tools}, Update, "C:\\Tools\\"},
        {{"this version", REG_DWORD, Bytes(QV_VERSION_NUMBER), REG_SZ, tools}, Uninstall,
         "C:\\Tools\\"},
        {{"a newer version", REG_DWORD, Bytes(QV_VERSION_NUMBER + 1), REG_SZ, tools},
         NewerInstalled, "C:\\Tools\\"},
        /* four bytes of any type are a version: three digits and a NUL
           are a number far above any version */
        {{"a string of 4 bytes", REG_SZ, Text("200"), REG_SZ, tools}, NewerInstalled,
         "C:\\Tools\\"},
        {{"the longest InstallPath", REG_DWORD, Bytes(older), REG_SZ, Text(longest)}, Update,
         longest},
        {{"an InstallPath without its NUL", REG_DWORD, Bytes(older), REG_SZ, "C:\\Tools"}, Update,
         "C:\\Tools\\"},
        {{"an expandable InstallPath", REG_DWORD, Bytes(older), REG_EXPAND_SZ, tools}, Update,
         "C:\\Tools\\"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.record.what);
        ASSERT_TRUE(WriteRecord(row.record, HKEY_LOCAL_MACHINE));
        SetupMode = Install;
        InstallPath[0] = '\0';
        EXPECT_TRUE(DecideSetupMode(0));
        EXPECT_EQ(row.mode, SetupMode);
        EXPECT_EQ(row.folder, std::string(InstallPath));
    }

    DeleteKeyTree(HKEY_LOCAL_MACHINE, kMachineMakerKey);
    EXPECT_TRUE(DecideSetupMode(0));
    EXPECT_EQ(Install, SetupMode);
}

/* the two paths name one file */
bool IsSameFile(const std::string &first, const std::string &second)
{
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::string *paths[] = {&first, &second};
    for (int i = 0; i < 2; i++) {
        HANDLE file = CreateFileA(paths[i]->c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                  OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

/* a record, as the test lays it out: none, a version and a folder, or a
   key without values */
struct Laid {
    enum { None, Read, Malformed } state;
    DWORD version;
    std::string folder;
};

::testing::AssertionResult LayOut(HKEY root, const Laid &record)
{
    const char *key = root == HKEY_LOCAL_MACHINE ? kMachineSetupKey : kSetupKey;
    DeleteKeyTree(root, key);
    if (record.state == Laid::None)
        return ::testing::AssertionSuccess();
    if (!CreateKey(root, key) ||
        (record.state == Laid::Read &&
         (!WriteDword(root, key, kVersionValue, record.version) ||
          !WriteString(root, key, kInstallPathValue, record.folder))))
        return ::testing::AssertionFailure() << "the record cannot be laid out";
    return ::testing::AssertionSuccess();
}

TEST_F(Registry, TheMachinesRecordDecidesAndThisAccountsOnlyWhereTheMachineConfirmsIt)
{
    const DWORD older = QV_VERSION_NUMBER - 1, same = QV_VERSION_NUMBER;
    const std::string root = TestRoot() + "mode\\";
    const std::string all = root + "all\\", mine = root + "mine\\", open = root + "open\\";
    for (const std::string &folder : {all, mine, open})
        ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(LetEveryoneChange(open));
    /* a folder whose Setup.exe is the running Setup (the built one, held
       as this program's own image), as when a user starts the installed
       Setup. No one may delete a held program's file by any of its names:
       a second name left there in an earlier run stays, and is the right
       one */
    const std::string own = "C:\\qvself\\", self = BinFile(QV_SETUP_EXE);
    ASSERT_NE(nullptr, HoldBuiltSetup());
    DeleteTree(own);
    CreateDirectoryA(own.c_str(), NULL);
    if (!IsSameFile(own + QV_SETUP_EXE, self))
        ASSERT_TRUE(CreateHardLinkA((own + QV_SETUP_EXE).c_str(), self.c_str(), NULL));
    const Laid none = {Laid::None, 0, ""};
    struct Row {
        const char *what;
        Laid machine, user;
        std::string entry; /* the uninstall entry's UninstallString, or empty */
        SetupModeKind mode;
        std::string folder;
        /* a silent run, and one of /UNINSTALL */
        int silent = 0, uninstalling = 0;
    } rows[] = {
        {"the machine's alone", {Laid::Read, older, all}, none, "", Update, all},
        {"this account's alone, the entry runs its Setup.exe", none, {Laid::Read, older, mine},
         "\"" + mine + QV_SETUP_EXE + "\"", Update, mine},
        {"this account's alone, the entry unquoted", none, {Laid::Read, same, mine},
         mine + QV_SETUP_EXE, Uninstall, mine},
        {"this account's alone, recorded without its backslash", none,
         {Laid::Read, older, WithoutBackslash(mine)}, mine + QV_SETUP_EXE, Update, mine},
        {"this account's alone, no entry", none, {Laid::Read, older, mine}, "", Install, ""},
        {"this account's alone, the entry runs another folder's", none, {Laid::Read, same, mine},
         "\"" + all + QV_SETUP_EXE + "\"", Install, ""},
        /* the running Setup confirms an uninstall alone: an update or a
           repair would write where the user's record and the user's
           start of Setup say */
        {"this account's alone, run from its folder with no entry", none,
         {Laid::Read, older, own}, "", Install, ""},
        {"this account's alone, run from its folder to uninstall", none,
         {Laid::Read, older, own}, "", Update, own, 1, 1},
        {"this account's alone, this version run from its folder", none,
         {Laid::Read, same, own}, "", Uninstall, own},
        {"this account's alone, this version run from its folder silently", none,
         {Laid::Read, same, own}, "", Install, "", 1},
        {"this account's alone, a folder others may change", none, {Laid::Read, same, open},
         "\"" + open + QV_SETUP_EXE + "\"", Install, ""},
        {"this account's alone, newer: refused all the same", none,
         {Laid::Read, same + 1, mine}, "", NewerInstalled, mine},
        {"both", {Laid::Read, same, all}, {Laid::Read, older, mine},
         "\"" + mine + QV_SETUP_EXE + "\"", Uninstall, all},
        {"the machine's, and a malformed one of this account", {Laid::Read, older, all},
         {Laid::Malformed, 0, ""}, "", Update, all},
        {"neither", none, none, "", Install, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        ASSERT_TRUE(LayOut(HKEY_LOCAL_MACHINE, row.machine));
        ASSERT_TRUE(LayOut(HKEY_CURRENT_USER, row.user));
        if (!row.entry.empty())
            ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", row.entry));
        SetupMode = Install;
        memset(InstallPath, 'Z', sizeof(InstallPath) - 1);
        InstallPath[sizeof(InstallPath) - 1] = '\0';
        SilentRun = row.silent;
        EXPECT_TRUE(DecideSetupMode(row.uninstalling));
        SilentRun = 0;
        EXPECT_EQ(row.mode, SetupMode);
        EXPECT_EQ(row.folder, std::string(InstallPath));
    }
    DeleteTree(TestRoot());
}

} // namespace
