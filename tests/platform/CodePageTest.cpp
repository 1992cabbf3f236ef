#include <gtest/gtest.h>
#include <clocale>
#include <string>

#include "platform/CodePage.h"
#include "tests/support/LocaleScope.h"

using testsupport::LocaleScope;

namespace {

#define USE_LOCALE(scope, name) \
    LocaleScope scope(name);    \
    if (!scope.ok()) GTEST_SKIP() << "locale " << name << " is not installed (see localedef in the setup script)"

const std::string kCidianUtf8 = "\xE8\xAF\x8D\xE5\x85\xB8";  // 词典
const std::wstring kCidian = L"\u8BCD\u5178";

TEST(CodePage, GbkLocaleIsCodePage936AndConvertsBothWays) {
    USE_LOCALE(locale, "zh_CN.GBK");
    EXPECT_EQ(CW2A(kCidian), "\xB4\xCA\xB5\xE4");
    EXPECT_EQ(CA2W("\xB4\xCA\xB5\xE4"), kCidian);
    // An explicit UTF-8 request ignores the GBK locale.
    EXPECT_EQ(CA2W(kCidianUtf8, CP_UTF8), kCidian);
    EXPECT_EQ(CW2A(kCidian, CP_UTF8), kCidianUtf8);
}

TEST(CodePage, Latin1LocaleIsCodePage1252AndReplacesMissingCharacters) {
    USE_LOCALE(locale, "en_US.ISO-8859-1");
    EXPECT_EQ(CW2A(L"caf\u00E9"), "caf\xE9");
    EXPECT_EQ(CA2W("caf\xE9"), L"caf\u00E9");
    EXPECT_EQ(CW2A(L"a\u8BCDb"), "a?b");
}

TEST(CodePage, Utf8LocaleIsCodePage65001) {
    USE_LOCALE(locale, "C.UTF-8");
    EXPECT_EQ(CW2A(kCidian), kCidianUtf8);
    EXPECT_EQ(CA2W(kCidianUtf8), kCidian);
}

TEST(CodePage, PlainCLocaleCountsAsUtf8) {
    USE_LOCALE(locale, "C");
    EXPECT_EQ(CW2A(kCidian), kCidianUtf8);
    EXPECT_EQ(CA2W(kCidianUtf8), kCidian);
}

// Bytes a code page cannot decode come through wide text unchanged: byte b
// becomes U+DC00 + b there, and turns back into b when encoded.
struct KeptBytes {
    const char* name;
    const char* locale;
    UINT codePage;
    std::string narrow;
    std::wstring wide;
};

void PrintTo(const KeptBytes& k, std::ostream* os) {
    *os << k.name;
}

class BytesKept : public testing::TestWithParam<KeptBytes> {};

TEST_P(BytesKept, ThroughWideTextAndBack) {
    const KeptBytes& k = GetParam();
    USE_LOCALE(locale, k.locale);
    EXPECT_EQ(CA2W(k.narrow, k.codePage), k.wide);
    EXPECT_EQ(CW2A(k.wide, k.codePage), k.narrow);

    // The same through the call with its size query.
    const int narrowSize = static_cast<int>(k.narrow.size());
    const int wideSize = MultiByteToWideChar(k.codePage, 0, k.narrow.data(), narrowSize, nullptr, 0);
    ASSERT_EQ(wideSize, static_cast<int>(k.wide.size()));
    std::wstring wide(static_cast<size_t>(wideSize), L'#');
    EXPECT_EQ(MultiByteToWideChar(k.codePage, 0, k.narrow.data(), narrowSize, wide.data(), wideSize), wideSize);
    EXPECT_EQ(wide, k.wide);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, BytesKept,
    testing::Values(
        KeptBytes{"Utf8Latin1Name", "C.UTF-8", CP_ACP, "caf\xE9.zip", L"caf\xDCE9.zip"},
        KeptBytes{"Utf8BadBytesInTheMiddle", "C.UTF-8", CP_ACP,
                  "a\xFF\xFE"
                  "b",
                  L"a\xDCFF\xDCFE"
                  "b"},
        KeptBytes{"Utf8BadContinuation", "C.UTF-8", CP_ACP,
                  "\xE8"
                  "A",
                  L"\xDCE8"
                  "A"},
        KeptBytes{"Utf8CutOffAtTheEnd", "C.UTF-8", CP_ACP, "x\xE8\xAF", L"x\xDCE8\xDCAF"},
        // An encoded surrogate is no UTF-8: kept as three bytes, not taken
        // for the escape it spells.
        KeptBytes{"Utf8EncodedSurrogate", "C.UTF-8", CP_ACP, "\xED\xB2\x80", L"\xDCED\xDCB2\xDC80"},
        KeptBytes{"Utf8Overlong", "C.UTF-8", CP_ACP, "\xC0\xAF", L"\xDCC0\xDCAF"},
        KeptBytes{"Utf8PastTheLastCodePoint", "C.UTF-8", CP_ACP, "\xF4\x90\x80\x80", L"\xDCF4\xDC90\xDC80\xDC80"},
        KeptBytes{"PlainCLocale", "C", CP_ACP, "\xFF" + kCidianUtf8, L"\xDCFF" + kCidian},
        KeptBytes{"Gbk", "zh_CN.GBK", CP_ACP, "\xB4\xCA\xFF", L"\u8BCD\xDCFF"},
        KeptBytes{"GbkLeadByteWithoutItsPair", "zh_CN.GBK", CP_ACP, "\x81 \xE9", L"\xDC81 \xDCE9"},
        KeptBytes{"ExplicitUtf8UnderGbk", "zh_CN.GBK", CP_UTF8, "a\xB4\xCA", L"a\xDCB4\xDCCA"},
        KeptBytes{"CodePage936UnderUtf8", "C.UTF-8", 936, "\xB4\xCA\xFF", L"\u8BCD\xDCFF"},
        KeptBytes{"Gb18030", "zh_CN.GB18030", CP_ACP, "\x81\x30\x81\x30\x80\xB4\xCA", L"\u0080\xDC80\u8BCD"},
        KeptBytes{"CodePage1252", "C.UTF-8", 1252, "\x80\x81", L"\u20AC\xDC81"},
        // Every byte is a character there: nothing to keep apart.
        KeptBytes{"Latin1", "en_US.ISO-8859-1", CP_ACP, "caf\xE9\x81", L"caf\u00E9\u0081"}),
    [](const testing::TestParamInfo<KeptBytes>& p) { return std::string(p.param.name); });

// Every text of one and two bytes comes back as it was.
struct CodePageInForce {
    const char* locale;
    UINT codePage;
};

TEST(CodePage, EveryShortByteStringSurvivesWideTextInEveryCodePage) {
    const CodePageInForce cases[] = {
        {"C.UTF-8", CP_ACP},          {"C", CP_ACP},    {"zh_CN.GBK", CP_ACP}, {"zh_CN.GB18030", CP_ACP},
        {"en_US.ISO-8859-1", CP_ACP}, {"C.UTF-8", 936}, {"C.UTF-8", 1252}};
    for (const CodePageInForce& c : cases) {
        LocaleScope locale(c.locale);
        if (!locale.ok()) continue;
        int changed = 0;
        for (int length = 1; length <= 2; ++length) {
            for (int n = 0; n < (1 << (8 * length)); ++n) {
                std::string narrow;
                for (int i = 0; i < length; ++i) narrow += static_cast<char>((n >> (8 * i)) & 0xFF);
                const std::string back = CW2A(CA2W(narrow, c.codePage), c.codePage);
                if (back != narrow && ++changed <= 3)
                    ADD_FAILURE() << c.locale << " code page " << c.codePage << ": " << testing::PrintToString(narrow)
                                  << " came back as " << testing::PrintToString(back);
            }
        }
        EXPECT_EQ(changed, 0) << c.locale << " code page " << c.codePage;
    }
}

TEST(CodePage, EscapesEncodeAsTheirBytesInEveryCodePage) {
    const std::wstring escapes = L"a\xDC80\xDCE9\xDCFF";
    for (UINT codePage : {static_cast<UINT>(CP_UTF8), 936u, 1252u})
        EXPECT_EQ(CW2A(escapes, codePage), "a\x80\xE9\xFF") << codePage;
    // Other values that are no character still have no narrow form.
    EXPECT_EQ(CW2A(std::wstring(1, static_cast<wchar_t>(0xD800)), CP_UTF8), "\xEF\xBF\xBD");
    EXPECT_EQ(CW2A(std::wstring(1, static_cast<wchar_t>(0xDC7F)), CP_UTF8), "\xEF\xBF\xBD");
    EXPECT_EQ(CW2A(std::wstring(1, static_cast<wchar_t>(0xDD00)), 1252), "?");
}

// What a window shows: an escape, like anything else that is no character,
// as U+FFFD; everything else as it is.
TEST(CodePage, ShownTextReplacesWhatIsNoCharacter) {
    const struct {
        std::wstring text;
        std::wstring shown;
    } cases[] = {
        {L"caf\xDCE9.zip", L"caf\uFFFD.zip"},
        {L"\xDC80\xDCFF", L"\uFFFD\uFFFD"},
        {std::wstring{L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), L'b'}, L"a\uFFFD\uFFFDb"},
        {kCidian + L"\U0001F600\uFFFF", kCidian + L"\U0001F600\uFFFF"},
        {std::wstring(L"x\0y", 3), std::wstring(L"x\0y", 3)},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ShownText(c.text), c.shown) << testing::PrintToString(c.text);
}

TEST(CodePage, SizeQueriesAndShortBuffers) {
    // -1 counts the terminator; an explicit length does not add one.
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kCidianUtf8.c_str(), -1, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kCidianUtf8.c_str(), static_cast<int>(kCidianUtf8.size()), nullptr, 0),
              2);

    wchar_t wide[3] = {L'#', L'#', L'#'};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kCidianUtf8.c_str(), -1, wide, 2), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kCidianUtf8.c_str(), -1, wide, 3), 3);
    EXPECT_EQ(std::wstring(wide, 3), kCidian + L'\0');

    wchar_t unterminated[3] = {L'#', L'#', L'#'};
    EXPECT_EQ(
        MultiByteToWideChar(CP_UTF8, 0, kCidianUtf8.c_str(), static_cast<int>(kCidianUtf8.size()), unterminated, 3), 2);
    EXPECT_EQ(unterminated[2], L'#');
}

TEST(CodePage, EmbeddedZeroIsConvertedAsACharacter) {
    // The text's bytes plus the zero byte that follows them.
    wchar_t wide[8];
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, kCidianUtf8.c_str(), static_cast<int>(kCidianUtf8.size()) + 1, wide, 8);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(std::wstring(wide, 3), kCidian + L'\0');

    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab\0c", 4, wide, 8), 4);
    EXPECT_EQ(std::wstring(wide, 4), std::wstring(L"ab\0c", 4));

    EXPECT_EQ(CW2A(std::wstring(L"x\0y", 3), CP_UTF8), std::string("x\0y", 3));

    EXPECT_EQ(CA2W(std::string("a\0b", 3), CP_UTF8), std::wstring(L"a\0b", 3));
}

TEST(CodePage, EmptyAndInvalidRequests) {
    wchar_t wide[4];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 0, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, wide, 4), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 4), 0);
    // The empty text still has its terminator.
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "", -1, wide, 4), 1);
    EXPECT_EQ(wide[0], L'\0');
    EXPECT_TRUE(CA2W("").empty());
    EXPECT_TRUE(CW2A(L"").empty());
}

}  // namespace
