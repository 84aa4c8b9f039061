/*
 * A setup media folder: the built Setup.exe and Helper.exe, and
 * placeholders of distinct bytes for the main program's files, under the
 * names of the product-file table (setup/files.h).
 */
#ifndef QUORVANE_TESTS_SUPPORT_MEDIA_H
#define QUORVANE_TESTS_SUPPORT_MEDIA_H

#include <string>
#include <vector>

#include "setup/files.h"

/* the rows of the product-file table that the media carries, in order */
std::vector<const ProductFile *> MediaRows();
/* the media's name of the file installed as name */
const char *MediaNameOf(const char *name);
/* the placeholder bytes of a media file, with the bytes a text copy
   would spoil */
std::string MediaContent(const char *name);
/* a setup media folder; the file of the media name omit (if any) is left
   out */
int BuildMedia(const std::string &folder, const char *omit = NULL);
/* the media's files beside this test program, which is their Setup.exe,
   as the real Setup runs from its media folder; the paths written are
   added to written, for RemoveMediaBeside */
int LayOutMediaBeside(std::vector<std::string> *written);
void RemoveMediaBeside(const std::vector<std::string> &written);

#endif
