// Watching windows on Windows: hooks on the interface thread see each window
// shown there and each paint, whether sent or taken from the queue.
#include "tests/support/WindowWatch.h"

#include <windows.h>

namespace testsupport {

namespace {
WindowWatch* g_pWatch = nullptr;  // the watch of the interface thread, while it lives

std::wstring CaptionOf(HWND window) {
    wchar_t caption[256] = {};
    ::GetWindowTextW(window, caption, 256);
    return caption;
}

bool IsTopLevel(HWND window) {
    return window && ::GetAncestor(window, GA_ROOT) == window;
}

void Seen(HWND window, UINT message, WPARAM wParam) {
    if (!g_pWatch || !IsTopLevel(window)) return;
    if (message == WM_PAINT) g_pWatch->CountPaint(CaptionOf(window));
    if (message != WM_SHOWWINDOW || !wParam) return;
    g_pWatch->CountShown(CaptionOf(window));
    // Once the window is shown and its run goes on.
    if (g_pWatch->onShown) ::PostMessageW(window, WM_NULL, 0x5754, 0);
}

LRESULT CALLBACK Sent(int code, WPARAM wParam, LPARAM lParam) {
    auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION) Seen(m->hwnd, m->message, m->wParam);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK Taken(int code, WPARAM wParam, LPARAM lParam) {
    auto* m = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        if (m->message == WM_NULL && m->wParam == 0x5754 && g_pWatch && g_pWatch->onShown)
            g_pWatch->onShown(m->hwnd);
        else
            Seen(m->hwnd, m->message, m->wParam);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

struct WindowWatch::Ground {
    HHOOK sent = ::SetWindowsHookExW(WH_CALLWNDPROC, &Sent, nullptr, ::GetCurrentThreadId());
    HHOOK taken = ::SetWindowsHookExW(WH_GETMESSAGE, &Taken, nullptr, ::GetCurrentThreadId());
    ~Ground() {
        ::UnhookWindowsHookEx(sent);
        ::UnhookWindowsHookEx(taken);
    }
};

WindowWatch::WindowWatch(const Text& paintsOf) : m_paintsOf(paintsOf.Wide()), m_pGround(std::make_unique<Ground>()) {
    g_pWatch = this;
}

WindowWatch::~WindowWatch() {
    g_pWatch = nullptr;
}

}  // namespace testsupport
