#pragma once
// Events for screen readers.
#include "AfxTypes.h"

#ifndef _WIN32
#define EVENT_OBJECT_VALUECHANGE 0x800Eu
#define OBJID_CLIENT (-4)
#define CHILDID_SELF 0

// Tells screen readers that the window's value changed (interface thread only).
void NotifyWinEvent(DWORD event, HWND hwnd, LONG idObject, LONG idChild);
#endif
