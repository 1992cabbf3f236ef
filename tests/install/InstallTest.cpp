// The install step against the stand-in dictionary application (on a private
// session bus, or through COM under Wine): which calls arrive for which
// boxes, whether the application runs or not, and how the dialog ends when
// nobody can take the choice.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "app/DeRavizizivuApp.h"
#include "install/InstallDialog.h"
#include "install/MainAppProcess.h"
#ifndef _WIN32
#include "platform/posix/BusProbe.h"
#else
// COM has no bus of its own that could stop answering.
constexpr std::chrono::milliseconds kBusAnswerTimeout{0};
#endif
#include "tests/support/DialogDriver.h"
#include "tests/support/DictAppSide.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/WindowContent.h"

using namespace testsupport;

namespace {

const char kInstall[] = "安装";
const char kProgId[] = "VuVadoZuv.UrEzarEziVevodo";

std::string Call(const char* method, int usage, const std::string& key = "12#345") {
    return std::string(method) + " " + std::to_string(usage) + " " + key + " " + kProgId + " -1";
}

class Install : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(side.Ready());
        theApp.m_nCaptureAllowed = 1;
        // The process list is the machine's: another run's stand-in would
        // make the application look running to every test here.
        if (IsMainAppRunning()) GTEST_SKIP() << "a \"vantel.exe\" of someone else runs on this machine";
    }

    // The application runs: its process is on the machine and owns its name.
    void RunApplication(StandInOptions options = {}) {
        options.app = true;
        options.record = record;
        app = side.Run(options);
        ASSERT_TRUE(app);
    }
    // The configuration object is there to be started when asked for (the
    // bus's activation, COM's local server).
    void OfferConfiguration() { ASSERT_TRUE(side.Offer({.config = true, .record = record})); }

    // Ticks the boxes as a user would, then presses Enter ("确定"); answers
    // how the dialog ended.
    INT_PTR Choose(bool lookup, bool capture, CStringA key = "12#345") {
        WhenShown(kInstall, [=](HWND w) {
            if (lookup) ClickButton(w, "查词");
            if (capture) ClickButton(w, "取词");
            PressKey(w, VK_RETURN);
        });
        install_class dlg("简明英汉", key, nullptr);
        started = std::chrono::steady_clock::now();
        INT_PTR result = dlg.DoModal();
        took = std::chrono::steady_clock::now() - started;
        EXPECT_EQ(FindShown(kInstall), nullptr);
        return result;
    }

    std::vector<std::string> Calls() const { return RecordedCalls(record); }

    DictAppSide side;
    std::string record = side.RecordFile();
    std::unique_ptr<StandInRun> app;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::duration took{};
};

struct Choice {
    const char* name;
    bool running;
    bool lookup;
    bool capture;
    std::vector<std::string> calls;
};
void PrintTo(const Choice& c, std::ostream* os) {
    *os << c.name;
}

class Usage : public Install, public testing::WithParamInterface<Choice> {};

TEST_P(Usage, EachChoiceReachesTheApplicationAsItsUsageCode) {
    const Choice& c = GetParam();
    if (c.running)
        RunApplication();
    else
        OfferConfiguration();
    EXPECT_EQ(Choose(c.lookup, c.capture), IDOK);
    if (!c.running && !c.calls.empty()) {
        ASSERT_TRUE(side.WaitForConfiguration(true, std::chrono::seconds(5)));
    }
    EXPECT_EQ(Calls(), c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, Usage,
    testing::Values(
        Choice{"BothRunning", true, true, true, {Call("SetDictUsage", 33)}},
        Choice{"CaptureRunning", true, false, true, {Call("SetDictUsage", 2)}},
        Choice{"LookupRunning", true, true, false, {Call("SetDictUsage", 1)}},
        Choice{"NeitherRunningStillCallsWithZero", true, false, false, {Call("SetDictUsage", 0)}},
        Choice{"BothNotRunningCaptureFirst", false, true, true, {Call("AddDictUsage", 2), Call("AddDictUsage", 1)}},
        Choice{"CaptureNotRunning", false, false, true, {Call("AddDictUsage", 2)}},
        Choice{"LookupNotRunning", false, true, false, {Call("AddDictUsage", 1)}},
        Choice{"NeitherNotRunningNoCall", false, false, false, {}}),
    [](const testing::TestParamInfo<Choice>& p) { return p.param.name; });

TEST_F(Install, KeyWithNonAsciiTextArrivesAsTheSameText) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows' narrow code page is the system's, fixed for the process: the whole runs try 936";
#endif
    LocaleScope gbk("zh_CN.GBK");
    if (!gbk.ok()) GTEST_SKIP() << "locale zh_CN.GBK is not installed (scripts/setup.sh makes it)";
    RunApplication();
    Choose(true, false, "12#\xBC\xF2\xC3\xF7");  // "12#简明" in code page 936
    EXPECT_EQ(Calls(), (std::vector<std::string>{Call("SetDictUsage", 1, "12#简明")}));
}

TEST_F(Install, CaptureBoxIsDisabledWhenCaptureIsNotAllowed) {
    theApp.m_nCaptureAllowed = 0;
    RunApplication();
    bool enabled = true;
    WhenShown(kInstall, [&](HWND w) {
        if (HWND capture = FindControl(w, 1002)) enabled = IsEnabled(capture);
    });
    Choose(false, true);  // the click on the disabled box changes nothing
    EXPECT_FALSE(enabled);
    EXPECT_EQ(Calls(), (std::vector<std::string>{Call("SetDictUsage", 0)}));
}

TEST_F(Install, RunningApplicationWithoutItsObjectIsCreatedByActivation) {
    // A process of the application's name that owns nothing, and the
    // application's object there to be started when asked for.
    auto running = side.Run({.config = true, .bare = true, .comm = "vantel.exe"});
    ASSERT_TRUE(running);
    ASSERT_TRUE(side.Offer({.app = true, .record = record}));
    Choose(true, true);
    EXPECT_EQ(Calls(), (std::vector<std::string>{Call("SetDictUsage", 33)}));
}

TEST_F(Install, NobodyToTakeTheChoiceClosesTheDialogQuietly) {
    using namespace std::chrono_literals;
    const auto bound = std::chrono::milliseconds(kComCallTimeoutMs);
    if (side.CanFreeze()) {
        side.Freeze(true);
        EXPECT_EQ(Choose(true, true), IDOK) << "a bus that takes connections and never answers";
        EXPECT_LT(took, 2 * kBusAnswerTimeout + 1s);
        side.Freeze(false);
    }
    EXPECT_EQ(Choose(true, true), IDOK) << "nothing running, nothing to start";
    RunApplication({.silent = true});
    EXPECT_EQ(Choose(true, true), IDOK) << "an application that never answers";
    EXPECT_LT(took, bound + 3s);
    if (side.CanFreeze()) {
        side.Freeze(true);
        EXPECT_EQ(Choose(true, true), IDOK) << "a bus that stops answering once connected";
        EXPECT_LT(took, bound + 2 * kBusAnswerTimeout + 1s);
        side.Freeze(false);
    }
    EXPECT_EQ(Calls(), (std::vector<std::string>{Call("SetDictUsage", 33)})) << "the call did reach it";
}

#ifndef _WIN32
// On Windows nothing registered is the case "nothing running, nothing to start".
TEST(InstallWithoutBus, ClosesWithoutACrashOrAWait) {
    ASSERT_EQ(setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1), 0);
    WhenShown(kInstall, [](HWND w) {
        ClickButton(w, "查词");
        PressKey(w, VK_RETURN);
    });
    install_class dlg("简明", "12#345", nullptr);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}
#endif

struct ProcessName {
    const char* comm;
    bool running;
};

TEST(MainAppProcess, ImageNameMatchesIgnoringTheCaseOfLettersOnly) {
    if (IsMainAppRunning()) GTEST_SKIP() << "a \"vantel.exe\" of someone else runs on this machine";
    DictAppSide side;
    ASSERT_TRUE(side.Ready());
    for (ProcessName p :
         {ProcessName{"vantel.exe", true}, ProcessName{"VANTEL.EXE", true}, ProcessName{"Vantel.Exe", true},
          ProcessName{"vantel.exe.bak", false}, ProcessName{"vantel", false}, ProcessName{"xvantel.exe", false}}) {
        auto named = side.Run({.config = true, .bare = true, .comm = p.comm});
        ASSERT_TRUE(named) << p.comm;
        EXPECT_EQ(IsMainAppRunning(), p.running) << p.comm;
    }
}

TEST(InstallDialog, NamesItsRunTimeClass) {
    install_class dlg("n", "1#2");
    ASSERT_NE(dlg.GetRuntimeClass(), nullptr);
    EXPECT_STREQ(dlg.GetRuntimeClass()->m_lpszClassName, "install_class");
    EXPECT_EQ(dlg.GetRuntimeClass()->m_pBaseClass, RUNTIME_CLASS(CDialog));
}

}  // namespace
