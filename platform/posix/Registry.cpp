#include "platform/Registry.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/CodePage.h"
#include "platform/posix/SettingsFile.h"
#include "platform/posix/TextNames.h"

// An open key: the values its file held when it was opened.
struct HKEY__ {
    std::vector<std::pair<std::wstring, std::wstring>> values;
};

namespace {

// The first absolute folder of $XDG_CONFIG_DIRS, else /etc/xdg.
std::string MachineConfigFolder() {
    const char* list = std::getenv("XDG_CONFIG_DIRS");
    std::string_view rest = list ? list : "";
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (folder.starts_with('/')) return std::string(folder);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return "/etc/xdg";
}

// The file of a key of HKEY_LOCAL_MACHINE; empty when the name cannot be a
// key's (an empty part, "." or "..", or a '/' inside a part).
std::string KeyFile(LPCWSTR subKey) {
    const std::string name = subKey ? CW2A(subKey, CP_UTF8) : std::string();
    if (name.empty()) return {};
    std::string path = MachineConfigFolder() + "/registry/HKEY_LOCAL_MACHINE";
    std::string_view rest = name;
    for (;;) {
        const size_t backslash = rest.find('\\');
        const std::string_view part = rest.substr(0, backslash);
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string_view::npos) return {};
        path += '/';
        path += part;
        if (backslash == std::string_view::npos) return path;
        rest = rest.substr(backslash + 1);
    }
}

// One "name=value" line; false for empty lines, comments and other text.
bool ParseValue(std::string line, std::pair<std::wstring, std::wstring>& value) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t equals = line.find('=');
    if (line.starts_with('#') || equals == std::string::npos) return false;
    value.first = std::wstring(TrimWhiteSpace(CA2W(line.substr(0, equals), CP_UTF8)));
    value.second = CA2W(line.substr(equals + 1), CP_UTF8);
    return !value.first.empty();
}

}  // namespace

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR subKey, DWORD, REGSAM samDesired, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (hKey != HKEY_LOCAL_MACHINE) return ERROR_INVALID_HANDLE;
    if (samDesired & ~(KEY_READ | KEY_WOW64_32KEY | KEY_WOW64_64KEY)) return ERROR_ACCESS_DENIED;
    const std::string path = KeyFile(subKey);
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    const std::optional<std::string> content = ReadSettingsFile(path);
    if (!content) return ERROR_FILE_NOT_FOUND;
    std::istringstream file(*content);
    auto key = std::make_unique<HKEY__>();
    std::pair<std::wstring, std::wstring> value;
    for (std::string line; std::getline(file, line);)
        if (ParseValue(line, value)) key->values.push_back(std::move(value));
    *result = key.release();
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData) {
    if (!hKey || hKey == HKEY_LOCAL_MACHINE) return ERROR_INVALID_HANDLE;
    if (reserved || (data && !cbData)) return ERROR_INVALID_PARAMETER;
    const std::wstring_view name = valueName ? valueName : L"";
    const std::wstring* text = nullptr;
    for (const auto& [n, v] : hKey->values)
        if (SameName(n, name)) {
            text = &v;
            break;
        }
    if (!text) return ERROR_FILE_NOT_FOUND;
    const size_t size = (text->size() + 1) * sizeof(wchar_t);
    if (type) *type = REG_SZ;
    if (!cbData) return ERROR_SUCCESS;
    const DWORD room = *cbData;
    *cbData = static_cast<DWORD>(size);
    if (!data) return ERROR_SUCCESS;
    if (room < size) return ERROR_MORE_DATA;
    std::memcpy(data, text->c_str(), size);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    if (!hKey) return ERROR_INVALID_HANDLE;
    if (hKey != HKEY_LOCAL_MACHINE) delete hKey;
    return ERROR_SUCCESS;
}
