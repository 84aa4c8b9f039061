/*
 * The "INPUTBOX" dialog: shows the target path as its caption, proposes
 * the target's last component as the keyword, and on OK appends the
 * record and broadcasts the change, reporting failures in boxes of their
 * own. The dialog ends with 1 after OK, even after a failure, and with 2
 * after a cancel.
 */
#include "helper.h"

#include "../common/center.h"
#include "../common/text.h"
#include "resource.h"
#include "texts.h"

static void OnInitInputBox(HWND hwnd)
{
    CenterOnDesktop(hwnd);
    SetWindowTextA(hwnd, TargetPath());
    SetDlgItemTextA(hwnd, IDC_KEYWORD_EDIT, LastPathComponent(TargetPath()));
}

void ReadKeyword(HWND dialog)
{
    KeywordBuffer[0] = '\0';
    GetDlgItemTextA(dialog, IDC_KEYWORD_EDIT, KeywordBuffer, sizeof(KeywordBuffer));
    /* the box cuts at a byte count: half a character at the end would
       take the record's CR with it */
    DropCutCharacter(KeywordBuffer);
}

static void OnConfirm(HWND hwnd)
{
    ReadKeyword(hwnd);
    /* no owner: the dialog stays usable while a box is up */
    if (!AppendKeywordRecord())
        MessageBoxA(NULL, HELPER_APPEND_FAILED_TEXT, HELPER_ERROR_CAPTION,
                    MB_ICONERROR);
    /* the main program is told even after a failed append */
    if (!BroadcastFileUpdate())
        MessageBoxA(NULL, HELPER_BROADCAST_FAILED_TEXT, HELPER_ERROR_CAPTION,
                    MB_ICONERROR);
    EndDialog(hwnd, 1);
}

static void OnInputBoxCommand(HWND hwnd, WPARAM wParam)
{
    /* 1 while OK is handled: its failure boxes have no owner and leave the
       dialog enabled, and a second OK must not append a second record */
    static int busy;
    if (busy)
        return;
    busy = 1;
    /* the whole wParam: only clicks (notification code 0) match */
    if (wParam == IDOK)
        OnConfirm(hwnd);
    else if (wParam == IDCANCEL)
        EndDialog(hwnd, 2);
    busy = 0;
}

INT_PTR CALLBACK InputBoxDlgProc(HWND hwnd, UINT message, WPARAM wParam,
                                 LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitInputBox(hwnd);
        /* the dialog manager then focuses the keyword box, text selected */
        return TRUE;
    case WM_COMMAND:
        OnInputBoxCommand(hwnd, wParam);
        return FALSE;
    default:
        return FALSE;
    }
}
