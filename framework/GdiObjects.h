#pragma once
// Drawing objects: a bitmap to draw into off-screen, and a rectangular region
// to clip to.
#include <memory>

#include "AfxTypes.h"

class CDC;

class CBitmap {
public:
    CBitmap();
    ~CBitmap();
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // A bitmap that pDC's surface can take; sized in pDC's pixels and made at
    // its device pixel ratio, so a copy back is pixel for pixel.
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    BOOL DeleteObject();

private:
    friend class CDC;
    struct Image;  // the ground's off-screen surface
    std::unique_ptr<Image> m_pImage;
};

#define NULLREGION 1
#define SIMPLEREGION 2

// Regions are clip rectangles; coordinates are put in order, as the system does.
class CRgn {
public:
    BOOL CreateRectRgnIndirect(LPCRECT lpRect);
    BOOL DeleteObject();

private:
    friend class CDC;
    RECT m_rect{0, 0, 0, 0};
    bool m_bCreated = false;
};
