/*
 * The setup media: the folder Setup.exe runs from, never the current
 * directory. Each file the media carry is opened once, denying writes,
 * and read once: hashed while it is copied, and the hash compared with
 * the list of the media Setup carries (or with an earlier read of this
 * run) before the journal is written. The Setup.exe that is installed is
 * the running program itself (image.h). Nothing here shows a window.
 */
#ifndef QUORVANE_SETUP_MEDIA_H
#define QUORVANE_SETUP_MEDIA_H

#include <windows.h>

#include <stddef.h>

#include "medialist.h"

/* what OpenMedia or a copy found */
enum MediaProblem {
    MediaReady = 0,
    MediaUnnamed = 1, /* Setup's own folder has no name in code page 932 */
    MediaMissing = 2, /* a file cannot be opened, read or copied */
    MediaChanged = 3  /* a file is not the one the list names, or not the one
                         that ran */
};

/* the media opened, their sizes checked against the list; MediaReady, or
   the problem with the file in path (size bytes) */
int OpenMedia(char *path, size_t size);
void CloseMedia(void);
/* the path of row's media file */
const char *MediaFilePath(size_t row);
/* row's media file, from its start, into to, which is then flushed;
   MediaReady, or MediaChanged when what was read is not what the list
   or an earlier comparison says, or MediaMissing */
int CopyMediaFile(size_t row, HANDLE to);
/* 1 when the file at path holds exactly row's media file */
int MatchesMediaFile(size_t row, const char *path);
/* 1 when path is the running Setup's own program file */
int IsRunningImage(const char *path);
/* 1 when folder (open) is the media folder */
int IsMediaFolder(HANDLE folder);
/* the SHA-256 of file, from its start, and its size */
int HashFile(HANDLE file, BYTE *digest, DWORD *size);

#endif
