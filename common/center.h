/*
 * Window placement shared by both programs' dialogs.
 */
#ifndef QUORVANE_COMMON_CENTER_H
#define QUORVANE_COMMON_CENTER_H

#include <windows.h>

/* centres hwnd on the whole screen (not the work area) and shows it */
void CenterOnDesktop(HWND hwnd);

#endif
