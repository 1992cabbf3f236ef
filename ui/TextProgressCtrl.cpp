#include "TextProgressCtrl.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cwchar>

#include "framework/Accessible.h"
#include "framework/Gdi.h"
#include "ui/MemDC.h"

namespace {

// Truncates toward zero; a far-off position still fills the whole bar
// without overflowing the cast.
int Truncate(double value) {
    return static_cast<int>(std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

// The filled share of the range; the differences are taken in double so no
// position can overflow them.
double Fraction(int nPos, int nMin, int nMax) {
    return (static_cast<double>(nPos) - nMin) / (static_cast<double>(nMax) - nMin);
}

CString Percentage(double f) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%d%%", Truncate(f * 100.0));
    return CString(text);
}

// Draws the text in one colour, clipped to one part of the bar, so every
// pixel of the text takes the colour of the part under it.
void DrawTextOver(CDC& dc, const CString& text, CRect rcClient, CRect rcPart, COLORREF color) {
    dc.LPtoDP(&rcPart);  // clip regions are in the surface's own coordinates
    CRgn rgn;
    rgn.CreateRectRgnIndirect(&rcPart);
    dc.SelectClipRgn(&rgn);
    dc.SetTextColor(color);
    dc.DrawText(text, &rcClient, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    rgn.DeleteObject();
}

}  // namespace

BEGIN_MESSAGE_MAP(CTextProgressCtrl, CProgressCtrl)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    // Added for screen readers, which ask any progress bar for its position
    // and range with these messages; this bar keeps its own.
    ON_MESSAGE(PBM_GETPOS, OnGetPos)
    ON_MESSAGE(PBM_GETRANGE, OnGetRange)
END_MESSAGE_MAP()

CTextProgressCtrl::CTextProgressCtrl()
    : m_crBar(GetSysColor(COLOR_HIGHLIGHT)),
      m_crBackground(GetSysColor(COLOR_WINDOW)),
      m_crTextOnBackground(GetSysColor(COLOR_HIGHLIGHT)),
      m_crTextOnBar(GetSysColor(COLOR_WINDOW)) {}

int CTextProgressCtrl::SetPos(int nPos) {
    if (!::IsWindow(GetSafeHwnd())) return -1;
    int nOldPos = m_nPos.exchange(nPos);
    if (nPos != nOldPos) NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, GetSafeHwnd(), OBJID_CLIENT, CHILDID_SELF);
    int nMin = m_nMin, nMax = m_nMax;
    // An empty range has no filled width: nothing is computed or repainted.
    if (nMin >= nMax) return nOldPos;
    CRect rect;
    GetClientRect(&rect);
    int nBarWidth = Truncate(Fraction(nPos, nMin, nMax) * rect.Width());
    if (nBarWidth != m_nBarWidth) {
        m_nBarWidth = nBarWidth;
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return nOldPos;
}

BOOL CTextProgressCtrl::OnEraseBkgnd(CDC*) {
    return TRUE;  // the paint covers everything; erasing first would flicker
}

void CTextProgressCtrl::OnPaint() {
    int nMin = m_nMin, nMax = m_nMax;
    if (nMin >= nMax) {
        CPaintDC dc(this);  // nothing to draw, but the paint is done
        return;
    }
    CRect rcClient;
    GetClientRect(&rcClient);
    double f = Fraction(m_nPos, nMin, nMax);

    CPaintDC paintDC(this);
    CMemDC dc(&paintDC);
    // No clamping: past the maximum the fill runs beyond the edge and the
    // empty part has a negative width.
    int nWidth = Truncate(rcClient.Width() * f);
    CRect rcBar(rcClient.left, rcClient.top, rcClient.left + nWidth, rcClient.bottom);
    CRect rcRest(rcClient.left + nWidth, rcClient.top, rcClient.right, rcClient.bottom);
    dc.FillSolidRect(&rcBar, m_crBar);
    dc.FillSolidRect(&rcRest, m_crBackground);
    if (!m_bShowText) return;

    CString text = m_strText.empty() ? Percentage(f) : m_strText;
    dc.SetBkMode(TRANSPARENT);
    DrawTextOver(dc, text, rcClient, rcBar, m_crTextOnBar);
    DrawTextOver(dc, text, rcClient, rcRest, m_crTextOnBackground);
}

void CTextProgressCtrl::OnSize(UINT, int, int) {
    Default();
    m_nBarWidth = -1;  // the next SetPos repaints whatever the width
}

LRESULT CTextProgressCtrl::OnSetText(WPARAM, LPARAM lParam) {
    LRESULT result = Default();
    auto* text = reinterpret_cast<LPCWSTR>(lParam);
    bool changed = text ? m_strText != text : !m_strText.empty();
    if (changed) {
        m_strText = text ? text : L"";
        InvalidateRect(nullptr, TRUE);  // painted with the next update, not at once
    }
    return result;
}

LRESULT CTextProgressCtrl::OnGetText(WPARAM wParam, LPARAM lParam) {
    return AfxAnswerGetText(m_strText, wParam, lParam);
}

LRESULT CTextProgressCtrl::OnGetPos(WPARAM, LPARAM) {
    return m_nPos;
}

LRESULT CTextProgressCtrl::OnGetRange(WPARAM wParam, LPARAM lParam) {
    int nMin = m_nMin, nMax = m_nMax;
    if (auto* range = reinterpret_cast<PPBRANGE>(lParam)) *range = PBRANGE{nMin, nMax};
    return wParam ? nMin : nMax;
}
