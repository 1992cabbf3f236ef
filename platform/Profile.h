#pragma once
// Profile (INI) files: "[section]" lines followed by "key=value" lines.
#include "WinTypes.h"

#ifndef _WIN32
typedef int INT;

// The integer of `keyName` in section `appName` of the file: its value's
// leading decimal digits, with an optional sign before them. Section and key
// names are compared without regard to case; white space around names and
// values does not count. `nDefault` when the file, the section or the key is
// missing or the value holds no digits; a path that names no regular file of
// at most 64 KiB is a missing file (posix/SettingsFile.h). The file is UTF-8 text.
UINT GetPrivateProfileIntW(LPCWSTR appName, LPCWSTR keyName, INT nDefault, LPCWSTR fileName);
#endif
