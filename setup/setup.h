/*
 * Setup's process-wide state and the routines its files share. Setup
 * decides once, at start, whether this run installs, updates or
 * uninstalls, and everything after that reads the decision from here.
 */
#ifndef QUORVANE_SETUP_SETUP_H
#define QUORVANE_SETUP_SETUP_H

#include <windows.h>

#include "../common/names.h"
#include "switches.h"
#include "version.h"

#define SETUP_WINDOW_CLASS "QuorvaneSetup"

enum SetupModeKind : unsigned char {
    Install = 0,
    Update = 1,
    Uninstall = 2,
    NewerInstalled = 3
};

/* Process-wide state */
/* the version this Setup carries; recorded as "Version" and compared with
   the recorded one by DecideSetupMode */
extern const LONG kSetupVersion;
/* written once by DecideSetupMode before the wizard opens or the silent
   run acts; read by the wizard and the actions */
extern SetupModeKind SetupMode;
/* the install folder, ending in a backslash once AddInstallPathBackslash
   succeeded: written by DecideSetupMode from the record in Update and
   Uninstall mode, and by DecideInstallFolder in Install mode (the
   wizard's folder page, or /D= or the default folder of a silent
   install); read by the actions and by the folder opening after the run */
extern char InstallPath[MAX_PATH];
/* 1 once the wizard shows its folder page (Install mode only); written and
   read by the wizard */
extern int FolderPageShown;
/* 1 for a run with /S: no window at all, every box a log line instead;
   written by WinMain at start, read by SetupBox */
extern int SilentRun;
/* the outermost folder this install created, ending in its backslash, or
   empty; written by CreateFolderChain, read and emptied by the undo and
   the commit of the install's changes (files.cpp) */
extern char CreatedFolder[MAX_PATH];
/* 1 when Setup runs as LocalSystem (a deployment tool), whose
   HKEY_CURRENT_USER is no user's: no settings and no record are written
   there; written by WinMain at start, read by the registry writers */
extern int SystemAccount;

/* start-up and the ends of a run */
void DecideSetupMode(void);
/* what ReadInstallationRecord found */
enum { RecordMissing = 0, RecordRead = 1, RecordUnreadable = 2 };
/* the installation record under root\path: its version and its folder
   (an absolute path of at most 259 bytes) into folder (size bytes,
   empty unless RecordRead) */
int ReadInstallationRecord(HKEY root, const char *path, LONG *version, char *folder,
                           size_t size);
/* what the run changed put back, the fatal box, and the end (RunFailed) */
__attribute__((noreturn)) void FatalSetupError(void);
/* a box with the standard caption, also logged; the button the user
   chose. A silent run only logs it and answers No, Cancel or OK */
int SetupBox(HWND owner, const char *text, UINT type);
/* how a run ends. Its exit code: interactive runs keep the codes they
   always had (0, 1, -1); a silent run answers in the codes deployment
   tools act on, Windows Installer's (0, 1618, 1603, 1639) */
enum RunEnd {
    RunDone = 0,          /* done, cancelled, or nothing to do */
    RunBusy = 1,          /* the product or another Setup runs, or a file is in use */
    RunFailed = 2,        /* any failure */
    RunNotUnderstood = 3  /* the command line of /S is not understood */
};
int ExitCodeOf(int end);
/* the end of the run in the log, with the code's meaning; returns the
   exit code */
int EndRun(int end);
/* the same, then the process ends with the exit code */
__attribute__((noreturn)) void ExitRun(int end);
/* 1 when path is an existing folder ending in its backslash: the only
   thing opened in the shell after a completed run */
int IsFolderToOpen(const char *path);
/* the machine's own class that Setup opens folders with: Folder, or
   Directory where Folder is missing; NULL when neither opens. RegCloseKey
   it */
HKEY OpenFolderClass(void);
/* the shell's opening of InstallPath with the "explore" verb of
   folderClass, owned by hwnd */
void DescribeFolderOpening(SHELLEXECUTEINFOA *info, HKEY folderClass, HWND hwnd);
/* the install folder in a folder window, for what the user may want to
   do there next, when IsFolderToOpen says so; not reported when it fails,
   as the run itself is complete */
void OpenInstallFolder(HWND hwnd);
/* whether the product runs (running.cpp) */
/* 1 while a Helper runs (it holds its mutex from start to end) */
int HelperIsRunning(void);
/* 1 while a program of the product runs from the install folder, in any
   session: the main program or Helper */
int ProductProgramIsRunning(void);
/* the running-program box and the end of the run (RunBusy) when a
   Helper or a program of the install folder runs; right before anything
   changes, and at the start */
void EndIfProductRuns(HWND owner);
/* the switches of this process's command line */
void ReadSetupSwitches(struct SetupSwitches *switches);
/* the run of /S; how it ended */
int RunSilently(const struct SetupSwitches *switches);

/* the log of /LOG= */
/* opens path for appending; 0 when it cannot be opened (nothing is
   logged then) */
int OpenSetupLog(const char *path);
/* one line, the time before it; nothing without a log */
void LogLine(const char *format, ...);
/* "failed: what path (error N)" with the given Windows error code, or
   with the thread's last error */
void LogError(const char *what, const char *path, DWORD error);
void LogFailure(const char *what, const char *path);

/* a routine of a system DLL, which is loaded from the system folder on
   first use and kept; NULL when either is missing */
FARPROC LoadSystemProc(const char *dll, const char *name);
/* the same as a function pointer of the routine's own type */
#define LOAD_SYSTEM_PROC(type, dll, name) \
    ((type)(void (*)(void))LoadSystemProc(dll, name))

/* registry layout */
int ValueExists(HKEY key, const char *name);
int SetDwordValue(HKEY key, const char *name, DWORD value);
int SetStringValue(HKEY key, const char *name, const char *text);
/* the main program's settings, where they are missing */
void SeedSettings(void);
/* "InstallPath" and "Version", for the machine and, unless SystemAccount,
   for this account too (an older Setup reads only that one); the run ends
   in the fatal box when one cannot be written */
void WriteInstallationRecord(void);
void RegisterUninstallEntry(void);
void DeleteUninstallEntry(void);
/* RegDeleteKeyA, logged; a key that is not there is no failure */
void DeleteRegistryKey(HKEY root, const char *path);
/* a key under HKEY_LOCAL_MACHINE, when nothing is left in it */
void DeleteMachineKeyIfEmpty(const char *path);

/* wizard */
INT_PTR CALLBACK SetupDlgProc(HWND hwnd, UINT message, WPARAM wParam,
                              LPARAM lParam);

/* the files of the install folder */
/* adds the trailing backslash to InstallPath unless it has one; 0 when
   that does not fit, or when InstallPath ends in half a character */
int AddInstallPathBackslash(void);
/* 1 when every file of the product has a path below InstallPath that fits
   MAX_PATH; InstallPath must already end in its backslash */
int ProductFilesFit(void);
/* out (size bytes, at most MAX_PATH used) = InstallPath + name; 0 and an
   empty out when InstallPath lacks its backslash or the path does not fit */
int ComposeInstallFile(char *out, size_t size, const char *name);
/* the files of an install or update, swapped in all or nothing: the new
   copies and data files made, every existing target checked to be
   replaceable, then the targets swapped, the old files kept until
   CommitFileChanges */
void CopyProductFiles(HWND owner);
/* after the record is written: the old files deleted */
void CommitFileChanges(void);
/* what an install or update under way changed, put back, and the folders
   it created removed; nothing once committed. ExitRun calls it */
void UndoFileChanges(void);
/* the swap a killed Setup left in InstallPath, finished (every target
   swapped) or undone */
void RecoverInterruptedChanges(void);
/* the uninstall's deletions, after every file that exists was checked to
   be deletable; how many could not be deleted */
int DeleteProductFiles(HWND owner);

/* install and update */
/* text, the install folder typed or given with /D=, into InstallPath:
   made absolute, with its backslash; 0 when it is too short, cannot be
   made absolute, or a file of the product would not fit below it */
int DecideInstallFolder(const char *text);
/* copies, data files, settings, record and uninstall entry, then the
   completion box owned by hwnd */
void InstallAction(HWND hwnd);
void UpdateAction(HWND hwnd);
/* creates every missing folder of path, each with the permissions of
   InstallFolderSecurity */
int CreateFolderChain(const char *path);
int IsExistingFolder(const char *path);

/* who may change what Setup acts on (security.cpp) */
/* the security of every folder Setup creates: SYSTEM and Administrators
   full control, Users read and execute, inherited by what is created in
   it, and nothing inherited from its parent; NULL when it cannot be
   built. LocalFree it */
PSECURITY_DESCRIPTOR InstallFolderSecurity(void);
/* the entry the data files get beside what they inherit: Users may read
   and write them, neither delete them nor change their permissions */
PSECURITY_DESCRIPTOR DataFileSecurity(void);
/* gives path the entry of DataFileSecurity unless Users may already read
   and write it; 1 when they may */
int LetUsersWrite(const char *path);
int RunsAsLocalSystem(void);
/* where a folder stands to the install folder */
enum { InstallFolderPlace = 0, FolderAbovePlace = 1, DriveRootPlace = 2 };
/* 1 when no one but SYSTEM, Administrators, TrustedInstaller and account
   owns the folder of this security or may change what Setup puts below
   it, for the folder's place */
int IsFolderSafe(PSECURITY_DESCRIPTOR descriptor, int place, PSID account);
/* 1 when folder, or an existing folder above it up to its root, is not
   safe; that folder is then in unsafe (size bytes) */
int FindUnsafeFolder(const char *folder, char *unsafe, size_t size);
/* 1 when InstallPath is safe; otherwise the warning that names the
   folder, owned by owner */
int InstallFolderIsSafe(HWND owner);

/* uninstall */
void UninstallAction(HWND hwnd);

#endif
