#include "Thread.h"

#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

namespace {
std::atomic<int> g_running{0};
std::atomic<DWORD> g_nextId{1};
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int, UINT, DWORD, LPSECURITY_ATTRIBUTES) {
    if (!pfnThreadProc) return nullptr;
    auto thread = std::make_unique<CWinThread>();
    thread->m_nThreadID = g_nextId++;
    CWinThread* handle = thread.get();
    ++g_running;  // counted before it starts, so no caller sees it missing
    try {
        std::thread([pfnThreadProc, pParam, owned = std::move(thread)]() mutable {
            pfnThreadProc(pParam);
            owned.reset();
            --g_running;
        }).detach();
    } catch (const std::system_error&) {
        --g_running;
        return nullptr;
    }
    return handle;
}

int AfxGetRunningThreadCount() { return g_running.load(); }
