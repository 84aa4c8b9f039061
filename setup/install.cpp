/*
 * Install and update: creating the install folder, then the product files
 * (files.cpp), the settings, the installation record and the uninstall
 * entry. The wizard decides the folder and asks the questions; this file
 * only acts. Nothing is undone on failure; the registry is written only
 * after every copy succeeded.
 */
#include "setup.h"
#include "../common/text.h"

int IsExistingFolder(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

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
        if (!IsExistingFolder(buffer))
            result = CreateDirectoryA(buffer, NULL) ? 1 : 0;
        p[1] = saved;
    }
    return result;
}

void InstallAction(HWND hwnd)
{
    CopyProductFiles();
    SeedSettings();
    RegisterUninstallEntry();
    MessageBoxA(hwnd, "セットアップは正常に完了しました。", SETUP_CAPTION,
                MB_ICONINFORMATION);
}

void UpdateAction(HWND hwnd)
{
    CopyProductFiles();
    SeedSettings();
    MessageBoxA(hwnd, "アップデートは正常に完了しました。", SETUP_CAPTION,
                MB_ICONINFORMATION);
}
