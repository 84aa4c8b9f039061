/*
 * The sequences of Setup (see sequence.h). The checks come first, each
 * where Setup acts: the programs of the install folder, the media, and
 * the folder, held open from its check to the end of the run. Then the
 * changes, each written down by the transaction as it is made: the new
 * files, the swap, the settings, the uninstall entry, and the records,
 * whose last write (the machine's record, or its deletion at an
 * uninstall) commits the run. A failure before it puts everything back,
 * and only then does its box say so.
 */
#include "sequence.h"

#include "ends.h"
#include "files.h"
#include "folder.h"
#include "log.h"
#include "media.h"
#include "paths.h"
#include "record.h"
#include "registry.h"
#include "running.h"
#include "security.h"
#include "setup.h"
#include "texts.h"
#include "transaction.h"
#include "../common/text.h"

/* what the run changed put back, then its end */
static int Abandon(int end)
{
    UndoChanges();
    return end;
}

int CheckPrograms(HWND owner)
{
    /* a Helper or the main program may have started since Setup did */
    return ProductIsRunning() ? RunningBox(owner) : RunDone;
}

static int CheckMedia(HWND owner)
{
    char path[MAX_PATH];
    switch (OpenMedia(path, sizeof(path))) {
    case MediaReady:
        return RunDone;
    case MediaUnnamed:
        SetupBox(owner, SETUP_MEDIA_NAME_TEXT, MB_ICONERROR);
        return RunFailed;
    case MediaChanged:
        SetupPathBox(owner, SETUP_MEDIA_CHANGED_BEFORE, path, SETUP_MEDIA_CHANGED_AFTER,
                     MB_ICONERROR);
        return RunFailed;
    default:
        return RunFatal;
    }
}

/* the folder an update, repair or uninstall acts in: held, then checked
   by the same rule as a new one, before anything is recovered, moved or
   deleted there. A recorded folder that cannot take its backslash has
   nothing below it that Setup would touch */
static int CheckRecordedFolder(HWND owner)
{
    char unsafe[MAX_PATH];
    if (!EndsWithBackslash(InstallPath))
        return RunDone;
    if (!HoldInstallFolder() && IsExistingFolder(InstallPath)) {
        LogFailure("開く", InstallPath);
        return RunFatal;
    }
    if (!FindUnsafeFolder(InstallPath, unsafe, sizeof(unsafe)))
        return RunDone;
    /* the record and the entry stay, for a run after the permissions are
       mended */
    ReleaseInstallFolder();
    SetupPathBox(owner, SETUP_RECORDED_UNSAFE_BEFORE, unsafe, SETUP_RECORDED_UNSAFE_AFTER,
                 MB_ICONWARNING);
    return RunFailed;
}

/* what a killed run left in the folder, finished or undone by whether
   the machine's record says it had committed */
static int Recover(void)
{
    LONG version = 0;
    int recorded = MachineRecordNamesInstallPath(&version);
    return RecoverInterruptedChanges(recorded, (unsigned long)version);
}

/* every target that takes part replaceable, asking Retry while a program
   holds one: RunDone; RunBusy or RunFatal when no one waits (a silent
   run, or Cancel); RunRefused for a target that cannot be replaced at
   all (no access, a folder of its name) */
static int WaitUntilReplaceable(HWND owner)
{
    char path[MAX_PATH];
    DWORD error = 0;
    while (!TargetsReplaceable(path, sizeof(path), &error)) {
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            return RunRefused;
        if (SetupPathBox(owner, SETUP_IN_USE_BEFORE, path, SETUP_IN_USE_AFTER,
                         MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
            return SilentRun ? RunBusy : RunFatal;
    }
    return RunDone;
}

/* row's new file beside its target: a copy of the media, or empty; 0
   when it cannot be made */
static int MakeNewFile(size_t row, FileStep step, const char *target)
{
    HANDLE file = CreateNewFile(row);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int ok = step != CopyFromMedia || CopyMediaFile(row, file);
    if (!ok)
        LogFailure("コピー", target);
    CloseHandle(file);
    /* the data files the main program and Helper, running as the user,
       write, where nothing else in the folder is writable */
    if (ok && kProductFiles[row].usersWrite && !LetUsersWrite(NewFilePath(row)))
        LogFailure("アクセス許可", NewFilePath(row));
    if (ok)
        LogLine(step == CopyFromMedia ? LOG_COPIED "%s" : LOG_CREATED "%s", target);
    return ok;
}

/* the operation's new files made and the rows that take part in the
   swap marked; how many, or -1 on a failure */
static int PrepareRows(FileColumn operation)
{
    int changed = 0;
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
            return -1;
        }
        if (step == CopyFromMedia)
            /* installing into the media folder, or a repair of a file
               that is whole */
            kept = IsMediaFileItself(i, target) ||
                   (operation == RepairFiles && MatchesMediaFile(i, target));
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
        if (step != RemoveFile && !MakeNewFile(i, step, target))
            return -1;
        if (operation == RepairFiles)
            LogLine(LOG_REPAIRED "%s", target);
        SwapRow(i);
        changed++;
    }
    return changed;
}

/* the files of an install, update or repair swapped in, then the
   settings, the entry and the records; the entry comes before the
   records, whose last write commits the run, so that a run that ends
   between them leaves what the next run completes */
static int ChangeFiles(HWND owner, FileColumn operation, const char *doneText)
{
    /* nothing is copied into a folder where one of the files would not
       fit, the temporary ones included */
    if (!ProductFilesFit() || !Recover() || !BeginChanges(JournalChange))
        return Abandon(RunFatal);
    int changed = PrepareRows(operation);
    if (changed < 0)
        return Abandon(RunFatal);
    int end = WaitUntilReplaceable(owner);
    if (end != RunDone)
        return Abandon(end == RunRefused ? RunFatal : end);
    if (!SwapTargets() || !SeedSettings() || !RegisterUninstallEntry() ||
        !WriteInstallationRecords())
        return Abandon(RunFatal);
    CommitChanges();
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
    return RunDone;
}

static int RefuseFolder(HWND owner, const char *unsafe)
{
    UndoChanges();
    SetupPathBox(owner, SETUP_UNSAFE_FOLDER_BEFORE, unsafe, SETUP_UNSAFE_FOLDER_AFTER,
                 MB_ICONWARNING);
    return RunRefused;
}

int InstallSequence(HWND owner)
{
    char unsafe[MAX_PATH];
    int end = CheckPrograms(owner);
    if (end == RunDone)
        end = CheckMedia(owner);
    if (end != RunDone)
        return end;
    if (FindUnsafeFolder(InstallPath, unsafe, sizeof(unsafe)))
        return RefuseFolder(owner, unsafe);
    if (!IsExistingFolder(InstallPath)) {
        if (SetupBox(owner, SETUP_CREATE_QUESTION, MB_ICONQUESTION | MB_YESNO) != IDYES)
            return RunRefused;
        if (!CreateFolderChain(InstallPath)) {
            UndoChanges();
            SetupBox(owner, SETUP_CREATE_FAILED_TEXT, MB_ICONERROR);
            return RunRefused;
        }
    }
    /* checked again once it is held: a folder above it that someone else
       made while the question waited is an existing folder like any
       other */
    if (!HoldInstallFolder()) {
        LogFailure("開く", InstallPath);
        return Abandon(RunFatal);
    }
    if (FindUnsafeFolder(InstallPath, unsafe, sizeof(unsafe)))
        return RefuseFolder(owner, unsafe);
    return ChangeFiles(owner, InstallFiles, SETUP_INSTALLED_TEXT);
}

static int ChangeRecorded(HWND owner, FileColumn operation, const char *doneText)
{
    int end = CheckPrograms(owner);
    if (end == RunDone)
        end = CheckMedia(owner);
    if (end == RunDone)
        end = CheckRecordedFolder(owner);
    if (end != RunDone)
        return end;
    return ChangeFiles(owner, operation, doneText);
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
    if (!Recover())
        return Abandon(RunFatal);
    BeginChanges(JournalRemove);
    PrepareRows(UninstallFiles);
    int end = WaitUntilReplaceable(owner);
    if (end == RunDone && SwapTargets())
        return RunDone;
    UndoChanges();
    if (end != RunDone && end != RunRefused)
        return end;
    SetupBox(owner, SETUP_UNINSTALL_INCOMPLETE_TEXT, MB_ICONWARNING);
    return RunFailed;
}

int UninstallSequence(HWND owner)
{
    int end = CheckPrograms(owner);
    if (end == RunDone)
        end = CheckRecordedFolder(owner);
    if (end == RunDone && EndsWithBackslash(InstallPath))
        end = RemoveFiles(owner);
    else if (end == RunDone)
        BeginChanges(JournalRemove);
    if (end != RunDone)
        return end;
    /* the machine's record goes last: its deletion commits the uninstall */
    if (!DeleteUninstallEntry() || !DeleteUserRecord() || !DeleteMachineRecord())
        return Abandon(RunFatal);
    DeleteProductKeys();
    CommitChanges();
    SetupBox(owner, SETUP_UNINSTALLED_TEXT, MB_ICONINFORMATION);
    return RunDone;
}
