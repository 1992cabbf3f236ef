#include "Progress.h"

#include <climits>

#include "framework/Wnd.h"
#include "transfer/IDownloadDialog.h"

std::atomic<int32_t> ProgressHighWater{0};

int OnTransferProgress(void* dialog, double received, double expected) {
    auto* dlg = static_cast<IDownloadDialog*>(dialog);
    int value = 100;  // no size known (yet)
    if (expected > 0) {
        double percent = received / expected * 100.0;
        int truncated = percent >= INT_MAX ? INT_MAX : static_cast<int>(percent);
        if (truncated >= ProgressHighWater.load()) ProgressHighWater.store(truncated);
        value = ProgressHighWater.load();
    }
    // Once the dialog is gone nobody waits for the package: the transfer
    // stops. Its window then has no handle, and on Windows a post to none
    // would land in this thread's own queue and succeed.
    HWND window = dlg->GetProgressWindow();
    return window && ::PostMessageW(window, dlg->GetProgressMessage(), static_cast<WPARAM>(value), 0) ? 0 : 1;
}
