// Whole runs with an incomplete English resource library in force (it holds
// the download dialog alone): what it lacks is never taken from the
// program's own resources. A missing string is an empty text, a missing
// dialog's run ends at once with -1, a missing icon leaves none.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>

#include "app/DeRavizizivuApp.h"
#include "app/Language.h"
#include "install/InstallDialog.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/DownloadScene.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/TarnwickConfig.h"
#include "tests/support/WindowContent.h"
#include "tests/support/WindowWatch.h"
#include "ui/ConfirmDialogs.h"
#include "ui/DAzOredavedidEzi.h"

using namespace testsupport;

namespace {

const std::wstring kDownload = L"Incomplete Download";  // the incomplete library's caption
const size_t kSize = 400000;

enum class Attempt { HeldThenWhole, Broken };

DAzOredavedidEzi* Dialog() {
    return static_cast<DAzOredavedidEzi*>(theApp.m_pMainWnd);
}

class Incomplete : public testing::Test, protected DownloadScene {
protected:
    void SetUp() override {
        ASSERT_TRUE(Enter());
        tarnwick.WriteConfig("[language]\ncodepage=1252\n");
        g_nCodePage = 0;
        // A window that should never have shown cannot hold a test.
        shown.onShown = [this](HWND window) {
            if (answer) PressKey(window, VK_RETURN);
        };
        server.SetHandler([this](const HttpRequest& request, HttpConnection& conn) { Answer(request, conn); });
    }
    void TearDown() override {
        Release();
        Leave();
    }

    void Answer(const HttpRequest& request, HttpConnection& conn) {
        if (request.target.find("dict.php") != std::string::npos)
            return SendReply(conn, Reply{.body = server.BaseUrl() + "/packages/dict.zip"});
        ++attempts;
        conn.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kSize) + "\r\n\r\n");
        conn.Send(Pattern(kSize).substr(0, kSize / 2));
        if (attempt == Attempt::Broken) return conn.Close();
        std::unique_lock lock(holdMutex);
        released.wait(lock, [this] { return isReleased; });
        conn.Send(Pattern(kSize).substr(kSize / 2));
    }

    void Release() {
        std::lock_guard lock(holdMutex);
        isReleased = true;
        released.notify_all();
    }

    // Starts the program with this dictionary key and plays the user's
    // steps; returns when the program would end.
    void Launch(const char* key, std::vector<Step> steps) {
        RunProgram({"http://127.0.0.1:9/unused.zip", dest / "dict.zip", key, "Concise", "1"}, std::move(steps));
    }

    bool Placed() { return ReadFile(dest / "dict.zip") == Pattern(kSize); }
    std::map<std::wstring, int> OnlyTheDownloadDialog() const { return {{kDownload, 1}}; }

    TarnwickConfig tarnwick;
    Attempt attempt = Attempt::HeldThenWhole;
    std::atomic<int> attempts{0};
    std::mutex holdMutex;
    std::condition_variable released;
    bool isReleased = false;
    WindowWatch shown;
    bool answer = false;  // each window shown is answered with Enter
};

TEST_F(Incomplete, EmptyKeyShowsTheMessageWithAnEmptyText) {
    const std::wstring title = AfxGetAppName();
    std::wstring text = L"unread";
    Launch("", {{"the message", [&] { return FindShown(title) != nullptr; },
                 [&] {
                     text = LabelTexts(FindShown(title));
                     PressKey(FindShown(title), VK_RETURN);
                 }}});
    EXPECT_EQ(text, L"");
    EXPECT_EQ(shown.count[title], 1);
}

TEST_F(Incomplete, MissingDialogsEndTheirRunsAtOnceWithMinusOne) {
    SelectInterfaceLanguage();
    ASSERT_EQ(g_nCodePage, 1252);
    answer = true;
    assure_class confirm(nullptr);
    error_class error(nullptr);
    install_class install("Concise", "12#345", nullptr);
    struct Case {
        const char* name;
        CDialog* dlg;
    } cases[] = {{"confirmation", &confirm}, {"error", &error}, {"install", &install}};
    for (const Case& c : cases) EXPECT_EQ(c.dlg->DoModal(), -1) << c.name;
    EXPECT_TRUE(shown.count.empty()) << "no window of the program's own took their place";
}

TEST_F(Incomplete, TheRefusedConfirmationLetsTheDownloadGoOnAndTheMissingInstallStepEndsIt) {
    std::wstring doneCaption = L"unread";
    bool iconless = false;
    Launch("12#345", {{"the first half arrives",
                       [] {
                           return Dialog() && ::SendMessageW(::GetDlgItem(Dialog()->GetSafeHwnd(), IDC_PROGRESS),
                                                             PBM_GETPOS, 0, 0) == 50;
                       },
                       [] { PressKey(FindShown(kDownload), VK_ESCAPE); }},
                      {"after the question that could not be asked", [] { return true; }, [this] { Release(); }},
                      {"the rest arrives (its worker ends)", [] { return AfxWaitForRunningThreads(0); },
                       [&] {
                           HWND w = FindShown(kDownload);
                           doneCaption = ControlText(w, IDCANCEL);
                           iconless = !HasIcon(w);
                           PressKey(w, VK_ESCAPE);
                       }}});
    EXPECT_TRUE(Placed()) << "the download went on after Escape";
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(doneCaption, L"") << "the done string is missing";
    EXPECT_TRUE(iconless);
    EXPECT_EQ(shown.count, OnlyTheDownloadDialog());
}

TEST_F(Incomplete, TheMissingErrorDialogEndsTheDownloadDialog) {
    attempt = Attempt::Broken;
    Launch("12#345", {});
    EXPECT_EQ(attempts, 1) << "no retry";
    EXPECT_FALSE(Placed());
    EXPECT_EQ(shown.count, OnlyTheDownloadDialog());
}

}  // namespace
