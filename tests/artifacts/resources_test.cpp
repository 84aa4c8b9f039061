/*
 * Helper.exe's resources read back from the built program: the classic
 * "INPUTBOX" dialog template field by field, and the "APPICON" icon group
 * with its four images.
 */
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/dialog_template.h"
#include "tests/support/support.h"

namespace {

const DWORD kChildVisible = WS_CHILD | WS_VISIBLE;

TEST(HelperResources, InputBoxIsTheClassicTemplateAsDesigned)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(BinFile("Helper.exe"), "INPUTBOX", &t));
    ASSERT_FALSE(t.extended);
    EXPECT_EQ((DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
              t.style);
    EXPECT_EQ(0u, t.exStyle);
    EXPECT_EQ(0, t.x);
    EXPECT_EQ(0, t.y);
    EXPECT_EQ(154, t.cx);
    EXPECT_EQ(63, t.cy);
    EXPECT_EQ("", t.menu);
    EXPECT_EQ("", t.windowClass);
    EXPECT_EQ("", t.caption);
    EXPECT_EQ(9, t.pointSize);
    EXPECT_EQ("MS UI Gothic", t.fontFace);

    struct Expected {
        WORD id;
        const char *className; /* ordinals: 0x80 button, 0x81 edit, 0x82 static */
        const char *text;
        DWORD style;
        short x, y, cx, cy;
    } expected[] = {
        {9822, "#130", "このターゲットに次のキーワードを割り当てます。",
         kChildVisible | SS_LEFT | WS_GROUP, 6, 8, 141, 8},
        {9821, "#129", "",
         kChildVisible | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, 6, 19, 141, 13},
        {1, "#128", "OK", kChildVisible | BS_DEFPUSHBUTTON | WS_TABSTOP, 33, 41, 43, 14},
        {2, "#128", "キャンセル", kChildVisible | BS_PUSHBUTTON | WS_TABSTOP, 79, 41, 43, 14},
    };
    ASSERT_EQ(4u, t.items.size());
    for (size_t i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        const DialogItem &item = t.items[i];
        const Expected &e = expected[i];
        EXPECT_EQ(e.id, item.id);
        EXPECT_EQ(e.className, item.className);
        EXPECT_EQ(e.text, item.text);
        EXPECT_EQ(e.style, item.style) << std::hex << item.style;
        EXPECT_EQ(0u, item.exStyle);
        EXPECT_EQ(e.x, item.x);
        EXPECT_EQ(e.y, item.y);
        EXPECT_EQ(e.cx, item.cx);
        EXPECT_EQ(e.cy, item.cy);
    }
}

TEST(HelperResources, AppIconHoldsFourImagesInSixteenAnd256Colours)
{
    std::vector<IconImage> images;
    ASSERT_TRUE(LoadIconGroup(BinFile("Helper.exe"), "APPICON", &images));
    /* width x height x bits per pixel, with the colour count (0: 256) */
    std::vector<std::string> found;
    for (const IconImage &image : images) {
        found.push_back(std::to_string(image.width) + "x" +
                        std::to_string(image.height) + "x" +
                        std::to_string(image.bitCount) + " colours " +
                        std::to_string(image.colours));
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(std::vector<std::string>({"16x16x4 colours 16", "16x16x8 colours 0",
                                        "32x32x4 colours 16", "32x32x8 colours 0"}),
              found);
}

TEST(HelperResources, ManifestAsksForThemedControlsAndNoExecutionLevel)
{
    std::string manifest;
    ASSERT_TRUE(LoadResourceBytes(BinFile("Helper.exe"), MAKEINTRESOURCEA(24),
                                  MAKEINTRESOURCEA(1), &manifest));
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" "
                                               "version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"));
    /* runs as the user, like the main program */
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
    EXPECT_NE(std::string::npos, manifest.find(">system</dpiAwareness>"));
    EXPECT_EQ(std::string::npos, manifest.find("requestedExecutionLevel"));
    EXPECT_EQ(std::string::npos, manifest.find("trustInfo"));
}

} // namespace
