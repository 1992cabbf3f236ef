// The profile reader, for what the program asks of it: one integer by
// section and key.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>

#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "tests/support/TempDir.h"

using testsupport::Kept;
using testsupport::TempDir;

namespace {

// The process's peak memory so far, in KiB.
long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const int kDefault = 7;  // not 0, so that a default and a value of 0 differ

// All the bytes of a literal, NULs included, without its terminator.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// `text` made `size` bytes long by a comment line behind it.
std::string Padded(const std::string& text, size_t size) {
    return text + ";" + std::string(size - text.size() - 2, 'x') + "\n";
}

struct ProfileCase {
    const char* name;
    std::string content;
    int expected;
    Kept kept = Kept::File;
};

void PrintTo(const ProfileCase& c, std::ostream* os) {
    *os << c.name;
}

class ProfileInt : public testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileInt, ReadsTheKeyOfTheSection) {
    TempDir dir;
    const std::string path = dir / "codepage.conf";
    ASSERT_TRUE(testsupport::Keep(GetParam().kept, path, GetParam().content));
    const long peak = PeakKiB();
    const UINT value = GetPrivateProfileIntW(L"language", L"codepage", kDefault, CA2W(path).c_str());
    EXPECT_LT(PeakKiB() - peak, 16 * 1024) << "at most 64 KiB of a file is read";
    EXPECT_EQ(static_cast<int>(value), GetParam().expected);
}

const ProfileCase kProfileCases[] = {
    {"Plain", "[language]\ncodepage=1252\n", 1252},
    {"NamesInAnyCase", "[LANGUAGE]\nCodePage=1252\n", 1252},
    {"SpacesAroundNamesAndValue", "  [ language ]  \n  codepage  =  936  \n", 936},
    {"TabsAroundNamesAndValue", "\t[language]\t\n\tcodepage\t=\t950\t\n", 950},
    {"WindowsLineEnds", "[language]\r\ncodepage=950\r\n", 950},
    {"ByteOrderMark", "\xEF\xBB\xBF[language]\ncodepage=1252\n", 1252},
    {"NoLineEndAtTheEnd", "[other]\nx=1\n[language]\ncodepage=1252", 1252},
    {"MissingSection", "[other]\ncodepage=1252\n", kDefault},
    {"KeyInAnotherSection", "[other]\ncodepage=1252\n[language]\nlocale=en\n", kDefault},
    {"KeyAfterTheSectionEnded", "[language]\n[other]\ncodepage=1252\n", kDefault},
    {"KeyBeforeAnySection", "codepage=1252\n[language]\n", kDefault},
    {"MissingKey", "[language]\ncodepages=1252\nlocale=1252\n", kDefault},
    {"CommentedOut", "[language]\n; codepage=1252\n", kDefault},
    {"FirstOfTwo", "[language]\ncodepage=936\ncodepage=1252\n", 936},
    {"TrailingText", "[language]\ncodepage=1252 ; English\n", 1252},
    {"DigitsThenLetters", "[language]\ncodepage=12x52\n", 12},
    {"Negative", "[language]\ncodepage=-5\n", -5},
    {"PlusSign", "[language]\ncodepage=+936\n", 936},
    {"Zero", "[language]\ncodepage=0\n", 0},
    {"NoDigits", "[language]\ncodepage=english\n", kDefault},
    {"SignWithoutDigits", "[language]\ncodepage=-\n", kDefault},
    {"EmptyValue", "[language]\ncodepage=\n", kDefault},
    {"EmptyFile", "", kDefault},
    {"NotText", Bytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0\xff\xfe["), kDefault},
    {"NulBeforeTheSection", Bytes("\0[language]\ncodepage=1252\n"), kDefault},
    {"LinkToAFileElsewhere", "[language]\ncodepage=1252\n", 1252, Kept::LinkToFile},
    {"AsLongAsAllowed", Padded("[language]\ncodepage=1252\n", 64 * 1024), 1252},
    {"LongerThanAllowed", Padded("[language]\ncodepage=1252\n", 64 * 1024 + 1), kDefault},
    {"NoFile", "", kDefault, Kept::Nothing},
    {"Folder", "", kDefault, Kept::Folder},
    {"Fifo", "", kDefault, Kept::Fifo},
    {"LinkToDevZero", "", kDefault, Kept::LinkToDevZero},
};

INSTANTIATE_TEST_SUITE_P(Files, ProfileInt, testing::ValuesIn(kProfileCases),
                         [](const testing::TestParamInfo<ProfileCase>& p) { return std::string(p.param.name); });

}  // namespace
