/*
 * The list of the setup media's files that Setup carries (the resource
 * MEDIALIST, RCDATA), so that its signature covers them: the marker, the
 * number of entries (4 bytes, little-endian), then per entry the media
 * name (16 bytes, NUL-padded), the size (4 bytes, little-endian) and the
 * SHA-256 (32 bytes). The build carries the empty marker and room for
 * MEDIA_LIST_ROOM entries, which scripts/medialist fills in when the
 * release media are laid out, before they are signed. Macros only: the
 * resource compiler reads this file too.
 */
#ifndef QUORVANE_SETUP_MEDIALIST_H
#define QUORVANE_SETUP_MEDIALIST_H

#define MEDIA_LIST_NAME "MEDIALIST"
#define MEDIA_LIST_MARKER "QVMEDIA1"
#define MEDIA_LIST_EMPTY "QVMEDIA0"
#define MEDIA_LIST_ROOM 6
#define MEDIA_LIST_ENTRY 52
#define MEDIA_LIST_HEADER 12

#endif
