#pragma once
// The five values the dictionary application hands over on the command line.
#include <vector>

#include "framework/AfxString.h"

struct DownloadRequest {
    CStringA packageUrl;
    CStringA destinationPath;
    CStringA dictionaryKey;  // class id "#" dictionary id
    CStringA displayName;
    int32_t captureAllowed = 0;
};

// Splits the narrow command line at its " -" separators into exactly five
// values. 0 on success; -1 when there are not exactly five separators;
// -2 when the list does not end up holding five values.
int SplitCommandLine(const CStringA& commandLine, std::vector<CStringA>& values);

// The capture flag as the C library's atoi reads it (clamped to 32 bits).
int32_t ParseCaptureFlag(const CStringA& value);
