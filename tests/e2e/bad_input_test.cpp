/*
 * Input nobody controls, through the real Setup.exe: an installation
 * record edited by hand or by other programs, a broken setup media, and
 * folder names with double-byte characters. Each must end in its box,
 * never in a crash or a write outside the install folder. The rules
 * themselves (the record reader, the folder check) are table-tested
 * against the routines in tests/unit.
 */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helper/resource.h"
#include "setup_fixture.h"

namespace {

/* the installation record */

class BadRegistry : public SetupTest {};

TEST_F(BadRegistry, RecordedFileIsNeverRun)
{
    /* a batch file that would leave a marker, recorded as the folder */
    std::string batch = TestRoot() + "x.bat";
    std::string marker = TestRoot() + "ran.txt";
    ASSERT_TRUE(WriteFileBytes(batch, "echo ran > " + marker + "\r\n"));
    ASSERT_TRUE(RecordInstallation(kThisVersion, batch));
    EXPECT_TRUE(RunOperation(SETUP_UNINSTALLED_TEXT, IconInformation, 0));
    /* nothing was started, so nothing can still be starting */
    EXPECT_TRUE(JobEmpties(&setup)) << JobProcessNames(&setup);
    EXPECT_FALSE(FileExists(marker));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

TEST_F(BadRegistry, RecordedFolderEndingInHalfACharacterIsNeverUsed)
{
    /* 0x81 would take the added backslash as its second byte, and the
       files would land beside the folder under another name */
    std::string folder = TestRoot() + "abc\x81";
    std::string beside = TestRoot() + "abc\x81\x5c" + QV_MAIN_EXE;
    ASSERT_TRUE(MakeFreshFolder(TestRoot() + "abc"));
    ASSERT_TRUE(WriteFileBytes(beside, "someone else's"));

    /* the registry keeps the text in whole characters: the record reads
       back as a folder of its own, which the update makes */
    ASSERT_TRUE(RecordInstallation(kOlderVersion, folder));
    EXPECT_TRUE(RunOperation(SETUP_UPDATED_TEXT, IconInformation, 0));

    ASSERT_TRUE(RecordInstallation(kThisVersion, folder));
    EXPECT_TRUE(RunOperation(SETUP_UNINSTALLED_TEXT, IconInformation, 0));
    std::string data;
    EXPECT_TRUE(ReadFileBytes(beside, &data));
    EXPECT_EQ("someone else's", data);
}

/* the setup media */

class BadMedia : public SetupTest {
protected:
    /* an install into a fresh folder, to the box it ends with */
    ::testing::AssertionResult InstallsInto(const std::string &folder, const char *doneText,
                                            BoxIcon icon, DWORD exitCode)
    {
        ::testing::AssertionResult page = OpenFolderPage();
        if (!page)
            return page;
        SetControlText(wizard, IDC_FOLDER_EDIT, folder);
        PressButton(wizard, IDOK);
        return EndsWithBox(doneText, icon, exitCode);
    }
};

TEST_F(BadMedia, AMissingFileLeavesNothing)
{
    /* the first of the table: every file is checked before anything is
       made (each missing one in turn is the unit tests' case, in
       media_test.cpp) */
    ASSERT_TRUE(BuildMedia(media, MediaRows()[0]->mediaName));
    std::string folder = TestRoot() + "Missing\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(InstallsInto(folder, SETUP_FATAL_TEXT, IconError, kExitFailed));
    EXPECT_EQ(std::vector<std::string>(), FolderEntries(folder));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(BadMedia, ZeroByteFileIsCopiedAsItIs)
{
    ASSERT_TRUE(WriteFileBytes(media + QV_README_FILE, ""));
    std::string folder = TestRoot() + "Zero\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(InstallsInto(folder, SETUP_INSTALLED_TEXT, IconInformation, 0));
    std::string data = "not empty";
    EXPECT_TRUE(ReadFileBytes(folder + QV_README_FILE, &data));
    EXPECT_EQ("", data);
}

TEST_F(BadMedia, FolderInPlaceOfAFileIsFatal)
{
    std::string contents = MediaNameOf(QV_HELP_CONTENTS_FILE);
    ASSERT_TRUE(DeleteFileA((media + contents).c_str()));
    ASSERT_TRUE(CreateDirectoryA((media + contents).c_str(), NULL));
    std::string folder = TestRoot() + "Folder\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(InstallsInto(folder, SETUP_FATAL_TEXT, IconError, kExitFailed));
    EXPECT_FALSE(FileExists(folder + QV_HELP_CONTENTS_FILE));
    EXPECT_FALSE(FolderExists(folder + QV_HELP_CONTENTS_FILE));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(BadMedia, AMediaFolderCodePage932CannotNameHasNoLookAlike)
{
    /* ¥ is no character of code page 932: the ANSI path of C:\qvtest\m¥x\
       would be C:\qvtest\m\x\, another folder, here of other files */
    std::string lookAlike = TestRoot() + "m\\x\\";
    ASSERT_TRUE(MakeFreshFolder(lookAlike));
    for (const ProductFile *row : MediaRows())
        ASSERT_TRUE(WriteFileBytes(lookAlike + row->mediaName, "decoy"));
    const std::wstring wideMedia = L"C:\\qvtest\\m\u00a5x\\";
    ASSERT_TRUE(CreateDirectoryW(wideMedia.c_str(), NULL));
    for (const ProductFile *row : MediaRows()) {
        wchar_t name[MAX_PATH];
        ASSERT_NE(0, MultiByteToWideChar(CP_ACP, 0, row->mediaName, -1, name, MAX_PATH));
        ASSERT_TRUE(CopyFileW(std::wstring(L"C:\\qvtest\\media\\" + std::wstring(name)).c_str(),
                              (wideMedia + name).c_str(), FALSE));
    }
    std::string folder = TestRoot() + "Installed\\";
    std::string log = TestRoot() + "setup.log";
    EXPECT_TRUE(RunsSilentlyWide(L"/LOG=C:\\qvtest\\setup.log /S /D=C:\\qvtest\\Installed",
                                 SilentFailed, wideMedia + L"Setup.exe"));
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_TRUE(NothingRecorded());
    std::string text, box = std::string("メッセージ: ") + SETUP_MEDIA_NAME_TEXT;
    box.replace(box.find("\r\n"), 2, "  ");
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.find(box)) << text;
}

/* folder names typed by hand */

class BadFolder : public SetupTest {};

TEST_F(BadFolder, BackslashTrailBytesThroughInstallHelperUpdateUninstall)
{
    /* ソ and 能 both end in 0x5C */
    std::string folder = TestRoot() + "ソ\\能";
    ASSERT_TRUE(OpenFolderPage());
    SetControlText(wizard, IDC_FOLDER_EDIT, folder);
    PressButton(wizard, IDOK);
    ASSERT_TRUE(AnswerBox(SETUP_CREATE_QUESTION, IconQuestion, IDYES));
    ASSERT_TRUE(EndsWithBox(SETUP_INSTALLED_TEXT, IconInformation, 0));
    std::string installed = folder + "\\";
    EXPECT_TRUE(HasProductFiles(installed));
    EXPECT_TRUE(HasRecord(installed));
    EXPECT_EQ(std::vector<std::string>({"media", "ソ"}), FolderEntries(TestRoot()));

    /* the installed Helper finds the keyword file beside itself */
    Program helper;
    ASSERT_TRUE(StartProgram(&helper, installed + QV_HELPER_EXE, "C:\\Data\\能", media.c_str()));
    HWND box = WaitForDialog(&helper, IDC_KEYWORD_EDIT);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("能", ControlText(box, IDC_KEYWORD_EDIT));
    PressButton(box, IDOK);
    EXPECT_TRUE(EndedWith(WaitForExit(&helper), 1));
    EndProgram(&helper);
    const std::string keywords = Record("能", "C:\\Data\\能");
    std::string data;
    EXPECT_TRUE(ReadFileBytes(installed + QV_KEYWORD_FILE, &data));
    EXPECT_EQ(keywords, data);

    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, kOlderVersion));
    EXPECT_TRUE(RunOperation(SETUP_UPDATED_TEXT, IconInformation, 0));
    EXPECT_TRUE(RunOperation(SETUP_UNINSTALLED_TEXT, IconInformation, 0));
    EXPECT_FALSE(FileExists(installed + QV_MAIN_EXE));
    EXPECT_FALSE(FileExists(installed + QV_HELPER_EXE));
    EXPECT_TRUE(ReadFileBytes(installed + QV_KEYWORD_FILE, &data));
    EXPECT_EQ(keywords, data);
}

} // namespace
