#include "Gdi.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPalette>

#include "WndWidget.h"

static QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

COLORREF GetSysColor(int nIndex) {
    QPalette palette = QApplication::palette();
    QColor c = nIndex == COLOR_HIGHLIGHT ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base);
    return RGB(c.red(), c.green(), c.blue());
}

int GetSystemMetrics(int nIndex) {
    return nIndex == SM_CXICON || nIndex == SM_CYICON ? 32 : 0;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    auto* icon = reinterpret_cast<QIcon*>(hIcon);
    if (!m_pPainter || !icon) return FALSE;
    icon->paint(m_pPainter, QRect(x, y, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    return TRUE;
}

CDC::~CDC() {
    if (m_bOwnsPainter) delete m_pPainter;
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color) {
    if (!m_pPainter || !rect) return;
    m_pPainter->fillRect(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top),
                         ToQColor(color));
}

CPaintDC::CPaintDC(CWnd* pWnd) {
    WndCore* core = pWnd ? WndCore::FromHandle(pWnd->GetSafeHwnd()) : nullptr;
    if (!core || !core->CurrentPaint()) return;  // painting is possible only inside a paint
    m_pPainter = new QPainter(core->Widget());
    m_bOwnsPainter = true;
    m_pPainter->setClipRegion(core->CurrentPaint()->region());
    pWnd->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(static_cast<CDC*>(this)), 0);
}

CPaintDC::~CPaintDC() {
    if (m_pPainter) m_pPainter->end();
}
