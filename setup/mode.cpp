/*
 * The mode decision (see mode.h). Setup runs as administrator, and a
 * deployment tool runs it as LocalSystem, so what decides where it copies
 * and deletes must be what only administrators may change: the machine's
 * record. This account's record is what Setups before the machine's
 * record wrote; any program of the user may write it, so it may refuse
 * (a newer version recorded, an unreadable record), but it names an
 * installation to update or uninstall only where the machine confirms it.
 */
#include "mode.h"

#include "folder.h"
#include "log.h"
#include "media.h"
#include "paths.h"
#include "record.h"
#include "registry.h"
#include "setup.h"
#include "texts.h"
#include "../common/text.h"

/* command (an uninstall command as any Setup wrote it: quoted or not)
   runs program */
static int CommandRuns(const char *command, const char *program)
{
    char quoted[MAX_PATH + 2];
    return lstrcmpiA(command, program) == 0 ||
           (JoinText(quoted, sizeof(quoted), "\"", program) &&
            JoinText(quoted, sizeof(quoted), quoted, "\"") && lstrcmpiA(command, quoted) == 0);
}

/* 1 when this account's record names folder (ending in its backslash)
   as an installation of this machine: a folder that passes the folder
   rule whose Setup.exe the uninstall entry runs. For an uninstall alone
   it may be the running Setup instead (how a user starts the installed
   Setup): any program of the user may write the record and start Setup
   from a folder of its choice, and an update or repair would then write
   there */
static int UserRecordIsTheMachines(const char *folder, int removing)
{
    char unsafe[MAX_PATH], program[MAX_PATH], command[MAX_PATH + 2];
    if (!FindUnsafeFolder(folder, unsafe, sizeof(unsafe)) &&
        JoinText(program, sizeof(program), folder, QV_SETUP_EXE) &&
        ((ReadUninstallCommand(command, sizeof(command)) && CommandRuns(command, program)) ||
         (removing && IsRunningImage(program))))
        return 1;
    LogLine(LOG_USER_RECORD_IGNORED "%s", folder);
    return 0;
}

int DecideSetupMode(int uninstalling)
{
    LONG recorded = 0;
    const char *rootName = "HKEY_LOCAL_MACHINE";
    int state = ReadInstallationRecord(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, &recorded,
                                       InstallPath, sizeof(InstallPath));
    if (state == RecordMissing) {
        rootName = "HKEY_CURRENT_USER";
        state = ReadInstallationRecord(HKEY_CURRENT_USER, QV_SETUP_KEY, &recorded, InstallPath,
                                       sizeof(InstallPath));
        /* a newer version or an unreadable record only refuses, which
           changes nothing; anything else must be the machine's */
        /* this version again is an uninstall, but for a silent repair */
        int removing = uninstalling || (recorded == kSetupVersion && !SilentRun);
        if (state == RecordRead && recorded <= kSetupVersion &&
            (!AddInstallPathBackslash() || !UserRecordIsTheMachines(InstallPath, removing))) {
            state = RecordMissing;
            InstallPath[0] = '\0';
        }
    }
    if (state == RecordMissing) {
        SetupMode = Install;
        LogLine(LOG_NO_RECORD);
        return 1;
    }
    if (state == RecordUnreadable) {
        LogLine(LOG_RECORD "%s を読み込めません", rootName);
        return 0;
    }
    if (recorded < kSetupVersion)
        SetupMode = Update;
    else if (recorded > kSetupVersion)
        SetupMode = NewerInstalled;
    else
        SetupMode = Uninstall;
    LogLine(LOG_RECORD "%s、バージョン %ld、フォルダ %s", rootName, recorded, InstallPath);
    /* a folder that cannot take its backslash, or too long for the
       product's files, composes no path below it: the update ends in the
       fatal box before its first copy and the uninstall deletes no file */
    AddInstallPathBackslash();
    return 1;
}
