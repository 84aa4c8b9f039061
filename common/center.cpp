/*
 * CenterOnDesktop: both dialogs open centred on the whole screen, the
 * desktop window's rectangle, taskbar included.
 */
#include "center.h"

void CenterOnDesktop(HWND hwnd)
{
    RECT desktop, dialog;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(hwnd, &dialog);
    int width = dialog.right - dialog.left;
    int height = dialog.bottom - dialog.top;
    /* signed division, truncating toward zero */
    int x = (desktop.right - width) / 2;
    int y = (desktop.bottom - height) / 2;
    SetWindowPos(hwnd, NULL, x, y, width, height, SWP_SHOWWINDOW);
}
