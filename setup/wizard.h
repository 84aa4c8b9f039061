/*
 * The wizard: one modal dialog from the template "SETUPMAIN".
 */
#ifndef QUORVANE_SETUP_WIZARD_H
#define QUORVANE_SETUP_WIZARD_H

#include <windows.h>

/* 1 once the wizard shows its folder page (Install mode only); written
   and read by the wizard */
extern int FolderPageShown;

INT_PTR CALLBACK SetupDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

#endif
