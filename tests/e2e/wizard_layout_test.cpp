/*
 * The wizard as the real Setup.exe shows it in each mode: centred on the
 * screen by its formula, every control where the template puts it, and
 * the texts and controls of the mode.
 */
#include <string>
#include <vector>

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

/* how a dialog stands on the screen: its client size, and for each text
   control the height of its ink and whether the ink runs to the control's
   right or bottom edge, where a text too long for it is cut */
struct DialogLook {
    int width = 0, height = 0;
    std::vector<int> inkHeights;
    std::vector<bool> cut;
};

DialogLook LookAt(HWND dialog, const std::vector<int> &texts)
{
    DialogLook look;
    RECT client;
    GetClientRect(dialog, &client);
    look.width = client.right;
    look.height = client.bottom;
    for (int id : texts) {
        HWND control = GetDlgItem(dialog, id);
        RECT rect, ink = InkBounds(control);
        GetClientRect(control, &rect);
        look.inkHeights.push_back(ink.bottom - ink.top);
        look.cut.push_back(ink.right >= rect.right || ink.bottom >= rect.bottom);
    }
    return look;
}

/* large is small one and a half times, give or take the rounding of the
   dialog font's cell to whole pixels, which the dialog units follow */
::testing::AssertionResult HalfAgainAsLarge(int large, int small)
{
    if (small > 0 && large * 100 >= small * 144 && large * 100 <= small * 156)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << large << " against " << small << " at 96 DPI";
}

TEST_F(WizardLayout, SharpAt150Percent)
{
    /* the uninstall page and the input box hold the longest texts */
    RecordInstallation(130, "C:\\Tools\\");
    const std::vector<int> wizardTexts = {kTitle, kModeWord, kPageMessage, kUninstallNote,
                                          kMakerNotice};
    const std::vector<int> boxTexts = {9822};
    DialogLook wizard[2], box[2];
    const DWORD dpis[] = {96, 144};
    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE(dpis[i]);
        ScreenDpi dpi(dpis[i]);
        ASSERT_TRUE(StartSetup());
        HWND shown = WaitForWizard();
        ASSERT_NE(nullptr, shown);
        wizard[i] = LookAt(shown, wizardTexts);
        EndProgram(&setup);
        Program helper;
        ASSERT_TRUE(StartProgram(&helper, BinFile("Helper.exe"), "C:\\Data\\memo.txt", NULL));
        HWND input = WaitForDialog(&helper, 9821);
        ASSERT_NE(nullptr, input);
        box[i] = LookAt(input, boxTexts);
    }
    EXPECT_TRUE(HalfAgainAsLarge(wizard[1].width, wizard[0].width));
    EXPECT_TRUE(HalfAgainAsLarge(wizard[1].height, wizard[0].height));
    EXPECT_TRUE(HalfAgainAsLarge(box[1].width, box[0].width));
    EXPECT_TRUE(HalfAgainAsLarge(box[1].height, box[0].height));
    /* the 32-pixel fonts become 48 pixels: their ink grows as much */
    for (int i = 0; i < 2; i++) {
        int grown = wizard[1].inkHeights[i] * 100, before = wizard[0].inkHeights[i];
        EXPECT_TRUE(grown >= before * 140 && grown <= before * 160)
            << wizardTexts[i] << ": " << wizard[1].inkHeights[i] << " against " << before;
    }
    EXPECT_EQ(wizard[0].cut, wizard[1].cut) << "a text is cut at 150 per cent only";
    EXPECT_EQ(box[0].cut, box[1].cut) << "the prompt is cut at 150 per cent only";
}

} // namespace
