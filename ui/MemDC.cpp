#include "MemDC.h"

CMemDC::CMemDC(CDC* pDC) : m_pOldBitmap(nullptr), m_pDC(pDC) {
    // There are no printer contexts here, so drawing always goes off-screen.
    m_pDC->GetClipBox(&m_rect);
    CreateCompatibleDC(m_pDC);
    m_bitmap.CreateCompatibleBitmap(m_pDC, m_rect.Width(), m_rect.Height());
    m_pOldBitmap = SelectObject(&m_bitmap);
    SetWindowOrg(m_rect.left, m_rect.top);
}

CMemDC::~CMemDC() {
    m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top, SRCCOPY);
    SelectObject(m_pOldBitmap);
}
