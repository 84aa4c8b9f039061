/*
 * Paths below the install folder, shared by the install, update and
 * uninstall actions.
 */
#ifndef QUORVANE_SETUP_INSTALL_H
#define QUORVANE_SETUP_INSTALL_H

/* out (MAX_PATH bytes) = folder, a backslash unless it ends with one, name;
   0 and an empty out when that does not fit */
int ComposeInstallFile(char *out, const char *folder, const char *name);

/* 1 when every file Setup puts in folder has a path that fits MAX_PATH */
int InstallFolderFits(const char *folder);

#endif
