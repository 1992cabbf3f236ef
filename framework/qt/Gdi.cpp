// Device contexts on this ground draw with the toolkit's painter, on a
// window inside its paint event or on a bitmap's image.
#include "framework/Gdi.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <algorithm>

#include "Bitmap.h"
#include "WndWidget.h"
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

// The painter exists while the context has a surface; the settings outlive
// a change of surface, as the system's do.
struct CDC::State {
    // Starts drawing on pDevice: device (0, 0) lies at ptOrigin on it, and
    // rcVisible (device coordinates) is all that may be drawn.
    void BeginSurface(QPaintDevice* pDevice, POINT ptOrigin, const RECT& rcVisible, double dPixelRatio);
    void EndSurface();
    void ApplyTransform();
    void ApplyClip();
    RECT ClipRect() const;  // device coordinates

    std::unique_ptr<QPainter> m_pPainter;
    bool m_bMemory = false;
    CBitmap* m_pBitmap = nullptr;
    double m_dPixelRatio = 1.0;
    POINT m_ptOrigin{0, 0};
    RECT m_rcVisible{0, 0, 0, 0};
    POINT m_ptWindowOrg{0, 0};
    RECT m_rcClip{0, 0, 0, 0};
    bool m_bClip = false;
    COLORREF m_crText = RGB(0, 0, 0);
    int m_nBkMode = OPAQUE;
};

COLORREF GetSysColor(int nIndex) {
    QPalette palette = QApplication::palette();
    QColor c = nIndex == COLOR_HIGHLIGHT ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base);
    return RGB(c.red(), c.green(), c.blue());
}

int GetSystemMetrics(int nIndex) {
    return nIndex == SM_CXICON || nIndex == SM_CYICON ? 32 : 0;
}

CDC::CDC() : m_pState(std::make_unique<State>()) {}

CDC::~CDC() {
    m_pState->EndSurface();
}

double CDC::GetDevicePixelRatio() const {
    return m_pState->m_dPixelRatio;
}

void CDC::State::BeginSurface(QPaintDevice* pDevice, POINT ptOrigin, const RECT& rcVisible, double dPixelRatio) {
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

void CDC::State::EndSurface() {
    m_pPainter.reset();
    m_rcVisible = RECT{0, 0, 0, 0};
}

void CDC::State::ApplyTransform() {
    if (!m_pPainter) return;
    m_pPainter->setWorldTransform(
        QTransform::fromTranslate(m_ptOrigin.x - m_ptWindowOrg.x, m_ptOrigin.y - m_ptWindowOrg.y));
}

RECT CDC::State::ClipRect() const {
    return m_bClip ? Intersect(m_rcVisible, m_rcClip) : m_rcVisible;
}

void CDC::State::ApplyClip() {
    if (!m_pPainter) return;
    // The clip is kept in device coordinates, so it is set without the window origin.
    QTransform logical = m_pPainter->worldTransform();
    m_pPainter->resetTransform();
    RECT clip = ClipRect();
    m_pPainter->setClipRegion(IsEmpty(clip) ? QRegion()
                                            : QRegion(ToQRect(clip).translated(m_ptOrigin.x, m_ptOrigin.y)));
    m_pPainter->setWorldTransform(logical);
}

// A paint context reaches its surface through the paint the window is
// handling now, which only the widget side knows.
CPaintDC::CPaintDC(CWnd* pWnd) {
    WndCore* core = pWnd ? WndCore::FromHandle(pWnd->GetSafeHwnd()) : nullptr;
    if (!core || !core->CurrentPaint()) return;  // painting is possible only inside a paint
    // Device coordinates are client coordinates: the client area lies inside
    // any border, and the paint may cover only part of it.
    QRect client = core->ClientRect();
    QRect update = core->CurrentPaint()->region().boundingRect().intersected(client).translated(-client.topLeft());
    RECT visible = update.isEmpty() ? RECT{0, 0, 0, 0}
                                    : RECT{update.left(), update.top(), update.right() + 1, update.bottom() + 1};
    m_pState->BeginSurface(core->Widget(), POINT{client.left(), client.top()}, visible,
                           core->Widget()->devicePixelRatio());
    pWnd->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(GetSafeHdc()), 0);
}

// A context's handle here is the object itself.
HDC CDC::GetSafeHdc() const {
    return reinterpret_cast<HDC>(const_cast<CDC*>(this));
}

CDC* CDC::FromHandle(HDC hDC) {
    return reinterpret_cast<CDC*>(hDC);
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    State& st = *m_pState;
    st.EndSurface();
    st.m_bMemory = true;
    st.m_pBitmap = nullptr;
    st.m_dPixelRatio = pDC ? pDC->m_pState->m_dPixelRatio : qApp->devicePixelRatio();
    return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    State& st = *m_pState;
    if (!st.m_bMemory) return nullptr;
    CBitmap* old = st.m_pBitmap;
    st.EndSurface();
    st.m_pBitmap = pBitmap;
    if (pBitmap && pBitmap->m_pImage) {
        QImage& image = pBitmap->m_pImage->image;
        double ratio = image.devicePixelRatio();
        RECT bounds{0, 0, static_cast<LONG>(image.width() / ratio), static_cast<LONG>(image.height() / ratio)};
        st.BeginSurface(&image, POINT{0, 0}, bounds, ratio);
    }
    return old;
}

POINT CDC::SetWindowOrg(int x, int y) {
    State& st = *m_pState;
    POINT old = st.m_ptWindowOrg;
    st.m_ptWindowOrg = POINT{x, y};
    st.ApplyTransform();
    return old;
}

void CDC::LPtoDP(LPRECT lpRect) const {
    if (!lpRect) return;
    const POINT org = m_pState->m_ptWindowOrg;
    lpRect->left -= org.x;
    lpRect->right -= org.x;
    lpRect->top -= org.y;
    lpRect->bottom -= org.y;
}

int CDC::SelectClipRgn(CRgn* pRgn) {
    State& st = *m_pState;
    st.m_bClip = pRgn && pRgn->m_bCreated;
    if (st.m_bClip) st.m_rcClip = pRgn->m_rect;
    st.ApplyClip();
    return IsEmpty(st.ClipRect()) ? NULLREGION : SIMPLEREGION;
}

int CDC::GetClipBox(LPRECT lpRect) const {
    RECT box = m_pState->ClipRect();
    const POINT org = m_pState->m_ptWindowOrg;
    if (lpRect)
        *lpRect = IsEmpty(box) ? RECT{0, 0, 0, 0}
                               : RECT{box.left + org.x, box.top + org.y, box.right + org.x, box.bottom + org.y};
    return IsEmpty(box) ? NULLREGION : SIMPLEREGION;
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF color) {
    QPainter* painter = m_pState->m_pPainter.get();
    if (!painter || !lpRect || IsEmpty(*lpRect)) return;
    painter->fillRect(ToQRect(*lpRect), ToQColor(color));
}

int CDC::SetBkMode(int nBkMode) {
    State& st = *m_pState;
    int old = st.m_nBkMode;
    st.m_nBkMode = nBkMode;
    if (st.m_pPainter) st.m_pPainter->setBackgroundMode(nBkMode == TRANSPARENT ? Qt::TransparentMode : Qt::OpaqueMode);
    return old;
}

COLORREF CDC::SetTextColor(COLORREF color) {
    State& st = *m_pState;
    COLORREF old = st.m_crText;
    st.m_crText = color;
    if (st.m_pPainter) st.m_pPainter->setPen(ToQColor(color));
    return old;
}

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
    QPainter* painter = m_pState->m_pPainter.get();
    if (!painter || !lpRect) return 0;
    QRect bounds;
    painter->drawText(ToQRect(*lpRect), TextFlags(nFormat), QString::fromStdWString(ShownText(str)), &bounds);
    return bounds.height();
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop) {
    QPainter* painter = m_pState->m_pPainter.get();
    if (!painter || !pSrcDC || dwRop != SRCCOPY) return FALSE;
    const State& src = *pSrcDC->m_pState;
    if (!src.m_pBitmap || !src.m_pBitmap->m_pImage) return FALSE;
    const QImage& image = src.m_pBitmap->m_pImage->image;
    // Same ratio on both sides makes this a copy of whole device pixels.
    double ratio = image.devicePixelRatio();
    QRectF source((xSrc - src.m_ptWindowOrg.x) * ratio, (ySrc - src.m_ptWindowOrg.y) * ratio, nWidth * ratio,
                  nHeight * ratio);
    QPainter::CompositionMode mode = painter->compositionMode();
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->drawImage(QRectF(x, y, nWidth, nHeight), image, source);
    painter->setCompositionMode(mode);
    return TRUE;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    QPainter* painter = m_pState->m_pPainter.get();
    auto* icon = reinterpret_cast<QIcon*>(hIcon);
    if (!painter || !icon) return FALSE;
    icon->paint(painter, QRect(x, y, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    return TRUE;
}
