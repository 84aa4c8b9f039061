/*
 * The transaction of a run (see transaction.h). A row of the product-file
 * table that takes part goes through these names beside its target T:
 *
 *   T.qvnew  its new file, made and flushed before the journal is written
 *   T.qvold  the old T, kept from the swap until the commit
 *
 * The journal is written before the first rename, and a row is finished
 * or undone from what the journal says it was and which of the three
 * names exist: every step is a rename, so each name is either there or
 * not, whenever the run was killed.
 */
#include "transaction.h"

#include <string.h>

#include "files.h"
#include "log.h"
#include "paths.h"
#include "setup.h"
#include "texts.h"
#include "../common/text.h"

int (*ChangeHook)(int number);

/* Process-wide state of the run's changes, written and read here only: */
/* how many changes were asked for (MayChange) */
static int Changes;
/* 0 nothing to undo; 1 new files made; 2 the journal written, and the
   targets possibly swapped */
static int Stage;
/* the rows that take part, as the journal says (or will say) */
static struct SwapJournal Journal;
/* each row's three names below InstallPath, and the journal's, named
   when the run's changes begin */
static char Target[kProductFileCount][MAX_PATH];
static char Copy[kProductFileCount][MAX_PATH];
static char Old[kProductFileCount][MAX_PATH];
static char JournalFile[MAX_PATH];
/* the journal a killed run left, as RecoverInterruptedChanges reads it */
static struct SwapJournal Found;
/* the open install folder, or NULL */
static HANDLE HeldFolder;
/* the outermost folder this run created, ending in its backslash, or
   empty */
static char CreatedFolder[MAX_PATH];

/* the registry keys remembered, in the order of their first change, and
   their values one after another in KeyValues: the name with its NUL,
   the type, the size and the data */
struct RememberedKey {
    HKEY root;
    const char *path;
    int existed;
    size_t start, end;
};
static RememberedKey Keys[8];
static size_t KeyCount;
static BYTE KeyValues[8192];
static size_t KeyValuesUsed;

int MayChange(void)
{
    Changes++;
    return ChangeHook == NULL || ChangeHook(Changes);
}

int BeginChanges(char operation)
{
    int named = ComposeInstallFile(JournalFile, MAX_PATH, FILE_SWAP_JOURNAL);
    Stage = 0;
    memset(&Journal, 0, sizeof(Journal));
    Journal.operation = operation;
    Journal.version = (unsigned long)kSetupVersion;
    Journal.count = kProductFileCount;
    memset(Journal.rows, RowOutside, sizeof(Journal.rows));
    for (size_t i = 0; i < kProductFileCount; i++) {
        const char *name = kProductFiles[i].name;
        named = CopyText(Journal.names[i], JOURNAL_NAME_SIZE, name) &&
                ComposeInstallFile(Target[i], MAX_PATH, name) &&
                ComposeTemporaryFile(Copy[i], name, FILE_NEW_SUFFIX) &&
                ComposeTemporaryFile(Old[i], name, FILE_OLD_SUFFIX) && named;
    }
    return named;
}

int HoldInstallFolder(void)
{
    ReleaseInstallFolder();
    /* without FILE_SHARE_DELETE: while it is open, the folder can be
       neither renamed nor replaced, nor can a folder above it. Opened to
       list it: a handle for its attributes alone takes no part in the
       sharing a rename checks */
    HANDLE folder = CreateFileA(InstallPath, FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (folder == INVALID_HANDLE_VALUE)
        return 0;
    HeldFolder = folder;
    return 1;
}

HANDLE HeldInstallFolder(void)
{
    return HeldFolder;
}

void ReleaseInstallFolder(void)
{
    if (HeldFolder != NULL)
        CloseHandle(HeldFolder);
    HeldFolder = NULL;
}

void NoteCreatedFolder(const char *folder)
{
    if (CreatedFolder[0] == '\0')
        CopyText(CreatedFolder, sizeof(CreatedFolder), folder);
}

/* the folders this run created, deepest first, while they are empty */
static void RemoveCreatedFolders(void)
{
    char folder[MAX_PATH];
    if (CreatedFolder[0] == '\0' || !CopyText(folder, sizeof(folder), InstallPath))
        return;
    for (;;) {
        if (RemoveDirectoryA(folder))
            LogLine(LOG_DELETED "%s", folder);
        if (lstrcmpiA(folder, CreatedFolder) == 0 || strlen(folder) <= strlen(CreatedFolder))
            break;
        /* up one folder: cut after the backslash before the last one */
        char *last = (char *)LastCharacter(folder);
        *last = '\0';
        *(char *)LastPathComponent(folder) = '\0';
    }
    CreatedFolder[0] = '\0';
}

const char *NewFilePath(size_t row)
{
    return Copy[row];
}

HANDLE CreateNewFile(size_t row)
{
    if (!MayChange())
        return INVALID_HANDLE_VALUE;
    Stage = Stage > 1 ? Stage : 1;
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

int TargetsReplaceable(char *path, size_t size, DWORD *error)
{
    for (size_t i = 0; i < kProductFileCount; i++) {
        if (!Leaves(i))
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
            CopyText(path, size, Target[i]);
            return 0;
        }
        CloseHandle(file);
    }
    return 1;
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

/* an old file, which may be read-only from a disc, deleted; 0 when it
   stays */
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
    LogLine(LOG_OLD_FILE_KEPT "%s", old);
    return 0;
}

static int WriteJournal(void)
{
    char text[JOURNAL_MAX_SIZE];
    DWORD length = (DWORD)FormatJournal(&Journal, text, sizeof(text)), written = 0;
    Stage = 2;
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
    for (size_t i = 0; i < kProductFileCount; i++)
        taking += Journal.rows[i] != RowOutside;
    /* nothing to swap, nothing to journal: a repair that found every file
       whole, an uninstall of files deleted by hand */
    if (taking == 0)
        return 1;
    if (!WriteJournal())
        return 0;
    for (size_t i = 0; i < kProductFileCount; i++) {
        char row = Journal.rows[i];
        if ((Leaves(i) && !Move(Target[i], Old[i])) ||
            ((row == RowReplaced || row == RowAdded) && !Move(Copy[i], Target[i])))
            return 0;
    }
    return 1;
}

/* row i back to what the journal's run found; 0 when its old file could
   not be put back */
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
    DeleteIfThere(Copy[i]);
    return ok;
}

/* row i as the journal's run was leaving it; 0 when its old file stays */
static int RollForward(size_t i)
{
    char row = Journal.rows[i];
    int replacing = row != RowRemoved && FileIsThere(Copy[i]);
    /* a target not yet moved aside is the old file */
    if ((row == RowRemoved || (row == RowReplaced && replacing)) && FileIsThere(Target[i]) &&
        !FileIsThere(Old[i]))
        Move(Target[i], Old[i]);
    if (replacing)
        Move(Copy[i], Target[i]);
    return DeleteOld(Old[i]);
}

void CommitChanges(void)
{
    int left = 0;
    for (size_t i = 0; Stage == 2 && i < kProductFileCount; i++) {
        if (Leaves(i) && !DeleteOld(Old[i]))
            left = 1;
    }
    if (Stage == 2 && !left)
        DeleteIfThere(JournalFile);
    Stage = 0;
    KeyCount = 0;
    KeyValuesUsed = 0;
    CreatedFolder[0] = '\0';
}

int RememberKey(HKEY root, const char *path)
{
    for (size_t i = 0; i < KeyCount; i++) {
        if (Keys[i].root == root && lstrcmpiA(Keys[i].path, path) == 0)
            return MayChange();
    }
    if (KeyCount == sizeof(Keys) / sizeof(Keys[0]) || !MayChange())
        return 0;
    RememberedKey *remembered = &Keys[KeyCount];
    remembered->root = root;
    remembered->path = path;
    remembered->start = remembered->end = KeyValuesUsed;
    HKEY key;
    LONG status = RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key);
    remembered->existed = status == ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) {
        KeyCount += status == ERROR_FILE_NOT_FOUND;
        return status == ERROR_FILE_NOT_FOUND;
    }
    size_t used = KeyValuesUsed;
    for (DWORD index = 0;; index++) {
        /* name with its NUL, type, size, data */
        char *name = (char *)KeyValues + used;
        size_t room = sizeof(KeyValues) - used;
        DWORD nameRoom = room < 256 ? (DWORD)room : 256, nameLength = nameRoom;
        DWORD type = 0, size = 0;
        status = RegEnumValueA(key, index, name, &nameLength, NULL, &type, NULL, &size);
        if (status != ERROR_SUCCESS)
            break;
        size_t header = used + nameLength + 1;
        if (header + 8 + size > sizeof(KeyValues)) {
            status = ERROR_MORE_DATA;
            break;
        }
        nameLength = nameRoom;
        status = RegEnumValueA(key, index, name, &nameLength, NULL, &type, KeyValues + header + 8,
                               &size);
        if (status != ERROR_SUCCESS)
            break;
        memcpy(KeyValues + header, &type, 4);
        memcpy(KeyValues + header + 4, &size, 4);
        used = header + 8 + size;
    }
    RegCloseKey(key);
    if (status != ERROR_NO_MORE_ITEMS) {
        LogError("レジストリ読み込み", path, (DWORD)status);
        return 0;
    }
    remembered->end = KeyValuesUsed = used;
    KeyCount++;
    return 1;
}

/* a remembered key as it was: the key deleted, then made again with its
   values where there was one */
static void RestoreKey(const RememberedKey *remembered)
{
    HKEY key;
    /* gone with whatever the run wrote there; one that keeps a key below
       it keeps its values too, and gets the remembered ones over them */
    RegDeleteKeyA(remembered->root, remembered->path);
    if (!remembered->existed)
        return;
    if (RegCreateKeyExA(remembered->root, remembered->path, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS) {
        LogFailure("元に戻す", remembered->path);
        return;
    }
    for (size_t at = remembered->start; at < remembered->end;) {
        const char *valueName = (const char *)KeyValues + at;
        size_t header = at + strlen(valueName) + 1;
        DWORD type, size;
        memcpy(&type, KeyValues + header, 4);
        memcpy(&size, KeyValues + header + 4, 4);
        RegSetValueExA(key, valueName, 0, type, KeyValues + header + 8, size);
        at = header + 8 + size;
    }
    RegCloseKey(key);
    LogLine(LOG_PUT_BACK "%s", remembered->path);
}

void UndoChanges(void)
{
    int ok = 1;
    if (Stage > 0) {
        LogLine(LOG_PUT_BACK "%s", InstallPath);
        for (size_t i = 0; i < kProductFileCount; i++)
            ok = RollBack(i) && ok;
        /* kept where an old file could not be put back, for the next run */
        if (Stage == 2 && ok)
            DeleteIfThere(JournalFile);
    }
    while (KeyCount > 0)
        RestoreKey(&Keys[--KeyCount]);
    KeyValuesUsed = 0;
    Stage = 0;
    ReleaseInstallFolder();
    RemoveCreatedFolders();
}

int RecoverInterruptedChanges(int recorded, unsigned long version)
{
    char data[JOURNAL_MAX_SIZE + 1];
    DWORD read = 0;
    if (!BeginChanges(JournalChange))
        return 1;
    /* without a journal, a run killed before it: only new files, never
       swapped, which go as a row outside the journal's goes */
    HANDLE file =
        CreateFileA(JournalFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    int journal = file != INVALID_HANDLE_VALUE;
    /* its rows are taken as the table's: one of other names, or of more
       or fewer (no name is empty), is not acted on */
    int whole = journal && ReadFile(file, data, sizeof(data), &read, NULL) &&
                ParseJournal(data, read, &Journal, &Found) &&
                memcmp(Found.names, Journal.names, sizeof(Journal.names)) == 0;
    if (whole)
        Journal = Found;
    if (journal)
        CloseHandle(file);
    int committed = Journal.operation == JournalChange ? recorded && version == Journal.version
                                                       : !recorded;
    int ok = whole || !journal, left = 0;
    if (whole)
        LogLine(committed ? LOG_FINISHED_INTERRUPTED "%s" : LOG_UNDID_INTERRUPTED "%s",
                InstallPath);
    for (size_t i = 0; ok && i < kProductFileCount; i++) {
        if (whole && committed)
            left = !RollForward(i) || left;
        else
            ok = RollBack(i) && ok;
    }
    if (!ok) {
        /* left as it is for someone to look at: the log names its files */
        LogLine(LOG_JOURNAL_NOT_WHOLE "%s", JournalFile);
        for (size_t i = 0; i < 2 * kProductFileCount; i++) {
            const char *path = i % 2 ? Old[i / 2] : Copy[i / 2];
            if (FileIsThere(path))
                LogLine(LOG_TEMPORARY_FILE "%s", path);
        }
    } else if (!left) {
        DeleteIfThere(JournalFile);
    }
    BeginChanges(Journal.operation);
    return ok;
}
