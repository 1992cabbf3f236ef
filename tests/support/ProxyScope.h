#pragma once
// Points the system's proxy settings at one proxy for a scope, with the
// addresses of a bypass list reached directly, and puts the old settings back
// after. On POSIX they are the proxy variables of the environment; on Windows
// the user's Internet settings, which WinINet reads when a session opens.
#include <string>

#ifdef _WIN32
#include <optional>
#include <utility>
#include <vector>

#include "platform/WinTypes.h"

#include <wininet.h>
#else
#include "tests/support/EnvScope.h"
#endif

namespace testsupport {

#ifdef _WIN32
class ProxyScope {
public:
    ProxyScope() {
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                              nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_key, nullptr) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~ProxyScope() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) Put(it->first, it->second);
        if (m_key) ::RegCloseKey(m_key);
        Announce();
    }
    ProxyScope(const ProxyScope&) = delete;
    ProxyScope& operator=(const ProxyScope&) = delete;

    // proxyUrl is "http://host:port"; the settings name the host and port.
    void Use(const std::string& proxyUrl, const std::string& bypass = "") {
        const std::string server =
            proxyUrl.substr(proxyUrl.find("://") == std::string::npos ? 0 : proxyUrl.find("://") + 3);
        const DWORD enable = 1;
        Set(L"ProxyEnable", Value{REG_DWORD, Bytes(&enable, sizeof enable)});
        Set(L"ProxyServer", Text(server));
        Set(L"ProxyOverride", bypass.empty() ? std::nullopt : Text(bypass));
        Announce();
    }

private:
    using Value = std::pair<DWORD, std::vector<BYTE>>;  // type and data

    static std::vector<BYTE> Bytes(const void* data, size_t size) {
        const BYTE* bytes = static_cast<const BYTE*>(data);
        return std::vector<BYTE>(bytes, bytes + size);
    }
    static std::optional<Value> Text(const std::string& ascii) {
        const std::wstring wide(ascii.begin(), ascii.end());
        return Value{REG_SZ, Bytes(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t))};
    }

    // Saves the first value seen under each name, to put it back.
    void Set(const std::wstring& name, const std::optional<Value>& value) {
        bool known = false;
        for (const auto& saved : m_saved) known = known || saved.first == name;
        if (!known) m_saved.emplace_back(name, Get(name));
        Put(name, value);
    }
    std::optional<Value> Get(const std::wstring& name) const {
        DWORD type = 0, size = 0;
        if (!m_key || ::RegQueryValueExW(m_key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::vector<BYTE> data(size);
        if (::RegQueryValueExW(m_key, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            return std::nullopt;
        return Value{type, data};
    }
    void Put(const std::wstring& name, const std::optional<Value>& value) const {
        if (!m_key) return;
        if (value)
            ::RegSetValueExW(m_key, name.c_str(), 0, value->first, value->second.data(),
                             static_cast<DWORD>(value->second.size()));
        else
            ::RegDeleteValueW(m_key, name.c_str());
    }
    // Sessions opened from now on read the settings anew.
    static void Announce() {
        ::InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
        ::InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
    }

    HKEY m_key = nullptr;
    std::vector<std::pair<std::wstring, std::optional<Value>>> m_saved;
};
#else
class ProxyScope {
public:
    void Use(const std::string& proxyUrl, const std::string& bypass = "") {
        for (const char* name :
             {"no_proxy", "NO_PROXY", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            m_env.Unset(name);
        m_env.Set("http_proxy", proxyUrl);
        if (!bypass.empty()) m_env.Set("no_proxy", bypass);
    }

private:
    EnvScope m_env;
};
#endif

}  // namespace testsupport
