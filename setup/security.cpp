/*
 * Who may change what Setup acts on. Setup runs as administrator, and the
 * uninstall entry runs the installed Setup.exe as administrator again, so
 * the programs it puts in a folder must be as safe there as in Program
 * Files: every folder it creates gets a descriptor that only SYSTEM and
 * Administrators may change, and an existing install folder, with every
 * folder above it, is checked before anything is created, copied or
 * recorded (folder.cpp walks the folders). The two data files are the
 * exception the main program and Helper need: Users may write them. Also
 * the account Setup runs as and the session it runs in, from its token.
 */
#include "security.h"

#include <aclapi.h>
#include <sddl.h>

#include "../common/text.h"

/* TrustedInstaller, the service that owns the system's own files:
   S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464 */
static const struct {
    BYTE revision, count;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD subAuthorities[6];
} kTrustedInstaller = {SID_REVISION, 6, {SECURITY_NT_AUTHORITY},
                       {80, 956008885, 3418522649u, 1831038044, 1853292631, 2271478464u}};

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
    /* owned by Administrators (BA), whoever runs Setup: with the "object
       creator" owner policy, or run by the built-in Administrator, the
       owner would otherwise be that account, and a later Setup run by
       another administrator or by LocalSystem would refuse the folder.
       Protected (P): nothing is inherited from the parent, which may be
       the root of a data drive that every signed-in user may change */
    static const char kSecurity[] = "O:BA"
                                    "D:P"
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

int UsersMayWrite(PACL dacl)
{
    for (DWORD i = 0; dacl != NULL && i < dacl->AceCount; i++) {
        ACCESS_ALLOWED_ACE *ace = NULL;
        if (GetAce(dacl, i, (void **)&ace) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            (ace->Header.AceFlags & INHERIT_ONLY_ACE) == 0 &&
            IsWellKnownSid(&ace->SidStart, WinBuiltinUsersSid) &&
            (ace->Mask & (FILE_GENERIC_READ | FILE_GENERIC_WRITE)) ==
                (FILE_GENERIC_READ | FILE_GENERIC_WRITE))
            return 1;
    }
    return 0;
}

int PlanUsersWrite(PACL current, SECURITY_INFORMATION *information, PACL *entries,
                   PSECURITY_DESCRIPTOR *descriptor)
{
    BOOL present = FALSE, defaulted = FALSE;
    *descriptor = NULL;
    *entries = NULL;
    if (UsersMayWrite(current))
        return 0;
    *descriptor = DataFileSecurity();
    /* the entry is the file's own; what the folder gives (SYSTEM and
       Administrators) is inherited again beside it, as the flag says */
    *information = DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION;
    return *descriptor != NULL &&
           GetSecurityDescriptorDacl(*descriptor, &present, entries, &defaulted) && present;
}

int LetUsersWrite(const char *path)
{
    PSECURITY_DESCRIPTOR current = NULL, wanted = NULL;
    PACL dacl = NULL, entries = NULL;
    SECURITY_INFORMATION information = 0;
    int ok = 1;

    if (GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, &dacl,
                              NULL, &current) != ERROR_SUCCESS)
        return 0;
    if (PlanUsersWrite(dacl, &information, &entries, &wanted))
        ok = SetNamedSecurityInfoA((char *)path, SE_FILE_OBJECT, information, NULL, NULL, entries,
                                   NULL) == ERROR_SUCCESS;
    else if (!UsersMayWrite(dacl))
        ok = 0;
    LocalFree(wanted);
    LocalFree(current);
    return ok;
}

/* this process's token information of one kind; 1 when read */
static int ReadOwnToken(TOKEN_INFORMATION_CLASS kind, void *buffer, DWORD size)
{
    HANDLE handle = NULL;
    int read = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &handle) &&
               GetTokenInformation(handle, kind, buffer, size, &size);
    if (handle != NULL)
        CloseHandle(handle);
    return read;
}

PSID RunningAccount(void)
{
    /* the token's user, read once; the process runs as one account */
    static union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } token;
    if (token.user.User.Sid == NULL && !ReadOwnToken(TokenUser, &token, sizeof(token)))
        token.user.User.Sid = NULL;
    return token.user.User.Sid;
}

DWORD RunningSession(void)
{
    /* a session Windows cannot name is taken for a user's: the names of
       the programs' mutexes then stop Setup, as they always did */
    DWORD session = 1;
    return ReadOwnToken(TokenSessionId, &session, sizeof(session)) ? session : 1;
}

int RunsAsLocalSystem(void)
{
    PSID account = RunningAccount();
    return account != NULL && IsWellKnownSid(account, WinLocalSystemSid);
}

/* 1 for a principal that is not SYSTEM, Administrators, TrustedInstaller
   or the account running Setup */
static int IsOther(PSID sid, PSID account)
{
    return !IsWellKnownSid(sid, WinLocalSystemSid) &&
           !IsWellKnownSid(sid, WinBuiltinAdministratorsSid) && !EqualSid(sid, account) &&
           !EqualSid(sid, (PSID)&kTrustedInstaller);
}

int IsOwnedSafely(PSECURITY_DESCRIPTOR descriptor, PSID account)
{
    PSID owner = NULL;
    BOOL defaulted = FALSE;
    return GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) && owner != NULL &&
           !IsOther(owner, account);
}

int IsFolderSafe(PSECURITY_DESCRIPTOR descriptor, int place, PSID account)
{
    PACL dacl = NULL;
    BOOL defaulted = FALSE, present = FALSE;
    if (!IsOwnedSafely(descriptor, account) ||
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

int IsExistingFolderSafe(const char *folder, int place, PSID account)
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

