#pragma once
// The use of the dictionary application's objects by one thread.
#include "WinTypes.h"

typedef LONG HRESULT;
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)

HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
