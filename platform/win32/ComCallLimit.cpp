// A bound on the waits of outgoing COM calls: while a call waits, COM asks the
// thread's message filter about each message that arrives; past the limit
// the filter gives the call up. A timer of the thread's own keeps messages
// arriving while the server says nothing.
#include "platform/Com.h"

namespace {

class CallLimitFilter : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = riid == IID_IUnknown || riid == IID_IMessageFilter ? static_cast<IMessageFilter*>(this) : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    // One filter for the process, never freed.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    // A server too busy to take the call: tried again until the limit.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD dwTickCount, DWORD) override {
        return dwTickCount < static_cast<DWORD>(kComCallTimeoutMs) ? 100 : static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD dwTickCount, DWORD) override {
        return dwTickCount < static_cast<DWORD>(kComCallTimeoutMs) ? PENDINGMSG_WAITDEFPROCESS
                                                                   : PENDINGMSG_CANCELCALL;
    }
};

CallLimitFilter g_filter;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {}

}  // namespace

CComCallLimit::CComCallLimit() {
    ::CoRegisterMessageFilter(&g_filter, &m_pPrevious);
    m_nTimer = ::SetTimer(nullptr, 0, 250, &Tick);
}

CComCallLimit::~CComCallLimit() {
    if (m_nTimer) ::KillTimer(nullptr, m_nTimer);
    IMessageFilter* ours = nullptr;
    ::CoRegisterMessageFilter(m_pPrevious, &ours);
    if (m_pPrevious) m_pPrevious->Release();
}
