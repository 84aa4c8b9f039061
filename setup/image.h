/*
 * Setup's own program file, which an install puts in the folder as
 * Setup.exe and the uninstall entry later runs as administrator. It is
 * opened first thing, denying writes and deletion, so that no one can
 * rename or replace it for the rest of the run; read whole once; and
 * proven to be the image that runs: its headers and sections, with the
 * loader's relocations undone, are the mapped ones. Copies and
 * comparisons use the bytes read then, never the file's name. Nothing
 * here shows a window.
 */
#ifndef QUORVANE_SETUP_IMAGE_H
#define QUORVANE_SETUP_IMAGE_H

#include <windows.h>

/* the most a program file of Setup may have: its own bytes and a
   signature, with room to spare */
#define IMAGE_FILE_MAX (1024 * 1024)

/* this process's program file held and proven (HoldImage); 1 when it is
   the image that runs */
int HoldOwnImage(void);
/* the file at path held, read and proven to be image, a module mapped
   from it (the running program, or one a test maps); 1 when it is */
int HoldImage(const wchar_t *path, const BYTE *image);
/* 1 when file (size bytes) holds exactly what is mapped at image: the
   same headers, but for the base the loader may write, and the same
   sections, with the relocations the loader applied undone and the
   import addresses it filled in left out */
int IsImageOfFile(const BYTE *image, const BYTE *file, DWORD size);
/* the held file's bytes and their size; NULL when it was not proven */
const BYTE *OwnImageBytes(DWORD *size);
/* the held file, for its identity; INVALID_HANDLE_VALUE when it was not
   proven */
HANDLE OwnImageFile(void);

#endif
