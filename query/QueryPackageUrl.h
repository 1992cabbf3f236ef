#pragma once
// Asks the download service where the package of a dictionary lies.
#include "framework/AfxString.h"

// What QueryPackageUrl answers.
inline constexpr int kUrlReplaced = 0;      // url now holds the service's answer
inline constexpr int kNoUsableAnswer = -1;  // the service gave none; url unchanged
inline constexpr int kKeyWithoutHash = -2;  // nothing was sent; url unchanged

// dictKey is "<class id>#<dictionary id>".
int QueryPackageUrl(const CStringA& dictKey, CStringA& url);
