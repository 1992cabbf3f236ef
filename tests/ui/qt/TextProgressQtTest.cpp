// The bar as the toolkit's screen-reader bridge and its pixel ratio show it:
// what only the Linux ground has.
#include <gtest/gtest.h>

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessible>
#include <QWidget>

#include <vector>

#include "tests/support/qt/Widgets.h"
#include "tests/ui/BarScene.h"

using namespace testsupport;

namespace {

std::vector<QVariant> g_valueEvents;

// What a screen reader that has connected sees: the platform's accessibility
// is active and every update is passed on.
class ReaderListening {
public:
    ReaderListening() : m_pPlatform(QGuiApplicationPrivate::platformIntegration()->accessibility()) {
        if (m_pPlatform) m_pPlatform->setActive(true);
        m_previous = QAccessible::installUpdateHandler([](QAccessibleEvent* e) {
            if (e->type() == QAccessible::ValueChanged)
                g_valueEvents.push_back(static_cast<QAccessibleValueChangeEvent*>(e)->value());
        });
    }
    ~ReaderListening() {
        QAccessible::installUpdateHandler(m_previous);
        if (m_pPlatform) m_pPlatform->setActive(false);
    }

private:
    QPlatformAccessibility* m_pPlatform;
    QAccessible::UpdateHandler m_previous;
};

TEST(BarAccessible, ReadsAsAProgressBarWithItsValueRangeAndShownText) {
    WithBar([](CountingBar& bar, HWND w) {
        g_valueEvents.clear();
        {
            ReaderListening reader;
            bar.SetPos(40);
            bar.SetPos(40);
        }
        ASSERT_EQ(g_valueEvents.size(), 1u) << "one change, one notice";
        EXPECT_EQ(g_valueEvents[0].toInt(), 40);

        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(WidgetOf(w));
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), QAccessible::ProgressBar);
        QAccessibleValueInterface* value = iface->valueInterface();
        ASSERT_NE(value, nullptr);
        bar.m_nMax = 200;
        EXPECT_EQ(value->currentValue().toInt(), 40);
        EXPECT_EQ(value->minimumValue().toInt(), 0);
        EXPECT_EQ(value->maximumValue().toInt(), 200);
        EXPECT_EQ(iface->text(QAccessible::Value), "20%");
        bar.SetWindowText(L"下载中");
        EXPECT_EQ(iface->text(QAccessible::Value), "下载中");
    });
}

// Run once as is and once with QT_SCALE_FACTOR=2.
TEST(HighDpi, TheBarIsDrawnAtTheScreensPixelRatio) {
    const double ratio = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
    WithBar([&](CountingBar& bar, HWND w) {
        QWidget* dialog = WidgetOf(w)->window();
        EXPECT_EQ(dialog->grab().size(), dialog->size() * ratio);
        bar.SetWindowText(L"田");
        bar.SetPos(37);
        Shot shot = GrabBar(w);
        EXPECT_EQ(shot.image.ratio, ratio);
        // The fill's edge lies on a device pixel, with nothing blended at it.
        int edge = int((1 + Client(bar).Width() * 37 / 100) * ratio);
        EXPECT_EQ(shot.image.At(edge - 1, int(ratio)), bar.m_crBar);
        EXPECT_EQ(shot.image.At(edge, int(ratio)), bar.m_crBackground);
        // A surface drawn at the lower ratio and scaled up would repeat every
        // pixel ratio times; the glyph has detail of its own in device pixels.
        CRect text = TextIn(bar, "田");  // moved past the frame
        int detailed = 0;
        for (int y = text.top + 1; y <= text.bottom; ++y)
            for (int x = text.left + 1; x <= text.right; ++x) {
                COLORREF first = shot.image.At(int(x * ratio), int(y * ratio));
                detailed += first != shot.image.At(int(x * ratio + ratio - 1), int(y * ratio + ratio - 1));
            }
        EXPECT_TRUE(ratio == 1 || detailed > 0);
    });
}

}  // namespace
