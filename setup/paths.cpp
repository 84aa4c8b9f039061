/*
 * Paths below the install folder (see paths.h), and the typed folder
 * made absolute before anything is checked, created or recorded.
 */
#include <string.h>

#include "paths.h"

#include "files.h"
#include "setup.h"
#include "../common/text.h"

int AddInstallPathBackslash(void)
{
    return AppendBackslash(InstallPath, sizeof(InstallPath));
}

int ComposeInstallFile(char *out, size_t size, const char *name)
{
    if (!EndsWithBackslash(InstallPath)) {
        out[0] = '\0';
        return 0;
    }
    /* MAX_PATH at most, whatever the buffer: the ANSI file functions
       take no longer path */
    return JoinText(out, size < MAX_PATH ? size : MAX_PATH, InstallPath, name);
}

int ComposeTemporaryFile(char *out, const char *name, const char *suffix)
{
    return ComposeInstallFile(out, MAX_PATH, name) && JoinText(out, MAX_PATH, out, suffix);
}

int ProductFilesFit(void)
{
    char path[MAX_PATH];
    for (size_t i = 0; i < kProductFileCount; i++) {
        /* both temporary names are as long */
        if (!ComposeTemporaryFile(path, kProductFiles[i].name, FILE_NEW_SUFFIX))
            return 0;
    }
    /* the journal's aside name is the longer */
    return ComposeInstallFile(path, sizeof(path), FILE_ASIDE_JOURNAL);
}

int DecideInstallFolder(const char *text)
{
    if (strlen(text) < 3)
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

int FileIsThere(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int IsFolderToOpen(const char *path)
{
    /* a file's path with a backslash after it opens nothing */
    return EndsWithBackslash(path) && IsExistingFolder(path);
}

HANDLE OpenIdentity(const wchar_t *path)
{
    return CreateFileW(path, FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, NULL);
}

int IsSameFile(HANDLE first, HANDLE second)
{
    BY_HANDLE_FILE_INFORMATION a, b;
    return first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE &&
           GetFileInformationByHandle(first, &a) && GetFileInformationByHandle(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}
