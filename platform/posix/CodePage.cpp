#include "platform/CodePage.h"

#include <iconv.h>
#include <langinfo.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

static_assert(sizeof(wchar_t) == 4, "wide text is taken as one UTF-32 unit per character");

// Owns one conversion descriptor.
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv() {
        if (valid()) iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

constexpr const char* kWideCharset = "WCHAR_T";
constexpr size_t kIconvFailed = static_cast<size_t>(-1);

// The locale's codeset as iconv names it; the C/POSIX locale's ASCII is
// widened to UTF-8 so that text read in that locale is not mangled.
std::string LocaleCharset() {
    const char* codeset = nl_langinfo(CODESET);
    std::string name = codeset ? codeset : "";
    if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII") return "UTF-8";
    return name;
}

// Upper case without separators, so that "utf-8", "UTF8" and "Utf_8" compare equal.
std::string Canonical(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c >= 'a' && c <= 'z')
            out += static_cast<char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out += c;
    }
    return out;
}

std::string CharsetFor(UINT codePage) {
    switch (codePage) {
        case CP_UTF8:
            return "UTF-8";
        case CP_ACP:
            return LocaleCharset();
        default:
            return "CP" + std::to_string(codePage);
    }
}

constexpr wchar_t kEscapeBase = 0xDC00;
constexpr wchar_t kReplacement = 0xFFFD;

bool IsByteEscape(wchar_t c) {
    return c >= 0xDC80 && c <= 0xDCFF;
}

// A Unicode scalar value: no surrogate, nothing past U+10FFFF.
bool IsCharacter(wchar_t c) {
    const auto value = static_cast<uint32_t>(c);
    return value < 0xD800 || (value > 0xDFFF && value <= 0x10FFFF);
}

// What stands in wide text for a byte the code page cannot decode.
wchar_t EscapeOf(unsigned char byte) {
    return byte >= 0x80 ? static_cast<wchar_t>(kEscapeBase + byte) : kReplacement;
}

// Takes narrow text one character at a time, and a character only when it
// encodes back into the very bytes it came from: a code page whose decoding
// is not one to one (two byte sequences for one character) then still gives
// each byte back. What decodes to no character at all (UTF-8 past U+10FFFF,
// which the system's converter lets through) counts as undecodable too.
class Decoder {
public:
    explicit Decoder(const std::string& charset)
        : m_toWide(kWideCharset, charset.c_str()), m_back(charset.c_str(), kWideCharset) {}

    bool valid() const { return m_toWide.valid() && m_back.valid(); }

    // The bytes the character at src takes (put in c), 0 when the bytes there
    // do not start one, none when the conversion itself fails.
    std::optional<size_t> Next(const char* src, size_t length, wchar_t& c) {
        char* in = const_cast<char*>(src);
        size_t inLeft = length;
        char* o = reinterpret_cast<char*>(&c);
        size_t oLeft = sizeof c;
        const size_t r = iconv(m_toWide.get(), &in, &inLeft, &o, &oLeft);
        const int err = errno;
        iconv(m_toWide.get(), nullptr, nullptr, nullptr, nullptr);
        if (r == kIconvFailed && err != E2BIG && err != EILSEQ && err != EINVAL) return std::nullopt;
        const size_t used = length - inLeft;
        if (oLeft != 0 || used == 0 || !IsCharacter(c) || !EncodesBackTo(c, src, used)) return 0;
        return used;
    }

private:
    bool EncodesBackTo(wchar_t c, const char* bytes, size_t count) {
        char* in = reinterpret_cast<char*>(&c);
        size_t inLeft = sizeof c;
        char encoded[16];
        char* o = encoded;
        size_t oLeft = sizeof encoded;
        const bool converted = iconv(m_back.get(), &in, &inLeft, &o, &oLeft) != kIconvFailed &&
                               iconv(m_back.get(), nullptr, nullptr, &o, &oLeft) != kIconvFailed;
        iconv(m_back.get(), nullptr, nullptr, nullptr, nullptr);
        return converted && static_cast<size_t>(o - encoded) == count && std::memcmp(encoded, bytes, count) == 0;
    }

    Iconv m_toWide;
    Iconv m_back;
};

std::optional<std::wstring> Decode(UINT codePage, const char* src, size_t length) {
    Decoder decoder(CharsetFor(codePage));
    if (!decoder.valid()) return std::nullopt;
    std::wstring out;
    out.reserve(length);
    for (size_t at = 0; at < length;) {
        wchar_t c = 0;
        const auto used = decoder.Next(src + at, length - at, c);
        if (!used) return std::nullopt;
        if (*used == 0) c = EscapeOf(static_cast<unsigned char>(src[at]));
        out.push_back(c);
        at += *used == 0 ? 1 : *used;
    }
    return out;
}

// Encodes text without escapes, back in the initial shift state at its end;
// what the code page lacks becomes the replacement.
bool EncodeRun(iconv_t cd, const wchar_t* src, size_t length, const std::string& replacement, std::string& out) {
    char chunk[1024];
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(src));
    size_t inLeft = length * sizeof(wchar_t);
    while (inLeft > 0) {
        char* o = chunk;
        size_t oLeft = sizeof chunk;
        const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        const int err = errno;
        out.append(chunk, static_cast<size_t>(o - chunk));
        if (r != kIconvFailed || err == E2BIG) continue;
        if (err != EILSEQ && err != EINVAL) return false;
        out += replacement;
        in += sizeof(wchar_t);
        inLeft -= sizeof(wchar_t);
    }
    char* o = chunk;
    size_t oLeft = sizeof chunk;
    if (iconv(cd, nullptr, nullptr, &o, &oLeft) == kIconvFailed) return false;
    out.append(chunk, static_cast<size_t>(o - chunk));
    return true;
}

std::optional<std::string> Encode(UINT codePage, const wchar_t* src, size_t length) {
    const std::string charset = CharsetFor(codePage);
    const bool toUtf8 = Canonical(charset) == "UTF8";
    Iconv cd(charset.c_str(), kWideCharset);
    if (!cd.valid()) return std::nullopt;

    // UTF-8 can hold every character, so only invalid code points reach the
    // replacement there, and they become U+FFFD as the system does.
    const std::string replacement = toUtf8 ? "\xEF\xBF\xBD" : "?";

    std::string out;
    const wchar_t* end = src + length;
    for (const wchar_t* run = src;;) {
        const wchar_t* escape = std::find_if(run, end, IsByteEscape);
        if (!EncodeRun(cd.get(), run, static_cast<size_t>(escape - run), replacement, out)) return std::nullopt;
        if (escape == end) break;
        out.push_back(static_cast<char>(*escape - kEscapeBase));
        run = escape + 1;
    }
    return out;
}

// A zero size asks for the size, a short buffer fails.
int Deliver(const std::wstring& converted, wchar_t* dst, int capacity) {
    if (converted.size() > static_cast<size_t>(INT_MAX)) return 0;
    const int needed = static_cast<int>(converted.size());
    if (capacity == 0) return needed;
    if (needed > capacity) return 0;
    std::memcpy(dst, converted.data(), converted.size() * sizeof(wchar_t));
    return needed;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, LPCSTR src, int cbMultiByte, LPWSTR dst, int cchWideChar) {
    if (!src || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 || (cchWideChar > 0 && !dst)) return 0;
    const size_t length = cbMultiByte == -1 ? std::strlen(src) + 1 : static_cast<size_t>(cbMultiByte);
    const auto wide = Decode(codePage, src, length);
    return wide ? Deliver(*wide, dst, cchWideChar) : 0;
}

std::wstring CA2W(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    return Decode(codePage, text.data(), text.size()).value_or(std::wstring());
}

std::string CW2A(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    return Encode(codePage, text.data(), text.size()).value_or(std::string());
}

std::wstring ShownText(std::wstring_view text) {
    std::wstring shown(text);
    for (wchar_t& c : shown)
        if (!IsCharacter(c)) c = kReplacement;
    return shown;
}
