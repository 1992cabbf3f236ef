#include "Thread.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cxxabi.h>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "InterfaceThread.h"

namespace {
std::atomic<int> g_running{0};
std::mutex g_endMutex;
std::condition_variable g_ended;

void ThreadEnded() {
    std::lock_guard lock(g_endMutex);
    --g_running;
    g_ended.notify_all();
}

// Counts the thread out however it ends, also by the unwinding of its
// cancellation, so that no wait for the running threads waits for it.
struct RunningCount {
    RunningCount() = default;
    RunningCount(const RunningCount&) = delete;
    RunningCount& operator=(const RunningCount&) = delete;
    ~RunningCount() { ThreadEnded(); }
};

// An exception that escaped the thread function would end the whole process;
// the thread ends quietly instead, as one that returned, and what it owned is
// released on the way out. A cancellation's unwinding is no exception of the
// worker's and goes on.
void RunThreadProc(AFX_THREADPROC pfnThreadProc, LPVOID pParam) {
    try {
        pfnThreadProc(pParam);
    } catch (abi::__forced_unwind&) {
        throw;
    } catch (...) {
    }
}
}  // namespace

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int, UINT, DWORD, LPSECURITY_ATTRIBUTES) {
    if (!pfnThreadProc) return nullptr;
    auto thread = std::make_unique<CWinThread>();
    CWinThread* handle = thread.get();
    ++g_running;  // counted before it starts, so no caller sees it missing
    try {
        std::thread([pfnThreadProc, pParam, owned = std::move(thread)]() mutable {
            RunningCount counted;
            std::unique_ptr<CWinThread> object = std::move(owned);  // gone before the thread is counted out
            RunThreadProc(pfnThreadProc, pParam);
        }).detach();
    } catch (const std::system_error&) {
        ThreadEnded();
        return nullptr;
    }
    return handle;
}

BOOL AfxWaitForRunningThreads(DWORD dwMilliseconds) {
    // A worker may be waiting for a call of the interface thread on its way
    // out; the interface thread keeps running those while it waits.
    const bool interfaceThread = AfxIsInterfaceThread();
    const auto step = std::chrono::milliseconds(interfaceThread ? 2 : dwMilliseconds);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
    std::unique_lock lock(g_endMutex);
    while (g_running.load() != 0) {
        if (interfaceThread) {
            lock.unlock();
            AfxRunQueuedCalls();
            lock.lock();
        }
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return FALSE;
        g_ended.wait_until(lock, std::min(deadline, now + step));
    }
    return TRUE;
}
