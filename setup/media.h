/*
 * The setup media: the folder Setup.exe runs from, never the current
 * directory. Each file the media carry is opened once, denying writes,
 * its size and SHA-256 taken and, where Setup carries the list of its
 * media, compared with the list, before anything changes; the copies are
 * then read from that same handle. The Setup.exe that is installed is
 * the running program itself. Nothing here shows a window.
 */
#ifndef QUORVANE_SETUP_MEDIA_H
#define QUORVANE_SETUP_MEDIA_H

#include <windows.h>

#include <stddef.h>

#include "medialist.h"

/* what OpenMedia found */
enum MediaProblem {
    MediaReady = 0,
    MediaUnnamed = 1, /* Setup's own folder has no name in code page 932 */
    MediaMissing = 2, /* a file cannot be opened or read */
    MediaChanged = 3  /* a file is not the one the list names */
};

/* the media opened and checked, as above; MediaReady, or the problem
   with the file in path (size bytes) */
int OpenMedia(char *path, size_t size);
void CloseMedia(void);
/* row's media file, from its start, into to, which is then flushed */
int CopyMediaFile(size_t row, HANDLE to);
/* 1 when target is row's media file itself (Setup installing into its
   own media folder) */
int IsMediaFileItself(size_t row, const char *target);
/* 1 when the file at path holds exactly row's media file */
int MatchesMediaFile(size_t row, const char *path);
/* 1 when path is the running Setup's own program file */
int IsRunningImage(const char *path);
/* the SHA-256 of file, from its start, and its size */
int HashFile(HANDLE file, BYTE *digest, DWORD *size);

#endif
