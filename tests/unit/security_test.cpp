/*
 * The permissions Setup gives what it creates and the rule an existing
 * folder must pass, from the descriptors themselves: Wine keeps no
 * permissions to read back (it turns them into a Unix mode), so the
 * routines are tested with SDDL in and out.
 */
#include <string>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "setup/security.h"

namespace {

TEST(InstallFolderSecurity, IsOwnedByAdministratorsProtectedAndGrantsExactlySystemAdministratorsAndUsers)
{
    PSECURITY_DESCRIPTOR descriptor = InstallFolderSecurity();
    ASSERT_NE(nullptr, descriptor);
    /* whoever runs Setup: a later run by another administrator or by
       LocalSystem accepts the folder (Wine keeps no owner, so this is
       its one check) */
    PSID owner = NULL;
    BOOL ownerDefaulted = TRUE;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(administrators);
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted));
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, NULL, administrators, &sidSize));
    ASSERT_NE(nullptr, owner);
    EXPECT_TRUE(EqualSid(owner, administrators));
    EXPECT_FALSE(ownerDefaulted);
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

    /* the owner alone, as of a log file: who could let others read it */
    const struct {
        const char *sddl;
        int safe;
    } owners[] = {{"O:SY", 1}, {"O:BA", 1}, {"O:S-1-5-21-1-2-3-1000", 1}, {"O:BU", 0},
                  {"O:S-1-5-21-1-2-3-1002", 0}};
    for (const auto &owner : owners) {
        SCOPED_TRACE(owner.sddl);
        Descriptor descriptor(owner.sddl);
        EXPECT_EQ(owner.safe, IsOwnedSafely(descriptor.sd, account));
    }
    LocalFree(account);
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

TEST(DataFileSecurity, IsGrantedBesideWhatIsInheritedWhereUsersMayNotReadAndWrite)
{
    struct Row {
        const char *what, *sddl;
        int grant;
    } rows[] = {
        {"nothing for Users", "D:(A;;FA;;;SY)(A;;FA;;;BA)", 1},
        {"Users read only", "D:(A;;FA;;;SY)(A;;0x1200a9;;;BU)", 1},
        {"Users write only", "D:(A;;0x100116;;;BU)", 1},
        {"Users read and write, but only for what is created below",
         "D:(A;OICIIO;0x12019f;;;BU)", 1},
        {"another group reads and writes", "D:(A;;0x12019f;;;AU)", 1},
        {"Users read and write", "D:(A;;0x12019f;;;BU)", 0},
        {"Users full control", "D:(A;;FA;;;BU)", 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Descriptor current(row.sddl);
        ASSERT_NE(nullptr, current.sd);
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = NULL;
        ASSERT_TRUE(GetSecurityDescriptorDacl(current.sd, &present, &dacl, &defaulted));
        EXPECT_EQ(!row.grant, UsersMayWrite(dacl));
        SECURITY_INFORMATION information = 0;
        PACL entries = NULL;
        PSECURITY_DESCRIPTOR wanted = NULL;
        EXPECT_EQ(row.grant, PlanUsersWrite(dacl, &information, &entries, &wanted));
        if (row.grant) {
            /* the file's own entry beside what the folder gives: never
               protected, or SYSTEM and Administrators would be lost */
            EXPECT_EQ((SECURITY_INFORMATION)(DACL_SECURITY_INFORMATION |
                                             UNPROTECTED_DACL_SECURITY_INFORMATION),
                      information);
            ASSERT_NE(nullptr, entries);
            EXPECT_EQ(1u, entries->AceCount);
            EXPECT_TRUE(UsersMayWrite(entries));
        }
        LocalFree(wanted);
    }
}

} // namespace
