// Calls queued for the interface thread, whatever carries the wake-ups. The
// queue is ours, under our own lock, so that every hand-over is one a race
// checker sees; the ground only carries the wake-up.
#include "framework/InterfaceThread.h"

#include <deque>
#include <future>
#include <mutex>

#include "framework/private/InterfaceQueue.h"

namespace {
std::mutex g_queueMutex;
std::deque<std::function<void()>> g_queue;
// Interface thread only: the holds alive, and the wake-ups they kept back.
int g_nHolds = 0;
int g_nHeldWakes = 0;

// One call per wake-up, taken from the queue only when it runs, so that a
// call that opens a nested loop leaves the rest to that loop, in order.
void RunOne() {
    std::function<void()> call;
    {
        std::lock_guard lock(g_queueMutex);
        if (g_queue.empty()) return;
        call = std::move(g_queue.front());
        g_queue.pop_front();
    }
    call();
}
}  // namespace

void AfxInterfaceThreadWoken() {
    if (g_nHolds > 0)
        ++g_nHeldWakes;
    else
        RunOne();
}

void AfxPostToInterfaceThread(std::function<void()> call) {
    if (!AfxInterfaceThreadReachable()) return;
    {
        std::lock_guard lock(g_queueMutex);
        g_queue.push_back(std::move(call));
    }
    AfxWakeInterfaceThread();
}

void AfxCallOnInterfaceThread(const std::function<void()>& call) {
    if (AfxIsInterfaceThread()) return call();
    if (!AfxInterfaceThreadReachable()) return;
    std::promise<void> done;
    AfxPostToInterfaceThread([&] {
        call();
        done.set_value();
    });
    done.get_future().wait();
}

void AfxRunQueuedCalls() {
    ASSERT_INTERFACE_THREAD();
    AfxAnswerPendingCalls();
    for (;;) {
        {
            std::lock_guard lock(g_queueMutex);
            if (g_queue.empty()) return;
        }
        RunOne();
    }
}

CQueuedCallsHold::CQueuedCallsHold() {
    ASSERT_INTERFACE_THREAD();
    ++g_nHolds;
}

CQueuedCallsHold::~CQueuedCallsHold() {
    if (--g_nHolds > 0) return;
    for (; g_nHeldWakes > 0; --g_nHeldWakes) AfxWakeInterfaceThread();
}
