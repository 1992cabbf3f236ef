#pragma once
// Device contexts over the toolkit's painter.
#include "AfxTypes.h"
#include "Resource.h"

class QPainter;
class CWnd;

#define COLOR_WINDOW 5
#define COLOR_HIGHLIGHT 13

#define SM_CXICON 11
#define SM_CYICON 12
int GetSystemMetrics(int nIndex);

// The palette's colours: COLOR_WINDOW is the base colour, COLOR_HIGHLIGHT the highlight.
COLORREF GetSysColor(int nIndex);

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    QPainter* GetPainter() const { return m_pPainter; }
    void FillSolidRect(LPCRECT rect, COLORREF color);
    BOOL DrawIcon(int x, int y, HICON hIcon);

protected:
    QPainter* m_pPainter = nullptr;
    bool m_bOwnsPainter = false;
};

// Painting of one WM_PAINT: begins painting the window, erasing its
// background through WM_ERASEBKGND, and ends it on destruction.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
};
