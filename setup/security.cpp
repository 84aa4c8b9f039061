/*
 * Who may change what Setup acts on. Setup runs as administrator, and the
 * uninstall entry runs the installed Setup.exe as administrator again, so
 * the programs it puts in a folder must be as safe there as in Program
 * Files: every folder it creates gets a descriptor that only SYSTEM and
 * Administrators may change, and an existing install folder, with every
 * folder above it, is checked before anything is created, copied or
 * recorded. The two data files are the exception the main program and
 * Helper need: Users may write them. Also the account Setup runs as.
 */
#include "setup.h"

#include <aclapi.h>
#include <sddl.h>

#include "../common/text.h"
#include "texts.h"

/* TrustedInstaller, the service that owns the system's own files */
static const char kTrustedInstaller[] =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

/* what others may not have on the install folder itself: add or remove
   what is in it, or take it over */
static const ACCESS_MASK kInstallFolderRights =
    FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
    WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
/* what others may not have on the files created in it */
static const ACCESS_MASK kInstalledFileRights =
    FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
    GENERIC_ALL;
/* what others may not have on a folder above it: remove or rename what
   is in it (the install folder with it), or take it over */
static const ACCESS_MASK kFolderAboveRights = FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER |
                                              GENERIC_ALL | DELETE;

PSECURITY_DESCRIPTOR InstallFolderSecurity(void)
{
    /* protected (P): nothing is inherited from the parent, which may be
       the root of a data drive that every signed-in user may change */
    static const char kSecurity[] = "D:P"
                                    "(A;OICI;FA;;;SY)"        /* SYSTEM: full control */
                                    "(A;OICI;FA;;;BA)"        /* Administrators: full control */
                                    "(A;OICI;0x1200a9;;;BU)"; /* Users: read and execute */
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kSecurity, SDDL_REVISION_1,
                                                              &descriptor, NULL))
        return NULL;
    return descriptor;
}

PSECURITY_DESCRIPTOR DataFileSecurity(void)
{
    /* not protected: the folder's own entries are inherited beside it.
       Read and write, but neither delete nor change the permissions */
    static const char kSecurity[] = "D:(A;;0x12019f;;;BU)";
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kSecurity, SDDL_REVISION_1,
                                                              &descriptor, NULL))
        return NULL;
    return descriptor;
}

/* 1 when the DACL already lets Users read and write as the data files
   need */
static int UsersMayWrite(PACL dacl)
{
    BYTE users[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(users);
    if (dacl == NULL || !CreateWellKnownSid(WinBuiltinUsersSid, NULL, users, &size))
        return 0;
    for (DWORD i = 0; i < dacl->AceCount; i++) {
        ACCESS_ALLOWED_ACE *ace = NULL;
        if (GetAce(dacl, i, (void **)&ace) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            (ace->Header.AceFlags & INHERIT_ONLY_ACE) == 0 && EqualSid(users, &ace->SidStart) &&
            (ace->Mask & (FILE_GENERIC_READ | FILE_GENERIC_WRITE)) ==
                (FILE_GENERIC_READ | FILE_GENERIC_WRITE))
            return 1;
    }
    return 0;
}

int LetUsersWrite(const char *path)
{
    PSECURITY_DESCRIPTOR current = NULL, wanted = NULL;
    PACL dacl = NULL, entries = NULL;
    BOOL present = FALSE, defaulted = FALSE;
    int ok = 0;

    if (GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, &dacl,
                              NULL, &current) != ERROR_SUCCESS)
        return 0;
    if (UsersMayWrite(dacl)) {
        LocalFree(current);
        return 1;
    }
    wanted = DataFileSecurity();
    /* the entry is the file's own; what the folder gives is inherited
       again beside it, as the flag says */
    if (wanted != NULL && GetSecurityDescriptorDacl(wanted, &present, &entries, &defaulted) &&
        present)
        ok = SetNamedSecurityInfoA((char *)path, SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION,
                                   NULL, NULL, entries, NULL) == ERROR_SUCCESS;
    LocalFree(wanted);
    LocalFree(current);
    return ok;
}

/* the account this process runs as, in sid (SECURITY_MAX_SID_SIZE) */
static int ReadRunningAccount(BYTE *sid)
{
    HANDLE token = NULL;
    BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    int ok = GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size) &&
             CopySid(SECURITY_MAX_SID_SIZE, sid, ((TOKEN_USER *)buffer)->User.Sid);
    CloseHandle(token);
    return ok;
}

int RunsAsLocalSystem(void)
{
    BYTE account[SECURITY_MAX_SID_SIZE];
    return ReadRunningAccount(account) && IsWellKnownSid(account, WinLocalSystemSid);
}

/* 1 for a principal that is not SYSTEM, Administrators, TrustedInstaller
   or the account running Setup */
static int IsOther(PSID sid, PSID account)
{
    PSID trustedInstaller = NULL;
    int other = !IsWellKnownSid(sid, WinLocalSystemSid) &&
                !IsWellKnownSid(sid, WinBuiltinAdministratorsSid) && !EqualSid(sid, account);
    if (other && ConvertStringSidToSidA(kTrustedInstaller, &trustedInstaller)) {
        other = !EqualSid(sid, trustedInstaller);
        LocalFree(trustedInstaller);
    }
    return other;
}

int IsFolderSafe(PSECURITY_DESCRIPTOR descriptor, int place, PSID account)
{
    PSID owner = NULL;
    PACL dacl = NULL;
    BOOL defaulted = FALSE, present = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || owner == NULL ||
        IsOther(owner, account) ||
        !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return 0;
    /* no DACL at all lets everyone do everything */
    if (!present || dacl == NULL)
        return 0;
    ACCESS_MASK onFolder = place == InstallFolderPlace ? kInstallFolderRights
                           : place == DriveRootPlace  ? kFolderAboveRights & ~DELETE
                                                      : kFolderAboveRights;
    for (DWORD i = 0; i < dacl->AceCount; i++) {
        ACE_HEADER *header = NULL;
        if (!GetAce(dacl, i, (void **)&header))
            return 0;
        /* only what is allowed counts; a denial only takes away */
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE &&
            header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE)
            continue;
        ACCESS_ALLOWED_ACE *ace = (ACCESS_ALLOWED_ACE *)header;
        PSID sid = &ace->SidStart;
        /* CREATOR OWNER stands for whoever creates below: Setup itself */
        if (!IsOther(sid, account) || IsWellKnownSid(sid, WinCreatorOwnerSid))
            continue;
        if ((header->AceFlags & INHERIT_ONLY_ACE) == 0 && (ace->Mask & onFolder) != 0)
            return 0;
        if (place == InstallFolderPlace && (header->AceFlags & OBJECT_INHERIT_ACE) != 0 &&
            (ace->Mask & kInstalledFileRights) != 0)
            return 0;
    }
    return 1;
}

/* the folder's security as Windows reports it, checked for its place */
static int IsExistingFolderSafe(const char *folder, int place, PSID account)
{
    char path[MAX_PATH];
    PSECURITY_DESCRIPTOR descriptor = NULL;
    /* asked for without its backslash, except a root */
    if (!CopyText(path, sizeof(path), folder))
        return 0;
    if (place != DriveRootPlace) {
        char *last = (char *)LastCharacter(path);
        if (last != NULL && *last == '\\')
            *last = '\0';
    }
    if (GetNamedSecurityInfoA(path, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, NULL, NULL,
                              NULL, NULL, &descriptor) != ERROR_SUCCESS)
        return 0;
    int safe = IsFolderSafe(descriptor, place, account);
    LocalFree(descriptor);
    return safe;
}

int FindUnsafeFolder(const char *folder, char *unsafe, size_t size)
{
    BYTE account[SECURITY_MAX_SID_SIZE];
    char prefix[MAX_PATH];
    int rootSeen = 0;

    unsafe[0] = '\0';
    if (!ReadRunningAccount(account) || !CopyText(prefix, sizeof(prefix), folder) ||
        !AppendBackslash(prefix, sizeof(prefix))) {
        CopyText(unsafe, size, folder);
        return 1;
    }
    /* from the root down: C:\, C:\A\, C:\A\B\ */
    for (char *p = (char *)FindBackslash(prefix); p != NULL; p = (char *)FindBackslash(p + 1)) {
        char saved = p[1];
        p[1] = '\0';
        int isRoot = !rootSeen && IsAbsoluteFolder(prefix);
        int place = saved == '\0' ? InstallFolderPlace : isRoot ? DriveRootPlace : FolderAbovePlace;
        /* "\\" and "\\server\" of a share are no folders; what does not
           exist yet will be created by Setup, with its own permissions */
        if ((isRoot || rootSeen) && IsExistingFolder(prefix) &&
            !IsExistingFolderSafe(prefix, place, account)) {
            CopyText(unsafe, size, prefix);
            return 1;
        }
        rootSeen = rootSeen || isRoot;
        p[1] = saved;
    }
    return 0;
}

int InstallFolderIsSafe(HWND owner)
{
    char unsafe[MAX_PATH];
    char text[sizeof(SETUP_UNSAFE_FOLDER_BEFORE) + MAX_PATH + sizeof(SETUP_UNSAFE_FOLDER_AFTER)];
    if (!FindUnsafeFolder(InstallPath, unsafe, sizeof(unsafe)))
        return 1;
    JoinText(text, sizeof(text), SETUP_UNSAFE_FOLDER_BEFORE, unsafe);
    JoinText(text, sizeof(text), text, SETUP_UNSAFE_FOLDER_AFTER);
    SetupBox(owner, text, MB_ICONWARNING);
    return 0;
}
