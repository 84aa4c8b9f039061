/*
 * The command-line splitter: never more bytes out than in, never a
 * double-byte character split, the same arguments whatever the output
 * buffer's size, and nothing written past it. Setup's switches: a folder
 * or log file fits its buffer and holds no quote; a quoted word is never
 * split; a folder of an understood line never holds a switch.
 */
#include <ctype.h>

#include <vector>

#include "fuzz_util.h"
#include "setup/switches.h"

static void CheckSwitchValue(const char *value)
{
    size_t n = strnlen(value, SWITCH_PATH_SIZE);
    FUZZ_CHECK(n < SWITCH_PATH_SIZE);
    /* quotes only ever group */
    FUZZ_CHECK(memchr(value, '"', n) == NULL);
}

static int IsBlankByte(char c)
{
    return c == ' ' || c == '\t';
}

/* 1 when text holds a blank followed by one of Setup's switches; walked
   by character, as a trail byte is never a blank */
static int HoldsSwitch(const char *text)
{
    static const char *const kSwitches[] = {"/S", "/UNINSTALL", "/?", "/NORESTART"};
    for (const char *p = text; *p != '\0'; p = NextChar(p)) {
        if (!IsBlankByte(*p) || p[1] == '\0' || IsBlankByte(p[1]))
            continue;
        std::string word;
        for (const char *q = p + 1; *q != '\0' && !IsBlankByte(*q); q = NextChar(q))
            word.append(q, NextChar(q) - q);
        for (char &c : word)
            c = (char)toupper((unsigned char)c);
        if (word.compare(0, 3, "/D=") == 0 || word.compare(0, 5, "/LOG=") == 0)
            return 1;
        for (const char *name : kSwitches) {
            if (word == name)
                return 1;
        }
    }
    return 0;
}

/* what a quoted word holds comes back whole, blanks and all */
static void CheckQuotedWordIsWhole(const std::string &text)
{
    std::string value;
    for (char c : text) {
        if (c != '"')
            value += c;
    }
    if (value.empty() || value.size() >= SWITCH_PATH_SIZE || EndsWithLoneLead(value.c_str()))
        return;
    std::string line = "/S \"/LOG=" + value + "\" /NORESTART";
    struct SetupSwitches switches;
    ParseSetupSwitches(line.c_str(), &switches);
    FUZZ_CHECK(switches.understood && switches.silent && switches.noRestart);
    FUZZ_CHECK(value == switches.log);
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    std::string line = FuzzText(data, size);
    const char *cursor = SkipProgramName(line.c_str());
    FUZZ_CHECK(cursor >= line.c_str() && cursor <= line.c_str() + line.size());
    FUZZ_CHECK(AtCharBoundary(line.c_str(), cursor));

    std::vector<std::string> whole;
    size_t total = 0;
    std::vector<char> big(line.size() + 1);
    size_t length = 0;
    const char *c = cursor;
    while (NextArgument(&c, big.data(), big.size(), &length)) {
        FUZZ_CHECK(length <= line.size());
        FUZZ_CHECK(strlen(big.data()) == length);
        whole.push_back(std::string(big.data(), length));
        total += length;
        FUZZ_CHECK(c <= line.c_str() + line.size());
        FUZZ_CHECK(AtCharBoundary(line.c_str(), c));
    }
    /* quotes and blanks only ever go away */
    FUZZ_CHECK(total <= (size_t)(line.c_str() + line.size() - cursor));
    /* arguments are whole characters of the line: a lead byte without its
       trail can only be the line's own last byte */
    for (size_t i = 0; i < whole.size(); i++) {
        if (EndsWithLoneLead(whole[i].c_str()))
            FUZZ_CHECK(i + 1 == whole.size() && EndsWithLoneLead(line.c_str()));
    }

    /* a small buffer gives a prefix of the same arguments, the same
       lengths, and nothing past its end */
    const size_t kSmall = 7;
    char small[kSmall + 4];
    c = cursor;
    for (size_t i = 0; i < whole.size(); i++) {
        memset(small, 'Z', sizeof(small));
        FUZZ_CHECK(NextArgument(&c, small, kSmall, &length));
        FUZZ_CHECK(length == whole[i].size());
        FUZZ_CHECK(whole[i].compare(0, strlen(small), small) == 0);
        FUZZ_CHECK(strlen(small) == (length < kSmall ? length : kSmall - 1));
        for (size_t j = kSmall; j < sizeof(small); j++)
            FUZZ_CHECK(small[j] == 'Z');
    }
    FUZZ_CHECK(!NextArgument(&c, small, kSmall, &length));

    struct SetupSwitches switches;
    memset(&switches, 'Z', sizeof(switches));
    ParseSetupSwitches(cursor, &switches);
    FUZZ_CHECK(switches.silent == 0 || switches.silent == 1);
    FUZZ_CHECK(switches.understood == 0 || switches.understood == 1);
    FUZZ_CHECK(strnlen(switches.notUnderstood, SWITCH_WORD_SIZE) < SWITCH_WORD_SIZE);
    CheckSwitchValue(switches.folder);
    CheckSwitchValue(switches.log);
    FUZZ_CHECK(switches.hasFolder || switches.folder[0] == '\0');
    if (switches.understood && switches.hasFolder)
        FUZZ_CHECK(!HoldsSwitch(switches.folder));
    CheckQuotedWordIsWhole(line);
    return 0;
}
