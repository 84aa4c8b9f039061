/*
 * The files of the install folder, in one table: where each comes from
 * (a file of the setup media, or none) and what an install, an update and
 * an uninstall do with it. The copies, the data files, the length check of
 * a folder and the uninstall's deletions all read this table, in its
 * order. Every path is composed in a MAX_PATH buffer below InstallPath,
 * which ends in its backslash by the time anything here runs.
 */
#include "setup.h"
#include "../common/text.h"

/* what one run does with one file */
enum FileStep : unsigned char {
    KeepFile,         /* left as it is */
    CopyFromMedia,    /* copied from the media, replacing what is there */
    CreateEmpty,      /* created empty, replacing what is there */
    CreateIfMissing,  /* created empty where no file of that name is */
    RemoveFile        /* deleted when it is there */
};

struct ProductFile {
    /* the name on the media, NULL for a file the media does not carry;
       the media's program files end in "_" and are copied byte for byte,
       not expanded */
    const char *mediaName;
    const char *name;
    /* by SetupMode: Install, Update, Uninstall */
    FileStep step[3];
};

static const ProductFile kProductFiles[] = {
    {"Quorvane.ex_", QV_MAIN_EXE, {CopyFromMedia, CopyFromMedia, RemoveFile}},
    {"Quorvane.hl_", QV_HELP_FILE, {CopyFromMedia, CopyFromMedia, RemoveFile}},
    {"Quorvane.cn_", QV_HELP_CONTENTS_FILE, {CopyFromMedia, CopyFromMedia, RemoveFile}},
    {QV_README_FILE, QV_README_FILE, {CopyFromMedia, CopyFromMedia, RemoveFile}},
    /* the uninstall runs from this very file */
    {QV_SETUP_EXE, QV_SETUP_EXE, {CopyFromMedia, CopyFromMedia, KeepFile}},
    {"Helper.ex_", QV_HELPER_EXE, {CopyFromMedia, CopyFromMedia, RemoveFile}},
    /* the help system rebuilds its index from the new help files */
    {NULL, QV_HELP_INDEX_FILE, {KeepFile, RemoveFile, RemoveFile}},
    {NULL, QV_SETTINGS_FILE, {CreateEmpty, CreateEmpty, RemoveFile}},
    /* the user's keywords: an existing file stays, also at uninstall */
    {NULL, QV_KEYWORD_FILE, {CreateIfMissing, KeepFile, KeepFile}},
};

static const size_t kProductFileCount =
    sizeof(kProductFiles) / sizeof(kProductFiles[0]);

int AddInstallPathBackslash(void)
{
    return AppendBackslash(InstallPath, sizeof(InstallPath));
}

int ComposeInstallFile(char *out, const char *name)
{
    if (!EndsWithBackslash(InstallPath)) {
        out[0] = '\0';
        return 0;
    }
    return JoinText(out, MAX_PATH, InstallPath, name);
}

int ProductFilesFit(void)
{
    char path[MAX_PATH];
    for (size_t i = 0; i < kProductFileCount; i++) {
        if (!ComposeInstallFile(path, kProductFiles[i].name))
            return 0;
    }
    return 1;
}

/* an empty file; an existing one is replaced unless keepExisting */
static void CreateEmptyFile(const char *path, int keepExisting)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, keepExisting ? CREATE_NEW : CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

static void ApplyFileStep(const ProductFile *file, FileStep step)
{
    char path[MAX_PATH];
    if (step == KeepFile)
        return;
    /* a name that does not fit below the folder: the copies were checked
       before the first one, and a deletion is skipped */
    if (!ComposeInstallFile(path, file->name)) {
        if (step == CopyFromMedia)
            FatalSetupError();
        return;
    }
    switch (step) {
    case CopyFromMedia:
        if (!CopyFileA(file->mediaName, path, FALSE))
            FatalSetupError();
        break;
    case CreateEmpty:
        CreateEmptyFile(path, 0);
        break;
    case CreateIfMissing:
        CreateEmptyFile(path, 1);
        break;
    case RemoveFile:
        DeleteFileA(path);
        break;
    case KeepFile:
        break;
    }
}

/* every file's step for this run's mode, in table order */
static void ApplyFileSteps(void)
{
    if (SetupMode > Uninstall)
        return;
    for (size_t i = 0; i < kProductFileCount; i++)
        ApplyFileStep(&kProductFiles[i], kProductFiles[i].step[SetupMode]);
}

void CopyProductFiles(void)
{
    /* nothing is copied into a folder where one of the files would not
       fit */
    if (!ProductFilesFit())
        FatalSetupError();
    ApplyFileSteps();
}

void DeleteProductFiles(void)
{
    ApplyFileSteps();
}
