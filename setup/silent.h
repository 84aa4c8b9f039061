/*
 * The silent run (/S) that deployment tools start with no one at the
 * screen.
 */
#ifndef QUORVANE_SETUP_SILENT_H
#define QUORVANE_SETUP_SILENT_H

#include "switches.h"

/* the switches of this process's command line; the line itself, where a
   character code page 932 cannot hold is NO_ANSI_FORM */
const char *ReadSetupSwitches(struct SetupSwitches *switches);
/* the list of switches: a box, or in a silent run a log line each */
void ShowUsage(void);
/* the run of /S; how it ended */
int RunSilently(const struct SetupSwitches *switches);

#endif
