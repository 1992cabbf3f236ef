#include "platform/Profile.h"

#include <optional>
#include <sstream>
#include <string>

#include "platform/CodePage.h"
#include "platform/posix/SettingsFile.h"
#include "platform/posix/TextNames.h"

namespace {

// The name inside a "[name]" line; nothing for any other line.
std::optional<std::wstring_view> SectionName(std::wstring_view line) {
    if (line.size() < 2 || line.front() != L'[' || line.back() != L']') return std::nullopt;
    return TrimWhiteSpace(line.substr(1, line.size() - 2));
}

// The value's leading decimal digits with an optional sign before them;
// nothing when there are no digits. Too many digits wrap, as an unsigned
// accumulator does.
std::optional<UINT> LeadingNumber(std::wstring_view value) {
    const bool negative = !value.empty() && value.front() == L'-';
    if (!value.empty() && (value.front() == L'-' || value.front() == L'+')) value.remove_prefix(1);
    UINT number = 0;
    size_t digits = 0;
    for (; digits < value.size() && value[digits] >= L'0' && value[digits] <= L'9'; ++digits)
        number = number * 10u + static_cast<UINT>(value[digits] - L'0');
    if (digits == 0) return std::nullopt;
    return negative ? 0u - number : number;
}

std::wstring DecodeLine(std::string line, bool first) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);  // a byte-order mark
    return CA2W(line, CP_UTF8);
}

}  // namespace

UINT GetPrivateProfileIntW(LPCWSTR appName, LPCWSTR keyName, INT nDefault, LPCWSTR fileName) {
    const UINT fallback = static_cast<UINT>(nDefault);
    if (!appName || !keyName || !fileName) return fallback;
    const std::optional<std::string> content = ReadSettingsFile(CW2A(fileName));
    if (!content) return fallback;
    std::istringstream file(*content);
    bool inSection = false;
    std::string raw;
    for (bool first = true; std::getline(file, raw); first = false) {
        const std::wstring decoded = DecodeLine(raw, first);
        const std::wstring_view line = TrimWhiteSpace(decoded);
        if (auto section = SectionName(line)) {
            inSection = SameName(*section, appName);
            continue;
        }
        const size_t equals = line.find(L'=');
        if (!inSection || equals == std::wstring_view::npos) continue;
        if (!SameName(TrimWhiteSpace(line.substr(0, equals)), keyName)) continue;
        return LeadingNumber(TrimWhiteSpace(line.substr(equals + 1))).value_or(fallback);
    }
    return fallback;
}
