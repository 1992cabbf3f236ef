#include "platform/Shell.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/CodePage.h"

namespace {

// The roaming application-data folder as the environment names it; empty
// when it names none. Relative paths do not count, as the XDG rules say.
std::string ConfigHome() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return config;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.config";
    return {};
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes the folder and any missing parent, private to the user as the XDG
// rules ask of this folder.
bool MakeFolders(const std::string& path) {
    for (size_t end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '/') continue;
        if (mkdir(path.substr(0, end).c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return IsFolder(path);
}

}  // namespace

HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR path) {
    if (!path) return E_INVALIDARG;
    path[0] = L'\0';
    if ((csidl & ~CSIDL_FLAG_CREATE) != CSIDL_APPDATA) return E_INVALIDARG;
    const std::string folder = WithoutTrailingSlashes(ConfigHome());
    if (folder.empty()) return E_FAIL;
    const std::wstring wide = CA2W(folder);
    if (wide.empty() || wide.size() >= MAX_PATH || CW2A(wide) != folder) return E_FAIL;
    const bool present = (csidl & CSIDL_FLAG_CREATE) ? MakeFolders(folder) : IsFolder(folder);
    if (!present) return E_FAIL;
    std::wmemcpy(path, wide.c_str(), wide.size() + 1);
    return S_OK;
}

BOOL PathFileExistsW(LPCWSTR path) {
    if (!path || !*path) return FALSE;
    struct stat st {};
    return stat(CW2A(path).c_str(), &st) == 0 ? TRUE : FALSE;
}
