#pragma once
// Libraries loaded at run time, by name (on the POSIX ground, shared objects).
#include "WinTypes.h"

#ifndef _WIN32
typedef struct HMODULE__* HMODULE;
typedef void* FARPROC;  // the address of an exported symbol, data included

// A bare name (no '/') is looked for in the executable's own folder first,
// then along the system's library search path; a name with a folder is
// loaded from there only. The name is the file's whole name: "x.dll" is a
// file called "x.dll". Null when no library could be loaded.
HMODULE LoadLibraryA(LPCSTR fileName);
// The address of the library's exported symbol, or null.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR procName);
#endif
