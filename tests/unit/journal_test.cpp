/*
 * The journal's bytes: what Setup writes before its first rename, and
 * what a later run accepts as a whole journal. Platform-free, also built
 * natively under the sanitizers; the fuzz target tests the reader on
 * anything.
 */
#include <stdio.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "setup/files.h"
#include "setup/journal.h"

namespace {

/* a journal of the product-file table, with a row of each state */
struct SwapJournal Sample()
{
    struct SwapJournal journal = {};
    journal.operation = JournalChange;
    journal.version = 0x1A2;
    journal.count = kProductFileCount;
    for (size_t i = 0; i < kProductFileCount; i++) {
        journal.rows[i] = "EARR-"[i % 5];
        snprintf(journal.names[i], JOURNAL_NAME_SIZE, "%s", kProductFiles[i].name);
    }
    return journal;
}

std::string Formatted(const struct SwapJournal &journal)
{
    char out[JOURNAL_MAX_SIZE];
    size_t n = FormatJournal(&journal, out, sizeof(out));
    return std::string(out, n);
}

/* data read with Sample as the table and written again: empty when it is
   refused (a refused journal is left zeroed, which is not written) */
std::string Reread(const std::string &data)
{
    const struct SwapJournal table = Sample();
    struct SwapJournal read;
    ParseJournal(data.data(), data.size(), &table, &read);
    return Formatted(read);
}

/* the bytes of a journal of Sample's header in format, with count rows */
std::string Layout(char format, size_t count, const std::string &rows)
{
    return std::string("QVSWAP") + format + "C" + std::string("\xA2\x01\0\0", 4) + (char)count +
           rows + "\r\n";
}

/* a one-row journal of name, whatever it is */
std::string Named(const std::string &name)
{
    return Layout(JOURNAL_FORMAT, 1, "E" + std::string(1, (char)name.size()) + name);
}

TEST(Journal, IsMarkerFormatOperationVersionCountNamedRowsAndEnd)
{
    std::string rows;
    for (size_t i = 0; i < kProductFileCount; i++)
        rows += Sample().rows[i] + std::string(1, (char)strlen(kProductFiles[i].name)) +
                kProductFiles[i].name;
    const std::string text = Layout('2', kProductFileCount, rows);
    EXPECT_EQ(text, Formatted(Sample())) << "the layout of journal.h";
    EXPECT_EQ(text, Reread(text));
    /* the earlier format, which only builds with this table wrote */
    const std::string states(Sample().rows, kProductFileCount);
    EXPECT_EQ(text, Reread(Layout(JOURNAL_TABLE_FORMAT, kProductFileCount, states)));
}

TEST(Journal, OneOfAnotherTableReadsBackUpToTheLargest)
{
    struct SwapJournal journal = Sample();
    journal.count = JOURNAL_MAX_ROWS;
    for (size_t i = 0; i < JOURNAL_MAX_ROWS; i++) {
        journal.rows[i] = RowRemoved;
        memset(journal.names[i], 'a' + i % 26, JOURNAL_NAME_SIZE - 1);
    }
    const std::string text = Formatted(journal);
    EXPECT_EQ((size_t)JOURNAL_MAX_SIZE, text.size());
    EXPECT_EQ(text, Reread(text));
}

TEST(Journal, AnythingButAWholeJournalIsRefused)
{
    const std::string text = Formatted(Sample());
    const size_t last = text.size() - 4 - strlen(kProductFiles[kProductFileCount - 1].name);
    ASSERT_EQ(Named("Readme.txt"), Reread(Named("Readme.txt")));
    struct Row {
        const char *what;
        std::string data;
    } rows[] = {
        {"empty", ""},
        {"a byte more", text + "x"},
        {"another marker", "QVSWAQ" + text.substr(6)},
        {"another format", text.substr(0, 6) + "3" + text.substr(7)},
        {"another operation", text.substr(0, 7) + "X" + text.substr(8)},
        {"another row count", text.substr(0, 12) + (char)(kProductFileCount - 1) + text.substr(13)},
        {"an unknown row", text.substr(0, 13) + "1" + text.substr(14)},
        {"an unknown last row", text.substr(0, last) + "1" + text.substr(last + 1)},
        {"no CR LF", text.substr(0, text.size() - 2) + "\n\n"},
        {"a name with a backslash", Named("a\\b")},
        {"a name \"..\"", Named("..")},
        {"an empty name", Named("")},
        {"a name too long", Named(std::string(JOURNAL_NAME_SIZE, 'a'))},
        {"a NUL within a name", Named(std::string("a\0b", 3))},
        {"the earlier format of a shorter table",
         Layout('1', kProductFileCount - 1, std::string(kProductFileCount - 1, '-'))},
        /* the journal of earlier Setups: a character per row */
        {"the earlier layout", std::string(kProductFileCount, '1')},
    };
    for (const Row &row : rows)
        EXPECT_EQ("", Reread(row.data)) << row.what;
    /* a journal cut anywhere, as by a power cut while it was written */
    for (size_t n = 0; n < text.size(); n++)
        EXPECT_EQ("", Reread(text.substr(0, n))) << n << " bytes";
}

TEST(Journal, NothingAJournalMayNotHoldIsWritten)
{
    char out[JOURNAL_MAX_SIZE];
    struct SwapJournal journal = Sample();
    journal.rows[kProductFileCount - 1] = '1';
    EXPECT_EQ(0u, FormatJournal(&journal, out, sizeof(out)));
    journal = Sample();
    journal.operation = 'X';
    EXPECT_EQ(0u, FormatJournal(&journal, out, sizeof(out)));
    journal = Sample();
    journal.count = JOURNAL_MAX_ROWS + 1;
    EXPECT_EQ(0u, FormatJournal(&journal, out, sizeof(out)));
    journal = Sample();
    memset(journal.names[1], 'a', JOURNAL_NAME_SIZE);
    EXPECT_EQ(0u, FormatJournal(&journal, out, sizeof(out))) << "a name with no terminator";
    journal = Sample();
    const size_t n = Formatted(journal).size();
    EXPECT_EQ(0u, FormatJournal(&journal, out, n - 1));
    EXPECT_EQ(n, FormatJournal(&journal, out, n));
}

} // namespace
