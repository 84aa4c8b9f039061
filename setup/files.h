/*
 * The files of the install folder, in one table: where each comes from
 * (a file of the setup media, or none) and what an install, an update and
 * an uninstall do with it, and what a repair puts right. Setup's copies,
 * data files, length check and deletions walk it in its order
 * (sequence.cpp); the tests lay out media and check installs from the
 * same table.
 */
#ifndef QUORVANE_SETUP_FILES_H
#define QUORVANE_SETUP_FILES_H

#include <stddef.h>

#include "../common/names.h"

/* the temporary names beside a file of the folder while an install or
   update swaps it (its new copy, its old file), and the journal of a swap
   under way; a folder must hold these names too */
#define FILE_NEW_SUFFIX ".qvnew"
#define FILE_OLD_SUFFIX ".qvold"
#define FILE_SWAP_JOURNAL "Quorvane.qvswap"
/* a journal this Setup cannot read, moved aside: never acted on */
#define FILE_ASIDE_JOURNAL "Quorvane.qvswap-unread"

/* what one run does with one file */
enum FileStep : unsigned char {
    KeepFile,         /* left as it is */
    CopyFromMedia,    /* copied from the media, replacing what is there */
    CreateEmpty,      /* created empty, replacing what is there */
    CreateIfMissing,  /* created empty where no file of that name is */
    RemoveFile        /* deleted when it is there */
};

/* the index of a run's step in ProductFile::step. A repair copies only
   the files that differ from the media */
enum FileColumn { InstallFiles = 0, UpdateFiles = 1, UninstallFiles = 2, RepairFiles = 3 };

struct ProductFile {
    /* the name on the media, NULL for a file the media does not carry;
       the media's program files end in "_" and are copied byte for byte,
       not expanded */
    const char *mediaName;
    const char *name;
    /* by FileColumn */
    FileStep step[4];
    /* 1 for the data files that the main program and Helper, running as
       the user, write: Users may write them where nothing else in the
       folder is writable */
    unsigned char usersWrite;
};

static const ProductFile kProductFiles[] = {
    {"Quorvane.ex_", QV_MAIN_EXE, {CopyFromMedia, CopyFromMedia, RemoveFile, CopyFromMedia}, 0},
    {"Quorvane.hl_", QV_HELP_FILE, {CopyFromMedia, CopyFromMedia, RemoveFile, CopyFromMedia}, 0},
    {"Quorvane.cn_", QV_HELP_CONTENTS_FILE,
     {CopyFromMedia, CopyFromMedia, RemoveFile, CopyFromMedia}, 0},
    {QV_README_FILE, QV_README_FILE, {CopyFromMedia, CopyFromMedia, RemoveFile, CopyFromMedia}, 0},
    /* the uninstall runs from this very file; the one installed is the
       running Setup itself */
    {QV_SETUP_EXE, QV_SETUP_EXE, {CopyFromMedia, CopyFromMedia, KeepFile, CopyFromMedia}, 0},
    {"Helper.ex_", QV_HELPER_EXE, {CopyFromMedia, CopyFromMedia, RemoveFile, CopyFromMedia}, 0},
    /* the help system rebuilds its index from the new help files */
    {NULL, QV_HELP_INDEX_FILE, {KeepFile, RemoveFile, RemoveFile, KeepFile}, 0},
    /* the main program's settings: a repair keeps them */
    {NULL, QV_SETTINGS_FILE, {CreateEmpty, CreateEmpty, RemoveFile, CreateIfMissing}, 1},
    /* the user's keywords: an existing file stays, also at uninstall */
    {NULL, QV_KEYWORD_FILE, {CreateIfMissing, KeepFile, KeepFile, CreateIfMissing}, 1},
};

static const size_t kProductFileCount = sizeof(kProductFiles) / sizeof(kProductFiles[0]);

#endif
