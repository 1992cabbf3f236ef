#pragma once
// Asks the download service where the package of a dictionary lies.
#include "framework/AfxString.h"

// dictKey is "<class id>#<dictionary id>". Returns 0 when url was replaced by
// the service's answer, -1 when the service gave no usable answer (url
// unchanged), -2 when the key holds no '#' (nothing sent, url unchanged).
int QueryPackageUrl(const CStringA& dictKey, CStringA& url);
