/*
 * The install folder on disk (see folder.h). Setup runs as administrator,
 * and the uninstall entry runs the installed Setup.exe as administrator
 * again, so the folder must be as safe as Program Files: every existing
 * folder from its root down is checked, each for its place, and Setup
 * creates the missing ones itself with permissions only SYSTEM and
 * Administrators may change.
 */
#include "folder.h"

#include "log.h"
#include "paths.h"
#include "security.h"
#include "texts.h"
#include "transaction.h"
#include "../common/text.h"

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
