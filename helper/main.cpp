/*
 * Helper's entry: the mutex that tells Setup a Helper runs, the hidden
 * owner window, the information box when no target was given, and the
 * input dialog. The process ends with the dialog's result: 1 after OK, 2
 * after a cancel, -1 without a target, with a target code page 932 cannot
 * name, or when the dialog cannot be created.
 */
#include "helper.h"

#include "../common/dllsearch.h"
#include "texts.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    RestrictDllSearchPath();

    /* held, not owned, until the process ends: Setup waits for every
       Helper to end rather than replace Helper.exe under one */
    CreateMutexA(NULL, FALSE, QV_HELPER_MUTEX);

    /* without the vector there is no target to ask about; with a
       look-alike in it, the keyword would be assigned to another target */
    int arguments = BuildArgumentVector();
    if (arguments == ArgsNotAnsi)
        MessageBoxA(NULL, HELPER_NOT_ANSI_TEXT, HELPER_ERROR_CAPTION, MB_ICONERROR);
    if (arguments != ArgsBuilt)
        return -1;

    /* never shown; it only owns the information box and the dialog, which
       without it simply have no owner, so the result is not checked */
    HWND owner = CreateWindowExA(0, "BUTTON", NULL, 0, 0, 0, 0, 0, NULL, NULL,
                                 hInstance, NULL);
    ShowWindow(owner, SW_HIDE);

    if (ArgCount == 1) {
        MessageBoxA(owner, HELPER_ABOUT_TEXT, HELPER_ABOUT_CAPTION, MB_ICONINFORMATION);
        return -1;
    }
    return (int)DialogBoxParamA(hInstance, "INPUTBOX", owner, InputBoxDlgProc,
                                0);
}
