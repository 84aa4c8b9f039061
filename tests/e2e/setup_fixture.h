/*
 * Shared set-up of the Setup end-to-end tests: a clean registry, a fresh
 * media folder, and the running Setup ended after each test.
 */
#ifndef QUORVANE_TESTS_E2E_SETUP_FIXTURE_H
#define QUORVANE_TESTS_E2E_SETUP_FIXTURE_H

#include <string>

#include <gtest/gtest.h>

#include "tests/support/support.h"

extern const char kSetupCaption[];
extern const char kSetupKey[];
extern const char kOptionKey[];
extern const char kMainKey[];
extern const char kProductKey[];
extern const char kUninstallKey[];
extern const char kDefaultFolder[];

/* Setup's boxes */
extern const char kRegistryRead[];
extern const char kNewer[];
extern const char kFolderPrompt[];
extern const char kCreateQuestion[];
extern const char kCreateFailed[];
extern const char kInstalled[];
extern const char kUpdated[];
extern const char kUninstalled[];
extern const char kFatal[];


/* control ids of the wizard */
enum {
    kFolderEdit = 9821, kMakerNotice = 9822, kFrame = 9823, kPageMessage = 9824,
    kBrowse = 9825, kTitle = 9826, kModeWord = 9827, kUninstallNote = 9828
};

class SetupTest : public ::testing::Test {
public:
    std::string media;
    Program setup;
    HWND wizard = NULL;

    void SetUp() override;
    void TearDown() override;

    int StartSetup(const std::string &currentDir = std::string(),
                   const std::string &arguments = std::string());
    /* Setup from the media with arguments, as a deployment tool runs it:
       it ends with exitCode before the deadline, and no window of its own
       was ever visible */
    ::testing::AssertionResult RunsSilently(const std::string &arguments, DWORD exitCode);
    /* the same with another Setup.exe and a whole command line */
    ::testing::AssertionResult RunsSilentlyAs(const std::string &exe, const std::string &commandLine,
                                              DWORD exitCode);
    HWND WaitForWizard();
    HWND FindWizard();
    /* Setup started from the media, its wizard open (wizard) */
    void OpenWizard();
    /* the same, moved on to the folder page */
    void OpenFolderPage();
    void RecordInstallation(DWORD version, const std::string &path);
    /* a box of Setup: its caption, this text and icon, and the buttons */
    ::testing::AssertionResult IsSetupBox(HWND box, const char *text, BoxIcon icon,
                                          UINT buttons = MB_OK);
    /* waits for a box of Setup, checks it and presses button (IDYES or
       IDNO of a question, IDRETRY or IDCANCEL of a retry box, else IDOK) */
    ::testing::AssertionResult AnswerBox(const char *text, BoxIcon icon, int button);
    /* the box answered with OK, then Setup's end with exitCode */
    ::testing::AssertionResult EndsWithBox(const char *text, BoxIcon icon, DWORD exitCode);

    /* Setup started on an unreadable installation record: the
       registry-read box before any wizard, then exit status -1 */
    ::testing::AssertionResult EndsInReadError();

    /* the six media files byte for byte in folder, and an empty
       NoTitle.set */
    ::testing::AssertionResult HasProductFiles(const std::string &folder);
    /* "InstallPath" and the uninstall command name folder; "Version" 130 */
    ::testing::AssertionResult HasRecord(const std::string &folder);
    /* no product key and no uninstall entry */
    ::testing::AssertionResult NothingRecorded();
    /* Setup runs on, its wizard on the folder page */
    ::testing::AssertionResult StillOnFolderPage();
};

/* the exit code a program chose, not one of a crash */
::testing::AssertionResult EndedWith(DWORD code, DWORD expected);

#endif
