/*
 * The stand-in main program (tests/standin): started hidden, found by its
 * window, and asked how many broadcasts it received and how.
 */
#ifndef QUORVANE_TESTS_SUPPORT_STANDIN_H
#define QUORVANE_TESTS_SUPPORT_STANDIN_H

#include <windows.h>

#include <string>

#include "process.h"

int StartStandIn(Program *program, const char *arguments = "");
/* the same from a copy of the stand-in at exe, started by that path */
int StartStandInAs(Program *program, const std::string &exe, const char *arguments = "");
/* the stand-in as the machine's command for the shell's folder verb, as
   Setup opens folders with it: each opening then shows a window of the
   stand-in captioned with the folder as the shell handed it over */
int RecordFolderOpenings();
/* the folder in the window of such an opening by a program of the job of
   program, or "<no window>" after the deadline */
std::string OpenedFolder(const Program *program);
HWND StandInWindow();

struct BroadcastCount {
    int count;
    int nonZeroParams; /* with a wParam or an lParam */
    int posted;        /* posted rather than sent */
};
int ReadBroadcasts(BroadcastCount *result);

#endif
