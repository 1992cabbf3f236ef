#pragma once
// The download dialog's percentage bar on screen, and its pixels read back
// in the bar's client coordinates.
#include <cstdlib>
#include <functional>

#include "framework/Dialog.h"
#include "tests/support/WindowContent.h"
#include "ui/TextProgressCtrl.h"

namespace testsupport {

class CountingBar : public CTextProgressCtrl {
public:
    int paints = 0;

protected:
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};

// Runs body with the bar of a download dialog on screen (painted once: before
// that nothing can paint), then ends the dialog.
void WithBar(const std::function<void(CountingBar&, HWND)>& body);

// Lets pending paints happen.
inline void Settle() {
    Pump(20);
}

inline bool Near(COLORREF a, COLORREF b, int tolerance = 40) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// The bar as shown, in device pixels, addressed in client coordinates (the
// frame is one pixel wide).
struct Shot {
    Image image;
    COLORREF At(double x, double y) const { return image.At(int((x + 1) * image.ratio), int((y + 1) * image.ratio)); }
    bool operator==(const Shot& o) const { return image == o.image; }
};

inline Shot GrabBar(HWND bar) {
    return {Grab(bar)};
}

CRect Client(CTextProgressCtrl& bar);

// Where the centred text's glyphs can lie, in client coordinates.
inline CRect TextIn(CTextProgressCtrl& bar, const Text& text) {
    return TextBox(bar.GetSafeHwnd(), Client(bar), text);
}

inline bool IsEmpty(const CRect& r) {
    return r.Width() <= 0 || r.Height() <= 0;
}
CRect Intersect(const CRect& a, const CRect& b);

// Counts the pixels of a client area near a colour.
int CountNear(const Shot& shot, const CRect& area, COLORREF color, int tolerance = 40);
// Counts the pixels of a client area that text of colour `text` tints away
// from the ground it is drawn on: glyphs smoothed into the ground count, text
// of the ground's own colour does not.
int CountTinted(const Shot& shot, const CRect& area, COLORREF text, COLORREF ground);

}  // namespace testsupport
