/*
 * The shipped dialogs' texts fit their controls. Each dialog is made,
 * hidden, from the template the built program carries; every text of a
 * static or a button, the template's own and those the program sets there
 * at run time, is laid out in the control's font as the control lays it
 * out (wrapped in a left-aligned static, on one line in a push button) and
 * must fit the room the control has for it.
 *
 * Measured in the test prefix, where the proportional IPAPGothic stands
 * in for the templates' proportional "MS UI Gothic" (scripts/wine-run);
 * TemplateFontIsProportionalAsOnWindows holds that it does, so that a
 * text that fails here is too long for its control, not drawn in Wine's
 * full-width fallback.
 */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_template.h"
#include "helper/resource.h"
#include "helper/texts.h"
#include "setup/resource.h"
#include "setup/texts.h"
#include "tests/support/support.h"

namespace {

/* a text the program sets into a control of its dialog at run time */
struct RunTimeText {
    int id;
    const char *text;
};

/* a control the program gives a large font of its own */
struct LargeFont {
    int id;
    LONG weight;
};

struct ShippedDialog {
    const char *program, *name;
    std::vector<RunTimeText> runTimeTexts;
    std::vector<LargeFont> largeFonts;
};

const ShippedDialog kDialogs[] = {
    /* the mode's word and message for an update and an uninstall, and the
       folder page's message (setup/wizard.cpp); the product title and the
       mode word in the wizard's large fonts */
    {QV_SETUP_EXE, "SETUPMAIN",
     {{IDC_MODE_WORD, SETUP_UPDATE_WORD},
      {IDC_MODE_WORD, SETUP_UNINSTALL_WORD},
      {IDC_PAGE_MESSAGE, SETUP_UPDATE_MESSAGE},
      {IDC_PAGE_MESSAGE, SETUP_UNINSTALL_MESSAGE},
      {IDC_PAGE_MESSAGE, SETUP_FOLDER_PROMPT}},
     {{IDC_PRODUCT_TITLE, FW_BOLD}, {IDC_MODE_WORD, 500}}},
    /* the input box sets only its caption and its edit control */
    {QV_HELPER_EXE, "INPUTBOX", {}, {}},
};

/* a code page 932 text as it reads in the test's UTF-8 output, its line
   breaks shown */
std::string Readable(const std::string &text)
{
    std::string shown;
    for (char c : text) {
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else
            shown += c;
    }
    int n = MultiByteToWideChar(932, 0, shown.data(), (int)shown.size(), NULL, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    MultiByteToWideChar(932, 0, shown.data(), (int)shown.size(), &wide[0], n);
    int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, NULL, 0, NULL, NULL);
    std::string utf8(m > 0 ? m : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &utf8[0], m, NULL, NULL);
    return utf8;
}

/* the wizard's large font, which it creates and sets at run time (the
   unit tests hold which): Arial 32 pixels high at 96 DPI and as much
   larger as the screen's DPI is */
HFONT CreateWizardLargeFont(HWND dialog, LONG weight)
{
    HDC dc = GetDC(dialog);
    int height = MulDiv(32, GetDeviceCaps(dc, LOGPIXELSY), 96);
    ReleaseDC(dialog, dc);
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0,
                       "Arial");
}

std::string ClassOf(HWND control)
{
    char name[64] = "";
    GetClassNameA(control, name, sizeof(name));
    return name;
}

/* how the control lays out a text: the DrawText format that sizes it and
   the room the control has for it. The alignment is left out: it only
   places the lines, and DrawText would count a centred line's offset into
   the height. 0 for an edit control, whose text scrolls; a control of any
   other kind fails, so that a new one is not passed unmeasured. */
::testing::AssertionResult TextLayout(HWND control, int *measured, UINT *format, RECT *room)
{
    std::string kind = ClassOf(control);
    DWORD style = (DWORD)GetWindowLongA(control, GWL_STYLE);
    DWORD button = style & BS_TYPEMASK;
    UINT prefix = style & SS_NOPREFIX ? DT_NOPREFIX : 0;
    GetClientRect(control, room);
    *measured = 1;
    if (lstrcmpiA(kind.c_str(), "Edit") == 0) {
        *measured = 0;
        return ::testing::AssertionSuccess();
    }
    if (lstrcmpiA(kind.c_str(), "Static") == 0 && (style & SS_TYPEMASK) == SS_LEFT) {
        *format = DT_EXPANDTABS | DT_WORDBREAK | prefix;
        return ::testing::AssertionSuccess();
    }
    if (lstrcmpiA(kind.c_str(), "Button") == 0 &&
        (button == BS_PUSHBUTTON || button == BS_DEFPUSHBUTTON)) {
        *format = style & BS_MULTILINE ? DT_WORDBREAK : DT_SINGLELINE;
        /* inside the raised frame the button draws around it */
        InflateRect(room, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
        return ::testing::AssertionSuccess();
    }
    if (lstrcmpiA(kind.c_str(), "Button") == 0 && button == BS_GROUPBOX) {
        /* its caption, on the frame's top edge */
        *format = DT_SINGLELINE;
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "control " << GetDlgCtrlID(control)
                                         << ": no rule to lay out a " << kind << " of style 0x"
                                         << std::hex << style;
}

/* the text drawn in the control's font fits the room the control has */
::testing::AssertionResult FitsControl(const ShippedDialog &dialog, HWND control,
                                       const std::string &text)
{
    int measured = 0;
    UINT format = 0;
    RECT room;
    ::testing::AssertionResult layout = TextLayout(control, &measured, &format, &room);
    if (!layout || !measured || text.empty())
        return layout;
    HDC dc = GetDC(control);
    HFONT font = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    HGDIOBJ old = SelectObject(dc, font != NULL ? (HGDIOBJ)font : GetStockObject(SYSTEM_FONT));
    int roomWidth = room.right - room.left, roomHeight = room.bottom - room.top;
    RECT need = {0, 0, roomWidth, roomHeight};
    DrawTextA(dc, text.c_str(), (int)text.size(), &need, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    int width = need.right - need.left, height = need.bottom - need.top;
    if (width <= roomWidth && height <= roomHeight)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\"" << Readable(text) << "\" in control " << GetDlgCtrlID(control) << " of "
           << dialog.name << " (" << dialog.program << "): needs " << width << "x" << height
           << " pixels, has " << roomWidth << "x" << roomHeight;
}

/* what a font is: its face as the DC reports it, its family as its file
   names it, whether it is proportional, and how wide a text is in it */
struct FontFacts {
    std::string face, family;
    int proportional = 0;
    SIZE extent = {0, 0};
};

FontFacts FactsOf(HWND window, HFONT font, const std::string &text)
{
    FontFacts facts;
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof(face), face);
    facts.face = face;
    TEXTMETRICA metrics;
    /* the flag's name says the opposite of what it means */
    if (GetTextMetricsA(dc, &metrics))
        facts.proportional = (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) != 0;
    UINT size = GetOutlineTextMetricsA(dc, 0, NULL);
    if (size != 0) {
        std::vector<char> outline(size);
        OUTLINETEXTMETRICA *o = (OUTLINETEXTMETRICA *)outline.data();
        if (GetOutlineTextMetricsA(dc, size, o) != 0)
            facts.family = outline.data() + (size_t)o->otmpFamilyName;
    }
    GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &facts.extent);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return facts;
}

TEST(ShippedResources, TemplateFontIsProportionalAsOnWindows)
{
    /* a text of each dialog, to compare the widths the two fonts give */
    const struct {
        const char *program, *name, *text;
    } dialogs[] = {{QV_SETUP_EXE, "SETUPMAIN", SETUP_FOLDER_PROMPT},
                   {QV_HELPER_EXE, "INPUTBOX", HELPER_PROMPT}};
    for (const auto &d : dialogs) {
        SCOPED_TRACE(d.name);
        HWND dialog = CreateDialogFromProgram(BinFile(d.program), d.name);
        ASSERT_NE(nullptr, dialog);
        HFONT font = (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0);
        LOGFONTA asked;
        ASSERT_EQ((int)sizeof(asked), GetObjectA(font, sizeof(asked), &asked));
        HFONT standIn = CreateFontA(asked.lfHeight, 0, 0, 0, asked.lfWeight, FALSE, FALSE, FALSE,
                                    DEFAULT_CHARSET, 0, 0, 0, 0, "IPAPGothic");
        FontFacts shown = FactsOf(dialog, font, d.text);
        FontFacts expected = FactsOf(dialog, standIn, d.text);
        DeleteObject(standIn);
        DestroyWindow(dialog);

        ASSERT_EQ("IPAPGothic", expected.face)
            << "Wine finds no IPAPGothic: fonts-ipafont-gothic is missing (scripts/bootstrap)";
        EXPECT_TRUE(shown.proportional)
            << "the template's font " << asked.lfFaceName << " is drawn in the fixed-pitch "
            << Readable(shown.family) << ": the prefix lacks its substitute (scripts/wine-run)";
        EXPECT_EQ(expected.family, shown.family)
            << Readable(shown.family) << " stands in for " << asked.lfFaceName;
        EXPECT_EQ(expected.extent.cx, shown.extent.cx);
        EXPECT_EQ(expected.extent.cy, shown.extent.cy);
    }
}

TEST(ShippedResources, EveryTextFitsItsControl)
{
    for (const ShippedDialog &d : kDialogs) {
        SCOPED_TRACE(d.name);
        HWND dialog = CreateDialogFromProgram(BinFile(d.program), d.name);
        ASSERT_NE(nullptr, dialog);
        std::vector<HFONT> fonts;
        for (const LargeFont &large : d.largeFonts) {
            HWND control = GetDlgItem(dialog, large.id);
            EXPECT_NE(nullptr, control) << "no control " << large.id;
            fonts.push_back(CreateWizardLargeFont(dialog, large.weight));
            SendMessageA(control, WM_SETFONT, (WPARAM)fonts.back(), FALSE);
        }
        for (const RunTimeText &t : d.runTimeTexts)
            EXPECT_NE(nullptr, GetDlgItem(dialog, t.id)) << "no control " << t.id;

        int controls = 0;
        for (HWND control = GetWindow(dialog, GW_CHILD); control != NULL;
             control = GetWindow(control, GW_HWNDNEXT)) {
            controls++;
            EXPECT_TRUE(FitsControl(d, control, WindowText(control)));
            for (const RunTimeText &t : d.runTimeTexts) {
                if (t.id == GetDlgCtrlID(control))
                    EXPECT_TRUE(FitsControl(d, control, t.text));
            }
        }
        EXPECT_GT(controls, 0);
        DestroyWindow(dialog);
        for (HFONT font : fonts)
            DeleteObject(font);
    }
}

} // namespace
