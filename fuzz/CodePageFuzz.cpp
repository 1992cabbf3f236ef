// Text conversion on any bytes, in the code pages the program meets: narrow
// text comes back from wide text byte for byte, wide text holds characters
// and byte escapes only, and the decoding call writes exactly the size it
// answers to a size query, failing on a buffer one unit short (a size of 0
// would be a query itself).
//
// Input: a byte that picks the locale and code page, then the text.
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz/Check.h"
#include "platform/CodePage.h"

namespace {

struct Setting {
    const char* locale;
    UINT codePage;
};

const Setting kSettings[] = {
    {"C.UTF-8", CP_UTF8},         {"C.UTF-8", 936}, {"C.UTF-8", 1252}, {"zh_CN.GBK", CP_ACP}, {"zh_CN.GB18030", CP_ACP},
    {"en_US.ISO-8859-1", CP_ACP}, {"C", CP_ACP},
};

bool IsCharacterOrEscape(wchar_t c) {
    const auto value = static_cast<uint32_t>(c);
    return value < 0xD800 || (value >= 0xDC80 && value <= 0xDCFF) || (value > 0xDFFF && value <= 0x10FFFF);
}

void CheckDecodeSizes(UINT codePage, const std::string& narrow, const std::wstring& wide) {
    const int length = static_cast<int>(narrow.size());
    const int needed = MultiByteToWideChar(codePage, 0, narrow.data(), length, nullptr, 0);
    FUZZ_CHECK(needed == static_cast<int>(wide.size()));
    std::wstring out(wide.size() + 1, L'#');
    FUZZ_CHECK(MultiByteToWideChar(codePage, 0, narrow.data(), length, out.data(), needed) == needed);
    FUZZ_CHECK(out.compare(0, wide.size(), wide) == 0 && out.back() == L'#');
    if (needed > 1) FUZZ_CHECK(MultiByteToWideChar(codePage, 0, narrow.data(), length, out.data(), needed - 1) == 0);

    // -1: up to the first zero byte, which counts too.
    const std::string terminated = narrow.substr(0, narrow.find('\0'));
    const int withZero = MultiByteToWideChar(codePage, 0, narrow.c_str(), -1, nullptr, 0);
    FUZZ_CHECK(withZero == static_cast<int>(CA2W(terminated, codePage).size()) + 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (const Setting& s : kSettings)
        if (!std::setlocale(LC_ALL, s.locale))
            std::fprintf(stderr, "locale %s is missing (scripts/setup.sh makes it); the C locale stands in\n",
                         s.locale);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const Setting& setting = kSettings[data[0] % (sizeof kSettings / sizeof kSettings[0])];
    static const char* current = nullptr;
    if (setting.locale != current) {
        if (!std::setlocale(LC_ALL, setting.locale)) std::setlocale(LC_ALL, "C");
        current = setting.locale;
    }
    const UINT codePage = setting.codePage;
    const std::string narrow(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::wstring wide = CA2W(narrow, codePage);
    FUZZ_CHECK(CW2A(wide, codePage) == narrow);
    for (wchar_t c : wide) FUZZ_CHECK(IsCharacterOrEscape(c));
    CheckDecodeSizes(codePage, narrow, wide);

    // The same bytes read as wide text of any values: encoding copes with
    // every unit, whatever the sanitizers watch for.
    std::wstring units(narrow.size() / sizeof(wchar_t), L'\0');
    std::memcpy(units.data(), narrow.data(), units.size() * sizeof(wchar_t));
    static_cast<void>(CW2A(units, codePage));
    return 0;
}
