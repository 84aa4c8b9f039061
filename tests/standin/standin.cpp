/*
 * Stand-in for the product's main program, for tests only. It does at our
 * boundary what the main program does: holds the mutex "WinQuorvane" while
 * it runs and owns a top-level window that receives the broadcast
 * "WM_QUORVANEFILEUPDATE". It counts those messages and keeps their wParam
 * and lParam; tests ask with WM_APP messages.
 *
 *   QuorvaneStandIn.exe            counts broadcasts until ended
 *   QuorvaneStandIn.exe --hang     a window whose thread stops pumping
 *   QuorvaneStandIn.exe --no-mutex without the mutex
 */
#include <windows.h>
#include <string.h>

#include "../../common/names.h"

#define STANDIN_CLASS "QuorvaneStandIn"
#define STANDIN_HUNG_CLASS "QuorvaneStandInHung"

static UINT g_updateMessage;
static LONG g_count;
static LONG g_nonZero;
static WPARAM g_lastWParam;
static LPARAM g_lastLParam;

static LRESULT CALLBACK StandInProc(HWND hwnd, UINT message, WPARAM wParam,
                                    LPARAM lParam)
{
    if (message != 0 && message == g_updateMessage) {
        g_count++;
        if (wParam != 0 || lParam != 0)
            g_nonZero++;
        g_lastWParam = wParam;
        g_lastLParam = lParam;
        return 0;
    }
    switch (message) {
    case WM_APP + 1:
        return g_count;
    case WM_APP + 2:
        return g_nonZero;
    case WM_APP + 3:
        return (LRESULT)g_lastWParam;
    case WM_APP + 4:
        return g_lastLParam;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    int hang = strstr(commandLine, "--hang") != NULL;
    int noMutex = strstr(commandLine, "--no-mutex") != NULL;

    HANDLE mutex = NULL;
    if (!noMutex && !hang)
        mutex = CreateMutexA(NULL, TRUE, QV_GUARD_MUTEX);
    g_updateMessage = RegisterWindowMessageA(QV_UPDATE_MESSAGE);

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = instance;
    wc.lpszClassName = hang ? STANDIN_HUNG_CLASS : STANDIN_CLASS;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Quorvane stand-in",
                                WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL,
                                NULL, instance, NULL);
    if (hwnd == NULL)
        return 1;
    if (hang) {
        /* a top-level window whose thread never looks at its queue again */
        Sleep(INFINITE);
    }

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (mutex != NULL)
        ReleaseMutex(mutex);
    return 0;
}
