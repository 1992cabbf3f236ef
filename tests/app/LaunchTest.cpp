// The start-up sequence in-process: what each command line leads to.
#include <gtest/gtest.h>

#include <clocale>

#include "app/DeRavizizivuApp.h"
#include "framework/Thread.h"
#include "platform/CodePage.h"
#include "platform/CommandLine.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/WindowContent.h"
#include "tests/support/WindowWatch.h"
#include "ui/DAzOredavedidEzi.h"

using namespace testsupport;

namespace {

void Launch(std::vector<const char*> args) {
    setenv("http_proxy", "http://127.0.0.1:9", 1);  // the service is not reached: nothing leaves the machine
    SetProcessCommandLine(static_cast<int>(args.size()), const_cast<char**>(args.data()));
}

TEST(Launch, BadCommandLinesEndSilently) {
    for (std::vector<const char*> args : {std::vector<const char*>{"prog", "-a", "-b", "-c#d", "-e"},
                                          {"prog", "-a", "-b", "-c#d", "-e", "-1", "-f"},
                                          {"/tmp/x -y/prog", "-a", "-b", "-c#d", "-e", "-1"}}) {
        Launch(args);
        WindowWatch shown;  // every window that shows while the launch runs
        EXPECT_FALSE(theApp.InitInstance());
        EXPECT_EQ(shown.ShownTotal(), 0) << args[0];
    }
}

TEST(Launch, EmptyOrBlankKeyShowsTheVerificationMessage) {
    for (std::vector<const char*> args : {std::vector<const char*>{"prog", "-a", "-b", "-", "-e", "-1"},
                                          {"prog", "-a", "-b", "-", " ", " ", "-e", "-1"}}) {
        Launch(args);
        std::wstring text;
        WhenShown(AfxGetAppName(), [&](HWND box) {
            text += LabelTexts(box);
            PressKey(box, VK_RETURN);
        });
        EXPECT_FALSE(theApp.InitInstance());
        EXPECT_EQ(text, L"词典验证未通过不能下载词典");
    }
}

TEST(Launch, GoodCommandLineRunsTheDownloadDialogWithTheName) {
    // No package address reaches a server here: the dialog only has to show.
    Launch({"prog", "-http://127.0.0.1:9/x.zip", "-/nonexistent/x.zip", "-12#345", "-简明英汉", "-0"});
    std::wstring name;
    WhenShown("词典下载", [&](HWND w) { name = ControlText(w, 1003); });
    // Nothing answers at the package address: the download fails and its
    // error dialog's Exit ends the run.
    WhenShown("错误", [](HWND error) { PressKey(error, VK_ESCAPE); });
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(name, L"简明英汉");
    EXPECT_EQ(theApp.m_nCaptureAllowed, 0);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

TEST(Launch, EmptyNameShowsTheDefaultName) {
    Launch({"prog", "-http://127.0.0.1:9/x.zip", "-/nonexistent/x.zip", "-12#345", "-", "--1"});
    std::wstring name;
    WhenShown("词典下载", [&](HWND w) { name = ControlText(w, 1003); });
    // Nothing answers at the package address: the download fails and its
    // error dialog's Exit ends the run.
    WhenShown("错误", [](HWND error) { PressKey(error, VK_ESCAPE); });
    theApp.InitInstance();
    EXPECT_EQ(name, L"词典");
    EXPECT_EQ(theApp.m_nCaptureAllowed, -1);
}

TEST(DefaultName, IsStoredInTheNarrowCodePageInForce) {
    std::string restore = setlocale(LC_ALL, nullptr);
    if (!setlocale(LC_ALL, "zh_CN.GBK"))
        GTEST_SKIP() << "locale zh_CN.GBK is not installed (scripts/setup.sh makes it)";
    CStringA gbk = DisplayNameOrDefault("");
    setlocale(LC_ALL, "C.UTF-8");
    CStringA utf8 = DisplayNameOrDefault("");
    CStringA given = DisplayNameOrDefault("x");
    setlocale(LC_ALL, restore.c_str());
    EXPECT_EQ(gbk, "\xB4\xCA\xB5\xE4");
    EXPECT_EQ(utf8, "\xE8\xAF\x8D\xE5\x85\xB8");
    EXPECT_EQ(given, "x");
}

}  // namespace
