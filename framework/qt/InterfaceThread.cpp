// The interface thread on this ground is the toolkit application's; a
// posted event of the toolkit's carries each wake-up.
#include "framework/InterfaceThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include "HandOver.h"
#include "framework/private/InterfaceQueue.h"

namespace {
class Courier : public QObject {
protected:
    bool event(QEvent* e) override {
        AFX_TAKE_OVER(e);
        if (e->type() != QEvent::User) return QObject::event(e);
        AfxInterfaceThreadWoken();
        return true;
    }
};

Courier* TheCourier() {
    static Courier* courier = [] {
        auto* c = new Courier;
        c->moveToThread(QCoreApplication::instance()->thread());
        return c;
    }();
    return courier;
}
}  // namespace

bool AfxInterfaceThreadReachable() {
    return QCoreApplication::instance() != nullptr;
}

void AfxWakeInterfaceThread() {
    auto* wake = new QEvent(QEvent::User);
    AFX_HAND_OVER(wake);
    QCoreApplication::postEvent(TheCourier(), wake);
}

void AfxAnswerPendingCalls() {}

bool AfxIsInterfaceThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void AfxPrepareInterfaceThread() {
    ASSERT_INTERFACE_THREAD();
    TheCourier();
}
