/*
 * Message boxes as the user meets them: caption, text, buttons and icon
 * (see boxes.h).
 */
#include "boxes.h"

#include "pictures.h"
#include "gui.h"

const char *IconName(BoxIcon icon)
{
    switch (icon) {
    case IconNone: return "none";
    case IconError: return "error";
    case IconQuestion: return "question";
    case IconWarning: return "warning";
    case IconInformation: return "information";
    default: return "unknown";
    }
}

/* the pixels of a standard icon drawn on background */
static std::vector<DWORD> RenderIcon(LPCSTR id, DWORD background, int w, int h)
{
    HDC screen = GetDC(NULL);
    Canvas canvas;
    if (OpenCanvas(&canvas, screen, w, h)) {
        for (size_t i = 0; i < canvas.size; i++)
            canvas.bits[i] = background;
        DrawIcon(canvas.dc, 0, 0, LoadIconA(NULL, id));
    }
    std::vector<DWORD> pixels = CloseCanvas(&canvas);
    ReleaseDC(NULL, screen);
    return pixels;
}

static long long PixelDistance(const std::vector<DWORD> &a, const std::vector<DWORD> &b)
{
    long long sum = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); i++) {
        for (int shift = 0; shift < 24; shift += 8) {
            int x = (int)((a[i] >> shift) & 0xFF), y = (int)((b[i] >> shift) & 0xFF);
            sum += x > y ? x - y : y - x;
        }
    }
    return sum;
}

/* The box's icon, told apart by its pixels: the icon handle belongs to the
   box's process and cannot be compared from here. */
static BoxIcon DetectIcon(HWND box)
{
    HWND icon = GetDlgItem(box, 1088); /* Wine's message box template */
    if (icon == NULL)
        icon = GetDlgItem(box, 20); /* Windows' */
    if (icon == NULL || !(GetWindowLongA(icon, GWL_STYLE) & WS_VISIBLE))
        return IconNone;

    static const LPCSTR kIds[] = {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION,
                                  IDI_ASTERISK};
    static const BoxIcon kIcons[] = {IconError, IconQuestion, IconWarning,
                                     IconInformation};
    int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
    BoxIcon best = IconUnknown;
    for (int attempt = 0; attempt < 40 && best == IconUnknown; attempt++) {
        RECT rect;
        GetWindowRect(icon, &rect);
        HDC screen = GetDC(NULL);
        std::vector<DWORD> shot = CapturePixels(screen, rect.left, rect.top, w, h);
        ReleaseDC(NULL, screen);
        long long bestDistance = -1, second = -1;
        BoxIcon candidate = IconUnknown;
        for (int i = 0; i < 4; i++) {
            long long d = PixelDistance(shot, RenderIcon(kIds[i], shot[0], w, h));
            if (bestDistance < 0 || d < bestDistance) {
                second = bestDistance;
                bestDistance = d;
                candidate = kIcons[i];
            } else if (second < 0 || d < second) {
                second = d;
            }
        }
        /* a clear match: close to one icon, far from the others */
        if (bestDistance * 4 < second && bestDistance < (long long)w * h * 3 * 8)
            best = candidate;
        else
            Sleep(100);
    }
    return best;
}

MessageBoxInfo ReadMessageBox(HWND box)
{
    MessageBoxInfo info;
    info.caption = WindowText(box);
    info.text = ControlText(box, 0xFFFF);
    info.hasOk = GetDlgItem(box, IDOK) != NULL && IsControlVisible(box, IDOK);
    info.hasCancel = GetDlgItem(box, IDCANCEL) != NULL && IsControlVisible(box, IDCANCEL);
    info.hasYes = GetDlgItem(box, IDYES) != NULL && IsControlVisible(box, IDYES);
    info.hasNo = GetDlgItem(box, IDNO) != NULL && IsControlVisible(box, IDNO);
    info.hasRetry = GetDlgItem(box, IDRETRY) != NULL && IsControlVisible(box, IDRETRY);
    info.icon = DetectIcon(box);
    return info;
}

::testing::AssertionResult IsBox(HWND box, const char *caption, const char *text,
                                 BoxIcon icon, UINT buttons)
{
    if (box == NULL)
        return ::testing::AssertionFailure() << "no box where \"" << text << "\" belongs";
    MessageBoxInfo info = ReadMessageBox(box);
    int ok = buttons == MB_OK, yesNo = buttons == MB_YESNO, retry = buttons == MB_RETRYCANCEL;
    std::string wrong;
    if (info.caption != caption)
        wrong += " caption \"" + info.caption + "\";";
    if (info.text != text)
        wrong += " text \"" + info.text + "\";";
    if (info.icon != icon)
        wrong += std::string(" icon ") + IconName(info.icon) + ";";
    if (info.hasOk != ok || info.hasYes != yesNo || info.hasNo != yesNo ||
        info.hasRetry != retry || info.hasCancel != retry)
        wrong += " other buttons;";
    if (wrong.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the box for \"" << text << "\" has" << wrong;
}

/* one catcher at a time: the hook has no other way to find it */
static BoxCatcher *g_catcher;

BoxCatcher::BoxCatcher()
{
    g_catcher = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, NULL, GetCurrentThreadId());
}

BoxCatcher::~BoxCatcher()
{
    if (hook_ != NULL)
        UnhookWindowsHookEx(hook_);
    g_catcher = NULL;
}

/* a box is activated once it is shown; it is then answered through its
   own modal loop, which is already running */
LRESULT CALLBACK BoxCatcher::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    HWND box = (HWND)wParam;
    char className[16] = "";
    if (code == HCBT_ACTIVATE && g_catcher != NULL &&
        GetClassNameA(box, className, sizeof(className)) &&
        lstrcmpA(className, "#32770") == 0 && GetDlgItem(box, 0xFFFF) != NULL) {
        char text[1024] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
        g_catcher->texts_.push_back(text);
        static const int kAnswers[] = {IDNO, IDCANCEL, IDOK};
        for (int answer : kAnswers) {
            if (GetDlgItem(box, answer) != NULL) {
                PostMessageA(box, WM_COMMAND, answer, (LPARAM)GetDlgItem(box, answer));
                break;
            }
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
