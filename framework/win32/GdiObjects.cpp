#include "framework/GdiObjects.h"

#include "Bitmap.h"
#include "framework/Gdi.h"

CBitmap::CBitmap() = default;

CBitmap::~CBitmap() {
    DeleteObject();
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    DeleteObject();
    // Black, as the system makes it; a context that is no screen's makes
    // bitmaps of the screen's kind.
    HDC screen = pDC ? nullptr : ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(pDC ? pDC->GetSafeHdc() : screen, nWidth, nHeight);
    if (screen) ::ReleaseDC(nullptr, screen);
    if (!bitmap) return FALSE;
    m_pImage = std::make_unique<Image>(Image{bitmap});
    return TRUE;
}

BOOL CBitmap::DeleteObject() {
    if (!m_pImage) return FALSE;
    ::DeleteObject(m_pImage->handle);
    m_pImage.reset();
    return TRUE;
}
