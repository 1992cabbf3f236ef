#pragma once
// The shell's folder calls the program makes: the user's roaming
// application-data folder and whether a path exists.
#include "Com.h"
#include "Files.h"

#ifdef _WIN32
#include <shlobj.h>
#include <shlwapi.h>
#else
typedef struct HWND__* HWND;

#define CSIDL_APPDATA 0x001A
#define CSIDL_FLAG_CREATE 0x8000
#define SHGFP_TYPE_CURRENT 0
#define E_INVALIDARG ((HRESULT)0x80070057)

// CSIDL_APPDATA is $XDG_CONFIG_HOME when it is an absolute path, else
// $HOME/.config. With CSIDL_FLAG_CREATE a missing folder is made (and its
// parents). Writes at most MAX_PATH units with the terminator into `path`.
// E_INVALIDARG for any other folder; E_FAIL when the folder is unknown,
// missing, too long, or its name does not survive the trip to wide text and
// back unchanged (no other folder than the one named is ever touched).
HRESULT SHGetFolderPathW(HWND hwndOwner, int csidl, HANDLE hToken, DWORD flags, LPWSTR path);

// Whether a file or a folder exists at the path.
BOOL PathFileExistsW(LPCWSTR path);
#endif
