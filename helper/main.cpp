/*
 * Helper's entry: the mutex that tells Setup a Helper runs, the hidden
 * owner window, the information box when no target was given, and the
 * input dialog. The process ends with the dialog's result: 1 after OK, 2
 * after a cancel, -1 without a target, with a target code page 932 cannot
 * name, or when the dialog cannot be created.
 */
#include "helper.h"

#include "../common/dllsearch.h"

static const char kAboutCaption[] = "Quorvane - ヘルパー アプリケーション情報";
static const char kAboutText[] =
    "これは Quorvane のためのヘルパー アプリケーションです。"
    "この機能を使うには、ファイルを Quorvane と同じフォルダに置き、"
    "［オプション］-［シェル エクステンション］から設定します。";

static const char kNotAnsiText[] =
    "名前に Quorvane で扱えない文字が含まれているため、キーワードを割り当てませんでした。\r\n"
    "ファイルやフォルダの名前を変更してから、もう一度割り当ててください。";

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
        MessageBoxA(NULL, kNotAnsiText, HELPER_ERROR_CAPTION, MB_ICONERROR);
    if (arguments != ArgsBuilt)
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
