// Bitmaps on this ground are off-screen images of the toolkit.
#include "framework/GdiObjects.h"

#include <cmath>

#include "Bitmap.h"
#include "framework/Gdi.h"

CBitmap::CBitmap() = default;
CBitmap::~CBitmap() = default;

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    if (!pDC || nWidth <= 0 || nHeight <= 0) return FALSE;
    double ratio = pDC->GetDevicePixelRatio();
    auto image = std::make_unique<Image>();
    image->image = QImage(static_cast<int>(std::ceil(nWidth * ratio)), static_cast<int>(std::ceil(nHeight * ratio)),
                          QImage::Format_RGB32);
    if (image->image.isNull()) return FALSE;
    image->image.setDevicePixelRatio(ratio);
    image->image.fill(Qt::black);  // a new bitmap is black, as the system's are
    m_pImage = std::move(image);
    return TRUE;
}

BOOL CBitmap::DeleteObject() {
    BOOL had = m_pImage != nullptr;
    m_pImage.reset();
    return had;
}
