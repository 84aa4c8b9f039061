/*
 * Pixels of the screen: pictures of windows for people, and the ink of a
 * control for tests (see pictures.h).
 */
#include "pictures.h"

#include <string.h>

#include "files.h"

int OpenCanvas(Canvas *canvas, HDC like, int w, int h)
{
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; /* top-down */
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    canvas->dc = CreateCompatibleDC(like);
    canvas->bitmap = CreateDIBSection(canvas->dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    canvas->bits = (DWORD *)bits;
    canvas->old = SelectObject(canvas->dc, canvas->bitmap);
    canvas->size = (size_t)w * h;
    return canvas->bits != NULL;
}

std::vector<DWORD> CloseCanvas(Canvas *canvas)
{
    GdiFlush();
    std::vector<DWORD> pixels;
    if (canvas->bits != NULL)
        pixels.assign(canvas->bits, canvas->bits + canvas->size);
    SelectObject(canvas->dc, canvas->old);
    DeleteObject(canvas->bitmap);
    DeleteDC(canvas->dc);
    return pixels;
}

std::vector<DWORD> CapturePixels(HDC source, int x, int y, int w, int h)
{
    Canvas canvas;
    if (OpenCanvas(&canvas, source, w, h))
        BitBlt(canvas.dc, 0, 0, w, h, source, x, y, SRCCOPY);
    std::vector<DWORD> pixels = CloseCanvas(&canvas);
    /* always the whole rectangle, black where nothing could be read */
    pixels.resize((size_t)w * h, 0);
    return pixels;
}

void SaveShot(HWND hwnd, const char *name)
{
    char folder[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QV_SHOTS", folder, sizeof(folder));
    if (n == 0 || n >= sizeof(folder) || hwnd == NULL)
        return;
    CreateDirectoryA(folder, NULL);
    RECT rect;
    GetWindowRect(hwnd, &rect);
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0)
        return;
    /* have it paint everything again, then take it once its pixels have
       stopped changing for a while: under emulation painting is slow */
    RedrawWindow(hwnd, NULL, NULL,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 5000, NULL);
    Sleep(800);
    std::vector<DWORD> pixels, previous;
    int unchanged = 0;
    for (int attempt = 0; attempt < 30 && unchanged < 2; attempt++) {
        Sleep(400);
        HDC screen = GetDC(NULL);
        pixels = CapturePixels(screen, rect.left, rect.top, w, h);
        ReleaseDC(NULL, screen);
        unchanged = pixels == previous ? unchanged + 1 : 0;
        previous = pixels;
    }

    /* opaque: a 32-bit bitmap's fourth byte would read as transparency */
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] |= 0xFF000000;

    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    ZeroMemory(&file, sizeof(file));
    ZeroMemory(&info, sizeof(info));
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = -h;
    info.biPlanes = 1;
    info.biBitCount = 32;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + (DWORD)pixels.size() * 4;
    std::string data((const char *)&file, sizeof(file));
    data.append((const char *)&info, sizeof(info));
    data.append((const char *)pixels.data(), pixels.size() * 4);
    WriteFileBytes(std::string(folder) + "\\" + name + ".bmp", data);
}

RECT InkBounds(HWND control)
{
    RECT ink = {0, 0, 0, 0};
    RECT rect;
    GetWindowRect(control, &rect);
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0)
        return ink;
    /* taken once its pixels have stopped changing: painting is slow under
       emulation */
    std::vector<DWORD> pixels, previous;
    for (int attempt = 0; attempt < 20; attempt++) {
        HDC screen = GetDC(NULL);
        pixels = CapturePixels(screen, rect.left, rect.top, w, h);
        ReleaseDC(NULL, screen);
        if (pixels == previous)
            break;
        previous = pixels;
        Sleep(200);
    }
    DWORD background = pixels[0] & 0xFFFFFF;
    ink.left = w;
    ink.top = h;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            if ((pixels[(size_t)y * w + x] & 0xFFFFFF) == background)
                continue;
            ink.left = x < ink.left ? x : ink.left;
            ink.top = y < ink.top ? y : ink.top;
            ink.right = x + 1 > ink.right ? x + 1 : ink.right;
            ink.bottom = y + 1;
        }
    }
    if (ink.right == 0)
        ink.left = ink.top = 0;
    return ink;
}

int InkHeight(HWND control)
{
    RECT ink = InkBounds(control);
    return ink.bottom - ink.top;
}
