/*
 * Setup's start with the real Setup.exe under Wine: the guard against the
 * running main program, a Helper and a second Setup, the list of
 * switches, and the two ends before any wizard (a newer version recorded,
 * an unreadable record). How each record is read and which mode it gives
 * is the unit tests' (tests/unit/mode_test.cpp and record_test.cpp).
 */
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "helper/resource.h"
#include "setup/running.h"
#include "setup_fixture.h"

namespace {

class SetupStart : public SetupTest {};

TEST_F(SetupStart, RefusesBesideTheMainProgramAHelperOrAnotherSetup)
{
    /* each holds what Setup looks for, and each Setup started beside it,
       from the wizard's run and from /S, ends at once: the running box
       and 1, or 1618, with nothing changed */
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(CopyFileA(BinFile(QV_HELPER_EXE).c_str(), (folder + QV_HELPER_EXE).c_str(), FALSE));
    ASSERT_TRUE(RecordInstallation(kThisVersion, folder));
    Program holder;
    HANDLE mutex = NULL;
    const struct Row {
        const char *what;
        std::function<bool()> start;
    } rows[] = {
        {"the main program", [&] { return StartStandIn(&holder) != 0; }},
        {"a Helper",
         [&] {
             return StartProgram(&holder, folder + QV_HELPER_EXE, "C:\\Data\\memo.txt", NULL) &&
                    WaitForDialog(&holder, IDC_KEYWORD_EDIT) != NULL;
         }},
        {"another Setup",
         [&] {
             return StartProgram(&holder, media + QV_SETUP_EXE, "", media.c_str()) &&
                    WaitForDialog(&holder, IDC_PRODUCT_TITLE) != NULL;
         }},
        /* its lock where Windows offers no private namespace, as under
           Wine, held as by a deployment tool's run in session 0 */
        {"Setup of another session",
         [&] { return (mutex = CreateMutexA(NULL, TRUE, SETUP_GLOBAL_MUTEX)) != NULL; }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(row.start());
        ASSERT_TRUE(StartSetup());
        HWND box = WaitForMessageBox(&setup);
        EXPECT_TRUE(IsSetupBox(box, SETUP_RUNNING_TEXT, IconError));
        EXPECT_EQ(nullptr, FindWizard());
        PressButton(box, IDOK);
        EXPECT_EQ((DWORD)ExitBusy, WaitForExit(&setup));
        EXPECT_TRUE(RunsSilently("/S", SilentBusy));
        /* nothing changed, and another Setup stays on its page */
        EXPECT_TRUE(RecordedVersionIs(kThisVersion));
        EXPECT_TRUE(FileExists(folder + QV_HELPER_EXE));
        EXPECT_FALSE(FolderExists(kDefaultFolder));
        EXPECT_TRUE(mutex != NULL || IsRunning(&holder));
        EndProgram(&holder);
    }
    CloseHandle(mutex);
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
