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

// What SplitCommandLine answers.
constexpr int SPLIT_OK = 0;
constexpr int SPLIT_NOT_FIVE_SEPARATORS = -1;  // nothing is split
constexpr int SPLIT_NOT_FIVE_VALUES = -2;      // the list held something already

// Splits the narrow command line at its " -" separators into exactly five
// values, appended to the list.
int SplitCommandLine(const CStringA& commandLine, std::vector<CStringA>& values);

// The capture flag as the C library's atoi reads it (clamped to 32 bits).
int32_t ParseCaptureFlag(const CStringA& value);
