#pragma once
// Every window lives on the interface thread. A call from another thread that
// touches one is carried there by this one helper.
#include <cassert>
#include <functional>

// True on the thread that owns every window.
bool AfxIsInterfaceThread();

// Runs call on the interface thread and returns when it has run: at once when
// already there, else queued there while the caller waits.
void AfxCallOnInterfaceThread(const std::function<void()>& call);

// Queues call for the interface thread, from any thread, and returns at once
// (what PostMessage needs).
void AfxPostToInterfaceThread(std::function<void()> call);

// Interface thread: makes ready what other threads reach it through, so that
// it is the interface thread's own object; every window does so as it is made.
void AfxPrepareInterfaceThread();

// Interface thread: runs what other threads have queued for it (a worker may
// be waiting on it), and nothing else.
void AfxRunQueuedCalls();

// Marks the calls that are only ever made on the interface thread.
#define ASSERT_INTERFACE_THREAD() assert(AfxIsInterfaceThread())

// Interface thread: while one lives, what other threads queue is kept for
// later (posted messages among it); the calls run in order once the last one
// is gone. For waits that must handle nothing of the program's own.
class CQueuedCallsHold {
public:
    CQueuedCallsHold();
    ~CQueuedCallsHold();
    CQueuedCallsHold(const CQueuedCallsHold&) = delete;
    CQueuedCallsHold& operator=(const CQueuedCallsHold&) = delete;
};
