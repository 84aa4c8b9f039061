/*
 * Setup's start with the real Setup.exe under Wine: the guard against the
 * running main program, a Helper and a second Setup, the list of
 * switches, and the two ends before any wizard (a newer version recorded,
 * an unreadable record). How each record is read and which mode it gives
 * is the unit tests' (tests/unit/mode_test.cpp and record_test.cpp).
 */
#include <string>

#include <gtest/gtest.h>

#include "helper/resource.h"
#include "setup/running.h"
#include "setup_fixture.h"

namespace {

class SetupStart : public SetupTest {};

TEST_F(SetupStart, RefusesWhileTheMainProgramRuns)
{
    Program standIn;
    ASSERT_TRUE(StartStandIn(&standIn));
    ASSERT_TRUE(RecordInstallation(kThisVersion, "C:\\Tools\\"));

    ASSERT_TRUE(StartSetup());
    HWND box = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(IsSetupBox(box, SETUP_RUNNING_TEXT, IconError));
    EXPECT_EQ(nullptr, FindWizard());
    PressButton(box, IDOK);
    EXPECT_EQ(1u, WaitForExit(&setup));

    /* nothing changed */
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));
    EXPECT_FALSE(FileExists(std::string("C:\\Tools\\") + QV_MAIN_EXE));
}

TEST_F(SetupStart, RefusesWhileAHelperIsOpen)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(CopyFileA(BinFile(QV_HELPER_EXE).c_str(), (folder + QV_HELPER_EXE).c_str(), FALSE));
    ASSERT_TRUE(RecordInstallation(kThisVersion, folder));
    Program helper;
    ASSERT_TRUE(StartProgram(&helper, folder + QV_HELPER_EXE, "C:\\Data\\memo.txt", NULL));
    ASSERT_NE(nullptr, WaitForDialog(&helper, IDC_KEYWORD_EDIT));

    ASSERT_TRUE(StartSetup());
    ASSERT_TRUE(EndsWithBox(SETUP_RUNNING_TEXT, IconError, 1));
    EXPECT_TRUE(FileExists(folder + QV_HELPER_EXE));
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));
}

TEST_F(SetupStart, SilentRunBesideAHelperOrAnotherSetupIsToBeTriedAgain)
{
    /* a Helper; the main program is one row of the silent boxes' table */
    Program other;
    ASSERT_TRUE(StartProgram(&other, BinFile(QV_HELPER_EXE), "C:\\Data\\memo.txt", NULL));
    ASSERT_NE(nullptr, WaitForDialog(&other, IDC_KEYWORD_EDIT));
    EXPECT_TRUE(RunsSilently("/S", SilentBusy));
    EndProgram(&other);
    /* another Setup */
    ASSERT_TRUE(StartProgram(&other, media + QV_SETUP_EXE, "", media.c_str()));
    ASSERT_NE(nullptr, WaitForDialog(&other, IDC_PRODUCT_TITLE));
    EXPECT_TRUE(RunsSilently("/S", SilentBusy));
    EXPECT_TRUE(NothingRecorded());
    EXPECT_FALSE(FolderExists(kDefaultFolder));
}

TEST_F(SetupStart, SetupOfAnotherSessionHoldsTheMachinesMutex)
{
    /* Setup's lock where Windows offers no private namespace, as under
       Wine, held here as by a deployment tool's run in session 0 */
    HANDLE other = CreateMutexA(NULL, TRUE, SETUP_GLOBAL_MUTEX);
    ASSERT_NE(nullptr, other);
    ASSERT_TRUE(StartSetup());
    EXPECT_TRUE(EndsWithBox(SETUP_RUNNING_TEXT, IconError, ExitBusy));
    CloseHandle(other);
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(SetupStart, QuestionMarkListsTheSwitchesAndDoesNothingElse)
{
    ASSERT_TRUE(StartSetup(media, "/?"));
    ASSERT_TRUE(EndsWithBox(SETUP_USAGE_TEXT, IconInformation, 0));
    EXPECT_TRUE(NothingRecorded());

    /* without /S other words change nothing: the wizard as always */
    ASSERT_TRUE(StartSetup(media, "/uninstall /D=C:\\Tools"));
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ(SETUP_INSTALL_WORD, ControlText(wizard, IDC_MODE_WORD));
}

TEST_F(SetupStart, RefusesASecondSetup)
{
    ASSERT_TRUE(OpenWizard());

    Program second;
    ASSERT_TRUE(StartProgram(&second, media + QV_SETUP_EXE, "", media.c_str()));
    HWND box = WaitForMessageBox(&second);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(IsSetupBox(box, SETUP_RUNNING_TEXT, IconError));
    PressButton(box, IDOK);
    EXPECT_EQ(1u, WaitForExit(&second));
    EndProgram(&second);

    /* the first one is untouched and still on its page */
    EXPECT_TRUE(IsRunning(&setup));
    EXPECT_EQ(SETUP_INSTALL_WORD, ControlText(wizard, IDC_MODE_WORD));
}

TEST_F(SetupStart, NewerRecordShowsTheNoticeAndEnds)
{
    ASSERT_TRUE(RecordInstallation(kNewerVersion, "C:\\Tools\\"));
    ASSERT_TRUE(StartSetup());
    HWND box = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(IsSetupBox(box, SETUP_NEWER_TEXT, IconInformation));
    EXPECT_EQ(nullptr, FindWizard());
    PressButton(box, IDOK);
    EXPECT_EQ(0u, WaitForExit(&setup));

    EXPECT_TRUE(RecordedVersionIs(kNewerVersion));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOptionKey));
}

TEST_F(SetupStart, UnreadableRecordEndsBeforeTheWizard)
{
    /* a relative folder would name one below the current directory, here
       the media; nothing there is touched */
    ASSERT_TRUE(MakeFreshFolder(media + "abc\\"));
    ASSERT_TRUE(WriteFileBytes(media + "abc\\" + QV_README_FILE, "someone else's"));
    ASSERT_TRUE(RecordInstallation(kThisVersion, "abc\\"));
    EXPECT_TRUE(EndsInReadError());
    EXPECT_TRUE(FileExists(media + "abc\\" + QV_README_FILE));

    /* the machine's record decides where there is one, however this
       account's reads */
    ResetProductRegistry();
    ASSERT_TRUE(RecordInstallation(kThisVersion, "C:\\Tools\\", HKEY_CURRENT_USER));
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, kMachineSetupKey));
    EXPECT_TRUE(EndsInReadError());
}

} // namespace
