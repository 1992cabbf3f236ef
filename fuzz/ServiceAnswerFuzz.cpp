// The service's answer, from any bytes delivered in pieces of any size: an
// answer of less than 4096 bytes becomes the UTF-8 text before its first zero
// byte; a longer one is refused with an empty text, and no piece is asked for
// once the buffer is known to be too small. Every request asks for at most a
// 512-byte piece. A text taken as an address begins with http:// or
// https:// and holds no space or control character.
//
// Input: a byte that seeds the piece sizes, then the answer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <string>

#include "fuzz/Check.h"
#include "platform/CodePage.h"
#include "query/ServiceAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    uint32_t seed = data[0] | 1u;
    const std::string answer(reinterpret_cast<const char*>(data + 1), size - 1);

    size_t delivered = 0;
    bool askedAfterRefusal = false;
    AnswerReader read = [&](void* buffer, UINT count) -> UINT {
        FUZZ_CHECK(count > 0 && count <= 512);
        if (delivered > 4095) askedAfterRefusal = true;
        seed = seed * 1103515245u + 12345u;  // pieces of 1 to count bytes, as a network gives them
        const size_t piece = std::min<size_t>({answer.size() - delivered, count, 1 + (seed >> 16) % count});
        std::memcpy(buffer, answer.data() + delivered, piece);
        delivered += piece;
        return static_cast<UINT>(piece);
    };

    CString text = L"unchanged";
    const bool read_ok = ReadServiceAnswer(read, text);
    FUZZ_CHECK(!askedAfterRefusal);
    if (answer.size() >= 4096) {
        FUZZ_CHECK(!read_ok && text.empty());
        return 0;
    }
    FUZZ_CHECK(read_ok && delivered == answer.size());
    const std::string beforeZero = answer.substr(0, answer.find('\0'));
    FUZZ_CHECK(text == CString(CA2W(beforeZero, CP_UTF8).c_str()));
    if (IsPackageAddress(text)) {
        CString scheme = text.substr(0, 8);
        std::transform(scheme.begin(), scheme.end(), scheme.begin(), ::towlower);
        FUZZ_CHECK(scheme.starts_with(L"http://") || scheme == L"https://");
        FUZZ_CHECK(std::none_of(text.begin(), text.end(), [](wchar_t c) { return c <= L' ' || c == 0x7F; }));
    }
    return 0;
}
