/*
 * Shared set-up of the Setup end-to-end tests: a clean registry, a fresh
 * media folder, and the running Setup ended after each test. Every helper
 * that can fail returns an AssertionResult for the caller's ASSERT, so a
 * failure names the calling line and stops the test there.
 */
#ifndef QUORVANE_TESTS_E2E_SETUP_FIXTURE_H
#define QUORVANE_TESTS_E2E_SETUP_FIXTURE_H

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "setup/ends.h"
#include "setup/files.h"
#include "setup/journal.h"
#include "setup/resource.h"
#include "setup/texts.h"
#include "tests/support/contract.h"
#include "tests/support/support.h"
#include "version.h"

/* the version this Setup carries, and one older and one newer */
const DWORD kThisVersion = QV_VERSION_NUMBER;
const DWORD kOlderVersion = QV_VERSION_NUMBER - 1;
const DWORD kNewerVersion = QV_VERSION_NUMBER + 1;

/* an interactive run's failure, as its exit code reads */
const DWORD kExitFailed = (DWORD)ExitFailed;

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
    /* the record of an installation under root: HKEY_LOCAL_MACHINE as
       this Setup writes it, or HKEY_CURRENT_USER as earlier Setups did */
    ::testing::AssertionResult RecordInstallation(DWORD version, const std::string &path,
                                                  HKEY root = HKEY_LOCAL_MACHINE);
    /* an installed product as an earlier Setup left it in folder: its
       files, the user's keywords and another file, an option the user
       set, and the machine's and this account's record */
    ::testing::AssertionResult LayOutInstallation(const std::string &folder, DWORD version);
    /* the context-menu verb keys the main program writes, and whether
       none is left */
    ::testing::AssertionResult AddVerbKeys();
    ::testing::AssertionResult NoVerbKeys();
    /* the files an uninstall removes are gone from folder */
    ::testing::AssertionResult ProgramFilesRemoved(const std::string &folder);
    /* the keyword file LayOutInstallation wrote is in folder as it was */
    ::testing::AssertionResult KeywordsKept(const std::string &folder);
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
    ::testing::AssertionResult RecordedVersionIs(DWORD version, HKEY root = HKEY_LOCAL_MACHINE);
    /* no product key, no record and no uninstall entry */
    ::testing::AssertionResult NothingRecorded();
    /* Setup runs on, its wizard on the folder page */
    ::testing::AssertionResult StillOnFolderPage();
};

/* the user's keywords that LayOutInstallation leaves */
std::string Keywords();
/* every file of a folder and its bytes */
std::map<std::string, std::string> FolderContents(const std::string &folder);
/* no temporary file of a swap, nor its journal, in folder */
::testing::AssertionResult NoTemporaryFiles(const std::string &folder);
/* every line of a log is one event: a time first, and no line break
   inside (a box's own line breaks become spaces) */
::testing::AssertionResult EveryLineIsOneEvent(const std::string &text);
/* the log's last line: the end of the run, its exit code and what that
   means */
::testing::AssertionResult EndsWithCode(const std::string &text, long code);
/* the log line of a box: its text with its line breaks as spaces */
std::string BoxLine(const std::string &text);
/* a whole journal of operation and version, in which the files of names
   were replaced */
std::string Journal(char operation, DWORD version, const std::vector<std::string> &names);

#endif
