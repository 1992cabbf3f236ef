#pragma once
// The percentage the worker posts to the download dialog.
#include <atomic>
#include <cstdint>

// The highest percentage posted so far in this process; a retry keeps it.
extern std::atomic<int32_t> ProgressHighWater;

// Posts the percentage to the dialog (the context, an IDownloadDialog);
// answers 0 to go on, or
// 1 when the dialog's window is gone.
int OnTransferProgress(void* dialog, double received, double expected);
