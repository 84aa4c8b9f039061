/*
 * Helper's entry: the hidden owner window, the information box when no
 * target was given, and the input dialog. The process ends with the
 * dialog's result: 1 after OK, 2 after a cancel, -1 without a target or
 * when the dialog cannot be created.
 */
#include "helper.h"

#include "../common/dllsearch.h"

static const char kAboutCaption[] = "Quorvane - ヘルパー アプリケーション情報";
static const char kAboutText[] =
    "これは Quorvane のためのヘルパー アプリケーションです。"
    "この機能を使うには、ファイルを Quorvane と同じフォルダに置き、"
    "［オプション］-［シェル エクステンション］から設定します。";

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    RestrictDllSearchPath();

    /* without the vector there is no target to ask about */
    if (!BuildArgumentVector())
        return -1;

    /* never shown; it only owns the information box and the dialog, which
       without it simply have no owner, so the result is not checked */
    HWND owner = CreateWindowExA(0, "BUTTON", NULL, 0, 0, 0, 0, 0, NULL, NULL,
                                 hInstance, NULL);
    ShowWindow(owner, SW_HIDE);

    if (ArgCount == 1) {
        MessageBoxA(owner, kAboutText, kAboutCaption, MB_ICONINFORMATION);
        return -1;
    }
    return (int)DialogBoxParamA(hInstance, "INPUTBOX", owner, InputBoxDlgProc,
                                0);
}
