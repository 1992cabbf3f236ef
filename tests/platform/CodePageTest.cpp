#include <gtest/gtest.h>
#include <clocale>
#include <cstring>
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
    EXPECT_EQ(GetACP(), 936u);
    EXPECT_EQ(CW2A(kCidian), "\xB4\xCA\xB5\xE4");
    EXPECT_EQ(CA2W("\xB4\xCA\xB5\xE4"), kCidian);
    // An explicit UTF-8 request ignores the GBK locale.
    EXPECT_EQ(CA2W(kCidianUtf8, CP_UTF8), kCidian);
    EXPECT_EQ(CW2A(kCidian, CP_UTF8), kCidianUtf8);
}

TEST(CodePage, Latin1LocaleIsCodePage1252AndReplacesMissingCharacters) {
    USE_LOCALE(locale, "en_US.ISO-8859-1");
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(CW2A(L"caf\u00E9"), "caf\xE9");
    EXPECT_EQ(CA2W("caf\xE9"), L"caf\u00E9");

    char out[16] = {};
    BOOL usedDefault = FALSE;
    const std::wstring mixed = L"a\u8BCDb";
    int n = WideCharToMultiByte(CP_ACP, 0, mixed.c_str(), -1, out, sizeof out, nullptr, &usedDefault);
    EXPECT_EQ(n, 4);
    EXPECT_STREQ(out, "a?b");
    EXPECT_TRUE(usedDefault);

    n = WideCharToMultiByte(CP_ACP, 0, mixed.c_str(), -1, out, sizeof out, "#", &usedDefault);
    EXPECT_EQ(n, 4);
    EXPECT_STREQ(out, "a#b");
    EXPECT_TRUE(usedDefault);

    n = WideCharToMultiByte(CP_ACP, 0, L"plain", -1, out, sizeof out, nullptr, &usedDefault);
    EXPECT_EQ(n, 6);
    EXPECT_FALSE(usedDefault);
}

TEST(CodePage, Utf8LocaleIsCodePage65001) {
    USE_LOCALE(locale, "C.UTF-8");
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    EXPECT_EQ(CW2A(kCidian), kCidianUtf8);
    EXPECT_EQ(CA2W(kCidianUtf8), kCidian);
}

TEST(CodePage, PlainCLocaleCountsAsUtf8) {
    USE_LOCALE(locale, "C");
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    EXPECT_EQ(CW2A(kCidian), kCidianUtf8);
    EXPECT_EQ(CA2W(kCidianUtf8), kCidian);
}

TEST(CodePage, UndecodableBytesBecomeOneReplacementEach) {
    // Bad bytes in the middle, a bad continuation, and a sequence cut off at the end.
    EXPECT_EQ(CA2W("a\xFF\xFE"
                   "b",
                   CP_UTF8),
              L"a\uFFFD\uFFFDb");
    EXPECT_EQ(CA2W("\xE8"
                   "A",
                   CP_UTF8),
              L"\uFFFDA");
    EXPECT_EQ(CA2W("x\xE8\xAF", CP_UTF8), L"x\uFFFD\uFFFD");
    // A code point that is not a character has no UTF-8 form either.
    EXPECT_EQ(CW2A(std::wstring(1, static_cast<wchar_t>(0xD800)), CP_UTF8), "\xEF\xBF\xBD");
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

    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, kCidian.c_str(), -1, nullptr, 0, nullptr, nullptr), 7);
    char narrow[7];
    std::memset(narrow, '#', sizeof narrow);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, kCidian.c_str(), -1, narrow, 6, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, kCidian.c_str(), -1, narrow, 7, nullptr, nullptr), 7);
    EXPECT_EQ(std::string(narrow, 7), kCidianUtf8 + '\0');
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

    char narrow[8];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"x\0y", 3, narrow, 8, nullptr, nullptr), 3);
    EXPECT_EQ(std::string(narrow, 3), std::string("x\0y", 3));

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
