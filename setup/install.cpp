/*
 * Install and update: the install folder made absolute and checked
 * (DecideInstallFolder, for the wizard's folder page and for /D=), the
 * folders created with their permissions, then the product files
 * (files.cpp), the settings, the installation record and the uninstall
 * entry. The wizard asks the questions. Nothing is undone on failure; the
 * registry is written only after every copy succeeded.
 */
#include "setup.h"

#include <sddl.h>

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

/* the install folder itself, as safe as Program Files: the programs in it
   run as administrator at the next update or uninstall */
static int CreateInstallFolder(const char *path)
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
            result = saved == '\0' ? CreateInstallFolder(buffer)
                                    : CreateDirectoryA(buffer, NULL) ? 1 : 0;
        p[1] = saved;
    }
    return result;
}

void InstallAction(HWND hwnd)
{
    CopyProductFiles(hwnd);
    SeedSettings();
    WriteInstallationRecord();
    RegisterUninstallEntry();
    SetupBox(hwnd, SETUP_INSTALLED_TEXT, MB_ICONINFORMATION);
}

void UpdateAction(HWND hwnd)
{
    CopyProductFiles(hwnd);
    SeedSettings();
    WriteInstallationRecord();
    SetupBox(hwnd, SETUP_UPDATED_TEXT, MB_ICONINFORMATION);
}
