#include "DownloadRequest.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {
const char kSeparator[] = " -";

CStringA TrimSpaces(const CStringA& value) {
    // Only the space character: tabs and other white space belong to the value.
    size_t first = value.find_first_not_of(' ');
    if (first == CStringA::npos) return CStringA();
    size_t last = value.find_last_not_of(' ');
    return value.substr(first, last - first + 1);
}

int CountSeparators(const CStringA& commandLine) {
    int count = 0;
    for (size_t p = commandLine.find(kSeparator); p != CStringA::npos; p = commandLine.find(kSeparator, p + 2)) ++count;
    return count;
}
}  // namespace

int SplitCommandLine(const CStringA& commandLine, std::vector<CStringA>& values) {
    if (CountSeparators(commandLine) != 5) return SPLIT_NOT_FIVE_SEPARATORS;
    values.reserve(5);
    // Whatever stands before the first separator is the program's own path.
    for (size_t p = commandLine.find(kSeparator); p != CStringA::npos;) {
        size_t start = p + 2;
        size_t next = commandLine.find(kSeparator, start);
        size_t end = next == CStringA::npos ? commandLine.size() : next;
        values.push_back(TrimSpaces(commandLine.substr(start, end - start)));
        p = next;
    }
    return values.size() == 5 ? SPLIT_OK : SPLIT_NOT_FIVE_VALUES;
}

int32_t ParseCaptureFlag(const CStringA& value) {
    errno = 0;
    long long n = std::strtoll(value.c_str(), nullptr, 10);
    if (n > INT32_MAX) return INT32_MAX;
    if (n < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(n);
}
