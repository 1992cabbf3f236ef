#include "WndProc.h"

#include "ModalRun.h"

namespace {
// A window taken over carries its object and its former procedure as
// properties, so the lookup needs no table and no lock: a window's
// properties go with it.
const wchar_t kObjectProp[] = L"DeRavizizivu.Object";
const wchar_t kPreviousProp[] = L"DeRavizizivu.PreviousProc";

thread_local const AFX_CURRENT_MESSAGE* t_pCurrent = nullptr;

WNDPROC PreviousProc(HWND hWnd) {
    return reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kPreviousProp));
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = AfxWndFromHandle(hWnd);
    if (!pWnd) return AfxCallPreviousProc(hWnd, message, wParam, lParam);
    if (message == CModalRun::EndMessage()) {
        CModalRun::End(hWnd, static_cast<int>(wParam));
        return 0;
    }
    if (message == WM_NCDESTROY) {
        // The last message: the window's own processing first, then the
        // object lets go of a handle that is about to name nothing.
        LRESULT result = AfxCallPreviousProc(hWnd, message, wParam, lParam);
        AfxDetachWindow(hWnd);
        return result;
    }
    const AFX_CURRENT_MESSAGE current{pWnd, message, wParam, lParam};
    const AFX_CURRENT_MESSAGE* outer = t_pCurrent;
    t_pCurrent = &current;
    LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    t_pCurrent = outer;
    return result;
}
}  // namespace

const AFX_CURRENT_MESSAGE* AfxCurrentMessage() {
    return t_pCurrent;
}

CWnd* AfxWndFromHandle(HWND hWnd) {
    return hWnd ? static_cast<CWnd*>(::GetPropW(hWnd, kObjectProp)) : nullptr;
}

bool AfxAttachWindow(HWND hWnd, CWnd* pWnd) {
    if (!::IsWindow(hWnd) || AfxWndFromHandle(hWnd)) return false;
    auto previous = ::GetWindowLongPtrW(hWnd, GWLP_WNDPROC);
    if (!::SetPropW(hWnd, kPreviousProp, reinterpret_cast<HANDLE>(previous)) || !::SetPropW(hWnd, kObjectProp, pWnd)) {
        ::RemovePropW(hWnd, kPreviousProp);
        return false;
    }
    pWnd->m_hWnd = hWnd;
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
    return true;
}

void AfxDetachWindow(HWND hWnd) {
    CWnd* pWnd = AfxWndFromHandle(hWnd);
    if (!pWnd) return;
    if (WNDPROC previous = PreviousProc(hWnd))
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    ::RemovePropW(hWnd, kObjectProp);
    ::RemovePropW(hWnd, kPreviousProp);
    pWnd->m_hWnd = nullptr;
}

LRESULT AfxCallPreviousProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = PreviousProc(hWnd);
    return previous ? ::CallWindowProcW(previous, hWnd, message, wParam, lParam)
                    : ::DefWindowProcW(hWnd, message, wParam, lParam);
}
