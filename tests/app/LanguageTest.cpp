// The interface language: where the choice comes from, which code page it
// makes, and which resources are then in force. An incomplete English
// resource library lies beside this test program (the download dialog alone).
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "app/Language.h"
#include "framework/Resource.h"
#include "platform/CodePage.h"
#include "res/resource.h"
#include "tests/support/TarnwickConfig.h"

using testsupport::TarnwickConfig;

namespace {

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// Each test starts undecided, with the built-in resources.
class Language : public testing::Test {
protected:
    void SetUp() override { g_nCodePage = 0; }
    void TearDown() override {
        g_nCodePage = 0;
        AfxSetResourceHandle(nullptr);
    }
    TarnwickConfig tarnwick;
};

bool EnglishInForce() {
    return AfxGetResourceHandle() != AfxGetInstanceHandle();
}

TEST_F(Language, FirstStartMakesTheThreeFoldersOneAfterTheOtherAndNoFile) {
    ASSERT_FALSE(Exists(tarnwick.AppData()));
    CString path;
    ASSERT_TRUE(GetConfigFilePath(path));
    EXPECT_EQ(CW2A(path), tarnwick.ConfigFile());
    for (const char* folder : {"/brindlecor", "/brindlecor/Tarnwick", "/brindlecor/Tarnwick/config"})
        EXPECT_TRUE(std::filesystem::is_directory(tarnwick.AppData() + folder)) << folder;
    EXPECT_FALSE(Exists(tarnwick.ConfigFile()));
    EXPECT_EQ(GetCodePageFromConfig(), 0);
    EXPECT_FALSE(Exists(tarnwick.ConfigFile())) << "the file is read, never written";
}

TEST_F(Language, AFolderInTheWayEndsThePathUnlessItIsTheLast) {
    // A file where a folder belongs: only "already exists" counts as made, so
    // only the last folder's place may hold one (and then no file is found).
    struct Case {
        const char* blocked;
        bool made;
    } cases[] = {{"/brindlecor", false}, {"/brindlecor/Tarnwick", false}, {"/brindlecor/Tarnwick/config", true}};
    for (const Case& c : cases) {
        TarnwickConfig own;
        TarnwickConfig::Write(own.AppData() + c.blocked, "[language]\ncodepage=1252\n");
        CString path = L"junk";
        EXPECT_EQ(GetConfigFilePath(path), c.made) << c.blocked;
        EXPECT_EQ(path.empty(), !c.made) << c.blocked;
        EXPECT_EQ(GetCodePageFromConfig(), 0) << c.blocked;
    }
}

TEST_F(Language, NoApplicationDataFolderGivesNoPath) {
    TarnwickConfig::Write(tarnwick.AppData(), "not a folder");
    CString path = L"junk";
    EXPECT_FALSE(GetConfigFilePath(path));
    EXPECT_TRUE(path.empty());
}

// "1033" behind leading spaces, `length` units in all.
std::string PaddedEnglish(size_t length) {
    return "InstallLanguage=" + std::string(length - 4, ' ') + "1033\n";
}

TEST_F(Language, CodePageFromTheInstallationsLanguage) {
    struct Case {
        std::optional<std::string> key;
        int codePage;
    } cases[] = {
        {std::nullopt, 0},
        {"", 0},
        {"InstallLanguage=1033\n", 1252},
        {"InstallLanguage=2052\n", 936},
        {"InstallLanguage=1041\n", 0},
        {"InstallLanguage=0\n", 0},
        {"InstallLanguage=English\n", 0},
        {"installlanguage= +1033 \n", 1252},
        {"InstallLanguage=1033 (English)\n", 1252},
        {"Language=1033\n", 0},
        // The buffer holds 260 units, the text's end included.
        {PaddedEnglish(258), 1252},
        {PaddedEnglish(259), 0},  // fills it: no room for the end
        {PaddedEnglish(260), 0},  // larger than it
    };
    for (const Case& c : cases) {
        TarnwickConfig own;
        if (c.key) own.WriteRegistry(*c.key);
        EXPECT_EQ(GetCodePageFromRegistry(), c.codePage) << c.key.value_or("(no key)").substr(0, 40);
    }
}

TEST_F(Language, ChoiceAndResourcesInForce) {
    struct Case {
        const char* name;
        int preset;  // g_nCodePage before the choice
        std::optional<std::string> file;
        std::optional<std::string> key;
        int codePage;
        bool english;
        bool foldersMade;
    } cases[] = {
        {"file says English", 0, "[language]\ncodepage=1252\n", "InstallLanguage=2052\n", 1252, true, true},
        {"file says Chinese", 0, "[language]\ncodepage=936\n", "InstallLanguage=1033\n", 936, false, true},
        {"file says Traditional", 0, "[language]\ncodepage=950\n", "InstallLanguage=1033\n", 950, false, true},
        {"file says 0", 0, "[language]\ncodepage=0\n", "InstallLanguage=1033\n", 1252, true, true},
        {"file without the key", 0, "[language]\n", "InstallLanguage=1033\n", 1252, true, true},
        {"no file, Chinese", 0, std::nullopt, "InstallLanguage=2052\n", 936, false, true},
        {"no file, Japanese", 0, std::nullopt, "InstallLanguage=1041\n", 936, false, true},
        {"nothing at all", 0, std::nullopt, std::nullopt, 936, false, true},
        // Once chosen, the choice holds: neither source is asked again.
        {"already English", 1252, std::nullopt, "InstallLanguage=2052\n", 1252, true, false},
        {"already Chinese", 936, std::nullopt, "InstallLanguage=1033\n", 936, false, false},
    };
    for (const Case& c : cases) {
        TarnwickConfig own;
        if (c.file) own.WriteConfig(*c.file);
        if (c.key) own.WriteRegistry(*c.key);
        g_nCodePage = c.preset;
        AfxSetResourceHandle(nullptr);
        SelectInterfaceLanguage();
        EXPECT_EQ(g_nCodePage, c.codePage) << c.name;
        EXPECT_EQ(EnglishInForce(), c.english) << c.name;
        EXPECT_EQ(AfxFindDialogTemplate(IDD_ASSURE_DIALOG) == nullptr, c.english) << c.name;
        if (!c.file) {
            EXPECT_EQ(Exists(own.ConfigFolder()), c.foldersMade) << c.name;
        }
    }
}

TEST_F(Language, TheEnglishLibraryIsTheOnlySourceOfResources) {
    tarnwick.WriteConfig("[language]\ncodepage=1252\n");
    SelectInterfaceLanguage();
    ASSERT_TRUE(EnglishInForce());
    const DLGTEMPLATE* download = AfxFindDialogTemplate(IDD_DERAVIZIZIVU_DIALOG);
    ASSERT_NE(download, nullptr);
    EXPECT_STREQ(download->caption, "Incomplete Download") << "the library's own template";
    for (UINT id : {IDD_ERROR_DIALOG, IDD_ASSURE_DIALOG, IDD_INSTALL_DIALOG})
        EXPECT_EQ(AfxFindDialogTemplate(id), nullptr) << id;
    CString text = L"junk";
    EXPECT_FALSE(text.LoadString(IDS_DICT_CHECK_FAILED));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(text.LoadString(IDS_DOWNLOAD_DONE));
    EXPECT_EQ(AfxLoadIcon(IDR_MAINFRAME), nullptr);
}

}  // namespace
