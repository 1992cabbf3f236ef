// What every window does in terms of its messages, whatever stands behind it.
#include "Wnd.h"

#include <algorithm>
#include <cwchar>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageW(GetSafeHwnd(), message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT AfxAnswerGetText(const CString& text, WPARAM wParam, LPARAM lParam) {
    auto* buffer = reinterpret_cast<wchar_t*>(lParam);
    if (!buffer || wParam == 0) return 0;
    size_t n = std::min<size_t>(text.size(), wParam - 1);
    std::wmemcpy(buffer, text.data(), n);
    buffer[n] = L'\0';
    return static_cast<LRESULT>(n);
}

void CWnd::SetWindowText(LPCWSTR text) {
    SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

CString AfxGetWindowText(HWND hWnd) {
    auto length = static_cast<size_t>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
    std::wstring buffer(length + 1, L'\0');
    auto copied =
        static_cast<size_t>(SendMessageW(hWnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    buffer.resize(std::min(copied, length));
    return CString(buffer);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}
