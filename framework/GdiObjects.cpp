#include "GdiObjects.h"

#include <algorithm>

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
