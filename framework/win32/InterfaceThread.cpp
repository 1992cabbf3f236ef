// The interface thread on this ground is the process's first thread. A
// message-only window of its own carries each wake-up, so that every message
// loop running there (a modal run's, a message box's) runs the queued calls.
#include "framework/InterfaceThread.h"

#include <atomic>

#include "framework/private/InterfaceQueue.h"
#include "platform/WinTypes.h"

namespace {
// Static initialisation runs on the first thread.
const DWORD g_interfaceThreadId = ::GetCurrentThreadId();

const UINT kWake = WM_APP;
std::atomic<HWND> g_courier{nullptr};

LRESULT CALLBACK CourierProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kWake) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    AfxInterfaceThreadWoken();
    return 0;
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
}

bool AfxInterfaceThreadReachable() {
    return g_courier.load() != nullptr;
}

void AfxWakeInterfaceThread() {
    ::PostMessageW(g_courier.load(), kWake, 0, 0);
}

void AfxAnswerPendingCalls() {
    // A worker's SendMessage to a window of this thread is answered too:
    // peeking handles the messages sent from other threads.
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}
