#pragma once
// Where a download is written first, and how it reaches its destination.
#include <atomic>

#include "framework/AfxString.h"

// The temporary folder followed by the destination's file name, or by a
// hidden name of its own when that folder is the destination's; empty when
// that does not fit a path buffer (the attempt then fails).
CStringA MakeTempFilePath(const CStringA& destPath);

// True when the file holds more than 1024 bytes and was moved to destPath
// (an existing file there is never replaced). Fails while another run holds
// the file; a copy to another file system stops once *abandon turns true.
bool VerifyAndMoveDownload(const CStringA& tempPath, const CStringA& destPath,
                           const std::atomic<bool>* abandon = nullptr);
