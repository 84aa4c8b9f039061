/*
 * The journal's bytes (see journal.h), written and read strictly.
 */
#include "journal.h"

#include <string.h>

static int IsRow(char c)
{
    return c == RowOutside || c == RowReplaced || c == RowAdded || c == RowRemoved;
}

/* the length of name when it is a plain file name of the install folder,
   terminated within JOURNAL_NAME_SIZE bytes; 0 otherwise */
static size_t PlainNameLength(const char *name)
{
    size_t n = 0;
    /* ' ' is checked first: strchr would find the terminator */
    while (n < JOURNAL_NAME_SIZE - 1 && name[n] >= ' ' && name[n] <= '~' &&
           strchr("\\/:*?\"<>|", name[n]) == NULL)
        n++;
    if (name[n] != '\0' || n == 0 || name[n - 1] == '.' || name[n - 1] == ' ')
        return 0;
    return n;
}

/* 1 when journal may be written */
static int IsWhole(const struct SwapJournal *journal)
{
    if (journal->count > JOURNAL_MAX_ROWS || journal->version > 0xFFFFFFFFul ||
        (journal->operation != JournalChange && journal->operation != JournalRemove))
        return 0;
    for (size_t i = 0; i < journal->count; i++) {
        if (!IsRow(journal->rows[i]) || PlainNameLength(journal->names[i]) == 0)
            return 0;
    }
    return 1;
}

size_t FormatJournal(const struct SwapJournal *journal, char *out, size_t size)
{
    size_t at = JOURNAL_ROWS_AT;
    if (size < JOURNAL_ROWS_AT || !IsWhole(journal))
        return 0;
    memcpy(out, JOURNAL_MARKER, JOURNAL_FORMAT_AT);
    out[JOURNAL_FORMAT_AT] = JOURNAL_FORMAT;
    out[JOURNAL_OPERATION_AT] = journal->operation;
    for (int i = 0; i < 4; i++)
        out[JOURNAL_VERSION_AT + i] = (char)(journal->version >> (8 * i));
    out[JOURNAL_COUNT_AT] = (char)journal->count;
    for (size_t i = 0; i < journal->count; i++) {
        size_t length = PlainNameLength(journal->names[i]);
        if (size - at < 2 + length)
            return 0;
        out[at] = journal->rows[i];
        out[at + 1] = (char)length;
        memcpy(out + at + 2, journal->names[i], length);
        at += 2 + length;
    }
    if (size - at < JOURNAL_END_SIZE)
        return 0;
    memcpy(out + at, JOURNAL_END, JOURNAL_END_SIZE);
    return at + JOURNAL_END_SIZE;
}

int ParseJournal(const char *data, size_t size, const struct SwapJournal *table,
                 struct SwapJournal *out)
{
    /* the journal written again, compared with what was read */
    static char again[JOURNAL_MAX_SIZE];
    size_t at = JOURNAL_ROWS_AT;
    memset(out, 0, sizeof(*out));
    if (size < JOURNAL_ROWS_AT + JOURNAL_END_SIZE || size > sizeof(again))
        return 0;
    char format = data[JOURNAL_FORMAT_AT];
    out->operation = data[JOURNAL_OPERATION_AT];
    for (int i = 4; i-- > 0;)
        out->version = out->version << 8 | (unsigned char)data[JOURNAL_VERSION_AT + i];
    out->count = (unsigned char)data[JOURNAL_COUNT_AT];
    if (format == JOURNAL_TABLE_FORMAT && out->count == table->count &&
        size == JOURNAL_ROWS_AT + out->count + JOURNAL_END_SIZE) {
        /* the earlier layout: a state per row of this build's table */
        memcpy(out->rows, data + at, out->count);
        memcpy(out->names, table->names, sizeof(out->names));
        if (memcmp(data, JOURNAL_MARKER, JOURNAL_FORMAT_AT) == 0 &&
            memcmp(data + size - JOURNAL_END_SIZE, JOURNAL_END, JOURNAL_END_SIZE) == 0 &&
            IsWhole(out))
            return 1;
    } else if (format == JOURNAL_FORMAT) {
        /* read as far as the bytes go; what is whole gives exactly these
           bytes again when it is written */
        for (size_t i = 0; i < out->count && i < JOURNAL_MAX_ROWS && at + 2 <= size; i++) {
            size_t length = (unsigned char)data[at + 1];
            out->rows[i] = data[at];
            if (length < JOURNAL_NAME_SIZE && at + 2 + length <= size)
                memcpy(out->names[i], data + at + 2, length);
            at += 2 + length;
        }
        if (FormatJournal(out, again, sizeof(again)) == size && memcmp(again, data, size) == 0)
            return 1;
    }
    memset(out, 0, sizeof(*out));
    return 0;
}
