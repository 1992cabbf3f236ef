#include "DialogDriver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
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

void WhenTrue(std::function<bool()> condition, std::function<void()> action, int timeoutMs) {
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
            ADD_FAILURE() << "condition never met";
    });
    timer->start(5);
}

void WhenShown(const QString& caption, std::function<void(QWidget*)> action, int timeoutMs) {
    WhenTrue([caption] { return FindWindow(caption) != nullptr; }, [caption, action] { action(FindWindow(caption)); },
             timeoutMs);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) QTest::qWait(5);
    return done();
}

void PressKey(QWidget* window, int key) {
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, static_cast<Qt::Key>(key));
}

void ClickButton(QWidget* window, const QString& text) {
    for (auto* b : window->findChildren<QAbstractButton*>())
        if (b->text() == text) return QTest::mouseClick(b, Qt::LeftButton);
    ADD_FAILURE() << "no button " << text.toStdString();
}

void CloseBox(QWidget* window) {
    QCloseEvent e;
    QApplication::sendEvent(window, &e);
}

QString ControlText(QWidget* window, int controlId) {
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->property("afxControlId").toInt() != controlId) continue;
        if (auto* label = qobject_cast<QLabel*>(child)) return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(child)) return button->text();
    }
    return QString();
}

}  // namespace testsupport
