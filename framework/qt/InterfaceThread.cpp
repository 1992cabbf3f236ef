#include "framework/InterfaceThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <deque>
#include <future>
#include <mutex>

#include "HandOver.h"

namespace {
// Work queued for the interface thread by other threads. The queue is ours,
// under our own lock, so that every hand-over is one a race checker sees;
// the toolkit only carries the wake-up.
std::mutex g_queueMutex;
std::deque<std::function<void()>> g_queue;
// Interface thread only: the holds alive, and the wake-ups they kept back.
int g_nHolds = 0;
int g_nHeldWakes = 0;

class Courier : public QObject {
protected:
    bool event(QEvent* e) override {
        AFX_TAKE_OVER(e);
        if (e->type() != QEvent::User) return QObject::event(e);
        if (g_nHolds > 0)
            ++g_nHeldWakes;
        else
            RunOne();
        return true;
    }

public:
    // One call per wake-up, taken from the queue only when it runs, so that
    // a call that opens a nested loop leaves the rest to that loop, in order.
    static void RunOne() {
        std::function<void()> call;
        {
            std::lock_guard lock(g_queueMutex);
            if (g_queue.empty()) return;
            call = std::move(g_queue.front());
            g_queue.pop_front();
        }
        call();
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

void PostWake() {
    auto* wake = new QEvent(QEvent::User);
    AFX_HAND_OVER(wake);
    QCoreApplication::postEvent(TheCourier(), wake);
}

}  // namespace

void AfxPostToInterfaceThread(std::function<void()> call) {
    if (!QCoreApplication::instance()) return;
    {
        std::lock_guard lock(g_queueMutex);
        g_queue.push_back(std::move(call));
    }
    PostWake();
}

bool AfxIsInterfaceThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void AfxCallOnInterfaceThread(const std::function<void()>& call) {
    if (AfxIsInterfaceThread()) return call();
    if (!QCoreApplication::instance()) return;
    std::promise<void> done;
    AfxPostToInterfaceThread([&] {
        call();
        done.set_value();
    });
    done.get_future().wait();
}

void AfxPrepareInterfaceThread() {
    ASSERT_INTERFACE_THREAD();
    TheCourier();
}

void AfxRunQueuedCalls() {
    ASSERT_INTERFACE_THREAD();
    for (;;) {
        {
            std::lock_guard lock(g_queueMutex);
            if (g_queue.empty()) return;
        }
        Courier::RunOne();
    }
}

CQueuedCallsHold::CQueuedCallsHold() {
    ASSERT_INTERFACE_THREAD();
    ++g_nHolds;
}

CQueuedCallsHold::~CQueuedCallsHold() {
    if (--g_nHolds > 0) return;
    for (; g_nHeldWakes > 0; --g_nHeldWakes) PostWake();
}
