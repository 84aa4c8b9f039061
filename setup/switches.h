/*
 * Setup's command line, for deployment tools that run it with no one at
 * the screen. Platform-free, so the same code also builds natively for
 * sanitizer and fuzz runs.
 *
 *   /S            silent: no wizard, no box, no window at all
 *   /UNINSTALL    with /S: uninstall
 *   /D=<folder>   with /S, for an install: the install folder
 *   /LOG=<file>   append a log of the run
 *   /NORESTART    accepted: Setup never needs a restart
 *   /?            a box that lists the switches, and nothing else
 *
 * Words are separated by blanks; a double-quoted stretch belongs to its
 * word and its quotes are dropped, so "/D=C:\My Apps\Q" and
 * /LOG="C:\a b\x.log" are one switch each. Switches are case-insensitive
 * and may come in any order. A /D= with no quote in its word takes the
 * rest of the line, spaces and all, as installers have always done, with
 * trailing blanks dropped; a switch after a blank in a folder, quoted or
 * not, makes the line not understood.
 *
 * With /S, a line is not understood when it holds a word that is not a
 * switch, an empty /D= or /LOG=, /D= or /LOG= twice, or /D= together with
 * /UNINSTALL: a deployment tool then gets an exit code that says so
 * instead of a run that does something else than asked. Without /S every
 * other word is ignored, as it always was.
 */
#ifndef QUORVANE_SETUP_SWITCHES_H
#define QUORVANE_SETUP_SWITCHES_H

#include <stddef.h>

/* a MAX_PATH path */
#define SWITCH_PATH_SIZE 260
/* the word a line is not understood at, as much as the log shows of it */
#define SWITCH_WORD_SIZE 96

struct SetupSwitches {
    int silent;
    int uninstall;
    int help;
    int noRestart;
    /* 1 when /D= was given; folder is then its text, or empty when that
       does not fit (a refused folder), and folderLength its whole length */
    int hasFolder;
    size_t folderLength;
    char folder[SWITCH_PATH_SIZE];
    /* 1 when /LOG= was given; log is then its file, or empty when that
       does not fit (a log that cannot be written) */
    int hasLog;
    char log[SWITCH_PATH_SIZE];
    /* 0 when the line is not understood by the rules of /S above;
       notUnderstood then says at what, cut to its size */
    int understood;
    char notUnderstood[SWITCH_WORD_SIZE];
};

/* the switches of arguments, the command line after the program name;
   every field is set */
void ParseSetupSwitches(const char *arguments, struct SetupSwitches *out);

#endif
