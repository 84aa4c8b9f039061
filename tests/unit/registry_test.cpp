/*
 * Setup's registry layout against the real (Wine) registry: the settings
 * are seeded with their defaults but never overwritten, the installation
 * record is read strictly and always rewritten, the mode follows it, and
 * the uninstall entry is written quoted. And the permissions Setup gives
 * an install folder it creates, read from the descriptor it builds: Wine
 * keeps no folder permissions to read back.
 */
#include <string.h>

#include <string>
#include <vector>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "setup/setup.h"
#include "setup/texts.h"
#include "tests/support/contract.h"
#include "tests/support/support.h"

namespace {

/* a box Setup would show (a record it cannot read ends the process
   after one) is dismissed, never waited in */
class Registry : public ::testing::Test {
protected:
    BoxCatcher boxes;

    void SetUp() override
    {
        ResetProductRegistry();
        strcpy(InstallPath, SETUP_DEFAULT_FOLDER);
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

TEST_F(Registry, FreshSeedWritesEveryDefault)
{
    SeedSettings();
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

    SeedSettings();

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

TEST_F(Registry, InstallationRecordIsAlwaysRewrittenWithItsNul)
{
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, kVersionValue, QV_VERSION_NUMBER - 1));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kSetupKey, kInstallPathValue, "D:\\Old\\"));
    strcpy(InstallPath, "D:\\表\\");
    WriteInstallationRecord();
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
    SeedSettings();
    WriteInstallationRecord();
    SystemAccount = 0;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachineSetupKey));
    /* the tests run as a user */
    EXPECT_EQ(0, RunsAsLocalSystem());
}

/* a record under HKEY_CURRENT_USER\kSetupKey as other programs may have
   left it: a value is written only where its type is not REG_NONE */
struct RecordRow {
    const char *what;
    DWORD versionType;
    std::string version;
    DWORD pathType;
    std::string path;
};

std::string Bytes(DWORD value)
{
    return std::string((const char *)&value, 4);
}

std::string Text(const std::string &text)
{
    return text + '\0';
}

::testing::AssertionResult WriteRecord(const RecordRow &row)
{
    DeleteKeyTree(HKEY_CURRENT_USER, kSetupKey);
    if (!CreateKey(HKEY_CURRENT_USER, kSetupKey) ||
        (row.versionType != REG_NONE &&
         !WriteValue(HKEY_CURRENT_USER, kSetupKey, kVersionValue, row.versionType,
                     row.version.data(), (DWORD)row.version.size())) ||
        (row.pathType != REG_NONE &&
         !WriteValue(HKEY_CURRENT_USER, kSetupKey, kInstallPathValue, row.pathType,
                     row.path.data(), (DWORD)row.path.size())))
        return ::testing::AssertionFailure() << "the record cannot be laid out";
    return ::testing::AssertionSuccess();
}

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

TEST_F(Registry, ARecordDecidesTheMode)
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
        ASSERT_TRUE(WriteRecord(row.record));
        SetupMode = Install;
        InstallPath[0] = '\0';
        DecideSetupMode();
        EXPECT_EQ(row.mode, SetupMode);
        EXPECT_EQ(row.folder, std::string(InstallPath));
    }

    DeleteKeyTree(HKEY_CURRENT_USER, kSetupKey);
    DecideSetupMode();
    EXPECT_EQ(Install, SetupMode);
}

TEST_F(Registry, TheMachinesRecordDecidesWhereThereIsOne)
{
    const DWORD older = QV_VERSION_NUMBER - 1;
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, kVersionValue, older));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kSetupKey, kInstallPathValue, "C:\\Mine\\"));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, QV_VERSION_NUMBER));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kMachineSetupKey, kInstallPathValue, "C:\\All\\"));
    DecideSetupMode();
    EXPECT_EQ(Uninstall, SetupMode);
    EXPECT_STREQ("C:\\All\\", InstallPath);

    /* without it, this account's record as earlier Setups left it */
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kMachineMakerKey);
    DecideSetupMode();
    EXPECT_EQ(Update, SetupMode);
    EXPECT_STREQ("C:\\Mine\\", InstallPath);

    /* with it, this account's record plays no part */
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, older));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kMachineSetupKey, kInstallPathValue, "C:\\All\\"));
    DeleteKeyTree(HKEY_CURRENT_USER, kSetupKey);
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kSetupKey));
    DecideSetupMode();
    EXPECT_EQ(Update, SetupMode);
    EXPECT_STREQ("C:\\All\\", InstallPath);
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
    RegisterUninstallEntry();
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

    DeleteUninstallEntry();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    DeleteUninstallEntry(); /* a second time is no failure */
}

TEST_F(Registry, UninstallEntryIsSkippedWhenTheCommandCannotBeNamed)
{
    /* 251 bytes of folder and Setup.exe make 260: one too many */
    std::string folder = "C:\\" + std::string(247, 'a') + "\\";
    strcpy(InstallPath, folder.c_str());
    RegisterUninstallEntry();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    folder = "C:\\" + std::string(246, 'a') + "\\";  /* 250 + 9 = 259 */
    strcpy(InstallPath, folder.c_str());
    RegisterUninstallEntry();
    std::string command;
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &command));
    EXPECT_EQ("\"" + folder + QV_SETUP_EXE + "\"" + '\0', command);
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

/* a descriptor from its SDDL, freed with the test */
struct Descriptor {
    PSECURITY_DESCRIPTOR sd = NULL;
    explicit Descriptor(const char *sddl)
    {
        ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, NULL);
    }
    ~Descriptor() { LocalFree(sd); }
};

TEST(FolderSecurity, OnlyFoldersThatOthersCannotChangeAreSafe)
{
    /* the account running Setup, and another user */
#define ACCOUNT "S-1-5-21-1-2-3-1000"
#define OTHER "S-1-5-21-1-2-3-1002"
#define TI "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
    const char *const kProgramFiles =
        "O:" TI "D:PAI(A;;FA;;;" TI ")(A;CIIO;GA;;;" TI ")(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)"
        "(A;;0x1301bf;;;BA)(A;OICIIO;GA;;;BA)(A;;0x1200a9;;;BU)(A;OICIIO;GXGR;;;BU)"
        "(A;OICIIO;GA;;;CO)(A;;0x1200a9;;;AC)(A;OICIIO;GXGR;;;AC)";
    /* Authenticated Users may make folders there, and change what is made
       below */
    const char *const kRootOfC =
        "O:SYD:AI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"
        "(A;OICIIO;SDGXGWGR;;;AU)(A;;0x4;;;AU)";
    /* what a folder made under it inherits */
    const char *const kUnderC = "D:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)"
                                "(A;ID;0x1301bf;;;AU)(A;OICIIOID;SDGXGWGR;;;AU)";
    /* Authenticated Users may change everything */
    const char *const kDataRoot =
        "O:BAD:AI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;AU)(A;OICI;0x1200a9;;;BU)";
    const char *const kUnderData =
        "O:BAD:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1301bf;;;AU)"
        "(A;OICIID;0x1200a9;;;BU)";
    const char *const kSetupMade = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
    const char *const kWine755 =
        "O:" ACCOUNT "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" ACCOUNT ")(A;OICI;0x1200a9;;;WD)";
    const char *const kWine1777 =
        "O:" ACCOUNT "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" ACCOUNT ")(A;OICI;0x1301ff;;;WD)";
    struct Row {
        const char *what;
        std::string sddl;
        int place, safe;
    } rows[] = {
        {"Program Files above", kProgramFiles, FolderAbovePlace, 1},
        {"Program Files itself", kProgramFiles, InstallFolderPlace, 1},
        {"the root of C: above", kRootOfC, DriveRootPlace, 1},
        {"the root of C: itself", kRootOfC, InstallFolderPlace, 0},
        {"a user's folder under C:\\ itself", std::string("O:" OTHER) + kUnderC,
         InstallFolderPlace, 0},
        {"a user's folder under C:\\ above", std::string("O:" OTHER) + kUnderC, FolderAbovePlace,
         0},
        {"an administrator's folder under C:\\ itself", std::string("O:BA") + kUnderC,
         InstallFolderPlace, 0},
        {"an administrator's folder under C:\\ above", std::string("O:BA") + kUnderC,
         FolderAbovePlace, 0},
        {"a data drive's root above", kDataRoot, DriveRootPlace, 1},
        {"a data drive's root itself", kDataRoot, InstallFolderPlace, 0},
        {"a folder under it itself", kUnderData, InstallFolderPlace, 0},
        {"a folder under it above", kUnderData, FolderAbovePlace, 0},
        {"a folder Setup made", std::string("O:BA") + kSetupMade, InstallFolderPlace, 1},
        {"another user's folder with Setup's permissions", std::string("O:" OTHER) + kSetupMade,
         InstallFolderPlace, 0},
        {"Wine's mode 755 itself", kWine755, InstallFolderPlace, 1},
        {"Wine's mode 755 as a root", kWine755, DriveRootPlace, 1},
        {"Wine's mode 1777 itself", kWine1777, InstallFolderPlace, 0},
        {"Wine's mode 1777 above", kWine1777, FolderAbovePlace, 0},
        {"Wine's mode 1777 as a root", kWine1777, DriveRootPlace, 0},
        /* the folder itself is closed, but others may write the files */
        {"files inherit a write", "O:BAD:P(A;OICI;FA;;;BA)(A;OIIO;0x2;;;BU)", InstallFolderPlace,
         0},
        {"files inherit a write, above", "O:BAD:P(A;OICI;FA;;;BA)(A;OIIO;0x2;;;BU)",
         FolderAbovePlace, 1},
        {"a denial takes nothing away", "O:BAD:P(D;OICI;FA;;;BU)(A;OICI;FA;;;BA)",
         InstallFolderPlace, 1},
    };
#undef ACCOUNT
#undef OTHER
#undef TI
    PSID account = NULL;
    ASSERT_TRUE(ConvertStringSidToSidA("S-1-5-21-1-2-3-1000", &account));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Descriptor descriptor(row.sddl.c_str());
        ASSERT_NE(nullptr, descriptor.sd);
        EXPECT_EQ(row.safe, IsFolderSafe(descriptor.sd, row.place, account));
    }

    /* no DACL at all lets everyone do everything */
    SECURITY_DESCRIPTOR open;
    ASSERT_TRUE(InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&open, TRUE, NULL, FALSE));
    ASSERT_TRUE(SetSecurityDescriptorOwner(&open, account, FALSE));
    EXPECT_EQ(0, IsFolderSafe(&open, FolderAbovePlace, account));
    LocalFree(account);
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
    DeleteTree(TestRoot());
}

TEST(DataFileSecurity, LetsUsersReadAndWriteBesideWhatIsInherited)
{
    PSECURITY_DESCRIPTOR descriptor = DataFileSecurity();
    ASSERT_NE(nullptr, descriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_FALSE(control & SE_DACL_PROTECTED) << "the folder's entries would not be inherited";
    BOOL present = FALSE, defaulted = TRUE;
    PACL dacl = NULL;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    ASSERT_NE(nullptr, dacl);
    ASSERT_EQ(1u, dacl->AceCount);
    ACCESS_ALLOWED_ACE *ace = NULL;
    ASSERT_TRUE(GetAce(dacl, 0, (void **)&ace));
    EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
    EXPECT_EQ(0, ace->Header.AceFlags);
    EXPECT_EQ((DWORD)(FILE_GENERIC_READ | FILE_GENERIC_WRITE), ace->Mask) << std::hex << ace->Mask;
    EXPECT_EQ(0u, ace->Mask & (DELETE | WRITE_DAC | WRITE_OWNER));
    BYTE users[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(users);
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinUsersSid, NULL, users, &size));
    EXPECT_TRUE(EqualSid(users, &ace->SidStart));
    LocalFree(descriptor);
}

} // namespace
