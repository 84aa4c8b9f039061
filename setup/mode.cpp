/*
 * Setup's process-wide state, the mode decision from the installation
 * record under HKEY_CURRENT_USER, the boxes (a log line each, and no box
 * at all in a silent run) and the ends of a run. The record is written by
 * other Setups and may be edited by anyone, so it is read strictly: a
 * value of the wrong size, too long for its buffer or a relative folder
 * counts as an unreadable record, never as a guess.
 */
#include <stdlib.h>

#include "setup.h"
#include "../common/text.h"

const LONG kSetupVersion = QV_VERSION_NUMBER;
SetupModeKind SetupMode = Install;
char InstallPath[MAX_PATH];
int SilentRun;

static const char kRegistryReadText[] =
    "必要な情報をレジストリから読み込めませんでした。セットアップを続行できません。";
static const char kFatalText[] =
    "セットアップ中にエラーが発生しました。セットアップを継続できません。";

int SetupBox(HWND owner, const char *text, UINT type)
{
    LogLine("メッセージ: %s", text);
    if (!SilentRun)
        return MessageBoxA(owner, text, SETUP_CAPTION, type);
    /* no one to ask: a silent run agrees to nothing and retries nothing */
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        return IDNO;
    case MB_RETRYCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

int EndRun(int exitCode)
{
    LogLine("終了: 終了コード %d", exitCode);
    return exitCode;
}

void ExitRun(int exitCode)
{
    /* through the runtime's own exit, as a return from WinMain would */
    exit(EndRun(exitCode));
}

static __attribute__((noreturn)) void RegistryReadError(void)
{
    SetupBox(NULL, kRegistryReadText, MB_ICONERROR);
    ExitRun(-1);
}

/* "Version" as 4 bytes, whatever type it was stored with */
static int ReadVersionValue(HKEY key, LONG *version)
{
    DWORD size = 0;
    if (RegQueryValueExA(key, "Version", NULL, NULL, NULL, &size) !=
            ERROR_SUCCESS ||
        size != sizeof(*version))
        return 0;
    return RegQueryValueExA(key, "Version", NULL, NULL, (BYTE *)version,
                            &size) == ERROR_SUCCESS &&
           size == sizeof(*version);
}

/* "InstallPath" as a string of at most 259 bytes, terminated here */
static int ReadInstallPathValue(HKEY key)
{
    DWORD type = 0, size = 0;
    char value[MAX_PATH + 1];

    if (RegQueryValueExA(key, "InstallPath", NULL, &type, NULL, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > MAX_PATH)
        return 0;
    if (RegQueryValueExA(key, "InstallPath", NULL, &type, (BYTE *)value,
                         &size) != ERROR_SUCCESS ||
        size > MAX_PATH)
        return 0;
    value[size] = '\0';
    /* a relative folder would be resolved against whatever the current
       directory is, and the product's files written or deleted there */
    if (!IsAbsoluteFolder(value) || lstrlenA(value) >= MAX_PATH)
        return 0;
    lstrcpynA(InstallPath, value, MAX_PATH);
    return 1;
}

void DecideSetupMode(void)
{
    HKEY key;
    LONG recorded = 0;

    if (RegOpenKeyExA(HKEY_CURRENT_USER, QV_SETUP_KEY, 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS) {
        SetupMode = Install;
        LogLine("インストールの記録: なし");
        return;
    }
    if (!ValueExists(key, "Version") || !ReadVersionValue(key, &recorded)) {
        RegCloseKey(key);
        RegistryReadError();
    }
    if (recorded < kSetupVersion)
        SetupMode = Update;
    else if (recorded > kSetupVersion)
        SetupMode = NewerInstalled;
    else
        SetupMode = Uninstall;

    if (!ValueExists(key, "InstallPath") || !ReadInstallPathValue(key)) {
        RegCloseKey(key);
        RegistryReadError();
    }
    RegCloseKey(key);
    LogLine("インストールの記録: バージョン %ld、フォルダ %s", recorded, InstallPath);
    /* a folder that cannot take its backslash, or too long for the
       product's files, composes no path below it: the update ends in the
       fatal box before its first copy and the uninstall deletes no file */
    AddInstallPathBackslash();
}

void FatalSetupError(void)
{
    SetupBox(NULL, kFatalText, MB_ICONERROR);
    ExitRun(-1);
}
