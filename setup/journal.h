/*
 * The journal of a swap under way (FILE_SWAP_JOURNAL in the install
 * folder): which files of the product-file table the run replaces or
 * removes, written whole and flushed before the first rename, so that a
 * run that was killed is finished or undone by the next one. Its bytes:
 *
 *   "QVSWAP"  marker
 *   '1'       format
 *   'C'|'R'   the run changes the files (install, update, repair) or
 *             removes them (uninstall)
 *   4 bytes   the version of the Setup that wrote it, little-endian
 *   1 byte    the number of rows, the product-file table's
 *   rows      one character per row of the table
 *   CR LF     the end
 *
 * Anything else, a byte more or less included, is a journal that is not
 * whole and is never acted on. Platform-free, so the same code builds
 * natively for the fuzzer.
 */
#ifndef QUORVANE_SETUP_JOURNAL_H
#define QUORVANE_SETUP_JOURNAL_H

#include <stddef.h>

#define JOURNAL_MARKER "QVSWAP"
#define JOURNAL_FORMAT '1'
/* the most rows a journal holds */
#define JOURNAL_MAX_ROWS 32
/* the bytes of a journal of count rows */
#define JOURNAL_SIZE(count) (6 + 1 + 1 + 4 + 1 + (count) + 2)

/* what the run does with the files */
enum JournalOperation { JournalChange = 'C', JournalRemove = 'R' };

/* a row's file */
enum JournalRow {
    RowOutside = '-',  /* left as it is */
    RowReplaced = 'E', /* existed, replaced by its new file */
    RowAdded = 'A',    /* absent, its new file put there */
    RowRemoved = 'R'   /* existed, removed with no new file */
};

struct SwapJournal {
    char operation;
    unsigned long version;
    size_t count;
    char rows[JOURNAL_MAX_ROWS];
};

/* the journal's bytes in out (size bytes); its length, or 0 when it does
   not fit or holds something no journal may */
size_t FormatJournal(const struct SwapJournal *journal, char *out, size_t size);
/* data (size bytes) read as a journal of rows rows; 1 only for a whole
   one */
int ParseJournal(const char *data, size_t size, size_t rows, struct SwapJournal *out);

#endif
