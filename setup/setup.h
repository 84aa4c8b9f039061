/*
 * Setup's process-wide state. Setup decides once, at start, whether this
 * run installs, updates or uninstalls, and everything after that reads
 * the decision from here. Each module of Setup has its own header for its
 * routines; this one holds only what the whole run shares.
 */
#ifndef QUORVANE_SETUP_SETUP_H
#define QUORVANE_SETUP_SETUP_H

#include <windows.h>

#include "../common/names.h"
#include "version.h"

#define SETUP_WINDOW_CLASS "QuorvaneSetup"

enum SetupModeKind : unsigned char {
    Install = 0,
    Update = 1,
    Uninstall = 2,
    NewerInstalled = 3
};

/* Process-wide state (state.cpp) */
/* the version this Setup carries; recorded as "Version" and compared with
   the recorded one by DecideSetupMode */
extern const LONG kSetupVersion;
/* written once by DecideSetupMode before the wizard opens or the silent
   run acts; read by the wizard and the sequences */
extern SetupModeKind SetupMode;
/* the install folder, ending in a backslash once AddInstallPathBackslash
   succeeded: written by DecideSetupMode from the record in Update and
   Uninstall mode, and by DecideInstallFolder in Install mode (the
   wizard's folder page, or /D= or the default folder of a silent
   install); read by the sequences and by the folder opening after the
   run */
extern char InstallPath[MAX_PATH];
/* 1 for a run with /S: no window at all, every box a log line instead;
   written by WinMain at start, read by SetupBox */
extern int SilentRun;
/* 1 when Setup runs as LocalSystem (a deployment tool), whose
   HKEY_CURRENT_USER is no user's: no settings and no record are written
   there; written by WinMain at start, read by the registry writers */
extern int SystemAccount;
/* the session Setup runs in; in session 0, a deployment tool's, the
   names the main program and Helper hold elsewhere are global ones any
   user may create: written by WinMain at start, read by running.cpp */
extern DWORD SetupSession;

#endif
