// The command-line splitter on any bytes. It refuses exactly the lines that do
// not hold five " -" separators and leaves the list alone then; otherwise it
// appends five values, each the stretch behind one separator up to the next
// (or the end) without its outer spaces.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/DownloadRequest.h"
#include "fuzz/Check.h"

namespace {

// Where a space stands before a hyphen, character by character.
std::vector<size_t> SeparatorsOf(std::string_view line) {
    std::vector<size_t> at;
    for (size_t i = 0; i + 1 < line.size(); ++i)
        if (line[i] == ' ' && line[i + 1] == '-') at.push_back(i);
    return at;
}

bool OnlySpaces(std::string_view s) {
    for (char c : s)
        if (c != ' ') return false;
    return true;
}

// The value is the stretch with nothing but spaces taken off either end.
void CheckValue(std::string_view stretch, const CStringA& value) {
    FUZZ_CHECK(value.size() <= stretch.size());
    if (value.empty()) {
        FUZZ_CHECK(OnlySpaces(stretch));
        return;
    }
    FUZZ_CHECK(value.front() != ' ' && value.back() != ' ');
    const size_t at = stretch.find(value);
    FUZZ_CHECK(at != std::string_view::npos);
    FUZZ_CHECK(OnlySpaces(stretch.substr(0, at)) && OnlySpaces(stretch.substr(at + value.size())));
}

// The capture flag is the number the value starts with: what follows a
// number does not count, and a number written out reads as itself.
void CheckCaptureFlag(const CStringA& value, const uint8_t* data, size_t size) {
    FUZZ_CHECK(ParseCaptureFlag(value) == ParseCaptureFlag(value + "x"));
    int32_t n = 0;
    std::memcpy(&n, data, std::min(size, sizeof n));
    FUZZ_CHECK(ParseCaptureFlag(std::to_string(n)) == n);
    FUZZ_CHECK(ParseCaptureFlag(" " + std::to_string(n) + " -") == n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CStringA line(reinterpret_cast<const char*>(data), size);
    const std::vector<size_t> separators = SeparatorsOf(line);

    std::vector<CStringA> values;
    const int result = SplitCommandLine(line, values);
    if (separators.size() != 5) {
        FUZZ_CHECK(result == SPLIT_NOT_FIVE_SEPARATORS && values.empty());
    } else {
        FUZZ_CHECK(result == SPLIT_OK && values.size() == 5);
        for (size_t i = 0; i < 5; ++i) {
            const size_t start = separators[i] + 2;
            const size_t end = i + 1 < 5 ? separators[i + 1] : line.size();
            CheckValue(std::string_view(line).substr(start, end - start), values[i]);
        }
        CheckCaptureFlag(values[4], data, size);
    }

    // A list that already holds something is never taken for a good split.
    std::vector<CStringA> filled{"before"};
    const int again = SplitCommandLine(line, filled);
    FUZZ_CHECK(again == (separators.size() == 5 ? SPLIT_NOT_FIVE_VALUES : SPLIT_NOT_FIVE_SEPARATORS));
    FUZZ_CHECK(filled.size() == (separators.size() == 5 ? 6u : 1u) && filled[0] == "before");
    return 0;
}
