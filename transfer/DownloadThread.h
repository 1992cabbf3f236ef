#pragma once
#include "platform/WinTypes.h"

// The download worker, given the download dialog: 1 when the package was
// transferred and placed, 0 when the error step ran.
UINT DownloadThreadProc(LPVOID pParam);
