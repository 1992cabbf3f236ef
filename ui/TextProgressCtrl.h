#pragma once
#include <atomic>

#include "framework/Controls.h"

// The download dialog's percentage bar.
class CTextProgressCtrl : public CProgressCtrl {
public:
    CTextProgressCtrl() = default;

    // Moves the bar; answers the previous position, or -1 without a window.
    int SetPos(int nPos);

    std::atomic<int> m_nPos{0};
    // The owner sets the range directly; a retry writes it from the worker.
    std::atomic<int> m_nMax{100};
    std::atomic<int> m_nMin{0};
};
