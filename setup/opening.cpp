/*
 * The install folder opened in the shell after a completed run (see
 * opening.h): only an existing folder, through the machine's own folder
 * class, never one merged from the user's classes, whose commands any
 * program of the user may set while Setup runs as administrator.
 */
#include "opening.h"

#include "paths.h"
#include "setup.h"
#include "systemdll.h"

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
    /* the verb of this class, and no error box of the shell's */
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
