/*
 * The yardstick of the start-up benchmark: the smallest program that
 * shows a dialog, built exactly as Setup and Helper are.
 */
#include <windows.h>

static INT_PTR CALLBACK MinimalDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL)) {
        EndDialog(hwnd, (INT_PTR)wParam);
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return (int)DialogBoxParamA(instance, "MINIMAL", NULL, MinimalDlgProc, 0);
}
