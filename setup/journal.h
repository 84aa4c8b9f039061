/*
 * The journal of a swap under way (FILE_SWAP_JOURNAL in the install
 * folder): which files the run replaces or removes, by name, written
 * whole and flushed before the first rename, so that a run that was
 * killed is finished or undone by the next one, whichever version that
 * is. Its bytes, from the offset named:
 *
 *   at 0                  "QVSWAP", the marker
 *   JOURNAL_FORMAT_AT     '2', the format
 *   JOURNAL_OPERATION_AT  'C'|'R': the run changes the files (install,
 *                         update, repair) or removes them (uninstall)
 *   JOURNAL_VERSION_AT    4 bytes: the version of the Setup that wrote
 *                         it, little-endian
 *   JOURNAL_COUNT_AT      1 byte: the number of rows
 *   JOURNAL_ROWS_AT       per row: its state (a JournalRow), the length
 *                         of its file name (1 byte) and the name's bytes,
 *                         with no terminator
 *   then                  CR LF, the end
 *
 * A name is a plain file name of the install folder, as a later run acts
 * on it as administrator: 1 to JOURNAL_NAME_SIZE - 1 printable ASCII
 * bytes, none of \ / : * ? " < > |, not ending in a dot or a space
 * (Windows drops those, so "." or ".." would name a folder).
 *
 * Earlier Setups wrote format '1': the same up to the row count, which
 * was the product-file table's, then one state per row of that table and
 * CR LF; only builds with this table wrote it, so it is still read with
 * the names of the table.
 *
 * Anything else, a byte more or less included, is a journal that is not
 * whole and is never acted on. Platform-free, so the same code builds
 * natively for the fuzzer.
 */
#ifndef QUORVANE_SETUP_JOURNAL_H
#define QUORVANE_SETUP_JOURNAL_H

#include <stddef.h>

#define JOURNAL_MARKER "QVSWAP"
#define JOURNAL_FORMAT '2'
#define JOURNAL_TABLE_FORMAT '1'
#define JOURNAL_END "\r\n"
#define JOURNAL_FORMAT_AT (sizeof(JOURNAL_MARKER) - 1)
#define JOURNAL_OPERATION_AT (JOURNAL_FORMAT_AT + 1)
#define JOURNAL_VERSION_AT (JOURNAL_OPERATION_AT + 1)
#define JOURNAL_COUNT_AT (JOURNAL_VERSION_AT + 4)
#define JOURNAL_ROWS_AT (JOURNAL_COUNT_AT + 1)
#define JOURNAL_END_SIZE (sizeof(JOURNAL_END) - 1)
/* the most rows a journal holds */
#define JOURNAL_MAX_ROWS 32
/* a row's name with its terminator in SwapJournal: room for any name of
   the product-file table and those of later versions */
#define JOURNAL_NAME_SIZE 32
/* the bytes of the largest journal */
#define JOURNAL_MAX_SIZE \
    (JOURNAL_ROWS_AT + JOURNAL_MAX_ROWS * (2 + JOURNAL_NAME_SIZE - 1) + JOURNAL_END_SIZE)

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
    /* each terminated */
    char names[JOURNAL_MAX_ROWS][JOURNAL_NAME_SIZE];
};

/* the journal's bytes in out (size bytes); its length, or 0 when it does
   not fit or holds something no journal may */
size_t FormatJournal(const struct SwapJournal *journal, char *out, size_t size);
/* data (size bytes) read as a journal; 1 only for a whole one: of
   format '2', or of format '1' with the count and names of table, a
   journal of this build's product-file table. 0 (and out zeroed) for
   anything else */
int ParseJournal(const char *data, size_t size, const struct SwapJournal *table,
                 struct SwapJournal *out);

#endif
