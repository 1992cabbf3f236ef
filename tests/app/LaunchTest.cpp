// The start-up sequence in-process: what each command line leads to.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include <clocale>

#include "app/DeRavizizivuApp.h"
#include "framework/Thread.h"
#include "platform/CodePage.h"
#include "platform/CommandLine.h"
#include "tests/support/DialogDriver.h"
#include "ui/DAzOredavedidEzi.h"

using namespace testsupport;

namespace {

void Launch(std::vector<const char*> args) {
    setenv("http_proxy", "http://127.0.0.1:9", 1);  // the service is not reached: nothing leaves the machine
    SetProcessCommandLine(static_cast<int>(args.size()), const_cast<char**>(args.data()));
}

// Counts every window that shows while the launch runs.
struct ShownWindows : QObject {
    int count = 0;
    ShownWindows() { qApp->installEventFilter(this); }
    ~ShownWindows() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        // The receiver first: an event to another object may have been made
        // by another thread.
        if (o->isWidgetType() && e->type() == QEvent::Show && static_cast<QWidget*>(o)->isWindow()) ++count;
        return false;
    }
};

TEST(Launch, BadCommandLinesEndSilently) {
    for (std::vector<const char*> args : {std::vector<const char*>{"prog", "-a", "-b", "-c#d", "-e"},
                                          {"prog", "-a", "-b", "-c#d", "-e", "-1", "-f"},
                                          {"/tmp/x -y/prog", "-a", "-b", "-c#d", "-e", "-1"}}) {
        Launch(args);
        ShownWindows shown;
        EXPECT_FALSE(theApp.InitInstance());
        EXPECT_EQ(shown.count, 0) << args[0];
    }
}

TEST(Launch, EmptyOrBlankKeyShowsTheVerificationMessage) {
    for (std::vector<const char*> args : {std::vector<const char*>{"prog", "-a", "-b", "-", "-e", "-1"},
                                          {"prog", "-a", "-b", "-", " ", " ", "-e", "-1"}}) {
        Launch(args);
        QString text;
        WhenShown(QString::fromWCharArray(AfxGetAppName()), [&](QWidget* box) {
            for (auto* label : box->findChildren<QLabel*>()) text += label->text();
            PressKey(box, Qt::Key_Return);
        });
        EXPECT_FALSE(theApp.InitInstance());
        EXPECT_EQ(text, "词典验证未通过不能下载词典");
    }
}

TEST(Launch, GoodCommandLineRunsTheDownloadDialogWithTheName) {
    // No package address reaches a server here: the dialog only has to show.
    Launch({"prog", "-http://127.0.0.1:9/x.zip", "-/nonexistent/x.zip", "-12#345", "-简明英汉", "-0"});
    QString name;
    WhenShown("词典下载", [&](QWidget* w) { name = ControlText(w, 1003); });
    // Nothing answers at the package address: the download fails and its
    // error dialog's Exit ends the run.
    WhenShown("错误", [](QWidget* error) { PressKey(error, Qt::Key_Escape); });
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(name, "简明英汉");
    EXPECT_EQ(theApp.m_nCaptureAllowed, 0);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

TEST(Launch, EmptyNameShowsTheDefaultName) {
    Launch({"prog", "-http://127.0.0.1:9/x.zip", "-/nonexistent/x.zip", "-12#345", "-", "--1"});
    QString name;
    WhenShown("词典下载", [&](QWidget* w) { name = ControlText(w, 1003); });
    // Nothing answers at the package address: the download fails and its
    // error dialog's Exit ends the run.
    WhenShown("错误", [](QWidget* error) { PressKey(error, Qt::Key_Escape); });
    theApp.InitInstance();
    EXPECT_EQ(name, "词典");
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
