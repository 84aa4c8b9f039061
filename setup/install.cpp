/*
 * Install and update: the install folder made absolute and checked
 * (DecideInstallFolder, for the wizard's folder page and for /D=), the
 * missing folders created with the permissions of security.cpp, then the
 * product files (files.cpp), the settings, the installation record and
 * the uninstall entry. The wizard asks the questions. The files change
 * all or nothing (files.cpp): the old ones are deleted only once the
 * record is written, and a run that fails before puts them back.
 */
#include "setup.h"

#include "../common/text.h"
#include "texts.h"

int DecideInstallFolder(const char *text)
{
    if (lstrlenA(text) < 3)
        return 0;
    /* absolute once, here: recorded so, it means the same folder to every
       later run whatever its current directory */
    DWORD n = GetFullPathNameA(text, MAX_PATH, InstallPath, NULL);
    return n != 0 && n < MAX_PATH && IsAbsoluteFolder(InstallPath) &&
           AddInstallPathBackslash() && ProductFilesFit();
}

int IsExistingFolder(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int IsFolderToOpen(const char *path)
{
    /* a file's path with a backslash after it opens nothing */
    return EndsWithBackslash(path) && IsExistingFolder(path);
}

HKEY OpenFolderClass(void)
{
    static const char *const kClasses[] = {"SOFTWARE\\Classes\\Folder",
                                           "SOFTWARE\\Classes\\Directory"};
    for (const char *name : kClasses) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, name, 0, KEY_READ, &key) == ERROR_SUCCESS)
            return key;
    }
    return NULL;
}

void DescribeFolderOpening(SHELLEXECUTEINFOA *info, HKEY folderClass, HWND hwnd)
{
    ZeroMemory(info, sizeof(*info));
    info->cbSize = sizeof(*info);
    /* the verb of this class, never one merged from the user's classes,
       whose commands any program of the user may set */
    info->fMask = SEE_MASK_CLASSKEY | SEE_MASK_FLAG_NO_UI;
    info->hkeyClass = folderClass;
    info->hwnd = hwnd;
    info->lpVerb = "explore";
    info->lpFile = InstallPath;
    info->nShow = SW_SHOWNORMAL;
}

void OpenInstallFolder(HWND hwnd)
{
    typedef BOOL(WINAPI * ShellExecuteExAProc)(SHELLEXECUTEINFOA *);
    if (!IsFolderToOpen(InstallPath))
        return;
    ShellExecuteExAProc shellExecuteEx =
        LOAD_SYSTEM_PROC(ShellExecuteExAProc, "shell32.dll", "ShellExecuteExA");
    HKEY folderClass = OpenFolderClass();
    if (shellExecuteEx != NULL && folderClass != NULL) {
        SHELLEXECUTEINFOA info;
        DescribeFolderOpening(&info, folderClass, hwnd);
        shellExecuteEx(&info);
    }
    if (folderClass != NULL)
        RegCloseKey(folderClass);
}

/* a folder as safe as Program Files: the programs below it run as
   administrator at the next update or uninstall */
static int CreateProtectedFolder(const char *path)
{
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = InstallFolderSecurity();
    attributes.bInheritHandle = FALSE;
    if (attributes.lpSecurityDescriptor == NULL)
        return 0;
    int created = CreateDirectoryA(path, &attributes) ? 1 : 0;
    LocalFree(attributes.lpSecurityDescriptor);
    return created;
}

char CreatedFolder[MAX_PATH];

int CreateFolderChain(const char *path)
{
    char buffer[MAX_PATH];
    int result = 0;

    if (!CopyText(buffer, sizeof(buffer), path) ||
        !AppendBackslash(buffer, sizeof(buffer)))
        return 0;
    for (char *p = (char *)FindBackslash(buffer); p != NULL;
         p = (char *)FindBackslash(p + 1)) {
        char saved = p[1];
        p[1] = '\0';
        if (!IsExistingFolder(buffer)) {
            result = CreateProtectedFolder(buffer);
            /* the outermost one, for an install that fails to remove */
            if (result && CreatedFolder[0] == '\0')
                CopyText(CreatedFolder, sizeof(CreatedFolder), buffer);
        }
        p[1] = saved;
    }
    return result;
}

void InstallAction(HWND hwnd)
{
    CopyProductFiles(hwnd);
    SeedSettings();
    WriteInstallationRecord();
    CommitFileChanges();
    RegisterUninstallEntry();
    SetupBox(hwnd, SETUP_INSTALLED_TEXT, MB_ICONINFORMATION);
}

void UpdateAction(HWND hwnd)
{
    /* the recorded folder may have been made, or changed, by another */
    if (!InstallFolderIsSafe(hwnd))
        ExitRun(RunFailed);
    CopyProductFiles(hwnd);
    SeedSettings();
    WriteInstallationRecord();
    CommitFileChanges();
    /* the entry of this version, also where an earlier one left another */
    RegisterUninstallEntry();
    SetupBox(hwnd, SETUP_UPDATED_TEXT, MB_ICONINFORMATION);
}
