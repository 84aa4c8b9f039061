/*
 * Finding, reading and pressing windows of other processes (see
 * gui.h).
 */
#include "gui.h"

#include <string.h>

struct FindContext {
    DWORD pid;
    int controlId;
    const char *className;
    const char *caption;
    HWND found;
};

static BOOL CALLBACK FindProc(HWND hwnd, LPARAM lParam)
{
    FindContext *context = (FindContext *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (context->pid != 0 && pid != context->pid)
        return TRUE;
    if (!IsWindowVisible(hwnd))
        return TRUE;
    char className[64];
    GetClassNameA(hwnd, className, sizeof(className));
    if (strcmp(className, context->className) != 0)
        return TRUE;
    if (context->controlId != 0 && GetDlgItem(hwnd, context->controlId) == NULL)
        return TRUE;
    if (context->caption != NULL && WindowText(hwnd) != context->caption)
        return TRUE;
    context->found = hwnd;
    return FALSE;
}

static HWND WaitForTopLevel(DWORD pid, int controlId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        FindContext context = {pid, controlId, "#32770", NULL, NULL};
        EnumWindows(FindProc, (LPARAM)&context);
        if (context.found != NULL) {
            /* let the dialog finish its initialisation */
            SendMessageTimeoutA(context.found, WM_NULL, 0, 0, SMTO_BLOCK,
                                5000, NULL);
            return context.found;
        }
        if (GetTickCount() - start > timeoutMs)
            return NULL;
        Sleep(50);
    }
}

HWND WaitForDialog(const Program *program, int controlId, DWORD timeoutMs)
{
    return WaitForTopLevel(program->pid, controlId, timeoutMs);
}

HWND WaitForMessageBox(const Program *program, DWORD timeoutMs)
{
    return WaitForTopLevel(program->pid, 0xFFFF, timeoutMs);
}

HWND WaitForOtherDialog(const Program *program, HWND notThis, int controlId,
                        DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    do {
        HWND found = WaitForTopLevel(program->pid, controlId, 200);
        if (found != NULL && found != notThis)
            return found;
    } while (GetTickCount() - start < timeoutMs);
    return NULL;
}

int WaitForControlShown(HWND dialog, int id, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!IsControlVisible(dialog, id)) {
        if (GetTickCount() - start > timeoutMs)
            return 0;
        Sleep(50);
    }
    return 1;
}

int WaitForWindowGone(HWND hwnd, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount() - start > timeoutMs)
            return 0;
        Sleep(50);
    }
    return 1;
}

HWND FindTopLevel(const char *className, const char *caption)
{
    FindContext context = {0, 0, className, caption, NULL};
    EnumWindows(FindProc, (LPARAM)&context);
    return context.found;
}

std::string WindowText(HWND hwnd)
{
    char text[4096];
    DWORD_PTR length = 0;
    text[0] = '\0';
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(text), (LPARAM)text,
                             SMTO_BLOCK, 5000, &length))
        return std::string("<no answer>");
    return std::string(text, strnlen(text, sizeof(text)));
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (control == NULL)
        return std::string("<no control>");
    return WindowText(control);
}

void SetControlText(HWND dialog, int id, const std::string &text)
{
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                        (LPARAM)text.c_str(), SMTO_BLOCK, 5000, NULL);
}

int IsControlVisible(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control != NULL &&
           (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

RECT ControlRect(HWND dialog, int id)
{
    RECT rect = {0, 0, 0, 0};
    HWND control = GetDlgItem(dialog, id);
    if (control == NULL)
        return rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(NULL, dialog, (POINT *)&rect, 2);
    return rect;
}

void SetControlTextWide(HWND dialog, int id, const std::wstring &text)
{
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text.c_str(),
                        SMTO_BLOCK, 5000, NULL);
}

int ClickAndWait(HWND dialog, int id, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                               (LPARAM)GetDlgItem(dialog, id), SMTO_NORMAL, timeoutMs,
                               &result) != 0;
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, id));
}

void PressEscape(HWND dialog)
{
    /* what the dialog manager makes of Esc */
    PostMessageA(dialog, WM_COMMAND, IDCANCEL,
                 (LPARAM)GetDlgItem(dialog, IDCANCEL));
}

void PressClose(HWND dialog)
{
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void PressKey(HWND dialog, int id, UINT virtualKey)
{
    HWND control = GetDlgItem(dialog, id);
    UINT scan = MapVirtualKeyA(virtualKey, 0);
    PostMessageA(control, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(control, WM_KEYUP, virtualKey,
                 1 | (scan << 16) | 0xC0000000u);
}

int EditSelection(HWND dialog, int id, DWORD *start, DWORD *end)
{
    DWORD_PTR result = 0;
    HWND control = GetDlgItem(dialog, id);
    if (control == NULL ||
        !SendMessageTimeoutA(control, EM_GETSEL, 0, 0, SMTO_BLOCK, 5000,
                             &result))
        return 0;
    *start = LOWORD(result);
    *end = HIWORD(result);
    return 1;
}

::testing::AssertionResult IsCentredOnScreen(HWND hwnd)
{
    RECT desktop, rect;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(hwnd, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int x = (desktop.right - width) / 2, y = (desktop.bottom - height) / 2;
    if (rect.left == x && rect.top == y)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at " << rect.left << "," << rect.top
                                         << " instead of " << x << "," << y;
}

static INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

struct GeometryCheck {
    HWND shown;
    std::string wrong;
};

static BOOL CALLBACK CompareControl(HWND local, LPARAM lParam)
{
    GeometryCheck *check = (GeometryCheck *)lParam;
    int id = GetDlgCtrlID(local);
    RECT expected, actual = ControlRect(check->shown, id);
    GetWindowRect(local, &expected);
    MapWindowPoints(NULL, GetParent(local), (POINT *)&expected, 2);
    if (!EqualRect(&expected, &actual))
        check->wrong += " control " + std::to_string(id) + ";";
    return TRUE;
}

::testing::AssertionResult HasTemplateGeometry(HWND shown, const char *templateName)
{
    HWND local = CreateDialogParamA(GetModuleHandleA(NULL), templateName, NULL,
                                    QuietDialogProc, 0);
    if (local == NULL)
        return ::testing::AssertionFailure() << "no template " << templateName << " here";
    RECT localRect, shownRect;
    GetWindowRect(local, &localRect);
    GetWindowRect(shown, &shownRect);
    GeometryCheck check = {shown, std::string()};
    if (localRect.right - localRect.left != shownRect.right - shownRect.left ||
        localRect.bottom - localRect.top != shownRect.bottom - shownRect.top)
        check.wrong += " its size;";
    EnumChildWindows(local, CompareControl, (LPARAM)&check);
    DestroyWindow(local);
    if (check.wrong.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << templateName << " differs in" << check.wrong;
}
