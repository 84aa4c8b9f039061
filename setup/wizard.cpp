/*
 * The wizard: one modal dialog from the template "SETUPMAIN" whose texts
 * follow the mode. Install mode has a welcome page and a folder page on the
 * same dialog; Update and Uninstall have one page. 続行 runs the mode's
 * operation, キャンセル (also Esc and the close box) ends the run after a
 * confirmation. The dialog ends with 1 when the operation completed and
 * with 2 after a confirmed cancel.
 */
#include "wizard.h"

#include <shlobj.h>

#include "ends.h"
#include "paths.h"
#include "resource.h"
#include "sequence.h"
#include "setup.h"
#include "systemdll.h"
#include "texts.h"
#include "../common/ansi.h"
#include "../common/center.h"

int FolderPageShown;

/* 1 while a click of 続行, キャンセル or 参照 is handled: a box without an
   owner leaves the wizard enabled behind it, and a second click must not
   start a second install inside the first */
static int Busy;

/* the large fonts of the product title and the mode word, created when
   the dialog opens and deleted when it is destroyed */
static HFONT TitleFont;
static HFONT ModeFont;

/* 32 pixels high at 96 DPI, and as much larger as the screen's DPI is:
   the dialog's own font grows with it */
static HFONT CreateLargeFont(HWND hwnd, int weight)
{
    HDC dc = GetDC(hwnd);
    int height = ((dc != NULL ? GetDeviceCaps(dc, LOGPIXELSY) : 96) * 32 + 48) / 96;
    if (dc != NULL)
        ReleaseDC(hwnd, dc);
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE,
                       ANSI_CHARSET, 0, 0, 0, 0, "Arial");
}

static void ApplyModeLayout(HWND hwnd)
{
    /* the folder controls belong to the install's folder page alone, and
       the note on what stays behind to the uninstall */
    ShowWindow(GetDlgItem(hwnd, IDC_FOLDER_EDIT), SW_HIDE);
    ShowWindow(GetDlgItem(hwnd, IDC_BROWSE), SW_HIDE);
    if (SetupMode != Uninstall)
        ShowWindow(GetDlgItem(hwnd, IDC_UNINSTALL_NOTE), SW_HIDE);
    if (SetupMode == Update) {
        SetDlgItemTextA(hwnd, IDC_MODE_WORD, SETUP_UPDATE_WORD);
        SetDlgItemTextA(hwnd, IDC_PAGE_MESSAGE, SETUP_UPDATE_MESSAGE);
    } else if (SetupMode == Uninstall) {
        SetDlgItemTextA(hwnd, IDC_MODE_WORD, SETUP_UNINSTALL_WORD);
        SetDlgItemTextA(hwnd, IDC_PAGE_MESSAGE, SETUP_UNINSTALL_MESSAGE);
    }
}

/* the shell's folder browser; 1 when the user chose a folder, whose path
   is then the folder page's text */
static int BrowseForInstallFolder(HWND hwnd)
{
    char displayName[MAX_PATH];
    BROWSEINFOA info;

    ZeroMemory(displayName, sizeof(displayName));
    ZeroMemory(&info, sizeof(info));
    info.hwndOwner = hwnd;
    info.pszDisplayName = displayName;
    info.lpszTitle = SETUP_FOLDER_PROMPT;
    info.ulFlags = BIF_RETURNONLYFSDIRS;

    typedef HRESULT(WINAPI * CoInitializeExProc)(LPVOID, DWORD);
    typedef void(WINAPI * CoUninitializeProc)(void);
    typedef void(WINAPI * CoTaskMemFreeProc)(LPVOID);
    typedef LPITEMIDLIST(WINAPI * SHBrowseForFolderAProc)(LPBROWSEINFOA);
    typedef BOOL(WINAPI * SHGetPathFromIDListWProc)(LPCITEMIDLIST, LPWSTR);
    CoInitializeExProc coInitializeEx =
        LOAD_SYSTEM_PROC(CoInitializeExProc, "ole32.dll", "CoInitializeEx");
    CoUninitializeProc coUninitialize =
        LOAD_SYSTEM_PROC(CoUninitializeProc, "ole32.dll", "CoUninitialize");
    CoTaskMemFreeProc coTaskMemFree =
        LOAD_SYSTEM_PROC(CoTaskMemFreeProc, "ole32.dll", "CoTaskMemFree");
    SHBrowseForFolderAProc browseForFolder =
        LOAD_SYSTEM_PROC(SHBrowseForFolderAProc, "shell32.dll", "SHBrowseForFolderA");
    SHGetPathFromIDListWProc getPathFromIdList =
        LOAD_SYSTEM_PROC(SHGetPathFromIDListWProc, "shell32.dll", "SHGetPathFromIDListW");
    if (coInitializeEx == NULL || coUninitialize == NULL || coTaskMemFree == NULL ||
        browseForFolder == NULL || getPathFromIdList == NULL)
        return 0;

    HRESULT com = coInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    LPITEMIDLIST list = browseForFolder(&info);
    int chosen = 0;
    if (list != NULL) {
        /* the real name, which the folder box's check then sees; the
           shell writes at most MAX_PATH characters */
        wchar_t path[MAX_PATH];
        chosen = getPathFromIdList(list, path);
        if (chosen)
            SetDlgItemTextW(hwnd, IDC_FOLDER_EDIT, path);
        coTaskMemFree(list);
    }
    if (SUCCEEDED(com))
        coUninitialize();
    return chosen;
}

static void ShowFolderPage(HWND hwnd)
{
    SetDlgItemTextA(hwnd, IDC_PAGE_MESSAGE, SETUP_FOLDER_PROMPT);
    SetDlgItemTextA(hwnd, IDC_FOLDER_EDIT, SETUP_DEFAULT_FOLDER);
    ShowWindow(GetDlgItem(hwnd, IDC_FOLDER_EDIT), SW_SHOW);
    ShowWindow(GetDlgItem(hwnd, IDC_BROWSE), SW_SHOW);
    FolderPageShown = 1;
}

/* 続行: the folder page of Install mode first, then the mode's action;
   a refused folder keeps the wizard on its folder page */
static void OnContinue(HWND hwnd)
{
    wchar_t wide[MAX_PATH + 1];
    /* each character of the box as one or two bytes */
    char typed[2 * MAX_PATH + 1];

    if (SetupMode == Install && !FolderPageShown) {
        ShowFolderPage(hwnd);
        return;
    }
    /* a text that fills the box beyond MAX_PATH - 1 characters is too
       long for any folder, and is never taken cut */
    typed[0] = '\0';
    if (SetupMode == Install &&
        GetDlgItemTextW(hwnd, IDC_FOLDER_EDIT, wide, MAX_PATH + 1) < MAX_PATH)
        MarkedAnsiText(wide, typed, sizeof(typed));
    int end = RunAction(hwnd, 0, typed);
    if (end == RunDone || end == RunRestart)
        EndDialog(hwnd, 1);
    else if (end != RunRefused)
        ExitRun(end);
}

static void OnCancel(HWND hwnd)
{
    if (SetupBox(hwnd, SETUP_CANCEL_QUESTION,
                 MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    SetupBox(hwnd, SETUP_CANCELLED_TEXT, MB_ICONINFORMATION);
    EndDialog(hwnd, 2);
}

static void OnInitDialog(HWND hwnd)
{
    CenterOnDesktop(hwnd);
    TitleFont = CreateLargeFont(hwnd, 700);
    ModeFont = CreateLargeFont(hwnd, 500);
    SendDlgItemMessageA(hwnd, IDC_PRODUCT_TITLE, WM_SETFONT,
                        (WPARAM)TitleFont, TRUE);
    SendDlgItemMessageA(hwnd, IDC_MODE_WORD, WM_SETFONT, (WPARAM)ModeFont,
                        TRUE);
    ApplyModeLayout(hwnd);
}


static INT_PTR OnCommand(HWND hwnd, WPARAM wParam)
{
    /* the whole wParam: only clicks (notification code 0) match */
    if (wParam != IDOK && wParam != IDCANCEL && wParam != IDC_BROWSE)
        return FALSE;
    if (Busy)
        return TRUE;
    Busy = 1;
    if (wParam == IDOK)
        OnContinue(hwnd);
    else if (wParam == IDCANCEL)
        OnCancel(hwnd);
    else
        BrowseForInstallFolder(hwnd);
    Busy = 0;
    return TRUE;
}

INT_PTR CALLBACK SetupDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(hwnd);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(hwnd, wParam);
    case WM_DESTROY:
        DeleteObject(TitleFont);
        DeleteObject(ModeFont);
        TitleFont = NULL;
        ModeFont = NULL;
        return TRUE;
    default:
        return FALSE;
    }
}
