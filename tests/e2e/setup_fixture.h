/*
 * Shared set-up of the Setup end-to-end tests: a clean registry, a fresh
 * media folder, and the running Setup ended after each test. Every helper
 * that can fail returns an AssertionResult for the caller's ASSERT, so a
 * failure names the calling line and stops the test there.
 */
#ifndef QUORVANE_TESTS_E2E_SETUP_FIXTURE_H
#define QUORVANE_TESTS_E2E_SETUP_FIXTURE_H

#include <string>

#include <gtest/gtest.h>

#include "setup/resource.h"
#include "setup/texts.h"
#include "tests/support/contract.h"
#include "tests/support/support.h"
#include "version.h"

/* the version this Setup carries, and one older and one newer */
const DWORD kThisVersion = QV_VERSION_NUMBER;
const DWORD kOlderVersion = QV_VERSION_NUMBER - 1;
const DWORD kNewerVersion = QV_VERSION_NUMBER + 1;

/* the exit codes of a silent run: Windows Installer's, which deployment
   tools act on, spelled here as those tools know them */
const DWORD kSilentDone = 0;
const DWORD kSilentBusy = 1618;
const DWORD kSilentFailed = 1603;
const DWORD kSilentNotUnderstood = 1639;

/* the default install folder, where only the tests that install there
   write */
const char kDefaultFolder[] = SETUP_DEFAULT_FOLDER;

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
    /* the same with a wide command line, for names code page 932 cannot
       hold, and another Setup.exe where exe is given */
    ::testing::AssertionResult RunsSilentlyWide(const std::wstring &arguments, DWORD exitCode,
                                                const std::wstring &exe = std::wstring());
    HWND WaitForWizard();
    HWND FindWizard();
    /* Setup started from the media, its wizard open (wizard) */
    ::testing::AssertionResult OpenWizard();
    /* the same, moved on to the folder page with both its controls shown */
    ::testing::AssertionResult OpenFolderPage();
    /* 続行 of an update or uninstall, to its box and the end */
    ::testing::AssertionResult RunOperation(const char *doneText, BoxIcon icon, DWORD exitCode);
    /* the record of an installation under root: HKEY_CURRENT_USER as
       earlier Setups wrote it, or HKEY_LOCAL_MACHINE as this one does */
    ::testing::AssertionResult RecordInstallation(DWORD version, const std::string &path,
                                                  HKEY root = HKEY_CURRENT_USER);
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

    /* the media's files byte for byte in folder under their installed
       names, and an empty settings file */
    ::testing::AssertionResult HasProductFiles(const std::string &folder);
    /* both records (the machine's and this account's) name folder and
       this version, and so does the uninstall command */
    ::testing::AssertionResult HasRecord(const std::string &folder);
    /* the version recorded under root */
    ::testing::AssertionResult RecordedVersionIs(DWORD version, HKEY root = HKEY_CURRENT_USER);
    /* no product key, no record and no uninstall entry */
    ::testing::AssertionResult NothingRecorded();
    /* Setup runs on, its wizard on the folder page */
    ::testing::AssertionResult StillOnFolderPage();
};

#endif
