/*
 * Pixels of the screen: pictures of windows for people (the walkthrough
 * takes them), and the ink of a control for tests.
 */
#ifndef QUORVANE_TESTS_SUPPORT_PICTURES_H
#define QUORVANE_TESTS_SUPPORT_PICTURES_H

#include <windows.h>

#include <vector>

/* 32-bit pixels of a rectangle of the device context */
std::vector<DWORD> CapturePixels(HDC source, int x, int y, int w, int h);

/* rows from the first to the last painted in a control (its text), as
   it stands on the screen */
int InkHeight(HWND control);

/* when QV_SHOTS names a folder, the window's screen area is saved there
   as name.bmp */
void SaveShot(HWND hwnd, const char *name);

#endif
