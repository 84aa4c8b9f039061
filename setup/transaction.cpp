/*
 * The transaction of a run (see transaction.h). A row of the journal
 * (during a run, a row of the product-file table) goes through these
 * names beside its target T:
 *
 *   T.qvnew  its new file, made and flushed before the journal is written
 *   T.qvold  the old T, kept from the swap until the commit
 *
 * The journal is written before the first rename and names its files, so
 * that a row is finished or undone from what the journal says it was and
 * which of the three names exist, by this Setup or a later one: every
 * step is a rename, so each name is either there or not, whenever the
 * run was killed. A target another program holds is left as it is, and
 * after the commit replaced or deleted at the next restart (restart.h).
 */
#include "transaction.h"

#include <string.h>

#include "files.h"
#include "folder.h"
#include "log.h"
#include "paths.h"
#include "restart.h"
#include "setup.h"
#include "snapshot.h"
#include "texts.h"
#include "../common/text.h"

/* how far the run's changes have come: what the undo has to look at */
enum Stage { NothingMade, NewFilesMade, JournalWritten };

/* Process-wide state of the run's changes, written and read here only: */
static int Stage;
/* the rows that take part, as the journal says (or will say) */
static struct SwapJournal Journal;
/* each row's three names below InstallPath, and the journal's and the
   name an unreadable journal is moved aside to, named from the rows */
static char Target[JOURNAL_MAX_ROWS][MAX_PATH];
static char Copy[JOURNAL_MAX_ROWS][MAX_PATH];
static char Old[JOURNAL_MAX_ROWS][MAX_PATH];
static char JournalFile[MAX_PATH];
static char JournalAside[MAX_PATH];
/* 1 for a row whose target another program holds, left to the restart */
static char Held[JOURNAL_MAX_ROWS];

/* every row's names below InstallPath, from the journal's names; 0 when
   one does not fit */
static int NameRows(void)
{
    int named = ComposeInstallFile(JournalFile, MAX_PATH, FILE_SWAP_JOURNAL) &&
                ComposeInstallFile(JournalAside, MAX_PATH, FILE_ASIDE_JOURNAL);
    for (size_t i = 0; i < Journal.count; i++) {
        const char *name = Journal.names[i];
        named = ComposeInstallFile(Target[i], MAX_PATH, name) &&
                ComposeTemporaryFile(Copy[i], name, FILE_NEW_SUFFIX) &&
                ComposeTemporaryFile(Old[i], name, FILE_OLD_SUFFIX) && named;
    }
    return named;
}

int BeginChanges(char operation)
{
    Stage = NothingMade;
    memset(&Journal, 0, sizeof(Journal));
    memset(Held, 0, sizeof(Held));
    Journal.operation = operation;
    Journal.version = (unsigned long)kSetupVersion;
    Journal.count = kProductFileCount;
    memset(Journal.rows, RowOutside, sizeof(Journal.rows));
    for (size_t i = 0; i < kProductFileCount; i++)
        CopyText(Journal.names[i], JOURNAL_NAME_SIZE, kProductFiles[i].name);
    return NameRows();
}

const char *NewFilePath(size_t row)
{
    return Copy[row];
}

const char *TargetPath(size_t row)
{
    return Target[row];
}

HANDLE CreateNewFile(size_t row)
{
    if (!MayChange())
        return INVALID_HANDLE_VALUE;
    if (Stage == NothingMade)
        Stage = NewFilesMade;
    HANDLE file =
        CreateFileA(Copy[row], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        LogFailure("作成", Copy[row]);
    return file;
}

void SwapRow(size_t row)
{
    int made = FileIsThere(Copy[row]);
    if (GetFileAttributesA(Target[row]) != INVALID_FILE_ATTRIBUTES)
        Journal.rows[row] = (char)(made ? RowReplaced : RowRemoved);
    else if (made)
        Journal.rows[row] = (char)RowAdded;
}

/* 1 when row i's target goes away or is replaced */
static int Leaves(size_t i)
{
    return Journal.rows[i] == RowReplaced || Journal.rows[i] == RowRemoved;
}

int FindUnreplaceableTarget(DWORD *error)
{
    for (size_t i = 0; i < Journal.count; i++) {
        if (!Leaves(i) || Held[i])
            continue;
        /* opened for deletion with no one else sharing it: a program that
           holds it, or a folder of that name, is found before anything
           changes */
        HANDLE file = INVALID_HANDLE_VALUE;
        *error = ERROR_ACCESS_DENIED;
        if (FileIsThere(Target[i])) {
            file = CreateFileA(Target[i], DELETE, 0, NULL, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, NULL);
            *error = GetLastError();
        }
        if (file == INVALID_HANDLE_VALUE) {
            LogError("置き換えの確認", Target[i], *error);
            return (int)i;
        }
        CloseHandle(file);
    }
    return -1;
}

void LeaveRowToRestart(size_t row)
{
    Held[row] = 1;
}

static int Move(const char *from, const char *to)
{
    if (MayChange() && MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 1;
    LogFailure("名前の変更", from);
    return 0;
}

static void DeleteIfThere(const char *path)
{
    if (FileIsThere(path) && DeleteFileA(path))
        LogLine(LOG_DELETED "%s", path);
}

/* an old file, which may be read-only from a disc, deleted; one a
   program holds is deleted at the restart. 0 when it stays for now */
static int DeleteOld(const char *old)
{
    if (GetFileAttributesA(old) == INVALID_FILE_ATTRIBUTES)
        return 1;
    SetFileAttributesA(old, FILE_ATTRIBUTE_NORMAL);
    if (MayChange() && DeleteFileA(old)) {
        LogLine(LOG_DELETED "%s", old);
        return 1;
    }
    LogFailure("削除", old);
    /* and the journal stays, for a later run to delete it sooner */
    LeaveToRestart(old, NULL);
    return 0;
}

static int WriteJournal(void)
{
    char text[JOURNAL_MAX_SIZE];
    DWORD length = (DWORD)FormatJournal(&Journal, text, sizeof(text)), written = 0;
    Stage = JournalWritten;
    if (length == 0 || !MayChange())
        return 0;
    HANDLE file = CreateFileA(JournalFile, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, NULL);
    int ok = file != INVALID_HANDLE_VALUE && WriteFile(file, text, length, &written, NULL) &&
             written == length && FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!ok)
        LogFailure("作成", JournalFile);
    return ok;
}

int SwapTargets(void)
{
    size_t taking = 0;
    for (size_t i = 0; i < Journal.count; i++)
        taking += Journal.rows[i] != RowOutside;
    /* nothing to swap, nothing to journal: a repair that found every file
       whole, an uninstall of files deleted by hand */
    if (taking == 0)
        return 1;
    if (!WriteJournal())
        return 0;
    for (size_t i = 0; i < Journal.count; i++) {
        char row = Journal.rows[i];
        if (Held[i])
            continue;
        if ((Leaves(i) && !Move(Target[i], Old[i])) ||
            ((row == RowReplaced || row == RowAdded) && !Move(Copy[i], Target[i])))
            return 0;
    }
    return 1;
}

/* row i back to what the journal's run found; 0 when its old file could
   not be put back. A new file the next restart puts in place, left by an
   earlier run, is not this run's to take away */
static int RollBack(size_t i)
{
    int ok = 1;
    if (Leaves(i) && FileIsThere(Old[i])) {
        ok = MoveFileExA(Old[i], Target[i], MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (ok)
            LogLine(LOG_PUT_BACK "%s", Target[i]);
        else
            LogFailure("元に戻す", Target[i]);
    } else if (Journal.rows[i] == RowAdded && !FileIsThere(Copy[i])) {
        /* put there by the run, where nothing was */
        DeleteIfThere(Target[i]);
    }
    if (PendingAtRestart(Target[i]) != ReplacedAtRestart)
        DeleteIfThere(Copy[i]);
    return ok;
}

/* row i as the committed run leaves it: its new file in place of its
   target, or the target gone, and the old file deleted; a target another
   program holds is replaced or deleted at the next restart. 0 when
   something stays for a later run */
static int FinishRow(size_t i)
{
    char row = Journal.rows[i];
    int replacing = row != RowRemoved && FileIsThere(Copy[i]);
    if (row == RowOutside)
        return 1;
    /* a target not yet moved aside is the old file */
    if ((row == RowRemoved || (row == RowReplaced && replacing)) && FileIsThere(Target[i]) &&
        !FileIsThere(Old[i]) && !Move(Target[i], Old[i]))
        return LeaveToRestart(replacing ? Copy[i] : Target[i], replacing ? Target[i] : NULL);
    if (replacing && !Move(Copy[i], Target[i]))
        return 0;
    /* an earlier run's new file, which the restart would put back */
    if (row == RowRemoved && FileIsThere(Copy[i]) && !DeleteFileA(Copy[i]))
        LeaveToRestart(Target[i], NULL);
    return DeleteOld(Old[i]);
}

/* the install folder goes at the restart too, if by then nothing is
   left in it */
static void LeaveFolderToRestart(void)
{
    char folder[MAX_PATH];
    int place;
    /* never a drive's root, nor a share's */
    if (FolderLevelAt(InstallPath, 1, folder, sizeof(folder), &place) &&
        CopyText(folder, sizeof(folder), InstallPath)) {
        *(char *)LastCharacter(folder) = '\0';
        LeaveToRestart(folder, NULL);
    }
}

void CommitChanges(void)
{
    int left = 0;
    for (size_t i = 0; Stage == JournalWritten && i < Journal.count; i++)
        left = !FinishRow(i) || left;
    if (Stage == JournalWritten && Journal.operation == JournalRemove && RestartNeeded())
        LeaveFolderToRestart();
    if (Stage == JournalWritten && !left)
        DeleteIfThere(JournalFile);
    Stage = NothingMade;
    ForgetRememberedKeys();
    ForgetCreatedFolders();
}

void UndoChanges(void)
{
    int ok = 1;
    if (Stage != NothingMade) {
        LogLine(LOG_PUT_BACK "%s", InstallPath);
        for (size_t i = 0; i < Journal.count; i++)
            ok = RollBack(i) && ok;
        /* kept where an old file could not be put back, for the next run */
        if (Stage == JournalWritten && ok)
            DeleteIfThere(JournalFile);
    }
    RestoreRememberedKeys();
    Stage = NothingMade;
    ReleaseInstallFolder();
    RemoveCreatedFolders();
}

/* the temporary files of the table's rows in the log, for someone to look
   at */
static void LogTemporaryFiles(void)
{
    for (size_t i = 0; i < 2 * Journal.count; i++) {
        const char *path = i % 2 ? Old[i / 2] : Copy[i / 2];
        if (FileIsThere(path))
            LogLine(LOG_TEMPORARY_FILE "%s", path);
    }
}

int RecoverInterruptedChanges(int recorded, unsigned long version)
{
    char data[JOURNAL_MAX_SIZE + 1];
    struct SwapJournal found;
    DWORD read = 0;
    if (!BeginChanges(JournalChange))
        return 1;
    /* without a journal, a run killed before it: only new files, never
       swapped, which go as a row outside the journal's goes */
    HANDLE file =
        CreateFileA(JournalFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    int journal = file != INVALID_HANDLE_VALUE;
    int whole = journal && ReadFile(file, data, sizeof(data), &read, NULL) &&
                ParseJournal(data, read, &Journal, &found);
    if (journal)
        CloseHandle(file);
    if (whole) {
        Journal = found;
        whole = NameRows();
    }
    if (journal && !whole) {
        /* written by a Setup this one cannot read, or not whole: never
           acted on, and moved aside so that no later run stops at it */
        BeginChanges(JournalChange);
        LogLine(LOG_JOURNAL_ASIDE "%s", JournalAside);
        LogTemporaryFiles();
        return Move(JournalFile, JournalAside);
    }
    int committed = Journal.operation == JournalChange ? recorded && version == Journal.version
                                                       : !recorded;
    int ok = 1, left = 0;
    if (journal)
        LogLine(committed ? LOG_FINISHED_INTERRUPTED "%s" : LOG_UNDID_INTERRUPTED "%s",
                InstallPath);
    for (size_t i = 0; i < Journal.count; i++) {
        if (journal && committed)
            left = !FinishRow(i) || left;
        else
            ok = RollBack(i) && ok;
    }
    if (!ok) {
        /* left as it is for someone to look at: the log names its files */
        LogLine(LOG_JOURNAL_NOT_UNDONE "%s", JournalFile);
        LogTemporaryFiles();
    } else if (!left) {
        DeleteIfThere(JournalFile);
    }
    BeginChanges(Journal.operation);
    return ok;
}
