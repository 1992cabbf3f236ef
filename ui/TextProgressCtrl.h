#pragma once
#include <atomic>

#include "framework/AfxString.h"
#include "framework/Controls.h"

class CDC;

// The download dialog's percentage bar: a progress control painted whole by
// this class, a filled and an empty part with one centred text, the
// percentage or a caption, whose colour turns at the edge of the fill.
class CTextProgressCtrl : public CProgressCtrl {
public:
    CTextProgressCtrl();

    // Moves the bar and repaints at once when the filled width changes;
    // answers the previous position, or -1 without a window.
    int SetPos(int nPos);

    std::atomic<int> m_nPos{0};
    // The owner sets the range directly; a retry writes it from the worker.
    std::atomic<int> m_nMax{100};
    std::atomic<int> m_nMin{0};
    CString m_strText;  // drawn instead of the percentage when not empty
    BOOL m_bShowText = TRUE;
    int m_nBarWidth = -1;  // filled width SetPos last asked to paint; -1 after a resize
    COLORREF m_crBar;
    COLORREF m_crBackground;
    COLORREF m_crTextOnBackground;
    COLORREF m_crTextOnBar;

protected:
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetPos(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetRange(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
