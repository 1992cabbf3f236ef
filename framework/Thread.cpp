#include "Thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {
std::atomic<int> g_running{0};
std::mutex g_endMutex;
std::condition_variable g_ended;

void ThreadEnded() {
    std::lock_guard lock(g_endMutex);
    --g_running;
    g_ended.notify_all();
}
std::atomic<DWORD> g_nextId{1};
}  // namespace

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
            ThreadEnded();
        }).detach();
    } catch (const std::system_error&) {
        ThreadEnded();
        return nullptr;
    }
    return handle;
}

BOOL AfxWaitForRunningThreads(DWORD dwMilliseconds) {
    std::unique_lock lock(g_endMutex);
    return g_ended.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), [] { return g_running.load() == 0; });
}
