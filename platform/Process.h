#pragma once
#include "WinTypes.h"

#ifndef _WIN32
// Ends the process at once, whatever other threads are doing.
[[noreturn]] void ExitProcess(UINT exitCode);
#endif
