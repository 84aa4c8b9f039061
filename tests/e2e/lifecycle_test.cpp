/*
 * The wizard's cancel in every mode, and the full install, update,
 * uninstall, install cycle in one folder.
 */
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helper/resource.h"
#include "setup_fixture.h"

namespace {

class Lifecycle : public SetupTest {
protected:
    /* one run of the wizard through its operation, ending with its box */
    ::testing::AssertionResult RunThrough(const std::string &folder, const char *doneText)
    {
        if (doneText != SETUP_INSTALLED_TEXT)
            return RunOperation(doneText, IconInformation, 0);
        ::testing::AssertionResult page = OpenFolderPage();
        if (!page)
            return page;
        SetControlText(wizard, IDC_FOLDER_EDIT, folder);
        PressButton(wizard, IDOK);
        if (!FolderExists(folder)) {
            ::testing::AssertionResult question =
                AnswerBox(SETUP_CREATE_QUESTION, IconQuestion, IDYES);
            if (!question)
                return question;
        }
        return EndsWithBox(doneText, IconInformation, 0);
    }
};

TEST_F(Lifecycle, CancelAnsweredNoKeepsThePage)
{
    ASSERT_TRUE(OpenFolderPage());
    SetControlText(wizard, IDC_FOLDER_EDIT, "D:\\Typed\\");

    PressButton(wizard, IDCANCEL);
    ASSERT_TRUE(AnswerBox(SETUP_CANCEL_QUESTION, IconQuestion, IDNO));
    EXPECT_TRUE(IsRunning(&setup));
    EXPECT_TRUE(IsControlVisible(wizard, IDC_FOLDER_EDIT));
    EXPECT_EQ("D:\\Typed\\", ControlText(wizard, IDC_FOLDER_EDIT));

    /* Esc and the close box ask the same */
    PressEscape(wizard);
    ASSERT_TRUE(AnswerBox(SETUP_CANCEL_QUESTION, IconQuestion, IDNO));
    PressClose(wizard);
    ASSERT_TRUE(AnswerBox(SETUP_CANCEL_QUESTION, IconQuestion, IDNO));
    EXPECT_TRUE(IsRunning(&setup));
    EXPECT_EQ("D:\\Typed\\", ControlText(wizard, IDC_FOLDER_EDIT));
}

TEST_F(Lifecycle, CancelAnsweredYesEndsWithNothingInstalled)
{
    const DWORD recorded[] = {0, kOlderVersion, kThisVersion};
    for (DWORD version : recorded) {
        SCOPED_TRACE(version);
        ResetProductRegistry();
        std::string folder = TestRoot() + "Installed\\";
        if (version != 0)
            ASSERT_TRUE(LayOutInstallation(folder, version));
        ASSERT_TRUE(OpenWizard());
        PressClose(wizard);
        ASSERT_TRUE(AnswerBox(SETUP_CANCEL_QUESTION, IconQuestion, IDYES));
        ASSERT_TRUE(EndsWithBox(SETUP_CANCELLED_TEXT, IconInformation, 0));
        /* nothing done, and no folder opened */
        EXPECT_TRUE(JobEmpties(&setup));
        if (version == 0) {
            EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
            EXPECT_FALSE(FolderExists(kDefaultFolder));
        } else {
            EXPECT_TRUE(RecordedVersionIs(version));
            std::string data;
            EXPECT_TRUE(ReadFileBytes(folder + QV_MAIN_EXE, &data));
            EXPECT_EQ(std::string("old ") + QV_MAIN_EXE, data);
        }
    }
}

TEST_F(Lifecycle, InstallUpdateUninstallInstallInOneFolder)
{
    std::string folder = TestRoot() + "Program Files\\Quorvane\\";
    ASSERT_TRUE(RunThrough(folder, SETUP_INSTALLED_TEXT));
    EXPECT_TRUE(FileExists(folder + QV_KEYWORD_FILE));
    ASSERT_TRUE(WriteFileBytes(folder + QV_KEYWORD_FILE, Keywords()));

    /* an older version recorded: this Setup updates */
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, kOlderVersion));
    ASSERT_TRUE(WriteFileBytes(folder + QV_MAIN_EXE, "stale"));
    ASSERT_TRUE(RunThrough(folder, SETUP_UPDATED_TEXT));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(KeywordsKept(folder));

    ASSERT_TRUE(RunThrough(folder, SETUP_UNINSTALLED_TEXT));
    EXPECT_TRUE(ProgramFilesRemoved(folder));
    EXPECT_TRUE(FileExists(folder + QV_SETUP_EXE));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_TRUE(NothingRecorded());

    /* installing again into the same folder keeps the user's keywords */
    ASSERT_TRUE(RunThrough(folder, SETUP_INSTALLED_TEXT));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_TRUE(HasRecord(folder));
}

} // namespace
