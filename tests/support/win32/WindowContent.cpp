// Reading windows on Windows: texts and styles from the windows themselves,
// pixels from the window's own device context (what the window system shows).
#include "tests/support/WindowContent.h"

#include <oleacc.h>
#include <windows.h>

#include <algorithm>

namespace testsupport {

namespace {
std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring KindOf(HWND window) {
    wchar_t kind[32] = {};
    ::GetClassNameW(window, kind, 32);
    return kind;
}

std::vector<HWND> Children(HWND window, const wchar_t* kind) {
    std::vector<HWND> found;
    for (HWND c = window ? ::GetWindow(window, GW_CHILD) : nullptr; c; c = ::GetWindow(c, GW_HWNDNEXT))
        if (::lstrcmpiW(KindOf(c).c_str(), kind) == 0) found.push_back(c);
    return found;
}

// The window as a whole (frame and all), in its own coordinates.
Image Capture(HWND window) {
    RECT r;
    if (!window || !::GetWindowRect(window, &r)) return {};
    Image out{r.right - r.left, r.bottom - r.top, 1, {}};
    HDC shown = ::GetWindowDC(window);
    HDC copy = ::CreateCompatibleDC(shown);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), out.width, -out.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(copy, bitmap);
    ::BitBlt(copy, 0, 0, out.width, out.height, shown, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    out.pixels.assign(pixels, pixels + static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    for (uint32_t& p : out.pixels) p |= 0xFF000000u;
    ::SelectObject(copy, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(copy);
    ::ReleaseDC(window, shown);
    return out;
}

// Where the client area starts in the window's own coordinates.
POINT ClientOrigin(HWND window) {
    RECT outer;
    POINT origin{0, 0};
    ::GetWindowRect(window, &outer);
    ::ClientToScreen(window, &origin);
    return {origin.x - outer.left, origin.y - outer.top};
}

SIZE Extent(HWND window, const std::wstring& text) {
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    size.cy = metrics.tmHeight;
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return size;
}
}  // namespace

Image Grab(HWND window) {
    // Pending paints first: the pixels are what the window shows once painted.
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return Capture(window);
}

Image RepaintPart(HWND window, const CRect& part) {
    if (!window) return {};
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT whole;
    ::GetWindowRect(window, &whole);
    HDC dc = ::GetWindowDC(window);
    HBRUSH magenta = ::CreateSolidBrush(RGB(255, 0, 255));
    RECT all{0, 0, whole.right - whole.left, whole.bottom - whole.top};
    ::FillRect(dc, &all, magenta);
    ::DeleteObject(magenta);
    ::ReleaseDC(window, dc);
    const POINT origin = ClientOrigin(window);
    RECT inClient{part.left - origin.x, part.top - origin.y, part.right - origin.x, part.bottom - origin.y};
    ::RedrawWindow(window, &inClient, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Image out = Capture(window);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    return out;
}

std::wstring WindowText(HWND window) {
    return window ? TextOf(window) : std::wstring();
}

std::wstring LabelTexts(HWND window) {
    std::wstring text;
    for (HWND label : Children(window, L"Static")) text += TextOf(label);
    return text;
}

int ButtonCount(HWND window) {
    return static_cast<int>(Children(window, L"Button").size());
}

bool ShowsWarningIcon(HWND window) {
    const auto warning = reinterpret_cast<LRESULT>(::LoadIconW(nullptr, MAKEINTRESOURCEW(32515)));  // IDI_WARNING
    for (HWND label : Children(window, L"Static"))
        if (::SendMessageW(label, STM_GETICON, 0, 0) == warning) return true;
    return false;
}

bool HasIcon(HWND window) {
    return window && (::SendMessageW(window, WM_GETICON, ICON_BIG, 0) || ::SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
}

bool IsEnabled(HWND window) {
    return window && ::IsWindowEnabled(window);
}

CRect WindowSize(HWND window) {
    RECT r{};
    if (window) ::GetWindowRect(window, &r);
    return CRect(0, 0, r.right - r.left, r.bottom - r.top);
}

void Resize(HWND window, int width, int height) {
    ::SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CRect TextBox(HWND window, const CRect& client, const Text& text) {
    SIZE size = Extent(window, text.Wide());
    int left = client.left + (client.Width() - size.cx) / 2;
    int top = client.top + (client.Height() - size.cy) / 2;
    return CRect(left, top, left + size.cx, top + size.cy);
}

COLORREF DialogColor() {
    return ::GetSysColor(COLOR_BTNFACE);
}

std::wstring AccessibleText(HWND control) {
    // A bar's value is its position (PBM_GETPOS); what it shows as text a
    // screen reader reads as its name.
    IAccessible* accessible = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                            reinterpret_cast<void**>(&accessible))))
        return {};
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring out;
    if (SUCCEEDED(accessible->get_accName(self, &name)) && name) out = name;
    ::SysFreeString(name);
    accessible->Release();
    return out;
}

std::vector<TextRoom> TextRooms(HWND window) {
    std::vector<TextRoom> rooms;
    for (HWND c = window ? ::GetWindow(window, GW_CHILD) : nullptr; c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        const std::wstring text = TextOf(c);
        if (text.empty()) continue;
        const std::wstring kind = KindOf(c);
        const LONG style = ::GetWindowLongW(c, GWL_STYLE);
        const SIZE size = Extent(c, text);
        int needed = size.cx;
        if (::lstrcmpiW(kind.c_str(), L"Button") == 0) {
            const LONG type = style & BS_TYPEMASK;
            if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX)
                needed += ::GetSystemMetrics(SM_CXMENUCHECK) + ::GetSystemMetrics(SM_CXEDGE);
            else
                needed += 2 * (::GetSystemMetrics(SM_CXEDGE) + ::GetSystemMetrics(SM_CXBORDER));
        } else if (::lstrcmpiW(kind.c_str(), L"Static") != 0) {
            continue;
        }
        const CRect outer = WindowSize(c);
        rooms.push_back({text, static_cast<int>(needed), outer.Width(), static_cast<int>(size.cy), outer.Height()});
    }
    return rooms;
}

}  // namespace testsupport
