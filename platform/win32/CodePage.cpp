// Text conversion on Windows: the system's own conversions, with the bytes a
// code page cannot decode kept as escapes, so that narrow text (a file name
// among it) comes back from wide text byte for byte, as on the POSIX ground.
#include "platform/CodePage.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr wchar_t kEscapeBase = 0xDC00;  // U+DC80..U+DCFF: byte 0x80..0xFF

bool IsEscape(wchar_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

// The bytes of the character starting the text in this code page: one, or
// two after a lead byte, or a UTF-8 sequence's length.
size_t CharacterLength(UINT codePage, std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t length = 1;
    if (codePage == CP_UTF8)
        length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    else if (::IsDBCSLeadByteEx(codePage, lead))
        length = 2;
    return std::min(length, text.size());
}

// Appends the text's characters, or false (and nothing) when the code page
// does not decode all of it.
bool Decode(UINT codePage, std::string_view piece, std::wstring& out) {
    const int size = static_cast<int>(piece.size());
    int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, piece.data(), size, nullptr, 0);
    if (n <= 0) return false;
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(n));
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, piece.data(), size, out.data() + at, n);
    return true;
}

std::string EncodeRun(UINT codePage, std::wstring_view run) {
    if (run.empty()) return std::string();
    int n = ::WideCharToMultiByte(codePage, 0, run.data(), static_cast<int>(run.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    ::WideCharToMultiByte(codePage, 0, run.data(), static_cast<int>(run.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring CA2W(const std::string& text, UINT codePage) {
    if (codePage == CP_ACP) codePage = ::GetACP();
    std::wstring out;
    if (text.empty() || Decode(codePage, text, out)) return out;  // the usual case: all of it decodes
    std::string_view rest(text);
    while (!rest.empty()) {
        size_t length = CharacterLength(codePage, rest);
        if (!Decode(codePage, rest.substr(0, length), out)) {
            // The first byte alone stands for itself; the next may start a character.
            const auto byte = static_cast<unsigned char>(rest[0]);
            out += byte >= 0x80 ? static_cast<wchar_t>(kEscapeBase + byte) : L'\uFFFD';
            length = 1;
        }
        rest.remove_prefix(length);
    }
    return out;
}

std::string CW2A(const std::wstring& text, UINT codePage) {
    if (codePage == CP_ACP) codePage = ::GetACP();
    std::string out;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsEscape(text[i])) continue;
        out += EncodeRun(codePage, std::wstring_view(text).substr(start, i - start));
        if (i < text.size()) out += static_cast<char>(text[i] - kEscapeBase);
        start = i + 1;
    }
    return out;
}

std::wstring ShownText(std::wstring_view text) {
    std::wstring shown(text);
    for (size_t i = 0; i < shown.size(); ++i) {
        const bool high = shown[i] >= 0xD800 && shown[i] <= 0xDBFF;
        const bool lowNext = i + 1 < shown.size() && shown[i + 1] >= 0xDC00 && shown[i + 1] <= 0xDFFF;
        if (high && lowNext)
            ++i;  // a pair: one character beyond the first plane
        else if (shown[i] >= 0xD800 && shown[i] <= 0xDFFF)
            shown[i] = L'\uFFFD';
    }
    return shown;
}
