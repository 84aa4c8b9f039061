/*
 * The silent run (/S) that deployment tools start with no one at the
 * screen: no window and no box; what the recorded installation and
 * /UNINSTALL ask for, or nothing; the answer is the exit code and, with
 * /LOG=, the log:
 *
 *   recorded       /S                     /S /UNINSTALL
 *   none           install (/D= or the    nothing to do
 *                  default folder)
 *   older          update                 uninstall
 *   this version   nothing to do          uninstall
 *   newer          nothing to do          nothing to do
 *
 * A failure (an unreadable record, a refused folder, a missing media
 * file, a file in use: no one waits for Retry) ends the run with -1.
 */
#include "setup.h"

#include "../common/ansi.h"
#include "../common/text.h"
#include "texts.h"

void ReadSetupSwitches(struct SetupSwitches *switches)
{
    int noMemory = 0;
    char *line = StrictAnsiCommandLine(&noMemory);
    if (line != NULL) {
        ParseSetupSwitches(SkipProgramName(line), switches);
        HeapFree(GetProcessHeap(), 0, line);
        return;
    }
    /* a name code page 932 cannot hold: which switches were given is
       still plain, but a folder or log file would be a look-alike */
    ParseSetupSwitches(SkipProgramName(GetCommandLineA()), switches);
    switches->folder[0] = '\0';
    switches->log[0] = '\0';
}

/* the install folder of /D=, or the default one, made and checked as the
   wizard does; created with every missing folder, without a question */
static int SettleSilentFolder(const struct SetupSwitches *switches)
{
    const char *folder = switches->hasFolder ? switches->folder : SETUP_DEFAULT_FOLDER;
    if (!DecideInstallFolder(folder)) {
        LogLine("失敗: セットアップ先フォルダ \"%s\" は使えません", folder);
        return 0;
    }
    if (!InstallFolderIsSafe(NULL))
        return 0;
    if (!IsExistingFolder(InstallPath) && !CreateFolderChain(InstallPath)) {
        LogFailure("フォルダの作成", InstallPath);
        return 0;
    }
    return 1;
}

int RunSilently(const struct SetupSwitches *switches)
{
    /* an unreadable record ends the run here, with -1 */
    DecideSetupMode();
    switch (SetupMode) {
    case Install:
        if (switches->uninstall)
            break;
        if (!SettleSilentFolder(switches))
            return -1;
        InstallAction(NULL);
        return 0;
    case Update:
        if (switches->uninstall)
            UninstallAction(NULL);
        else
            UpdateAction(NULL);
        return 0;
    case Uninstall:
        /* this version again: only /UNINSTALL removes it, never /S alone */
        if (!switches->uninstall)
            break;
        UninstallAction(NULL);
        return 0;
    case NewerInstalled:
        break;
    }
    LogLine("何もする必要はありません");
    return 0;
}
