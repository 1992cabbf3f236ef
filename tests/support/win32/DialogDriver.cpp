// The driver on Windows: input is posted to the thread queue of the window
// that has the keyboard focus or lies under the mouse, so it passes through
// the modal loop that runs there (IsDialogMessage and all). A window that a
// modal one has disabled takes none, as the window system's input would not
// reach it.
#include "tests/support/DialogDriver.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <map>

namespace testsupport {

namespace {
using Clock = std::chrono::steady_clock;

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

BOOL CALLBACK AddIfShown(HWND w, LPARAM list) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

// The visible top-level windows of this process, in z-order.
std::vector<HWND> ShownWindows() {
    std::vector<HWND> shown;
    ::EnumWindows(&AddIfShown, reinterpret_cast<LPARAM>(&shown));
    return shown;
}

// The waits armed on this thread, by their timer.
struct Watch {
    std::function<bool()> condition;
    std::function<void()> action;
    Clock::time_point deadline;
    std::string what;
};
std::map<UINT_PTR, Watch>& Watches() {
    static std::map<UINT_PTR, Watch> watches;
    return watches;
}

void CALLBACK WatchTimer(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Watches().find(id);
    if (it == Watches().end()) return;
    bool met = it->second.condition();
    if (!met && Clock::now() <= it->second.deadline) return;
    ::KillTimer(nullptr, id);
    Watch watch = std::move(it->second);
    Watches().erase(it);
    if (met)
        watch.action();
    else
        ADD_FAILURE() << "never met: " << watch.what;
}

// Input reaches a window only while it and its top-level window take it.
bool TakesInput(HWND window) {
    HWND root = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
    return root && ::IsWindowEnabled(root) && ::IsWindowEnabled(window);
}

// Input for a window of this thread is taken at once, as its loop takes it:
// the next key finds the focus where this one left it, and a click has
// landed when ClickButton returns.
void TakeInput(HWND window, UINT first, UINT last) {
    if (::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) return;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
        HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && ::IsDialogMessageW(root, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PostKey(HWND target, UINT key, bool extended) {
    const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | static_cast<LPARAM>(scan << 16) | (extended ? 1 << 24 : 0);
    ::PostMessageW(target, WM_KEYDOWN, key, down);
    ::PostMessageW(target, WM_KEYUP, key, down | static_cast<LPARAM>(0xC0000000u));
}
}  // namespace

HWND FindShown(const Text& caption) {
    for (HWND w : ShownWindows())
        if (TextOf(w) == caption.Wide()) return w;
    return nullptr;
}

std::vector<std::wstring> ShownCaptions() {
    std::vector<std::wstring> captions;
    for (HWND w : ShownWindows()) captions.push_back(TextOf(w));
    return captions;
}

void WhenTrue(std::function<bool()> condition, std::function<void()> action, int timeoutMs, std::string what) {
    UINT_PTR id = ::SetTimer(nullptr, 0, 5, &WatchTimer);
    if (!id) return ADD_FAILURE() << "no timer for " << what;
    Watches()[id] = {std::move(condition), std::move(action), Clock::now() + std::chrono::milliseconds(timeoutMs),
                     std::move(what)};
}

void Pump(int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (ms > 0) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (Clock::now() < end);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done() && Clock::now() < end) Pump(5);
    return done();
}

struct Ticker::Ground {
    UINT_PTR id = 0;
    std::function<void()> action;
    bool repeat = true;
};

namespace {
std::map<UINT_PTR, Ticker::Ground*>& Tickers() {
    static std::map<UINT_PTR, Ticker::Ground*> tickers;
    return tickers;
}

void CALLBACK TickerTimer(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Tickers().find(id);
    if (it == Tickers().end()) return;
    Ticker::Ground* ground = it->second;
    if (!ground->repeat) {
        ::KillTimer(nullptr, id);
        Tickers().erase(it);
        ground->id = 0;
    }
    ground->action();
}
}  // namespace

Ticker::Ticker(int intervalMs, std::function<void()> action, bool repeat) : m_pGround(std::make_unique<Ground>()) {
    m_pGround->action = std::move(action);
    m_pGround->repeat = repeat;
    m_pGround->id = ::SetTimer(nullptr, 0, static_cast<UINT>(intervalMs), &TickerTimer);
    if (m_pGround->id) Tickers()[m_pGround->id] = m_pGround.get();
}

Ticker::~Ticker() {
    if (!m_pGround->id) return;
    ::KillTimer(nullptr, m_pGround->id);
    Tickers().erase(m_pGround->id);
}

void PressKey(HWND window, int key) {
    if (!window) return ADD_FAILURE() << "no window to press a key in";
    HWND root = ::GetAncestor(window, GA_ROOT);
    if (!TakesInput(root)) return;
    // The keys go to the focus the window's thread keeps, when it lies in the window.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(root, nullptr), &info);
    HWND target = info.hwndFocus && ::GetAncestor(info.hwndFocus, GA_ROOT) == root ? info.hwndFocus : root;
    PostKey(target, key == kKeypadEnter ? VK_RETURN : static_cast<UINT>(key), key == kKeypadEnter);
    TakeInput(root, WM_KEYFIRST, WM_KEYLAST);
}

void ClickButton(HWND window, const Text& text) {
    HWND button = nullptr;
    for (HWND child = window ? ::GetWindow(window, GW_CHILD) : nullptr; child && !button;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t kind[16] = {};
        ::GetClassNameW(child, kind, 16);
        if (::lstrcmpiW(kind, L"Button") == 0 && TextOf(child) == text.Wide()) button = child;
    }
    if (!button) return ADD_FAILURE() << "no button " << text.Utf8();
    if (!TakesInput(button)) return;
    RECT r;
    ::GetClientRect(button, &r);
    const LPARAM centre = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
    ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    ::PostMessageW(button, WM_LBUTTONUP, 0, centre);
    TakeInput(button, WM_MOUSEFIRST, WM_MOUSELAST);
}

void CloseBox(HWND window) {
    if (!window) return ADD_FAILURE() << "no window to close";
    if (TakesInput(window)) ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

HWND FindControl(HWND window, int controlId) {
    return window ? ::GetDlgItem(window, controlId) : nullptr;
}

std::wstring ControlText(HWND window, int controlId) {
    HWND control = FindControl(window, controlId);
    return control ? TextOf(control) : std::wstring();
}

}  // namespace testsupport
