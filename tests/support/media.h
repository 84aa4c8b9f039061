/*
 * A setup media folder: the built Setup.exe and Helper.exe, and
 * placeholders of distinct bytes for the main program's files.
 */
#ifndef QUORVANE_TESTS_SUPPORT_MEDIA_H
#define QUORVANE_TESTS_SUPPORT_MEDIA_H

#include <string>

enum MediaFile { MediaMain, MediaHelp, MediaContents, MediaReadme, MediaSetup, MediaHelper, MediaFileCount };
const char *MediaName(int file);
/* the name it is installed under, spelled here as the main program knows
   it */
const char *InstalledName(int file);
/* the placeholder bytes of a media file, with the bytes a text copy
   would spoil */
std::string MediaContent(const char *name);
/* a setup media folder; files in omit (bit per MediaFile) are left out */
int BuildMedia(const std::string &folder, unsigned omit = 0);

#endif
