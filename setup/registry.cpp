/*
 * The product's registry layout as Setup writes it: the main program's
 * settings, seeded with defaults but never overwritten (the main program
 * and the user own them once they exist), the entry in the Windows
 * uninstall list, and the keys an uninstall removes. The installation
 * record has a file of its own (record.cpp).
 */
#include <string.h>

#include "registry.h"

#include "log.h"
#include "paths.h"
#include "setup.h"
#include "texts.h"
#include "change.h"
#include "snapshot.h"
#include "../common/text.h"

/* the entry's version, which detection rules read */
#define ENTRY_VERSION_VALUE "DisplayVersion"

/* the main program's settings with their defaults, seeded in this order:
   the names one after another, each with its NUL, and the default of
   each in the same order (a list of names keeps Setup small: no pointer
   to relocate per name) */
static const char kMainNames[] = "History\0WindowTop\0WindowLeft";
static const BYTE kMainDefaults[] = {0, 0, 0};
static const char kOptionNames[] =
    "IsCompareIC\0IsPartOfKeyword\0IsSearchAll\0IsExplorerView\0IsEndAfterOpen\0"
    "UseAutoComplete\0ShowExplorer\0ShowSpecials\0UseExtended\0IsLastLocation\0IsOnTop\0"
    "ShowTrayIcon\0UseActivateKey\0UseActivateKeyToTop\0UseActivateKeyMod\0"
    "UseActivateKeyCode\0IsModernButton\0ShowMenuIcon\0WindowSize\0UseShellExtention";
static const BYTE kOptionDefaults[] = {0, 0, 1, 0, 0, 1, 1, 1, 1, 0,
                                       0, 1, 1, 1, 0, 18, 1, 1, 0, 0};

int ValueExists(HKEY key, const char *name)
{
    return RegQueryValueExA(key, name, NULL, NULL, NULL, NULL) ==
           ERROR_SUCCESS;
}

int SetDwordValue(HKEY key, const char *name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value,
                          sizeof(value)) == ERROR_SUCCESS;
}

int SetStringValue(HKEY key, const char *name, const char *text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text,
                          (DWORD)strlen(text) + 1) == ERROR_SUCCESS;
}

static int SeedMissingValues(const char *path, const char *name, const BYTE *values,
                             size_t count)
{
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                                  KEY_QUERY_VALUE | KEY_SET_VALUE, NULL, &key, NULL);
    LogKey(LOG_REGISTRY_WRITTEN, HKEY_CURRENT_USER, path, status);
    if (status != ERROR_SUCCESS)
        return 0;
    for (size_t i = 0; i < count; i++, name += strlen(name) + 1) {
        if (!ValueExists(key, name))
            SetDwordValue(key, name, values[i]);
    }
    RegCloseKey(key);
    return 1;
}

int SeedSettings(void)
{
    if (SystemAccount) {
        LogLine("設定: LocalSystem のため、書き込みません");
        return 1;
    }
    return SeedMissingValues(QV_MAIN_KEY, kMainNames, kMainDefaults, sizeof(kMainDefaults)) &&
           SeedMissingValues(QV_OPTION_KEY, kOptionNames, kOptionDefaults,
                             sizeof(kOptionDefaults));
}

void DeleteMachineKeyIfEmpty(const char *path)
{
    HKEY key;
    char name[4];
    DWORD length = sizeof(name);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    /* no value, and RegDeleteKeyA deletes no key that has one below it */
    LONG status = RegEnumValueA(key, 0, name, &length, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    if (status == ERROR_NO_MORE_ITEMS && RegDeleteKeyA(HKEY_LOCAL_MACHINE, path) == ERROR_SUCCESS)
        LogKey(LOG_REGISTRY_DELETED, HKEY_LOCAL_MACHINE, path, ERROR_SUCCESS);
}

/* a string value of the uninstall entry in text (size bytes); 0 without
   one */
static int ReadEntryValue(const char *name, char *text, size_t size)
{
    HKEY key;
    DWORD type = 0, bytes = (DWORD)size - 1;
    text[0] = '\0';
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return 0;
    LONG status = RegQueryValueExA(key, name, NULL, &type, (BYTE *)text, &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        text[0] = '\0';
        return 0;
    }
    text[bytes] = '\0';
    return 1;
}

int RegisterUninstallEntry(void)
{
    char program[MAX_PATH];
    char command[MAX_PATH + 2];
    /* the command and " /S /UNINSTALL" */
    char quietCommand[MAX_PATH + 16];
    HKEY key;

    /* quoted: unquoted, a folder with spaces would let Windows try
       C:\Program.exe first */
    if (!ComposeInstallFile(program, sizeof(program), QV_SETUP_EXE) ||
        !JoinText(command, sizeof(command), "\"", program) ||
        !JoinText(command, sizeof(command), command, "\""))
        return 0;
    /* what deployment tools run to uninstall with no one at the screen */
    JoinText(quietCommand, sizeof(quietCommand), command, " /S /UNINSTALL");

    /* every value anew: what an earlier version left is no longer true.
       But its version until the record commits this one (see
       CompleteEntryVersion): one as Setups write it, "1.30" */
    char version[16];
    int versioned = ReadEntryValue(ENTRY_VERSION_VALUE, version, sizeof(version));
    if (!RememberKey(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY))
        return 0;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY);
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY, 0, NULL,
                                  REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE | KEY_SET_VALUE, NULL,
                                  &key, NULL);
    LogKey(LOG_REGISTRY_WRITTEN, HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY, status);
    if (status != ERROR_SUCCESS)
        return 0;
    SetStringValue(key, "DisplayName", QV_DISPLAY_NAME);
    SetStringValue(key, "UninstallString", command);
    SetStringValue(key, "QuietUninstallString", quietCommand);
    /* what Programs and Features shows beside the name */
    SetStringValue(key, "DisplayIcon", program);
    if (versioned)
        SetStringValue(key, ENTRY_VERSION_VALUE, version);
    SetStringValue(key, "Publisher", QV_MAKER_NAME);
    SetStringValue(key, "InstallLocation", InstallPath);
    SetDwordValue(key, "NoModify", 1);
    SetDwordValue(key, "NoRepair", 1);
    RegCloseKey(key);
    return 1;
}

int DeleteUninstallEntry(void)
{
    if (!RememberKey(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY))
        return 0;
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY);
    return 1;
}

int ReadUninstallCommand(char *command, size_t size)
{
    return ReadEntryValue("UninstallString", command, size);
}

int CompleteEntryVersion(void)
{
    HKEY key;
    LONG status = MayChange() ? RegOpenKeyExA(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY, 0,
                                              KEY_SET_VALUE, &key)
                              : ERROR_ACCESS_DENIED;
    if (status == ERROR_SUCCESS) {
        status = SetStringValue(key, ENTRY_VERSION_VALUE, QV_VERSION_TEXT) ? ERROR_SUCCESS
                                                                          : ERROR_WRITE_FAULT;
        RegCloseKey(key);
    }
    LogKey(LOG_REGISTRY_WRITTEN, HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY, status);
    return status == ERROR_SUCCESS;
}

void DeleteProductKeys(void)
{
    /* every subkey before its parent; "Software\\Veskaro" itself stays
       under HKEY_CURRENT_USER, where the maker's other products may keep
       theirs. The records went first (record.cpp) */
    static const char *const kSettings[] = {QV_MAIN_KEY, QV_OPTION_KEY, QV_PRODUCT_KEY};
    static const char *const kVerbOwners[] = {"*", "Directory", "Drive"};
    for (const char *key : kSettings)
        DeleteRegistryKey(HKEY_CURRENT_USER, key);
    /* the verb of files, folders and drives, its command first */
    for (const char *owner : kVerbOwners) {
        char verb[128], command[128];
        JoinText(verb, sizeof(verb), owner, QV_VERB_KEY(""));
        JoinText(command, sizeof(command), verb, "\\Command");
        DeleteRegistryKey(HKEY_CLASSES_ROOT, command);
        DeleteRegistryKey(HKEY_CLASSES_ROOT, verb);
    }
}

void LogKey(const char *done, HKEY root, const char *path, LONG status)
{
    const char *rootName = root == HKEY_LOCAL_MACHINE  ? "HKEY_LOCAL_MACHINE"
                           : root == HKEY_CLASSES_ROOT ? "HKEY_CLASSES_ROOT"
                                                       : "HKEY_CURRENT_USER";
    if (status == ERROR_SUCCESS)
        LogLine("%s%s\\%s", done, rootName, path);
    else
        LogLine(LOG_FAILED "%s%s\\%s (エラー %ld)", done, rootName, path, status);
}

void DeleteRegistryKey(HKEY root, const char *path)
{
    LONG status = RegDeleteKeyA(root, path);
    /* a key that is not there is no failure */
    if (status != ERROR_FILE_NOT_FOUND)
        LogKey(LOG_REGISTRY_DELETED, root, path, status);
}
