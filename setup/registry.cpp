/*
 * The product's registry layout as Setup writes it: the main program's
 * settings, seeded with defaults but never overwritten (the main program
 * and the user own them once they exist), the installation record that
 * decides Setup's mode (read in mode.cpp), and the entry in the Windows
 * uninstall list.
 */
#include "setup.h"
#include "../common/text.h"

struct DwordDefault {
    const char *name;
    DWORD value;
};

static const DwordDefault kMainDefaults[] = {
    {"History", 0},
    {"WindowTop", 0},
    {"WindowLeft", 0},
};

static const DwordDefault kOptionDefaults[] = {
    {"IsCompareIC", 0},        {"IsPartOfKeyword", 0},
    {"IsSearchAll", 1},        {"IsExplorerView", 0},
    {"IsEndAfterOpen", 0},     {"UseAutoComplete", 1},
    {"ShowExplorer", 1},       {"ShowSpecials", 1},
    {"UseExtended", 1},        {"IsLastLocation", 0},
    {"IsOnTop", 0},            {"ShowTrayIcon", 1},
    {"UseActivateKey", 1},     {"UseActivateKeyToTop", 1},
    {"UseActivateKeyMod", 0},  {"UseActivateKeyCode", 18},
    {"IsModernButton", 1},     {"ShowMenuIcon", 1},
    {"WindowSize", 0},         {"UseShellExtention", 0},
};

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
                          (DWORD)lstrlenA(text) + 1) == ERROR_SUCCESS;
}

/* a settings key, or the fatal box */
static HKEY CreateUserKeyOrDie(const char *path)
{
    HKEY key;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                                  KEY_QUERY_VALUE | KEY_SET_VALUE, NULL, &key, NULL);
    if (status != ERROR_SUCCESS) {
        LogError("レジストリ書き込み HKEY_CURRENT_USER", path, (DWORD)status);
        FatalSetupError();
    }
    return key;
}

static void SeedMissingValues(const char *path, const DwordDefault *values, size_t count)
{
    HKEY key = CreateUserKeyOrDie(path);
    for (size_t i = 0; i < count; i++) {
        if (!ValueExists(key, values[i].name))
            SetDwordValue(key, values[i].name, values[i].value);
    }
    RegCloseKey(key);
    LogLine("レジストリ書き込み: HKEY_CURRENT_USER\\%s", path);
}

void SeedSettings(void)
{
    if (SystemAccount) {
        LogLine("設定: LocalSystem で実行しているため、HKEY_CURRENT_USER には書き込みません");
        return;
    }
    SeedMissingValues(QV_MAIN_KEY, kMainDefaults,
                      sizeof(kMainDefaults) / sizeof(kMainDefaults[0]));
    SeedMissingValues(QV_OPTION_KEY, kOptionDefaults,
                      sizeof(kOptionDefaults) / sizeof(kOptionDefaults[0]));
}

/* the record under root\\path; the status of the first write that failed */
static LONG WriteRecord(HKEY root, const char *rootName, const char *path)
{
    HKEY key;
    DWORD version = (DWORD)kSetupVersion;
    LONG status = RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                                  KEY_QUERY_VALUE | KEY_SET_VALUE, NULL, &key, NULL);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(key, QV_INSTALL_PATH_VALUE, 0, REG_SZ, (const BYTE *)InstallPath,
                                (DWORD)lstrlenA(InstallPath) + 1);
        if (status == ERROR_SUCCESS)
            status = RegSetValueExA(key, QV_VERSION_VALUE, 0, REG_DWORD, (const BYTE *)&version,
                                    sizeof(version));
        RegCloseKey(key);
    }
    char what[64];
    JoinText(what, sizeof(what), "レジストリ書き込み ", rootName);
    if (status != ERROR_SUCCESS)
        LogError(what, path, (DWORD)status);
    else
        LogLine("レジストリ書き込み: %s\\%s", rootName, path);
    return status;
}

void DeleteMachineKeyIfEmpty(const char *path)
{
    HKEY key;
    DWORD subkeys = 1, values = 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    LONG status = RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL,
                                   NULL, NULL, NULL);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && subkeys == 0 && values == 0)
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, path);
}

/* the machine's record as it was before this run wrote it */
static void RestoreMachineRecord(int previous, LONG version, const char *folder)
{
    HKEY key;
    if (previous != RecordRead) {
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY);
        DeleteMachineKeyIfEmpty(QV_MACHINE_PRODUCT_KEY);
        DeleteMachineKeyIfEmpty(QV_MACHINE_MAKER_KEY);
        return;
    }
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    SetStringValue(key, QV_INSTALL_PATH_VALUE, folder);
    SetDwordValue(key, QV_VERSION_VALUE, (DWORD)version);
    RegCloseKey(key);
}

void WriteInstallationRecord(void)
{
    LONG version = 0;
    char folder[MAX_PATH];
    int previous = ReadInstallationRecord(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, &version,
                                          folder, sizeof(folder));
    /* without the record no later Setup could update or uninstall */
    if (WriteRecord(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", QV_MACHINE_SETUP_KEY) !=
        ERROR_SUCCESS)
        FatalSetupError();
    /* so that an older Setup, which reads only this one, still finds the
       product and refuses as "newer installed"; where it fails, the run
       fails whole, the machine's record with it */
    if (!SystemAccount &&
        WriteRecord(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", QV_SETUP_KEY) != ERROR_SUCCESS) {
        RestoreMachineRecord(previous, version, folder);
        FatalSetupError();
    }
}

void RegisterUninstallEntry(void)
{
    char program[MAX_PATH];
    char command[MAX_PATH + 2];
    char quietCommand[MAX_PATH + 16];
    HKEY key;

    /* quoted: unquoted, a folder with spaces would let Windows try
       C:\Program.exe first */
    if (!ComposeInstallFile(program, sizeof(program), QV_SETUP_EXE) ||
        !JoinText(command, sizeof(command), "\"", program) ||
        !JoinText(command, sizeof(command), command, "\""))
        return;
    /* what deployment tools run to uninstall with no one at the screen */
    JoinText(quietCommand, sizeof(quietCommand), command, " /S /UNINSTALL");

    /* every value anew: what an earlier version left is no longer true */
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY);
    /* best effort: without the rights to write HKEY_LOCAL_MACHINE the
       installation stays valid without an entry */
    LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY, 0, NULL,
                                  REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE | KEY_SET_VALUE, NULL,
                                  &key, NULL);
    if (status != ERROR_SUCCESS) {
        LogError("レジストリ書き込み HKEY_LOCAL_MACHINE", QV_UNINSTALL_KEY, (DWORD)status);
        return;
    }
    SetStringValue(key, "DisplayName", QV_DISPLAY_NAME);
    SetStringValue(key, "UninstallString", command);
    SetStringValue(key, "QuietUninstallString", quietCommand);
    /* what Programs and Features shows beside the name */
    SetStringValue(key, "DisplayIcon", program);
    SetStringValue(key, "DisplayVersion", QV_VERSION_TEXT);
    SetStringValue(key, "Publisher", QV_MAKER_NAME);
    SetStringValue(key, "InstallLocation", InstallPath);
    SetDwordValue(key, "NoModify", 1);
    SetDwordValue(key, "NoRepair", 1);
    RegCloseKey(key);
    LogLine("レジストリ書き込み: HKEY_LOCAL_MACHINE\\%s", QV_UNINSTALL_KEY);
}

void DeleteUninstallEntry(void)
{
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY);
}

void DeleteRegistryKey(HKEY root, const char *path)
{
    LONG status = RegDeleteKeyA(root, path);
    const char *rootName = root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE"
                           : root == HKEY_CLASSES_ROOT ? "HKEY_CLASSES_ROOT"
                                                       : "HKEY_CURRENT_USER";
    /* a key that is not there is no failure */
    if (status == ERROR_SUCCESS)
        LogLine("レジストリ削除: %s\\%s", rootName, path);
    else if (status != ERROR_FILE_NOT_FOUND)
        LogLine("失敗: レジストリ削除 %s\\%s (エラー %ld)", rootName, path, status);
}
