#pragma once
// The running processes, one entry each. On the POSIX ground the image name
// is the one the kernel keeps (the first 15 bytes of the executable's name,
// without its folder), and only the processes of this program's user are
// listed. The one question the system asks of the list is whether the
// dictionary application runs for the objects it then talks to, and those
// live on this user's session bus, where another user's process cannot own a
// name: such a process is not the application this user runs.
#include "Files.h"
#include "WinTypes.h"

#ifdef _WIN32
#include <tlhelp32.h>
#else
#define TH32CS_SNAPPROCESS 0x00000002u

struct PROCESSENTRY32W {
    DWORD dwSize;  // set by the caller before Process32FirstW
    DWORD cntUsage;
    DWORD th32ProcessID;
    uintptr_t th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    wchar_t szExeFile[MAX_PATH];
};

// INVALID_HANDLE_VALUE when the process list cannot be read; CloseHandle
// releases it.
HANDLE CreateToolhelp32Snapshot(DWORD dwFlags, DWORD th32ProcessID);
BOOL Process32FirstW(HANDLE hSnapshot, PROCESSENTRY32W* lppe);
BOOL Process32NextW(HANDLE hSnapshot, PROCESSENTRY32W* lppe);
#endif
