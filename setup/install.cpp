/*
 * Install and update: checking and creating the install folder, copying
 * the product files from the setup media (the current directory), creating
 * the empty data files, seeding the settings and recording the
 * installation. Nothing is undone on failure; the registry is written only
 * after every copy succeeded.
 *
 * Every path is composed in a MAX_PATH buffer. A folder whose composed
 * paths would not fit is refused in the wizard before anything is created;
 * a recorded folder that does not fit ends the update before the first copy.
 */
#include "install.h"
#include "resource.h"
#include "setup.h"
#include "../common/text.h"

struct CopyRow {
    const char *source;
    const char *target;
};

/* copied in this order; the media names end in "_" and are copied byte
   for byte, not expanded */
static const CopyRow kCopyTable[] = {
    {"Quorvane.ex_", QV_MAIN_EXE},   {"Quorvane.hl_", "Quorvane.hlp"},
    {"Quorvane.cn_", "Quorvane.cnt"}, {"Readme.txt", "Readme.txt"},
    {QV_SETUP_EXE, QV_SETUP_EXE},    {"Helper.ex_", QV_HELPER_EXE},
};

/* every name Setup composes below the install folder */
static const char *const kFolderNames[] = {
    QV_MAIN_EXE,   "Quorvane.hlp",  "Quorvane.cnt", "Readme.txt",
    QV_SETUP_EXE,  QV_HELPER_EXE,   "NoTitle.set",  QV_KEYWORD_FILE,
    "Quorvane.GID",
};

static const char kFolderPrompt[] = "セットアップ先フォルダを指定してください。";

int ComposeInstallFile(char *out, const char *folder, const char *name)
{
    char base[MAX_PATH];
    if (!CopyText(base, sizeof(base), folder) ||
        !AppendBackslash(base, sizeof(base)))
        return 0;
    return JoinText(out, MAX_PATH, base, name);
}

int InstallFolderFits(const char *folder)
{
    char path[MAX_PATH];
    for (size_t i = 0; i < sizeof(kFolderNames) / sizeof(kFolderNames[0]);
         i++) {
        if (!ComposeInstallFile(path, folder, kFolderNames[i]))
            return 0;
    }
    return 1;
}

/* an empty file; an existing one is replaced unless keepExisting */
static void CreateEmptyFile(const char *name, int keepExisting)
{
    char path[MAX_PATH];
    if (!ComposeInstallFile(path, InstallPath, name))
        return;
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, keepExisting ? CREATE_NEW : CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

int IsExistingFolder(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int CreateFolderChain(const char *path)
{
    char buffer[MAX_PATH];
    int result = 0;

    if (!CopyText(buffer, sizeof(buffer), path) ||
        !AppendBackslash(buffer, sizeof(buffer)))
        return 0;
    for (char *p = (char *)FindBackslash(buffer); p != NULL;
         p = (char *)FindBackslash(p + 1)) {
        char saved = p[1];
        p[1] = '\0';
        if (!IsExistingFolder(buffer))
            result = CreateDirectoryA(buffer, NULL) ? 1 : 0;
        p[1] = saved;
    }
    return result;
}

void CopyProductFiles(void)
{
    char target[MAX_PATH];

    if (!InstallFolderFits(InstallPath) ||
        !AppendBackslash(InstallPath, sizeof(InstallPath)))
        FatalSetupError();
    for (size_t i = 0; i < sizeof(kCopyTable) / sizeof(kCopyTable[0]); i++) {
        if (!JoinText(target, sizeof(target), InstallPath,
                      kCopyTable[i].target) ||
            !CopyFileA(kCopyTable[i].source, target, FALSE))
            FatalSetupError();
    }
    CreateEmptyFile("NoTitle.set", 0);
}

static void ShowFolderPage(HWND hwnd)
{
    SetDlgItemTextA(hwnd, IDC_PAGE_MESSAGE, kFolderPrompt);
    SetDlgItemTextA(hwnd, IDC_FOLDER_EDIT, SETUP_DEFAULT_FOLDER);
    ShowWindow(GetDlgItem(hwnd, IDC_FOLDER_EDIT), SW_SHOW);
    ShowWindow(GetDlgItem(hwnd, IDC_BROWSE), SW_SHOW);
    FolderPageShown = 1;
}

void InstallStep(HWND hwnd)
{
    if (!FolderPageShown) {
        ShowFolderPage(hwnd);
        return;
    }

    GetDlgItemTextA(hwnd, IDC_FOLDER_EDIT, InstallPath, MAX_PATH);
    if (lstrlenA(InstallPath) < 3 || !InstallFolderFits(InstallPath)) {
        MessageBoxA(hwnd, kFolderPrompt, SETUP_CAPTION, MB_ICONWARNING);
        return;
    }
    if (!IsExistingFolder(InstallPath)) {
        if (MessageBoxA(hwnd, "指定したフォルダは存在しません。作成しますか?",
                        SETUP_CAPTION, MB_ICONQUESTION | MB_YESNO) != IDYES)
            return;
        if (!CreateFolderChain(InstallPath)) {
            MessageBoxA(hwnd,
                        "フォルダ名が不正です。フォルダの作成に失敗しました。",
                        SETUP_CAPTION, MB_ICONERROR);
            return;
        }
    }

    CopyProductFiles();
    /* an existing keyword file holds the user's keywords: it stays */
    CreateEmptyFile(QV_KEYWORD_FILE, 1);
    SeedSettings();
    RegisterUninstallEntry();
    MessageBoxA(hwnd, "セットアップは正常に完了しました。", SETUP_CAPTION,
                MB_ICONINFORMATION);
    EndDialog(hwnd, 1);
}

void UpdateAction(HWND hwnd)
{
    char path[MAX_PATH];

    CopyProductFiles();
    SeedSettings();
    /* the help index is rebuilt from the new help files */
    if (ComposeInstallFile(path, InstallPath, "Quorvane.GID"))
        DeleteFileA(path);
    MessageBoxA(hwnd, "アップデートは正常に完了しました。", SETUP_CAPTION,
                MB_ICONINFORMATION);
}
