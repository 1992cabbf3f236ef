#pragma once
// The C runtime's folder creation, with its error number in errno.
#include "WinTypes.h"

#ifdef _WIN32
#include <direct.h>
#else
// Creates one folder; 0 on success, else -1 with errno set (EEXIST when
// something already exists at the path).
int _wmkdir(const wchar_t* dirname);
#endif
