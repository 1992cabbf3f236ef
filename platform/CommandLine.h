#pragma once
// The process command line in its narrow form: on Windows the system's, on
// the POSIX ground taken before the toolkit starts.
#ifdef _WIN32
#include "WinTypes.h"
#else
// Records the arguments as received, joined by single spaces.
void SetProcessCommandLine(int argc, char** argv);

// The recorded command line; an empty text before SetProcessCommandLine.
const char* GetCommandLineA();
#endif
