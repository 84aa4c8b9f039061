/*
 * The stand-in main program (tests/standin): started hidden, found by its
 * window, and asked how many broadcasts it received and how.
 */
#ifndef QUORVANE_TESTS_SUPPORT_STANDIN_H
#define QUORVANE_TESTS_SUPPORT_STANDIN_H

#include <windows.h>

#include "process.h"

int StartStandIn(Program *program, const char *arguments = "");
HWND StandInWindow();

struct BroadcastCount {
    int count;
    int nonZeroParams; /* with a wParam or an lParam */
    int posted;        /* posted rather than sent */
};
int ReadBroadcasts(BroadcastCount *result);

#endif
