/*
 * Setup's command line, for deployment tools that run it with no one at
 * the screen. Platform-free, so the same code also builds natively for
 * sanitizer and fuzz runs.
 *
 *   /S            silent: no wizard, no box, no window at all
 *   /UNINSTALL    with /S: uninstall
 *   /LOG=<file>   append a log of the run; /LOG="<file with spaces>"
 *   /?            a box that lists the switches, and nothing else
 *   /D=<folder>   with /S, for an install: the install folder; the rest of
 *                 the line, spaces and all (a pair of quotes around it is
 *                 also taken), so it comes last
 *
 * Switches are case-insensitive and may come in any order before /D=.
 * Other words are ignored.
 */
#ifndef QUORVANE_SETUP_SWITCHES_H
#define QUORVANE_SETUP_SWITCHES_H

#include <stddef.h>

/* a MAX_PATH path */
#define SWITCH_PATH_SIZE 260

struct SetupSwitches {
    int silent;
    int uninstall;
    int help;
    /* 1 when /D= was given; folder is then its text, or empty when that
       does not fit (a refused folder) */
    int hasFolder;
    char folder[SWITCH_PATH_SIZE];
    /* the file of /LOG=, or empty without one or when it does not fit
       (no log) */
    char log[SWITCH_PATH_SIZE];
};

/* the switches of arguments, the command line after the program name;
   every field is set */
void ParseSetupSwitches(const char *arguments, struct SetupSwitches *out);

#endif
