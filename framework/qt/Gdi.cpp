#include "framework/Gdi.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <algorithm>

#include "platform/CodePage.h"

namespace {

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QRect ToQRect(const RECT& r) {
    return QRect(QPoint(r.left, r.top), QSize(r.right - r.left, r.bottom - r.top));
}

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return IsEmpty(r) ? RECT{0, 0, 0, 0} : r;
}

int TextFlags(UINT nFormat) {
    int flags = (nFormat & DT_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    if (nFormat & DT_SINGLELINE) {
        // Vertical centring applies to single lines only, as the system has it.
        flags |= Qt::TextSingleLine | ((nFormat & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop);
    } else {
        flags |= Qt::AlignTop;
    }
    return flags;
}

}  // namespace

COLORREF GetSysColor(int nIndex) {
    QPalette palette = QApplication::palette();
    QColor c = nIndex == COLOR_HIGHLIGHT ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base);
    return RGB(c.red(), c.green(), c.blue());
}

int GetSystemMetrics(int nIndex) {
    return nIndex == SM_CXICON || nIndex == SM_CYICON ? 32 : 0;
}

CDC::CDC() = default;

CDC::~CDC() {
    EndSurface();
}

void CDC::BeginSurface(QPaintDevice* pDevice, POINT ptOrigin, const RECT& rcVisible, double dPixelRatio) {
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(pDevice)) return;
    m_pPainter = std::move(painter);
    m_ptOrigin = ptOrigin;
    m_rcVisible = rcVisible;
    m_dPixelRatio = dPixelRatio;
    m_pPainter->setFont(QApplication::font());
    m_pPainter->setPen(ToQColor(m_crText));
    m_pPainter->setBackground(Qt::white);
    m_pPainter->setBackgroundMode(m_nBkMode == TRANSPARENT ? Qt::TransparentMode : Qt::OpaqueMode);
    ApplyTransform();
    ApplyClip();
}

void CDC::EndSurface() {
    m_pPainter.reset();
    m_rcVisible = RECT{0, 0, 0, 0};
}

void CDC::ApplyTransform() {
    if (!m_pPainter) return;
    m_pPainter->setWorldTransform(
        QTransform::fromTranslate(m_ptOrigin.x - m_ptWindowOrg.x, m_ptOrigin.y - m_ptWindowOrg.y));
}

RECT CDC::ClipRect() const {
    return m_bClip ? Intersect(m_rcVisible, m_rcClip) : m_rcVisible;
}

void CDC::ApplyClip() {
    if (!m_pPainter) return;
    // The clip is kept in device coordinates, so it is set without the window origin.
    QTransform logical = m_pPainter->worldTransform();
    m_pPainter->resetTransform();
    RECT clip = ClipRect();
    m_pPainter->setClipRegion(IsEmpty(clip) ? QRegion()
                                            : QRegion(ToQRect(clip).translated(m_ptOrigin.x, m_ptOrigin.y)));
    m_pPainter->setWorldTransform(logical);
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    EndSurface();
    m_bMemory = true;
    m_pBitmap = nullptr;
    m_dPixelRatio = pDC ? pDC->m_dPixelRatio : qApp->devicePixelRatio();
    return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    if (!m_bMemory) return nullptr;
    CBitmap* old = m_pBitmap;
    EndSurface();
    m_pBitmap = pBitmap;
    if (pBitmap && pBitmap->m_pImage) {
        QImage& image = *pBitmap->m_pImage;
        double ratio = image.devicePixelRatio();
        RECT bounds{0, 0, static_cast<LONG>(image.width() / ratio), static_cast<LONG>(image.height() / ratio)};
        BeginSurface(&image, POINT{0, 0}, bounds, ratio);
    }
    return old;
}

POINT CDC::SetWindowOrg(int x, int y) {
    POINT old = m_ptWindowOrg;
    m_ptWindowOrg = POINT{x, y};
    ApplyTransform();
    return old;
}

void CDC::LPtoDP(LPRECT lpRect) const {
    if (!lpRect) return;
    lpRect->left -= m_ptWindowOrg.x;
    lpRect->right -= m_ptWindowOrg.x;
    lpRect->top -= m_ptWindowOrg.y;
    lpRect->bottom -= m_ptWindowOrg.y;
}

int CDC::SelectClipRgn(CRgn* pRgn) {
    m_bClip = pRgn && pRgn->m_bCreated;
    if (m_bClip) m_rcClip = pRgn->m_rect;
    ApplyClip();
    return IsEmpty(ClipRect()) ? NULLREGION : SIMPLEREGION;
}

int CDC::GetClipBox(LPRECT lpRect) const {
    RECT box = ClipRect();
    if (lpRect)
        *lpRect = IsEmpty(box) ? RECT{0, 0, 0, 0}
                               : RECT{box.left + m_ptWindowOrg.x, box.top + m_ptWindowOrg.y,
                                      box.right + m_ptWindowOrg.x, box.bottom + m_ptWindowOrg.y};
    return IsEmpty(box) ? NULLREGION : SIMPLEREGION;
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF color) {
    if (!m_pPainter || !lpRect || IsEmpty(*lpRect)) return;
    m_pPainter->fillRect(ToQRect(*lpRect), ToQColor(color));
}

int CDC::SetBkMode(int nBkMode) {
    int old = m_nBkMode;
    m_nBkMode = nBkMode;
    if (m_pPainter) m_pPainter->setBackgroundMode(nBkMode == TRANSPARENT ? Qt::TransparentMode : Qt::OpaqueMode);
    return old;
}

COLORREF CDC::SetTextColor(COLORREF color) {
    COLORREF old = m_crText;
    m_crText = color;
    if (m_pPainter) m_pPainter->setPen(ToQColor(color));
    return old;
}

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
    if (!m_pPainter || !lpRect) return 0;
    QRect bounds;
    m_pPainter->drawText(ToQRect(*lpRect), TextFlags(nFormat), QString::fromStdWString(ShownText(str)), &bounds);
    return bounds.height();
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop) {
    if (!m_pPainter || !pSrcDC || dwRop != SRCCOPY) return FALSE;
    if (!pSrcDC->m_pBitmap || !pSrcDC->m_pBitmap->m_pImage) return FALSE;
    const QImage& image = *pSrcDC->m_pBitmap->m_pImage;
    // Same ratio on both sides makes this a copy of whole device pixels.
    double ratio = image.devicePixelRatio();
    QRectF source((xSrc - pSrcDC->m_ptWindowOrg.x) * ratio, (ySrc - pSrcDC->m_ptWindowOrg.y) * ratio, nWidth * ratio,
                  nHeight * ratio);
    QPainter::CompositionMode mode = m_pPainter->compositionMode();
    m_pPainter->setCompositionMode(QPainter::CompositionMode_Source);
    m_pPainter->drawImage(QRectF(x, y, nWidth, nHeight), image, source);
    m_pPainter->setCompositionMode(mode);
    return TRUE;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    auto* icon = reinterpret_cast<QIcon*>(hIcon);
    if (!m_pPainter || !icon) return FALSE;
    icon->paint(m_pPainter.get(), QRect(x, y, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    return TRUE;
}
