/*
 * What the built Setup.exe and Helper.exe carry, read back from the
 * programs themselves: the classic dialog templates "SETUPMAIN" and
 * "INPUTBOX" field by field, the "APPICON" icon groups, the manifests and
 * the version resources. The templates' styles and rectangles are spelled
 * here and nowhere else: this is their one check.
 */
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_template.h"
#include "helper/resource.h"
#include "helper/texts.h"
#include "setup/resource.h"
#include "setup/texts.h"
#include "tests/support/support.h"
#include "version.h"

namespace {

const DWORD kChildVisible = WS_CHILD | WS_VISIBLE;
const DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

/* the predefined classes, as the template names them by ordinal */
const char kButton[] = "#128", kEdit[] = "#129", kStatic[] = "#130";

struct ExpectedItem {
    WORD id;
    const char *className;
    const char *text;
    DWORD style;
    short x, y, cx, cy;
};

struct ExpectedDialog {
    const char *program, *name, *caption;
    short cx, cy;
    std::vector<ExpectedItem> items;
};

/* a classic template: its style, place and size, menu, class, caption,
   font, and every control in template order */
::testing::AssertionResult IsTemplate(const ExpectedDialog &e)
{
    DialogTemplate t;
    if (!LoadDialogTemplate(BinFile(e.program), e.name, &t))
        return ::testing::AssertionFailure() << "no template " << e.name;
    if (t.extended || t.style != kDialogStyle || t.exStyle != 0 || t.x != 0 || t.y != 0 ||
        t.cx != e.cx || t.cy != e.cy || !t.menu.empty() || !t.windowClass.empty() ||
        t.caption != e.caption || t.pointSize != 9 || t.fontFace != "MS UI Gothic")
        return ::testing::AssertionFailure() << e.name << ": the dialog itself differs";
    if (t.items.size() != e.items.size())
        return ::testing::AssertionFailure() << e.name << ": " << t.items.size() << " controls";
    for (size_t i = 0; i < t.items.size(); i++) {
        const DialogItem &item = t.items[i];
        const ExpectedItem &x = e.items[i];
        if (item.id != x.id || item.className != x.className || item.text != x.text ||
            item.style != x.style || item.exStyle != 0 || item.x != x.x || item.y != x.y ||
            item.cx != x.cx || item.cy != x.cy)
            return ::testing::AssertionFailure() << e.name << ": control " << i << " (id "
                                                 << item.id << ") differs";
    }
    return ::testing::AssertionSuccess();
}

TEST(ShippedResources, DialogTemplatesAreExact)
{
    const ExpectedDialog wizard = {
        "Setup.exe", "SETUPMAIN", SETUP_CAPTION, 234, 195, {
            {IDC_PAGE_FRAME, kButton, "", kChildVisible | BS_GROUPBOX | WS_TABSTOP, 9, 33, 215, 127},
            {IDOK, kButton, SETUP_CONTINUE_BUTTON, kChildVisible | BS_DEFPUSHBUTTON | WS_TABSTOP,
             113, 171, 56, 15},
            {IDCANCEL, kButton, SETUP_CANCEL_BUTTON, kChildVisible | BS_PUSHBUTTON | WS_TABSTOP,
             169, 171, 56, 15},
            {IDC_MAKER_NOTICE, kStatic, SETUP_MAKER_NOTICE, kChildVisible | SS_LEFT | WS_GROUP,
             9, 176, 100, 9},
            {IDC_PRODUCT_TITLE, kStatic, SETUP_PRODUCT_TITLE, kChildVisible | SS_LEFT | WS_GROUP,
             8, 5, 100, 28},
            {IDC_MODE_WORD, kStatic, SETUP_INSTALL_WORD, kChildVisible | SS_LEFT | WS_GROUP,
             105, 5, 100, 28},
            {IDC_UNINSTALL_NOTE, kStatic, SETUP_UNINSTALL_NOTE, kChildVisible | SS_LEFT | WS_GROUP,
             18, 69, 190, 30},
            {IDC_PAGE_MESSAGE, kStatic, SETUP_INSTALL_MESSAGE, kChildVisible | SS_LEFT | WS_GROUP,
             18, 48, 160, 9},
            {IDC_FOLDER_EDIT, kEdit, "",
             kChildVisible | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_NOHIDESEL, 18, 64, 160,
             13},
            {IDC_BROWSE, kButton, SETUP_BROWSE_BUTTON, kChildVisible | BS_PUSHBUTTON | WS_TABSTOP,
             182, 64, 33, 13},
        }};
    const ExpectedDialog inputBox = {
        "Helper.exe", "INPUTBOX", "", 154, 63, {
            {IDC_PROMPT, kStatic, HELPER_PROMPT, kChildVisible | SS_LEFT | WS_GROUP, 6, 8, 141, 8},
            {IDC_KEYWORD_EDIT, kEdit, "",
             kChildVisible | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, 6, 19, 141, 13},
            {IDOK, kButton, HELPER_OK_BUTTON, kChildVisible | BS_DEFPUSHBUTTON | WS_TABSTOP, 33,
             41, 43, 14},
            {IDCANCEL, kButton, HELPER_CANCEL_BUTTON, kChildVisible | BS_PUSHBUTTON | WS_TABSTOP,
             79, 41, 43, 14},
        }};
    EXPECT_TRUE(IsTemplate(wizard));
    EXPECT_TRUE(IsTemplate(inputBox));
}

TEST(ShippedResources, IconGroupsHoldTheirImages)
{
    struct Program {
        const char *file;
        std::vector<std::string> images;
    } programs[] = {
        /* width x height x bits per pixel, with the colour count (0: 256) */
        {"Setup.exe", {"16x16x4 colours 16", "32x32x4 colours 16"}},
        {"Helper.exe",
         {"16x16x4 colours 16", "16x16x8 colours 0", "32x32x4 colours 16", "32x32x8 colours 0"}},
    };
    for (const Program &program : programs) {
        SCOPED_TRACE(program.file);
        std::vector<IconImage> images;
        ASSERT_TRUE(LoadIconGroup(BinFile(program.file), "APPICON", &images));
        std::vector<std::string> found;
        for (const IconImage &image : images) {
            found.push_back(std::to_string(image.width) + "x" + std::to_string(image.height) +
                            "x" + std::to_string(image.bitCount) + " colours " +
                            std::to_string(image.colours));
        }
        std::sort(found.begin(), found.end());
        EXPECT_EQ(program.images, found);
    }
}

TEST(ShippedResources, ManifestsAskForTheirRights)
{
    struct Program {
        const char *file;
        /* Setup writes the program folder and HKEY_LOCAL_MACHINE; Helper
           runs as the user, like the main program */
        int administrator;
    } programs[] = {{"Setup.exe", 1}, {"Helper.exe", 0}};
    for (const Program &program : programs) {
        SCOPED_TRACE(program.file);
        std::string manifest;
        ASSERT_TRUE(LoadResourceBytes(BinFile(program.file), MAKEINTRESOURCEA(24),
                                      MAKEINTRESOURCEA(1), &manifest));
        EXPECT_EQ(program.administrator,
                  manifest.find("<requestedExecutionLevel level=\"requireAdministrator\"") !=
                      std::string::npos);
        if (!program.administrator)
            EXPECT_EQ(std::string::npos, manifest.find("requestedExecutionLevel"));
        EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" "
                                                   "version=\"6.0.0.0\""));
        /* Windows 10 and 11 */
        EXPECT_NE(std::string::npos, manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"));
        /* drawn at the system's DPI, not stretched, on every Windows:
           dpiAware true says it, and no later element says otherwise */
        EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
        EXPECT_EQ(std::string::npos, manifest.find("dpiAwareness"));
        EXPECT_NE(std::string::npos,
                  manifest.find(std::string("version=\"") + QV_VERSION_QUAD_TEXT + "\""));
    }
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

TEST(ShippedResources, BothProgramsCarryTheJapaneseVersionBlock)
{
    struct Program {
        const char *file, *description, *internalName;
    } programs[] = {
        {"Setup.exe", SETUP_FILE_DESCRIPTION, "Setup"},
        {"Helper.exe", HELPER_FILE_DESCRIPTION, "Helper"},
    };
    const DWORD version = MAKELONG(QV_VERSION_MINOR, QV_VERSION_MAJOR);
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
        EXPECT_EQ(version, fixed->dwFileVersionMS);
        EXPECT_EQ(0u, fixed->dwFileVersionLS);
        EXPECT_EQ(version, fixed->dwProductVersionMS);
        EXPECT_EQ((DWORD)VFT_APP, fixed->dwFileType);

        WORD *translation = NULL;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                                   (void **)&translation, &length));
        ASSERT_EQ(4u, length);
        EXPECT_EQ(0x0411, translation[0]);
        EXPECT_EQ(932, translation[1]);

        EXPECT_EQ(QV_MAKER_NAME, VersionString(info, "CompanyName"));
        EXPECT_EQ(QV_PRODUCT_NAME, VersionString(info, "ProductName"));
        EXPECT_EQ(program.description, VersionString(info, "FileDescription"));
        EXPECT_EQ(QV_VERSION_QUAD_TEXT, VersionString(info, "FileVersion"));
        EXPECT_EQ(QV_VERSION_QUAD_TEXT, VersionString(info, "ProductVersion"));
        EXPECT_EQ(QV_COPYRIGHT, VersionString(info, "LegalCopyright"));
        EXPECT_EQ(program.internalName, VersionString(info, "InternalName"));
        EXPECT_EQ(std::string(program.internalName) + ".exe",
                  VersionString(info, "OriginalFilename"));
    }
}

} // namespace
