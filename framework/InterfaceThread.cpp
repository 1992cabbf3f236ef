#include "InterfaceThread.h"

#include <QCoreApplication>
#include <QThread>

bool AfxIsInterfaceThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void AfxCallOnInterfaceThread(std::function<void()> call, bool bWait) {
    if (AfxIsInterfaceThread()) return call();
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(app, std::move(call), bWait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void AfxRunQueuedCalls() {
    ASSERT_INTERFACE_THREAD();
    QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
}
