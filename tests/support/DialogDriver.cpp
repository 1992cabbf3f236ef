#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <qpa/qwindowsysteminterface.h>
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <memory>

namespace testsupport {

QWidget* FindWindow(const QString& caption) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == caption) return w;
    return nullptr;
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

namespace {
void RunFrom(std::shared_ptr<const std::vector<Step>> steps, size_t i, std::shared_ptr<size_t> taken, int timeoutMs) {
    if (i == steps->size()) return;
    const Step& step = (*steps)[i];
    WhenTrue(
        step.when,
        [=] {
            ++*taken;
            RunFrom(steps, i + 1, taken, timeoutMs);
            (*steps)[i].act();
        },
        timeoutMs, step.what);
}
}  // namespace

std::shared_ptr<size_t> RunSteps(std::vector<Step> steps, int timeoutMs) {
    auto taken = std::make_shared<size_t>(0);
    RunFrom(std::make_shared<const std::vector<Step>>(std::move(steps)), 0, taken, timeoutMs);
    return taken;
}

void WhenShown(const QString& caption, std::function<void(QWidget*)> action, int timeoutMs) {
    WhenTrue([caption] { return FindWindow(caption) != nullptr; }, [caption, action] { action(FindWindow(caption)); },
             timeoutMs, caption.toStdString() + " shown");
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) QTest::qWait(5);
    return done();
}

// Input goes to the window through the window system's entry, as a user's
// would, so that a window blocked by a modal one really takes none.
void PressKey(QWidget* window, int key) {
    QTest::keyClick(window->windowHandle(), static_cast<Qt::Key>(key));
}

void ClickButton(QWidget* window, const QString& text) {
    for (auto* b : window->findChildren<QAbstractButton*>())
        if (b->text() == text)
            return QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, b->mapTo(window, b->rect().center()));
    ADD_FAILURE() << "no button " << text.toStdString();
}

void CloseBox(QWidget* window) {
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(window->windowHandle());
}

QWidget* FindControl(QWidget* window, int controlId) {
    for (QWidget* child : window->findChildren<QWidget*>())
        if (child->property("afxControlId").toInt() == controlId) return child;
    return nullptr;
}

QString ControlText(QWidget* window, int controlId) {
    QWidget* control = FindControl(window, controlId);
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    return QString();
}

}  // namespace testsupport
