/*
 * The sequences of Setup (see sequence.h), and the one routine that picks
 * the sequence of the decided mode for the wizard and the silent run. The
 * checks come first, each where Setup acts: the programs of the install
 * folder, the media, and the folder, held open from its check to the end
 * of the run. Then the changes, each written down by the transaction as
 * it is made: the new files, the swap, the settings, the uninstall entry,
 * and the records, whose last write (the machine's record, or its
 * deletion at an uninstall) commits the run. A failure before it puts
 * everything back, and only then does its box say so. What another
 * program holds in a silent run is left to the next restart.
 */
#include "sequence.h"

#include <string.h>

#include "ends.h"
#include "files.h"
#include "folder.h"
#include "log.h"
#include "media.h"
#include "mode.h"
#include "paths.h"
#include "record.h"
#include "restart.h"
#include "registry.h"
#include "running.h"
#include "security.h"
#include "setup.h"
#include "texts.h"
#include "transaction.h"
#include "../common/ansi.h"
#include "../common/text.h"

/* every failure of a sequence ends here, or in a box routine that does
   the same: what the run changed put back, then the box that says so
   (none without text), then its end */
static int Abandon(int end, HWND owner, const char *text, UINT type)
{
    UndoChanges();
    if (text != NULL)
        SetupBox(owner, text, type);
    return end;
}

int CheckPrograms(HWND owner)
{
    /* a Helper or the main program may have started since Setup did */
    return ProductIsRunning() ? RunningBox(owner) : RunDone;
}

/* the box of a media file that is not the one the media were made with,
   after the undo */
static int MediaChangedBox(HWND owner, const char *path)
{
    UndoChanges();
    SetupPathBox(owner, SETUP_MEDIA_CHANGED_BEFORE, path, SETUP_MEDIA_CHANGED_AFTER,
                 MB_ICONERROR);
    return RunFailed;
}

/* the programs of the folder, then the media */
static int CheckProgramsAndMedia(HWND owner)
{
    char path[MAX_PATH];
    if (CheckPrograms(owner) != RunDone)
        return RunBusy;
    switch (OpenMedia(path, sizeof(path))) {
    case MediaReady:
        return RunDone;
    case MediaUnnamed:
        SetupBox(owner, SETUP_MEDIA_NAME_TEXT, MB_ICONERROR);
        return RunFailed;
    case MediaChanged:
        return MediaChangedBox(owner, path);
    default:
        return RunFatal;
    }
}

/* how the run uses its folder */
enum FolderUse {
    NewFolder,      /* an install: a missing folder is made after a question */
    RecordedFolder, /* an update or repair: a missing folder is made as an
                       install makes it */
    RemovedFolder   /* an uninstall: a missing folder holds nothing to remove */
};

/* the box of a folder others may change; the wizard keeps its folder
   page for a new one, and a recorded one changes nothing */
static int UnsafeFolderBox(HWND owner, int use, const char *unsafe)
{
    int fresh = use == NewFolder;
    UndoChanges();
    SetupPathBox(owner, fresh ? SETUP_UNSAFE_FOLDER_BEFORE : SETUP_RECORDED_UNSAFE_BEFORE, unsafe,
                 fresh ? SETUP_UNSAFE_FOLDER_AFTER : SETUP_RECORDED_UNSAFE_AFTER, MB_ICONWARNING);
    return fresh ? RunRefused : RunFailed;
}

/* the run's folder held and checked where Setup acts: every existing
   level by the folder rule, each missing one made by Setup itself, and
   the rule applied again once the folder is held, so that a level
   someone else made meanwhile is checked like any existing one. No
   install, update or repair writes into the media folder. RunDone with
   the folder held (an uninstall's missing folder is not: nothing is
   removed there), or the end after its box */
static int HoldFolder(HWND owner, int use)
{
    char unsafe[MAX_PATH];
    int refused = use == NewFolder ? RunRefused : RunFailed;
    if (FindUnsafeFolder(InstallPath, unsafe, sizeof(unsafe)))
        return UnsafeFolderBox(owner, use, unsafe);
    if (!IsExistingFolder(InstallPath)) {
        if (use == RemovedFolder)
            return RunDone;
        if (use == NewFolder &&
            SetupBox(owner, SETUP_CREATE_QUESTION, MB_ICONQUESTION | MB_YESNO) != IDYES)
            return RunRefused;
        if (!CreateFolderChain(InstallPath))
            return Abandon(refused, owner, SETUP_CREATE_FAILED_TEXT, MB_ICONERROR);
    }
    if (!HoldInstallFolder()) {
        LogFailure("開く", InstallPath);
        return Abandon(RunFatal, owner, NULL, 0);
    }
    if (FindUnsafeFolder(InstallPath, unsafe, sizeof(unsafe)))
        return UnsafeFolderBox(owner, use, unsafe);
    if (use != RemovedFolder && IsMediaFolder(HeldInstallFolder()))
        return Abandon(refused, owner, SETUP_MEDIA_FOLDER_TEXT, MB_ICONWARNING);
    return RunDone;
}

/* what a killed run left in the folder, finished or undone by whether
   the machine's record says it had committed; and for a run that goes
   on to change the files, the entry's version, set after the record,
   completed */
static int Recover(int changing)
{
    LONG version = 0;
    int recorded = MachineRecordNamesInstallPath(&version);
    if (changing && recorded && version == kSetupVersion)
        CompleteEntryVersion();
    return RecoverInterruptedChanges(recorded, (unsigned long)version);
}

/* every target that takes part replaceable: RunDone; RunFatal after
   Cancel; RunRefused for a target that cannot be replaced at all (no
   access, a folder of its name). While a program holds one, the wizard
   asks Retry; a silent run, where no one waits, leaves it to the next
   restart, as Windows Installer does */
static int WaitUntilReplaceable(HWND owner)
{
    DWORD error = 0;
    for (int row; (row = FindUnreplaceableTarget(&error)) >= 0;) {
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            return RunRefused;
        if (SilentRun)
            LeaveRowToRestart((size_t)row);
        else if (SetupPathBox(owner, SETUP_IN_USE_BEFORE, TargetPath((size_t)row),
                              SETUP_IN_USE_AFTER, MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
            return RunFatal;
    }
    return RunDone;
}

/* row's new file beside its target: a copy of the media, or empty */
static int MakeNewFile(size_t row, FileStep step, const char *target)
{
    HANDLE file = CreateNewFile(row);
    if (file == INVALID_HANDLE_VALUE)
        return MediaMissing;
    int made = step == CopyFromMedia ? CopyMediaFile(row, file) : MediaReady;
    if (made == MediaMissing)
        LogFailure("コピー", target);
    CloseHandle(file);
    /* the data files the main program and Helper, running as the user,
       write, where nothing else in the folder is writable */
    if (made == MediaReady && kProductFiles[row].usersWrite && !LetUsersWrite(NewFilePath(row)))
        LogFailure("アクセス許可", NewFilePath(row));
    if (made == MediaReady)
        LogLine(step == CopyFromMedia ? LOG_COPIED "%s" : LOG_CREATED "%s", target);
    return made;
}

/* the operation's new files made and the rows that take part in the
   swap marked, counted in *changed; RunDone, or RunFatal, or the box of
   a media file that was not what it should be, after the undo */
static int PrepareRows(HWND owner, FileColumn operation, int *changed)
{
    *changed = 0;
    for (size_t i = 0; i < kProductFileCount; i++) {
        char target[MAX_PATH];
        FileStep step = kProductFiles[i].step[operation];
        if (step == KeepFile || !ComposeInstallFile(target, sizeof(target), kProductFiles[i].name))
            continue;
        DWORD attributes = GetFileAttributesA(target);
        int kept = 0;
        /* a folder in place of a file the product needs */
        if (step == CreateIfMissing && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            LogLine(LOG_FAILED "%s はフォルダです", target);
            return Abandon(RunFatal, owner, NULL, 0);
        }
        if (step == CopyFromMedia && operation == RepairFiles &&
            PendingAtRestart(target) == ReplacedAtRestart) {
            /* an earlier run's new file is put in place at the restart */
            SetRestartNeeded(1);
            LogLine(LOG_AT_RESTART "%s", target);
            continue;
        }
        if (step == CopyFromMedia)
            /* a repair of a file that is whole */
            kept = operation == RepairFiles && MatchesMediaFile(i, target);
        else if (step == CreateIfMissing)
            /* the user's keywords and settings */
            kept = attributes != INVALID_FILE_ATTRIBUTES;
        else if (step == RemoveFile)
            kept = attributes == INVALID_FILE_ATTRIBUTES;
        if (kept) {
            if (step != RemoveFile)
                LogLine(LOG_KEPT "%s", target);
            continue;
        }
        int made = step != RemoveFile ? MakeNewFile(i, step, target) : MediaReady;
        if (made == MediaChanged)
            return MediaChangedBox(owner, MediaFilePath(i));
        if (made != MediaReady)
            return Abandon(RunFatal, owner, NULL, 0);
        if (operation == RepairFiles)
            LogLine(LOG_REPAIRED "%s", target);
        SwapRow(i);
        ++*changed;
    }
    return RunDone;
}

/* what a killed run left recovered, then the operation's new files made
   and every target that takes part replaceable, the changing rows
   counted in *changed; RunDone, or the end (after its box where it has
   one) */
static int PrepareSwap(HWND owner, FileColumn operation, int *changed)
{
    int removing = operation == UninstallFiles;
    if (!Recover(!removing) || !BeginChanges(removing ? JournalRemove : JournalChange))
        return Abandon(RunFatal, owner, NULL, 0);
    int end = PrepareRows(owner, operation, changed);
    return end == RunDone ? WaitUntilReplaceable(owner) : end;
}

/* the files of an install, update or repair swapped in, then the
   settings, the entry and the records; the entry comes before the
   records, whose last write commits the run, so that a run that ends
   between them leaves what the next run completes */
static int ChangeFiles(HWND owner, FileColumn operation, const char *doneText)
{
    int changed = 0;
    int end = PrepareSwap(owner, operation, &changed);
    if (end == RunRefused)
        end = RunFatal;
    if (end == RunDone && !(SwapTargets() && SeedSettings() && RegisterUninstallEntry() &&
                            WriteInstallationRecords()))
        end = RunFatal;
    if (end != RunDone)
        return Abandon(end, owner, NULL, 0);
    CommitChanges();
    /* the entry's version follows the record: a failure is logged, and
       the next run completes it */
    CompleteEntryVersion();
    /* a keyword file an earlier Setup left without the entry */
    for (size_t i = 0; i < kProductFileCount; i++) {
        char path[MAX_PATH];
        if (kProductFiles[i].usersWrite && ComposeInstallFile(path, sizeof(path), kProductFiles[i].name) &&
            FileIsThere(path) && !LetUsersWrite(path))
            LogFailure("アクセス許可", path);
    }
    if (operation == RepairFiles && changed == 0)
        LogLine(LOG_NOTHING_TO_REPAIR);
    if (doneText != NULL)
        SetupBox(owner, doneText, MB_ICONINFORMATION);
    return RestartNeeded() ? RunRestart : RunDone;
}

int InstallSequence(HWND owner)
{
    int end = CheckProgramsAndMedia(owner);
    if (end == RunDone)
        end = HoldFolder(owner, NewFolder);
    return end == RunDone ? ChangeFiles(owner, InstallFiles, SETUP_INSTALLED_TEXT) : end;
}

/* an update or repair in the recorded folder; nothing is made in a
   folder where one of the files would not fit, the temporary ones
   included */
static int ChangeRecorded(HWND owner, FileColumn operation, const char *doneText)
{
    int end = CheckProgramsAndMedia(owner);
    if (end == RunDone && !ProductFilesFit())
        end = RunFatal;
    if (end == RunDone)
        end = HoldFolder(owner, RecordedFolder);
    return end == RunDone ? ChangeFiles(owner, operation, doneText) : end;
}

int UpdateSequence(HWND owner)
{
    return ChangeRecorded(owner, UpdateFiles, SETUP_UPDATED_TEXT);
}

int RepairSequence(HWND owner)
{
    /* no box: only a silent run repairs */
    return ChangeRecorded(owner, RepairFiles, NULL);
}

/* the uninstall's files moved aside; RunDone, or the end after its box.
   A file that cannot be deleted keeps every file, the record and the
   entry, so that the uninstall can run again once the cause is gone */
static int RemoveFiles(HWND owner)
{
    int changed = 0;
    int end = PrepareSwap(owner, UninstallFiles, &changed);
    if (end == RunDone && SwapTargets())
        return RunDone;
    if (end != RunDone && end != RunRefused)
        return Abandon(end, owner, NULL, 0);
    return Abandon(RunFailed, owner, SETUP_UNINSTALL_INCOMPLETE_TEXT, MB_ICONWARNING);
}

int UninstallSequence(HWND owner)
{
    int end = CheckPrograms(owner);
    /* a folder that cannot take its backslash, or is gone, holds nothing
       Setup would remove: only the registry changes */
    if (end == RunDone && EndsWithBackslash(InstallPath))
        end = HoldFolder(owner, RemovedFolder);
    if (end == RunDone && HeldInstallFolder() != NULL)
        end = RemoveFiles(owner);
    if (end != RunDone)
        return end;
    /* the machine's record goes last: its deletion commits the uninstall */
    if (!DeleteUninstallEntry() || !DeleteUserRecord() || !DeleteMachineRecord())
        return Abandon(RunFatal, owner, NULL, 0);
    DeleteProductKeys();
    CommitChanges();
    SetupBox(owner, SETUP_UNINSTALLED_TEXT, MB_ICONINFORMATION);
    return RestartNeeded() ? RunRestart : RunDone;
}

int DecideRun(int uninstalling)
{
    if (DecideSetupMode(uninstalling))
        return RunDone;
    SetupBox(NULL, SETUP_REGISTRY_READ_TEXT, MB_ICONERROR);
    return RunFailed;
}

/* folder, or the default one, made absolute and checked (see
   DecideInstallFolder) into InstallPath; 0 after the box when it cannot
   be used */
static int DecideFolder(HWND owner, const char *folder)
{
    if (folder == NULL)
        folder = SETUP_DEFAULT_FOLDER;
    /* a look-alike would be another folder: C:\Tools\Café is not
       C:\Tools\Cafe */
    int lookAlike = strchr(folder, NO_ANSI_FORM) != NULL;
    if (!lookAlike && DecideInstallFolder(folder))
        return 1;
    LogLine(lookAlike ? LOG_FAILED "セットアップ先フォルダ \"%s" LOG_FOLDER_NOT_ANSI
                      : LOG_FAILED "セットアップ先フォルダ \"%s\" は使えません",
            folder);
    SetupBox(owner, SETUP_FOLDER_PROMPT, MB_ICONWARNING);
    return 0;
}

int RunAction(HWND owner, int uninstall, const char *folder)
{
    switch (SetupMode) {
    case Install:
        if (uninstall)
            break;
        return DecideFolder(owner, folder) ? InstallSequence(owner) : RunRefused;
    case Update:
        return uninstall ? UninstallSequence(owner) : UpdateSequence(owner);
    case Uninstall:
        /* this version again: the wizard and /UNINSTALL remove it; /S
           alone makes it whole, for a deployment tool that runs the same
           command again after its detection rule failed */
        return uninstall || !SilentRun ? UninstallSequence(owner) : RepairSequence(owner);
    case NewerInstalled:
        SetupBox(owner, SETUP_NEWER_TEXT, MB_ICONINFORMATION);
        return RunNewer;
    }
    LogLine(LOG_NOTHING_TO_DO);
    return RunDone;
}
