#pragma once
// Names in the layer's text files (profile files, the registry's key files):
// white space around them does not count, nor does the case of their letters.
#include <cwctype>
#include <string_view>

inline std::wstring_view TrimWhiteSpace(std::wstring_view text) {
    while (!text.empty() && std::iswspace(text.front())) text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back())) text.remove_suffix(1);
    return text;
}

inline bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}
