/*
 * The wizard as the real Setup.exe shows it in each mode: centred on the
 * screen by its formula, every control where the template puts it, and
 * the texts and controls of the mode.
 */
#include <string>

#include <gtest/gtest.h>

#include "tests/support/support.h"
#include "setup_fixture.h"

namespace {

const int kIds[] = {9823, IDOK, IDCANCEL, 9822, 9826, 9827, 9828, 9824, 9821, 9825};
const short kRects[][4] = {
    {9, 33, 215, 127}, {113, 171, 56, 15}, {169, 171, 56, 15}, {9, 176, 100, 9},
    {8, 5, 100, 28},   {105, 5, 100, 28},  {18, 69, 190, 30},  {18, 48, 160, 9},
    {18, 64, 160, 13}, {182, 64, 33, 13},
};

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class WizardLayout : public SetupTest {
protected:
    /* the template's rectangles mapped with the same dialog font here */
    void ExpectGeometry(HWND wizard)
    {
        RECT desktop, rect;
        GetWindowRect(GetDesktopWindow(), &desktop);
        GetWindowRect(wizard, &rect);
        int width = rect.right - rect.left, height = rect.bottom - rect.top;
        EXPECT_EQ((desktop.right - width) / 2, rect.left);
        EXPECT_EQ((desktop.bottom - height) / 2, rect.top);

        HWND local = CreateDialogParamA(GetModuleHandleA(NULL), "SETUPMAIN", NULL, Quiet, 0);
        ASSERT_NE(nullptr, local);
        RECT localRect;
        GetWindowRect(local, &localRect);
        EXPECT_EQ(localRect.right - localRect.left, width);
        EXPECT_EQ(localRect.bottom - localRect.top, height);
        for (size_t i = 0; i < sizeof(kIds) / sizeof(kIds[0]); i++) {
            SCOPED_TRACE(kIds[i]);
            RECT expected = {kRects[i][0], kRects[i][1], kRects[i][2], kRects[i][3]};
            MapDialogRect(local, &expected);
            RECT actual = ControlRect(wizard, kIds[i]);
            EXPECT_EQ(expected.left, actual.left);
            EXPECT_EQ(expected.top, actual.top);
            EXPECT_EQ(expected.right, actual.right - actual.left);
            EXPECT_EQ(expected.bottom, actual.bottom - actual.top);
        }
        DestroyWindow(local);
    }
};

TEST_F(WizardLayout, InstallWelcomePage)
{
    ASSERT_TRUE(StartSetup());
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ(kSetupCaption, WindowText(wizard));
    EXPECT_EQ("Quorvane", ControlText(wizard, kTitle));
    EXPECT_EQ("Setup", ControlText(wizard, kModeWord));
    EXPECT_EQ("Quorvane のセットアップを開始します。", ControlText(wizard, kPageMessage));
    EXPECT_EQ("続行", ControlText(wizard, IDOK));
    EXPECT_EQ("キャンセル", ControlText(wizard, IDCANCEL));
    EXPECT_FALSE(IsControlVisible(wizard, kFolderEdit));
    EXPECT_FALSE(IsControlVisible(wizard, kBrowse));
    EXPECT_FALSE(IsControlVisible(wizard, kUninstallNote));
    EXPECT_TRUE(IsControlVisible(wizard, kFrame));
    EXPECT_TRUE(IsControlVisible(wizard, kMakerNotice));
    ExpectGeometry(wizard);
}

TEST_F(WizardLayout, UpdateAndUninstallPages)
{
    RecordInstallation(129, "C:\\Tools\\");
    ASSERT_TRUE(StartSetup());
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ("Update", ControlText(wizard, kModeWord));
    EXPECT_FALSE(IsControlVisible(wizard, kUninstallNote));
    EXPECT_FALSE(IsControlVisible(wizard, kFolderEdit));
    EXPECT_FALSE(IsControlVisible(wizard, kBrowse));
    ExpectGeometry(wizard);
    EndProgram(&setup);

    RecordInstallation(130, "C:\\Tools\\");
    ASSERT_TRUE(StartSetup());
    wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ("Uninstall", ControlText(wizard, kModeWord));
    EXPECT_TRUE(IsControlVisible(wizard, kUninstallNote));
    EXPECT_EQ("いくつかのファイルと、セットアップ先フォルダ、ショートカット ファイルは削除されません。\r\n"
              "これらは、お手数ですが終了後に手動で削除してください。",
              ControlText(wizard, kUninstallNote));
    EXPECT_FALSE(IsControlVisible(wizard, kFolderEdit));
    EXPECT_FALSE(IsControlVisible(wizard, kBrowse));
    ExpectGeometry(wizard);
}

TEST_F(WizardLayout, TitleAndModeWordAreDrawnLarge)
{
    /* the fonts live in Setup's process; their effect is on the screen */
    ASSERT_TRUE(StartSetup());
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    int title = InkHeight(GetDlgItem(wizard, kTitle));
    int mode = InkHeight(GetDlgItem(wizard, kModeWord));
    int message = InkHeight(GetDlgItem(wizard, kPageMessage));
    EXPECT_GT(message, 0);
    EXPECT_GE(title, 18) << "Quorvane in the 32-pixel font";
    EXPECT_GE(mode, 18) << "Setup in the 32-pixel font";
    EXPECT_LT(message, 16) << "the page message keeps the dialog font";
}

} // namespace
