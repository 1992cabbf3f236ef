#pragma once
// One HTTP GET of the package into the temporary file.
#include "framework/AfxString.h"
#include "framework/CurlHandles.h"

// Seconds a transfer may go without receiving a byte, or take to connect
// (the TLS handshake included), before it fails.
inline constexpr long kStallLimitSeconds = 60;
// For tests only: the stall limit of the transfers started from now on.
void SetStallLimitForTesting(long seconds);

// Called by the library's progress callback with the bytes received and the
// bytes expected; 0 lets the transfer go on.
struct ProgressHook {
    int (*callback)(void* context, double received, double expected);
    void* context;
};

// The library's progress callback: hands the download figures to the hook.
int ProgressTrampoline(void* progressData, double expected, double received, double uploadTotal, double uploadDone);

// What DownloadToFile answers besides the code of the first library call
// that failed.
inline constexpr int kDownloadDone = CURLE_OK;
inline constexpr int kDownloadArgumentMissing = -1;  // no handle, URL or path
inline constexpr int kDownloadFileNotOpened = -2;    // the local file cannot be opened

int DownloadToFile(CURL* handle, const char* url, const char* localPath, void* progressContext);

inline constexpr int kTransferDone = 0;
inline constexpr int kTransferFailed = 3;

struct TransferRequest {
    const wchar_t* url;
    const wchar_t* localPath;
    CURL* handle;

    // kTransferDone, or kTransferFailed whatever the failure.
    int RunTransfer(void* progressContext);
};
