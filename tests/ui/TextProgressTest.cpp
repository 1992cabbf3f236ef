// The download dialog's percentage bar, painted in the real dialog template
// and read back pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>
#include <vector>

#include "framework/Gdi.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/WindowContent.h"
#include "tests/ui/BarScene.h"

using namespace testsupport;

namespace {

struct Position {
    const char* name;
    int pos, min, max;
    const char* shown;  // the text the bar must show
};

class BarPosition : public testing::TestWithParam<Position> {};

TEST_P(BarPosition, FillsItsShareAndShowsThePercentageInTheColourOfThePartUnderIt) {
    const Position& p = GetParam();
    WithBar([&](CountingBar& bar, HWND w) {
        bar.m_nMin = p.min;
        bar.m_nMax = p.max;
        bar.SetPos(p.pos);
        Shot shot = GrabBar(w);
        CRect client = Client(bar);
        double f = double(p.pos - p.min) / (p.max - p.min);
        int filled = std::min<int>(client.Width(), int(client.Width() * f));
        CRect text = TextIn(bar, p.shown);
        ASSERT_GT(text.top, 0) << "row 0 must be free of text";
        for (int x = 0; x < client.Width(); ++x)
            ASSERT_EQ(shot.At(x, 0), x < filled ? bar.m_crBar : bar.m_crBackground) << "column " << x;
        CRect overBar = Intersect(text, CRect(0, 0, filled, client.Height()));
        CRect overRest = Intersect(text, CRect(filled, 0, client.Width(), client.Height()));
        EXPECT_TRUE(IsEmpty(overBar) || CountTinted(shot, overBar, bar.m_crTextOnBar, bar.m_crBar) > 0);
        EXPECT_TRUE(IsEmpty(overRest) || CountTinted(shot, overRest, bar.m_crTextOnBackground, bar.m_crBackground) > 0);

        bar.SetWindowText(Text(p.shown).Wide().c_str());
        EXPECT_TRUE(GrabBar(w) == shot) << "the bar must show \"" << p.shown << "\"";
    });
}

INSTANTIATE_TEST_SUITE_P(Positions, BarPosition,
                         testing::Values(Position{"Empty", 0, 0, 100, "0%"}, Position{"Full", 100, 0, 100, "100%"},
                                         Position{"AboveTheMaximum", 150, 0, 100, "150%"},
                                         Position{"TwoOfThree", 2, 0, 3, "66%"}),
                         [](const testing::TestParamInfo<Position>& i) { return i.param.name; });

TEST(BarText, OneCharacterAcrossTheFillEdgeShowsBothColours) {
    WithBar([](CountingBar& bar, HWND w) {
        bar.SetWindowText(L"田");
        bar.SetPos(50);
        Shot shot = GrabBar(w);
        CRect text = TextIn(bar, "田");
        int edge = Client(bar).Width() / 2;
        ASSERT_TRUE(text.left < edge && edge < text.right - 1);
        EXPECT_GT(CountTinted(shot, CRect(text.left, text.top, edge, text.bottom), bar.m_crTextOnBar, bar.m_crBar), 0);
        EXPECT_GT(CountTinted(shot, CRect(edge, text.top, text.right, text.bottom), bar.m_crTextOnBackground,
                              bar.m_crBackground), 0);
    });
}

TEST(BarText, PartOfTheBarRepaintsLikeTheWhole) {
    WithBar([](CountingBar& bar, HWND w) {
        bar.SetWindowText(L"田田田");
        bar.SetPos(50);
        Shot whole = GrabBar(w);
        CRect text = TextIn(bar, "田田田");  // moved past the frame, less 4 pixels each side
        CRect part(text.left + 5, text.top + 1, text.right - 3, text.bottom + 1);
        Image partial = RepaintPart(w, part);
        const double r = whole.image.ratio;
        const int left = int(std::lround(part.left * r)), top = int(std::lround(part.top * r));
        CRect device(left, top, left + int(std::lround(part.Width() * r)), top + int(std::lround(part.Height() * r)));
        EXPECT_TRUE(partial.Part(device) == whole.image.Part(device));
    });
}

TEST(BarText, CaptionReplacesThePercentageAndPaintsWithTheNextUpdate) {
    WithBar([](CountingBar& bar, HWND w) {
        bar.SetPos(40);
        Settle();
        Shot percentage = GrabBar(w);
        int before = bar.paints;
        bar.SetWindowText(L"下载中");
        EXPECT_EQ(bar.paints, before) << "a caption only invalidates";
        EXPECT_TRUE(PumpUntil([&] { return bar.paints > before; }));
        EXPECT_FALSE(GrabBar(w) == percentage);

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
            EXPECT_TRUE(GrabBar(w) == percentage) << "the percentage is back";
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
    WithBar([&](CountingBar& bar, HWND) {
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
    WithBar([](CountingBar& bar, HWND) {
        int before = bar.paints;
        EXPECT_EQ(bar.SetPos(30), 0);
        EXPECT_EQ(bar.paints, before + 1);
        EXPECT_EQ(bar.SetPos(30), 30);
        EXPECT_EQ(bar.paints, before + 1);
    });
}

TEST(BarRepaint, TwoPositionsOnOnePixelPaintOnce) {
    WithBar([](CountingBar& bar, HWND w) {
        Resize(w, 52, WindowSize(w).Height());  // client 50 wide: two positions per pixel
        Settle();
        bar.SetPos(10);
        int before = bar.paints;
        EXPECT_EQ(bar.SetPos(11), 10);
        EXPECT_EQ(bar.paints, before);
        EXPECT_EQ(bar.m_nPos, 11);
    });
}

TEST(BarRepaint, AResizeMakesTheNextSetPosPaint) {
    WithBar([](CountingBar& bar, HWND w) {
        bar.SetPos(50);
        Resize(w, WindowSize(w).Width(), WindowSize(w).Height() + 4);  // the filled width stays the same
        Settle();
        int before = bar.paints;
        bar.SetPos(50);
        EXPECT_EQ(bar.paints, before + 1);
    });
}

TEST(BarRange, AnEmptyRangePaintsNothingAndStillEndsThePaint) {
    WithBar([](CountingBar& bar, HWND w) {
        COLORREF window = DialogColor();
        ASSERT_NE(window, bar.m_crBar);
        ASSERT_NE(window, bar.m_crBackground);
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
        Shot shot{RepaintPart(w, WindowSize(w))};
        CRect client = Client(bar);
        CRect all(0, 0, client.Width(), client.Height());
        EXPECT_EQ(CountNear(shot, all, bar.m_crBar, 0) + CountNear(shot, all, bar.m_crBackground, 0), 0);
    });
}

// Bytes a code page cannot decode travel in wide text as escapes (U+DC80 to
// U+DCFF); the bar paints and reads each of them as U+FFFD.
TEST(BarText, BytesKeptInWideTextShowAsTheReplacementCharacter) {
    WithBar([](CountingBar& bar, HWND w) {
        bar.SetPos(40);
        bar.SetWindowText(L"caf\uFFFD\uFFFD");
        Settle();
        const Shot replaced = GrabBar(w);
        bar.SetWindowText(L"caf\xDCE9\xDCFF");
        Settle();
        EXPECT_TRUE(GrabBar(w) == replaced) << "painted as U+FFFD";
        EXPECT_EQ(AccessibleText(w), L"caf\uFFFD\uFFFD");
    });
}

}  // namespace
