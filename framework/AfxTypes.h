#pragma once
// Geometry and handle types shared by windows and drawing.
#include "platform/WinTypes.h"

#ifndef _WIN32
typedef struct HWND__* HWND;

struct RECT {
    LONG left, top, right, bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

struct POINT {
    LONG x, y;
};
#endif

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    CRect(const RECT& r) : RECT(r) {}
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};
