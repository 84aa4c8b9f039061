/*
 * Pixels of the screen: pictures of windows for people (the walkthrough
 * takes them), and the ink of a control for tests.
 */
#ifndef QUORVANE_TESTS_SUPPORT_PICTURES_H
#define QUORVANE_TESTS_SUPPORT_PICTURES_H

#include <windows.h>

#include <vector>

/* a 32-bit top-down bitmap selected into a memory DC like another one,
   to draw into and read back */
struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    DWORD *bits;
    size_t size;
};
int OpenCanvas(Canvas *canvas, HDC like, int w, int h);
/* its pixels, after which it is gone */
std::vector<DWORD> CloseCanvas(Canvas *canvas);

/* 32-bit pixels of a rectangle of the device context */
std::vector<DWORD> CapturePixels(HDC source, int x, int y, int w, int h);

/* the rectangle of what is painted in a control (its text) in the
   control's own coordinates, as it stands on the screen; empty when
   nothing is */
RECT InkBounds(HWND control);
/* rows from the first to the last painted in a control */
int InkHeight(HWND control);

/* when QV_SHOTS names a folder, the window's screen area is saved there
   as name.bmp */
void SaveShot(HWND hwnd, const char *name);

#endif
