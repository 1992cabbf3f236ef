// The driver on the Qt ground: input enters through the window system's
// entry (QTest and QWindowSystemInterface act on the QWindow, not on a
// widget), so that a window blocked by a modal one really takes none.
#include "tests/support/DialogDriver.h"

#include <gtest/gtest.h>

#include <qpa/qwindowsysteminterface.h>
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <memory>

#include "Widgets.h"

namespace testsupport {

HWND FindShown(const Text& caption) {
    const QString wanted = QString::fromStdWString(caption.Wide());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == wanted) return HandleOf(w);
    return nullptr;
}

std::vector<std::wstring> ShownCaptions() {
    std::vector<std::wstring> captions;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) captions.push_back(w->windowTitle().toStdWString());
    return captions;
}

void WhenTrue(std::function<bool()> condition, std::function<void()> action, int timeoutMs, std::string what) {
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        bool met = condition();
        if (!met && clock->elapsed() <= timeoutMs) return;
        timer->stop();
        timer->deleteLater();
        if (met)
            action();
        else
            ADD_FAILURE() << "never met: " << what;
    });
    timer->start(5);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) QTest::qWait(5);
    return done();
}

void Pump(int ms) {
    if (ms > 0)
        QTest::qWait(ms);
    else
        QApplication::processEvents();
}

struct Ticker::Ground {
    QTimer timer;
};

Ticker::Ticker(int intervalMs, std::function<void()> action, bool repeat) : m_pGround(std::make_unique<Ground>()) {
    m_pGround->timer.setSingleShot(!repeat);
    QObject::connect(&m_pGround->timer, &QTimer::timeout, std::move(action));
    m_pGround->timer.start(intervalMs);
}

Ticker::~Ticker() = default;

namespace {
Qt::Key KeyOf(int key) {
    switch (key) {
        case VK_TAB:
            return Qt::Key_Tab;
        case VK_RETURN:
            return Qt::Key_Return;
        case kKeypadEnter:
            return Qt::Key_Enter;
        case VK_ESCAPE:
            return Qt::Key_Escape;
        case VK_SPACE:
            return Qt::Key_Space;
        default:
            ADD_FAILURE() << "no key " << key;
            return Qt::Key_unknown;
    }
}
}  // namespace

void PressKey(HWND window, int key) {
    QWidget* w = WidgetOf(window);
    if (!w) return ADD_FAILURE() << "no window to press a key in";
    QTest::keyClick(w->window()->windowHandle(), KeyOf(key));
}

void ClickButton(HWND window, const Text& text) {
    QWidget* w = WidgetOf(window);
    const QString wanted = QString::fromStdWString(text.Wide());
    if (w)
        for (auto* b : w->findChildren<QAbstractButton*>())
            if (b->text() == wanted)
                return QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, b->mapTo(w, b->rect().center()));
    ADD_FAILURE() << "no button " << text.Utf8();
}

void CloseBox(HWND window) {
    QWidget* w = WidgetOf(window);
    if (!w) return ADD_FAILURE() << "no window to close";
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(w->windowHandle());
}

HWND FindControl(HWND window, int controlId) {
    QWidget* w = WidgetOf(window);
    if (w)
        for (QWidget* child : w->findChildren<QWidget*>())
            if (child->property("afxControlId").toInt() == controlId) return HandleOf(child);
    return nullptr;
}

std::wstring ControlText(HWND window, int controlId) {
    QWidget* control = WidgetOf(FindControl(window, controlId));
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text().toStdWString();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text().toStdWString();
    return {};
}

}  // namespace testsupport
