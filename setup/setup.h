/*
 * Setup's process-wide state and the routines of its start-up, wizard,
 * actions and registry layout. Setup decides once, at start, whether this
 * run installs, updates or uninstalls, and everything after that reads the
 * decision from here.
 */
#ifndef QUORVANE_SETUP_SETUP_H
#define QUORVANE_SETUP_SETUP_H

#include <windows.h>

#include "../common/names.h"

#define SETUP_CAPTION "Quorvane - セットアップ ウィザード"
#define SETUP_WINDOW_CLASS "QuorvaneSetup"
#define SETUP_DISPLAY_VERSION "1.30"
#define SETUP_DEFAULT_FOLDER "C:\\Program Files\\Veskaro\\Quorvane\\"
#define UNINSTALL_KEY \
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veskaro Quorvane"

enum SetupModeKind : unsigned char {
    Install = 0,
    Update = 1,
    Uninstall = 2,
    NewerInstalled = 3
};

/* the version this Setup carries; recorded as "Version" */
extern const LONG kSetupVersion;

/* set by DecideSetupMode before the wizard opens; read by the wizard and
   the actions */
extern SetupModeKind SetupMode;

/* the install folder: from the registry in Update and Uninstall mode, from
   the wizard in Install mode; CopyProductFiles adds the trailing backslash */
extern char InstallPath[MAX_PATH];

/* 1 once the wizard shows its folder page (Install mode only) */
extern int FolderPageShown;

/* the wizard's large fonts, created on open and deleted on destroy */
extern HFONT TitleFont;
extern HFONT ModeFont;

/* start-up */
LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT message, WPARAM wParam,
                              LPARAM lParam);
void DecideSetupMode(void);
__attribute__((noreturn)) void FatalSetupError(void);

/* registry layout */
int ValueExists(HKEY key, const char *name);
int SetDwordValue(HKEY key, const char *name, DWORD value);
int SetStringValue(HKEY key, const char *name, const char *text);
void SeedSettings(void);
void RegisterUninstallEntry(void);
void DeleteUninstallEntry(void);

/* wizard */
INT_PTR CALLBACK SetupDlgProc(HWND hwnd, UINT message, WPARAM wParam,
                              LPARAM lParam);
void ApplyModeLayout(HWND hwnd);
int BrowseForInstallFolder(HWND hwnd);

/* install and update */
void InstallStep(HWND hwnd);
void UpdateAction(HWND hwnd);
void CopyProductFiles(void);
int CreateFolderChain(const char *path);
int IsExistingFolder(const char *path);

/* uninstall */
void UninstallAction(HWND hwnd);
void DeleteProductFiles(void);
void DeleteProductKeys(void);

#endif
