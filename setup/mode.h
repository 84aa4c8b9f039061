/*
 * The mode of the run, decided once at start from the installation
 * record (record.h).
 */
#ifndef QUORVANE_SETUP_MODE_H
#define QUORVANE_SETUP_MODE_H

/* SetupMode and, where a previous installation is recorded, InstallPath.
   The machine's record decides wherever it exists; only where it does
   not, this account's record as earlier Setups wrote it, and for an
   update or an uninstall only when its folder passes the folder rule and
   is the installation the machine knows (see mode.cpp). A record that
   cannot be read ends the run after its box */
void DecideSetupMode(void);
/* 1 when this account's record of an older or this version names folder
   (ending in its backslash) as an installation of this machine: a folder
   that passes the folder rule, and either the uninstall entry runs its
   Setup.exe or the running Setup is that very file */
int UserRecordIsTheMachines(const char *folder);

#endif
