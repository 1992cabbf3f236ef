#pragma once
// The machine-wide registry, read only. On the POSIX ground a key is a file
// below the first absolute folder of $XDG_CONFIG_DIRS (else /etc/xdg): key
// `A\B\C` of HKEY_LOCAL_MACHINE is the file `registry/HKEY_LOCAL_MACHINE/A/B/C`
// there, holding one `name=value` line per value (UTF-8; names compared
// without regard to case; empty lines and lines starting with '#' are
// ignored); a path that names no regular file of at most 64 KiB is no key
// (posix/SettingsFile.h). Every value is text; its data is the wide text with its
// terminator.
#include "WinTypes.h"

#ifndef _WIN32
typedef struct HKEY__* HKEY;
typedef uint32_t REGSAM;

#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)
#define KEY_READ 0x20019u
// A POSIX machine has one view of the registry: both are it.
#define KEY_WOW64_64KEY 0x0100u
#define KEY_WOW64_32KEY 0x0200u
#define REG_SZ 1u

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L

// Opens a key of HKEY_LOCAL_MACHINE for reading (any access beyond KEY_READ
// and the choice of view is denied: nothing here writes the registry).
LONG RegOpenKeyExW(HKEY hKey, LPCWSTR subKey, DWORD options, REGSAM samDesired, HKEY* result);
// Copies the value's data into `data` when `*cbData` bytes hold it, else
// ERROR_MORE_DATA; `*cbData` becomes the data's size either way.
LONG RegQueryValueExW(HKEY hKey, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData);
LONG RegCloseKey(HKEY hKey);
#endif
