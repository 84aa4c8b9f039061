/*
 * The install folder opened in a folder window after a completed run.
 */
#ifndef QUORVANE_SETUP_OPENING_H
#define QUORVANE_SETUP_OPENING_H

#include <windows.h>

/* the machine's own class that Setup opens folders with: Folder, or
   Directory where Folder is missing; NULL when neither opens.
   RegCloseKey it */
HKEY OpenFolderClass(void);
/* the shell's opening of InstallPath with the "explore" verb of
   folderClass, owned by hwnd */
void DescribeFolderOpening(SHELLEXECUTEINFOA *info, HKEY folderClass, HWND hwnd);
/* the install folder in a folder window, for what the user may want to
   do there next, when IsFolderToOpen says so; not reported when it fails,
   as the run itself is complete */
void OpenInstallFolder(HWND hwnd);

#endif
