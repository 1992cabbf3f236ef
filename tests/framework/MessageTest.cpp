// Message maps, posted and sent messages, and the messages of a taken-over control.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/MsgBox.h"
#include "framework/WinApp.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/WindowContent.h"

using namespace testsupport;

namespace {

const UINT WM_TICK = WM_USER + 5;
const UINT WM_DOUBLE = WM_USER + 6;

class BaseDialog : public CDialog {
public:
    BaseDialog() : CDialog(500) {}
    std::vector<WPARAM> ticks;
    bool allOnInterfaceThread = true;

protected:
    void OnBaseCancel() { EndDialog(10); }
    LRESULT OnTick(WPARAM wParam, LPARAM) {
        ticks.push_back(wParam);
        allOnInterfaceThread = allOnInterfaceThread && AfxIsInterfaceThread();
        return 0;
    }
    LRESULT OnDouble(WPARAM wParam, LPARAM) {
        allOnInterfaceThread = allOnInterfaceThread && AfxIsInterfaceThread();
        return static_cast<LRESULT>(wParam * 2);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseDialog, CDialog)
    ON_BN_CLICKED(IDCANCEL, OnBaseCancel)
    ON_MESSAGE(WM_TICK, OnTick)
    ON_MESSAGE(WM_DOUBLE, OnDouble)
END_MESSAGE_MAP()

class DerivedDialog : public BaseDialog {
protected:
    void OnDerivedCancel() { EndDialog(20); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedDialog, BaseDialog)
    ON_BN_CLICKED(IDCANCEL, OnDerivedCancel)
END_MESSAGE_MAP()

TEST(MessageMap, DerivedTableAnswersBeforeItsBase) {
    DerivedDialog derived;
    WhenShown("甲", [](HWND w) { PressKey(w, VK_ESCAPE); });
    EXPECT_EQ(derived.DoModal(), 20);

    BaseDialog base;
    WhenShown("甲", [](HWND w) { CloseBox(w); });
    EXPECT_EQ(base.DoModal(), 10);
}

TEST(MessageMap, UnlistedCommandsFallToTheBaseClassTables) {
    DerivedDialog derived;
    WhenShown("甲", [](HWND w) { PressKey(w, VK_RETURN); });
    EXPECT_EQ(derived.DoModal(), IDOK) << "IDOK reaches the dialog's own OnOK";
}

TEST(Messages, PostsFromAWorkerArriveInOrderOnTheInterfaceThread) {
    BaseDialog dlg;
    std::thread worker;
    WhenShown("甲", [&](HWND) {
        HWND hWnd = dlg.GetSafeHwnd();
        worker = std::thread([hWnd, &dlg] {
            for (WPARAM i = 0; i < 2000; ++i) EXPECT_TRUE(::PostMessageW(hWnd, WM_TICK, i, 0));
            dlg.EndDialog(IDOK);
        });
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    worker.join();
    ASSERT_EQ(dlg.ticks.size(), 2000u);
    for (WPARAM i = 0; i < 2000; ++i) ASSERT_EQ(dlg.ticks[i], i);
    EXPECT_TRUE(dlg.allOnInterfaceThread);
}

TEST(Messages, PostingToADestroyedWindowFailsQuietly) {
    BaseDialog dlg;
    HWND hWnd = nullptr;
    WhenShown("甲", [&](HWND w) {
        hWnd = dlg.GetSafeHwnd();
        PressKey(w, VK_RETURN);
    });
    dlg.DoModal();
    ASSERT_NE(hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(hWnd));
    std::thread([hWnd] { EXPECT_FALSE(::PostMessageW(hWnd, WM_TICK, 1, 0)); }).join();
    Pump();
    EXPECT_TRUE(dlg.ticks.empty());
}

TEST(Messages, SendFromAWorkerWaitsForTheHandlersResult) {
    BaseDialog dlg;
    std::thread worker;
    LRESULT answer = 0;
    WhenShown("甲", [&](HWND) {
        worker = std::thread([&] {
            answer = dlg.SendMessage(WM_DOUBLE, 21, 0);
            dlg.EndDialog(IDOK);
        });
    });
    dlg.DoModal();
    worker.join();
    EXPECT_EQ(answer, 42);
    EXPECT_TRUE(dlg.allOnInterfaceThread);
}

// A progress control taken over by an object whose map paints it and keeps
// its own caption.
class PaintedCtrl : public CProgressCtrl {
public:
    int erases = 0;
    int lastWidth = -1, lastHeight = -1;
    CString caption;

protected:
    void OnPaint() {
        CPaintDC dc(this);
        CRect rect;
        GetClientRect(&rect);
        dc.FillSolidRect(&rect, RGB(255, 0, 0));
    }
    BOOL OnEraseBkgnd(CDC*) {
        ++erases;
        return TRUE;
    }
    void OnSize(UINT, int cx, int cy) {
        lastWidth = cx;
        lastHeight = cy;
    }
    LRESULT OnSetText(WPARAM, LPARAM lParam) {
        LRESULT r = Default();
        caption = reinterpret_cast<LPCWSTR>(lParam);
        return r;
    }
    LRESULT OnGetText(WPARAM wParam, LPARAM lParam) {
        std::wstring answer = L"map:" + caption;
        auto* buffer = reinterpret_cast<wchar_t*>(lParam);
        size_t n = std::min<size_t>(answer.size(), wParam - 1);
        answer.copy(buffer, n);
        buffer[n] = L'\0';
        return static_cast<LRESULT>(n);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(PaintedCtrl, CProgressCtrl)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
END_MESSAGE_MAP()

class ControlDialog : public CDialog {
public:
    ControlDialog() : CDialog(500) {}
    PaintedCtrl m_ctl;
    CStatic m_name;
    CButton m_check;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 1000, m_ctl);
        DDX_Control(pDX, 1003, m_name);
        DDX_Control(pDX, 1001, m_check);
    }
};

TEST(Controls, TakenOverControlGetsItsMessagesThroughItsMap) {
    ControlDialog dlg;
    CString text, nameText;
    Image painted, label;
    int checkBefore = -1, checkAfter = -1;
    WhenShown("甲", [&](HWND w) {
        dlg.m_ctl.SetWindowText(L"标题");
        wchar_t buffer[64] = {};
        dlg.m_ctl.SendMessage(WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer));
        text = buffer;
        dlg.m_name.SetWindowText(L"新名字");
        nameText = AfxGetWindowText(dlg.m_name);
        Resize(FindControl(w, 1000), 150, 30);

        painted = Grab(FindControl(w, 1000));
        label = Grab(FindControl(w, 1003));
        checkBefore = static_cast<int>(dlg.m_check.SendMessage(BM_GETCHECK));
        ClickButton(w, "查");
        checkAfter = static_cast<int>(dlg.m_check.SendMessage(BM_GETCHECK));
        PressKey(w, VK_ESCAPE);
    });
    dlg.DoModal();
    EXPECT_EQ(dlg.m_ctl.caption, L"标题");
    EXPECT_EQ(text, L"map:标题") << "the map's WM_GETTEXT answers, not the window text";
    EXPECT_EQ(nameText, L"新名字") << "a control without entries keeps the default processing";
    // WS_BORDER: WM_SIZE and the painting see the client area inside a 1-pixel frame.
    EXPECT_EQ(dlg.m_ctl.lastWidth, 148);
    EXPECT_EQ(dlg.m_ctl.lastHeight, 28);
    EXPECT_GT(dlg.m_ctl.erases, 0);
    ASSERT_FALSE(painted.Empty());
    EXPECT_EQ(painted.At(75, 15), RGB(255, 0, 0));
    EXPECT_EQ(painted.At(1, 1), RGB(255, 0, 0)) << "the client area starts inside the frame";
    EXPECT_EQ(painted.At(148, 28), RGB(255, 0, 0));
    for (POINT frame : {POINT{0, 15}, POINT{149, 15}, POINT{75, 0}, POINT{75, 29}})
        EXPECT_NE(painted.At(frame.x, frame.y), RGB(255, 0, 0)) << "frame at " << frame.x << "," << frame.y;
    ASSERT_FALSE(label.Empty());
    EXPECT_NE(label.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(checkBefore, BST_UNCHECKED);
    EXPECT_EQ(checkAfter, BST_CHECKED);
    EXPECT_EQ(dlg.m_ctl.GetSafeHwnd(), nullptr) << "the control lets go of its window with the dialog";
}

TEST(MessageBox, ShowsTheTextUnderTheApplicationTitleWithOneOkButton) {
    std::wstring shownText;
    int buttons = 0;
    bool exclamation = false;
    WhenShown(AfxGetAppName(), [&](HWND w) {
        exclamation = ShowsWarningIcon(w);
        shownText = LabelTexts(w);
        buttons = ButtonCount(w);
        PressKey(w, VK_RETURN);
    });
    EXPECT_EQ(AfxMessageBox(L"出错了"), IDOK);
    EXPECT_NE(shownText.find(L"出错了"), std::wstring::npos);
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(exclamation);
    EXPECT_EQ(std::wstring(AfxGetAppName()), L"framework_tests");
}

// Bytes a code page cannot decode travel in wide text as escapes (U+DC80 to
// U+DCFF); a window shows each of them as U+FFFD.
TEST(WindowText, BytesKeptInWideTextShowAsTheReplacementCharacter) {
    const wchar_t* kept = L"caf\xDCE9.zip";
    const std::wstring shown = L"caf\uFFFD.zip";
    ControlDialog dlg;
    std::wstring label, title, boxText;
    CString read;
    WhenShown("甲", [&](HWND w) {
        dlg.m_name.SetWindowText(kept);
        label = ControlText(w, 1003);
        read = AfxGetWindowText(dlg.m_name);
        dlg.SetWindowText(kept);
        title = WindowText(w);
        PressKey(w, VK_ESCAPE);
    });
    dlg.DoModal();
    EXPECT_EQ(label, shown);
    EXPECT_EQ(title, shown);
    EXPECT_EQ(read, L"caf\uFFFD.zip");

    WhenShown(AfxGetAppName(), [&](HWND w) {
        boxText = LabelTexts(w);
        PressKey(w, VK_RETURN);
    });
    AfxMessageBox(kept);
    EXPECT_NE(boxText.find(shown), std::wstring::npos) << Text(boxText).Utf8();
}

TEST(Resources, StringsComeFromTheModuleInForceOnly) {
    CString s;
    EXPECT_TRUE(s.LoadString(7));
    EXPECT_EQ(s, L"七");
    EXPECT_FALSE(s.LoadString(8));
    EXPECT_TRUE(s.empty());
#ifdef _WIN32
    // A module of the system's without strings or dialogs of its own.
    AfxSetResourceHandle(::GetModuleHandleW(L"ntdll.dll"));
#else
    const AFX_RESOURCE_MODULE empty = {};
    AfxSetResourceHandle(&empty);
#endif
    EXPECT_FALSE(s.LoadString(7)) << "no fall-back to the program's own module";
    CDialog dlg(500);
    EXPECT_EQ(dlg.DoModal(), -1);
    AfxSetResourceHandle(nullptr);
    EXPECT_TRUE(s.LoadString(7)) << "the program's own module is in force again";
}

}  // namespace
