// The machine-wide registry, read from a file per key below the first folder
// of $XDG_CONFIG_DIRS.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>

#include "platform/Registry.h"
#include "tests/support/EnvScope.h"
#include "tests/support/TempDir.h"

using testsupport::EnvScope;
using testsupport::Kept;
using testsupport::TempDir;

namespace {

// The process's peak memory so far, in KiB.
long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const wchar_t kKey[] = L"SOFTWARE\\Brindlecor\\Tarnwick09PRO";
const char kKeyFile[] = "registry/HKEY_LOCAL_MACHINE/SOFTWARE/Brindlecor/Tarnwick09PRO";

// A machine configuration folder of the test's own, first on the list.
class Machine {
public:
    Machine() : m_dirs("XDG_CONFIG_DIRS", "relative/ignored:" + m_dir.Path() + ":/etc/xdg") {}
    void Key(const std::string& file, const std::string& content, Kept kept = Kept::File) {
        std::filesystem::create_directories(std::filesystem::path(m_dir / file).parent_path());
        EXPECT_TRUE(testsupport::Keep(kept, m_dir / file, content)) << file;
    }

private:
    TempDir m_dir;
    EnvScope m_dirs;
};

// The value's text, or the error of opening the key or reading the value.
struct Read {
    LONG result;
    std::wstring text;
};
Read ReadValue(LPCWSTR key, LPCWSTR name) {
    HKEY hKey = nullptr;
    LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &hKey);
    if (result != ERROR_SUCCESS) return {result, {}};
    wchar_t data[64] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    result = RegQueryValueExW(hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    EXPECT_EQ(RegCloseKey(hKey), ERROR_SUCCESS);
    if (result != ERROR_SUCCESS) return {result, {}};
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size % sizeof(wchar_t), 0u);
    EXPECT_EQ(data[size / sizeof(wchar_t) - 1], L'\0') << "the data holds its terminator";
    return {result, std::wstring(data, size / sizeof(wchar_t) - 1)};
}

struct ValueCase {
    const char* name;
    std::string content;
    const wchar_t* valueName;
    LONG result;
    std::wstring text;
    Kept kept = Kept::File;
};
void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

class RegistryValue : public testing::TestWithParam<ValueCase> {};

TEST_P(RegistryValue, IsTheLineOfItsName) {
    Machine machine;
    machine.Key(kKeyFile, GetParam().content, GetParam().kept);
    const long peak = PeakKiB();
    const Read read = ReadValue(kKey, GetParam().valueName);
    EXPECT_LT(PeakKiB() - peak, 16 * 1024) << "at most 64 KiB of a file is read";
    EXPECT_EQ(read.result, GetParam().result);
    EXPECT_EQ(read.text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RegistryValue,
    testing::Values(ValueCase{"Plain", "InstallLanguage=1033\n", L"InstallLanguage", ERROR_SUCCESS, L"1033"},
                    ValueCase{"NameInAnyCase", "installlanguage=2052\n", L"INSTALLLANGUAGE", ERROR_SUCCESS, L"2052"},
                    ValueCase{"AmongOthers", "Path=/opt/t\nInstallLanguage=1033\nVersion=9\n", L"InstallLanguage",
                              ERROR_SUCCESS, L"1033"},
                    ValueCase{"SpacesAroundTheNameOnly", " InstallLanguage = 1033 \n", L"InstallLanguage",
                              ERROR_SUCCESS, L" 1033 "},
                    ValueCase{"WindowsLineEnd", "InstallLanguage=1033\r\n", L"InstallLanguage", ERROR_SUCCESS, L"1033"},
                    ValueCase{"EqualsInTheValue", "InstallLanguage=a=b", L"InstallLanguage", ERROR_SUCCESS, L"a=b"},
                    ValueCase{"Utf8", "InstallLanguage=\xE4\xB8\xAD\xE6\x96\x87\n", L"InstallLanguage", ERROR_SUCCESS,
                              L"\u4E2D\u6587"},
                    ValueCase{"EmptyValue", "InstallLanguage=\n", L"InstallLanguage", ERROR_SUCCESS, L""},
                    ValueCase{"CommentedOut", "#InstallLanguage=1033\n", L"InstallLanguage", ERROR_FILE_NOT_FOUND, L""},
                    ValueCase{"OtherName", "InstallLanguages=1033\n", L"InstallLanguage", ERROR_FILE_NOT_FOUND, L""},
                    ValueCase{"EmptyKey", "", L"InstallLanguage", ERROR_FILE_NOT_FOUND, L""},
                    ValueCase{"LinkToAFileElsewhere", "InstallLanguage=1033\n", L"InstallLanguage", ERROR_SUCCESS,
                              L"1033", Kept::LinkToFile},
                    ValueCase{"LongerThanAllowed", "InstallLanguage=1033\n" + std::string(64 * 1024, '#'),
                              L"InstallLanguage", ERROR_FILE_NOT_FOUND, L""},
                    ValueCase{"Fifo", "", L"InstallLanguage", ERROR_FILE_NOT_FOUND, L"", Kept::Fifo},
                    ValueCase{"LinkToDevZero", "", L"InstallLanguage", ERROR_FILE_NOT_FOUND, L"", Kept::LinkToDevZero}),
    [](const testing::TestParamInfo<ValueCase>& p) { return std::string(p.param.name); });

TEST(RegistryKey, IsAFileBelowTheFirstAbsoluteConfigFolder) {
    Machine machine;
    machine.Key(kKeyFile, "InstallLanguage=1033\n");
    machine.Key("registry/HKEY_LOCAL_MACHINE/SOFTWARE/Other", "InstallLanguage=2052\n");
    struct Case {
        const wchar_t* key;
        LONG result;
    } cases[] = {
        {kKey, ERROR_SUCCESS},
        {L"SOFTWARE\\Other", ERROR_SUCCESS},
        {L"SOFTWARE\\Brindlecor", ERROR_FILE_NOT_FOUND},  // a key with keys below it and no values
        {L"SOFTWARE\\Brindlecor\\Missing", ERROR_FILE_NOT_FOUND},
        {L"SOFTWARE\\Brindlecor\\..\\Other", ERROR_FILE_NOT_FOUND},
        {L"SOFTWARE\\\\Other", ERROR_FILE_NOT_FOUND},
        {L"SOFTWARE/Other", ERROR_FILE_NOT_FOUND},
        {L"", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadValue(c.key, L"InstallLanguage").result, c.result) << c.key;
}

TEST(RegistryKey, OpensForReadingOnlyAndOnlyBelowTheMachineRoot) {
    Machine machine;
    machine.Key(kKeyFile, "InstallLanguage=1033\n");
    const auto kCurrentUser = reinterpret_cast<HKEY>(uintptr_t{0x80000001u});
    const DWORD kSetValue = 0x0002;
    struct Case {
        HKEY root;
        REGSAM access;
        LONG result;
    } cases[] = {
        {HKEY_LOCAL_MACHINE, KEY_READ, ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, KEY_READ | KEY_WOW64_32KEY, ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, KEY_READ | kSetValue, ERROR_ACCESS_DENIED},
        {kCurrentUser, KEY_READ, ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        HKEY hKey = nullptr;
        EXPECT_EQ(RegOpenKeyExW(c.root, kKey, 0, c.access, &hKey), c.result) << c.access;
        EXPECT_EQ(hKey != nullptr, c.result == ERROR_SUCCESS);
        if (hKey) RegCloseKey(hKey);
    }
}

TEST(RegistryValue, TellsItsSizeAndRefusesAShortBuffer) {
    Machine machine;
    machine.Key(kKeyFile, "InstallLanguage=1033\n");
    HKEY hKey = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &hKey), ERROR_SUCCESS);
    const DWORD whole = 5 * sizeof(wchar_t);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(hKey, L"InstallLanguage", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, whole);
    wchar_t data[5] = {L'x', L'x', L'x', L'x', L'x'};
    size = whole - 1;
    EXPECT_EQ(RegQueryValueExW(hKey, L"InstallLanguage", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, whole);
    EXPECT_EQ(data[0], L'x') << "nothing is copied into a short buffer";
    EXPECT_EQ(RegQueryValueExW(hKey, L"InstallLanguage", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(data, L"1033");
    EXPECT_EQ(RegCloseKey(hKey), ERROR_SUCCESS);
}

}  // namespace
