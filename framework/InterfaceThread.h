#pragma once
// Every window lives on the interface thread. A call from another thread that
// touches one is carried there by this one helper.
#include <cassert>
#include <functional>

// True on the thread that owns every window.
bool AfxIsInterfaceThread();

// Runs call on the interface thread: at once when already there; from another
// thread it is queued there and the caller waits for it, unless bWait is false.
// A worker must not wait while the interface thread may be waiting for that
// worker; such calls pass bWait = false.
void AfxCallOnInterfaceThread(std::function<void()> call, bool bWait = true);

// Interface thread: runs the calls that other threads have queued for it
// (and may be waiting on), and nothing else.
void AfxRunQueuedCalls();

// Marks the calls that are only ever made on the interface thread.
#define ASSERT_INTERFACE_THREAD() assert(AfxIsInterfaceThread())
