/*
 * What an install, an update and an uninstall do with the files of the
 * install folder, row by row of the product-file table (files.h): the
 * copies, the data files, the length check of a folder and the
 * deletions. Every path is composed in a MAX_PATH buffer below
 * InstallPath, and nothing is composed while InstallPath lacks its
 * backslash (a recorded folder that could not take one).
 *
 * The media is the folder Setup.exe runs from, never the current
 * directory: a shortcut or a command prompt may start Setup anywhere, and
 * whatever files of the media's names lie there are not the product.
 */
#include "setup.h"
#include "files.h"
#include "../common/text.h"
#include "texts.h"

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

int ProductFilesFit(void)
{
    char path[MAX_PATH];
    for (size_t i = 0; i < kProductFileCount; i++) {
        if (!ComposeInstallFile(path, sizeof(path), kProductFiles[i].name))
            return 0;
    }
    return 1;
}

/* out (MAX_PATH bytes) = the folder of Setup.exe + name */
static int ComposeMediaFile(char *out, const char *name)
{
    char module[MAX_PATH], folder[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, module, sizeof(module));
    if (n == 0 || n >= sizeof(module) ||
        !SplitModuleFolder(module, folder, sizeof(folder)))
        return 0;
    return JoinText(out, MAX_PATH, folder, name);
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

/* the Retry/Cancel box for a target another program holds; 1 for Retry */
static int AskToRetryInUse(HWND owner, const char *target)
{
    char text[sizeof(SETUP_IN_USE_BEFORE) + MAX_PATH + sizeof(SETUP_IN_USE_AFTER)];
    JoinText(text, sizeof(text), SETUP_IN_USE_BEFORE, target);
    JoinText(text, sizeof(text), text, SETUP_IN_USE_AFTER);
    return SetupBox(owner, text, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

/* a program holds the target open: the user may close it and retry */
static int IsInUse(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

/* a copy from the media, retried while the target is in use and the user
   asks for it; installing into the media folder leaves its files where
   they are */
static void CopyFromMediaOrDie(HWND owner, const char *mediaName, const char *target)
{
    char source[MAX_PATH];
    if (!ComposeMediaFile(source, mediaName))
        FatalSetupError();
    if (IsSameFile(source, target)) {
        LogLine("そのまま: %s", target);
        return;
    }
    while (!CopyFileA(source, target, FALSE)) {
        DWORD error = GetLastError();
        LogFailure("コピー", target);
        /* access denied is no program's doing: a retry would never end */
        if (!IsInUse(error))
            FatalSetupError();
        /* no one can press Retry: the deployment tool tries again later */
        if (SilentRun) {
            AskToRetryInUse(owner, target);
            ExitRun(RunBusy);
        }
        if (!AskToRetryInUse(owner, target))
            FatalSetupError();
    }
    LogLine("コピー: %s → %s", source, target);
}

/* an empty file, replacing an existing one */
static void CreateEmptyFile(const char *path)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        LogFailure("作成", path);
        return;
    }
    CloseHandle(file);
    LogLine("作成: %s", path);
}

/* a file of that name, created empty where there was none; an existing
   file stays as it is, anything else ends the run */
static void CreateMissingFileOrDie(const char *path)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        LogLine("作成: %s", path);
        return;
    }
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        LogFailure("作成", path);
        FatalSetupError();
    }
    LogLine("そのまま: %s", path);
}

/* a file of the product gone; one that is not there is no failure */
static void RemoveProductFile(const char *path)
{
    if (DeleteFileA(path))
        LogLine("削除: %s", path);
    else if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
        LogFailure("削除", path);
}

static void ApplyFileStep(HWND owner, const ProductFile *file, FileStep step)
{
    char path[MAX_PATH];
    if (step == KeepFile)
        return;
    /* a name that does not fit below the folder: the copies were checked
       before the first one, and a deletion is skipped */
    if (!ComposeInstallFile(path, sizeof(path), file->name)) {
        if (step == CopyFromMedia)
            FatalSetupError();
        return;
    }
    switch (step) {
    case CopyFromMedia:
        CopyFromMediaOrDie(owner, file->mediaName, path);
        break;
    case CreateEmpty:
        CreateEmptyFile(path);
        break;
    case CreateIfMissing:
        /* the main program and Helper need the keyword file */
        CreateMissingFileOrDie(path);
        break;
    case RemoveFile:
        RemoveProductFile(path);
        break;
    case KeepFile:
        break;
    }
}

/* a data file the main program and Helper write, writable for Users
   also where an earlier Setup left it without the entry */
static void LetUsersWriteDataFile(const ProductFile *file)
{
    char path[MAX_PATH];
    if (!ComposeInstallFile(path, sizeof(path), file->name) ||
        GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return;
    if (LetUsersWrite(path))
        LogLine("アクセス許可: %s (Users: 読み取りと書き込み)", path);
    else
        LogFailure("アクセス許可", path);
}

/* every file's step for an install, an update or an uninstall, in table
   order */
static void ApplyFileSteps(HWND owner, FileOperation operation)
{
    for (size_t i = 0; i < kProductFileCount; i++) {
        ApplyFileStep(owner, &kProductFiles[i], kProductFiles[i].step[operation]);
        if (operation != UninstallFiles && kProductFiles[i].usersWrite)
            LetUsersWriteDataFile(&kProductFiles[i]);
    }
}

void CopyProductFiles(HWND owner)
{
    /* nothing is copied into a folder where one of the files would not
       fit */
    if (!ProductFilesFit())
        FatalSetupError();
    ApplyFileSteps(owner, SetupMode == Update ? UpdateFiles : InstallFiles);
}

void DeleteProductFiles(void)
{
    /* also a silent uninstall over an older version's record */
    ApplyFileSteps(NULL, UninstallFiles);
}
