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
 * The exit code says how it ended (setup.h): 0 done or nothing to do;
 * 1618 the product or another Setup runs, or a file is in use (no one
 * waits for Retry): nothing changed, try again later; 1603 any failure
 * (an unreadable record, a refused folder, a missing media file, a
 * failed copy or write); 1639 a command line that is not understood.
 */
#include "setup.h"

#include <string.h>

#include "../common/ansi.h"
#include "../common/text.h"
#include "texts.h"

void ReadSetupSwitches(struct SetupSwitches *switches)
{
    const wchar_t *wide = GetCommandLineW();
    char *line = MarkedAnsiText(wide != NULL ? wide : L"");
    /* without memory even for the line there is nothing to go by */
    ParseSetupSwitches(line != NULL ? SkipProgramName(line) : "", switches);
    if (line != NULL)
        HeapFree(GetProcessHeap(), 0, line);
    /* a log file of a name code page 932 cannot hold would be a
       look-alike, another file: none is written. The program's own path
       plays no part */
    if (strchr(switches->log, NO_ANSI_FORM) != NULL)
        switches->log[0] = '\0';
}

/* the install folder of /D=, or the default one, made absolute and
   checked as the wizard does; 0 when it is refused */
static int DecideSilentFolder(const struct SetupSwitches *switches)
{
    const char *folder = switches->hasFolder ? switches->folder : SETUP_DEFAULT_FOLDER;
    /* a look-alike would be another folder */
    if (strchr(folder, NO_ANSI_FORM) != NULL) {
        LogLine("失敗: セットアップ先フォルダ \"%s\" に、このシステムで扱えない文字があります",
                folder);
        return 0;
    }
    if (!DecideInstallFolder(folder)) {
        LogLine("失敗: セットアップ先フォルダ \"%s\" は使えません", folder);
        return 0;
    }
    return InstallFolderIsSafe(NULL);
}

/* the install: every missing folder created without a question */
static int InstallSilently(const struct SetupSwitches *switches)
{
    if (!DecideSilentFolder(switches))
        return RunFailed;
    EndIfProductRuns(NULL);
    if (!IsExistingFolder(InstallPath) && !CreateFolderChain(InstallPath)) {
        LogFailure("フォルダの作成", InstallPath);
        return RunFailed;
    }
    InstallAction(NULL);
    return RunDone;
}

int RunSilently(const struct SetupSwitches *switches)
{
    /* an unreadable record ends the run here */
    DecideSetupMode();
    switch (SetupMode) {
    case Install:
        if (switches->uninstall)
            break;
        return InstallSilently(switches);
    case Update:
        EndIfProductRuns(NULL);
        if (switches->uninstall)
            UninstallAction(NULL);
        else
            UpdateAction(NULL);
        return RunDone;
    case Uninstall:
        /* this version again: only /UNINSTALL removes it, never /S alone */
        if (!switches->uninstall)
            break;
        EndIfProductRuns(NULL);
        UninstallAction(NULL);
        return RunDone;
    case NewerInstalled:
        break;
    }
    LogLine("何もする必要はありません");
    return RunDone;
}
