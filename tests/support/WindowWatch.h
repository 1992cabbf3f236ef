#pragma once
// Watches the windows of this process while it lives: counts the top-level
// windows shown, by caption, and the paints of one of them.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "tests/support/DialogDriver.h"

namespace testsupport {

class WindowWatch {
public:
    // `paintsOf`: the caption of the window whose paints are counted.
    explicit WindowWatch(const Text& paintsOf = L"");
    ~WindowWatch();
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    // Interface thread: the windows shown so far, by caption.
    std::map<std::wstring, int> count;
    int ShownTotal() const {
        int total = 0;
        for (const auto& [caption, n] : count) total += n;
        return total;
    }
    // Any thread: the paints of the window named at the start.
    int Paints() const { return m_nPaints; }
    // Runs on the interface thread after each window has shown.
    std::function<void(HWND)> onShown;

    // Called by the ground as a window shows or paints.
    void CountShown(const std::wstring& caption) { ++count[caption]; }
    void CountPaint(const std::wstring& caption) {
        if (!m_paintsOf.empty() && caption == m_paintsOf) ++m_nPaints;
    }
    struct Ground;

private:
    std::wstring m_paintsOf;
    std::atomic<int> m_nPaints{0};
    std::unique_ptr<Ground> m_pGround;
};

}  // namespace testsupport
