/*
 * Setup's entry and lifecycle: the guard mutex that keeps Setup from
 * running beside the main program, a Helper or another Setup, the hidden
 * window in whose creation the whole run happens (mode decision, then the
 * newer version notice or the wizard), and the opening of the install
 * folder after a completed run. The message loop only drains the quit
 * message.
 */
#include "setup.h"

#include <shellapi.h>

#include "../common/dllsearch.h"
#include "../common/text.h"

static const char kRunningText[] =
    "システムは Quorvane を実行中です。\r\n"
    "セットアップを行う前に、Quorvane を終了してください。";
static const char kUsageText[] =
    "Setup.exe [/S [/UNINSTALL]] [/LOG=ファイル] [/D=フォルダ]\r\n"
    "\r\n"
    "/S\tウィンドウを表示せずに実行します。記録がなければインストールし、"
    "古いバージョンの記録があればアップデートします。\r\n"
    "/UNINSTALL\t/S と一緒に指定すると、アンインストールします。\r\n"
    "/D=フォルダ\t/S でインストールするときのセットアップ先フォルダです。"
    "最後に指定してください。\r\n"
    "/LOG=ファイル\t実行の記録をファイルに追加します。\r\n"
    "/?\tこの説明を表示します。\r\n"
    "\r\n"
    "終了コード: 0 完了 (または何もする必要がない)、1 Quorvane の実行中、-1 エラー";
static const char kNewerText[] =
    "より新しいバージョンの Quorvane がすでにセットアップされています。\r\n"
    "セットアップを終了します。";

/* the install folder in a folder window, for what the user may want to
   do there next. Only ever a folder window: the recorded path may name
   anything, and this Setup runs as administrator. Not reported when it
   fails: the run itself is complete. */
static void OpenInstallFolder(HWND hwnd)
{
    typedef BOOL(WINAPI * ShellExecuteExAProc)(SHELLEXECUTEINFOA *);
    /* a file's path with a backslash after it opens nothing */
    if (!EndsWithBackslash(InstallPath) || !IsExistingFolder(InstallPath))
        return;
    ShellExecuteExAProc shellExecuteEx =
        LOAD_SYSTEM_PROC(ShellExecuteExAProc, "shell32.dll", "ShellExecuteExA");
    if (shellExecuteEx == NULL)
        return;
    SHELLEXECUTEINFOA info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = hwnd;
    info.lpVerb = "explore";
    info.lpFile = InstallPath;
    info.nShow = SW_SHOWNORMAL;
    shellExecuteEx(&info);
}

/* Helper holds its mutex from start to end; Setup would replace or
   delete Helper.exe under it */
static int HelperIsRunning(void)
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, QV_HELPER_MUTEX);
    if (mutex == NULL)
        return 0;
    CloseHandle(mutex);
    return 1;
}

static LRESULT OnCreate(HWND hwnd)
{
    HINSTANCE instance = (HINSTANCE)GetWindowLongA(hwnd, GWL_HINSTANCE);

    DecideSetupMode();
    if (SetupMode == NewerInstalled) {
        SetupBox(hwnd, kNewerText, MB_ICONINFORMATION);
        DestroyWindow(hwnd);
        return 0;
    }
    /* a Unicode dialog, so that its folder box holds any name the user
       types or browses to, and a name code page 932 cannot hold is seen */
    INT_PTR result =
        DialogBoxParamW(instance, L"SETUPMAIN", hwnd, SetupDlgProc, 0);
    if (result == 1)
        OpenInstallFolder(hwnd);
    DestroyWindow(hwnd);
    return 0;
}

LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT message, WPARAM wParam,
                              LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(hwnd);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR, int)
{
    RestrictDllSearchPath();

    struct SetupSwitches switches;
    ReadSetupSwitches(&switches);
    /* whoever asks for the switches is at the screen, /S or not */
    if (switches.help) {
        SetupBox(NULL, kUsageText, MB_ICONINFORMATION);
        return 0;
    }
    SilentRun = switches.silent;
    if (switches.log[0] != '\0')
        OpenSetupLog(switches.log);
    LogLine("開始: Quorvane セットアップ %s、コマンド ライン %s", QV_VERSION_TEXT,
            GetCommandLineA());

    SetLastError(0);
    HANDLE mutex = CreateMutexA(NULL, TRUE, QV_GUARD_MUTEX);
    if (GetLastError() != 0 || HelperIsRunning()) {
        SetupBox(NULL, kRunningText, MB_ICONERROR);
        return EndRun(1);
    }
    if (SilentRun) {
        int result = RunSilently(&switches);
        ReleaseMutex(mutex);
        return EndRun(result);
    }

    if (hPrevInstance == NULL) {
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof(wc));
        wc.lpfnWndProc = SetupWndProc;
        wc.hInstance = hInstance;
        wc.lpszClassName = SETUP_WINDOW_CLASS;
        if (!RegisterClassA(&wc))
            return EndRun(0);
    }

    HWND hwnd = CreateWindowExA(0, SETUP_WINDOW_CLASS, NULL,
                                WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                CW_USEDEFAULT, 0, 0, NULL, NULL, hInstance,
                                NULL);
    /* by now the window normally no longer exists; both calls then do
       nothing */
    ShowWindow(hwnd, SW_HIDE);
    UpdateWindow(hwnd);

    MSG msg;
    msg.wParam = 0;
    if (hwnd == NULL && !PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT,
                                      PM_NOREMOVE)) {
        /* the window could not even be created: no quit message will
           come, and waiting for one would hang */
        ReleaseMutex(mutex);
        return EndRun(0);
    }
    while (GetMessageA(&msg, NULL, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ReleaseMutex(mutex);
    return EndRun((int)msg.wParam);
}
