// Modal runs, their endings and their keys, across threads; the end of a worker.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <thread>

#include "framework/Dialog.h"
#include "framework/Thread.h"
#include "tests/support/DialogDriver.h"

using namespace testsupport;

namespace {

class TestDialog : public CDialog {
public:
    explicit TestDialog(UINT id = 500) : CDialog(id) {}
    std::function<void(TestDialog&)> onInit;
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (onInit) onInit(*this);
        return TRUE;
    }
};

struct Answer {
    const char* name;
    std::function<void(HWND)> act;
    INT_PTR expected;
};

class ModalAnswer : public testing::TestWithParam<Answer> {};

TEST_P(ModalAnswer, EndsTheRunWithTheButtonsId) {
    TestDialog dlg;
    WhenShown("甲", GetParam().act);
    EXPECT_EQ(dlg.DoModal(), GetParam().expected);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr) << "the window is gone once the run returns";
    EXPECT_EQ(FindShown("甲"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ModalAnswer,
    testing::Values(Answer{"EnterPressesTheDefaultButton", [](HWND w) { PressKey(w, VK_RETURN); }, IDOK},
                    Answer{"EscapeCancels", [](HWND w) { PressKey(w, VK_ESCAPE); }, IDCANCEL},
                    Answer{"CloseBoxCancels", [](HWND w) { CloseBox(w); }, IDCANCEL},
                    Answer{"CancelButton", [](HWND w) { ClickButton(w, "取消"); }, IDCANCEL},
                    Answer{"OkButton", [](HWND w) { ClickButton(w, "好"); }, IDOK},
                    // The keyboard alone reaches and presses every button.
                    Answer{"TabThenEnterPressesTheNextButton",
                           [](HWND w) {
                               PressKey(w, VK_TAB);
                               PressKey(w, VK_RETURN);
                           },
                           IDCANCEL},
                    Answer{"TabThenSpacePressesTheNextButton",
                           [](HWND w) {
                               PressKey(w, VK_TAB);
                               PressKey(w, VK_SPACE);
                           },
                           IDCANCEL},
                    Answer{"SpacePressesTheFocusedButton", [](HWND w) { PressKey(w, VK_SPACE); }, IDOK}),
    [](const testing::TestParamInfo<Answer>& p) { return p.param.name; });

TEST(Dialog, EnterWithoutAnyButtonSendsIdOk) {
    TestDialog dlg(502);
    WhenShown("丙", [](HWND w) { PressKey(w, kKeypadEnter); });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST(Dialog, MissingTemplateAnswersMinusOneWithoutAWindow) {
    TestDialog dlg(999);
    bool initialised = false;
    dlg.onInit = [&](TestDialog&) { initialised = true; };
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_FALSE(initialised);
}

TEST(Dialog, EndDialogFromAWorkerEndsTheRun) {
    TestDialog dlg;
    std::thread worker;
    dlg.onInit = [&](TestDialog& d) { worker = std::thread([&d] { d.EndDialog(7); }); };
    EXPECT_EQ(dlg.DoModal(), 7);
    worker.join();
}

TEST(Dialog, EndDialogInsideInitDialogNeverShowsTheWindow) {
    TestDialog dlg;
    bool everShown = false;
    dlg.onInit = [&](TestDialog& d) { d.EndDialog(5); };
    WhenShown(
        "甲", [&](HWND) { everShown = true; }, 200);
    EXPECT_EQ(dlg.DoModal(), 5);
    Pump();
    EXPECT_FALSE(everShown);
}

TEST(Dialog, WorkerRunsADialogAndWaitsForTheAnswer) {
    // The worker's dialog and one of the interface thread are open together
    // and are answered in the opposite order of their opening.
    TestDialog main(500);
    std::atomic<INT_PTR> workerAnswer{0};
    INT_PTR nestedAnswer = 0;
    std::thread worker;
    main.onInit = [&](TestDialog&) {
        worker = std::thread([&] {
            TestDialog fromWorker(501);
            workerAnswer = fromWorker.DoModal();
        });
    };
    WhenShown("乙", [&](HWND workerWindow) {
        WhenShown("丙", [&](HWND nestedWindow) {
            PressKey(workerWindow, VK_ESCAPE);
            PumpUntil([&] { return workerAnswer != 0; });
            PressKey(nestedWindow, VK_RETURN);
        });
        TestDialog nested(502);
        nestedAnswer = nested.DoModal();
        main.EndDialog(3);
    });
    EXPECT_EQ(main.DoModal(), 3);
    worker.join();
    EXPECT_EQ(workerAnswer.load(), IDCANCEL);
    EXPECT_EQ(nestedAnswer, IDOK);
}

// A worker whose function throws ends as one that returned: the process goes
// on, and the worker no longer counts as running.
TEST(Thread, WorkerThatThrowsEndsAsIfItReturned) {
    EXPECT_EXIT(
        {
            AfxBeginThread([](LPVOID) -> UINT { throw std::runtime_error("the transfer failed"); }, nullptr);
            std::exit(AfxWaitForRunningThreads(5000) ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(Dialog, EndingTheOuterDialogEndsARunOpenedInsideIt) {
    TestDialog outer(500);
    INT_PTR innerAnswer = 0;
    std::thread worker;
    WhenShown("甲", [&](HWND) {
        WhenShown("乙", [&](HWND) { worker = std::thread([&] { outer.EndDialog(4); }); });
        TestDialog inner(501);
        innerAnswer = inner.DoModal();
    });
    EXPECT_EQ(outer.DoModal(), 4);
    worker.join();
    EXPECT_EQ(innerAnswer, IDCANCEL);
}

}  // namespace
