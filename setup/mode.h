/*
 * The mode of the run, decided once at start from the installation
 * record (record.h).
 */
#ifndef QUORVANE_SETUP_MODE_H
#define QUORVANE_SETUP_MODE_H

/* SetupMode and, where a previous installation is recorded, InstallPath.
   The machine's record decides wherever it exists; only where it does
   not, this account's record as earlier Setups wrote it, and for an
   update, a repair or an uninstall only when its folder passes the
   folder rule and is the installation the machine knows (see mode.cpp).
   uninstalling is 1 when the run is to remove what is recorded (/S
   /UNINSTALL). 0 when a record cannot be read: the caller then ends the
   run */
int DecideSetupMode(int uninstalling);

#endif
