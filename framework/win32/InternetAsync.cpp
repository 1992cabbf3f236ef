#include "framework/win32/InternetAsync.h"

#include <map>

namespace {

// The requests that may still hear from WinINet, by context value. Context 0
// would switch the callback off, so the values start at 1.
struct Registry {
    std::mutex mutex;
    std::map<DWORD_PTR, std::shared_ptr<InternetAsyncCall>> calls;
    DWORD_PTR next = 1;
};

Registry& TheRegistry() {
    static Registry* registry = new Registry;  // never destroyed: WinINet may call back at any time
    return *registry;
}

std::shared_ptr<InternetAsyncCall> Find(DWORD_PTR context) {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.calls.find(context);
    return it == r.calls.end() ? nullptr : it->second;
}

}  // namespace

std::shared_ptr<InternetAsyncCall> InternetAsyncCall::Register() {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    const DWORD_PTR context = r.next++;
    std::shared_ptr<InternetAsyncCall> call(new InternetAsyncCall(context));
    r.calls.emplace(context, call);
    return call;
}

void InternetAsyncCall::Release() {
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        if (m_outstanding) return;  // OnStatus unregisters it
    }
    Unregister();
}

void InternetAsyncCall::Unregister() const {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.calls.erase(m_context);
}

bool InternetAsyncCall::Listen(HINTERNET hSession) {
    return ::InternetSetStatusCallbackW(hSession, &StatusCallback) != INTERNET_INVALID_STATUS_CALLBACK;
}

void InternetAsyncCall::Begin() {
    std::lock_guard lock(m_mutex);
    m_outstanding = true;
    m_result.reset();
}

void InternetAsyncCall::EndedAtOnce() {
    std::lock_guard lock(m_mutex);
    m_outstanding = false;
}

std::optional<INTERNET_ASYNC_RESULT> InternetAsyncCall::WaitUntil(InternetDeadline deadline) {
    std::unique_lock lock(m_mutex);
    auto ended = [this] { return !m_outstanding; };
    if (deadline == InternetDeadline::max())
        m_changed.wait(lock, ended);
    else if (!m_changed.wait_until(lock, deadline, ended))
        return std::nullopt;
    return m_result;
}

HINTERNET InternetAsyncCall::NewestAnnounced() {
    std::lock_guard lock(m_mutex);
    return m_announced.empty() ? nullptr : m_announced.back();
}

void CALLBACK InternetAsyncCall::StatusCallback(HINTERNET hInternet, DWORD_PTR context, DWORD status, LPVOID info,
                                                DWORD length) {
    if (std::shared_ptr<InternetAsyncCall> call = Find(context)) call->OnStatus(hInternet, status, info, length);
}

void InternetAsyncCall::OnStatus(HINTERNET /*hInternet*/, DWORD status, LPVOID info, DWORD length) {
    std::unique_lock lock(m_mutex);
    switch (status) {
        case INTERNET_STATUS_HANDLE_CREATED:
            // The new handle leads the report, so that a slow call can be closed.
            if (info && length >= sizeof(HINTERNET)) m_announced.push_back(*static_cast<HINTERNET*>(info));
            return;
        case INTERNET_STATUS_REQUEST_COMPLETE:
            if (!m_outstanding || !info || length < sizeof(INTERNET_ASYNC_RESULT)) return;
            m_result = *static_cast<const INTERNET_ASYNC_RESULT*>(info);
            [[fallthrough]];
        case INTERNET_STATUS_HANDLE_CLOSING:
            // Either way no call of this request runs any more.
            m_outstanding = false;
            break;
        default:
            return;
    }
    m_changed.notify_all();
    const bool released = m_released;
    lock.unlock();
    if (released) Unregister();
}
