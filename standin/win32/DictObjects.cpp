#include "DictObjects.h"

#include <string>

std::atomic<long> g_nServerLocks{0};
std::atomic<bool> g_bServerUsed{false};

namespace {
std::string Utf8(BSTR text) {
    if (!text) return {};
    const int units = static_cast<int>(::SysStringLen(text));
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, units, out.data(), n, nullptr, nullptr);
    return out;
}
}  // namespace

template <class Interface>
HRESULT DictObject<Interface>::Take(const char* method, LONG usage, BSTR key, BSTR progId, LONG flags) {
    m_log.Record(method, static_cast<int>(usage), Utf8(key), Utf8(progId), static_cast<int>(flags));
    // The call stays open on the caller's side: this thread takes nothing
    // more but a request to end (a thread message), passed on to the server's loop.
    if (!m_bSilent) return S_OK;
    MSG msg;
    while (::GetMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0) > 0) {
    }
    ::PostQuitMessage(0);
    return S_OK;
}

template class DictObject<IDictAppControl>;
template class DictObject<IDictConfig>;
