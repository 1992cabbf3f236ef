#include "ServiceAnswer.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/CodePage.h"

namespace {
constexpr UINT kAnswerBufferSize = 4096;
constexpr UINT kReadChunkSize = 512;
}  // namespace

bool ReadServiceAnswer(const AnswerReader& read, CString& text) {
    std::array<char, kAnswerBufferSize> answer{};
    UINT total = 0;
    for (;;) {
        std::array<char, kReadChunkSize> chunk{};
        const UINT count = read(chunk.data(), kReadChunkSize);
        // The answer and the zero after it must fit: 4095 bytes at most
        // (total never exceeds that, so the difference cannot wrap).
        if (count > kReadChunkSize || count > kAnswerBufferSize - 1 - total) {
            text.clear();
            return false;
        }
        if (count == 0) break;
        std::copy_n(chunk.data(), count, answer.data() + total);
        total += count;
    }
    // total + 1 bytes: the answer and its terminating zero.
    std::vector<wchar_t> wide(total + 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, answer.data(), static_cast<int>(total + 1), wide.data(),
                        static_cast<int>(wide.size()));
    text = CString(wide.data());
    return true;
}

bool IsPackageAddress(const CString& text) {
    auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    auto startsWith = [&](const wchar_t* scheme) {
        const size_t n = std::char_traits<wchar_t>::length(scheme);
        return text.size() >= n &&
               std::equal(scheme, scheme + n, text.begin(), [&](wchar_t s, wchar_t c) { return s == lower(c); });
    };
    const size_t schemeEnd = startsWith(L"http://") ? 7 : startsWith(L"https://") ? 8 : 0;
    if (schemeEnd == 0) return false;
    // Space, C0 and C1 controls, DEL.
    if (std::any_of(text.begin(), text.end(), [](wchar_t c) { return c <= L' ' || (c >= 0x7F && c <= 0x9F); }))
        return false;
    // The host: the authority without the user before it and the port after it.
    const CString authority = text.substr(schemeEnd, text.find_first_of(L"/?#", schemeEnd) - schemeEnd);
    const size_t at = authority.rfind(L'@');
    const CString host = authority.substr(at == CString::npos ? 0 : at + 1);
    return !host.empty() && host.front() != L':';
}
