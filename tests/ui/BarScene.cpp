#include "BarScene.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "res/resource.h"

namespace testsupport {

void CountingBar::OnPaint() {
    ++paints;
    CTextProgressCtrl::OnPaint();
}

BEGIN_MESSAGE_MAP(CountingBar, CTextProgressCtrl)
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {
class BarDialog : public CDialog {
public:
    BarDialog() : CDialog(IDD_DERAVIZIZIVU_DIALOG) {}
    CountingBar m_bar;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_PROGRESS, m_bar); }
};
}  // namespace

void WithBar(const std::function<void(CountingBar&, HWND)>& body) {
    BarDialog dlg;
    WhenShown("词典下载", [&](HWND w) {
        EXPECT_TRUE(PumpUntil([&] { return dlg.m_bar.paints > 0; }));
        body(dlg.m_bar, FindControl(w, IDC_PROGRESS));
        dlg.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
}

CRect Client(CTextProgressCtrl& bar) {
    CRect rect;
    bar.GetClientRect(&rect);
    return rect;
}

CRect Intersect(const CRect& a, const CRect& b) {
    return CRect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom));
}

int CountNear(const Shot& shot, const CRect& area, COLORREF color, int tolerance) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) n += Near(shot.At(x, y), color, tolerance);
    return n;
}

namespace {
int Distance(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}
}  // namespace

int CountTinted(const Shot& shot, const CRect& area, COLORREF text, COLORREF ground) {
    const int margin = Distance(text, ground) / 4;
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) n += Distance(shot.At(x, y), text) + margin < Distance(ground, text);
    return n;
}

}  // namespace testsupport
