#pragma once
#include "WinTypes.h"

// Ends the process at once, whatever other threads are doing.
[[noreturn]] void ExitProcess(UINT exitCode);
