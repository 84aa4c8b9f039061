/*
 * The list of the setup media's files that Setup carries in its own
 * read-only data (media.cpp), so that its signature covers them: the
 * marker, the number of entries (4 bytes, little-endian), then per entry
 * the media name (16 bytes, NUL-padded), the size (4 bytes,
 * little-endian) and the SHA-256 (32 bytes). The build carries the empty
 * marker and room for MEDIA_LIST_ROOM entries, which scripts/medialist
 * fills in, found by the marker, when the release media are laid out,
 * before they are signed.
 */
#ifndef QUORVANE_SETUP_MEDIALIST_H
#define QUORVANE_SETUP_MEDIALIST_H

#define MEDIA_LIST_MARKER "QVMEDIA1"
#define MEDIA_LIST_EMPTY "QVMEDIA0"
#define MEDIA_LIST_ROOM 5
/* a SHA-256 */
#define MEDIA_HASH_SIZE 32
#define MEDIA_LIST_NAME_SIZE 16
#define MEDIA_LIST_ENTRY (MEDIA_LIST_NAME_SIZE + 4 + MEDIA_HASH_SIZE)
#define MEDIA_LIST_HEADER 12
#define MEDIA_LIST_SIZE (MEDIA_LIST_HEADER + MEDIA_LIST_ROOM * MEDIA_LIST_ENTRY)

#endif
