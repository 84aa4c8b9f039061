/*
 * Setup's own program file, which an install puts in the folder as
 * Setup.exe and the uninstall entry later runs as administrator. It is
 * opened first thing, denying writes and deletion, so that no one can
 * rename or replace it for the rest of the run, and proven to be the
 * file the running image was mapped from. Copies and comparisons read
 * it from that handle, never by its name. Nothing here shows a window.
 */
#ifndef QUORVANE_SETUP_IMAGE_H
#define QUORVANE_SETUP_IMAGE_H

#include <windows.h>

/* this process's program file held and proven (HoldImage); 1 when it is
   the file of the image that runs */
int HoldOwnImage(void);
/* the file at path held, and proven to be the file image (a module: the
   running program, or one a test maps) was mapped from; 1 when it is */
int HoldImage(const wchar_t *path, HMODULE image);
/* the held file, open for reading from its start; INVALID_HANDLE_VALUE
   when it was not proven */
HANDLE OwnImageFile(void);

#endif
