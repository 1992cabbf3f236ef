#include "GdiObjects.h"

#include <QImage>

#include <algorithm>
#include <cmath>

#include "Gdi.h"

CBitmap::CBitmap() = default;
CBitmap::~CBitmap() = default;

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    if (!pDC || nWidth <= 0 || nHeight <= 0) return FALSE;
    double ratio = pDC->GetDevicePixelRatio();
    auto image = std::make_unique<QImage>(static_cast<int>(std::ceil(nWidth * ratio)),
                                          static_cast<int>(std::ceil(nHeight * ratio)), QImage::Format_RGB32);
    if (image->isNull()) return FALSE;
    image->setDevicePixelRatio(ratio);
    image->fill(Qt::black);  // a new bitmap is black, as the system's are
    m_pImage = std::move(image);
    return TRUE;
}

BOOL CBitmap::DeleteObject() {
    BOOL had = m_pImage != nullptr;
    m_pImage.reset();
    return had;
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT lpRect) {
    if (!lpRect) return FALSE;
    m_rect = RECT{std::min(lpRect->left, lpRect->right), std::min(lpRect->top, lpRect->bottom),
                  std::max(lpRect->left, lpRect->right), std::max(lpRect->top, lpRect->bottom)};
    m_bCreated = true;
    return TRUE;
}

BOOL CRgn::DeleteObject() {
    BOOL had = m_bCreated;
    m_bCreated = false;
    m_rect = RECT{0, 0, 0, 0};
    return had;
}
