/*
 * The silent run (/S) that deployment tools start with no one at the
 * screen.
 */
#ifndef QUORVANE_SETUP_SILENT_H
#define QUORVANE_SETUP_SILENT_H

#include "switches.h"

/* the switches of this process's command line */
void ReadSetupSwitches(struct SetupSwitches *switches);
/* the list of switches in the log, a line each: /S with /? shows nothing */
void LogUsage(void);
/* the run of /S; how it ended */
int RunSilently(const struct SetupSwitches *switches);

#endif
