// The download dialog's percentage bar, painted in the real dialog template
// and read back pixel by pixel.
#include <gtest/gtest.h>

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <functional>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "ui/TextProgressCtrl.h"

using namespace testsupport;

namespace {

class CountingBar : public CTextProgressCtrl {
public:
    int paints = 0;

protected:
    void OnPaint() {
        ++paints;
        CTextProgressCtrl::OnPaint();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CountingBar, CTextProgressCtrl)
    ON_WM_PAINT()
END_MESSAGE_MAP()

class BarDialog : public CDialog {
public:
    BarDialog() : CDialog(IDD_DERAVIZIZIVU_DIALOG) {}
    CountingBar m_bar;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_PROGRESS, m_bar); }
};

// Runs body with the bar of a download dialog on screen (painted once: before
// that nothing can paint), then ends the dialog.
void WithBar(const std::function<void(CountingBar&, QWidget*)>& body) {
    BarDialog dlg;
    WhenShown("词典下载", [&](QWidget* w) {
        EXPECT_TRUE(PumpUntil([&] { return dlg.m_bar.paints > 0; }));
        body(dlg.m_bar, FindControl(w, IDC_PROGRESS));
        dlg.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
}

// Lets pending paints happen.
void Settle() {
    QTest::qWait(20);
}

QColor Color(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

bool Near(QColor a, QColor b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// The bar as shown, in device pixels, addressed in client coordinates.
struct Shot {
    QImage image;
    double ratio;
    QColor At(double x, double y) const { return image.pixelColor(int((x + 1) * ratio), int((y + 1) * ratio)); }
    bool operator==(const Shot& o) const { return image == o.image; }
};

Shot Grab(QWidget* bar) {
    QImage image = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return {image, image.devicePixelRatio()};
}

CRect Client(CTextProgressCtrl& bar) {
    CRect rect;
    bar.GetClientRect(&rect);
    return rect;
}

// Where the centred text's glyphs can lie, in client coordinates.
QRect TextBox(CTextProgressCtrl& bar, const QString& text) {
    CRect c = Client(bar);
    return QFontMetrics(QApplication::font())
        .boundingRect(QRect(0, 0, c.Width(), c.Height()), Qt::AlignCenter | Qt::TextSingleLine, text);
}

// Counts the pixels of a client area near a colour.
int CountNear(const Shot& shot, QRect area, QColor color, int tolerance = 40) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += Near(shot.At(x, y), color, tolerance);
    return n;
}

struct Position {
    const char* name;
    int pos, min, max;
    const char* shown;  // the text the bar must show
};

class BarPosition : public testing::TestWithParam<Position> {};

TEST_P(BarPosition, FillsItsShareAndShowsThePercentageInTheColourOfThePartUnderIt) {
    const Position& p = GetParam();
    WithBar([&](CountingBar& bar, QWidget* w) {
        bar.m_nMin = p.min;
        bar.m_nMax = p.max;
        bar.SetPos(p.pos);
        Shot shot = Grab(w);
        CRect client = Client(bar);
        double f = double(p.pos - p.min) / (p.max - p.min);
        int filled = std::min<int>(client.Width(), int(client.Width() * f));
        QRect text = TextBox(bar, p.shown);
        ASSERT_GT(text.top(), 0) << "row 0 must be free of text";
        for (int x = 0; x < client.Width(); ++x)
            ASSERT_EQ(shot.At(x, 0), Color(x < filled ? bar.m_crBar : bar.m_crBackground)) << "column " << x;
        QRect overBar = text.intersected(QRect(0, 0, filled, client.Height()));
        QRect overRest = text.intersected(QRect(filled, 0, client.Width() - filled, client.Height()));
        EXPECT_TRUE(overBar.isEmpty() || CountNear(shot, overBar, Color(bar.m_crTextOnBar)) > 0);
        EXPECT_TRUE(overRest.isEmpty() || CountNear(shot, overRest, Color(bar.m_crTextOnBackground)) > 0);

        bar.SetWindowText(QString(p.shown).toStdWString().c_str());
        EXPECT_TRUE(Grab(w) == shot) << "the bar must show \"" << p.shown << "\"";
    });
}

INSTANTIATE_TEST_SUITE_P(Positions, BarPosition,
                         testing::Values(Position{"Empty", 0, 0, 100, "0%"}, Position{"Full", 100, 0, 100, "100%"},
                                         Position{"AboveTheMaximum", 150, 0, 100, "150%"},
                                         Position{"TwoOfThree", 2, 0, 3, "66%"}),
                         [](const testing::TestParamInfo<Position>& i) { return i.param.name; });

TEST(BarText, OneCharacterAcrossTheFillEdgeShowsBothColours) {
    WithBar([](CountingBar& bar, QWidget* w) {
        bar.SetWindowText(L"田");
        bar.SetPos(50);
        Shot shot = Grab(w);
        QRect text = TextBox(bar, "田");
        int edge = Client(bar).Width() / 2;
        ASSERT_TRUE(text.left() < edge && edge < text.right());
        EXPECT_GT(CountNear(shot, QRect(QPoint(text.left(), text.top()), QPoint(edge - 1, text.bottom())),
                            Color(bar.m_crTextOnBar)),
                  0);
        EXPECT_GT(CountNear(shot, QRect(QPoint(edge, text.top()), text.bottomRight()), Color(bar.m_crTextOnBackground)),
                  0);
    });
}

TEST(BarText, PartOfTheBarRepaintsLikeTheWhole) {
    WithBar([](CountingBar& bar, QWidget* w) {
        bar.SetWindowText(L"田田田");
        bar.SetPos(50);
        Shot whole = Grab(w);
        QRect part = TextBox(bar, "田田田").translated(1, 1).adjusted(4, 0, -4, 0);
        QImage partial(whole.image.size(), QImage::Format_RGB32);
        partial.setDevicePixelRatio(whole.ratio);
        partial.fill(Qt::magenta);
        w->render(&partial, part.topLeft(), QRegion(part));
        QRect device(part.topLeft() * whole.ratio, part.size() * whole.ratio);
        EXPECT_TRUE(partial.copy(device) == whole.image.copy(device));
    });
}

TEST(BarText, CaptionReplacesThePercentageAndPaintsWithTheNextUpdate) {
    WithBar([](CountingBar& bar, QWidget* w) {
        bar.SetPos(40);
        Settle();
        Shot percentage = Grab(w);
        int before = bar.paints;
        bar.SetWindowText(L"下载中");
        EXPECT_EQ(bar.paints, before) << "a caption only invalidates";
        EXPECT_TRUE(PumpUntil([&] { return bar.paints > before; }));
        EXPECT_FALSE(Grab(w) == percentage);

        before = bar.paints;
        bar.SetWindowText(L"下载中");
        Settle();
        EXPECT_EQ(bar.paints, before) << "the same caption again repaints nothing";

        for (LPCWSTR none : {L"", static_cast<LPCWSTR>(nullptr)}) {
            bar.SetWindowText(L"下载中");
            Settle();
            before = bar.paints;
            bar.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(none));
            EXPECT_TRUE(PumpUntil([&] { return bar.paints > before; }));
            EXPECT_TRUE(Grab(w) == percentage) << "the percentage is back";
        }
    });
}

struct GetText {
    const char* name;
    const wchar_t* caption;
    size_t bufferSize;
    const wchar_t* expected;
};

class BarGetText : public testing::TestWithParam<GetText> {};

TEST_P(BarGetText, AnswersTheCaptionBoundedAndTerminated) {
    const GetText& t = GetParam();
    WithBar([&](CountingBar& bar, QWidget*) {
        bar.SetPos(40);
        if (t.caption) bar.SetWindowText(t.caption);
        std::vector<wchar_t> buffer(8, L'#');
        LRESULT copied = bar.SendMessage(WM_GETTEXT, t.bufferSize, reinterpret_cast<LPARAM>(buffer.data()));
        size_t n = std::wcslen(t.expected);
        EXPECT_EQ(copied, static_cast<LRESULT>(n));
        EXPECT_EQ(std::wstring(buffer.data(), n), t.expected);
        EXPECT_TRUE(t.bufferSize == 0 || buffer[n] == L'\0') << "terminated";
        for (size_t i = std::max<size_t>(t.bufferSize, 1); i < buffer.size(); ++i) EXPECT_EQ(buffer[i], L'#') << i;
    });
}

INSTANTIATE_TEST_SUITE_P(Buffers, BarGetText,
                         testing::Values(GetText{"Whole", L"进度条标题", 8, L"进度条标题"},
                                         GetText{"Truncated", L"进度条标题", 3, L"进度"},
                                         GetText{"OnlyTheTerminator", L"进度条标题", 1, L""},
                                         GetText{"NoBuffer", L"进度条标题", 0, L""},
                                         GetText{"NoCaptionNotThePercentage", nullptr, 8, L""}),
                         [](const testing::TestParamInfo<GetText>& i) { return i.param.name; });

TEST(BarRepaint, APositionThatMovesTheEdgePaintsBeforeSetPosReturns) {
    WithBar([](CountingBar& bar, QWidget*) {
        int before = bar.paints;
        EXPECT_EQ(bar.SetPos(30), 0);
        EXPECT_EQ(bar.paints, before + 1);
        EXPECT_EQ(bar.SetPos(30), 30);
        EXPECT_EQ(bar.paints, before + 1);
    });
}

TEST(BarRepaint, TwoPositionsOnOnePixelPaintOnce) {
    WithBar([](CountingBar& bar, QWidget* w) {
        w->resize(52, w->height());  // client 50 wide: two positions per pixel
        Settle();
        bar.SetPos(10);
        int before = bar.paints;
        EXPECT_EQ(bar.SetPos(11), 10);
        EXPECT_EQ(bar.paints, before);
        EXPECT_EQ(bar.m_nPos, 11);
    });
}

TEST(BarRepaint, AResizeMakesTheNextSetPosPaint) {
    WithBar([](CountingBar& bar, QWidget* w) {
        bar.SetPos(50);
        w->resize(w->width(), w->height() + 4);  // the filled width stays the same
        Settle();
        int before = bar.paints;
        bar.SetPos(50);
        EXPECT_EQ(bar.paints, before + 1);
    });
}

TEST(BarRange, AnEmptyRangePaintsNothingAndStillEndsThePaint) {
    WithBar([](CountingBar& bar, QWidget* w) {
        QColor window = QApplication::palette().color(QPalette::Window);
        ASSERT_NE(window, Color(bar.m_crBar));
        ASSERT_NE(window, Color(bar.m_crBackground));
        bar.SetPos(40);
        bar.m_nMin = 50;
        bar.m_nMax = 50;
        int before = bar.paints;
        EXPECT_EQ(bar.SetPos(70), 40);
        EXPECT_EQ(bar.paints, before) << "nothing to paint for an empty range";
        bar.RedrawWindow();
        EXPECT_EQ(bar.paints, before + 1);
        Settle();
        EXPECT_EQ(bar.paints, before + 1) << "the paint was completed, no other is asked for";
        Shot shot = Grab(w);
        CRect client = Client(bar);
        QRect all(0, 0, client.Width(), client.Height());
        EXPECT_EQ(CountNear(shot, all, Color(bar.m_crBar), 0) + CountNear(shot, all, Color(bar.m_crBackground), 0), 0);
    });
}

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
    WithBar([](CountingBar& bar, QWidget* w) {
        g_valueEvents.clear();
        {
            ReaderListening reader;
            bar.SetPos(40);
            bar.SetPos(40);
        }
        ASSERT_EQ(g_valueEvents.size(), 1u) << "one change, one notice";
        EXPECT_EQ(g_valueEvents[0].toInt(), 40);

        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
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

// Bytes a code page cannot decode travel in wide text as escapes (U+DC80 to
// U+DCFF); the bar paints and reads each of them as U+FFFD.
TEST(BarText, BytesKeptInWideTextShowAsTheReplacementCharacter) {
    WithBar([](CountingBar& bar, QWidget* w) {
        bar.SetPos(40);
        bar.SetWindowText(L"caf\uFFFD\uFFFD");
        Settle();
        const Shot replaced = Grab(w);
        bar.SetWindowText(L"caf\xDCE9\xDCFF");
        Settle();
        EXPECT_TRUE(Grab(w) == replaced) << "painted as U+FFFD";
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->text(QAccessible::Value), QString::fromWCharArray(L"caf\uFFFD\uFFFD"));
    });
}

// Run once as is and once with QT_SCALE_FACTOR=2.
TEST(HighDpi, TheBarIsDrawnAtTheScreensPixelRatio) {
    const double ratio = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
    WithBar([&](CountingBar& bar, QWidget* w) {
        QWidget* dialog = w->window();
        EXPECT_EQ(dialog->grab().size(), dialog->size() * ratio);
        bar.SetWindowText(L"田");
        bar.SetPos(37);
        Shot shot = Grab(w);
        EXPECT_EQ(shot.ratio, ratio);
        // The fill's edge lies on a device pixel, with nothing blended at it.
        int edge = int((1 + Client(bar).Width() * 37 / 100) * ratio);
        EXPECT_EQ(shot.image.pixelColor(edge - 1, int(ratio)), Color(bar.m_crBar));
        EXPECT_EQ(shot.image.pixelColor(edge, int(ratio)), Color(bar.m_crBackground));
        // A surface drawn at the lower ratio and scaled up would repeat every
        // pixel ratio times; the glyph has detail of its own in device pixels.
        QRect text = TextBox(bar, "田").translated(1, 1);
        int detailed = 0;
        for (int y = text.top(); y <= text.bottom(); ++y)
            for (int x = text.left(); x <= text.right(); ++x) {
                QColor first = shot.image.pixelColor(int(x * ratio), int(y * ratio));
                detailed += first != shot.image.pixelColor(int(x * ratio + ratio - 1), int(y * ratio + ratio - 1));
            }
        EXPECT_TRUE(ratio == 1 || detailed > 0);
    });
}

}  // namespace
