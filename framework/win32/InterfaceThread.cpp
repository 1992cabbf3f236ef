// The interface thread on this ground is the process's first thread. Calls
// queued for it are carried by a message-only window of its own, so that
// every message loop running there (a modal run's, a message box's) runs them.
#include "framework/InterfaceThread.h"

#include <atomic>
#include <deque>
#include <future>
#include <mutex>

#include "platform/WinTypes.h"

namespace {
// Static initialisation runs on the first thread.
const DWORD g_interfaceThreadId = ::GetCurrentThreadId();

const UINT kWake = WM_APP;
std::mutex g_queueMutex;
std::deque<std::function<void()>> g_queue;
std::atomic<HWND> g_courier{nullptr};
// Interface thread only: the holds alive, and the wake-ups they kept back.
int g_nHolds = 0;
int g_nHeldWakes = 0;

// One call per wake-up, taken from the queue only when it runs, so that a
// call that opens a modal run leaves the rest to that run's loop, in order.
void RunOne() {
    std::function<void()> call;
    {
        std::lock_guard lock(g_queueMutex);
        if (g_queue.empty()) return;
        call = std::move(g_queue.front());
        g_queue.pop_front();
    }
    call();
}

LRESULT CALLBACK CourierProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kWake) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    if (g_nHolds > 0)
        ++g_nHeldWakes;
    else
        RunOne();
    return 0;
}

void PostWake() {
    if (HWND courier = g_courier.load()) ::PostMessageW(courier, kWake, 0, 0);
}
}  // namespace

bool AfxIsInterfaceThread() {
    return ::GetCurrentThreadId() == g_interfaceThreadId;
}

void AfxPrepareInterfaceThread() {
    ASSERT_INTERFACE_THREAD();
    if (g_courier.load()) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CourierProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DeRavizizivu.Courier";
    ::RegisterClassW(&wc);
    g_courier =
        ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    // Calls queued before the courier existed wait for no further wake-up.
    std::lock_guard lock(g_queueMutex);
    for (size_t i = 0; i < g_queue.size(); ++i) PostWake();
}

void AfxPostToInterfaceThread(std::function<void()> call) {
    {
        std::lock_guard lock(g_queueMutex);
        g_queue.push_back(std::move(call));
    }
    PostWake();
}

void AfxCallOnInterfaceThread(const std::function<void()>& call) {
    if (AfxIsInterfaceThread()) return call();
    if (!g_courier.load()) return;
    std::promise<void> done;
    AfxPostToInterfaceThread([&] {
        call();
        done.set_value();
    });
    done.get_future().wait();
}

void AfxRunQueuedCalls() {
    ASSERT_INTERFACE_THREAD();
    // A worker's SendMessage to a window of this thread is answered here too:
    // peeking handles the messages sent from other threads.
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    for (;;) {
        {
            std::lock_guard lock(g_queueMutex);
            if (g_queue.empty()) return;
        }
        RunOne();
    }
}

CQueuedCallsHold::CQueuedCallsHold() {
    ASSERT_INTERFACE_THREAD();
    ++g_nHolds;
}

CQueuedCallsHold::~CQueuedCallsHold() {
    if (--g_nHolds > 0) return;
    for (; g_nHeldWakes > 0; --g_nHeldWakes) PostWake();
}
