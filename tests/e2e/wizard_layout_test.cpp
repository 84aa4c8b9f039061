/*
 * The wizard and the input box as the real programs show them on the
 * screen: laid out as the template says, and both grown with the
 * screen's DPI, the large fonts with them. Each mode's texts and
 * controls, the centring and the fonts are the unit tests'
 * (tests/unit/wizard_test.cpp), the template itself the artifact tests'
 * (tests/artifacts).
 */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helper/resource.h"
#include "setup_fixture.h"

namespace {

class WizardLayout : public SetupTest {};

TEST_F(WizardLayout, ShownAsTheTemplateLaysItOut)
{
    ASSERT_TRUE(OpenWizard());
    EXPECT_TRUE(HasTemplateGeometry(wizard, "SETUPMAIN"));
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
   dialog font's cell to whole pixels, which the dialog units follow: half
   a pixel of a cell 6 or more pixels across, a twelfth at most (the cell
   of the dialogs' font in the test prefix is 7 pixels wide at 96 DPI and
   11, not 10.5, at 144) */
::testing::AssertionResult HalfAgainAsLarge(int large, int small)
{
    if (small > 0 && large * 12 >= small * 17 && large * 12 <= small * 19)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << large << " against " << small << " at 96 DPI";
}

TEST_F(WizardLayout, SharpAt150Percent)
{
    /* the uninstall page and the input box hold the longest texts */
    ASSERT_TRUE(RecordInstallation(kThisVersion, "C:\\Tools\\"));
    const std::vector<int> wizardTexts = {IDC_PRODUCT_TITLE, IDC_MODE_WORD, IDC_PAGE_MESSAGE,
                                          IDC_UNINSTALL_NOTE, IDC_MAKER_NOTICE};
    const std::vector<int> boxTexts = {IDC_PROMPT};
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
        ASSERT_TRUE(StartProgram(&helper, BinFile(QV_HELPER_EXE), "C:\\Data\\memo.txt", NULL));
        HWND input = WaitForDialog(&helper, IDC_KEYWORD_EDIT);
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
