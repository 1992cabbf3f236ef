// Whole runs of the download window as a user meets them: the real start-up
// and application object, a loopback package server whose attempts the test
// holds and lets go, and input through the window system, so that a window
// blocked by a modal one takes none.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "app/DeRavizizivuApp.h"
#include "install/MainAppProcess.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/DownloadScene.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/PrivateBus.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/StandIn.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowWatch.h"
#include "transfer/Progress.h"
#include "transfer/TransferRequest.h"
#include "ui/DAzOredavedidEzi.h"

using namespace testsupport;

namespace {

const std::wstring kDownload = L"词典下载";
const std::wstring kConfirm = L"确认退出";
const std::wstring kError = L"错误";
const std::wstring kInstall = L"安装";
const size_t kSize = 400000;

// How the package server answers one attempt; a held attempt stops halfway
// until the test lets it go on, a stalled one sends its head and then nothing
// until the client gives up on it.
enum class Attempt { Whole, Broken, HeldThenWhole, HeldThenBroken, Stalled };

DAzOredavedidEzi* Dialog() {
    return static_cast<DAzOredavedidEzi*>(theApp.m_pMainWnd);
}
// What the bar shows while the dialog is on the screen; -1 otherwise.
int Bar() {
    HWND dlg = Dialog() ? Dialog()->GetSafeHwnd() : nullptr;
    return ::IsWindow(dlg) ? static_cast<int>(::SendMessageW(::GetDlgItem(dlg, IDC_PROGRESS), PBM_GETPOS, 0, 0)) : -1;
}
// A held attempt stands at exactly half. (The first post may read 100 before
// the server has given the size, so "at least half" would come too early.)
bool HeldHalfway() {
    return Bar() == 50;
}
bool Showing(const std::wstring& caption) {
    return FindShown(caption) != nullptr;
}
std::wstring Button() {
    HWND w = FindShown(kDownload);
    return w ? ControlText(w, IDCANCEL) : std::wstring();
}
// The done state as the button handler sees it: the caption comes first,
// then the flag, and a press between the two still asks for confirmation;
// the worker ends once it has set both.
bool Done() {
    return Button() == L"完成" && AfxWaitForRunningThreads(0);
}
std::function<void()> Press(std::wstring caption, int key) {
    return [=] { PressKey(FindShown(caption), key); };
}

// The install step after the done state: "确定" with nothing ticked.
Step Install() {
    return {"the install step", [] { return Showing(kInstall); }, Press(kInstall, VK_RETURN)};
}

class Run : public testing::Test, protected DownloadScene {
protected:
    void SetUp() override {
        ASSERT_TRUE(Enter());
        ProgressHighWater = 0;
        server.SetHandler([this](const HttpRequest& request, HttpConnection& conn) { Answer(request, conn); });
    }
    void TearDown() override {
        Release();
        Leave();
    }

    void Answer(const HttpRequest& request, HttpConnection& conn) {
        if (request.target.find("dict.php") != std::string::npos) {
            ++queries;
            paintedAtQuery = shown.Paints() > 0;
            return SendReply(conn,
                             Reply{.body = packageUrl.empty() ? server.BaseUrl() + "/packages/dict.zip" : packageUrl});
        }
        Attempt a = plan.at(std::min<size_t>(attempts++, plan.size() - 1));
        if (a == Attempt::Whole) return SendReply(conn, Reply{.body = Pattern(kSize)});
        conn.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kSize) + "\r\n\r\n");
        if (a == Attempt::Stalled) {
            if (conn.WaitForHangUp(std::chrono::seconds(20))) ++stallsGivenUp;
            return conn.Close();
        }
        conn.Send(Pattern(kSize).substr(0, kSize / 2));
        if (a == Attempt::HeldThenWhole || a == Attempt::HeldThenBroken) {
            std::unique_lock lock(holdMutex);
            released.wait(lock, [this] { return isReleased; });
        }
        if (a == Attempt::Broken || a == Attempt::HeldThenBroken) return conn.Close();
        conn.Send(Pattern(kSize).substr(kSize / 2));
    }

    void Release() {
        std::lock_guard lock(holdMutex);
        isReleased = true;
        released.notify_all();
    }

    // Starts the program as the dictionary application does and plays the
    // user's steps, watching the bar; returns when the program would end.
    void Launch(std::vector<Step> steps) {
        Ticker sampler(1, [this] {  // what the bar shows, as often as the user could look
            if (Bar() >= 0) bar.push_back(Bar());
        });
        RunProgram({"http://127.0.0.1:9/unused.zip", dest / "dict.zip", "12#345", "测试词典", "1"}, std::move(steps));
        Pump();
        for (const std::wstring& caption : ShownCaptions()) ADD_FAILURE() << Text(caption).Utf8() << " is still open";
    }

    bool Placed() { return ReadFile(dest / "dict.zip") == Pattern(kSize); }

    std::vector<Attempt> plan;
    std::string packageUrl;  // the service's answer; this server's package when empty
    std::atomic<size_t> attempts{0};
    std::atomic<int> queries{0};
    std::atomic<bool> paintedAtQuery{false};
    std::atomic<int> stallsGivenUp{0};
    std::mutex holdMutex;
    std::condition_variable released;
    bool isReleased = false;
    std::vector<int> bar;
    WindowWatch shown{kDownload};  // the windows shown, and the paints of the download dialog
};

struct WayOut {
    const char* name;
    std::function<void(HWND)> act;
};
void PrintTo(const WayOut& p, std::ostream* os) {
    *os << p.name;
}

class Finished : public Run, public testing::WithParamInterface<WayOut> {};

TEST_P(Finished, EveryWayOutOfTheDoneStateLeadsToTheInstallStep) {
    plan = {Attempt::Whole};
    Launch({{"完成 on the button", Done, [] { GetParam().act(FindShown(kDownload)); }},
            {"the install step", [] { return Showing(kInstall); }, Press(kInstall, VK_RETURN)}});
    EXPECT_TRUE(Placed());
    EXPECT_EQ(shown.count[kConfirm], 0) << "nothing is asked once the package is in place";
    EXPECT_EQ(shown.count[kInstall], 1);
    ASSERT_FALSE(bar.empty());
    EXPECT_EQ(bar.back(), 100);
}

INSTANTIATE_TEST_SUITE_P(Ways, Finished,
                         testing::Values(WayOut{"Button", [](HWND w) { ClickButton(w, "完成"); }},
                                         WayOut{"Escape", [](HWND w) { PressKey(w, VK_ESCAPE); }},
                                         WayOut{"CloseBox", [](HWND w) { CloseBox(w); }}),
                         [](const testing::TestParamInfo<WayOut>& p) { return p.param.name; });

struct ConfirmAnswer {
    const char* name;
    std::function<void(HWND)> act;
    bool leaves;
};
void PrintTo(const ConfirmAnswer& p, std::ostream* os) {
    *os << p.name;
}

class Confirming : public Run, public testing::WithParamInterface<ConfirmAnswer> {};

TEST_P(Confirming, LeavingMidDownloadAsksFirst) {
    plan = {Attempt::HeldThenWhole};
    std::vector<Step> steps{
        {"the first half arrives", HeldHalfway, Press(kDownload, VK_ESCAPE)},
        {"the confirmation", [] { return Showing(kConfirm); },
         [] {
             // The download dialog is blocked behind its question: no second one.
             PressKey(FindShown(kDownload), VK_ESCAPE);
             CloseBox(FindShown(kDownload));
             GetParam().act(FindShown(kConfirm));
         }},
    };
    if (!GetParam().leaves) {
        steps.push_back({"the question is gone", [] { return !Showing(kConfirm); }, [this] { Release(); }});
        steps.push_back({"the rest arrives", Done, Press(kDownload, VK_ESCAPE)});
        steps.push_back(Install());
    }
    Launch(steps);
    EXPECT_EQ(shown.count[kConfirm], 1);
    EXPECT_EQ(Placed(), !GetParam().leaves);
    EXPECT_EQ(bar.back(), GetParam().leaves ? 50 : 100);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Confirming,
    testing::Values(ConfirmAnswer{"EnterLeaves", [](HWND w) { PressKey(w, VK_RETURN); }, true},
                    ConfirmAnswer{"ExitButtonLeaves", [](HWND w) { ClickButton(w, "退出"); }, true},
                    ConfirmAnswer{"EscapeStays", [](HWND w) { PressKey(w, VK_ESCAPE); }, false},
                    ConfirmAnswer{"CancelButtonStays", [](HWND w) { ClickButton(w, "取消"); }, false},
                    ConfirmAnswer{"CloseBoxStays", [](HWND w) { CloseBox(w); }, false}),
    [](const testing::TestParamInfo<ConfirmAnswer>& p) { return p.param.name; });

class FinishingBehindTheQuestion : public Run, public testing::WithParamInterface<bool> {};

TEST_P(FinishingBehindTheQuestion, ExitEndsAtOnceAndCancelKeepsTheDoneState) {
    const bool leave = GetParam();
    plan = {Attempt::HeldThenWhole};
    std::vector<Step> steps{
        {"the first half arrives", HeldHalfway, Press(kDownload, VK_ESCAPE)},
        {"the confirmation", [] { return Showing(kConfirm); }, [this] { Release(); }},
        {"done behind the question", [] { return Done() && Showing(kConfirm); },
         Press(kConfirm, leave ? VK_RETURN : VK_ESCAPE)},
    };
    if (!leave) {
        steps.push_back(
            {"the question is gone", [] { return !Showing(kConfirm) && Done(); }, Press(kDownload, VK_ESCAPE)});
        steps.push_back(Install());
    }
    Launch(steps);
    EXPECT_TRUE(Placed());
    EXPECT_EQ(shown.count[kConfirm], 1) << "the done state asks nothing";
    EXPECT_EQ(shown.count[kInstall], leave ? 0 : 1) << "退出 leaves without installing";
    EXPECT_EQ(bar.back(), 100) << "progress went on behind the question";
}

INSTANTIATE_TEST_SUITE_P(Answers, FinishingBehindTheQuestion, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& p) { return p.param ? "Exit" : "Cancel"; });

struct ErrorAnswer {
    const char* name;
    std::function<void(HWND)> act;
    bool retries;
};
void PrintTo(const ErrorAnswer& p, std::ostream* os) {
    *os << p.name;
}

class Failing : public Run, public testing::WithParamInterface<ErrorAnswer> {};

TEST_P(Failing, RetryStartsAgainWithoutTheBarGoingBackAndExitEnds) {
    plan = {Attempt::Broken, Attempt::Whole};
    size_t samplesAtError = 0;
    int barAtError = 0;
    std::vector<Step> steps{{"the error", [] { return Showing(kError); },
                             [&] {
                                 samplesAtError = bar.size();
                                 barAtError = Bar();
                                 GetParam().act(FindShown(kError));
                             }}};
    if (GetParam().retries) {
        steps.push_back({"done", Done, Press(kDownload, VK_ESCAPE)});
        steps.push_back(Install());
    }
    Launch(steps);
    EXPECT_EQ(Placed(), GetParam().retries);
    EXPECT_EQ(attempts.load(), GetParam().retries ? 2u : 1u);
    EXPECT_EQ(queries.load(), 1) << "a retry does not ask the service again";
    EXPECT_GE(barAtError, 1);
    for (size_t i = samplesAtError; i < bar.size(); ++i) ASSERT_GE(bar[i], barAtError) << "sample " << i;
}

INSTANTIATE_TEST_SUITE_P(Answers, Failing,
                         testing::Values(ErrorAnswer{"EnterRetries", [](HWND w) { PressKey(w, VK_RETURN); }, true},
                                         ErrorAnswer{"RetryButton", [](HWND w) { ClickButton(w, "重试"); }, true},
                                         ErrorAnswer{"EscapeExits", [](HWND w) { PressKey(w, VK_ESCAPE); }, false},
                                         ErrorAnswer{"CloseBoxExits", [](HWND w) { CloseBox(w); }, false},
                                         ErrorAnswer{"ExitButton", [](HWND w) { ClickButton(w, "退出"); }, false}),
                         [](const testing::TestParamInfo<ErrorAnswer>& p) { return p.param.name; });

// A package server that does not answer: it stops sending after its head,
// its queue is full, or it takes the connection and never speaks (reached
// over https). Each attempt is given up on after the stall limit (shortened
// for the test) and the failure is offered for a retry; the stalled server
// sends the whole package the next time.
struct Silence {
    const char* name;
    const char* scheme;  // of the silent listener's address; none: this server stalls after its head
    bool fullQueue;
};
void PrintTo(const Silence& s, std::ostream* os) {
    *os << s.name;
}

class Unanswered : public Run, public testing::WithParamInterface<Silence> {};

TEST_P(Unanswered, FailsWithinTheStallLimitAndRetryGetsANewAttempt) {
    struct ShortStallLimit {
        ShortStallLimit() { SetStallLimitForTesting(1); }
        ~ShortStallLimit() { SetStallLimitForTesting(kStallLimitSeconds); }
    } shortLimit;
    const Silence& s = GetParam();
    const bool stalls = !s.scheme;
    SilentListener silent(s.fullQueue);
    if (!stalls) packageUrl = s.scheme + ("://127.0.0.1:" + std::to_string(silent.Port())) + "/packages/dict.zip";
    plan = {Attempt::Stalled, Attempt::Whole};
    std::vector<Step> steps{{"the error", [] { return Showing(kError); }, Press(kError, VK_RETURN)}};
    if (stalls)
        steps.insert(steps.end(), {{"done", Done, Press(kDownload, VK_ESCAPE)}, Install()});
    else
        steps.push_back({"the error again", [this] { return shown.count[kError] == 2 && Showing(kError); },
                         Press(kError, VK_ESCAPE)});
    Launch(steps);
    EXPECT_EQ(stallsGivenUp.load(), stalls ? 1 : 0) << "the client never gave up on the stalled attempt";
    EXPECT_EQ(attempts.load(), stalls ? 2u : 0u);
    EXPECT_EQ(shown.count[kError], stalls ? 1 : 2);
    EXPECT_EQ(Placed(), stalls);
}

INSTANTIATE_TEST_SUITE_P(Servers, Unanswered,
                         testing::Values(Silence{"AfterTheHead", nullptr, false}, Silence{"FullQueue", "http", true},
                                         Silence{"NoHandshake", "https", false}),
                         [](const testing::TestParamInfo<Silence>& p) { return p.param.name; });

TEST_F(Run, DialogIsPaintedBeforeTheServiceIsAsked) {
    plan = {Attempt::Whole};
    Launch({{"done", Done, Press(kDownload, VK_ESCAPE)}, Install()});
    EXPECT_EQ(queries.load(), 1);
    EXPECT_TRUE(paintedAtQuery) << "the service was asked while the dialog had never been painted";
}

// Both questions open together: the confirmation asked before the failure
// came, or asked by the download dialog's button while the error dialog is
// open. Each answers on its own, in either order.
struct BothOpen {
    const char* name;
    bool confirmFirst;
    std::wstring firstWindow;
    int firstKey;
    std::wstring secondWindow;  // empty: the first answer ends the program
    int secondKey;
};
void PrintTo(const BothOpen& p, std::ostream* os) {
    *os << p.name;
}

class BothQuestions : public Run, public testing::WithParamInterface<BothOpen> {};

TEST_P(BothQuestions, AnswerInEitherOrder) {
    const BothOpen& p = GetParam();
    std::vector<Step> steps;
    if (p.confirmFirst) {
        plan = {Attempt::HeldThenBroken, Attempt::Whole};
        steps = {{"the first half arrives", HeldHalfway, Press(kDownload, VK_ESCAPE)},
                 {"the confirmation", [] { return Showing(kConfirm); }, [this] { Release(); }}};
    } else {
        plan = {Attempt::Broken, Attempt::Whole};
        steps = {{"the error", [] { return Showing(kError); }, [] { ClickButton(FindShown(kDownload), "取消"); }}};
    }
    steps.push_back(
        {"both questions", [] { return Showing(kConfirm) && Showing(kError); }, Press(p.firstWindow, p.firstKey)});
    bool ends = p.secondWindow.empty();
    if (!ends) {
        steps.push_back({"the other question alone", [p] { return !Showing(p.firstWindow) && Showing(p.secondWindow); },
                         Press(p.secondWindow, p.secondKey)});
        steps.push_back({"done", [] { return Done() && !Showing(kConfirm); }, Press(kDownload, VK_ESCAPE)});
        steps.push_back(Install());
    }
    Launch(steps);
    EXPECT_EQ(Placed(), !ends);
    EXPECT_EQ(attempts.load(), ends ? 1u : 2u);
    EXPECT_EQ(shown.count[kConfirm], 1);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, BothQuestions,
    testing::Values(BothOpen{"StayThenRetry", true, kConfirm, VK_ESCAPE, kError, VK_RETURN},
                    BothOpen{"RetryThenStay", true, kError, VK_RETURN, kConfirm, VK_ESCAPE},
                    BothOpen{"EnterInTheOlderConfirmationEnds", true, kConfirm, VK_RETURN, L"", 0},
                    BothOpen{"ExitInTheErrorEndsBoth", true, kError, VK_ESCAPE, L"", 0},
                    BothOpen{"ButtonDuringErrorThenStayThenRetry", false, kConfirm, VK_ESCAPE, kError, VK_RETURN},
                    BothOpen{"ButtonDuringErrorThenRetryThenStay", false, kError, VK_RETURN, kConfirm, VK_ESCAPE},
                    BothOpen{"ButtonDuringErrorThenExit", false, kConfirm, VK_RETURN, L"", 0}),
    [](const testing::TestParamInfo<BothOpen>& p) { return p.param.name; });

TEST_F(Run, InstallStepLeavesOnlyByItsOkButtonAndBlocksTheDownloadDialog) {
    if (IsMainAppRunning()) GTEST_SKIP() << "a \"vantel.exe\" of someone else runs on this machine";
    PrivateBus bus;  // the configuration object, started when asked for
    ASSERT_TRUE(bus.Running());
    std::string record = bus.Folder() / "calls";
    ASSERT_TRUE(bus.WriteService(kConfigName, StandInCommand({.config = true, .record = record})));
    plan = {Attempt::Whole};
    Launch({{"done", Done, Press(kDownload, VK_ESCAPE)},
            {"the install step", [] { return Showing(kInstall); },
             [] {
                 HWND w = FindShown(kInstall);
                 PressKey(w, VK_ESCAPE);
                 CloseBox(w);
                 PressKey(FindShown(kDownload), VK_ESCAPE);  // blocked behind it
                 // The keyboard alone: Tab to "查词", Space ticks it, Enter is "确定".
                 PressKey(w, VK_TAB);
                 PressKey(w, VK_SPACE);
                 PressKey(w, VK_RETURN);
             }}});
    EXPECT_EQ(shown.count[kInstall], 1);
    EXPECT_EQ(RecordedCalls(record), (std::vector<std::string>{"AddDictUsage 1 12#345 VuVadoZuv.UrEzarEziVevodo -1"}));
}

}  // namespace
