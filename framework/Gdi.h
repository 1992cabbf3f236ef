#pragma once
// Device contexts: one that paints a window inside its paint message, and
// memory contexts that draw into a bitmap off-screen.
#include <memory>

#include "AfxString.h"
#include "AfxTypes.h"
#include "GdiObjects.h"
#include "Resource.h"

class CWnd;

#ifndef _WIN32
#define COLOR_WINDOW 5
#define COLOR_HIGHLIGHT 13

#define SM_CXICON 11
#define SM_CYICON 12
int GetSystemMetrics(int nIndex);

// The palette's colours: COLOR_WINDOW is the base colour, COLOR_HIGHLIGHT the highlight.
COLORREF GetSysColor(int nIndex);

#define TRANSPARENT 1
#define OPAQUE 2

#define DT_CENTER 0x0001u
#define DT_VCENTER 0x0004u
#define DT_SINGLELINE 0x0020u

#define SRCCOPY 0x00CC0020u

// A device context as messages carry it (WM_ERASEBKGND, WM_ICONERASEBKGND).
typedef struct HDC__* HDC;
#endif

class CDC {
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Makes this a memory context whose bitmaps suit pDC's surface.
    BOOL CreateCompatibleDC(CDC* pDC);
    // A memory context draws into the selected bitmap; answers the bitmap it
    // replaces, null for the empty surface a memory context starts with.
    CBitmap* SelectObject(CBitmap* pBitmap);
    // Logical (x, y) becomes device (0, 0); answers the former origin.
    POINT SetWindowOrg(int x, int y);
    void LPtoDP(LPRECT lpRect) const;
    // Clips to the region, given in device coordinates; null clips no more.
    int SelectClipRgn(CRgn* pRgn);
    // The smallest rectangle that drawing can reach now, in logical coordinates.
    int GetClipBox(LPRECT lpRect) const;

    void FillSolidRect(LPCRECT lpRect, COLORREF color);
    int SetBkMode(int nBkMode);
    COLORREF SetTextColor(COLORREF color);
    // Text in the context's default font, the application's font.
    int DrawText(const CString& str, LPRECT lpRect, UINT nFormat);
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop);
    BOOL DrawIcon(int x, int y, HICON hIcon);

    // Device pixels per pixel of the surface drawn on.
    double GetDevicePixelRatio() const;

    // The context as a message carries it, and back: the object that a
    // handle from a message stands for, kept by the ground while it is used.
    HDC GetSafeHdc() const;
    static CDC* FromHandle(HDC hDC);

protected:
    struct State;  // what the ground draws with, and the context's settings
    std::unique_ptr<State> m_pState;
};

// Painting of one WM_PAINT: begins painting the window's client area, erasing
// its background through WM_ERASEBKGND, and ends it on destruction. Made and
// dropped without drawing, it still completes the paint.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
};
