/*
 * The wizard as Setup.exe carries it: the "SETUPMAIN" template read back
 * from the shipped program, its icon group, and the dialog opened in this
 * process with SetupDlgProc to check each mode's layout and the fonts.
 */
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "setup/setup.h"
#include "tests/dialog_template.h"
#include "tests/support/support.h"

namespace {

const DWORD kChildVisible = WS_CHILD | WS_VISIBLE;

struct ExpectedItem {
    WORD id;
    const char *className;
    const char *text;
    DWORD style;
    short x, y, cx, cy;
};

const ExpectedItem kItems[] = {
    {9823, "#128", "", kChildVisible | BS_GROUPBOX | WS_TABSTOP, 9, 33, 215, 127},
    {1, "#128", "続行", kChildVisible | BS_DEFPUSHBUTTON | WS_TABSTOP, 113, 171, 56, 15},
    {2, "#128", "キャンセル", kChildVisible | BS_PUSHBUTTON | WS_TABSTOP, 169, 171, 56, 15},
    {9822, "#130", NULL, kChildVisible | SS_LEFT | WS_GROUP, 9, 176, 100, 9},
    {9826, "#130", "Quorvane", kChildVisible | SS_LEFT | WS_GROUP, 8, 5, 100, 28},
    {9827, "#130", "Setup", kChildVisible | SS_LEFT | WS_GROUP, 105, 5, 100, 28},
    {9828, "#130",
     "いくつかのファイルと、セットアップ先フォルダ、ショートカット ファイルは削除されません。\r\n"
     "これらは、お手数ですが終了後に手動で削除してください。",
     kChildVisible | SS_LEFT | WS_GROUP, 18, 69, 190, 30},
    {9824, "#130", "Quorvane のセットアップを開始します。", kChildVisible | SS_LEFT | WS_GROUP,
     18, 48, 160, 9},
    {9821, "#129", "",
     kChildVisible | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_NOHIDESEL, 18, 64, 160, 13},
    {9825, "#128", "参照(&B)...", kChildVisible | BS_PUSHBUTTON | WS_TABSTOP, 182, 64, 33, 13},
};

TEST(WizardTemplate, ShippedTemplateIsExact)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(BinFile("Setup.exe"), "SETUPMAIN", &t));
    ASSERT_FALSE(t.extended) << "the wizard is a classic template";
    EXPECT_EQ((DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
              t.style);
    EXPECT_EQ(0u, t.exStyle);
    EXPECT_EQ(0, t.x);
    EXPECT_EQ(0, t.y);
    EXPECT_EQ(234, t.cx);
    EXPECT_EQ(195, t.cy);
    EXPECT_EQ("", t.menu);
    EXPECT_EQ("", t.windowClass);
    EXPECT_EQ("Quorvane - セットアップ ウィザード", t.caption);
    EXPECT_EQ(9, t.pointSize);
    EXPECT_EQ("MS UI Gothic", t.fontFace);

    ASSERT_EQ(sizeof(kItems) / sizeof(kItems[0]), t.items.size());
    for (size_t i = 0; i < t.items.size(); i++) {
        const DialogItem &item = t.items[i];
        const ExpectedItem &e = kItems[i];
        SCOPED_TRACE(e.id);
        EXPECT_EQ(e.id, item.id);
        EXPECT_EQ(e.className, item.className);
        if (e.text != NULL)
            EXPECT_EQ(e.text, item.text);
        else
            EXPECT_FALSE(item.text.empty()) << "the maker's notice";
        EXPECT_EQ(e.style, item.style);
        EXPECT_EQ(0u, item.exStyle);
        EXPECT_EQ(e.x, item.x);
        EXPECT_EQ(e.y, item.y);
        EXPECT_EQ(e.cx, item.cx);
        EXPECT_EQ(e.cy, item.cy);
    }
}

TEST(WizardTemplate, IconGroupHasTwoSixteenColourImages)
{
    std::vector<IconImage> images;
    ASSERT_TRUE(LoadIconGroup(BinFile("Setup.exe"), "APPICON", &images));
    ASSERT_EQ(2u, images.size());
    EXPECT_EQ(32, images[0].width);
    EXPECT_EQ(32, images[0].height);
    EXPECT_EQ(16, images[1].width);
    EXPECT_EQ(16, images[1].height);
    for (const IconImage &image : images) {
        EXPECT_EQ(16, image.colours);
        EXPECT_EQ(4, image.bitCount);
    }
}

TEST(WizardTemplate, ManifestAsksForAdministratorAndThemedControls)
{
    std::string manifest;
    ASSERT_TRUE(LoadResourceBytes(BinFile("Setup.exe"), MAKEINTRESOURCEA(24),
                                  MAKEINTRESOURCEA(1), &manifest));
    EXPECT_NE(std::string::npos,
              manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""));
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" "
                                               "version=\"6.0.0.0\""));
    /* Windows 10 and 11 */
    EXPECT_NE(std::string::npos, manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"));
    EXPECT_NE(std::string::npos, manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"));
    /* drawn at the system's DPI, not stretched */
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
    EXPECT_NE(std::string::npos, manifest.find(">system</dpiAwareness>"));
    EXPECT_NE(std::string::npos, manifest.find("version=\"1.30.0.0\""));
}

/* a string of the Japanese block of the program's version resource, as
   VerQueryValueA hands it out: code page 932 bytes */
std::string VersionString(const std::vector<char> &info, const char *name)
{
    char *value = NULL;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\041103a4\\") + name;
    if (!VerQueryValueA(info.data(), path.c_str(), (void **)&value, &length) || value == NULL)
        return "<none>";
    return std::string(value);
}

TEST(VersionResource, BothProgramsCarryTheJapaneseBlock)
{
    struct Program {
        const char *file, *description, *internalName;
    } programs[] = {
        {"Setup.exe", "Quorvane セットアップ", "Setup"},
        {"Helper.exe", "Quorvane ヘルパー", "Helper"},
    };
    for (const Program &program : programs) {
        SCOPED_TRACE(program.file);
        std::string exe = BinFile(program.file);
        DWORD handle = 0, size = GetFileVersionInfoSizeA(exe.c_str(), &handle);
        ASSERT_NE(0u, size);
        std::vector<char> info(size);
        ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));

        VS_FIXEDFILEINFO *fixed = NULL;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void **)&fixed, &length));
        EXPECT_EQ(0x0001001Eu, fixed->dwFileVersionMS); /* 1.30 */
        EXPECT_EQ(0u, fixed->dwFileVersionLS);
        EXPECT_EQ(0x0001001Eu, fixed->dwProductVersionMS);
        EXPECT_EQ((DWORD)VFT_APP, fixed->dwFileType);

        WORD *translation = NULL;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                                   (void **)&translation, &length));
        ASSERT_EQ(4u, length);
        EXPECT_EQ(0x0411, translation[0]);
        EXPECT_EQ(932, translation[1]);

        EXPECT_EQ("Veskaro", VersionString(info, "CompanyName"));
        EXPECT_EQ("Quorvane", VersionString(info, "ProductName"));
        EXPECT_EQ(program.description, VersionString(info, "FileDescription"));
        EXPECT_EQ("1.30.0.0", VersionString(info, "FileVersion"));
        EXPECT_EQ("1.30.0.0", VersionString(info, "ProductVersion"));
        EXPECT_EQ("(C) 2026 Veskaro", VersionString(info, "LegalCopyright"));
        EXPECT_EQ(program.internalName, VersionString(info, "InternalName"));
        EXPECT_EQ(std::string(program.internalName) + ".exe",
                  VersionString(info, "OriginalFilename"));
    }
}

/* the wizard opened here, modeless, in one mode; a box it opens is
   caught and dismissed at once, never waited in */
class WizardDialog : public ::testing::Test {
protected:
    HWND dialog = NULL;
    BoxCatcher boxes;

    void Open(SetupModeKind mode)
    {
        SetupMode = mode;
        FolderPageShown = 0;
        dialog = CreateDialogParamA(GetModuleHandleA(NULL), "SETUPMAIN", NULL,
                                    SetupDlgProc, 0);
        ASSERT_NE(nullptr, dialog);
    }
    void TearDown() override
    {
        if (dialog != NULL)
            DestroyWindow(dialog);
    }
    int Visible(int id)
    {
        return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    std::string Text(int id)
    {
        char text[512];
        GetDlgItemTextA(dialog, id, text, sizeof(text));
        return text;
    }
};

void ExpectFont(HWND control, LONG weight)
{
    HFONT font = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    ASSERT_NE(nullptr, font);
    LOGFONTA logFont;
    ASSERT_EQ((int)sizeof(logFont), GetObjectA(font, sizeof(logFont), &logFont));
    EXPECT_EQ(32, logFont.lfHeight);
    EXPECT_EQ(0, logFont.lfWidth);
    EXPECT_EQ(weight, logFont.lfWeight);
    EXPECT_FALSE(logFont.lfItalic);
    EXPECT_FALSE(logFont.lfUnderline);
    EXPECT_FALSE(logFont.lfStrikeOut);
    EXPECT_EQ(ANSI_CHARSET, logFont.lfCharSet);
    EXPECT_STREQ("Arial", logFont.lfFaceName);
}

TEST_F(WizardDialog, InstallShowsTheWelcomePage)
{
    Open(Install);
    EXPECT_EQ("Setup", Text(9827));
    EXPECT_EQ("Quorvane のセットアップを開始します。", Text(9824));
    EXPECT_EQ("Quorvane", Text(9826));
    EXPECT_FALSE(Visible(9821));
    EXPECT_FALSE(Visible(9825));
    EXPECT_FALSE(Visible(9828));
    EXPECT_TRUE(Visible(9824));
    EXPECT_TRUE(Visible(9823));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "centring shows the dialog";
}

TEST_F(WizardDialog, UpdateHasOnePageWithoutTheNote)
{
    Open(Update);
    EXPECT_EQ("Update", Text(9827));
    EXPECT_EQ("Quorvane のアップデートを開始します。", Text(9824));
    EXPECT_FALSE(Visible(9821));
    EXPECT_FALSE(Visible(9825));
    EXPECT_FALSE(Visible(9828));
}

TEST_F(WizardDialog, UninstallKeepsTheNoteVisible)
{
    Open(Uninstall);
    EXPECT_EQ("Uninstall", Text(9827));
    EXPECT_EQ("Quorvane をシステムから削除します。", Text(9824));
    EXPECT_FALSE(Visible(9821));
    EXPECT_FALSE(Visible(9825));
    EXPECT_TRUE(Visible(9828));
}

TEST_F(WizardDialog, LargeFontsLiveAsLongAsTheDialog)
{
    Open(Install);
    ExpectFont(GetDlgItem(dialog, 9826), 700);
    ExpectFont(GetDlgItem(dialog, 9827), 500);
    HFONT title = (HFONT)SendDlgItemMessageA(dialog, 9826, WM_GETFONT, 0, 0);
    HFONT mode = (HFONT)SendDlgItemMessageA(dialog, 9827, WM_GETFONT, 0, 0);
    EXPECT_NE(title, mode);
    EXPECT_EQ((DWORD)OBJ_FONT, GetObjectType(title));

    DestroyWindow(dialog);
    dialog = NULL;
    EXPECT_EQ(0u, GetObjectType(title)) << "the title font was not deleted";
    EXPECT_EQ(0u, GetObjectType(mode)) << "the mode font was not deleted";
}

TEST_F(WizardDialog, CentredOnTheWholeScreen)
{
    Open(Install);
    RECT desktop, rect;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    EXPECT_EQ((desktop.right - width) / 2, rect.left);
    EXPECT_EQ((desktop.bottom - height) / 2, rect.top);
}

TEST_F(WizardDialog, ControlsSitAtTheirTemplateRectangles)
{
    Open(Install);
    for (const ExpectedItem &e : kItems) {
        SCOPED_TRACE(e.id);
        /* position and size are mapped each on its own, as the dialog
           manager does */
        RECT expected = {e.x, e.y, e.cx, e.cy};
        MapDialogRect(dialog, &expected);
        RECT actual;
        GetWindowRect(GetDlgItem(dialog, e.id), &actual);
        MapWindowPoints(NULL, dialog, (POINT *)&actual, 2);
        EXPECT_EQ(expected.left, actual.left);
        EXPECT_EQ(expected.top, actual.top);
        EXPECT_EQ(expected.right, actual.right - actual.left);
        EXPECT_EQ(expected.bottom, actual.bottom - actual.top);
    }
}

TEST_F(WizardDialog, OnlyClicksOfTheThreeButtonsAreHandled)
{
    Open(Install);
    /* a notification other than a click (code 1) is not a press */
    EXPECT_FALSE(SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0) &&
                 FolderPageShown);
    EXPECT_EQ(0, FolderPageShown);
    EXPECT_FALSE(Visible(9821));
    /* an unknown id is not handled */
    EXPECT_FALSE(SetupDlgProc(dialog, WM_COMMAND, 4242, 0));

    /* the first 続行 only switches to the folder page */
    EXPECT_TRUE(SetupDlgProc(dialog, WM_COMMAND, IDOK, 0));
    EXPECT_EQ(1, FolderPageShown);
    EXPECT_TRUE(Visible(9821));
    EXPECT_TRUE(Visible(9825));
    EXPECT_EQ("セットアップ先フォルダを指定してください。", Text(9824));
    EXPECT_EQ("C:\\Program Files\\Veskaro\\Quorvane\\", Text(9821));
    EXPECT_TRUE(boxes.Texts().empty()) << "a box opened: " << boxes.Texts()[0];
}

} // namespace
