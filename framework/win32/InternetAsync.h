#pragma once
// WinINet in asynchronous mode, as the internet session uses it: the calls
// return at once and report their end through the session's status callback,
// so the caller can wait with a deadline of its own and give a call up by
// closing its handle.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/WinTypes.h"  // windows.h, which wininet.h needs first

#include <wininet.h>

struct InternetHandleCloser {
    void operator()(HINTERNET h) const { ::InternetCloseHandle(h); }
};
// HINTERNET is a void*, so the handle is the pointer itself.
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

using InternetClock = std::chrono::steady_clock;
// time_point::max() stands for no deadline.
using InternetDeadline = InternetClock::time_point;

// The callback's view of one request: its context value for WinINet, the
// handles WinINet announces for it, the end of its outstanding call, and the
// memory an asynchronous read writes into. WinINet may still call back or
// write after the request gave up on a call, so the object is reached only
// through a registry (a stray report finds nothing) and stays registered, and
// alive, until no call of its own can still be running.
class InternetAsyncCall {
public:
    static constexpr DWORD kBufferSize = 16 * 1024;

    static std::shared_ptr<InternetAsyncCall> Register();
    // The request is done with the call: it leaves the registry now, or, when
    // a call was given up while still running, once WinINet reports its end
    // or its handle's closing.
    void Release();

    // Installs the callback that reports to the registered calls.
    static bool Listen(HINTERNET hSession);

    DWORD_PTR Context() const { return m_context; }
    char* Buffer() { return m_buffer.data(); }
    DWORD* Count() { return &m_count; }

    // Before each call that may finish later.
    void Begin();
    // The call finished at once (it returned without ERROR_IO_PENDING).
    void EndedAtOnce();
    // Waits for the outstanding call's end; nothing when the deadline passed
    // first (the call is then still outstanding).
    std::optional<INTERNET_ASYNC_RESULT> WaitUntil(InternetDeadline deadline);
    // The newest handle WinINet announced for this request (null if none):
    // closing it ends the call that made it, and its children with it.
    HINTERNET NewestAnnounced();

private:
    explicit InternetAsyncCall(DWORD_PTR context) : m_context(context) {}
    static void CALLBACK StatusCallback(HINTERNET hInternet, DWORD_PTR context, DWORD status, LPVOID info,
                                        DWORD length);
    void OnStatus(HINTERNET hInternet, DWORD status, LPVOID info, DWORD length);
    void Unregister() const;

    const DWORD_PTR m_context;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_outstanding = false;
    std::optional<INTERNET_ASYNC_RESULT> m_result;
    std::vector<HINTERNET> m_announced;
    bool m_released = false;  // Release() was called
    std::vector<char> m_buffer = std::vector<char>(kBufferSize);
    DWORD m_count = 0;
};
