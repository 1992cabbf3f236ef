#include "TextProgressCtrl.h"

int CTextProgressCtrl::SetPos(int nPos) {
    if (!IsWindow(GetSafeHwnd())) return -1;
    int old = m_nPos.exchange(nPos);
    Invalidate();
    return old;
}
