#pragma once
#include "framework/Gdi.h"

// An off-screen surface that stands in for a target context for one paint:
// everything is drawn into a bitmap the size of the target's clip box, and
// copied to the target in one piece when the surface closes, so nothing
// flickers. Drawing uses the target's coordinates.
class CMemDC : public CDC {
public:
    explicit CMemDC(CDC* pDC);
    ~CMemDC() override;

private:
    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap;
    CDC* m_pDC;
    CRect m_rect;
};
