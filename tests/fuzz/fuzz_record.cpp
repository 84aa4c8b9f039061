/*
 * A composed keyword record is always keyword, CR LF, target, CR LF,
 * CR LF, or nothing when it does not fit; never more than its buffer.
 */
#include <vector>

#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    if (size < 2)
        return 0;
    size_t limit = (size_t)data[0] * 4 + 1;
    std::string rest = FuzzText(data + 1, size - 1);
    size_t cut = rest.empty() ? 0 : data[1] % (rest.size() + 1);
    std::string keyword = rest.substr(0, cut), target = rest.substr(cut);

    std::vector<char> out(limit + 8, 'Z');
    size_t n = ComposeKeywordRecord(out.data(), limit, keyword.c_str(), target.c_str());
    for (size_t i = limit; i < out.size(); i++)
        FUZZ_CHECK(out[i] == 'Z');
    size_t expected = keyword.size() + target.size() + 6;
    if (expected + 1 > limit) {
        FUZZ_CHECK(n == 0 && out[0] == '\0');
        return 0;
    }
    FUZZ_CHECK(n == expected);
    FUZZ_CHECK(std::string(out.data(), n) == keyword + "\r\n" + target + "\r\n\r\n");
    FUZZ_CHECK(out[n] == '\0');
    return 0;
}
