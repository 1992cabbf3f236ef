// Device contexts on this ground are the system's: a paint context from
// BeginPaint, memory contexts with bitmaps selected into them, and contexts
// that messages carry, borrowed.
#include "framework/Gdi.h"

#include <map>
#include <memory>

#include "Bitmap.h"
#include "framework/Wnd.h"

struct CDC::State {
    enum class Kind { None, Memory, Paint, Borrowed };
    Kind kind = Kind::None;
    HDC hdc = nullptr;
    HWND paintWnd = nullptr;
    PAINTSTRUCT paint{};
    HGDIOBJ ownBitmap = nullptr;  // what a memory context held first, back before it goes
    HGDIOBJ ownFont = nullptr;    // likewise the font, for every context the layer picked one for
    CBitmap* selected = nullptr;

    // Text is drawn in the font of the window or context it stands for, as
    // the system draws the window's own text.
    void UseFont(HFONT font) {
        if (font && !ownFont) ownFont = ::SelectObject(hdc, font);
    }
};

CDC::CDC() : m_pState(std::make_unique<State>()) {}

CDC::~CDC() {
    State& st = *m_pState;
    if (st.ownFont) ::SelectObject(st.hdc, st.ownFont);
    if (st.kind == State::Kind::Memory) {
        if (st.ownBitmap) ::SelectObject(st.hdc, st.ownBitmap);
        ::DeleteDC(st.hdc);
    } else if (st.kind == State::Kind::Paint) {
        ::EndPaint(st.paintWnd, &st.paint);
    }
}

CPaintDC::CPaintDC(CWnd* pWnd) {
    State& st = *m_pState;
    st.kind = State::Kind::Paint;
    st.paintWnd = pWnd->GetSafeHwnd();
    st.hdc = ::BeginPaint(st.paintWnd, &st.paint);  // erases through WM_ERASEBKGND when asked to
    st.UseFont(reinterpret_cast<HFONT>(::SendMessageW(st.paintWnd, WM_GETFONT, 0, 0)));
}

HDC CDC::GetSafeHdc() const {
    return m_pState->hdc;
}

CDC* CDC::FromHandle(HDC hDC) {
    // Kept per thread for as long as the thread draws; the handle stays the
    // system's, never released here.
    thread_local std::map<HDC, std::unique_ptr<CDC>> borrowed;
    std::unique_ptr<CDC>& dc = borrowed[hDC];
    if (!dc) {
        dc = std::make_unique<CDC>();
        dc->m_pState->kind = State::Kind::Borrowed;
        dc->m_pState->hdc = hDC;
    }
    return dc.get();
}

double CDC::GetDevicePixelRatio() const {
    return 1.0;  // the manifest asks for the system's scale; the system scales for us
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    State& st = *m_pState;
    st.hdc = ::CreateCompatibleDC(pDC ? pDC->GetSafeHdc() : nullptr);
    if (!st.hdc) return FALSE;
    st.kind = State::Kind::Memory;
    if (pDC) st.UseFont(static_cast<HFONT>(::GetCurrentObject(pDC->GetSafeHdc(), OBJ_FONT)));
    return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    State& st = *m_pState;
    CBitmap* previous = st.selected;
    HGDIOBJ bitmap = pBitmap && pBitmap->m_pImage ? pBitmap->m_pImage->handle : st.ownBitmap;
    if (!bitmap) return previous;
    HGDIOBJ replaced = ::SelectObject(st.hdc, bitmap);
    if (!st.ownBitmap) st.ownBitmap = replaced;
    st.selected = pBitmap;
    return previous;
}

POINT CDC::SetWindowOrg(int x, int y) {
    POINT previous{0, 0};
    ::SetWindowOrgEx(m_pState->hdc, x, y, &previous);
    return previous;
}

void CDC::LPtoDP(LPRECT lpRect) const {
    ::LPtoDP(m_pState->hdc, reinterpret_cast<POINT*>(lpRect), 2);
}

int CDC::SelectClipRgn(CRgn* pRgn) {
    if (!pRgn || !pRgn->m_bCreated) return ::SelectClipRgn(m_pState->hdc, nullptr);
    HRGN region = ::CreateRectRgnIndirect(&pRgn->m_rect);
    int result = ::SelectClipRgn(m_pState->hdc, region);  // the context takes a copy
    ::DeleteObject(region);
    return result;
}

int CDC::GetClipBox(LPRECT lpRect) const {
    return ::GetClipBox(m_pState->hdc, lpRect);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF color) {
    ::SetBkColor(m_pState->hdc, color);
    ::ExtTextOutW(m_pState->hdc, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
}

int CDC::SetBkMode(int nBkMode) {
    return ::SetBkMode(m_pState->hdc, nBkMode);
}

COLORREF CDC::SetTextColor(COLORREF color) {
    return ::SetTextColor(m_pState->hdc, color);
}

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
    return ::DrawTextW(m_pState->hdc, str.c_str(), static_cast<int>(str.size()), lpRect, nFormat);
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop) {
    return ::BitBlt(m_pState->hdc, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->GetSafeHdc() : nullptr, xSrc, ySrc,
                    dwRop);
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    return ::DrawIcon(m_pState->hdc, x, y, hIcon);
}
