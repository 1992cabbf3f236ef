#pragma once
// The queue of calls for the interface thread, shared by the grounds (a
// contract between the layer and its grounds, not for the system). A
// ground carries only the wake-ups: it gives the three calls below, and runs
// AfxInterfaceThreadWoken on the interface thread for each wake-up it posted.

// True once wake-ups can reach the interface thread.
bool AfxInterfaceThreadReachable();
// Posts one wake-up to the interface thread, from any thread.
void AfxWakeInterfaceThread();
// Interface thread: whatever else of the ground's a wait must answer while it
// runs queued calls (on Windows, messages sent from other threads).
void AfxAnswerPendingCalls();

// Interface thread, once per wake-up: runs one queued call, or keeps the
// wake-up for later while a CQueuedCallsHold lives.
void AfxInterfaceThreadWoken();
