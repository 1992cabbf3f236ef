// What every window does in terms of its messages, whatever stands behind it.
#include "Wnd.h"

#include <algorithm>
#include <cwchar>

#include "platform/CodePage.h"

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
    // A byte kept as its escape has no glyph: the window gets the text as shown.
    const std::wstring shown = text ? ShownText(text) : std::wstring();
    SendMessage(WM_SETTEXT, 0, text ? reinterpret_cast<LPARAM>(shown.c_str()) : 0);
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
