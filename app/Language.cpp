#include "Language.h"

#include <algorithm>
#include <cerrno>
#include <cwchar>

#include "framework/Resource.h"
#include "platform/Direct.h"
#include "platform/Library.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

int g_nCodePage = 0;

namespace {
const int kEnglish = 1252;
const int kChinese = 936;
const char kEnglishLibrary[] = "ViZadiveduri_ZuRod.dll";
// Below the application-data folder, each backslash the ground's separator.
const wchar_t kConfigFolder[] = L"\\brindlecor\\Tarnwick\\config\\";
const wchar_t kConfigFile[] = L"codepage.conf";
const wchar_t kInstallKey[] = L"SOFTWARE\\Brindlecor\\Tarnwick09PRO";
const wchar_t kInstallLanguage[] = L"InstallLanguage";
}  // namespace

void SelectInterfaceLanguage() {
    if (g_nCodePage == 0) {
        g_nCodePage = GetCodePageFromConfig();
        if (g_nCodePage == 0) g_nCodePage = GetCodePageFromRegistry();
        if (g_nCodePage == 0) {
            g_nCodePage = kChinese;
            return;
        }
    }
    if (g_nCodePage != kEnglish) return;
    // Kept loaded until the process ends: its resources stay in use to the last.
    if (HMODULE hResources = LoadLibraryA(kEnglishLibrary)) AfxSetResourceHandle(hResources);
}

int GetCodePageFromConfig() {
    CString strPath;
    if (!GetConfigFilePath(strPath)) return 0;
    if (!PathFileExistsW(strPath)) return 0;
    return static_cast<int>(GetPrivateProfileIntW(L"language", L"codepage", 0, strPath));
}

bool GetConfigFilePath(CString& strPath) {
    strPath.clear();
    wchar_t szAppData[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, szAppData)))
        return false;
    CString strRelative = kConfigFolder;
    std::replace(strRelative.begin(), strRelative.end(), L'\\', kPathSeparatorW);
    const CString strFolder = CString(szAppData) + strRelative;
    // One folder after the other, at each separator behind the leading one.
    for (size_t i = std::wcslen(szAppData) + 1; i < strFolder.size(); ++i) {
        if (strFolder[i] != kPathSeparatorW) continue;
        if (_wmkdir(strFolder.substr(0, i + 1).c_str()) != 0 && errno != EEXIST) return false;
    }
    strPath = strFolder + kConfigFile;
    return true;
}

int GetCodePageFromRegistry() {
    HKEY hKey = nullptr;
    // The dictionary application is a 32-bit program: on a 64-bit Windows its
    // key lies in the 32-bit view, whichever build reads it.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ | KEY_WOW64_32KEY, &hKey) != ERROR_SUCCESS)
        return 0;
    wchar_t szLanguage[MAX_PATH] = {};
    DWORD cbData = sizeof(szLanguage);
    const LONG result =
        RegQueryValueExW(hKey, kInstallLanguage, nullptr, nullptr, reinterpret_cast<BYTE*>(szLanguage), &cbData);
    // A value that fills the whole buffer leaves no room for its end: it
    // counts as absent, as a larger one does.
    if (result != ERROR_SUCCESS || cbData >= sizeof(szLanguage)) {
        RegCloseKey(hKey);
        return 0;
    }
    szLanguage[cbData / sizeof(wchar_t)] = L'\0';
    RegCloseKey(hKey);
    switch (std::wcstol(szLanguage, nullptr, 10)) {
        case 1033:
            return kEnglish;
        case 2052:
            return kChinese;
        default:
            return 0;
    }
}
