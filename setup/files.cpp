/*
 * What an install, an update and an uninstall do with the files of the
 * install folder, row by row of the product-file table (files.h). Every
 * path is composed in a MAX_PATH buffer below InstallPath, and nothing is
 * composed while InstallPath lacks its backslash (a recorded folder that
 * could not take one).
 *
 * An install or update changes the folder all or nothing. First every new
 * file is made beside its target under a temporary name (the copies from
 * the media, and the empty data files); then every target that exists is
 * checked to be replaceable, so that a file in use is found before
 * anything changes; then a journal records which targets existed, and
 * each target is swapped for its new copy by renames, the old file kept
 * under a temporary name. Only after the installation record is written
 * are the old files deleted (CommitFileChanges). A run that ends any
 * other way puts back what was there (UndoFileChanges, from ExitRun), and
 * a run that was killed is finished or undone by the next one in that
 * folder, from the journal and the temporary names it finds.
 *
 * The media is the folder Setup.exe runs from, never the current
 * directory: a shortcut or a command prompt may start Setup anywhere, and
 * whatever files of the media's names lie there are not the product.
 */
#include "setup.h"

#include <string.h>

#include "files.h"
#include "../common/ansi.h"
#include "../common/text.h"
#include "texts.h"

/* the temporary names beside a target: its new copy, and the old file
   while the swap is not yet committed */
static const char kNewSuffix[] = FILE_NEW_SUFFIX;
static const char kOldSuffix[] = FILE_OLD_SUFFIX;
/* a row's state in the journal */
enum { JournalExisted = '1', JournalAbsent = '0', JournalOutside = '-' };

/* Process-wide state of the changes under way, written and read here
   and by UndoFileChanges (from ExitRun): */
/* 0 nothing to undo; 1 new copies made; 2 the journal written, and the
   targets possibly swapped */
static int Pending;
/* per row, what the journal says (or will say) */
static char Journal[kProductFileCount];
/* the folder of Setup.exe, ending in its separator; set by
   ReadMediaFolder */
static char MediaFolder[MAX_PATH];

int AddInstallPathBackslash(void)
{
    return AppendBackslash(InstallPath, sizeof(InstallPath));
}

int ComposeInstallFile(char *out, size_t size, const char *name)
{
    if (!EndsWithBackslash(InstallPath)) {
        out[0] = '\0';
        return 0;
    }
    /* MAX_PATH at most, whatever the buffer: the ANSI file functions
       take no longer path */
    return JoinText(out, size < MAX_PATH ? size : MAX_PATH, InstallPath, name);
}

/* out (MAX_PATH bytes) = InstallPath + name + suffix */
static int ComposeTemporary(char *out, const char *name, const char *suffix)
{
    return ComposeInstallFile(out, MAX_PATH, name) && JoinText(out, MAX_PATH, out, suffix);
}

int ProductFilesFit(void)
{
    char path[MAX_PATH];
    for (size_t i = 0; i < kProductFileCount; i++) {
        /* both temporary names are as long */
        if (!ComposeTemporary(path, kProductFiles[i].name, kNewSuffix))
            return 0;
    }
    return ComposeInstallFile(path, sizeof(path), FILE_SWAP_JOURNAL);
}

/* the media's folder, from the program's wide path: the ANSI one would
   hold a look-alike for a character code page 932 cannot hold (C:\m¥x\
   would be C:\m\x\, another folder). Ends the run when it cannot be
   named */
static void ReadMediaFolder(HWND owner)
{
    wchar_t wide[MAX_PATH];
    char module[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, wide, MAX_PATH);
    if (n > 0 && n < MAX_PATH && WideToAnsi(wide, module, sizeof(module)) &&
        SplitModuleFolder(module, MediaFolder, sizeof(MediaFolder)))
        return;
    SetupBox(owner, SETUP_MEDIA_NAME_TEXT, MB_ICONERROR);
    ExitRun(RunFailed);
}

/* the volume and index that tell one file from another, whatever the
   spelling of its path (case, short names, "..") */
static int ReadFileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int ok = GetFileInformationByHandle(file, info) ? 1 : 0;
    CloseHandle(file);
    return ok;
}

static int IsSameFile(const char *first, const char *second)
{
    BY_HANDLE_FILE_INFORMATION a, b;
    return ReadFileIdentity(first, &a) && ReadFileIdentity(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

static int FileIsThere(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

/* a product file is never read-only, hidden or system: from a disc it
   would be, and Windows would then refuse to replace or delete it */
static void ClearAttributes(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    const DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKept) != 0)
        SetFileAttributesA(path, attributes & ~kKept);
}

static void DeleteIfThere(const char *path)
{
    if (FileIsThere(path) && DeleteFileA(path))
        LogLine("削除: %s", path);
}

/* the Retry/Cancel box for a target another program holds; 1 for Retry */
static int AskToRetryInUse(HWND owner, const char *target)
{
    char text[sizeof(SETUP_IN_USE_BEFORE) + MAX_PATH + sizeof(SETUP_IN_USE_AFTER)];
    JoinText(text, sizeof(text), SETUP_IN_USE_BEFORE, target);
    JoinText(text, sizeof(text), text, SETUP_IN_USE_AFTER);
    return SetupBox(owner, text, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

/* an existing target, checked to be replaceable: opened for deletion with
   no one else sharing it. A program that holds it may be closed and the
   check retried; no one can press Retry in a silent run, which ends at
   once for the deployment tool to try again later. Access denied is no
   program's doing, and a retry would never end */
static void WaitUntilReplaceable(HWND owner, const char *path)
{
    if (!FileIsThere(path))
        return;
    ClearAttributes(path);
    for (;;) {
        HANDLE file = CreateFileA(path, DELETE, 0, NULL, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return;
        }
        DWORD error = GetLastError();
        LogFailure("置き換えの確認", path);
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
            FatalSetupError();
        if (SilentRun) {
            AskToRetryInUse(owner, path);
            ExitRun(RunBusy);
        }
        if (!AskToRetryInUse(owner, path))
            FatalSetupError();
    }
}

/* the new copy of a file from the media beside its target; 0 when the
   target is the media file itself (Setup installing into its own media
   folder), which then stays as it is */
static int CopyNewFile(const ProductFile *file, const char *target, const char *copy)
{
    char source[MAX_PATH];
    if (!JoinText(source, sizeof(source), MediaFolder, file->mediaName))
        FatalSetupError();
    if (IsSameFile(source, target)) {
        LogLine("そのまま: %s", target);
        return 0;
    }
    Pending = Pending > 1 ? Pending : 1;
    if (!CopyFileA(source, copy, FALSE)) {
        LogFailure("コピー", target);
        FatalSetupError();
    }
    ClearAttributes(copy);
    LogLine("コピー: %s → %s", source, target);
    return 1;
}

/* an empty new file beside its target; 0 when it cannot be made */
static int CreateNewEmptyFile(const char *target, const char *copy)
{
    Pending = Pending > 1 ? Pending : 1;
    HANDLE file = CreateFileA(copy, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        LogFailure("作成", target);
        return 0;
    }
    CloseHandle(file);
    LogLine("作成: %s", target);
    return 1;
}

/* one row's new file, if the step makes one; 1 when the row takes part
   in the swap */
static int PrepareRow(const ProductFile *file, FileStep step)
{
    char target[MAX_PATH], copy[MAX_PATH];
    if (step == KeepFile || !ComposeInstallFile(target, sizeof(target), file->name) ||
        !ComposeTemporary(copy, file->name, kNewSuffix))
        return 0;
    switch (step) {
    case CopyFromMedia:
        return CopyNewFile(file, target, copy);
    case CreateEmpty:
        /* the main program makes its settings anew without one */
        return CreateNewEmptyFile(target, copy);
    case CreateIfMissing: {
        /* the main program and Helper need the keyword file; an existing
           one holds the user's keywords */
        DWORD attributes = GetFileAttributesA(target);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            LogLine("失敗: %s はフォルダです", target);
            FatalSetupError();
        }
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            LogLine("そのまま: %s", target);
            return 0;
        }
        if (!CreateNewEmptyFile(target, copy))
            FatalSetupError();
        return 1;
    }
    case RemoveFile:
        /* swapped out, and deleted with the old files */
        return FileIsThere(target);
    case KeepFile:
        break;
    }
    return 0;
}

static void WriteJournal(void)
{
    char path[MAX_PATH];
    DWORD written = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (ComposeInstallFile(path, sizeof(path), FILE_SWAP_JOURNAL))
        file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, NULL);
    Pending = 2;
    int ok = file != INVALID_HANDLE_VALUE &&
             WriteFile(file, Journal, sizeof(Journal), &written, NULL) &&
             written == sizeof(Journal);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!ok) {
        LogFailure("作成", path);
        FatalSetupError();
    }
}

/* the journal as the folder holds it; 0 without a whole one */
static int ReadJournal(void)
{
    char path[MAX_PATH], data[kProductFileCount + 1];
    DWORD read = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (ComposeInstallFile(path, sizeof(path), FILE_SWAP_JOURNAL))
        file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int ok = ReadFile(file, data, sizeof(data), &read, NULL) && read == kProductFileCount;
    CloseHandle(file);
    for (size_t i = 0; ok && i < kProductFileCount; i++)
        ok = data[i] == JournalExisted || data[i] == JournalAbsent || data[i] == JournalOutside;
    if (ok)
        memcpy(Journal, data, sizeof(Journal));
    return ok;
}

static void MoveOrDie(const char *from, const char *to)
{
    if (!MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        LogFailure("名前の変更", from);
        FatalSetupError();
    }
}

/* every target of the journal swapped for its new copy, the old one
   kept */
static void SwapTargets(void)
{
    WriteJournal();
    for (size_t i = 0; i < kProductFileCount; i++) {
        char target[MAX_PATH], copy[MAX_PATH], old[MAX_PATH];
        if (Journal[i] == JournalOutside ||
            !ComposeInstallFile(target, sizeof(target), kProductFiles[i].name) ||
            !ComposeTemporary(copy, kProductFiles[i].name, kNewSuffix) ||
            !ComposeTemporary(old, kProductFiles[i].name, kOldSuffix))
            continue;
        if (Journal[i] == JournalExisted)
            MoveOrDie(target, old);
        /* a file swapped out (the help index) has no new copy */
        if (FileIsThere(copy))
            MoveOrDie(copy, target);
    }
}

/* what the journal's run left, put back: old files restored, new ones
   and new copies gone */
static void PutBackRow(size_t i)
{
    char target[MAX_PATH], copy[MAX_PATH], old[MAX_PATH];
    const char *name = kProductFiles[i].name;
    if (!ComposeInstallFile(target, sizeof(target), name) ||
        !ComposeTemporary(copy, name, kNewSuffix) || !ComposeTemporary(old, name, kOldSuffix))
        return;
    if (Pending == 2 && Journal[i] == JournalExisted && FileIsThere(old)) {
        if (MoveFileExA(old, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            LogLine("元に戻す: %s", target);
        else
            LogFailure("元に戻す", target);
    } else if (Pending == 2 && Journal[i] == JournalAbsent && !FileIsThere(copy)) {
        /* made by this run, where nothing was */
        DeleteIfThere(target);
    }
    DeleteIfThere(copy);
}

/* the folders this install created, deepest first, while they are empty */
static void RemoveCreatedFolders(void)
{
    char folder[MAX_PATH];
    if (CreatedFolder[0] == '\0' || !CopyText(folder, sizeof(folder), InstallPath))
        return;
    for (;;) {
        if (RemoveDirectoryA(folder))
            LogLine("フォルダの削除: %s", folder);
        if (lstrcmpiA(folder, CreatedFolder) == 0 || lstrlenA(folder) <= lstrlenA(CreatedFolder))
            break;
        /* up one folder: cut after the backslash before the last one */
        char *last = (char *)LastCharacter(folder);
        *last = '\0';
        *(char *)LastPathComponent(folder) = '\0';
    }
    CreatedFolder[0] = '\0';
}

static void DeleteJournal(void)
{
    char path[MAX_PATH];
    if (ComposeInstallFile(path, sizeof(path), FILE_SWAP_JOURNAL))
        DeleteFileA(path);
}

void UndoFileChanges(void)
{
    if (Pending != 0) {
        LogLine("元に戻す: %s の変更", InstallPath);
        for (size_t i = 0; i < kProductFileCount; i++)
            PutBackRow(i);
        if (Pending == 2)
            DeleteJournal();
        Pending = 0;
    }
    RemoveCreatedFolders();
}

void CommitFileChanges(void)
{
    for (size_t i = 0; Pending == 2 && i < kProductFileCount; i++) {
        char old[MAX_PATH];
        if (Journal[i] == JournalExisted && ComposeTemporary(old, kProductFiles[i].name, kOldSuffix))
            DeleteIfThere(old);
    }
    if (Pending == 2)
        DeleteJournal();
    Pending = 0;
    CreatedFolder[0] = '\0';
}

void RecoverInterruptedChanges(void)
{
    int hasJournal = ReadJournal();
    int unswapped = 0;
    for (size_t i = 0; i < kProductFileCount; i++) {
        char copy[MAX_PATH];
        if (ComposeTemporary(copy, kProductFiles[i].name, kNewSuffix) && FileIsThere(copy))
            unswapped = 1;
    }
    if (!hasJournal && !unswapped)
        return;
    Pending = hasJournal ? 2 : 1;
    /* every target swapped: only the old files were left to delete */
    if (hasJournal && !unswapped) {
        LogLine("中断された変更を完了します: %s", InstallPath);
        CommitFileChanges();
        return;
    }
    LogLine("中断された変更を元に戻します: %s", InstallPath);
    for (size_t i = 0; i < kProductFileCount; i++)
        PutBackRow(i);
    if (hasJournal)
        DeleteJournal();
    Pending = 0;
}

/* a data file the main program and Helper write, writable for Users
   also where an earlier Setup left it without the entry */
static void LetUsersWriteDataFile(const ProductFile *file)
{
    char path[MAX_PATH];
    if (!ComposeInstallFile(path, sizeof(path), file->name) || !FileIsThere(path))
        return;
    if (LetUsersWrite(path))
        LogLine("アクセス許可: %s (Users: 読み取りと書き込み)", path);
    else
        LogFailure("アクセス許可", path);
}

void CopyProductFiles(HWND owner)
{
    FileOperation operation = SetupMode == Update ? UpdateFiles : InstallFiles;
    /* nothing is copied into a folder where one of the files would not
       fit, the temporary ones included */
    if (!ProductFilesFit())
        FatalSetupError();
    ReadMediaFolder(owner);
    RecoverInterruptedChanges();
    for (size_t i = 0; i < kProductFileCount; i++) {
        int swapped = PrepareRow(&kProductFiles[i], kProductFiles[i].step[operation]);
        Journal[i] = (char)JournalOutside;
        if (swapped) {
            char target[MAX_PATH];
            ComposeInstallFile(target, sizeof(target), kProductFiles[i].name);
            Journal[i] = (char)(FileIsThere(target) ? JournalExisted : JournalAbsent);
        }
    }
    /* a file in use is found before anything changes */
    for (size_t i = 0; i < kProductFileCount; i++) {
        char target[MAX_PATH];
        if (Journal[i] == JournalExisted &&
            ComposeInstallFile(target, sizeof(target), kProductFiles[i].name))
            WaitUntilReplaceable(owner, target);
    }
    SwapTargets();
    for (size_t i = 0; i < kProductFileCount; i++) {
        if (kProductFiles[i].usersWrite)
            LetUsersWriteDataFile(&kProductFiles[i]);
    }
}

int DeleteProductFiles(HWND owner)
{
    char paths[kProductFileCount][MAX_PATH];
    int skipped = 0;
    RecoverInterruptedChanges();
    /* a file in use is found before anything is deleted */
    for (size_t i = 0; i < kProductFileCount; i++) {
        paths[i][0] = '\0';
        if (kProductFiles[i].step[UninstallFiles] == RemoveFile &&
            ComposeInstallFile(paths[i], MAX_PATH, kProductFiles[i].name))
            WaitUntilReplaceable(owner, paths[i]);
    }
    for (size_t i = 0; i < kProductFileCount; i++) {
        if (paths[i][0] == '\0' || DeleteFileA(paths[i])) {
            if (paths[i][0] != '\0')
                LogLine("削除: %s", paths[i]);
            continue;
        }
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            LogError("削除", paths[i], error);
            skipped++;
        }
    }
    return skipped;
}
