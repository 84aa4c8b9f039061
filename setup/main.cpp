/*
 * Setup's entry and lifecycle: its mutexes, which keep it from running
 * beside the main program, a Helper or another Setup in any session, the
 * hidden window in whose creation the whole run happens (mode decision,
 * then the newer version notice or the wizard), and the opening of the
 * install folder after a completed run. The message loop only drains the
 * quit message. A silent run makes no window at all.
 */
#include "ends.h"
#include "image.h"
#include "log.h"
#include "opening.h"
#include "running.h"
#include "security.h"
#include "sequence.h"
#include "setup.h"
#include "silent.h"
#include "texts.h"
#include "wizard.h"
#include "../common/dllsearch.h"

static LRESULT OnCreate(HWND hwnd)
{
    HINSTANCE instance = (HINSTANCE)GetWindowLongA(hwnd, GWL_HINSTANCE);

    if (DecideRun(0) != RunDone)
        ExitRun(RunFailed);
    /* the notice alone: the wizard does not open */
    if (SetupMode == NewerInstalled) {
        RunAction(hwnd, 0, NULL);
        DestroyWindow(hwnd);
        return 0;
    }
    /* the recorded folder's programs may run in another session */
    if (CheckPrograms(hwnd) != RunDone)
        ExitRun(RunBusy);
    /* a Unicode dialog, so that its folder box holds any name the user
       types or browses to, and a name code page 932 cannot hold is seen */
    INT_PTR result =
        DialogBoxParamW(instance, L"SETUPMAIN", hwnd, SetupDlgProc, 0);
    if (result == 1)
        OpenInstallFolder(hwnd);
    DestroyWindow(hwnd);
    return 0;
}

static LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT message, WPARAM wParam,
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

/*
 * The whole run happens while the hidden window handles WM_CREATE: the
 * mode decision and then the newer-version notice or the modal wizard,
 * whose boxes and dialog it owns. That is how the product has always been
 * laid out, and it keeps one owner for every window of a run; the message
 * loop after it only drains the quit message that the window's
 * destruction posts.
 */
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    /* first, before anyone can rename the program file that runs and put
       another in its place: the one installed as Setup.exe */
    HoldOwnImage();
    RestrictDllSearchPath();
    /* Setup shows its own boxes; Windows' own ("no disk" for a folder on
       an empty drive) would keep a silent run waiting for ever */
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    struct SetupSwitches switches;
    const char *line = ReadSetupSwitches(&switches);
    SilentRun = switches.silent;
    /* whoever asks for the switches without /S is at the screen */
    if (switches.help && !SilentRun) {
        ShowUsage();
        return 0;
    }
    SystemAccount = RunsAsLocalSystem();
    SetupSession = RunningSession();
    /* an administrator who asked for a log gets one, or a run that did
       nothing */
    if (switches.hasLog && !OpenSetupLog(switches.log))
        return EndRun(RunLogFailed);
    LogLine(LOG_START "%s、コマンド ライン %s", QV_VERSION_TEXT, line);
    if (switches.help) {
        ShowUsage();
        return EndRun(RunDone);
    }
    /* a deployment tool's line that says something else than it means:
       nothing is done, and the code says so */
    if (SilentRun && !switches.understood) {
        LogLine(LOG_FAILED "コマンド ラインの \"%s\" を解釈できません", switches.notUnderstood);
        return EndRun(RunNotUnderstood);
    }
    if (!TakeSetupMutexes())
        return EndRun(RunningBox(NULL));
    if (SilentRun) {
        int end = RunSilently(&switches);
        ReleaseSetupMutexes();
        return EndRun(end);
    }

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = SetupWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = SETUP_WINDOW_CLASS;
    if (!RegisterClassA(&wc))
        return EndRun(RunDone);

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
        ReleaseSetupMutexes();
        return EndRun(RunDone);
    }
    while (GetMessageA(&msg, NULL, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    /* the quit message carries 0: the run ended in the ordinary way,
       completed or cancelled; every other end has left the process */
    ReleaseSetupMutexes();
    return EndRun(RunDone);
}
