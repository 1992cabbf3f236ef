// The roaming application-data folder, folder creation and existence.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/CodePage.h"
#include "platform/Direct.h"
#include "platform/Shell.h"
#include "tests/support/EnvScope.h"
#include "tests/support/TempDir.h"

using testsupport::EnvScope;
using testsupport::TempDir;

namespace {

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// "+" stands for the test's own folder, which holds a file "file".
struct AppDataCase {
    const char* name;
    std::optional<std::string> configHome;
    std::optional<std::string> home;
    std::optional<std::string> expected;  // none: the call fails and makes nothing
};

void PrintTo(const AppDataCase& c, std::ostream* os) {
    *os << c.name;
}

class AppData : public testing::TestWithParam<AppDataCase> {};

TEST_P(AppData, IsTheConfigFolderOfTheEnvironmentMadeWhenMissing) {
    TempDir dir;
    std::ofstream(dir / "file") << "x";
    auto inDir = [&](const std::optional<std::string>& v) -> std::optional<std::string> {
        if (!v || !v->starts_with('+')) return v;
        return dir.Path() + v->substr(1);
    };
    EnvScope config("XDG_CONFIG_HOME", inDir(GetParam().configHome));
    EnvScope home("HOME", inDir(GetParam().home));
    wchar_t path[MAX_PATH + 1] = L"junk";
    const HRESULT hr = SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    if (const auto expected = inDir(GetParam().expected)) {
        ASSERT_EQ(hr, S_OK);
        EXPECT_EQ(CW2A(path), *expected);
        EXPECT_TRUE(IsFolder(*expected));
    } else {
        EXPECT_TRUE(FAILED(hr));
        EXPECT_STREQ(path, L"");
        if (auto named = inDir(GetParam().configHome)) {
            EXPECT_FALSE(IsFolder(*named)) << "nothing is made";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Environment, AppData,
    testing::Values(AppDataCase{"ConfigHome", "+", "+/home", "+"},
                    AppDataCase{"ConfigHomeWithTrailingSlashes", "+/config//", "+/home", "+/config"},
                    AppDataCase{"MissingConfigHomeIsMade", "+/a/b/config", "+/home", "+/a/b/config"},
                    AppDataCase{"HomeWithoutConfigHome", std::nullopt, "+/home", "+/home/.config"},
                    AppDataCase{"EmptyConfigHomeCountsAsUnset", "", "+/home", "+/home/.config"},
                    AppDataCase{"RelativeConfigHomeCountsAsUnset", "config", "+/home", "+/home/.config"},
                    AppDataCase{"NeitherIsKnown", std::nullopt, std::nullopt, std::nullopt},
                    AppDataCase{"FileInTheWay", "+/file/config", "+/home", std::nullopt},
                    AppDataCase{"TooLong", "+/" + std::string(MAX_PATH, 'x'), "+/home", std::nullopt},
                    AppDataCase{"NameInAnotherEncodingKeepsItsBytes", "+/caf\xe9", "+/home", "+/caf\xe9"}),
    [](const testing::TestParamInfo<AppDataCase>& p) { return std::string(p.param.name); });

TEST(AppData, IsTheOnlyFolderServed) {
    wchar_t path[MAX_PATH + 1] = {};
    EXPECT_EQ(SHGetFolderPathW(nullptr, 0x0005 /* documents */, nullptr, 0, path), E_INVALIDARG);
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, nullptr), E_INVALIDARG);
}

TEST(AppData, WithoutTheCreateFlagAMissingFolderFails) {
    TempDir dir;
    EnvScope config("XDG_CONFIG_HOME", dir / "missing");
    wchar_t path[MAX_PATH + 1] = {};
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path), E_FAIL);
    EXPECT_FALSE(IsFolder(dir / "missing"));
}

TEST(MakeFolder, AlreadyExistsIsReportedAsSuch) {
    TempDir dir;
    std::ofstream(dir / "file") << "x";
    struct Case {
        std::string path;
        int result;
        int error;
    } cases[] = {
        {dir / "new", 0, 0},                  // made
        {dir / "new/", -1, EEXIST},           // made just before
        {dir / "file", -1, EEXIST},           // a file is in the way
        {dir / "missing/child", -1, ENOENT},  // no parent
        {dir / "file/child", -1, ENOTDIR},    // a file for a parent
    };
    for (const Case& c : cases) {
        errno = 0;
        EXPECT_EQ(_wmkdir(CA2W(c.path).c_str()), c.result) << c.path;
        if (c.result != 0) {
            EXPECT_EQ(errno, c.error) << c.path;
        }
    }
    EXPECT_TRUE(IsFolder(dir / "new"));
    errno = 0;
    EXPECT_EQ(_wmkdir(L""), -1);
    EXPECT_NE(errno, 0);
}

TEST(PathExists, ForFilesAndFoldersOnly) {
    TempDir dir;
    std::ofstream(dir / "file") << "x";
    EXPECT_TRUE(PathFileExistsW(CA2W(dir / "file").c_str()));
    EXPECT_TRUE(PathFileExistsW(CA2W(dir.Path()).c_str()));
    EXPECT_FALSE(PathFileExistsW(CA2W(dir / "missing").c_str()));
    EXPECT_FALSE(PathFileExistsW(L""));
}

}  // namespace
