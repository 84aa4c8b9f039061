/*
 * Windows of other processes: dialogs and message boxes found by their
 * process, their controls read and pressed the way the user would.
 */
#ifndef QUORVANE_TESTS_SUPPORT_GUI_H
#define QUORVANE_TESTS_SUPPORT_GUI_H

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "process.h"

/* a visible top-level dialog of the program that has control id */
HWND WaitForDialog(const Program *program, int controlId,
                   DWORD timeoutMs = kWaitMs);
/* a visible message box of the program (a dialog with a 0xFFFF text) */
HWND WaitForMessageBox(const Program *program, DWORD timeoutMs = kWaitMs);
/* a visible dialog of the program other than notThis that has control id */
HWND WaitForOtherDialog(const Program *program, HWND notThis, int controlId,
                        DWORD timeoutMs = kWaitMs);
/* 1 when the window is gone or hidden before the deadline */
int WaitForWindowGone(HWND hwnd, DWORD timeoutMs = kWaitMs);
/* 1 when the control is visible before the deadline */
int WaitForControlShown(HWND dialog, int id, DWORD timeoutMs = kWaitMs);
/* a visible top-level window of any process with this class */
HWND FindTopLevel(const char *className, const char *caption);

std::string WindowText(HWND hwnd);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string &text);
void SetControlTextWide(HWND dialog, int id, const std::wstring &text);
int IsControlVisible(HWND dialog, int id);
/* the control's rectangle in the dialog's client coordinates */
RECT ControlRect(HWND dialog, int id);
/* posts a click, so that a modal box it opens does not block the test */
void PressButton(HWND dialog, int id);
/* a click that the dialog has handled when this returns: 1 when its
   handler returned before the deadline (a handler that opens a modal box
   does not) */
int ClickAndWait(HWND dialog, int id, DWORD timeoutMs = 5000);
/* keys as the user types them: Esc, Enter, or the close box */
void PressEscape(HWND dialog);
void PressClose(HWND dialog);
/* a key pressed and released in a control, through the program's own
   message loop (so a dialog's keyboard handling applies) */
void PressKey(HWND dialog, int id, UINT virtualKey);
/* an edit control's selection; 1 when the control answered */
int EditSelection(HWND dialog, int id, DWORD *start, DWORD *end);

/* the window stands centred on the whole screen, the desktop window's
   rectangle: each offset halved with the division truncating toward
   zero */
::testing::AssertionResult IsCentredOnScreen(HWND hwnd);
/* the shown dialog has the size, and each of its controls the place and
   size, of the template of that name in this test program, mapped with
   its dialog font here */
::testing::AssertionResult HasTemplateGeometry(HWND shown, const char *templateName);

#endif
