/*
 * The installation record (see record.h). It is written by other Setups
 * and may be edited by anyone, so it is read strictly: a value of the
 * wrong size, too long for its buffer or a relative folder counts as an
 * unreadable record, never as a guess.
 */
#include <string.h>

#include "record.h"

#include "log.h"
#include "registry.h"
#include "setup.h"
#include "texts.h"
#include "change.h"
#include "snapshot.h"
#include "../common/text.h"

/* "Version" as 4 bytes, whatever type it was stored with */
static int ReadVersionValue(HKEY key, LONG *version)
{
    DWORD size = 0;
    if (RegQueryValueExA(key, QV_VERSION_VALUE, NULL, NULL, NULL, &size) != ERROR_SUCCESS ||
        size != sizeof(*version))
        return 0;
    return RegQueryValueExA(key, QV_VERSION_VALUE, NULL, NULL, (BYTE *)version, &size) ==
               ERROR_SUCCESS &&
           size == sizeof(*version);
}

/* "InstallPath" as an absolute folder of at most 259 bytes, terminated
   here, into folder (size bytes) */
static int ReadInstallPathValue(HKEY key, char *folder, size_t size)
{
    DWORD type = 0, bytes = 0;
    char value[MAX_PATH + 1];

    if (RegQueryValueExA(key, QV_INSTALL_PATH_VALUE, NULL, &type, NULL, &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > MAX_PATH)
        return 0;
    if (RegQueryValueExA(key, QV_INSTALL_PATH_VALUE, NULL, &type, (BYTE *)value, &bytes) !=
            ERROR_SUCCESS ||
        bytes > MAX_PATH)
        return 0;
    value[bytes] = '\0';
    /* a relative folder would be resolved against whatever the current
       directory is, and the product's files written or deleted there */
    return IsAbsoluteFolder(value) && CopyText(folder, size, value) &&
           strlen(folder) < MAX_PATH;
}

int ReadInstallationRecord(HKEY root, const char *path, LONG *version, char *folder,
                           size_t size)
{
    HKEY key;
    folder[0] = '\0';
    LONG status = RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return RecordMissing;
    if (status != ERROR_SUCCESS)
        return RecordUnreadable;
    int read = ReadVersionValue(key, version) && ReadInstallPathValue(key, folder, size);
    RegCloseKey(key);
    if (!read) {
        folder[0] = '\0';
        return RecordUnreadable;
    }
    return RecordRead;
}

int MachineRecordNamesInstallPath(LONG *version)
{
    char folder[MAX_PATH];
    return ReadInstallationRecord(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, version, folder,
                                  sizeof(folder)) == RecordRead &&
           AppendBackslash(folder, sizeof(folder)) && lstrcmpiA(folder, InstallPath) == 0;
}

/* the record under root\path, remembered first */
static int WriteRecord(HKEY root, const char *path)
{
    HKEY key;
    DWORD version = (DWORD)kSetupVersion;
    LONG status = ERROR_ACCESS_DENIED;
    if (!RememberKey(root, path))
        return 0;
    status = RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                             KEY_QUERY_VALUE | KEY_SET_VALUE, NULL, &key, NULL);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, QV_INSTALL_PATH_VALUE, 0, REG_SZ, (const BYTE *)InstallPath,
                                (DWORD)strlen(InstallPath) + 1);
        if (status == ERROR_SUCCESS)
            status = RegSetValueExA(key, QV_VERSION_VALUE, 0, REG_DWORD, (const BYTE *)&version,
                                    sizeof(version));
        RegCloseKey(key);
    }
    LogKey(LOG_REGISTRY_WRITTEN, root, path, status);
    return status == ERROR_SUCCESS;
}

int WriteInstallationRecords(void)
{
    /* so that an older Setup, which reads only this one, still finds the
       product and refuses as "newer installed" */
    if (!SystemAccount &&
        !WriteRecord(HKEY_CURRENT_USER, QV_SETUP_KEY))
        return 0;
    /* the keys above it, where this write makes them, go with it at the
       undo; without the record no later Setup could update or uninstall */
    return RememberKey(HKEY_LOCAL_MACHINE, QV_MACHINE_MAKER_KEY) &&
           RememberKey(HKEY_LOCAL_MACHINE, QV_MACHINE_PRODUCT_KEY) &&
           WriteRecord(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY);
}

int DeleteUserRecord(void)
{
    if (SystemAccount)
        return 1;
    if (!RememberKey(HKEY_CURRENT_USER, QV_SETUP_KEY))
        return 0;
    DeleteRegistryKey(HKEY_CURRENT_USER, QV_SETUP_KEY);
    return 1;
}

int DeleteMachineRecord(void)
{
    HKEY key;
    if (!MayChange())
        return 0;
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, 0, KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        RegCloseKey(key);
        return 0;
    }
    /* the maker's other products may keep theirs there */
    DeleteMachineKeyIfEmpty(QV_MACHINE_PRODUCT_KEY);
    DeleteMachineKeyIfEmpty(QV_MACHINE_MAKER_KEY);
    return 1;
}
