#pragma once
// The framework's message box: an OK button, the exclamation icon and the
// application title as caption.
#include "platform/WinTypes.h"

#include "Messages.h"

int AfxMessageBox(LPCWSTR lpszText, UINT nType = MB_OK | MB_ICONEXCLAMATION);
