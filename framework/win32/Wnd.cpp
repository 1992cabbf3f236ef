// Windows on this ground are the system's own; the calls are user32's, which
// carry a call from another thread to the window's thread by themselves.
#include "framework/Wnd.h"

#include "WndProc.h"

CWnd::~CWnd() {
    // A control object may go before its window: the window keeps working
    // with its own procedure.
    if (HWND hWnd = GetSafeHwnd(); AfxWndFromHandle(hWnd) == this) AfxDetachWindow(hWnd);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return AfxCallPreviousProc(GetSafeHwnd(), message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const AFX_CURRENT_MESSAGE* current = AfxCurrentMessage();
    if (!current || current->pWnd != this) return 0;
    return DefWindowProc(current->message, current->wParam, current->lParam);
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    return ::ShowWindow(GetSafeHwnd(), nCmdShow);
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    return ::EnableWindow(GetSafeHwnd(), bEnable);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(GetSafeHwnd());
}

void CWnd::GetClientRect(LPRECT rect) const {
    if (!::GetClientRect(GetSafeHwnd(), rect)) *rect = RECT{0, 0, 0, 0};
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
    ::InvalidateRect(GetSafeHwnd(), lpRect, bErase);
}

BOOL CWnd::RedrawWindow(LPCRECT rectUpdate, CRgn*, UINT flags) {
    return ::RedrawWindow(GetSafeHwnd(), rectUpdate, nullptr, flags);
}

BOOL CWnd::UpdateWindow() {
    // The dialog's controls are windows of their own: all of it is painted,
    // not the frame alone.
    return ::RedrawWindow(GetSafeHwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (!pParent) return FALSE;
    return AfxAttachWindow(::GetDlgItem(pParent->GetSafeHwnd(), static_cast<int>(nID)), this) ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() {
    return ::DestroyWindow(GetSafeHwnd());
}
