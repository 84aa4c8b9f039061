/*
 * The install folder on disk (see folder.h). Setup runs as administrator,
 * and the uninstall entry runs the installed Setup.exe as administrator
 * again, so the folder must be as safe as Program Files: every existing
 * folder from its root down is checked, each for its place, and Setup
 * creates the missing ones itself with permissions only SYSTEM and
 * Administrators may change.
 */
#include "folder.h"

#include <string.h>

#include "change.h"
#include "log.h"
#include "paths.h"
#include "security.h"
#include "setup.h"
#include "texts.h"
#include "../common/text.h"

/* Process-wide state of the install folder, written and read here only: */
/* the open install folder, or NULL */
static HANDLE HeldFolder;
/* the outermost folder this run created, ending in its backslash, or
   empty */
static char CreatedFolder[MAX_PATH];

int HoldInstallFolder(void)
{
    ReleaseInstallFolder();
    /* without FILE_SHARE_DELETE: while it is open, the folder can be
       neither renamed nor replaced, nor can a folder above it. Opened to
       list it: a handle for its attributes alone takes no part in the
       sharing a rename checks */
    HANDLE folder = CreateFileA(InstallPath, FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (folder == INVALID_HANDLE_VALUE)
        return 0;
    HeldFolder = folder;
    return 1;
}

HANDLE HeldInstallFolder(void)
{
    return HeldFolder;
}

void ReleaseInstallFolder(void)
{
    if (HeldFolder != NULL)
        CloseHandle(HeldFolder);
    HeldFolder = NULL;
}

void NoteCreatedFolder(const char *folder)
{
    if (CreatedFolder[0] == '\0')
        CopyText(CreatedFolder, sizeof(CreatedFolder), folder);
}

/* the folders this run created, deepest first, while they are empty */
void RemoveCreatedFolders(void)
{
    char folder[MAX_PATH];
    if (CreatedFolder[0] == '\0' || !CopyText(folder, sizeof(folder), InstallPath))
        return;
    for (;;) {
        if (RemoveDirectoryA(folder))
            LogLine(LOG_DELETED "%s", folder);
        if (lstrcmpiA(folder, CreatedFolder) == 0 || strlen(folder) <= strlen(CreatedFolder))
            break;
        /* up one folder: cut after the backslash before the last one */
        char *last = (char *)LastCharacter(folder);
        *last = '\0';
        *(char *)LastPathComponent(folder) = '\0';
    }
    CreatedFolder[0] = '\0';
}

void ForgetCreatedFolders(void)
{
    CreatedFolder[0] = '\0';
}

int FolderLevelAt(const char *folder, int index, char *level, size_t size, int *place)
{
    char prefix[MAX_PATH];
    int rootSeen = 0, n = 0;
    if (!CopyText(prefix, sizeof(prefix), folder) || !AppendBackslash(prefix, sizeof(prefix)))
        return 0;
    for (char *p = (char *)FindBackslash(prefix); p != NULL; p = (char *)FindBackslash(p + 1)) {
        char saved = p[1];
        p[1] = '\0';
        int isRoot = !rootSeen && IsAbsoluteFolder(prefix);
        rootSeen = rootSeen || isRoot;
        if (rootSeen && n++ == index) {
            *place = saved == '\0' ? InstallFolderPlace : isRoot ? DriveRootPlace : FolderAbovePlace;
            return CopyText(level, size, prefix);
        }
        p[1] = saved;
    }
    return 0;
}

int FindUnsafeFolder(const char *folder, char *unsafe, size_t size)
{
    PSID account = RunningAccount();
    char level[MAX_PATH];
    int place = 0;

    unsafe[0] = '\0';
    if (account == NULL || !FolderLevelAt(folder, 0, level, sizeof(level), &place)) {
        CopyText(unsafe, size, folder);
        return 1;
    }
    /* what does not exist yet will be created by Setup, with its own
       permissions */
    for (int i = 0; FolderLevelAt(folder, i, level, sizeof(level), &place); i++) {
        if (IsExistingFolder(level) && !IsExistingFolderSafe(level, place, account)) {
            CopyText(unsafe, size, level);
            return 1;
        }
    }
    return 0;
}

/* a folder as safe as Program Files: the programs below it run as
   administrator at the next update or uninstall */
static int CreateProtectedFolder(const char *path)
{
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = InstallFolderSecurity();
    attributes.bInheritHandle = FALSE;
    if (attributes.lpSecurityDescriptor == NULL || !MayChange())
        return 0;
    int created = CreateDirectoryA(path, &attributes) ? 1 : 0;
    if (created) {
        NoteCreatedFolder(path);
        LogLine(LOG_CREATED "%s", path);
    } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
        LogFailure("フォルダの作成", path);
    }
    LocalFree(attributes.lpSecurityDescriptor);
    return created;
}

int CreateFolderChain(const char *path)
{
    char level[MAX_PATH];
    int place = 0;
    for (int i = 0; FolderLevelAt(path, i, level, sizeof(level), &place); i++) {
        if (!IsExistingFolder(level))
            CreateProtectedFolder(level);
    }
    return IsExistingFolder(path);
}
