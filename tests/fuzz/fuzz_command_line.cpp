/*
 * The command-line splitter: never more bytes out than in, never a
 * double-byte character split, the same arguments whatever the output
 * buffer's size, and nothing written past it. Setup's switches: a folder
 * or log file is a whole-character piece of the line that fits its
 * buffer, or empty.
 */
#include <vector>

#include "fuzz_util.h"
#include "setup/switches.h"

static void CheckSwitchValue(const std::string &line, int given, const char *value)
{
    size_t n = strnlen(value, SWITCH_PATH_SIZE);
    FUZZ_CHECK(n < SWITCH_PATH_SIZE);
    FUZZ_CHECK(given || n == 0);
    if (n > 0)
        FUZZ_CHECK(line.find(value) != std::string::npos);
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
    CheckSwitchValue(line, switches.hasFolder, switches.folder);
    CheckSwitchValue(line, 1, switches.log);
    return 0;
}
