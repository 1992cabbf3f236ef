#pragma once
#include "platform/WinTypes.h"

// How a download worker ended: the package was transferred and the
// completion step ran, or the error step ran.
inline constexpr UINT kWorkerCompleted = 1;
inline constexpr UINT kWorkerShowedError = 0;

// The download worker, given the download dialog as its IDownloadDialog.
UINT DownloadThreadProc(LPVOID pParam);
