/*
 * The journal's bytes: what Setup writes before its first rename, and
 * what a later run accepts as a whole journal. Platform-free, also built
 * natively under the sanitizers; the fuzz target tests the reader on
 * anything.
 */
#include <string>

#include <gtest/gtest.h>

#include "setup/files.h"
#include "setup/journal.h"

namespace {

struct SwapJournal Sample()
{
    struct SwapJournal journal = {};
    journal.operation = JournalChange;
    journal.version = 0x1A2;
    journal.count = kProductFileCount;
    for (size_t i = 0; i < kProductFileCount; i++)
        journal.rows[i] = "EARR-"[i % 5];
    return journal;
}

std::string Formatted(const struct SwapJournal &journal)
{
    char out[JOURNAL_SIZE(JOURNAL_MAX_ROWS)];
    size_t n = FormatJournal(&journal, out, sizeof(out));
    return std::string(out, n);
}

TEST(Journal, IsMarkerFormatOperationVersionCountRowsAndEnd)
{
    const struct SwapJournal journal = Sample();
    const std::string text = Formatted(journal);
    std::string rows(journal.rows, kProductFileCount);
    EXPECT_EQ(std::string(JOURNAL_MARKER) + JOURNAL_FORMAT + "C" + std::string("\xA2\x01\0\0", 4) +
                  (char)kProductFileCount + rows + "\r\n",
              text)
        << "the layout of journal.h";
    struct SwapJournal read;
    ASSERT_TRUE(ParseJournal(text.data(), text.size(), kProductFileCount, &read));
    EXPECT_EQ(journal.operation, read.operation);
    EXPECT_EQ(journal.version, read.version);
    EXPECT_EQ(rows, std::string(read.rows, read.count));
}

TEST(Journal, AnythingButAWholeJournalIsRefused)
{
    const std::string text = Formatted(Sample());
    struct Row {
        const char *what;
        std::string data;
    } rows[] = {
        {"empty", ""},
        {"a byte more", text + "x"},
        {"another marker", "QVSWAQ" + text.substr(6)},
        {"another format", text.substr(0, 6) + "2" + text.substr(7)},
        {"another operation", text.substr(0, 7) + "X" + text.substr(8)},
        {"another row count", text.substr(0, 12) + (char)(kProductFileCount - 1) + text.substr(13)},
        {"an unknown row", text.substr(0, 13) + "1" + text.substr(14)},
        {"an unknown last row", text.substr(0, text.size() - 3) + "1\r\n"},
        {"no CR LF", text.substr(0, text.size() - 2) + "\n\n"},
        /* the journal of earlier Setups: a character per row */
        {"the earlier layout", std::string(kProductFileCount, '1')},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        struct SwapJournal read;
        EXPECT_FALSE(ParseJournal(row.data.data(), row.data.size(), kProductFileCount, &read));
    }
    /* a journal cut anywhere, as by a power cut while it was written */
    for (size_t n = 0; n < text.size(); n++) {
        struct SwapJournal read;
        EXPECT_FALSE(ParseJournal(text.data(), n, kProductFileCount, &read)) << n << " bytes";
    }
    /* a table of another length */
    struct SwapJournal read;
    EXPECT_FALSE(ParseJournal(text.data(), text.size(), kProductFileCount + 1, &read));
}

TEST(Journal, NothingAJournalMayNotHoldIsWritten)
{
    char out[JOURNAL_SIZE(JOURNAL_MAX_ROWS)];
    struct SwapJournal journal = Sample();
    journal.rows[2] = '1';
    EXPECT_EQ(0u, FormatJournal(&journal, out, sizeof(out)));
    journal = Sample();
    journal.operation = 'X';
    EXPECT_EQ(0u, FormatJournal(&journal, out, sizeof(out)));
    journal = Sample();
    journal.count = JOURNAL_MAX_ROWS + 1;
    EXPECT_EQ(0u, FormatJournal(&journal, out, sizeof(out)));
    journal = Sample();
    EXPECT_EQ(0u, FormatJournal(&journal, out, JOURNAL_SIZE(kProductFileCount) - 1));
    EXPECT_EQ((size_t)JOURNAL_SIZE(kProductFileCount),
              FormatJournal(&journal, out, JOURNAL_SIZE(kProductFileCount)));
}

} // namespace
