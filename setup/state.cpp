/*
 * Setup's process-wide state (see setup.h), in one place so that every
 * module and the tests that link them share it.
 */
#include "setup.h"

const LONG kSetupVersion = QV_VERSION_NUMBER;
SetupModeKind SetupMode = Install;
char InstallPath[MAX_PATH];
int SilentRun;
int SystemAccount;
DWORD SetupSession;
