/*
 * Setup's process-wide state, the mode decision from the installation
 * record (the machine's, or this account's where an earlier Setup wrote
 * only that), the boxes (a log line each, and no box
 * at all in a silent run) and the ends of a run. The record is written by
 * other Setups and may be edited by anyone, so it is read strictly: a
 * value of the wrong size, too long for its buffer or a relative folder
 * counts as an unreadable record, never as a guess.
 */
#include <stdlib.h>

#include "setup.h"
#include "../common/text.h"
#include "texts.h"

const LONG kSetupVersion = QV_VERSION_NUMBER;
SetupModeKind SetupMode = Install;
char InstallPath[MAX_PATH];
int SilentRun;
int SystemAccount;

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

int ExitCodeOf(int end)
{
    static const int kInteractive[] = {0, 1, -1, -1};
    /* success, another installation in progress, fatal error during
       installation, invalid command line */
    static const int kSilent[] = {0, 1618, 1603, 1639};
    return SilentRun ? kSilent[end] : kInteractive[end];
}

int EndRun(int end)
{
    static const char *const kMeanings[] = {
        "正常に終了しました",
        "Quorvane、ヘルパーまたは別のセットアップが実行中か、ファイルが使用中です。"
        "何も変更していません。後でもう一度実行してください",
        "エラーのため完了できませんでした",
        "コマンド ラインを解釈できません。何もしていません",
    };
    int code = ExitCodeOf(end);
    LogLine("終了: 終了コード %d (%s)", code, kMeanings[end]);
    return code;
}

void ExitRun(int end)
{
    /* a run that ends before its record is written leaves the folder as
       it found it */
    if (end != RunDone)
        UndoFileChanges();
    /* through the runtime's own exit, as a return from WinMain would */
    exit(EndRun(end));
}

static __attribute__((noreturn)) void RegistryReadError(void)
{
    SetupBox(NULL, SETUP_REGISTRY_READ_TEXT, MB_ICONERROR);
    ExitRun(RunFailed);
}

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
           lstrlenA(folder) < MAX_PATH;
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

void DecideSetupMode(void)
{
    LONG recorded = 0;
    /* the machine's record, which only administrators may change; where
       there is none, what an earlier Setup recorded for this account */
    const char *rootName = "HKEY_LOCAL_MACHINE";
    int state = ReadInstallationRecord(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, &recorded,
                                       InstallPath, sizeof(InstallPath));
    if (state == RecordMissing) {
        rootName = "HKEY_CURRENT_USER";
        state = ReadInstallationRecord(HKEY_CURRENT_USER, QV_SETUP_KEY, &recorded, InstallPath,
                                       sizeof(InstallPath));
    }
    if (state == RecordMissing) {
        SetupMode = Install;
        LogLine("インストールの記録: なし");
        return;
    }
    if (state == RecordUnreadable) {
        LogLine("インストールの記録: %s の記録を読み込めません", rootName);
        RegistryReadError();
    }
    if (recorded < kSetupVersion)
        SetupMode = Update;
    else if (recorded > kSetupVersion)
        SetupMode = NewerInstalled;
    else
        SetupMode = Uninstall;
    LogLine("インストールの記録: %s、バージョン %ld、フォルダ %s", rootName, recorded, InstallPath);
    /* a folder that cannot take its backslash, or too long for the
       product's files, composes no path below it: the update ends in the
       fatal box before its first copy and the uninstall deletes no file */
    AddInstallPathBackslash();
}

void FatalSetupError(void)
{
    /* what the run changed is put back before the box says it failed */
    UndoFileChanges();
    SetupBox(NULL, SETUP_FATAL_TEXT, MB_ICONERROR);
    ExitRun(RunFailed);
}
