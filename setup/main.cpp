/*
 * Setup's entry and lifecycle: the guard mutex that keeps Setup from
 * running beside the main program or another Setup, the hidden window in
 * whose creation the whole run happens (mode decision, then the newer
 * version notice or the wizard), and the opening of the install folder
 * after a completed run. The message loop only drains the quit message.
 */
#include "setup.h"

#include "../common/dllsearch.h"

static const char kRunningText[] =
    "システムは Quorvane を実行中です。\r\n"
    "セットアップを行う前に、Quorvane を終了してください。";
static const char kNewerText[] =
    "より新しいバージョンの Quorvane がすでにセットアップされています。\r\n"
    "セットアップを終了します。";

static LRESULT OnCreate(HWND hwnd)
{
    HINSTANCE instance = (HINSTANCE)GetWindowLongA(hwnd, GWL_HINSTANCE);

    DecideSetupMode();
    if (SetupMode == NewerInstalled) {
        MessageBoxA(hwnd, kNewerText, SETUP_CAPTION, MB_ICONINFORMATION);
        DestroyWindow(hwnd);
        return 0;
    }
    INT_PTR result =
        DialogBoxParamA(instance, "SETUPMAIN", hwnd, SetupDlgProc, 0);
    if (result == 1) {
        typedef HINSTANCE(WINAPI * ShellExecuteAProc)(HWND, LPCSTR, LPCSTR, LPCSTR,
                                                      LPCSTR, INT);
        ShellExecuteAProc shellExecute =
            LOAD_SYSTEM_PROC(ShellExecuteAProc, "shell32.dll", "ShellExecuteA");
        /* not reported: the run itself is complete */
        if (shellExecute != NULL)
            shellExecute(hwnd, "open", InstallPath, NULL, NULL, SW_SHOWNORMAL);
    }
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

    SetLastError(0);
    HANDLE mutex = CreateMutexA(NULL, TRUE, QV_GUARD_MUTEX);
    if (GetLastError() != 0) {
        MessageBoxA(NULL, kRunningText, SETUP_CAPTION, MB_ICONERROR);
        return 1;
    }

    if (hPrevInstance == NULL) {
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof(wc));
        wc.lpfnWndProc = SetupWndProc;
        wc.hInstance = hInstance;
        wc.lpszClassName = SETUP_WINDOW_CLASS;
        if (!RegisterClassA(&wc))
            return 0;
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
        return 0;
    }
    while (GetMessageA(&msg, NULL, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ReleaseMutex(mutex);
    return (int)msg.wParam;
}
