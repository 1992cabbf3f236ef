#pragma once
// The process command line in its narrow form, taken before the toolkit starts.

// Records the arguments as received, joined by single spaces.
void SetProcessCommandLine(int argc, char** argv);

// The recorded command line; an empty text before SetProcessCommandLine.
const char* GetCommandLineA();
