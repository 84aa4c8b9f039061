/*
 * How tests talk to the stand-in main program: its window classes and the
 * queries its window answers, each with a count as the result.
 */
#ifndef QUORVANE_TESTS_STANDIN_PROTOCOL_H
#define QUORVANE_TESTS_STANDIN_PROTOCOL_H

#include <windows.h>

#define STANDIN_CLASS "QuorvaneStandIn"
/* the window of "--hang", whose thread stops pumping */
#define STANDIN_HUNG_CLASS "QuorvaneStandInHung"
/* the window of "--opened <folder>", captioned with the folder exactly as
   the shell handed it over */
#define STANDIN_OPENED_CLASS "QuorvaneStandInOpened"

/* broadcasts of "WM_QUORVANEFILEUPDATE" received */
#define STANDIN_QUERY_COUNT (WM_APP + 1)
/* of those, the ones that carried a wParam or an lParam */
#define STANDIN_QUERY_NONZERO (WM_APP + 2)
/* of those, the ones that were posted rather than sent */
#define STANDIN_QUERY_POSTED (WM_APP + 3)

#endif
